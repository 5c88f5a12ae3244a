#pragma once

#include <QString>
#include <QStringList>

class QAction;
class QMenu;
class RichTextBox;

// Spelling as you type: every document window's control, and the full-screen
// one, marks its misspelt words (SpellMarks) in the dictionary the
// spell-check run uses, or the language chosen for that document. A
// right-click on a marked word offers the first suggestions, Ignore All (for
// this session) and Add to Dictionary (the personal word list, which the
// spell-check run reads too).
//
// Whether it runs is the setting "Check Spelling as You Type" ("1" on, the
// default, "0" off). With no dictionary installed nothing is marked and the
// View menu's toggle says why.
namespace modSpellAsYouType {

inline const QString SettingName = QStringLiteral("Check Spelling as You Type");
// Suggestions shown at the top of the context menu.
constexpr int MenuSuggestions = 5;

bool Enabled();
// Stores the setting and switches every control over.
void SetEnabled(bool on);
// True when a dictionary can be loaded; otherwise *why says so for the user.
bool Available(QString *why = nullptr);

// Gives a control its marks and its context-menu entries, checking in
// `language` (empty: the spell-check run's). Once per control.
void Attach(RichTextBox *box, const QString &language = QString());
// The language a control checks in ("en_US"), empty when it has none.
QString LanguageOf(const RichTextBox *box);
void SetLanguage(RichTextBox *box, const QString &language);
// The installed dictionaries, and a name for one in the menu.
QStringList Languages();
QString LanguageCaption(const QString &language);

// The View menu's toggle: checked as the setting says, greyed out with the
// reason in its tooltip when there is no dictionary.
void ShowToggle(QAction *toggle);
// Tools > Language: one entry per installed dictionary, the active
// document's checked; choosing one switches that document.
void FillLanguageMenu(QMenu *menu, RichTextBox *active);

// What the context menu's entries do.
void AddMenuEntries(RichTextBox *box, QMenu *menu, int position);
// Puts the replacement in place of the word, in the format of the word's
// first letter; one undo step.
void ReplaceWord(RichTextBox *box, int start, int length, const QString &replacement);
void IgnoreAll(const QString &word);
// False (after telling the user) when the word list could not be written;
// the word is accepted for this session all the same.
bool AddToDictionary(const QString &word);

}
