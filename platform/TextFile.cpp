#include "TextFile.h"

#include <QStringDecoder>

TextFile::Decoded TextFile::decode(const QByteArray &bytes)
{
    Decoded result;

    // The default flags drop a leading byte order mark; Stateless makes a
    // sequence cut off at the end count as invalid.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    result.text = utf8.decode(bytes);
    if (utf8.hasError()) {
        QStringDecoder ansi("windows-1252", QStringDecoder::Flag::Stateless);
        if (ansi.isValid())
            result.text = ansi.decode(bytes);
        else
            result.text = QString::fromLatin1(bytes);
        result.wasUtf8 = false;
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

QByteArray TextFile::encode(const QString &text)
{
    return text.toUtf8();
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
