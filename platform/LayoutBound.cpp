#include "LayoutBound.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

namespace {
// Qt's default tab stop, with room for a larger one.
constexpr qreal TabAdvance = 100;
// Borders, padding and spacing around a table cell's text.
constexpr qreal CellOverhead = 24;
}

LayoutBound::LayoutBound(const QTextDocument &document, qreal lineWidth, const QPaintDevice *device)
    : m_doc(document),
      m_width(qMax<qreal>(1, lineWidth)),
      m_device(device),
      m_scaleY(device ? device->logicalDpiY() / 96.0 : 1.0)
{
}

const LayoutBound::Metrics &LayoutBound::metrics(int formatIndex)
{
    auto it = m_metrics.find(formatIndex);
    if (it != m_metrics.end())
        return *it;
    const QTextCharFormat format = m_doc.allFormats().value(formatIndex).toCharFormat();
    const QFont font = format.font().resolve(m_doc.defaultFont());
    // Device metrics, as the layout measures on the control's screen.
    const QFontMetricsF fm = m_device ? QFontMetricsF(font, m_device) : QFontMetricsF(font);
    Metrics m;
    m.lineHeight = fm.height() + qMax<qreal>(0, fm.leading()) + 1;
    m.widest = qMax(fm.maxWidth(), fm.averageCharWidth() * 2);
    for (int c = 0; c < 128; ++c)
        m.ascii[c] = float(c < 32 ? m.widest : fm.horizontalAdvance(QChar(c)) + 0.5);
    if (format.isImageFormat()) {
        const QTextImageFormat image = format.toImageFormat();
        QSizeF size(image.width(), image.height());
        if (size.width() <= 0 || size.height() <= 0) {
            const QVariant v = m_doc.resource(QTextDocument::ImageResource, QUrl(image.name()));
            const QSizeF own = v.typeId() == QMetaType::QImage ? QSizeF(v.value<QImage>().size())
                    : v.typeId() == QMetaType::QPixmap         ? QSizeF(v.value<QPixmap>().size())
                                                               : QSizeF(64, 64);
            if (size.width() <= 0)
                size.setWidth(own.width());
            if (size.height() <= 0)
                size.setHeight(own.height());
        }
        m.lineHeight = qMax(m.lineHeight, size.height() + 2);
        m.widest = qMax(m.widest, size.width() + 1);
    }
    return *m_metrics.insert(formatIndex, m);
}

qreal LayoutBound::blockHeight(const QTextBlock &block)
{
    if (!block.isVisible())
        return 0;
    const QTextBlockFormat bf = block.blockFormat();
    qreal indent = qAbs(bf.leftMargin()) + qAbs(bf.rightMargin()) + qAbs(bf.textIndent())
            + bf.indent() * m_doc.indentWidth();
    if (const QTextList *list = block.textList())
        indent += list->format().indent() * m_doc.indentWidth() + 40;
    qreal width = m_width;
    qreal overhead = 0;
    if (QTextTable *table = qobject_cast<QTextTable *>(m_doc.frameAt(block.position()))) {
        width = width / qMax(1, table->columns());
        overhead = CellOverhead;
    }
    const qreal available = width - indent;

    // Walk the text word by word: total advance, the widest word that still
    // fits half a line, and the words that do not.
    qreal total = 0;
    qreal widestShortWord = 0;
    int longWords = 0;
    int characters = 0;
    qreal lineHeight = 0;
    qreal word = 0;
    auto endWord = [&] {
        if (word >= available / 2)
            ++longWords;
        else
            widestShortWord = qMax(widestShortWord, word);
        word = 0;
    };
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        const Metrics &m = metrics(fragment.charFormatIndex());
        lineHeight = qMax(lineHeight, m.lineHeight);
        const QString text = fragment.text();
        characters += int(text.size());
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            qreal advance = u < 128 ? qreal(m.ascii[u]) : m.widest;
            if (u == u'\t')
                advance = qMax(advance, TabAdvance);
            total += advance;
            word += advance;
            if (u == u' ' || u == u'\t' || u == QChar::LineSeparator)
                endWord();
        }
    }
    endWord();
    if (lineHeight == 0)
        lineHeight = metrics(block.charFormatIndex()).lineHeight;

    qreal lines;
    if (available <= widestShortWord + 1) {
        lines = characters + 1;   // one glyph a line at worst
    } else {
        lines = std::ceil(total / (available - widestShortWord)) + longWords + 1;
        lines = qMin<qreal>(lines, characters + 1);
    }

    switch (bf.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        lineHeight *= qMax<qreal>(1, bf.lineHeight() / 100);
        break;
    case QTextBlockFormat::FixedHeight:
    case QTextBlockFormat::MinimumHeight:
        lineHeight = qMax(lineHeight, bf.lineHeight() * m_scaleY);
        break;
    case QTextBlockFormat::LineDistanceHeight:
        lineHeight += qMax<qreal>(0, bf.lineHeight()) * m_scaleY;
        break;
    default:
        break;
    }
    const qreal margins = (qAbs(bf.topMargin()) + qAbs(bf.bottomMargin())) * m_scaleY;
    return lines * lineHeight + margins + overhead + 1;
}

LayoutBound::Result LayoutBound::measure(qreal limit)
{
    Result result;
    const QTextFrame *root = m_doc.rootFrame();
    result.height = 2 * (root->frameFormat().topMargin() + root->frameFormat().bottomMargin()
                         + m_doc.documentMargin());
    qreal beforeRoot = result.height;   // height before the last paragraph of the main text
    int rootPosition = 0;
    int rootBlock = 0;
    for (QTextBlock block = m_doc.begin(); block.isValid(); block = block.next()) {
        const bool inMainText = m_doc.frameAt(block.position()) == root;
        if (inMainText) {
            beforeRoot = result.height;
            rootPosition = block.position();
            rootBlock = block.blockNumber();
        }
        result.height += blockHeight(block);
        if (result.height > limit) {
            result.cutPosition = rootPosition;
            result.cutBlock = rootBlock;
            result.height = beforeRoot;
            return result;
        }
    }
    return result;
}
