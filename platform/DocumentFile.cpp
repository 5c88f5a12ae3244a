#include "DocumentFile.h"

#include "DocumentText.h"
#include "DocxKept.h"
#include "DocxReader.h"
#include "DocxWriter.h"
#include "OdtKept.h"
#include "OdtReader.h"
#include "OdtWriter.h"
#include "RtfLimits.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

namespace {
// The file's bytes, or why they cannot be had (the reason goes to `error`).
QByteArray load(const QString &path, int type, QString &error)
{
    auto fail = [&error](const QString &reason) {
        error = reason;
        return QByteArray();
    };
    if (type < DocumentFile::Rtf || type > DocumentFile::Odt)
        return fail(QStringLiteral("Cannot open \"%1\": unknown file type %2").arg(path).arg(type));
    if (path.isEmpty())
        return fail(QStringLiteral("Cannot open a file without a name"));
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("Cannot open \"%1\": No such file or directory").arg(path));
    if (info.isDir())
        return fail(QStringLiteral("Cannot open \"%1\": it is a folder, not a file").arg(path));
    // Devices and pipes could be read forever.
    if (!info.isFile())
        return fail(QStringLiteral("Cannot open \"%1\": it is not a regular file").arg(path));
    // Held in memory several times over (bytes, text, document), a file
    // past the limit would take the machine's memory before showing a page.
    if (info.size() > RtfLimits::MaxFileBytes) {
        return fail(QStringLiteral("Cannot open \"%1\": the file is %2, larger than the %3 Quillet opens")
                            .arg(path, DocumentFile::sizeText(info.size()),
                                 DocumentFile::sizeText(RtfLimits::MaxFileBytes)));
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString()));
    QByteArray bytes = file.read(RtfLimits::MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("Cannot read \"%1\": %2").arg(path, file.errorString()));
    file.close();
    // The file grew between the look and the read.
    if (bytes.size() > RtfLimits::MaxFileBytes) {
        return fail(QStringLiteral("Cannot open \"%1\": the file is larger than the %2 Quillet opens")
                            .arg(path, DocumentFile::sizeText(RtfLimits::MaxFileBytes)));
    }
    error.clear();
    return bytes;
}

// A plain text file's content into `doc`, and how to write it back.
void readPlainText(const QByteArray &bytes, QTextDocument &doc, DocumentFile::ReadResult &result)
{
    const TextFile::Decoded decoded = TextFile::decode(bytes);
    QTextCursor cursor(&doc);
    cursor.insertText(decoded.text);
    result.lineEnd = decoded.lineEnd;
    result.encoding = decoded.encoding;
    result.strayBytes = decoded.strayBytes;
}

// Formats that are never text, by the name's extension (lower case).
struct ForeignName
{
    const char *suffix;
    const char *name;
};
constexpr ForeignName foreignNames[] = {
    {"docx", "a Word document (.docx)"},
    {"docm", "a Word macro-enabled document (.docm)"},
    {"dotx", "a Word template (.dotx)"},
    {"dotm", "a Word macro-enabled template (.dotm)"},
    {"doc", "a Word 97-2003 document (.doc)"},
    {"dot", "a Word 97-2003 template (.dot)"},
    {"odt", "an OpenDocument text (.odt)"},
    {"ott", "an OpenDocument text template (.ott)"},
    {"pdf", "a PDF document (.pdf)"},
    {"xlsx", "an Excel workbook (.xlsx)"},
    {"xls", "an Excel 97-2003 workbook (.xls)"},
    {"pptx", "a PowerPoint presentation (.pptx)"},
    {"ppt", "a PowerPoint 97-2003 presentation (.ppt)"},
    {"ods", "an OpenDocument spreadsheet (.ods)"},
    {"odp", "an OpenDocument presentation (.odp)"},
    {"odg", "an OpenDocument drawing (.odg)"},
    {"epub", "an EPUB book (.epub)"},
    {"zip", "a ZIP archive (.zip)"},
    {"wps", "a Works document (.wps)"},
    {"wpd", "a WordPerfect document (.wpd)"},
    {"pages", "a Pages document (.pages)"},
};

// The format the name's extension says, when it is one of the above.
QString formatByName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const ForeignName &entry : foreignNames) {
        if (suffix == QLatin1String(entry.suffix))
            return QString::fromLatin1(entry.name);
    }
    return {};
}

bool isZip(const QByteArray &bytes)
{
    // A local file header, or the end record of an empty archive.
    return bytes.startsWith("PK\x03\x04") || bytes.startsWith("PK\x05\x06");
}

