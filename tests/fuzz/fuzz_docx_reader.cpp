// Feeds arbitrary bytes to the Word reader and writes back what it read,
// then reads that again. Bytes that are not a zip archive are taken for the
// document part of a package, so the fuzzer reaches the XML as well as the
// archive. Any crash, leak, sanitizer report or hang is a bug, and so is a
// package of ours that our reader cannot read.
#include "DocxReader.h"
#include "DocxWriter.h"
#include "ZipWriter.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!bytes.startsWith("PK")) {
        ZipWriter zip;
        zip.add(QStringLiteral("word/document.xml"), bytes);
        bytes = zip.finish();
    }
    QTextDocument document;
    if (!DocxReader::read(bytes, document).ok)
        return 0;
    const QByteArray written = DocxWriter::write(document);
    QTextDocument again;
    if (!DocxReader::read(written, again).ok) {
        std::fprintf(stderr, "a package the writer made could not be read back\n");
        std::abort();
    }
    return 0;
}
