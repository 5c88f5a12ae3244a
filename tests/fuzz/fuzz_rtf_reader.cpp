// Feeds arbitrary bytes to the Rich Text reader, as a load and as a paste,
// and writes back what it read. Any crash, leak, sanitizer report or hang is
// a bug.
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Documents and images want a GUI application; one lives for the run.
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    QTextDocument document;
    RtfReader::read(bytes, document);
    const QByteArray written = RtfWriter::write(document);

    QTextDocument again;
    RtfReader::read(written, again);

    QTextDocument target;
    target.setPlainText(QStringLiteral("before after"));
    QTextCursor cursor(&target);
    cursor.setPosition(7);
    RtfReader::insert(bytes, cursor);
    cursor.select(QTextCursor::Document);
    RtfWriter::write(cursor);
    return 0;
}