// What a zip package holds, told by the parts every such package has.
QString zipFormat(const QByteArray &bytes, const QString &byName)
{
    // An OpenDocument package starts with its media type, stored as is.
    if (bytes.mid(30, 8) == "mimetype") {
        const QByteArray type = bytes.mid(38, 80);
        if (type.startsWith("application/vnd.oasis.opendocument.text"))
            return QStringLiteral("an OpenDocument text (.odt)");
        if (type.startsWith("application/vnd.oasis.opendocument.spreadsheet"))
            return QStringLiteral("an OpenDocument spreadsheet (.ods)");
        if (type.startsWith("application/vnd.oasis.opendocument.presentation"))
            return QStringLiteral("an OpenDocument presentation (.odp)");
        if (type.startsWith("application/epub+zip"))
            return QStringLiteral("an EPUB book (.epub)");
    }
    // Part names are stored uncompressed in the headers.
    if (bytes.contains("word/document.xml") || bytes.contains("word/_rels/"))
        return byName.contains(QLatin1String("Word")) ? byName : QStringLiteral("a Word document (.docx)");
    if (bytes.contains("xl/workbook.xml"))
        return QStringLiteral("an Excel workbook (.xlsx)");
    if (bytes.contains("ppt/presentation.xml"))
        return QStringLiteral("a PowerPoint presentation (.pptx)");
    return byName.isEmpty() ? QStringLiteral("a ZIP archive") : byName;
}

// Rich Text under a name of another format (a .doc Word saved as RTF) is
// read as Rich Text whatever the way in, never as its markup.
bool richByName(const QString &path, const QByteArray &bytes)
{
    return !formatByName(path).isEmpty() && RtfReader::isRtf(bytes);
}

// A Word package, or a file whose name says it is one: read as Word, so a
// damaged one is told as such and never shown as its bytes.
bool isWordPackage(const QString &path, const QByteArray &bytes)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool named = suffix == QLatin1String("docx") || suffix == QLatin1String("docm")
            || suffix == QLatin1String("dotx") || suffix == QLatin1String("dotm");
    if (named && !RtfReader::isRtf(bytes))
        return true;
    return isZip(bytes) && DocxReader::isDocx(bytes);
}

// An OpenDocument text, or a file named as one.
bool isOdtPackage(const QString &path, const QByteArray &bytes)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if ((suffix == QLatin1String("odt") || suffix == QLatin1String("ott")) && !RtfReader::isRtf(bytes))
        return true;
    return isZip(bytes) && OdtReader::isOdt(bytes);
}

QString rtfFailure(const QString &path, const RtfReader::Result &read)
{
    return QStringLiteral("Cannot read \"%1\": %2")
        .arg(path, read.errorText.isEmpty() ? QStringLiteral("it is not a valid Rich Text file") : read.errorText);
}
}

QString DocumentFile::foreignFormat(const QString &path, const QByteArray &bytes)
{
    const QString byName = formatByName(path);
    QString format;
    if (isZip(bytes))
        format = zipFormat(bytes, byName);
    else if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        format = byName.isEmpty() ? QStringLiteral("a Word 97-2003 document or another older Office file") : byName;
    else if (bytes.startsWith("%PDF-"))
        format = QStringLiteral("a PDF document");
    else if (!RtfReader::isRtf(bytes))
        format = byName;   // Word once saved Rich Text under .doc: that is read as such
    if (format.isEmpty())
        return {};
    return QStringLiteral("it is %1, a format Quillet cannot open").arg(format);
}

QString DocumentFile::refusesText(const QString &path)
{
    const QString byName = formatByName(path);
    if (byName.isEmpty())
        return {};
    return QStringLiteral("Cannot save \"%1\" as plain text: its name says it is %2, and no program could "
                          "read it as one. Choose a name ending in .txt or .rtf.")
        .arg(QFileInfo(path).fileName(), byName);
}

