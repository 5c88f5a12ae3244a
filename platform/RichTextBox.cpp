#include "RichTextBox.h"

#include "DocumentFile.h"
#include "InPlaceLayout.h"
#include "DocumentText.h"
#include "FileWriter.h"
#include "LayoutBound.h"
#include "PageSettings.h"
#include "KeyCodes.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "SpellMarks.h"
#include "TextFile.h"
#include "Twips.h"
#include "UnbreakableRuns.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QLocale>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QResizeEvent>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTimer>
#include <QTemporaryDir>
#include <QTextList>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <vector>
#include <utility>

namespace {

constexpr int TwipsPerInch = 1440;
// A load is measured at least this wide (a window not yet placed is narrow).
constexpr qreal MeasureWidth = 600;
// Floors below this are no constraint worth keeping.
constexpr qreal MinimumWrapFloor = 40;
// The line figures: layout slices, how often a growing total is shown, the
// rest laid out on the spot when asked, and an edit large enough to count
// its paragraphs again.
constexpr int SliceMs = 8;
constexpr int ProgressMs = 300;
constexpr int SynchronousRest = 20000;
constexpr int LargeEdit = 100000;
constexpr double MaxFontSize = 1638.0;   // the largest size the control accepts
constexpr qreal BulletRoom = 14;         // pixels left of the text, where bullets go

const QString RtfMime = QStringLiteral("text/rtf");
const QString RtfMimeAlt = QStringLiteral("application/rtf");
const QString RichTextMime = QStringLiteral("text/richtext");

int documentLength(const QTextDocument *doc)
{
    return DocumentText::length(doc);
}

bool isParagraphBreak(QChar c)
{
    switch (c.unicode()) {
    case 0x2029:   // paragraph separator
    case 0x2028:   // line separator inside a paragraph
    case 0xfdd0:   // beginning of a frame (table)
    case 0xfdd1:   // end of a frame
        return true;
    default:
        return false;
    }
}

QString plainText(const QTextDocument *doc, int from, int to, const QString &lineEnd)
{
    return DocumentText::plain(doc, from, to, lineEnd);
}

int toBgr(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

QColor fromBgr(int bgr)
{
    return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
}

bool isBulletStyle(QTextListFormat::Style style)
{
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle
            || style == QTextListFormat::ListSquare;
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c == u'_';
}

// One value for the whole range, or nullopt when it varies.
template<typename T>
class Agreement
{
public:
    void add(const T &value)
    {
        if (!m_seen) {
            m_value = value;
            m_seen = true;
        } else if (!(value == m_value)) {
            m_mixed = true;
        }
    }
    bool seen() const { return m_seen; }
    std::optional<T> result() const
    {
        if (!m_seen || m_mixed)
            return std::nullopt;
        return m_value;
    }
    bool mixed() const { return m_mixed; }

private:
    T m_value{};
    bool m_seen = false;
    bool m_mixed = false;
};

} // namespace

struct RichTextBox::Private
{
    QString lastError;
    bool clipboardKeys = true;
    QFont baseFont;
    int rightMarginTwips = 0;
    TextFile::LineEnd lineEnd = TextFile::platformLineEnd();
    TextFile::Encoding encoding = TextFile::Encoding::Utf8;
    bool strayBytes = false;
    int loadedType = 0;
    int changeSuppression = 0;   // > 0 while a programmatic edit raises Change itself
    int lastAnchor = -1;
    int lastPosition = -1;

    // What a load could not show: the paragraphs past the layout's limit,
    // never laid out, written back after the shown part on Save.
    std::unique_ptr<QTextDocument> tail;
    QString loadNotice;
    bool tailJoinsLastBlock = false;
    // Narrowest line width at which the shown part still surely fits the
    // layout's page; a narrower window scrolls sideways instead.
    qreal wrapFloor = 0;
    // Lines break anywhere while a paragraph holds a run word wrap would
    // take quadratic time over.
    bool breakAnywhere = false;

    // Line figures. Positions before `frontier` are laid out at the present
    // width; the driver extends it from the event loop in short slices, so
    // the total follows without holding up typing.
    int frontier = 0;
    bool layoutDone = false;
    QTimer *driver = nullptr;
    QElapsedTimer sinceProgress;
    // Lines of each paragraph before the frontier, kept so a keystroke does
    // not walk the whole document twice.
    std::vector<int> lineCounts;
    std::vector<int> dirtyBlocks;
    bool countsValid = false;
    int countedBlocks = -1;
    qint64 totalLines = 0;
    int updateDepth = 0;               // > 0 inside BeginUpdate / EndUpdate
    QTextCursor updateBlock;           // holds the batch's edit block open
    // The selection during a batch, kept apart from the view: moving the
    // view's cursor lays out its paragraph to keep it in sight, which for
    // thousands of edits in one long paragraph costs more than the edits.
    QTextCursor batchSelection;
    bool changePending = false;        // Change held back by the batch
    bool selectionReplacedPending = false;   // a load or new Text during the batch

    // The modifiers held when each key still down went down: a chord's
    // release reports them, whichever key of it comes up first.
    QHash<quint64, Qt::KeyboardModifiers> pressedWith;

