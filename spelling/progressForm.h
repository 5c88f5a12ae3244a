#pragma once

#include <QWidget>

class QProgressBar;

// The small window that shows how far a spell check has come. Its caption
// names the current step; it is modeless, has no owner and lives for one
// check only (unloading deletes it).
class progressForm : public QWidget
{
    Q_OBJECT

public:
    explicit progressForm(QWidget *parent = nullptr);

    QProgressBar *ProgressBar1 = nullptr;

    // Adds to the bar, stopping at its maximum of 100.
    void Advance(int amount = 10);
    // Sets the caption and lets the window paint, since the check that
    // follows keeps the event loop busy.
    void SetCaption(const QString &caption);
    void Unload();
};
