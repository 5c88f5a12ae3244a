#include "RtfPicture.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

namespace RtfPicture {

const char *word(Kind kind)
{
    switch (kind) {
    case Kind::Png: return "pngblip";
    case Kind::Jpeg: return "jpegblip";
    case Kind::Emf: return "emfblip";
    case Kind::Wmf: return "wmetafile";
    case Kind::Dib: return "dibitmap";
    case Kind::Ddb: return "wbitmap";
    case Kind::OS2: return "pmmetafile";
    case Kind::Mac: return "macpict";
    default: return "";
    }
}

Kind fromWord(const QString &word)
{
    for (const Kind k : {Kind::Png, Kind::Jpeg, Kind::Emf, Kind::Wmf, Kind::Dib, Kind::Ddb, Kind::OS2, Kind::Mac}) {
        if (word == QLatin1String(RtfPicture::word(k)))
            return k;
    }
    return Kind::Unknown;
}

bool isMetafile(Kind kind)
{
    return kind == Kind::Emf || kind == Kind::Wmf || kind == Kind::OS2 || kind == Kind::Mac;
}

namespace {
// Decodes only after the header's size has been checked against the budget:
// a small file can claim a huge picture.
QImage read(const QByteArray &bytes, const char *format, qint64 maxBytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() * 4 > maxBytes)
        return QImage();
    return reader.read();
}
}

QImage decode(Kind kind, const QByteArray &bytes, qint64 maxBytes)
{
    QImage image;
    switch (kind) {
    case Kind::Png:
    case Kind::Jpeg:
        // Writers mix the two up; the bytes say what they are.
        image = read(bytes, nullptr, maxBytes);
        break;
    case Kind::Dib: {
        // A device-independent bitmap is a BMP file without its 14-byte file
        // header; the header's pixel offset follows from the info header.
        if (bytes.size() < 40)
            break;
        const quint32 infoSize = qFromLittleEndian<quint32>(bytes.constData());
        const quint16 bitCount = qFromLittleEndian<quint16>(bytes.constData() + 14);
        quint32 colours = qFromLittleEndian<quint32>(bytes.constData() + 32);
        if (colours == 0 && bitCount <= 8)
            colours = 1u << bitCount;
        const quint32 compression = qFromLittleEndian<quint32>(bytes.constData() + 16);
        const quint32 masks = (compression == 3 && infoSize == 40) ? 12 : 0;
        const quint64 offset = 14 + quint64(infoSize) + masks + quint64(qMin<quint32>(colours, 256)) * 4;
        QByteArray file("BM");
        file.resize(14);
        qToLittleEndian<quint32>(quint32(14 + bytes.size()), file.data() + 2);
        qToLittleEndian<quint32>(0, file.data() + 6);
        qToLittleEndian<quint32>(quint32(qMin<quint64>(offset, 0xFFFFFFFFu)), file.data() + 10);
        file += bytes;
        image = read(file, "BMP", maxBytes);
        break;
    }
    default:
        break;
    }
    return image;
}

QImage placeholder(QSizeF size)
{
    // Drawn at most this large and scaled by the layout, so a page-sized
    // metafile costs a small image.
    constexpr qreal Largest = 400;
    qreal w = qMax<qreal>(1, size.width()), h = qMax<qreal>(1, size.height());
    const qreal k = qMin<qreal>(1, Largest / qMax(w, h));
    w = qMax<qreal>(4, w * k);
    h = qMax<qreal>(4, h * k);
    QImage image(qCeil(w), qCeil(h), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(245, 245, 245));
    QPainter p(&image);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    const QRectF frame(0.5, 0.5, image.width() - 1, image.height() - 1);
    p.drawRect(frame);
    p.setPen(QPen(QColor(200, 200, 200), 1));
    p.drawLine(frame.topLeft(), frame.bottomRight());
    p.drawLine(frame.topRight(), frame.bottomLeft());
    return image;
}

}
