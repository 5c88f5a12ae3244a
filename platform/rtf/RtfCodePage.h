#pragma once

#include <QByteArrayView>
#include <QString>

#include <array>
#include <memory>

class QStringDecoder;

// One Windows (or Mac/OEM) code page used for \'hh bytes and raw 8-bit text.
// Single-byte pages decode through a 256-entry table built once, so the
// common case costs a lookup per byte; double-byte pages and UTF-8 go
// through a QStringDecoder and must be handed whole characters (the caller
// buffers bytes until the text run ends). A page the system cannot decode
// falls back to Windows-1252, and isFallback() says so.
class RtfCodePage
{
public:
    explicit RtfCodePage(int codePage);
    ~RtfCodePage();
    RtfCodePage(const RtfCodePage &) = delete;
    RtfCodePage &operator=(const RtfCodePage &) = delete;

    int number() const { return m_number; }
    bool isSingleByte() const { return !m_decoder; }
    bool isFallback() const { return m_fallback; }

    QChar byteToChar(uchar byte) const { return m_table[byte]; }
    // Appends the decoded bytes to out (single- or multi-byte).
    void decode(QByteArrayView bytes, QString &out) const;

    // The code page of an RTF \fcharset value, or 0 for "the document's".
    static int fromCharset(int charset);
    // The encoding name QStringDecoder knows for a code page, or null.
    static const char *encodingName(int codePage);

private:
    int m_number;
    bool m_fallback = false;
    std::array<QChar, 256> m_table;
    std::unique_ptr<QStringDecoder> m_decoder;
};
