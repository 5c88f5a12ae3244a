// Feeds arbitrary bytes to the OpenDocument reader and writes back what it
// read, then reads that again. Bytes that are not a zip archive are taken
// for a part of a package, so the fuzzer reaches the XML as well as the
// archive: a styles part (office:document-styles) goes beside a small body
// that uses the usual style names, anything else is the content part. Any
// crash, leak, sanitizer report or hang is a bug, and so is a package of
// ours that our reader cannot read.
#include "OdtReader.h"
#include "OdtWriter.h"
#include "ZipWriter.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
// A body naming the styles a styles part is most likely to define.
const QByteArray StyledContent =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
    "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\"><office:body><office:text>"
    "<text:p text:style-name=\"Standard\">a<text:span text:style-name=\"T1\">b</text:span></text:p>"
    "<text:list text:style-name=\"L1\"><text:list-item><text:p text:style-name=\"P1\">c</text:p>"
    "<text:list><text:list-item><text:p>d</text:p></text:list-item></text:list></text:list-item></text:list>"
    "<table:table><table:table-column table:style-name=\"Col1\"/><table:table-row>"
    "<table:table-cell table:style-name=\"Cell1\"><text:p text:style-name=\"Heading\">e</text:p>"
    "</table:table-cell></table:table-row></table:table>"
    "</office:text></office:body></office:document-content>";
}

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
        zip.add(QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.text", true);
        if (bytes.left(4096).contains("document-styles")) {
            zip.add(QStringLiteral("content.xml"), StyledContent);
            zip.add(QStringLiteral("styles.xml"), bytes);
        } else {
            zip.add(QStringLiteral("content.xml"), bytes);
        }
        bytes = zip.finish();
    }
    QTextDocument document;
    if (!OdtReader::read(bytes, document).ok)
        return 0;
    const QByteArray written = OdtWriter::write(document);
    QTextDocument again;
    if (!OdtReader::read(written, again).ok) {
        std::fprintf(stderr, "a package the writer made could not be read back\n");
        std::abort();
    }
    return 0;
}
