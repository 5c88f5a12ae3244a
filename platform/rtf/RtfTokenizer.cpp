#include "RtfTokenizer.h"

#include "RtfLimits.h"

#include <climits>

namespace {
inline bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
inline int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
}

RtfTokenizer::RtfTokenizer(QByteArrayView bytes)
    : m_bytes(bytes)
{
}

RtfTokenizer::Token RtfTokenizer::next()
{
    const qsizetype size = m_bytes.size();
    const char *data = m_bytes.data();
    // Line ends carry no meaning in RTF; NUL bytes appear in damaged files.
    while (m_pos < size && (data[m_pos] == '\r' || data[m_pos] == '\n' || data[m_pos] == '\0'))
        ++m_pos;

    Token token;
    token.offset = m_pos;
    if (m_pos >= size)
        return token;

    const char c = data[m_pos];
    if (c == '{') {
        ++m_pos;
        token.type = Token::GroupOpen;
        return token;
    }
    if (c == '}') {
        ++m_pos;
        token.type = Token::GroupClose;
        return token;
    }
    if (c == '\\')
        return readControl(m_pos);

    const qsizetype start = m_pos;
    while (m_pos < size) {
        const char d = data[m_pos];
        if (d == '\\' || d == '{' || d == '}' || d == '\r' || d == '\n' || d == '\0')
            break;
        ++m_pos;
    }
    token.type = Token::Text;
    token.data = m_bytes.sliced(start, m_pos - start);
    return token;
}

RtfTokenizer::Token RtfTokenizer::readControl(qsizetype start)
{
    const qsizetype size = m_bytes.size();
    const char *data = m_bytes.data();
    Token token;
    token.offset = start;
    m_pos = start + 1;
    if (m_pos >= size) {
        // A lone backslash at the very end: nothing to act on.
        token.type = Token::ControlSymbol;
        token.symbol = '\\';
        token.malformed = true;
        return token;
    }

    const char c = data[m_pos];
    if (!isLetter(c)) {
        ++m_pos;
        if (c == '\'') {
            token.type = Token::HexByte;
            const int hi = m_pos < size ? hexValue(data[m_pos]) : -1;
            const int lo = m_pos + 1 < size ? hexValue(data[m_pos + 1]) : -1;
            if (hi < 0 || lo < 0) {
                // Take what hex there is and leave the rest as text.
                token.malformed = true;
                if (hi >= 0) {
                    token.byte = uchar(hi);
                    ++m_pos;
                }
                return token;
            }
            token.byte = uchar(hi * 16 + lo);
            m_pos += 2;
            return token;
        }
        token.type = Token::ControlSymbol;
        // A backslash before a line end is a paragraph mark (TextEdit writes it).
        token.symbol = (c == '\r' || c == '\n') ? '\n' : c;
        if (c == '\r' && m_pos < size && data[m_pos] == '\n')
            ++m_pos;
        return token;
    }

    const qsizetype wordStart = m_pos;
    while (m_pos < size && isLetter(data[m_pos]))
        ++m_pos;
    qsizetype wordLength = m_pos - wordStart;
    if (wordLength > RtfLimits::MaxKeywordLength) {
        token.malformed = true;
        wordLength = RtfLimits::MaxKeywordLength;
    }
    token.type = Token::ControlWord;
    token.data = m_bytes.sliced(wordStart, wordLength);

    bool negative = false;
    if (m_pos < size && data[m_pos] == '-' && m_pos + 1 < size && isDigit(data[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    if (m_pos < size && isDigit(data[m_pos])) {
        qint64 value = 0;
        int digits = 0;
        while (m_pos < size && isDigit(data[m_pos])) {
            if (digits < RtfLimits::MaxParameterDigits)
                value = value * 10 + (data[m_pos] - '0');
            ++digits;
            ++m_pos;
        }
        if (negative)
            value = -value;
        token.hasParameter = true;
        token.parameter = int(qBound(qint64(INT_MIN), value, qint64(INT_MAX)));
    }
    // One space after a control word belongs to it.
    if (m_pos < size && data[m_pos] == ' ')
        ++m_pos;

    if (token.data == "bin" && token.hasParameter && token.parameter > 0) {
        const qsizetype wanted = token.parameter;
        const qsizetype available = size - m_pos;
        token.type = Token::Binary;
        if (wanted > available) {
            token.malformed = true;
            token.data = m_bytes.sliced(m_pos, available);
            m_pos = size;
        } else {
            token.data = m_bytes.sliced(m_pos, wanted);
            m_pos += wanted;
        }
    }
    return token;
}
