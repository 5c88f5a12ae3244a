#include "TextFile.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

namespace {

struct Mark
{
    TextFile::Encoding encoding;
    QByteArrayView bytes;
};

// UTF-32 LE before UTF-16 LE: its mark begins with the UTF-16 LE one.
constexpr std::array<Mark, 5> kMarks{{
    {TextFile::Encoding::Utf32LE, QByteArrayView("\xFF\xFE\x00\x00", 4)},
    {TextFile::Encoding::Utf32BE, QByteArrayView("\x00\x00\xFE\xFF", 4)},
    {TextFile::Encoding::Utf8Bom, QByteArrayView("\xEF\xBB\xBF", 3)},
    {TextFile::Encoding::Utf16LE, QByteArrayView("\xFF\xFE", 2)},
    {TextFile::Encoding::Utf16BE, QByteArrayView("\xFE\xFF", 2)},
}};

QByteArrayView markOf(TextFile::Encoding encoding)
{
    for (const Mark &mark : kMarks) {
        if (mark.encoding == encoding)
            return mark.bytes;
    }
    return {};
}

QStringConverter::Encoding converterFor(TextFile::Encoding encoding)
{
    switch (encoding) {
    case TextFile::Encoding::Utf16LE:
        return QStringConverter::Utf16LE;
    case TextFile::Encoding::Utf16BE:
        return QStringConverter::Utf16BE;
    case TextFile::Encoding::Utf32LE:
        return QStringConverter::Utf32LE;
    case TextFile::Encoding::Utf32BE:
        return QStringConverter::Utf32BE;
    case TextFile::Encoding::Utf8:
    case TextFile::Encoding::Utf8Bom:
        break;
    }
    return QStringConverter::Utf8;
}

// Length of the valid UTF-8 sequence at i, or 0 when the byte there does not
// start one (overlong forms, surrogates and code points past U+10FFFF are
// not valid, RFC 3629).
int validSequenceAt(const QByteArray &bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes.at(k)); };
    const unsigned char b0 = at(i);
    if (b0 < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;   // range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0)
            low = 0xA0;
        else if (b0 == 0xED)
            high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0)
            low = 0x90;
        else if (b0 == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    const unsigned char b1 = at(i + 1);
    if (b1 < low || b1 > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if ((at(i + k) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// One byte read as Windows-1252; the five bytes that code page leaves
// undefined become the C1 controls of the same value, as browsers read them.
QChar windows1252(unsigned char byte)
{
    static const std::array<char16_t, 32> high{
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(high[byte - 0x80]);
    return QChar(byte);
}

QString decodeUtf8WithStrays(const QByteArray &bytes, qsizetype from, bool *strays)
{
    QString text;
    text.reserve(bytes.size() - from);
    qsizetype runStart = from;
    qsizetype i = from;
    // Runs are valid UTF-8 already. ConvertInitialBom keeps a U+FEFF at the
    // start of a run as the character it is; the file's own mark is gone.
    const auto flushRun = [&] {
        if (i > runStart) {
            QStringDecoder utf8(QStringDecoder::Utf8,
                                QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
            text += utf8.decode(QByteArrayView(bytes).sliced(runStart, i - runStart));
        }
    };
    while (i < bytes.size()) {
        const int length = validSequenceAt(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        flushRun();
        text += windows1252(static_cast<unsigned char>(bytes.at(i)));
        *strays = true;
        ++i;
        runStart = i;
    }
    flushRun();
    return text;
}

} // namespace

TextFile::Decoded TextFile::decode(const QByteArray &bytes)
{
    Decoded result;
    for (const Mark &mark : kMarks) {
        if (bytes.startsWith(mark.bytes)) {
            result.encoding = mark.encoding;
            break;
        }
    }
    const qsizetype body = markOf(result.encoding).size();

    if (result.encoding == Encoding::Utf8 || result.encoding == Encoding::Utf8Bom) {
        result.text = decodeUtf8WithStrays(bytes, body, &result.strayBytes);
    } else {
        // The mark is already taken off; a second one is a character of the
        // text (a zero-width no-break space) and stays.
        QStringDecoder decoder(converterFor(result.encoding),
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        result.text = decoder.decode(QByteArrayView(bytes).sliced(body));
    }

    for (qsizetype i = 0; i < result.text.size(); ++i) {
        const QChar c = result.text.at(i);
        if (c == u'\n') {
            result.lineEnd = LineEnd::LF;
            break;
        }
        if (c == u'\r') {
            const bool pair = i + 1 < result.text.size() && result.text.at(i + 1) == u'\n';
            result.lineEnd = pair ? LineEnd::CRLF : LineEnd::CR;
            break;
        }
    }
    return result;
}

QByteArray TextFile::encode(const QString &text, Encoding encoding)
{
    QByteArray bytes = markOf(encoding).toByteArray();
    if (encoding == Encoding::Utf8 || encoding == Encoding::Utf8Bom) {
        bytes += text.toUtf8();
        return bytes;
    }
    QStringEncoder encoder(converterFor(encoding), QStringEncoder::Flag::Stateless);
    bytes += QByteArray(encoder.encode(text));
    return bytes;
}

TextFile::LineEnd TextFile::platformLineEnd()
{
#ifdef Q_OS_WIN
    return LineEnd::CRLF;
#else
    return LineEnd::LF;
#endif
}

QString TextFile::lineEndText(LineEnd lineEnd)
{
    switch (lineEnd) {
    case LineEnd::CRLF:
        return QStringLiteral("\r\n");
    case LineEnd::CR:
        return QStringLiteral("\r");
    case LineEnd::LF:
        break;
    }
    return QStringLiteral("\n");
}