    Overlay overlay;
};

namespace {

// A programmatic edit raises Change exactly once, whatever the document
// reported on the way (also when it reported nothing).
class ProgrammaticEdit
{
public:
    explicit ProgrammaticEdit(int &counter) : m_counter(counter) { ++m_counter; }
    ~ProgrammaticEdit() { --m_counter; }
    ProgrammaticEdit(const ProgrammaticEdit &) = delete;
    ProgrammaticEdit &operator=(const ProgrammaticEdit &) = delete;

private:
    int &m_counter;
};

} // namespace

RichTextBox::RichTextBox(QWidget *parent)
    : QTextEdit(parent), d(new Private)
{
    d->baseFont = QFont(QStringLiteral("Verdana"), 10);
    setFont(d->baseFont);
    document()->setDefaultFont(d->baseFont);
    // Qt draws a bullet to the left of its paragraph's first line; a wider
    // margin keeps the bullets of paragraphs that start at the left edge in
    // view (RTF lists usually hang their bullet at indent 0).
    document()->setDocumentMargin(BulletRoom);
    document()->setDocumentLayout(new InPlaceLayout(document()));
    setAcceptRichText(true);
    setTabChangesFocus(false);

    d->driver = new QTimer(this);
    d->driver->setInterval(0);
    connect(d->driver, &QTimer::timeout, this, &RichTextBox::layoutSlice);
    watchDocument(document());
    restartLineCount();
    auto selectionMoved = [this] { announceSelection(false); };
    connect(this, &QTextEdit::cursorPositionChanged, this, selectionMoved);
    connect(this, &QTextEdit::selectionChanged, this, selectionMoved);
    const QTextCursor c = textCursor();
    d->lastAnchor = c.anchor();
    d->lastPosition = c.position();
}

void RichTextBox::announceSelection(bool replaced)
{
    if (d->updateDepth > 0) {
        d->selectionReplacedPending = d->selectionReplacedPending || replaced;
        return;
    }
    const QTextCursor c = textCursor();
    if (!replaced && c.anchor() == d->lastAnchor && c.position() == d->lastPosition)
        return;
    d->lastAnchor = c.anchor();
    d->lastPosition = c.position();
    emit SelChange();
}

void RichTextBox::raiseChange()
{
    if (d->updateDepth > 0)
        d->changePending = true;
    else
        emit Change();
}

QTextCursor RichTextBox::selection() const
{
    if (d->updateDepth > 0 && d->batchSelection.document() == document())
        return d->batchSelection;
    return textCursor();
}

void RichTextBox::setSelection(const QTextCursor &cursor)
{
    if (d->updateDepth > 0)
        d->batchSelection = cursor;
    else
        setTextCursor(cursor);
}

void RichTextBox::showSelection()
{
    if (d->updateDepth > 0 && d->batchSelection.document() == document())
        setTextCursor(d->batchSelection);
}

void RichTextBox::mergeSelectionFormat(const QTextCharFormat &format)
{
    if (d->updateDepth == 0) {
        mergeCurrentCharFormat(format);
        return;
    }
    QTextCursor c = selection();
    c.mergeCharFormat(format);
    setSelection(c);
}

void RichTextBox::BeginUpdate()
{
    if (d->updateDepth++ > 0)
        return;
    d->updateBlock = QTextCursor(document());
    d->updateBlock.beginEditBlock();
    d->batchSelection = textCursor();
}

void RichTextBox::EndUpdate()
{
    if (d->updateDepth == 0)
        return;
    if (d->updateDepth > 1) {
        --d->updateDepth;
        return;
    }
    // Still inside the batch here: the document's own change notice, held
    // back until the block ends, counts as the batch's one Change. When a
    // load replaced the document meanwhile, the block ended with the old one
    // and this does nothing.
    d->updateBlock.endEditBlock();
    d->updateBlock = QTextCursor();
    d->updateDepth = 0;
    const QTextCursor selected = std::exchange(d->batchSelection, QTextCursor());
    if (selected.document() == document())
        setTextCursor(selected);
    if (std::exchange(d->changePending, false))
        emit Change();
    announceSelection(std::exchange(d->selectionReplacedPending, false));
}

RichTextBox::~RichTextBox()
{
    // The spelling marks say goodbye to the control (SetOverlay): they go
    // while it is still whole, not among QWidget's children after it.
    qDeleteAll(findChildren<SpellMarks *>(QString(), Qt::FindDirectChildrenOnly));
    // Other children go after this, and may still call in.
    delete std::exchange(d, nullptr);
}

// ---------------------------------------------------------------- text

QString RichTextBox::BlockEnd(const QTextBlock &block, const QString &lineEnd)
{
    return DocumentText::blockEnd(block, lineEnd);
}

QString RichTextBox::Text() const
{
    return plainText(document(), 0, documentLength(document()), QStringLiteral("\r\n"));
}

void RichTextBox::SetText(const QString &text)
{
    // The whole text is replaced, so nothing of a former load is kept back.
    d->tail.reset();
    d->loadNotice.clear();
    d->wrapFloor = 0;
    applyWrap();
    {
        ProgrammaticEdit edit(d->changeSuppression);
        QTextCursor c(document());
        c.beginEditBlock();
        c.select(QTextCursor::Document);
        c.removeSelectedText();
        c.setBlockFormat(QTextBlockFormat());
        c.setBlockCharFormat(QTextCharFormat());
        c.setCharFormat(QTextCharFormat());
        c.insertText(text);
        c.endEditBlock();
        c.setPosition(0);
        setSelection(c);
    }
    raiseChange();
    announceSelection(true);
}

int RichTextBox::SelStart() const
{
    return selection().selectionStart();
}

void RichTextBox::SetSelStart(int position)
{
    QTextCursor c = selection();
    c.setPosition(qBound(0, position, documentLength(document())));
    setSelection(c);
}

int RichTextBox::SelLength() const
{
    const QTextCursor c = selection();
    return c.selectionEnd() - c.selectionStart();
}

void RichTextBox::SetSelLength(int length)
{
    QTextCursor c = selection();
    const int start = c.selectionStart();
    const int end = qBound(start, start + qMax(0, length), documentLength(document()));
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    setSelection(c);
}

QString RichTextBox::SelText() const
{
    const QTextCursor c = selection();
    return plainText(document(), c.selectionStart(), c.selectionEnd(), QStringLiteral("\r\n"));
}

void RichTextBox::SetSelText(const QString &text)
{
    {
        ProgrammaticEdit edit(d->changeSuppression);
        QTextCursor c = selection();
        c.insertText(text);
        setSelection(c);
    }
    raiseChange();
}

QByteArray RichTextBox::SelRTF() const
{
    return RtfWriter::write(selection());
}

void RichTextBox::SetSelRTF(const QByteArray &rtfOrText)
{
    {
        ProgrammaticEdit edit(d->changeSuppression);
        QTextCursor c = selection();
        c.beginEditBlock();
        if (RtfReader::isRtf(rtfOrText))
            RtfReader::insert(rtfOrText, c);
        else
            c.insertText(TextFile::decode(rtfOrText).text);
        c.endEditBlock();
        setSelection(c);
    }
    raiseChange();
}

// ---------------------------------------------------------------- character formats

template<typename T, typename Extract>
std::optional<T> charProperty(const QTextCursor &cursor, Extract extract)
{
    if (!cursor.hasSelection())
        return extract(cursor.charFormat());

    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    Agreement<T> agreement;
    const QTextDocument *doc = cursor.document();
    for (QTextBlock block = doc->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const int fragStart = fragment.position();
            const int fragEnd = fragStart + fragment.length();
            if (fragEnd <= start || fragStart >= end)
                continue;
            agreement.add(extract(fragment.charFormat()));
            if (agreement.mixed())
                return std::nullopt;
        }
    }
    if (!agreement.seen())   // only paragraph breaks selected
        return extract(cursor.charFormat());
    return agreement.result();
}

std::optional<QString> RichTextBox::SelFontName() const
{
    const QString base = document()->defaultFont().family();
    return charProperty<QString>(selection(), [&](const QTextCharFormat &f) {
        const QStringList families = f.fontFamilies().toStringList();
        if (!families.isEmpty() && !families.first().isEmpty())
            return families.first();
        const QString family = f.stringProperty(QTextFormat::FontFamily);
        if (!family.isEmpty())
            return family;
        return base;
    });
}

void RichTextBox::SetSelFontName(const QString &name)
{
    if (name.isEmpty())
        return;
    QTextCharFormat f;
    f.setFontFamilies(QStringList{name});
    mergeSelectionFormat(f);
}

std::optional<double> RichTextBox::SelFontSize() const
{
    const double base = document()->defaultFont().pointSizeF();
    return charProperty<double>(selection(), [&](const QTextCharFormat &f) {
        const double size = f.fontPointSize();
        return size > 0 ? size : base;
    });
}

void RichTextBox::SetSelFontSize(double points)
{
    if (!(points > 0 && points <= MaxFontSize))
        return;
    QTextCharFormat f;
    f.setFontPointSize(points);
    mergeSelectionFormat(f);
}

bool RichTextBox::SetSelFontSizeText(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double size = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        size = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !(size > 0 && size <= MaxFontSize))
        return false;
    SetSelFontSize(size);
    return true;
}

