#pragma once

#include "TextFile.h"

#include <QByteArray>
#include <QString>
#include <QTextEdit>
#include <functional>
#include <memory>
#include <optional>

class QMenu;
class QPrinter;
class QTextBlock;

// The rich text edit control every document window holds. It speaks the
// units its callers were written for: character positions from 0, twips
// (1440 per inch) for indents and margins, points for font sizes, colours as
// 0x00BBGGRR, and std::nullopt (Null) when a selection mixes values.
//
// It raises Change for every change of the content, including LoadFile and
// programmatic SetText / SetSelText / SetSelRTF. LoadFile and SaveFile never
// throw: they return false and leave a reason in LastError(); a failed load
// leaves the content as it was, a failed save leaves the file on disk as it was.
//
// Positions count a paragraph break as one character; Text and SelText write
// it (and a line break inside a paragraph) as CR LF and leave out the
// placeholders of embedded pictures. Setters clamp positions and lengths to
// the text. Change is raised for format changes as well, so that a document
// that was only made bold still counts as changed. Justified paragraphs read
// as left aligned (0). LoadFile in Rich Text mode reads a file that is not
// RTF as plain text. Plain text files are read by their byte order mark, else
// as UTF-8 with any stray invalid byte taken as Windows-1252 (TextFile), and
// written in the encoding, mark and line ends of the file last loaded (UTF-8
// without a mark and the platform's line ends for new documents).
class RichTextBox : public QTextEdit
{
    Q_OBJECT

public:
    // Word documents and OpenDocument texts are read and written as packages.
    enum FileType { rtfRTF = 0, rtfText = 1, rtfDocx = 2, rtfOdt = 3 };
    enum FindOption { rtfWholeWord = 2, rtfMatchCase = 4, rtfNoHighlight = 8 };
    enum Alignment { rtfLeft = 0, rtfRight = 1, rtfCenter = 2 };

    explicit RichTextBox(QWidget *parent = nullptr);
    ~RichTextBox() override;

    // Whole plain text, paragraphs joined by CR LF, table cells by tabs.
    QString Text() const;
    // What follows a block in Text: lineEnd, a tab between table cells, or
    // nothing (after the last block, or an empty one Qt keeps before a table).
    static QString BlockEnd(const QTextBlock &block, const QString &lineEnd);
    void SetText(const QString &text);

    int SelStart() const;
    void SetSelStart(int position);   // collapses the selection, as the control does
    int SelLength() const;
    void SetSelLength(int length);
    QString SelText() const;
    void SetSelText(const QString &text);

    // RTF of the selection; setting inserts RTF as formatted content, any
    // other text as plain text.
    QByteArray SelRTF() const;
    void SetSelRTF(const QByteArray &rtfOrText);

    std::optional<QString> SelFontName() const;
    void SetSelFontName(const QString &name);
    std::optional<double> SelFontSize() const;
    void SetSelFontSize(double points);
    // The control's own conversion of typed text to a size; false (and nothing
    // changed) when the text is not a usable number.
    bool SetSelFontSizeText(const QString &text);

    std::optional<bool> SelBold() const;
    void SetSelBold(bool on);
    std::optional<bool> SelItalic() const;
    void SetSelItalic(bool on);
    std::optional<bool> SelUnderline() const;
    void SetSelUnderline(bool on);
    std::optional<bool> SelStrikeThru() const;
    void SetSelStrikeThru(bool on);
    std::optional<bool> SelBullet() const;
    void SetSelBullet(bool on);

    std::optional<int> SelColor() const;   // 0x00BBGGRR
    void SetSelColor(int bgr);

    std::optional<int> SelAlignment() const;   // Alignment codes
    void SetSelAlignment(int alignment);

    // Twips. SelIndent is the first line's left indent; SelHangingIndent is
    // where the following lines stand relative to the first.
    std::optional<int> SelIndent() const;
    void SetSelIndent(int twips);
    std::optional<int> SelHangingIndent() const;
    void SetSelHangingIndent(int twips);
    int RightMargin() const;
    void SetRightMargin(int twips);

    // The base font of the control (what empty text and plain loads show).
    QString FontName() const;
    void SetFontName(const QString &name);
    double FontSize() const;
    void SetFontSize(double points);
    bool FontBold() const;
    void SetFontBold(bool on);

    // Placement inside the parent, in twips.
    int Width() const;
    int Height() const;
    void Move(int left, int top, int width, int height);

    // A file too tall for the layout opens as far as it can be shown; the
    // rest is kept aside, unshown, and SaveFile writes it after the shown
    // part. A damaged or cut-short Rich Text file opens as far as it can be
    // read. LoadNotice then says so in words for the user (empty otherwise).
    bool LoadFile(const QString &path, int fileType = rtfRTF);
    bool SaveFile(const QString &path, int fileType = rtfRTF);
    // The bytes SaveFile writes: the whole document, the part kept aside too.
    QByteArray FileBytes(int fileType = rtfRTF) const;
    // How a plain text save writes the text: the line ends and encoding of
    // the file last loaded, unless set otherwise (a document brought back
    // from elsewhere that is to be saved as its own file was).
    TextFile::LineEnd TextLineEnd() const;
    TextFile::Encoding TextEncoding() const;
    void SetTextFileFormat(TextFile::LineEnd lineEnd, TextFile::Encoding encoding);
    QString LastError() const;
    // The last plain-text load met bytes that were not valid UTF-8 and read
    // them as Windows-1252; saving writes them as UTF-8.
    bool LoadedStrayBytes() const;
    // The type the last load read its file as: the one asked for, unless the
    // file's own format chose another (Rich Text saved under a .doc name).
    int LoadedFileType() const;
    QString LoadNotice() const;
    bool HasHiddenTail() const;
    // Test seam: the next SaveFile (of any control) stops after writing this
    // many bytes, as a full disk would stop it; -1 switches it off.
    static void InjectSaveFailure(qint64 afterBytes);

