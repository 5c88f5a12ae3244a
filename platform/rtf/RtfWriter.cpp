#include "RtfWriter.h"

#include <QTextCursor>
#include <QTextDocument>

QByteArray RtfWriter::write(const QTextDocument &document)
{
    Q_UNUSED(document);
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\par}";
}

QByteArray RtfWriter::write(const QTextCursor &selection)
{
    Q_UNUSED(selection);
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\par}";
}
