#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

// The result window of a spell check: the misspelt words on the left, the
// server's alternatives for the word last clicked on the right. Modeless,
// without an owner; the user may keep editing, and switch documents, while
// it is open. One instance at a time, reached through instance(); unloading
// (Close, Cancel, or the main window's unload) deletes it.
class SuggestionsForm : public QWidget
{
    Q_OBJECT

public:
    // The loaded dialog; loads it, still hidden, when none is loaded and
    // load is true. nullptr when none is loaded and load is false.
    static SuggestionsForm *instance(bool load = true);

    QLabel *Label1 = nullptr;
    QListWidget *List1 = nullptr;   // "Words in question": sorted, each spelling once
    QLabel *Label2 = nullptr;
    QListWidget *List2 = nullptr;   // "Suggested Alternatives", in the server's order
    QPushButton *cmdReplace = nullptr;
    QPushButton *cmdClose = nullptr;
    QPushButton *Command1 = nullptr;

    // Adds the words to List1, each distinct spelling (case-sensitive) once,
    // in the list's order: alphabetical without regard to case, then by case.
    void AddWords(const QStringList &words);
    // Empties both lists.
    void ClearLists();

    void List1_Click();
    void cmdReplace_Click();
    void cmdClose_Click();
    void Command1_Click();
    void Unload();

protected:
    // A closing dialog is no longer the loaded one, even before it is
    // deleted: a check in the meantime loads a fresh one.
    void closeEvent(QCloseEvent *event) override;

private:
    explicit SuggestionsForm(QWidget *parent = nullptr);
    bool m_filling = false;   // List1 changing under our own hand is no click
};
