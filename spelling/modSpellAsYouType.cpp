#include "spelling/modSpellAsYouType.h"

#include "platform/RichTextBox.h"
#include "platform/SpellDictionarySearch.h"
#include "platform/SpellLanguage.h"
#include "platform/SpellMarks.h"
#include "platform/SpellWordList.h"
#include "shell/modMessageError.h"
#include "shell/modRegistry.h"
#include "spelling/modSpellCheck.h"

#include <QActionGroup>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QTextCursor>
#include <functional>

namespace modSpellAsYouType {

namespace {

// Every control given marks and still alive.
QList<QPointer<RichTextBox>> &controls()
{
    static QList<QPointer<RichTextBox>> boxes;
    boxes.removeAll(nullptr);
    return boxes;
}

void forEachMarks(const std::function<void(SpellMarks *)> &act)
{
    for (const QPointer<RichTextBox> &box : controls()) {
        if (SpellMarks *marks = SpellMarks::Of(box))
            act(marks);
    }
}

} // namespace

bool Enabled()
{
    return modRegistry::GetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey, SettingName,
                                        QStringLiteral("1"))
               .trimmed()
        != QLatin1String("0");
}

void SetEnabled(bool on)
{
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey, SettingName,
                                 on ? QStringLiteral("1") : QStringLiteral("0"));
    forEachMarks([on](SpellMarks *marks) { marks->SetEnabled(on); });
}

bool Available(QString *why)
{
    QString error;
    if (SpellLanguage::For(SpellDictionarySearch::WantedLanguage(), &error))
        return true;
    if (why)
        *why = QStringLiteral("No spelling dictionary is installed (%1).").arg(error);
    return false;
}

void Attach(RichTextBox *box, const QString &language)
{
    if (!box || SpellMarks::Of(box))
        return;
    auto *marks = new SpellMarks(box);
    marks->SetEnabled(Enabled());
    marks->SetLanguage(SpellLanguage::For(language.isEmpty() ? SpellDictionarySearch::WantedLanguage() : language));
    controls().append(box);
    QObject::connect(box, &RichTextBox::ContextMenuOpening, box,
                     [box](QMenu *menu, int position) { AddMenuEntries(box, menu, position); });
}

QString LanguageOf(const RichTextBox *box)
{
    const SpellMarks *marks = SpellMarks::Of(box);
    return marks && marks->Language() ? marks->Language()->Name() : QString();
}

void SetLanguage(RichTextBox *box, const QString &language)
{
    if (SpellMarks *marks = SpellMarks::Of(box))
        marks->SetLanguage(SpellLanguage::For(language));
}

QStringList Languages()
{
    return SpellLanguage::Installed();
}

QString LanguageCaption(const QString &language)
{
    const QLocale locale(language);
    if (locale.language() == QLocale::C || !language.contains(QLatin1Char('_')))
        return language;
    return QStringLiteral("%1 (%2)").arg(QLocale::languageToString(locale.language()),
                                         QLocale::territoryToString(locale.territory()));
}

void ShowToggle(QAction *toggle)
{
    if (!toggle)
        return;
    QString why;
    const bool available = Available(&why);
    toggle->setChecked(Enabled());
    toggle->setEnabled(available);
    toggle->setToolTip(available ? QStringLiteral("Underline misspelt words while you type") : why);
}

void FillLanguageMenu(QMenu *menu, RichTextBox *active)
{
    menu->clear();
    qDeleteAll(menu->findChildren<QActionGroup *>(QString(), Qt::FindDirectChildrenOnly));
    const QStringList languages = Languages();
    if (languages.isEmpty()) {
        menu->addAction(QStringLiteral("(No Dictionaries Installed)"))->setEnabled(false);
        return;
    }
    const QString current = LanguageOf(active);
    auto *group = new QActionGroup(menu);
    group->setExclusive(true);
    const QPointer<RichTextBox> target(active);
    for (const QString &language : languages) {
        QAction *entry = menu->addAction(LanguageCaption(language));
        entry->setObjectName(QStringLiteral("menuToolsLanguage_") + language);
        entry->setCheckable(true);
        entry->setChecked(language == current);
        entry->setEnabled(active != nullptr);
        group->addAction(entry);
        QObject::connect(entry, &QAction::triggered, menu, [target, language] {
            if (target)
                SetLanguage(target, language);
        });
    }
}

void AddMenuEntries(RichTextBox *box, QMenu *menu, int position)
{
    const SpellMarks *marks = SpellMarks::Of(box);
    if (!marks || !marks->Active())
        return;
    const SpellMarks::Word word = marks->MarkAt(position);
    if (word.start < 0)
        return;
    QTextCursor c(box->document());
    c.setPosition(word.start);
    c.setPosition(word.start + word.length, QTextCursor::KeepAnchor);
    const QString text = c.selectedText();
    const QStringList suggestions = marks->Language()->Suggest(text).mid(0, MenuSuggestions);
    const QPointer<RichTextBox> target(box);
    int number = 0;
    for (const QString &suggestion : suggestions) {
        QAction *entry = menu->addAction(QString(suggestion).replace(QLatin1Char('&'), QLatin1String("&&")));
        entry->setObjectName(QStringLiteral("spellSuggestion%1").arg(++number));
        QFont bold = entry->font();
        bold.setBold(true);
        entry->setFont(bold);
        QObject::connect(entry, &QAction::triggered, box, [target, word, text, suggestion] {
            // Only if the word is still there as it was when the menu opened.
            if (!target)
                return;
            QTextCursor now(target->document());
            now.setPosition(word.start);
            now.setPosition(std::min(word.start + word.length, target->document()->characterCount() - 1),
                            QTextCursor::KeepAnchor);
            if (now.selectedText() == text)
                ReplaceWord(target, word.start, word.length, suggestion);
        });
    }
    if (suggestions.isEmpty()) {
        QAction *none = menu->addAction(QStringLiteral("(No Suggestions)"));
        none->setObjectName(QStringLiteral("spellNoSuggestions"));
        none->setEnabled(false);
    }
    menu->addSeparator();
    QObject::connect(menu->addAction(QStringLiteral("Ignore All")), &QAction::triggered, box,
                     [text] { IgnoreAll(text); });
    menu->actions().last()->setObjectName(QStringLiteral("spellIgnoreAll"));
    QObject::connect(menu->addAction(QStringLiteral("Add to Dictionary")), &QAction::triggered, box,
                     [text] { AddToDictionary(text); });
    menu->actions().last()->setObjectName(QStringLiteral("spellAddToDictionary"));
}

void ReplaceWord(RichTextBox *box, int start, int length, const QString &replacement)
{
    if (!box)
        return;
    QTextCursor c(box->document());
    c.beginEditBlock();
    modSpellCheck::ReplaceKeepingFormat(c, start, length, replacement);
    c.endEditBlock();
}

void IgnoreAll(const QString &word)
{
    SpellWordList::Ignored().Add(word);
    forEachMarks([&word](SpellMarks *marks) { marks->Recheck(word); });
}

bool AddToDictionary(const QString &word)
{
    QString error;
    const bool written = SpellWordList::Personal().Add(word, &error);
    forEachMarks([&word](SpellMarks *marks) { marks->Recheck(word); });
    if (!written)
        modMessageError::ShowMessage(
            QStringLiteral("\"%1\" could not be added to the dictionary: %2\r\nIt is accepted until Quillet "
                           "closes.")
                .arg(word, error),
            QStringLiteral("Quillet"), modMessageError::iconExclamation, modMessageError::vbTrue);
    return written;
}

}
