#include "documents/frmRecover.h"

#include "platform/SystemMessageBox.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

frmRecover::frmRecover(const QList<RecoveryEntry> &entries, QWidget *owner)
    : QDialog(owner), m_entries(entries), m_decisions(entries.size(), Later)
{
    setWindowTitle(QStringLiteral("Recover Documents"));
    setObjectName(QStringLiteral("frmRecover"));

    lblIntro = new QLabel(
        entries.size() == 1
            ? QStringLiteral("Quillet did not close normally last time. This document had changes that were "
                             "not saved:")
            : QStringLiteral("Quillet did not close normally last time. These documents had changes that "
                             "were not saved:"));
    lblIntro->setWordWrap(true);

    lstDocuments = new QTreeWidget;
    lstDocuments->setObjectName(QStringLiteral("lstDocuments"));
    lstDocuments->setHeaderLabels({QStringLiteral("Document"), QStringLiteral("Kept at"),
                                   QStringLiteral("Begins with")});
    lstDocuments->setRootIsDecorated(false);
    lstDocuments->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstDocuments->setAllColumnsShowFocus(true);
    const QLocale locale;
    for (int i = 0; i < entries.size(); ++i) {
        const RecoveryEntry &entry = entries.at(i);
        auto *item = new QTreeWidgetItem(lstDocuments);
        item->setText(0, entry.displayName());
        item->setText(1, locale.toString(entry.saved, QLocale::ShortFormat));
        item->setText(2, entry.firstWords);
        item->setToolTip(0, entry.originalPath.isEmpty() ? entry.caption : entry.originalPath);
        item->setData(0, Qt::UserRole, i);
        item->setSelected(true);
    }
    lstDocuments->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    lstDocuments->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lstDocuments->header()->setStretchLastSection(true);

    cmdRecover = new QPushButton(QStringLiteral("&Recover"));
    cmdRecover->setObjectName(QStringLiteral("cmdRecover"));
    cmdRecover->setDefault(true);
    cmdDiscard = new QPushButton(QStringLiteral("&Discard"));
    cmdDiscard->setObjectName(QStringLiteral("cmdDiscard"));
    cmdLater = new QPushButton(QStringLiteral("Decide &later"));
    cmdLater->setObjectName(QStringLiteral("cmdLater"));
    auto *buttons = new QDialogButtonBox;
    buttons->addButton(cmdRecover, QDialogButtonBox::AcceptRole);
    buttons->addButton(cmdDiscard, QDialogButtonBox::DestructiveRole);
    buttons->addButton(cmdLater, QDialogButtonBox::RejectRole);
    // The box's own roles would close the dialog; the buttons decide that.
    disconnect(buttons, nullptr, this, nullptr);
    connect(cmdRecover, &QPushButton::clicked, this, &frmRecover::cmdRecover_Click);
    connect(cmdDiscard, &QPushButton::clicked, this, &frmRecover::cmdDiscard_Click);
    connect(cmdLater, &QPushButton::clicked, this, &frmRecover::cmdLater_Click);
    connect(lstDocuments, &QTreeWidget::itemSelectionChanged, this, &frmRecover::updateButtons);
    connect(lstDocuments, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        lstDocuments->clearSelection();
        item->setSelected(true);
        cmdRecover_Click();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblIntro);
    layout->addWidget(lstDocuments, 1);
    layout->addWidget(buttons);
    resize(640, 300);
    updateButtons();
}

void frmRecover::answer(const QString &button)
{
    lstDocuments->selectAll();
    if (button == QLatin1String("Recover"))
        decideChosen(Recover);
    else if (button == QLatin1String("Discard"))
        decideChosen(Discard);
    else
        reject();
}

void frmRecover::cmdRecover_Click()
{
    decideChosen(Recover);
}

void frmRecover::cmdDiscard_Click()
{
    const int chosen = lstDocuments->selectedItems().size();
    if (chosen == 0)
        return;
    const QString text = chosen == 1
        ? QStringLiteral("Discard the unsaved changes of this document? They cannot be brought back.")
        : QStringLiteral("Discard the unsaved changes of these %1 documents? They cannot be brought back.")
              .arg(chosen);
    if (SystemMessageBox::show(this, text, QStringLiteral("Recover Documents"),
                               SystemMessageBox::vbYesNo + SystemMessageBox::vbExclamation)
        != SystemMessageBox::vbYes)
        return;
    decideChosen(Discard);
}

void frmRecover::cmdLater_Click()
{
    reject();
}

void frmRecover::decideChosen(Decision decision)
{
    const QList<QTreeWidgetItem *> chosen = lstDocuments->selectedItems();
    for (QTreeWidgetItem *item : chosen) {
        m_decisions[item->data(0, Qt::UserRole).toInt()] = decision;
        delete item;
    }
    if (lstDocuments->topLevelItemCount() == 0)
        accept();
    else
        updateButtons();
}

void frmRecover::updateButtons()
{
    const bool any = !lstDocuments->selectedItems().isEmpty();
    cmdRecover->setEnabled(any);
    cmdDiscard->setEnabled(any);
}
