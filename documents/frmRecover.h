#pragma once

#include "documents/RecoveryFolder.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QTreeWidget;

// The documents an earlier run left unsaved, one row each: its name, when
// it was last kept, its first words. Recover and Discard act on the chosen
// rows (all, to begin with) and take them off the list; the dialog closes
// when none is left, or with "Decide later", which keeps the rest for the
// next start. Discarding asks first: it cannot be undone.
class frmRecover : public QDialog
{
    Q_OBJECT

public:
    enum Decision { Later, Recover, Discard };

    explicit frmRecover(const QList<RecoveryEntry> &entries, QWidget *owner = nullptr);

    // What became of each entry, in the order given.
    QList<Decision> decisions() const { return m_decisions; }

    // The modal seam's answer: "Recover", "Discard" or "Decide later", for
    // every row left (anything else decides later).
    void answer(const QString &button);

    QLabel *lblIntro = nullptr;
    QTreeWidget *lstDocuments = nullptr;
    QPushButton *cmdRecover = nullptr;
    QPushButton *cmdDiscard = nullptr;
    QPushButton *cmdLater = nullptr;

    void cmdRecover_Click();
    void cmdDiscard_Click();
    void cmdLater_Click();

private:
    void decideChosen(Decision decision);
    void updateButtons();

    QList<RecoveryEntry> m_entries;
    QList<Decision> m_decisions;
};