std::optional<bool> RichTextBox::SelBold() const
{
    const bool base = document()->defaultFont().bold();
    return charProperty<bool>(selection(), [&](const QTextCharFormat &f) {
        return f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() >= QFont::Bold : base;
    });
}

void RichTextBox::SetSelBold(bool on)
{
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    mergeSelectionFormat(f);
}

std::optional<bool> RichTextBox::SelItalic() const
{
    const bool base = document()->defaultFont().italic();
    return charProperty<bool>(selection(), [&](const QTextCharFormat &f) {
        return f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : base;
    });
}

void RichTextBox::SetSelItalic(bool on)
{
    QTextCharFormat f;
    f.setFontItalic(on);
    mergeSelectionFormat(f);
}

std::optional<bool> RichTextBox::SelUnderline() const
{
    const bool base = document()->defaultFont().underline();
    return charProperty<bool>(selection(), [&](const QTextCharFormat &f) {
        if (f.hasProperty(QTextFormat::TextUnderlineStyle)
            || f.hasProperty(QTextFormat::FontUnderline))
            return f.fontUnderline();
        return base;
    });
}

void RichTextBox::SetSelUnderline(bool on)
{
    QTextCharFormat f;
    f.setFontUnderline(on);
    mergeSelectionFormat(f);
}

std::optional<bool> RichTextBox::SelStrikeThru() const
{
    const bool base = document()->defaultFont().strikeOut();
    return charProperty<bool>(selection(), [&](const QTextCharFormat &f) {
        return f.hasProperty(QTextFormat::FontStrikeOut) ? f.fontStrikeOut() : base;
    });
}

void RichTextBox::SetSelStrikeThru(bool on)
{
    QTextCharFormat f;
    f.setFontStrikeOut(on);
    mergeSelectionFormat(f);
}

std::optional<int> RichTextBox::SelColor() const
{
    return charProperty<int>(selection(), [](const QTextCharFormat &f) {
        const QBrush brush = f.foreground();
        return brush.style() == Qt::NoBrush ? 0 : toBgr(brush.color());
    });
}

void RichTextBox::SetSelColor(int bgr)
{
    if (bgr < 0 || bgr > 0xffffff)
        return;
    QTextCharFormat f;
    f.setForeground(fromBgr(bgr));
    mergeSelectionFormat(f);
}

// ---------------------------------------------------------------- paragraph formats

namespace {

// The paragraphs a selection touches. A selection that ends right at the
// start of a paragraph does not take that paragraph in.
QList<QTextBlock> selectedBlocks(const QTextCursor &cursor)
{
    const QTextDocument *doc = cursor.document();
    const int start = cursor.selectionStart();
    int end = cursor.selectionEnd();
    if (end > start && doc->findBlock(end).position() == end)
        --end;
    QList<QTextBlock> blocks;
    const QTextBlock last = doc->findBlock(end);
    for (QTextBlock block = doc->findBlock(start); block.isValid(); block = block.next()) {
        blocks.append(block);
        if (block == last)
            break;
    }
    return blocks;
}

template<typename T, typename Extract>
std::optional<T> blockProperty(const QTextCursor &cursor, Extract extract)
{
    Agreement<T> agreement;
    for (const QTextBlock &block : selectedBlocks(cursor)) {
        agreement.add(extract(block));
        if (agreement.mixed())
            return std::nullopt;
    }
    return agreement.result();
}

// Applies `change` to each selected paragraph's format, as one edit.
template<typename Change>
void changeBlocks(const QTextCursor &cursor, Change change)
{
    const QList<QTextBlock> blocks = selectedBlocks(cursor);
    if (blocks.isEmpty())
        return;
    QTextCursor editor(blocks.first());
    editor.beginEditBlock();
    for (const QTextBlock &block : blocks) {
        QTextBlockFormat format = block.blockFormat();
        if (change(block, format)) {
            QTextCursor at(block);
            at.setBlockFormat(format);
        }
    }
    editor.endEditBlock();
}

int alignmentCode(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignHCenter)
        return RichTextBox::rtfCenter;
    if (alignment & Qt::AlignRight)
        return RichTextBox::rtfRight;
    return RichTextBox::rtfLeft;   // left and justified
}

} // namespace

std::optional<bool> RichTextBox::SelBullet() const
{
    return blockProperty<bool>(selection(), [](const QTextBlock &block) {
        const QTextList *list = block.textList();
        return list && isBulletStyle(list->format().style());
    });
}

void RichTextBox::SetSelBullet(bool on)
{
    const QList<QTextBlock> blocks = selectedBlocks(selection());
    if (blocks.isEmpty())
        return;
    if (on && SelBullet() == true)
        return;

    QTextCursor editor(blocks.first());
    editor.beginEditBlock();
    QTextList *list = nullptr;
    if (on) {
        QTextListFormat listFormat;
        listFormat.setStyle(QTextListFormat::ListDisc);
        listFormat.setIndent(0);
        list = editor.createList(listFormat);
    }
    for (const QTextBlock &block : blocks) {
        // Setting the object index directly keeps the paragraph's own
        // indents, which QTextList::remove would shift by the list's indent.
        QTextBlockFormat format = block.blockFormat();
        format.setObjectIndex(list ? list->objectIndex() : -1);
        QTextCursor at(block);
        at.setBlockFormat(format);
    }
    editor.endEditBlock();
}

std::optional<int> RichTextBox::SelAlignment() const
{
    return blockProperty<int>(selection(), [](const QTextBlock &block) {
        return alignmentCode(block.blockFormat().alignment());
    });
}

void RichTextBox::SetSelAlignment(int alignment)
{
    Qt::Alignment qt;
    switch (alignment) {
    case rtfLeft: qt = Qt::AlignLeft; break;
    case rtfRight: qt = Qt::AlignRight; break;
    case rtfCenter: qt = Qt::AlignHCenter; break;
    default: return;
    }
    changeBlocks(selection(), [qt](const QTextBlock &, QTextBlockFormat &format) {
        if (format.hasProperty(QTextFormat::BlockAlignment) && format.alignment() == qt)
            return false;
        format.setAlignment(qt);
        return true;
    });
}

std::optional<int> RichTextBox::SelIndent() const
{
    return blockProperty<int>(selection(), [](const QTextBlock &block) {
        const QTextBlockFormat f = block.blockFormat();
        return Twips::fromPixels(f.leftMargin() + f.textIndent());
    });
}

void RichTextBox::SetSelIndent(int twips)
{
    // The first line moves; the other lines keep their place relative to it.
    const qreal firstLine = Twips::toPixels(twips);
    changeBlocks(selection(), [firstLine](const QTextBlock &, QTextBlockFormat &format) {
        format.setLeftMargin(firstLine - format.textIndent());
        return true;
    });
}

std::optional<int> RichTextBox::SelHangingIndent() const
{
    return blockProperty<int>(selection(), [](const QTextBlock &block) {
        return Twips::fromPixels(-block.blockFormat().textIndent());
    });
}

void RichTextBox::SetSelHangingIndent(int twips)
{
    // The first line stays where it is; the following lines move.
    const qreal hanging = Twips::toPixels(twips);
    changeBlocks(selection(), [hanging](const QTextBlock &, QTextBlockFormat &format) {
        const qreal firstLine = format.leftMargin() + format.textIndent();
        format.setTextIndent(-hanging);
        format.setLeftMargin(firstLine + hanging);
        return true;
    });
}

