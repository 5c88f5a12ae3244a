#include "documents/AutoSave.h"

#include "documents/frmDoc.h"
#include "platform/DocumentText.h"
#include "platform/RichTextBox.h"
#include "platform/SnapshotWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

namespace {

int pauseDelayMs = 10 * 1000;
int latestDelayMs = 2 * 60 * 1000;

// The first words, for the user to tell the documents apart when they come
// back; read from the first few hundred characters only.
QString firstWords(RichTextBox *rtf)
{
    const QTextDocument *doc = rtf->document();
    QString text = DocumentText::plain(doc, 0, qMin(DocumentText::length(doc), 400), QStringLiteral(" "));
    text = text.simplified();
    if (text.size() > 80) {
        text.truncate(80);
        const int space = text.lastIndexOf(QLatin1Char(' '));
        if (space > 40)
            text.truncate(space);
        text += QStringLiteral("...");
    }
    return text;
}

} // namespace

AutoSave::AutoSave(frmDoc *doc, const QString &recoveryFile)
    : QObject(doc), m_doc(doc), m_writer(new SnapshotWriter(this)), m_pause(new QTimer(this)),
      m_latest(new QTimer(this))
{
    m_entry.rtfPath = recoveryFile;
    m_pause->setSingleShot(true);
    m_latest->setSingleShot(true);
    connect(m_pause, &QTimer::timeout, this, &AutoSave::writeNow);
    connect(m_latest, &QTimer::timeout, this, &AutoSave::writeNow);
    connect(doc->rtf1, &RichTextBox::Change, this, &AutoSave::noteChange);
    connect(m_writer, &SnapshotWriter::finished, this, &AutoSave::finished);
}

AutoSave::~AutoSave()
{
    // The window is going: whatever it held was saved or given up by the
    // user. A write still going on is stopped first, so it cannot leave a
    // file behind.
    delete m_writer;
    m_writer = nullptr;
    if (!m_keep)
        removeFile();
}

void AutoSave::SetDelays(int afterPauseMs, int atLatestMs)
{
    pauseDelayMs = qMax(1, afterPauseMs);
    latestDelayMs = qMax(pauseDelayMs, atLatestMs);
}

int AutoSave::PauseDelay()
{
    return pauseDelayMs;
}

int AutoSave::LatestDelay()
{
    return latestDelayMs;
}

bool AutoSave::hasRecoveryFile() const
{
    return QFileInfo::exists(m_entry.rtfPath);
}

bool AutoSave::writing() const
{
    return m_writer && m_writer->busy();
}

void AutoSave::noteChange()
{
    ++m_changes;
    m_pause->start(pauseDelayMs);
    if (!m_latest->isActive())
        m_latest->start(latestDelayMs);
}

RecoveryEntry AutoSave::describe() const
{
    RecoveryEntry entry;
    entry.rtfPath = m_entry.rtfPath;
    entry.originalPath = m_doc->FilePath();
    entry.caption = m_doc->FileName();
    entry.fileType = entry.originalPath.isEmpty() ? 0 : m_doc->FileType();
    entry.lineEnd = m_doc->rtf1->TextLineEnd();
    entry.encoding = m_doc->rtf1->TextEncoding();
    entry.saved = QDateTime::currentDateTime();
    entry.firstWords = firstWords(m_doc->rtf1);
    return entry;
}

void AutoSave::writeNow()
{
    if (!m_doc || !m_writer)
        return;
    // Nothing unsaved (saved, or emptied): nothing to keep either.
    if (!m_doc->bChanged) {
        m_pause->stop();
        m_latest->stop();
        if (m_savedAt < m_changes)
            m_savedAt = m_changes;
        removeFile();
        return;
    }
    if (m_writtenAt == m_changes && hasRecoveryFile())
        return;
    if (m_writer->busy()) {
        // Once the write going on is done, this change follows.
        m_pause->start(pauseDelayMs);
        return;
    }
    m_pause->stop();
    m_latest->stop();
    m_pending = describe();
    m_writingAt = m_changes;
    RichTextBox *rtf = m_doc->rtf1;
    // Made from the snapshot, not from the live window; the index follows
    // its document, so it never describes one that is not all there.
    const QByteArray index = RecoveryFolder::indexBytes(m_pending);
    const QList<SnapshotWriter::Output> outputs = {
        {m_entry.rtfPath, [rtf] { return rtf->FileBytes(RichTextBox::rtfRTF); }},
        {m_pending.indexPath(), [index] { return index; }},
    };
    QString reason;
    if (!m_writer->start(outputs, &reason)) {
        emit writeFailed(QStringLiteral("Cannot save \"%1\": %2").arg(m_entry.rtfPath, reason));
        m_latest->start(latestDelayMs);
    }
}

void AutoSave::finished(bool ok, const QString &errorText)
{
    if (!ok) {
        emit writeFailed(errorText);
        // Tried again later, not at once: a full disk stays full a while.
        m_latest->start(latestDelayMs);
        return;
    }
    // Saved while the snapshot was being written: the file has all of it.
    if (m_savedAt >= m_writingAt) {
        removeFile();
        return;
    }
    m_entry = m_pending;
    m_writtenAt = m_writingAt;
    emit written();
    if (m_writtenAt < m_changes && !m_pause->isActive())
        m_pause->start(pauseDelayMs);
}

void AutoSave::documentSaved()
{
    m_savedAt = m_changes;
    m_pause->stop();
    m_latest->stop();
    // A write going on removes its file when it ends.
    if (!writing())
        removeFile();
}

void AutoSave::waitForWrite()
{
    if (m_writer)
        m_writer->waitForFinished();
}

void AutoSave::keepForNextStart()
{
    waitForWrite();
    if (m_doc && m_doc->bChanged && m_writtenAt < m_changes) {
        writeNow();
        waitForWrite();
    }
    m_keep = true;
}

void AutoSave::removeFile()
{
    RecoveryFolder::remove(m_entry);
}
