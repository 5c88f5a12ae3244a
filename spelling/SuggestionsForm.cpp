#include "spelling/SuggestionsForm.h"

#include "documents/frmDoc.h"
#include "platform/SpellServer.h"
#include "platform/SpellServerDocument.h"
#include "platform/SpellServerError.h"
#include "platform/SpellingSuggestions.h"
#include "shell/ToolbarIcons.h"
#include "shell/frmMain.h"
#include "shell/modMessageError.h"
#include "spelling/modSpellCheck.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCollator>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSet>

#include <algorithm>

namespace {

QPointer<SuggestionsForm> g_form;

int px(const QWidget *w, int twips)
{
    return qRound(twips * w->logicalDpiX() / 1440.0);
}

// The hourglass for as long as the server works; gone again before any
// message appears.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    void restore()
    {
        if (m_on)
            QApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};

void tell(const QString &text, qint16 iconKind)
{
    modMessageError::ShowMessage(text, QStringLiteral("Quillet"), iconKind, modMessageError::vbTrue);
}

} // namespace

SuggestionsForm *SuggestionsForm::instance(bool load)
{
    if (!g_form && load)
        g_form = new SuggestionsForm;
    return g_form;
}

SuggestionsForm::SuggestionsForm(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("SuggestionsForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Spelling Suggestions"));
    setWindowIcon(ToolbarIcons::icon(QStringLiteral("spellcheck")));
    setFont(QFont(QStringLiteral("Verdana"), 8));
    resize(px(this, 5955), px(this, 4620));

    auto place = [this](QWidget *w, const char *name, int left, int top, int width, int height) {
        w->setObjectName(QLatin1String(name));
        w->setGeometry(px(this, left), px(this, top), px(this, width), px(this, height));
    };
    Label1 = new QLabel(QStringLiteral("Words in question"), this);
    place(Label1, "Label1", 90, 135, 2280, 360);
    List1 = new QListWidget(this);
    place(List1, "List1", 60, 570, 2865, 3000);
    Label2 = new QLabel(QStringLiteral("Suggested Alternatives"), this);
    place(Label2, "Label2", 3060, 150, 2685, 300);
    List2 = new QListWidget(this);
    place(List2, "List2", 3045, 570, 2865, 3000);
    cmdReplace = new QPushButton(QStringLiteral("&Replace"), this);
    place(cmdReplace, "cmdReplace", 240, 3960, 1605, 435);
    cmdClose = new QPushButton(QStringLiteral("C&lose"), this);
    place(cmdClose, "cmdClose", 2160, 3960, 1605, 435);
    Command1 = new QPushButton(QStringLiteral("&Cancel"), this);
    place(Command1, "Command1", 4080, 3960, 1605, 435);

    // A click, or moving through the list with the keys, asks for
    // alternatives; filling the list does not.
    connect(List1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_filling && List1->currentItem() && List1->currentItem()->isSelected())
            List1_Click();
    });
    connect(cmdReplace, &QPushButton::clicked, this, &SuggestionsForm::cmdReplace_Click);
    connect(cmdClose, &QPushButton::clicked, this, &SuggestionsForm::cmdClose_Click);
    connect(Command1, &QPushButton::clicked, this, &SuggestionsForm::Command1_Click);
}

void SuggestionsForm::ClearLists()
{
    const QSignalBlocker guard(List1);
    m_filling = true;
    List1->clear();
    List2->clear();
    m_filling = false;
}

void SuggestionsForm::AddWords(const QStringList &words)
{
    QSet<QString> seen;
    QStringList unique;
    for (int i = 0; i < List1->count(); ++i) {
        const QString text = List1->item(i)->text();
        if (!seen.contains(text)) {
            seen.insert(text);
            unique.append(text);
        }
    }
    for (const QString &word : words) {
        if (!seen.contains(word)) {
            seen.insert(word);
            unique.append(word);
        }
    }
    // Sort keys once per word: a long document may bring tens of thousands.
    // Folding case first keeps the order case-blind even where the locale's
    // collation is plain code order (the C locale).
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<std::pair<QCollatorSortKey, QString>> keyed;
    keyed.reserve(size_t(unique.size()));
    for (const QString &word : std::as_const(unique))
        keyed.emplace_back(collator.sortKey(word.toCaseFolded()), word);
    std::sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) {
        const int order = a.first.compare(b.first);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    QStringList sorted;
    sorted.reserve(unique.size());
    for (const auto &entry : keyed)
        sorted.append(entry.second);

    m_filling = true;
    List1->clear();
    List1->addItems(sorted);
    m_filling = false;
}

void SuggestionsForm::List1_Click()
{
    QListWidgetItem *item = List1->currentItem();
    if (!item)
        return;
    WaitCursor wait;
    const std::shared_ptr<SpellServer> app = modSpellCheck::wordApp();
    try {
        if (!app)
            throw SpellServerError(SpellServerError::ServerUnavailable, QString());
        modSpellCheck::spellSuggestions() =
            std::make_shared<SpellingSuggestions>(app->GetSpellingSuggestions(item->text()));
    } catch (const SpellServerError &) {
        wait.restore();
        List2->clear();
        tell(QStringLiteral("The spell checker is no longer running, so no alternatives can be "
                            "suggested.\r\nCheck the document again to start it anew."),
             modMessageError::iconExclamation);
        return;
    }
    List2->clear();
    const SpellingSuggestions &suggestions = *modSpellCheck::spellSuggestions();
    for (qint32 index = 1; index <= suggestions.Count(); ++index)
        List2->addItem(suggestions.Item(index).Name);
}

void SuggestionsForm::cmdReplace_Click()
{
    const QListWidgetItem *word = List1->currentItem();
    const QListWidgetItem *alternative = List2->currentItem();
    if (!word || !word->isSelected() || !alternative || !alternative->isSelected()) {
        tell(QStringLiteral("Please select a word and an alternate spelling"), modMessageError::iconQuestion);
        return;
    }
    // The document active now, which need not be the one that was checked.
    frmMain *main = frmMain::instance();
    frmDoc *doc = main ? main->ActiveForm() : nullptr;
    if (!doc) {
        tell(QStringLiteral("No document is open !"), modMessageError::iconCritical);
        return;
    }
    modSpellCheck::ReplaceAll(doc->rtf1, word->text(), alternative->text());
}

void SuggestionsForm::cmdClose_Click()
{
    const std::shared_ptr<SpellServer> app = modSpellCheck::wordApp();
    try {
        if (!app)
            throw SpellServerError(SpellServerError::ServerUnavailable, QString());
        app->ActiveDocument()->Close(false);
        app->Quit(false);
    } catch (const SpellServerError &) {
        tell(QStringLiteral("Couldn't close document!"), modMessageError::iconExclamation);
        return;
    }
    Unload();
}

void SuggestionsForm::Command1_Click()
{
    Unload();
}

void SuggestionsForm::Unload()
{
    close();
}

void SuggestionsForm::closeEvent(QCloseEvent *event)
{
    if (g_form == this)
        g_form = nullptr;
    QWidget::closeEvent(event);
}