int RichTextBox::RightMargin() const
{
    return d->rightMarginTwips;
}

void RichTextBox::SetRightMargin(int twips)
{
    if (twips < 0)
        return;   // a window too small for its margin keeps the old wrap
    d->rightMarginTwips = twips;
    applyWrap();
    restartLineCount();
}

// ---------------------------------------------------------------- base font

namespace {
void applyBaseFont(RichTextBox *box, const QFont &font)
{
    box->setFont(font);
    box->document()->setDefaultFont(font);
}
} // namespace

QString RichTextBox::FontName() const
{
    return d->baseFont.family();
}

void RichTextBox::SetFontName(const QString &name)
{
    if (name.isEmpty())
        return;
    d->baseFont.setFamily(name);
    applyBaseFont(this, d->baseFont);
    restartLineCount();
}

double RichTextBox::FontSize() const
{
    return d->baseFont.pointSizeF();
}

void RichTextBox::SetFontSize(double points)
{
    if (!(points > 0 && points <= MaxFontSize))
        return;
    d->baseFont.setPointSizeF(points);
    applyBaseFont(this, d->baseFont);
    restartLineCount();
}

bool RichTextBox::FontBold() const
{
    return d->baseFont.bold();
}

void RichTextBox::SetFontBold(bool on)
{
    d->baseFont.setBold(on);
    applyBaseFont(this, d->baseFont);
    restartLineCount();
}

// ---------------------------------------------------------------- placement

int RichTextBox::Width() const
{
    return qRound(width() * double(TwipsPerInch) / logicalDpiX());
}

int RichTextBox::Height() const
{
    return qRound(height() * double(TwipsPerInch) / logicalDpiY());
}

void RichTextBox::Move(int left, int top, int width, int height)
{
    if (width < 0 || height < 0)
        return;
    const double sx = logicalDpiX() / double(TwipsPerInch);
    const double sy = logicalDpiY() / double(TwipsPerInch);
    setGeometry(qRound(left * sx), qRound(top * sy), qRound(width * sx), qRound(height * sy));
}

// ---------------------------------------------------------------- files

bool RichTextBox::LoadFile(const QString &path, int fileType)
{
    d->lastError.clear();
    // Built apart from the view (no layout while it grows) and swapped in only
    // once complete, so a failed read leaves the content as it was.
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(d->baseFont);
    doc->setDocumentMargin(document()->documentMargin());
    doc->setIndentWidth(document()->indentWidth());
    const DocumentFile::ReadResult read = DocumentFile::read(path, fileType, *doc);
    if (!read.ok) {
        d->lastError = read.errorText;
        return false;
    }

    // Measured before any layout exists: what does not surely fit the
    // layout's page is kept aside, whole, for Save.
    const qreal width = qMax<qreal>(MeasureWidth, currentWrapWidth());
    LayoutBound bound(*doc, width, this);
    const LayoutBound::Result fit = bound.measure();
    std::unique_ptr<QTextDocument> tail;
    QString notice;
    if (read.incomplete) {
        notice = QStringLiteral("\"%1\" may be incomplete: it is damaged or cut short, and is shown "
                                "as far as it could be read.").arg(QFileInfo(path).fileName());
    }
    if (fit.cutPosition >= 0) {
        const int paragraphs = doc->blockCount();
        tail = splitOff(*doc, fit.cutPosition, &d->tailJoinsLastBlock);
        if (!notice.isEmpty())
            notice += QStringLiteral("\r\n\r\n");
        notice += QStringLiteral("\"%1\" is too long to be shown whole: the first %2 of its %3 paragraphs "
                                 "are shown. Saving the document keeps all of it.")
                         .arg(QFileInfo(path).fileName(), QLocale().toString(fit.cutBlock),
                              QLocale().toString(paragraphs));
    }
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);

    d->lineEnd = read.lineEnd;
    d->encoding = read.encoding;
    d->strayBytes = read.strayBytes;
    d->loadedType = read.type;
    d->tail = std::move(tail);
    d->loadNotice = notice;
    // Narrower than this, the shown part could outgrow the page again.
    d->wrapFloor = fit.height * width / LayoutBound::MaxHeight * 1.25;
    if (d->wrapFloor < MinimumWrapFloor)
        d->wrapFloor = 0;
    d->breakAnywhere = UnbreakableRuns::Any(*doc);
    adoptDocument(doc.release());
    applyWrap();
    raiseChange();
    announceSelection(true);
    return true;
}

