#pragma once

#include <QDialog>

class QGroupBox;
class QListWidget;
class QPushButton;
class RichTextBox;

// The symbols dialog: the character codes 1 to 255 of the Windows-1252 code
// page, each listed as its number, a separator that lines the hyphens up,
// and the character, in the active document's base font. Insert (or a
// double click) types the chosen character at the document's caret and
// leaves the dialog open for the next one.
class frmSymbols : public QDialog
{
    Q_OBJECT

public:
    explicit frmSymbols(QWidget *parent = nullptr);

    QGroupBox *Frame1 = nullptr;
    QListWidget *lstSymbols = nullptr;
    QPushButton *cmdInsert = nullptr;
    QPushButton *cmdClose = nullptr;

    // The list entry for code 1 to 255.
    static QString EntryText(int code);

    void Form_Load();
    void lstSymbols_DblClick();
    void cmdInsert_Click();
    void cmdClose_Click();

private:
    void insertChosen();
};
