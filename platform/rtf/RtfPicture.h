#pragma once

#include <QByteArray>
#include <QImage>
#include <QSizeF>

// The picture types of RTF's \pict, and the one place where a picture's bytes
// become something to show. Nothing here keeps a picture: the reader keeps
// its bytes beside the image shown, so a save writes them back unchanged.
namespace RtfPicture {
enum class Kind { Unknown, Png, Jpeg, Emf, Wmf, Dib, Ddb, OS2, Mac };

// The control word naming the type ("wmetafile"), without its parameter.
const char *word(Kind kind);
Kind fromWord(const QString &word);
// Metafile sizes (\picw, \pich) are in hundredths of a millimetre; bitmap
// sizes are in pixels.
bool isMetafile(Kind kind);

// The picture as an image, or a null image when it cannot be drawn here
// (metafiles, device-dependent bitmaps, damaged data) or when its pixels
// would take more than maxBytes. All decoding of picture bytes goes through
// this function.
QImage decode(Kind kind, const QByteArray &bytes, qint64 maxBytes);

// What stands in for a picture that cannot be drawn: a crossed frame of the
// given size in pixels (drawn smaller and scaled when large). Needs no fonts,
// so the converter and the fuzzer can make one without an application.
QImage placeholder(QSizeF size);
}
