#pragma once

#include <QtGlobal>

// Every bound the reader puts on hostile input, in one place. Real documents
// stay far below them; past them the reader skips and says so instead of
// growing without end.
namespace RtfLimits {
// Group states kept on the stack; deeper groups are skipped whole.
constexpr int MaxGroupDepth = 1000;
// Letters kept of a control word; longer words cannot be known ones.
constexpr int MaxKeywordLength = 32;
// Digits read of a parameter; the value is clamped to a 32-bit int.
constexpr int MaxParameterDigits = 10;
// Bytes of one picture's data (after hex decoding).
constexpr qsizetype MaxPictureBytes = 64 * 1024 * 1024;
// Size of a file the control opens, Rich Text or plain text. It is held
// several times over while read (bytes, decoded text, document), so a larger
// one is refused before it is read.
constexpr qint64 MaxFileBytes = qint64(256) * 1024 * 1024;
// A picture's shown size, in twips (22 inches) and in per cent of it.
constexpr int MaxPictureTwips = 31680;
constexpr int MaxPictureScale = 1000;
// Pixels of all the pictures of one document, decoded; past it pictures show
// as frames (their bytes are still kept and saved).
constexpr qint64 MaxDecodedPictureBytes = qint64(256) * 1024 * 1024;
// Bytes of header, footer, note and style sheet groups kept as read.
constexpr qsizetype MaxKeptBytes = 64 * 1024 * 1024;
// Fields of one document; later ones keep their result as plain text.
constexpr int MaxFields = 1 << 20;
// Font, colour and list table entries.
constexpr int MaxTableEntries = 32768;
// Tables nested inside table cells (\itap); deeper levels join the deepest.
constexpr int MaxTableDepth = 16;
// Columns of one table (Word allows 63); further cells join the last one.
constexpr int MaxTableColumns = 64;
// Cells of one table; a longer table continues as a second one, so its
// grid stays a size Qt can lay out.
constexpr qsizetype MaxTableCells = 400000;
// Characters kept of one field's instruction.
constexpr int MaxFieldInstruction = 4096;
// Distinct problems listed in the error text; later ones are only counted.
constexpr int MaxReportedErrors = 20;
// Indents and spacing, in twips (22 inches either way).
constexpr int MaxTwips = 31680;
// Font size in half-points (Word's own ceiling is 1638 pt).
constexpr int MaxHalfPoints = 3276;
}
