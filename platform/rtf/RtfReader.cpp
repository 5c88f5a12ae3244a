#include "RtfReader.h"

#include <QTextCursor>
#include <QTextDocument>

RtfReader::Result RtfReader::read(const QByteArray &rtf, QTextDocument &document)
{
    document.clear();
    QTextCursor cursor(&document);
    return insert(rtf, cursor);
}

RtfReader::Result RtfReader::insert(const QByteArray &rtf, QTextCursor &cursor)
{
    Q_UNUSED(rtf);
    cursor.removeSelectedText();
    return {};
}

bool RtfReader::isRtf(const QByteArray &bytes)
{
    return bytes.trimmed().startsWith("{\\rtf");
}
