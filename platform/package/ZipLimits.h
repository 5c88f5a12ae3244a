#pragma once

#include <QtGlobal>

// Bounds a zip package must stay within to be read. Real documents stay far
// below them; a hostile archive (a zip bomb, millions of entries) is refused
// with the limit it broke named, before it can take the memory or the time.
namespace ZipLimits {
// Entries of one archive. A large Word file has a few hundred.
constexpr qint64 MaxEntries = 10000;
// Bytes one entry may inflate to, counted as they come out of the
// decompressor, never taken from the header's claim.
constexpr qint64 MaxEntryBytes = qint64(256) * 1024 * 1024;
// Bytes all entries read from one archive may inflate to together.
constexpr qint64 MaxTotalBytes = qint64(512) * 1024 * 1024;
// Inflated bytes per compressed byte past which an entry is taken for a
// bomb, once it has inflated past MinBombBytes (Word's XML compresses 10-50
// times; deflate's ceiling is about 1030).
constexpr qint64 MaxRatio = 200;
constexpr qint64 MinBombBytes = qint64(32) * 1024 * 1024;
}