DocumentFile::ReadResult DocumentFile::read(const QString &path, int type, QTextDocument &doc)
{
    ReadResult result;
    setLeftToRight(doc);
    const QByteArray bytes = load(path, type, result.errorText);
    if (!result.errorText.isEmpty())
        return result;

    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    // A package format's reader, its result told as every read tells it.
    auto package = [&](const auto &read, int readType, const QString &what) {
        doc.setUndoRedoEnabled(undo);
        if (!read.ok) {
            result.errorText = QStringLiteral("Cannot read \"%1\": it is not %2 Quillet can read: %3")
                                   .arg(path, what, read.errorText);
            return result;
        }
        result.type = readType;
        result.incomplete = read.incomplete;
        result.ok = true;
        return result;
    };
    if (type == Odt || isOdtPackage(path, bytes))
        return package(OdtReader::read(bytes, doc), Odt, QStringLiteral("an OpenDocument text"));
    if (type == Docx || isWordPackage(path, bytes))
        return package(DocxReader::read(bytes, doc), Docx, QStringLiteral("a Word document"));
    if (const QString foreign = foreignFormat(path, bytes); !foreign.isEmpty()) {
        doc.setUndoRedoEnabled(undo);
        result.errorText = QStringLiteral("Cannot open \"%1\": %2").arg(path, foreign);
        return result;
    }
    result.type = richByName(path, bytes) ? Rtf : type;
    if (result.type == Rtf && RtfReader::isRtf(bytes)) {
        const RtfReader::Result read = RtfReader::read(bytes, doc);
        if (!read.ok) {
            doc.setUndoRedoEnabled(undo);
            result.errorText = rtfFailure(path, read);
            return result;
        }
        result.incomplete = read.incomplete;
    } else {
        readPlainText(bytes, doc, result);
    }
    doc.setUndoRedoEnabled(undo);
    result.ok = true;
    return result;
}

DocumentFile::ReadResult DocumentFile::readText(const QString &path, int type, QString &text)
{
    ReadResult result;
    text.clear();
    const QByteArray bytes = load(path, type, result.errorText);
    if (!result.errorText.isEmpty())
        return result;
    if (type == Docx || type == Odt || isWordPackage(path, bytes) || isOdtPackage(path, bytes)) {
        QTextDocument doc;
        const ReadResult read = DocumentFile::read(path, type == Odt || isOdtPackage(path, bytes) ? Odt : Docx, doc);
        if (read.ok)
            text = DocumentText::plain(&doc, 0, DocumentText::length(&doc), TextFile::lineEndText(read.lineEnd), true);
        return read;
    }
    if (const QString foreign = foreignFormat(path, bytes); !foreign.isEmpty()) {
        result.errorText = QStringLiteral("Cannot open \"%1\": %2").arg(path, foreign);
        return result;
    }
    result.type = richByName(path, bytes) ? Rtf : type;
    if (result.type == Rtf && RtfReader::isRtf(bytes)) {
        const RtfReader::Result read = RtfReader::readText(bytes, TextFile::lineEndText(result.lineEnd), text);
        if (!read.ok) {
            text.clear();
            result.errorText = rtfFailure(path, read);
            return result;
        }
        result.incomplete = read.incomplete;
        result.ok = true;
        return result;
    }
    // Plain text in, plain text out: the document decides how its lines end.
    QTextDocument doc;
    doc.setUndoRedoEnabled(false);
    readPlainText(bytes, doc, result);
    text = DocumentText::plain(&doc, 0, DocumentText::length(&doc), TextFile::lineEndText(result.lineEnd), true);
    result.ok = true;
    return result;
}

QByteArray DocumentFile::bytes(const QTextDocument &doc, int type, TextFile::LineEnd lineEnd,
                                TextFile::Encoding encoding)
{
    if (type == Text) {
        // A numbered list keeps its numbers in a text file.
        return TextFile::encode(DocumentText::plain(&doc, 0, DocumentText::length(&doc),
                                                    TextFile::lineEndText(lineEnd), true),
                                encoding);
    }
    if (type == Docx)
        return DocxWriter::write(doc);
    if (type == Odt)
        return OdtWriter::write(doc);
    return RtfWriter::write(doc);
}

QString DocumentFile::leftOut(const QTextDocument &doc, int type)
{
    const auto anyRun = [&doc](int property) {
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it)
                if (it.fragment().charFormat().hasProperty(property))
                    return true;
        return false;
    };
    // Each package format writes back only what was kept from its own kind.
    const QTextFrameFormat root = doc.rootFrame()->frameFormat();
    const bool word = type != Docx
                      && (!root.property(DocxKept::Parts).toByteArray().isEmpty() || anyRun(DocxKept::Element));
    const bool open = type != Odt
                      && (!root.property(OdtKept::Parts).toByteArray().isEmpty() || anyRun(OdtKept::Element));
    return word || open ? QStringLiteral("notes, comments, headers, footers or drawings") : QString();
}

void DocumentFile::setLeftToRight(QTextDocument &doc)
{
    QTextOption option = doc.defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    doc.setDefaultTextOption(option);
}

QString DocumentFile::sizeText(qint64 bytes)
{
    const double mb = double(bytes) / (1024.0 * 1024.0);
    return QStringLiteral("%1 MB").arg(mb >= 10 || mb == qint64(mb) ? QString::number(qint64(mb + 0.5))
                                                                    : QString::number(mb, 'f', 1));
}
