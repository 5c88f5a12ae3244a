#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Splits RTF bytes into tokens: group open/close, control words with an
// optional signed parameter, control symbols, \'hh bytes, \bin payloads and
// runs of plain text. It never fails: whatever is malformed becomes a token
// flagged as such, and the caller decides what to report. The views it hands
// out point into the caller's buffer, which must outlive the tokenizer.
class RtfTokenizer
{
public:
    struct Token
    {
        enum Type { End, GroupOpen, GroupClose, ControlWord, ControlSymbol, HexByte, Binary, Text };
        Type type = End;
        QByteArrayView data;     // control word name, text run or binary payload
        int parameter = 0;
        bool hasParameter = false;
        char symbol = 0;         // control symbol character
        uchar byte = 0;          // value of \'hh
        bool malformed = false;  // bad hex digits, \bin past the end, over-long word
        qsizetype offset = 0;    // byte offset where the token starts
    };

    explicit RtfTokenizer(QByteArrayView bytes);

    Token next();
    qsizetype position() const { return m_pos; }

private:
    Token readControl(qsizetype start);

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};
