// Feeds arbitrary bytes to the Rich Text reader, as a load, as a paste and
// straight to text, and writes back what it read. Any crash, leak, sanitizer
// report or hang is a bug, and so is text read straight that differs from
// the text of the document read.
#include "DocumentText.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

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
    // As the editor's documents: paragraphs left to right unless marked.
    QTextOption option = document.defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    document.setDefaultTextOption(option);
    RtfReader::read(bytes, document);
    const QByteArray written = RtfWriter::write(document);

    const QString lineEnd = QStringLiteral("\r\n");
    QString direct;
    RtfReader::readText(bytes, lineEnd, direct);
    if (direct != DocumentText::plain(&document, 0, DocumentText::length(&document), lineEnd, true)) {
        std::fprintf(stderr, "text read straight differs from the document's text\n");
        std::abort();
    }

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