    // Position of the match (then selected, unless rtfNoHighlight), or -1.
    // end < 0 searches to the end of the text.
    int Find(const QString &text, int start = 0, int end = -1, int options = 0);
    // Extends the selection forward or backward over the run of characters in
    // the set (negate false) or not in the set (negate true).
    void Span(const QString &characterSet, bool forward = true, bool negate = false);
    // Prints the selection as one job, laid out on the printer's pages with
    // 2 cm margins, honouring its page range, copies and page order. False,
    // with the reason in LastError(), when nothing or not all was printed.
    bool SelPrint(QPrinter *printer);
    // Writes every page of the whole document to path as a PDF, laid out as
    // SelPrint lays it out, links live; the selection stays. The PDF is made
    // aside and written in one piece, so a failure leaves any file there whole.
    bool ExportPdf(const QString &path);

    // Batches the edits made until the matching EndUpdate: they form one undo
    // step and one relayout, and Change and SelChange are raised once at the
    // end (when something changed or moved) instead of once per edit, so a
    // command that makes thousands of edits costs what its edits cost.
    // Nested pairs count; only the outermost EndUpdate finishes the batch.
    void BeginUpdate();
    void EndUpdate();

    // EM_LINEFROMCHAR and EM_GETLINECOUNT: lines as laid out (wrapped).
    // Neither lays the whole document out: a long document is laid out in
    // slices from the event loop, GetLineCount gives the lines known so far
    // until LineCountComplete, and LineCountChanged tells when the figure grew
    // or became final. LineFromChar lays out up to its paragraph only.
    int LineFromChar(int position = -1) const;   // -1: the line of the selection start
    int GetLineCount() const;                     // at least 1
    bool LineCountComplete() const;

    // WM_COPY and WM_PASTE: the rich clipboard (RTF, HTML and plain text).
    void CopyRich();
    void PasteRich();

    // Whether the control handles Ctrl+C / Ctrl+V (and Ctrl+X) itself; the
    // document window turns this off and does them on key release.
    void SetClipboardKeysEnabled(bool enabled);
    bool ClipboardKeysEnabled() const;

    // Drawn over the text after the text itself, with the exposed part of
    // the viewport: marks that are the control's, not the document's (an
    // empty function draws nothing).
    using Overlay = std::function<void(QPainter &painter, const QRect &exposed)>;
    void SetOverlay(Overlay overlay);

    // The menu a right-click at a viewport point opens: what listeners of
    // ContextMenuOpening add, then the control's own entries (undo, cut,
    // copy, paste, select all). The caller owns it.
    QMenu *ContextMenu(const QPoint &viewportPos);

signals:
    // A context menu is being built for the document position under the
    // mouse (or the caret, from the keyboard); listeners may add entries.
    void ContextMenuOpening(QMenu *menu, int position);
    void Change();
    void SelChange();
    void KeyPress(int keyAscii);
    void KeyUp(int keyCode, int shift);
    void MouseUp(int button, int shift, int x, int y);
    void OverwriteModeChanged(bool overwrite);
    void LineCountChanged();
    // LoadFile builds a new QTextDocument and swaps it in; whatever was
    // attached to the old document() (a highlighter, say) must attach anew.
    void DocumentReplaced(QTextDocument *document);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void adoptDocument(QTextDocument *doc);
    // A copy of the shown text, and with withTail the part kept aside after it.
    std::unique_ptr<QTextDocument> wholeDocument(bool withTail = true) const;
    // Cuts `doc` at `position`, returning what followed; joinsLastBlock
    // tells whether the first paragraph of it continues the last one left.
    std::unique_ptr<QTextDocument> splitOff(QTextDocument &doc, int position, bool *joinsLastBlock);
    qreal currentWrapWidth() const;
    // Line wrap from the right margin, never narrower than the floor.
    void applyWrap();
    QTextOption::WrapMode wantedWordWrap() const;

    void restartLineCount();
    void noteEdit(int position, int removed, int added);
    // Lays out further for about budgetMs; true once all is laid out.
    bool extendLayout(int budgetMs);
    void layoutSlice();
    void refreshLineCounts() const;
    void watchDocument(QTextDocument *doc);
    // Raises SelChange when the selection moved, or always when the text
    // around it was replaced (a load, a new Text), which moves it in effect.
    void announceSelection(bool replaced);
    void raiseChange();
    // The selection the members work on: the view's, or during a batch the
    // batch's own, which the view takes over at its end.
    QTextCursor selection() const;
    void setSelection(const QTextCursor &cursor);
    // Hands a batch's selection to the view now, for the few members that
    // work through the view itself (clipboard).
    void showSelection();
    void mergeSelectionFormat(const QTextCharFormat &format);

    struct Private;
    Private *d;
};
