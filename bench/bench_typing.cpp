// Typing one character into a document window, from the key press to the end
// of the key-release handling, with the status bar statistics refreshed on
// the way (key press and selection change each refresh them). A 1 MB
// formatted document (2,000 paragraphs, about 170,000 words) against an
// empty one and against the same paragraph alone; the target is at most twice
// the smaller document's cost and under one frame.
// Also the word count of 1 MB of text on its own.

#include "documents/WordCounter.h"
#include "documents/frmDoc.h"
#include "documents/modGeneral.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "platform/rtf/RtfReader.h"
#include "shell/frmMain.h"
#include "shell/modRegistry.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include "FormattedRtf.h"

#include <memory>

namespace {

QTemporaryDir *g_dir = nullptr;

QByteArray bigRtf(int paragraphs = 2000)
{
    return formattedRtf(paragraphs);
}

struct Window
{
    std::unique_ptr<frmMain> main;
    frmDoc *doc = nullptr;

    // paragraphs: 0 for an empty document; the caret goes into the middle one.
    explicit Window(int paragraphs)
    {
        main = std::make_unique<frmMain>();
        main->MDIForm_Load();
        main->show();
        doc = main->ActiveForm();
        if (paragraphs > 0) {
            const QString path = g_dir->filePath(QStringLiteral("big.rtf"));
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(bigRtf(paragraphs));
            file.close();
            doc->rtf1->LoadFile(path);
            QTextCursor middle(doc->rtf1->document()->findBlockByNumber(paragraphs / 2));
            middle.movePosition(QTextCursor::NextWord);
            doc->rtf1->setTextCursor(middle);
        }
        // What the user sees was laid out before the first key.
        doc->rtf1->document()->documentLayout()->documentSize();
        doc->Form_Activate();
    }

    void typeOne()
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(doc->rtf1, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(doc->rtf1, &release);
    }

    void takeBack()
    {
        QTextCursor c = doc->rtf1->textCursor();
        c.deletePreviousChar();
    }
};

void typing(benchmark::State &state, int paragraphs)
{
    Window window(paragraphs);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        window.typeOne();
        const qint64 ns = timer.nsecsElapsed();
        state.SetIterationTime(double(ns) / 1e9);
        window.takeBack();
    }
    state.counters["words"] = double(modGeneral::DocumentWordCount(window.doc->rtf1));
    state.counters["panel7"] = window.main->Panel(7)->text().toDouble();
}

void BM_TypeOneCharEmptyDocument(benchmark::State &state) { typing(state, 0); }
void BM_TypeOneChar1MBDocument(benchmark::State &state) { typing(state, 2000); }
// The paragraph typed into, alone: what one keystroke costs before the size
// of the rest of the document could add anything (Qt lays out the edited
// paragraph again, whatever surrounds it).
void BM_TypeOneCharOneParagraph(benchmark::State &state) { typing(state, 1); }

void BM_CountWords1MB(benchmark::State &state)
{
    Window window(2000);
    const QString text = window.doc->rtf1->Text();
    int words = 0;
    for (auto _ : state) {
        words = modGeneral::CountWords(text);
        benchmark::DoNotOptimize(words);
    }
    state.counters["chars"] = double(text.size());
    state.counters["words"] = words;
}

// One edit in the middle of a bare 1 MB document, with the running count
// refreshed (argument 1) and without any counter (argument 0): the
// difference is what keeping the count costs per edit, against counting
// the whole text above.
void BM_EditWithRunningCount1MB(benchmark::State &state)
{
    QTextDocument doc;
    RtfReader::read(bigRtf(), doc);
    doc.documentLayout();
    WordCounter *counter = state.range(0) ? WordCounter::of(&doc) : nullptr;
    if (counter)
        counter->count();
    QTextCursor c(doc.findBlockByNumber(1000));
    c.movePosition(QTextCursor::NextWord);
    bool insert = true;
    for (auto _ : state) {
        if (insert)
            c.insertText(QStringLiteral("x"));
        else
            c.deletePreviousChar();
        insert = !insert;
        if (counter)
            benchmark::DoNotOptimize(counter->count());
    }
    if (counter)
        state.counters["words"] = counter->count();
}

} // namespace

BENCHMARK(BM_TypeOneCharEmptyDocument)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeOneCharOneParagraph)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeOneChar1MBDocument)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountWords1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditWithRunningCount1MB)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    g_dir = &dir;
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
