#pragma once

#include "documents/RecoveryFolder.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QTimer;
class SnapshotWriter;
class frmDoc;

// Keeps one document window's unsaved work in its recovery file. A change
// starts the count: the document is written a short while after typing
// pauses, and at the latest a few minutes after the first change not yet
// written, however long typing goes on. The write is a snapshot made apart
// from the window (SnapshotWriter), so typing is never held up; the user's
// own file is never touched. A clean save, a document emptied or a window
// closed takes the recovery file away again.
class AutoSave : public QObject
{
    Q_OBJECT

public:
    // recoveryFile is this window's "<run>/<n>.rtf"; an existing entry (a
    // document brought back) is kept until the first write of its own.
    AutoSave(frmDoc *doc, const QString &recoveryFile);
    ~AutoSave() override;

    // After typing pauses this long, and at the latest this long after the
    // first unwritten change (milliseconds).
    static void SetDelays(int afterPauseMs, int atLatestMs);
    static int PauseDelay();
    static int LatestDelay();

    QString recoveryFile() const { return m_entry.rtfPath; }
    bool hasRecoveryFile() const;
    bool writing() const;

    // Writes now if there is unsaved work (tests; the delays do it otherwise).
    void writeNow();
    // The window's document is on disk as it stands: its recovery file goes.
    void documentSaved();
    // Waits until a write going on has ended.
    void waitForWrite();
    // The program ends with this window's work unsaved: it is written now if
    // it has not been, and its recovery file stays for the next start.
    void keepForNextStart();

signals:
    // A recovery file could not be written; reason names the file and cause.
    void writeFailed(const QString &reason);
    void written();

private:
    void noteChange();
    void finished(bool ok, const QString &errorText);
    void removeFile();
    RecoveryEntry describe() const;

    QPointer<frmDoc> m_doc;
    RecoveryEntry m_entry;
    RecoveryEntry m_pending;   // the index of the write going on
    SnapshotWriter *m_writer;
    QTimer *m_pause;
    QTimer *m_latest;
    // Changes counted, so that a save or a change during a write is told
    // from one before it.
    quint64 m_changes = 0;
    quint64 m_savedAt = 0;
    quint64 m_writtenAt = 0;
    quint64 m_writingAt = 0;
    bool m_keep = false;
};
