#include "editing/frmSymbols.h"

#include "editing/modActive.h"
#include "platform/RichTextBox.h"

#include <QFont>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QStringDecoder>
#include <QVBoxLayout>

namespace {

int px(const QWidget *w, int twips)
{
    return qRound(twips * w->logicalDpiX() / 1440.0);
}

// The character of one Windows-1252 byte. The five bytes the code page
// leaves unassigned stand for themselves, as the platform's own table has it.
QChar ansiCharacter(int code)
{
    QStringDecoder decode("windows-1252");
    const char byte = char(code);
    const QString text = decode(QByteArray(&byte, 1));
    if (decode.hasError() || text.size() != 1 || text.at(0) == QChar::ReplacementCharacter)
        return QChar(code);
    return text.at(0);
}

} // namespace

frmSymbols::frmSymbols(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSymbols"));
    setWindowTitle(QStringLiteral("Symbols"));

    Frame1 = new QGroupBox(QStringLiteral("Symbols"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(px(this, 150), px(this, 150), px(this, 2895), px(this, 3375));
    lstSymbols = new QListWidget(Frame1);
    lstSymbols->setObjectName(QStringLiteral("lstSymbols"));
    lstSymbols->setSelectionMode(QAbstractItemView::SingleSelection);
    lstSymbols->setGeometry(px(this, 120), px(this, 240), px(this, 2655), px(this, 2985));

    cmdInsert = new QPushButton(QStringLiteral("&Insert"), this);
    cmdInsert->setObjectName(QStringLiteral("cmdInsert"));
    cmdInsert->setGeometry(px(this, 270), px(this, 3630), px(this, 1215), px(this, 375));
    cmdInsert->setDefault(true);
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setGeometry(px(this, 1710), px(this, 3630), px(this, 1215), px(this, 375));
    setFixedSize(px(this, 3195), px(this, 4155));

    connect(lstSymbols, &QListWidget::itemDoubleClicked, this, [this] { lstSymbols_DblClick(); });
    connect(cmdInsert, &QPushButton::clicked, this, [this] { cmdInsert_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });

    Form_Load();
}

QString frmSymbols::EntryText(int code)
{
    const char *separator = code < 10 ? "     -  " : code < 100 ? "   -  " : " -  ";
    return QString::number(code) + QLatin1String(separator) + ansiCharacter(code);
}

void frmSymbols::Form_Load()
{
    // The document's base font, not the font at its caret: the list shows
    // the characters as that document shows its text.
    if (RichTextBox *rtf = modActive::Editor()) {
        QFont font = lstSymbols->font();
        font.setFamilies(QStringList{rtf->FontName()});
        lstSymbols->setFont(font);
    }
    lstSymbols->clear();
    for (int code = 1; code <= 255; ++code)
        lstSymbols->addItem(EntryText(code));
    lstSymbols->setCurrentRow(-1);
    lstSymbols->clearSelection();
}

void frmSymbols::insertChosen()
{
    const QList<QListWidgetItem *> chosen = lstSymbols->selectedItems();
    // No choice inserts nothing; the document's selection is left alone.
    if (chosen.isEmpty() || chosen.first()->text().isEmpty())
        return;
    if (RichTextBox *rtf = modActive::Editor())
        rtf->SetSelText(chosen.first()->text().right(1));
}

void frmSymbols::lstSymbols_DblClick()
{
    insertChosen();
}

void frmSymbols::cmdInsert_Click()
{
    insertChosen();
}

void frmSymbols::cmdClose_Click()
{
    accept();
}
