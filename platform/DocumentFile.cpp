#include "DocumentFile.h"

#include "DocumentText.h"
#include "RtfLimits.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QTextCursor>
#include <QTextDocument>

namespace {
// The file's bytes, or why they cannot be had (the reason goes to `error`).
QByteArray load(const QString &path, int type, QString &error)
{
    auto fail = [&error](const QString &reason) {
        error = reason;
        return QByteArray();
    };
    if (type != DocumentFile::Rtf && type != DocumentFile::Text)
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

QString rtfFailure(const QString &path, const RtfReader::Result &read)
{
    return QStringLiteral("Cannot read \"%1\": %2")
        .arg(path, read.errorText.isEmpty() ? QStringLiteral("it is not a valid Rich Text file") : read.errorText);
}
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
    if (type == Rtf && RtfReader::isRtf(bytes)) {
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
    if (type == Rtf && RtfReader::isRtf(bytes)) {
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
    return RtfWriter::write(doc);
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