std::unique_ptr<QTextDocument> RichTextBox::splitOff(QTextDocument &doc, int position, bool *joinsLastBlock)
{
    std::unique_ptr<QTextDocument> tail(doc.clone());
    tail->setUndoRedoEnabled(false);
    const QTextBlock first = tail->findBlock(position);
    const QTextBlockFormat blockFormat = first.blockFormat();
    const QTextCharFormat blockCharFormat = first.charFormat();
    QTextCursor cut(tail.get());
    cut.setPosition(0);
    cut.setPosition(position, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    // The paragraph that now comes first keeps its own formats.
    cut.setBlockFormat(blockFormat);
    cut.setBlockCharFormat(blockCharFormat);

    // The paragraph mark before the cut goes too, so the shown part ends with
    // its last paragraph; after a table (or at the very start) the cut
    // paragraph stays as an empty one and the tail joins it on Save.
    QTextCursor rest(&doc);
    const bool markBefore = position > 0 && doc.characterAt(position - 1) == QChar::ParagraphSeparator
            && doc.frameAt(position - 1) == doc.rootFrame();
    if (joinsLastBlock)
        *joinsLastBlock = !markBefore;
    rest.setPosition(markBefore ? position - 1 : position);
    rest.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    rest.removeSelectedText();
    return tail;
}

QString RichTextBox::LoadNotice() const
{
    return d->loadNotice;
}

bool RichTextBox::HasHiddenTail() const
{
    return d->tail != nullptr;
}

void RichTextBox::watchDocument(QTextDocument *doc)
{
    connect(doc, &QTextDocument::contentsChanged, this, [this] {
        if (d->changeSuppression == 0)
            raiseChange();
    });
    connect(doc, &QTextDocument::contentsChange, this, [this](int position, int removed, int added) {
        noteEdit(position, removed, added);
    });
}

void RichTextBox::adoptDocument(QTextDocument *doc)
{
    // The first document belongs to the inner control, which deletes it
    // itself when replaced; the guard notices that.
    const QPointer<QTextDocument> old = document();
    doc->setParent(this);
    {
        ProgrammaticEdit edit(d->changeSuppression);
        // A new wrap mode lays the shown document out again at once: let
        // that be an empty one, never the old or new text in a mode that
        // could take minutes over it. It must outlive the switch below.
        QTextDocument empty;
        const QTextOption::WrapMode wrap = wantedWordWrap();
        if (wordWrapMode() != wrap) {
            setDocument(&empty);
            setWordWrapMode(wrap);
        }
        DocumentFile::setLeftToRight(*doc);
        if (!qobject_cast<InPlaceLayout *>(doc->documentLayout()))
            doc->setDocumentLayout(new InPlaceLayout(doc));
        setDocument(doc);
        watchDocument(doc);
        setTextCursor(QTextCursor(doc));
    }
    if (old && old != doc && old->parent() == this)
        delete old.data();
    restartLineCount();
    emit DocumentReplaced(doc);
}

std::unique_ptr<QTextDocument> RichTextBox::wholeDocument(bool withTail) const
{
    // The shown part, as edited, and then the part kept aside, as read.
    std::unique_ptr<QTextDocument> whole(document()->clone());
    whole->setDefaultFont(document()->defaultFont());
    if (!d->tail || !withTail)
        return whole;
    QTextCursor end(whole.get());
    end.movePosition(QTextCursor::End);
    // List membership is the tail's own object; the fragment carries it.
    QTextBlockFormat first = d->tail->begin().blockFormat();
    first.clearProperty(QTextFormat::ObjectIndex);
    if (d->tailJoinsLastBlock)
        end.setBlockFormat(first);
    else
        end.insertBlock(first, d->tail->begin().charFormat());
    end.insertFragment(QTextDocumentFragment(d->tail.get()));
    return whole;
}

QByteArray RichTextBox::FileBytes(int fileType) const
{
    if (!d->tail)
        return DocumentFile::bytes(*document(), fileType, d->lineEnd, d->encoding);
    if (fileType == rtfText) {
        const QString lineEnd = TextFile::lineEndText(d->lineEnd);
        const QString join = d->tailJoinsLastBlock ? QString() : lineEnd;
        return TextFile::encode(plainText(document(), 0, documentLength(document()), lineEnd) + join
                                    + plainText(d->tail.get(), 0, documentLength(d->tail.get()), lineEnd),
                                d->encoding);
    }
    return DocumentFile::bytes(*wholeDocument(), fileType, d->lineEnd, d->encoding);
}

bool RichTextBox::SaveFile(const QString &path, int fileType)
{
    d->lastError.clear();
    if (fileType < rtfRTF || fileType > rtfOdt) {
        d->lastError = QStringLiteral("Cannot save \"%1\": unknown file type %2").arg(path).arg(fileType);
        return false;
    }
    // Text under a .docx or .pdf name would destroy what the name promises.
    if (fileType == rtfText) {
        d->lastError = DocumentFile::refusesText(path);
        if (!d->lastError.isEmpty())
            return false;
    }
    const QByteArray bytes = FileBytes(fileType);
    // An empty package would replace the file with nothing.
    if ((fileType == rtfDocx || fileType == rtfOdt) && bytes.isEmpty()) {
        d->lastError = QStringLiteral("Cannot save \"%1\": the document could not be put together").arg(path);
        return false;
    }
    return FileWriter::write(path, bytes, &d->lastError);
}

TextFile::LineEnd RichTextBox::TextLineEnd() const
{
    return d->lineEnd;
}

TextFile::Encoding RichTextBox::TextEncoding() const
{
    return d->encoding;
}

void RichTextBox::SetTextFileFormat(TextFile::LineEnd lineEnd, TextFile::Encoding encoding)
{
    d->lineEnd = lineEnd;
    d->encoding = encoding;
}

QString RichTextBox::LastError() const
{
    return d->lastError;
}

bool RichTextBox::LoadedStrayBytes() const
{
    return d->strayBytes;
}

int RichTextBox::LoadedFileType() const
{
    return d->loadedType;
}

void RichTextBox::InjectSaveFailure(qint64 afterBytes)
{
    FileWriter::injectFailure(afterBytes);
}

// ---------------------------------------------------------------- find and span

namespace {

bool wholeWordAt(const QString &text, int index, int length)
{
    if (index > 0 && isWordChar(text.at(index - 1)))
        return false;
    const int after = index + length;
    return after >= text.size() || !isWordChar(text.at(after));
}

// Text of [from, to) inside one paragraph, read from the document's pieces
// in that range only.
QString textBetween(QTextDocument *doc, int from, int to)
{
    QTextCursor c(doc);
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    return c.selectedText();
}

} // namespace

int RichTextBox::Find(const QString &text, int start, int end, int options)
{
    if (text.isEmpty())
        return -1;
    QTextDocument *doc = document();
    const int length = documentLength(doc);
    start = qBound(0, start, length);
    if (end < 0 || end > length)
        end = length;
    if (start >= end)
        return -1;

    const Qt::CaseSensitivity cs = (options & rtfMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const bool wholeWord = options & rtfWholeWord;

    // Text with line breaks matches across paragraphs: the first piece ends a
    // paragraph, the middle ones are whole paragraphs, the last starts one.
    QString needle = text;
    needle.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    needle.replace(u'\r', u'\n');
    needle.replace(QChar::ParagraphSeparator, u'\n');
    const QStringList pieces = needle.split(u'\n');
    const int matchLength = int(needle.size());

    int found = -1;
    for (QTextBlock block = doc->findBlock(start); block.isValid() && block.position() < end && found < 0;
         block = block.next()) {
        const int base = block.position();
        if (pieces.size() == 1) {
            // The paragraph is read in growing windows, not whole: in a long
            // paragraph a search costs what it reads up to its match, so a
            // run of searches through it (Replace All) stays linear.
            const int blockLength = block.length() - 1;
            const int limit = qMin(blockLength, end - base);   // a match ends by here
            int from = qMax(0, start - base);
            int window = 128;   // grows with each read, so the total stays linear
            while (found < 0 && from + matchLength <= limit) {
                const int windowEnd = int(qMin<qint64>(limit, qint64(from) + window + matchLength - 1));
                // One character either side of the window, for whole words.
                const int readFrom = qMax(0, from - 1);
                const QString slice = textBetween(doc, base + readFrom, base + qMin(blockLength, windowEnd + 1));
                for (int at = from - readFrom; found < 0;) {
                    at = int(slice.indexOf(needle, at, cs));
                    if (at < 0 || readFrom + at + matchLength > windowEnd)
                        break;
                    if (!wholeWord || wholeWordAt(slice, at, matchLength))
                        found = base + readFrom + at;
                    ++at;
                }
                from = windowEnd - matchLength + 1;
                window = qMin(window * 2, 1 << 24);
            }
            if (found < 0 && base + blockLength >= end)
                break;
            continue;
        }

        const QString blockText = block.text();
        const QString &first = pieces.first();
        const int at = int(blockText.size() - first.size());
        if (base + at < start || !blockText.endsWith(first, cs))
            continue;
        if (wholeWord && at > 0 && isWordChar(blockText.at(at - 1)))
            continue;
        if (base + at + matchLength > end)
            break;
        QTextBlock next = block.next();
        bool matches = true;
        for (int i = 1; i < pieces.size() && matches; ++i) {
            if (!next.isValid()) {
                matches = false;
                break;
            }
            const QString nextText = next.text();
            if (i + 1 < pieces.size()) {
                matches = nextText.compare(pieces.at(i), cs) == 0;
            } else {
                matches = nextText.startsWith(pieces.at(i), cs)
                        && (!wholeWord || nextText.size() == pieces.at(i).size()
                            || !isWordChar(nextText.at(pieces.at(i).size())));
            }
            next = next.next();
        }
        if (matches)
            found = base + at;
    }

    if (found >= 0 && !(options & rtfNoHighlight)) {
        QTextCursor c(doc);
        c.setPosition(found);
        c.setPosition(found + matchLength, QTextCursor::KeepAnchor);
        setSelection(c);
    }
    return found;
}

void RichTextBox::Span(const QString &characterSet, bool forward, bool negate)
{
    QTextDocument *doc = document();
    const bool breakInSet = characterSet.contains(u'\r') || characterSet.contains(u'\n');
    auto takes = [&](QChar c) {
        const bool inSet = isParagraphBreak(c) ? breakInSet : characterSet.contains(c);
        return inSet != negate;
    };
    const bool breakTaken = breakInSet != negate;

    QTextCursor c = selection();
    const int selStart = c.selectionStart();
    const int selEnd = c.selectionEnd();

    if (forward) {
        int pos = selEnd;
        for (QTextBlock block = doc->findBlock(pos); block.isValid();) {
            const QString text = block.text();
            int offset = pos - block.position();
            while (offset < text.size() && takes(text.at(offset)))
                ++offset;
            pos = block.position() + offset;
            if (offset < text.size() || !block.next().isValid() || !breakTaken)
                break;
            block = block.next();
            pos = block.position();
        }
        c.setPosition(selStart);
        c.setPosition(pos, QTextCursor::KeepAnchor);
    } else {
        int pos = selStart;
        for (QTextBlock block = doc->findBlock(pos); block.isValid();) {
            const QString text = block.text();
            int offset = pos - block.position();
            while (offset > 0 && takes(text.at(offset - 1)))
                --offset;
            pos = block.position() + offset;
            if (offset > 0 || !block.previous().isValid() || !breakTaken)
                break;
            block = block.previous();
            pos = block.position() + int(block.text().size());
        }
        c.setPosition(selEnd);
        c.setPosition(pos, QTextCursor::KeepAnchor);
    }
    setSelection(c);
}

namespace {

// One page of a document laid out for the printer: the slice of the page
// body that page stands for.
void printPage(QPainter &painter, QTextDocument *doc, int page, const QSizeF &body)
{
    painter.save();
    painter.translate(0, -(page - 1) * body.height());
    const QRectF view(0, (page - 1) * body.height(), body.width(), body.height());
    painter.setClipRect(view);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view;
    // Paper is white whatever the screen's text colour is.
    context.palette.setColor(QPalette::Text, Qt::black);
    doc->documentLayout()->draw(&painter, context);
    painter.restore();
}

} // namespace

bool RichTextBox::ExportPdf(const QString &path)
{
    d->lastError.clear();
    QTemporaryDir aside;
    if (!aside.isValid()) {
        d->lastError = QStringLiteral("No temporary folder could be made.");
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(aside.filePath(QStringLiteral("export.pdf")));
    printer.setDocName(QFileInfo(path).completeBaseName());
    printer.setCreator(QStringLiteral("Quillet"));
    // The paper the file was written for, when it named one; the printer's
    // own otherwise. The layout on it is a print's.
    if (const std::optional<QSizeF> paper = PageSettings(*document()).paperPoints()) {
        const bool wide = paper->width() > paper->height();
        const QSizeF portrait = (wide ? paper->transposed() : *paper) * (25.4 / 72);
        printer.setPageSize(QPageSize(portrait, QPageSize::Millimeter));
        printer.setPageOrientation(wide ? QPageLayout::Landscape : QPageLayout::Portrait);
    }
    const QTextCursor kept = textCursor();
    selectAll();
    const bool printed = SelPrint(&printer);
    setTextCursor(kept);
    if (!printed)
        return false;
    QFile file(printer.outputFileName());
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0) {
        d->lastError = QStringLiteral("The PDF could not be made.");
        return false;
    }
    return FileWriter::write(path, file.readAll(), &d->lastError);
}

bool RichTextBox::SelPrint(QPrinter *printer)
{
    d->lastError.clear();
    if (!printer) {
        d->lastError = QStringLiteral("No printer was given.");
        return false;
    }
    const QTextCursor selected = selection();
    // A selection that runs to the end of the shown part runs on through the
    // part kept aside: Select All and Print print the whole document.
    const bool toEnd = selected.selectionEnd() >= documentLength(document());
    std::unique_ptr<QTextDocument> copy = wholeDocument(toEnd);
    QTextCursor trim(copy.get());
    if (!toEnd) {
        trim.setPosition(selected.selectionEnd());
        trim.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        trim.removeSelectedText();
    }
    trim.setPosition(0);
    trim.setPosition(selected.selectionStart(), QTextCursor::KeepAnchor);
    trim.removeSelectedText();

    QPainter painter;
    if (!painter.begin(printer)) {
        d->lastError = QStringLiteral("The printer could not start the job.");
        return false;
    }
    // Laid out at the printer's resolution; the layout scales indents and
    // the 2 cm margins (given at screen resolution) to it. A document taller
    // than one layout can hold (a long one at a printer's resolution) is
    // laid out in parts, each of whole paragraphs and starting a new page.
    const qreal margin = 2 / 2.54 * Twips::PixelsPerInch;
    const QSizeF body(printer->width(), printer->height());
    const qreal lineWidth = body.width() - 2 * margin * printer->logicalDpiX() / Twips::PixelsPerInch;
    struct Part
    {
        std::unique_ptr<QTextDocument> doc;
        int pages = 0;
    };
    std::vector<Part> parts;
    int pageCount = 0;
    for (std::unique_ptr<QTextDocument> rest = std::move(copy); rest;) {
        // Cut before anything is laid out: copying a laid-out document lays
        // all of it out first.
        std::unique_ptr<QTextDocument> next;
        const LayoutBound::Result fit = LayoutBound(*rest, qMax<qreal>(1, lineWidth), printer).measure();
        int cut = fit.cutPosition;
        // One paragraph too tall on its own still goes alone.
        if (cut == 0 && rest->blockCount() > 1)
            cut = rest->begin().next().position();
        if (cut > 0)
            next = splitOff(*rest, cut, nullptr);
        rest->documentLayout()->setPaintDevice(printer);
        QTextFrameFormat frame = rest->rootFrame()->frameFormat();
        frame.setMargin(margin);
        rest->rootFrame()->setFrameFormat(frame);
        rest->setPageSize(body);
        const int pages = rest->pageCount();
        pageCount += pages;
        parts.push_back({std::move(rest), pages});
        rest = std::move(next);
    }
    // The part and its own page number of a page of the whole job.
    auto pageAt = [&parts](int page) {
        for (const Part &part : parts) {
            if (page <= part.pages)
                return std::pair<QTextDocument *, int>(part.doc.get(), page);
            page -= part.pages;
        }
        return std::pair<QTextDocument *, int>(parts.back().doc.get(), parts.back().pages);
    };

    int from = printer->fromPage();
    int to = printer->toPage();
    if (from == 0 && to == 0) {
        from = 1;
        to = pageCount;
    }
    from = qMax(1, from);
    to = qMin(pageCount, to);
    if (to < from) {
        painter.end();
        d->lastError = QStringLiteral("The chosen pages are not in the document (it has %1).").arg(pageCount);
        return false;
    }
    // A printer that makes copies itself is asked for them with the job.
    const int copies = printer->supportsMultipleCopies() ? 1 : qMax(1, printer->copyCount());
    const bool collate = printer->collateCopies();
    const bool backwards = printer->pageOrder() == QPrinter::LastPageFirst;
    bool first = true;
    for (int set = 0; set < (collate ? copies : 1); ++set) {
        for (int i = from; i <= to; ++i) {
            const int page = backwards ? to - (i - from) : i;
            for (int repeat = 0; repeat < (collate ? 1 : copies); ++repeat) {
                if (!first && !printer->newPage()) {
                    painter.end();
                    d->lastError = QStringLiteral("The printer could not start a new page.");
                    return false;
                }
                first = false;
                const auto [part, partPage] = pageAt(page);
                printPage(painter, part, partPage, body);
            }
        }
    }
    if (!painter.end() || printer->printerState() == QPrinter::Error) {
        d->lastError = QStringLiteral("The printer reported an error.");
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- line figures

namespace {

int linesIn(const QTextBlock &block)
{
    if (!block.isVisible())
        return 0;
    const QTextLayout *layout = block.layout();
    return layout ? qMax(1, layout->lineCount()) : 1;
}

} // namespace

void RichTextBox::restartLineCount()
{
    d->frontier = 0;
    d->layoutDone = false;
    d->countsValid = false;
    d->sinceProgress.start();
    d->driver->start();
}

void RichTextBox::noteEdit(int position, int removed, int added)
{
    // Only the edited paragraphs can gain a long run; losing one may free
    // the whole document, so a large removal looks at all of it.
    const bool anywhere = d->breakAnywhere
            ? (removed < UnbreakableRuns::Limit || UnbreakableRuns::Any(*document()))
            : added > 0 && UnbreakableRuns::Any(*document(), position, position + added);
    if (anywhere != d->breakAnywhere) {
        d->breakAnywhere = anywhere;
        applyWrap();
    }
    // Qt lays an edited paragraph out again at once when it lies in the part
    // already laid out, so a small edit there keeps the figures complete.
    if (position < d->frontier) {
        if (qMax(removed, added) > LargeEdit)
            d->frontier = position;
        else
            d->frontier = qMax(position, d->frontier + added - removed);
    }
    const QTextDocument *doc = document();
    if (d->frontier < doc->characterCount()) {
        d->layoutDone = false;
        d->driver->start();
    }
    if (!d->countsValid)
        return;
    if (doc->blockCount() != d->countedBlocks) {
        d->countsValid = false;
        return;
    }
    const int last = doc->findBlock(position + added).blockNumber();
    for (int b = doc->findBlock(position).blockNumber(); b <= last && b >= 0; ++b)
        d->dirtyBlocks.push_back(b);
    if (d->dirtyBlocks.size() > 64)
        d->countsValid = false;
}

bool RichTextBox::extendLayout(int budgetMs)
{
    QTextDocument *doc = document();
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    QElapsedTimer timer;
    timer.start();
    int step = 16;
    QTextBlock block = doc->findBlock(d->frontier);
    while (block.isValid()) {
        QTextBlock target = block;
        for (int i = 1; i < step && target.next().isValid(); ++i)
            target = target.next();
        // Lays out everything up to and including the target paragraph.
        layout->blockBoundingRect(target);
        d->frontier = target.position() + target.length();
        d->countsValid = false;
        block = target.next();
        if (!block.isValid())
            break;
        if (timer.elapsed() >= budgetMs)
            return false;
        step = qMin(step * 2, 4096);
    }
    d->frontier = doc->characterCount();
    d->layoutDone = true;
    return true;
}

void RichTextBox::layoutSlice()
{
    if (d->layoutDone) {
        d->driver->stop();
        return;
    }
    // Short slices: a key waiting in the queue gets its turn between them.
    const bool done = extendLayout(SliceMs);
    if (done)
        d->driver->stop();
    if (done || d->sinceProgress.elapsed() >= ProgressMs) {
        d->sinceProgress.start();
        emit LineCountChanged();
    }
}

bool RichTextBox::LineCountComplete() const
{
    return d->layoutDone;
}

void RichTextBox::refreshLineCounts() const
{
    const QTextDocument *doc = document();
    if (!d->countsValid) {
        d->lineCounts.assign(size_t(doc->blockCount()), 0);
        d->totalLines = 0;
        int n = 0;
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next(), ++n) {
            if (block.position() >= d->frontier)
                break;
            d->lineCounts[size_t(n)] = linesIn(block);
            d->totalLines += d->lineCounts[size_t(n)];
        }
        d->countedBlocks = doc->blockCount();
        d->dirtyBlocks.clear();
        d->countsValid = true;
        return;
    }
    for (int b : d->dirtyBlocks) {
        if (b < 0 || size_t(b) >= d->lineCounts.size())
            continue;
        const QTextBlock block = doc->findBlockByNumber(b);
        const int lines = block.position() < d->frontier ? linesIn(block) : 0;
        d->totalLines += lines - d->lineCounts[size_t(b)];
        d->lineCounts[size_t(b)] = lines;
    }
    d->dirtyBlocks.clear();
}

int RichTextBox::LineFromChar(int position) const
{
    const QTextDocument *doc = document();
    if (position < 0)
        position = SelStart();
    position = qBound(0, position, documentLength(doc));

    const QTextBlock target = doc->findBlock(position);
    if (target.position() + target.length() > d->frontier) {
        // The lines before it must be known: lay out up to this paragraph.
        doc->documentLayout()->blockBoundingRect(target);
        d->frontier = target.position() + target.length();
        d->countsValid = false;
    }
    refreshLineCounts();
    qint64 line = 0;
    const int number = target.blockNumber();
    for (int b = 0; b < number && size_t(b) < d->lineCounts.size(); ++b)
        line += d->lineCounts[size_t(b)];
    if (const QTextLayout *layout = target.layout(); layout && layout->lineCount() > 0) {
        const QTextLine textLine = layout->lineForTextPosition(position - target.position());
        line += textLine.isValid() ? textLine.lineNumber() : layout->lineCount() - 1;
    }
    return int(qMin<qint64>(line, INT_MAX));
}

int RichTextBox::GetLineCount() const
{
    // A short rest is laid out at once, so small documents always give the
    // final figure; a long one gives the lines known so far.
    if (!d->layoutDone && document()->characterCount() - d->frontier <= SynchronousRest)
        const_cast<RichTextBox *>(this)->extendLayout(INT_MAX);
    refreshLineCounts();
    return int(std::clamp<qint64>(d->totalLines, 1, INT_MAX));
}

// ---------------------------------------------------------------- line width

qreal RichTextBox::currentWrapWidth() const
{
    if (lineWrapMode() == QTextEdit::FixedPixelWidth)
        return lineWrapColumnOrWidth();
    return viewport()->width();
}

QTextOption::WrapMode RichTextBox::wantedWordWrap() const
{
    return d->breakAnywhere ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
}

void RichTextBox::applyWrap()
{
    if (wordWrapMode() != wantedWordWrap())
        setWordWrapMode(wantedWordWrap());
    const int wanted = d->rightMarginTwips > 0
            ? qMax(1, qRound(d->rightMarginTwips * logicalDpiX() / double(TwipsPerInch)))
            : 0;
    const int floor = qCeil(d->wrapFloor);
    const int viewportWidth = viewport()->width();
    int fixed = wanted;
    if (floor > 0 && (wanted > 0 ? wanted : viewportWidth) < floor)
        fixed = floor;
    if (fixed == 0) {
        if (lineWrapMode() != QTextEdit::WidgetWidth)
            setLineWrapMode(QTextEdit::WidgetWidth);
    } else {
        if (lineWrapMode() != QTextEdit::FixedPixelWidth)
            setLineWrapMode(QTextEdit::FixedPixelWidth);
        if (lineWrapColumnOrWidth() != fixed)
            setLineWrapColumnOrWidth(fixed);
    }
}

// ---------------------------------------------------------------- clipboard

void RichTextBox::CopyRich()
{
    showSelection();
    if (!textCursor().hasSelection())
        return;
    if (QMimeData *data = createMimeDataFromSelection())
        QGuiApplication::clipboard()->setMimeData(data);
}

void RichTextBox::PasteRich()
{
    showSelection();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (data && canInsertFromMimeData(data))
        insertFromMimeData(data);
}

void RichTextBox::SetClipboardKeysEnabled(bool enabled)
{
    d->clipboardKeys = enabled;
}

bool RichTextBox::ClipboardKeysEnabled() const
{
    return d->clipboardKeys;
}

QMimeData *RichTextBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto *data = new QMimeData;
    const QByteArray rtf = RtfWriter::write(cursor);
    data->setData(RtfMime, rtf);
    data->setData(RtfMimeAlt, rtf);
    data->setHtml(cursor.selection().toHtml());
    data->setText(plainText(document(), cursor.selectionStart(), cursor.selectionEnd(),
                            TextFile::lineEndText(TextFile::platformLineEnd())));
    return data;
}

bool RichTextBox::canInsertFromMimeData(const QMimeData *source) const
{
    if (!source)
        return false;
    // Files dragged in are for the main window to open, not to be pasted as
    // their names: refusing them lets the drop reach it.
    if (source->hasUrls() && !source->hasFormat(RtfMime) && !source->hasHtml()) {
        const QList<QUrl> urls = source->urls();
        if (std::all_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); }))
            return false;
    }
    return source->hasFormat(RtfMime) || source->hasFormat(RtfMimeAlt)
            || source->hasFormat(RichTextMime) || source->hasHtml() || source->hasText();
}

