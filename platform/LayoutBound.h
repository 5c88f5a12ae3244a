#pragma once

#include <QHash>
#include <QtGlobal>

#include <array>

class QPaintDevice;
class QTextBlock;
class QTextDocument;

// How tall a document surely is not, at a given line width, found without
// laying it out.
//
// Why it exists: QTextEdit gives its document no page height, and
// QTextDocumentLayout then works with one "endless" page of
// INT_MAX / 256 = 8,388,607 pixels (its 26.6 fixed-point numbers reach four
// times further, but the page is what counts). A document laid out past that
// height never finishes its incremental layout: the event loop spins in it
// for good (a 7 MB log at 12 pt, 3,000 lines at 1,638 pt). So the control
// shows no more of a document than surely fits, and this class says where
// that ends, in one pass over the text, before any layout is made.
//
// The figure is an upper bound, not an estimate: ASCII letters are measured
// with their own advances, everything else with the font's widest glyph, and
// the wrapping rule is taken at its worst (a line ends early only before a
// word that does not fit). Prose comes out about a quarter above its real
// height.
class LayoutBound
{
public:
    // Height past which a document is not shown, well below the endless page.
    static constexpr qreal MaxHeight = 7'000'000;

    struct Result
    {
        qreal height = 0;     // bound of the whole document, or of the part that fits
        int cutPosition = -1; // start of the first paragraph that does not fit; -1: all fit
        int cutBlock = -1;    // its block number
    };

    LayoutBound(const QTextDocument &document, qreal lineWidth, const QPaintDevice *device);

    // Walks the document until the bound passes `limit`; cuts only between
    // paragraphs of the main text, never inside a table.
    Result measure(qreal limit = MaxHeight);

    // Upper bound of one paragraph's laid-out height.
    qreal blockHeight(const QTextBlock &block);

private:
    struct Metrics
    {
        qreal lineHeight = 0;
        qreal widest = 0;
        std::array<float, 128> ascii{};
    };
    const Metrics &metrics(int formatIndex);

    const QTextDocument &m_doc;
    qreal m_width;
    const QPaintDevice *m_device;
    qreal m_scaleY;
    QHash<int, Metrics> m_metrics;
};
