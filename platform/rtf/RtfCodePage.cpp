#include "RtfCodePage.h"

#include <QStringDecoder>

namespace {
bool isMultiByte(int codePage)
{
    switch (codePage) {
    case 932: case 936: case 949: case 950: case 10001: case 10002: case 10003: case 10008:
    case 65001:
        return true;
    default:
        return false;
    }
}
}

const char *RtfCodePage::encodingName(int codePage)
{
    switch (codePage) {
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 852: return "IBM852";
    case 866: return "IBM866";
    case 874: return "windows-874";
    case 932: return "windows-31j";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1252: return "windows-1252";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 10000: return "macintosh";
    // No Mac Japanese decoder here; its text is Shift_JIS with a few extras.
    case 10001: return "Shift_JIS";
    case 10006: return "x-mac-greek";
    case 10007: return "x-mac-cyrillic";
    case 10029: return "x-mac-ce";
    case 20127: return "US-ASCII";
    case 28591: return "ISO-8859-1";
    case 28592: return "ISO-8859-2";
    case 28595: return "ISO-8859-5";
    case 65001: return "UTF-8";
    default: return nullptr;
    }
}

int RtfCodePage::fromCharset(int charset)
{
    switch (charset) {
    // ANSI_CHARSET is Western whatever \ansicpg says (Word, LibreOffice and
    // TextEdit all read it so).
    case 0: return 1252;
    case 77: return 10000;
    case 78: return 10001;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    // Default and symbol fonts follow the document's \ansicpg.
    default: return 0;
    }
}

RtfCodePage::RtfCodePage(int codePage)
    : m_number(codePage)
{
    const char *name = encodingName(codePage);
    std::unique_ptr<QStringDecoder> decoder;
    if (name)
        decoder = std::make_unique<QStringDecoder>(name, QStringDecoder::Flag::Stateless);
    if (!decoder || !decoder->isValid()) {
        m_fallback = codePage != 1252;
        decoder = std::make_unique<QStringDecoder>("windows-1252", QStringDecoder::Flag::Stateless);
    }

    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QString s = b < 0x80 ? QString(QChar(b)) : decoder->decode(QByteArrayView(&byte, 1));
        m_table[b] = s.size() == 1 ? s.at(0) : QChar(QChar::ReplacementCharacter);
    }
    if (!m_fallback && isMultiByte(codePage))
        m_decoder = std::move(decoder);
}

RtfCodePage::~RtfCodePage() = default;

void RtfCodePage::decode(QByteArrayView bytes, QString &out) const
{
    if (m_decoder) {
        out += m_decoder->decode(bytes);
        return;
    }
    const qsizetype old = out.size();
    out.resize(old + bytes.size());
    QChar *dst = out.data() + old;
    for (const char c : bytes)
        *dst++ = m_table[uchar(c)];
}