void RichTextBox::insertFromMimeData(const QMimeData *source)
{
    if (!source || isReadOnly())
        return;
    QByteArray rtf;
    for (const QString &type : {RtfMime, RtfMimeAlt, RichTextMime}) {
        if (source->hasFormat(type)) {
            rtf = source->data(type);
            if (RtfReader::isRtf(rtf))
                break;
            rtf.clear();
        }
    }

    QTextCursor c = textCursor();
    c.beginEditBlock();
    if (!rtf.isEmpty())
        RtfReader::insert(rtf, c);
    else if (source->hasHtml() && acceptRichText())
        c.insertFragment(QTextDocumentFragment::fromHtml(source->html(), document()));
    else if (source->hasText())
        c.insertText(source->text());
    c.endEditBlock();
    setTextCursor(c);
    ensureCursorVisible();
}

// ---------------------------------------------------------------- events

namespace {

bool isCopyOrPasteKey(const QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Paste))
        return true;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Insert && (mods == Qt::ShiftModifier || mods == Qt::ControlModifier))
        return true;
    return mods == Qt::ControlModifier && (event->key() == Qt::Key_C || event->key() == Qt::Key_V);
}

} // namespace

namespace {

// The physical key where the platform names it, else Qt's key: a release
// can report another character than its press did (Shift let go first).
quint64 physicalKey(const QKeyEvent *event)
{
    if (const quint32 scanCode = event->nativeScanCode())
        return (quint64(1) << 32) | scanCode;
    return quint64(quint32(event->key()));
}

} // namespace

