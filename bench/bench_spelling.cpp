// Spell checking a 1 MB document of 170,000 words: Hunspell alone on the same
// words, the spelling server's check of the text, and the whole run from
// Tools > Spell Check Document to the suggestions dialog on screen (with the
// dictionary loaded afresh, and with the server held from an earlier check).
// Targets: the whole run under 2 s, and under 4x Hunspell alone.

#include "documents/frmDoc.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "platform/SpellDictionarySearch.h"
#include "platform/SpellServer.h"
#include "platform/SpellServerDocument.h"
#include "platform/SpellServerRange.h"
#include "platform/SpellWords.h"
#include "platform/SpellingErrors.h"
#include "platform/SystemMessageBox.h"
#include "shell/frmMain.h"
#include "shell/modRegistry.h"
#include "spelling/SuggestionsForm.h"
#include "spelling/modSpellCheck.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>
#include <hunspell.hxx>

#include <memory>
#include <random>

namespace {

const char *const kAff = "/usr/share/hunspell/en_US.aff";
const char *const kDic = "/usr/share/hunspell/en_US.dic";

// Running English-like text: frequent short words most of the time, words
// from the dictionary's list otherwise, and about one word in fifty
// misspelt by swapping two letters. Paragraphs of about 90 words.
QString sampleText(int wordCount)
{
    static const QStringList common = QStringLiteral(
        "the of and to a in is it you that he was for on are with as his they be at one have this "
        "from or had by word but what some we can out other were all there when up use your how said "
        "an each she which do their time if will way about many then them write would like so these "
        "her long make thing see him two has look more day could go come did number sound no most "
        "people my over know water than call first who may down side been now find any new work part "
        "take get place made live where after back little only round man year came show every good "
        "me give our under name very through just form sentence great think say help low line differ "
        "turn cause much mean before move right boy old too same tell does set three want air well "
        "also play small end put home read hand port large spell add even land here must big high such")
        .split(u' ');
    QStringList vocabulary;
    QFile dic(QString::fromLatin1(kDic));
    if (dic.open(QIODevice::ReadOnly)) {
        dic.readLine();
        while (!dic.atEnd()) {
            const QString word = QString::fromUtf8(dic.readLine()).section(u'/', 0, 0).trimmed();
            if (word.size() >= 3 && word.size() <= 9 && word.at(0).isLower())
                vocabulary.append(word);
        }
    }
    std::mt19937 random(1234);
    auto pick = [&random](const QStringList &list) {
        return list.at(int(random() % quint32(list.size())));
    };
    QString text;
    text.reserve(wordCount * 7);
    for (int i = 0; i < wordCount; ++i) {
        const quint32 roll = random() % 100;
        QString word = roll < 70 || vocabulary.isEmpty() ? pick(common) : pick(vocabulary);
        if (roll >= 98 && word.size() > 3) {
            const int at = 1 + int(random() % quint32(word.size() - 2));
            std::swap(word[at], word[at + 1]);
        }
        if (i % 90 == 0)
            word[0] = word[0].toUpper();
        text.append(word);
        text.append(i % 90 == 89 ? QStringLiteral(".\r\n") : (i % 12 == 11 ? QStringLiteral(", ") : QStringLiteral(" ")));
    }
    return text;
}

const QString &document1MB()
{
    static const QString text = sampleText(170000);
    return text;
}

void BM_HunspellAlone(benchmark::State &state)
{
    Hunspell hunspell(kAff, kDic);
    const QString &text = document1MB();
    std::vector<std::string> words;
    for (const SpellWords::Word &w : SpellWords::Split(text))
        words.push_back(text.mid(w.start, w.length).toStdString());
    int wrong = 0;
    for (auto _ : state) {
        wrong = 0;
        for (const std::string &word : words)
            wrong += hunspell.spell(word) ? 0 : 1;
    }
    state.counters["words"] = double(words.size());
    state.counters["misspelt"] = wrong;
}

void BM_ServerCheck(benchmark::State &state)
{
    const QString &text = document1MB();
    qint32 errors = 0;
    for (auto _ : state) {
        std::shared_ptr<SpellServer> app = SpellServer::Create(SpellServer::ClassName);
        SpellServerRange range = app->Documents_Add()->Range();
        range.InsertAfter(text);
        errors = range.SpellingErrors().Count();
        state.PauseTiming();
        app->Quit();
        state.ResumeTiming();
    }
    state.counters["chars"] = double(text.size());
    state.counters["misspelt"] = errors;
}

// arg 0: no server yet, the dictionary is loaded by the check;
// arg 1: the server of an earlier check (left by Cancel) is attached.
void BM_SpellCheckDocEndToEnd(benchmark::State &state)
{
    auto main = std::make_unique<frmMain>();
    main->MDIForm_Load();
    main->show();
    frmDoc *doc = main->ActiveForm();
    doc->rtf1->SetText(document1MB());
    doc->bChanged = false;
    // The document has been on screen before the user asks for a check: its
    // layout is done and not part of the check's cost.
    doc->rtf1->document()->documentLayout()->documentSize();
    QCoreApplication::processEvents();
    QAction *command = main->Menu(QStringLiteral("menuToolsSpellCheck"));
    const bool held = state.range(0) == 1;
    for (auto _ : state) {
        state.PauseTiming();
        if (!held)
            modSpellCheck::Reset();
        state.ResumeTiming();
        ModalSeam::queue(SystemMessageBox::vbOK);
        command->trigger();
        state.PauseTiming();
        if (!SuggestionsForm::instance(false) || !SuggestionsForm::instance(false)->isVisible())
            state.SkipWithError("no suggestions dialog");
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["listed"] = SuggestionsForm::instance(false) ? SuggestionsForm::instance(false)->List1->count() : 0;
    modSpellCheck::Reset();
}

} // namespace

BENCHMARK(BM_HunspellAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ServerCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpellCheckDocEndToEnd)->Arg(0)->Arg(1)->Iterations(4)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUILLET_SPELL_LANG", "en_US");
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    QApplication app(argc, argv);
    ModalSeam::setStrict(true);
    // The key must exist before a value can be set in it.
    modRegistry::CreateSettingsKey(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey);
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
