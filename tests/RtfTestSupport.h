#pragma once

#include <QString>
#include <QTextBlock>
#include <QTextDocument>

namespace RtfTestSupport {

// The document's text as a reader would extract it: paragraphs and line
// breaks as line feeds, everything else (no-break spaces included) as is.
inline QString plainText(const QTextDocument &document)
{
    QString text;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        if (b != document.begin())
            text += u'\n';
        text += b.text();
    }
    text.replace(QChar(QChar::LineSeparator), u'\n');
    return text;
}

// Collapses runs of ASCII white space to one space and trims.
inline QString normalized(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool space = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0x09 || u == 0x0A || u == 0x0B || u == 0x0C || u == 0x0D || u == 0x20) {
            space = true;
            continue;
        }
        if (space && !out.isEmpty())
            out += u' ';
        space = false;
        out += c;
    }
    return out;
}

}