void RichTextBox::keyPressEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat())
        d->pressedWith.insert(physicalKey(event), event->modifiers());
    if (const int ascii = KeyCodes::keyAscii(*event))
        emit KeyPress(ascii);

    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Insert && mods == Qt::NoModifier) {
        setOverwriteMode(!overwriteMode());
        emit OverwriteModeChanged(overwriteMode());
        event->accept();
        return;
    }
    // The document window carries out copy and paste on key release; doing
    // them here too would paste twice.
    if (!d->clipboardKeys && isCopyOrPasteKey(event)) {
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void RichTextBox::keyReleaseEvent(QKeyEvent *event)
{
    // A held key repeats; like Windows, report one release at the end.
    // A chord counts as pressed: Ctrl let go a moment before V, or first,
    // still makes the release of V a Ctrl+V.
    if (!event->isAutoRepeat()) {
        const auto pressed = d->pressedWith.constFind(physicalKey(event));
        Qt::KeyboardModifiers held = event->modifiers();
        if (pressed != d->pressedWith.cend()) {
            held = *pressed;
            d->pressedWith.erase(pressed);
        }
        if (const int code = KeyCodes::virtualKey(event->key(), held))
            emit KeyUp(code, KeyCodes::shiftState(held));
    }
    QTextEdit::keyReleaseEvent(event);
}

void RichTextBox::mouseReleaseEvent(QMouseEvent *event)
{
    QTextEdit::mouseReleaseEvent(event);
    const QPointF pos = event->position();
    emit MouseUp(KeyCodes::mouseButton(event->button()), KeyCodes::shiftState(event->modifiers()),
                 qRound(pos.x() * TwipsPerInch / logicalDpiX()),
                 qRound(pos.y() * TwipsPerInch / logicalDpiY()));
}

void RichTextBox::resizeEvent(QResizeEvent *event)
{
    applyWrap();
    const qreal before = currentWrapWidth();
    QTextEdit::resizeEvent(event);
    if (currentWrapWidth() != before)
        restartLineCount();
}

void RichTextBox::SetOverlay(Overlay overlay)
{
    if (!d)
        return;
    d->overlay = std::move(overlay);
    viewport()->update();
}

void RichTextBox::paintEvent(QPaintEvent *event)
{
    QTextEdit::paintEvent(event);
    if (d->overlay) {
        QPainter painter(viewport());
        painter.setClipRect(event->rect());
        d->overlay(painter, event->rect());
    }
}

QMenu *RichTextBox::ContextMenu(const QPoint &viewportPos)
{
    QMenu *standard = createStandardContextMenu(viewportPos);
    auto *menu = new QMenu(this);
    emit ContextMenuOpening(menu, cursorForPosition(viewportPos).position());
    if (!menu->isEmpty())
        menu->addSeparator();
    // The control's own entries move over; the standard menu owns them, so
    // it goes with the new one.
    for (QAction *action : standard->actions())
        menu->addAction(action);
    standard->setParent(menu, standard->windowFlags());
    return menu;
}

void RichTextBox::contextMenuEvent(QContextMenuEvent *event)
{
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? cursorRect().center() : event->pos();
    std::unique_ptr<QMenu> menu(ContextMenu(at));
    menu->exec(event->globalPos());
}
