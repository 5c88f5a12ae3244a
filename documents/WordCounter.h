#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include <QTextDocument>

class QTextBlock;

// The word count of the status bar, kept up to date while the user types.
//
// The rule: only blanks and CR LF separate words, and a hyphen directly
// before CR LF is dropped together with the CR LF, so a word hyphenated at a
// line end counts once. countText() applies it to a whole string in one pass.
//
// Counting a 1 MB text on every key press would dominate typing, so an
// attached counter keeps, per paragraph, how that paragraph moves the
// counting machine from each of its few states, and refreshes only the
// paragraphs a contentsChange touched. The total folds those tables in
// paragraph order, which keeps the cross-paragraph cases (a hyphen at a
// paragraph end joins the next paragraph's first word) exact. The figure
// always equals countText() of the control's CR LF text.
class WordCounter : public QObject
{
    Q_OBJECT

public:
    explicit WordCounter(QObject *parent = nullptr);

    static int countText(const QString &text);

    // The counter that follows this document, made on first use and owned by
    // the document, so it lives exactly as long as the text it counts.
    static WordCounter *of(QTextDocument *document);

    // Follows the document's changes from now on; nullptr detaches.
    void attach(QTextDocument *document);
    QTextDocument *document() const { return m_document; }
    int count();

    // The counting machine: a pending "-" or "-\r" of the hyphen rule, a
    // pending "\r" that may yet pair with "\n", and whether a word is open.
    static constexpr int StateCount = 12;

private:
    struct Table
    {
        std::array<std::uint8_t, StateCount> next;
        std::array<int, StateCount> words;
    };

    void rebuild();
    void onContentsChange(int position, int removed, int added);
    static Table tableFor(const QTextBlock &block);

    QPointer<QTextDocument> m_document;
    QMetaObject::Connection m_connection;
    std::vector<Table> m_blocks;
    int m_revision = -1;
    int m_total = 0;
    bool m_dirty = true;
};
