#pragma once

#include <QtGlobal>

// QTextDocument measures margins and indents in pixels at 96 per inch; the
// control's callers and RTF speak twips (1440 per inch). One conversion for
// both, so an indent read back is the indent written.
namespace Twips {
constexpr qreal PixelsPerInch = 96.0;
constexpr qreal PerPixel = 1440.0 / PixelsPerInch;   // 15 twips a pixel

inline qreal toPixels(int twips) { return twips / PerPixel; }
inline int fromPixels(qreal pixels) { return qRound(pixels * PerPixel); }
}
