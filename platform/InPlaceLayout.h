#pragma once

// QTextDocumentLayout is Qt's own layout; only Qt's private headers declare
// it, and only its public interface is used here.
#include <private/qtextdocumentlayout_p.h>

#include <QTimer>

// Qt's document layout, except that an edit inside one paragraph which leaves
// that paragraph's lines as they were (as many, as tall) is laid out in place.
// Typing is such an edit, nearly always.
//
// Why it exists: after every edit Qt's layout walks all the paragraphs below
// it to move each to where it already is. In a 10 MB document that walk is
// most of a keystroke (about 8 ms). Typing a letter almost never changes a
// paragraph's height, so nothing below it has to move: the paragraph is laid
// out again on its old lines' widths and places, and if any line comes out
// different, Qt lays it out its own way after all.
//
// Qt also keeps, for where to start its next layout, the text positions of
// points down the document. Edits laid out in place leave those behind the
// text; Qt reads them only when it lays out again, so before it does (and
// after a pause in typing) one ordinary Qt pass from the first such edit
// brings them up to date.
class InPlaceLayout : public QTextDocumentLayout
{
    Q_OBJECT

public:
    explicit InPlaceLayout(QTextDocument *document);

    // Edits laid out in place since Qt last laid the document out.
    int editsInPlace() const { return m_edits; }
    // Lets Qt catch up with the edits laid out in place, now.
    void catchUp();

protected:
    void documentChanged(int from, int oldLength, int length) override;

private:
    bool layOutInPlace(int from, int oldLength, int length);

    QTimer m_pause;
    int m_firstEdit = -1;   // lowest position an edit in place touched; -1: none pending
    int m_edits = 0;
    int m_blockCount = -1;  // paragraphs when last laid out
};
