// Large documents in a real window. Targets on this 2-core machine:
// opening a 10 MB formatted RTF, start-up included, to a window that has
// taken a key <= 1.5 s; one keystroke in it <= 3 ms; the converter on it
// (bench_rtf) <= 0.5 s and 100 MB. Long paragraphs without break points
// should lay out in time linear in their length: the growth counter is the
// time per letter against the half as long paragraph (1.0 is linear).

#include "documents/fileMod.h"
#include "documents/frmDoc.h"
#include "platform/RichTextBox.h"
#include "platform/SpellMarks.h"
#include "shell/frmMain.h"
#include "shell/modRegistry.h"
#include "spelling/modSpellAsYouType.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include "FormattedRtf.h"

#include <sys/resource.h>

#include <cstdio>
#include <memory>

namespace {

QTemporaryDir *g_dir = nullptr;

QString fileOf(int paragraphs)
{
    const QString path = g_dir->filePath(QStringLiteral("doc%1.rtf").arg(paragraphs));
    if (!QFile::exists(path)) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(formattedRtf(paragraphs));
    }
    return path;
}

void typeKey(QWidget *target, Qt::Key key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

// From nothing to a main window showing the file and having taken one key
// through the event queue; with spelling as you type on unless `checking`
// is false.
void openIntoWindow(benchmark::State &state, int paragraphs, bool checking = true)
{
    const QString path = fileOf(paragraphs);
    modSpellAsYouType::SetEnabled(checking);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto main = std::make_unique<frmMain>();
        main->MDIForm_Load();
        main->show();
        fileMod::OpenFile(path);
        frmDoc *doc = main->ActiveForm();
        QApplication::postEvent(doc->rtf1, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier,
                                                         QStringLiteral("x")));
        while (!doc->rtf1->document()->begin().text().startsWith(QLatin1Char('x')))
            QApplication::processEvents();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        doc->bChanged = false;
    }
}

void BM_OpenIntoWindow1MB(benchmark::State &state) { openIntoWindow(state, 2000); }
void BM_OpenIntoWindow10MB(benchmark::State &state) { openIntoWindow(state, 20000); }
// Spelling as you type off (0) and on (1): on, the opening is no slower by
// more than a tenth. Every word of these documents is misspelt in English,
// so the marks are as many as they can be.
void BM_OpenIntoWindowChecking10MB(benchmark::State &state)
{
    openIntoWindow(state, 20000, state.range(0) != 0);
    modSpellAsYouType::SetEnabled(true);
}

// A window on the middle of a document whose checking as you type (on or
// off) has gone over all of it.
struct CheckedWindow
{
    std::unique_ptr<frmMain> main;
    frmDoc *doc = nullptr;
    SpellMarks *marks = nullptr;
    double checkedMs = 0;

    CheckedWindow(int paragraphs, bool checking)
    {
        modSpellAsYouType::SetEnabled(checking);
        main = std::make_unique<frmMain>();
        main->MDIForm_Load();
        main->show();
        fileMod::OpenFile(fileOf(paragraphs));
        doc = main->ActiveForm();
        doc->rtf1->document()->documentLayout()->documentSize();
        QTextCursor middle(doc->rtf1->document()->findBlockByNumber(paragraphs / 2));
        middle.movePosition(QTextCursor::NextWord);
        doc->rtf1->setTextCursor(middle);
        marks = SpellMarks::Of(doc->rtf1);
        // Idle from here on: how long until all of it is checked.
        QElapsedTimer settling;
        settling.start();
        while (marks && marks->Pending() && settling.elapsed() < 60000)
            QApplication::processEvents();
        checkedMs = double(settling.elapsed());
        while (settling.elapsed() < 500)
            QApplication::processEvents();
    }
    ~CheckedWindow()
    {
        doc->bChanged = false;
        modSpellAsYouType::SetEnabled(true);
    }
};

// One key typed in the middle and, with checking on (1), the check it
// starts, against checking off (0); the screen is drawn afterwards, untimed,
// as in BM_Keystroke. A space finishes the word before it, which is checked;
// a letter starts one, which is not. Target <= 1 ms at 10 MB. Every word of
// these documents is misspelt in English: the marks are as many as can be.
void keystrokeChecking(benchmark::State &state, int paragraphs)
{
    CheckedWindow window(paragraphs, state.range(0) != 0);
    RichTextBox *box = window.doc->rtf1;
    bool space = false;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        if (space)
            typeKey(box, Qt::Key_Space, QStringLiteral(" "));
        else
            typeKey(box, Qt::Key_A, QStringLiteral("a"));
        if (window.marks)
            window.marks->CheckNow();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        QApplication::processEvents();
        space = !space;
        if (!space) {
            box->textCursor().deletePreviousChar();
            box->textCursor().deletePreviousChar();
            QApplication::processEvents();
        }
    }
    state.counters["marks"] = window.marks ? double(window.marks->Marks().size()) : 0;
    state.counters["allCheckedMs"] = window.checkedMs;
}

// The whole screen drawn, with its marks (1) and without (0).
void BM_DrawScreenChecking10MB(benchmark::State &state)
{
    CheckedWindow window(20000, state.range(0) != 0);
    QWidget *viewport = window.doc->rtf1->viewport();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        viewport->repaint();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
}

void BM_KeystrokeChecking1MB(benchmark::State &state) { keystrokeChecking(state, 2000); }
void BM_KeystrokeChecking10MB(benchmark::State &state) { keystrokeChecking(state, 20000); }

// One character typed in the middle of the document, statistics included;
// or, with `removal`, one taken away with Backspace.
void keystroke(benchmark::State &state, int paragraphs, bool removal = false)
{
    auto main = std::make_unique<frmMain>();
    main->MDIForm_Load();
    main->show();
    fileMod::OpenFile(fileOf(paragraphs));
    frmDoc *doc = main->ActiveForm();
    // Whatever the load left to do in the background is done first.
    doc->rtf1->document()->documentLayout()->documentSize();
    for (int i = 0; i < 50; ++i)
        QApplication::processEvents();
    QTextCursor middle(doc->rtf1->document()->findBlockByNumber(paragraphs / 2));
    middle.movePosition(QTextCursor::NextWord);
    doc->rtf1->setTextCursor(middle);
    for (auto _ : state) {
        QElapsedTimer timer;
        if (removal) {
            doc->rtf1->textCursor().insertText(QStringLiteral("a"));
            timer.start();
            typeKey(doc->rtf1, Qt::Key_Backspace, QString(QChar(8)));
        } else {
            timer.start();
            typeKey(doc->rtf1, Qt::Key_A, QStringLiteral("a"));
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (!removal)
            doc->rtf1->textCursor().deletePreviousChar();
    }
    doc->bChanged = false;
}

void BM_Keystroke1MB(benchmark::State &state) { keystroke(state, 2000); }
void BM_Keystroke10MB(benchmark::State &state) { keystroke(state, 20000); }
void BM_Backspace10MB(benchmark::State &state) { keystroke(state, 20000, true); }

#ifdef QUILLET_CONVERT_PATH
// The converter as a whole process, 10 MB of formatted RTF to text, with the
// peak memory of the process.
void BM_Convert10MBToText(benchmark::State &state)
{
    const QString input = fileOf(20000);
    long peakKb = 0;
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral(QUILLET_CONVERT_PATH), {input, g_dir->filePath(QStringLiteral("out.txt"))});
        p.waitForFinished(-1);
        if (p.exitCode() != 0)
            state.SkipWithError("conversion failed");
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        peakKb = qMax(peakKb, usage.ru_maxrss);
    }
    state.counters["peak_MB"] = double(peakKb) / 1024.0;
}
BENCHMARK(BM_Convert10MBToText)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
#endif

QMap<QString, double> g_perLetter;

// One paragraph opened into the editing control and laid out whole at a
// window's width: letters with no break point, or words whose runs
// alternate bold and plain.
void layoutParagraph(benchmark::State &state, bool boldRuns)
{
    const int letters = int(state.range(0));
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Verdana;}}\\pard ";
    if (boldRuns) {
        for (int i = 0; i < letters / 5; ++i)
            rtf += i % 2 ? "{\\b abcd }" : "abcd ";
    } else {
        rtf += QByteArray(letters, 'x');
    }
    rtf += "\\par}";
    const QString path = g_dir->filePath(QStringLiteral("paragraph.rtf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(rtf) != rtf.size()) {
        state.SkipWithError("cannot write the paragraph");
        return;
    }
    file.close();

    double seconds = 0;
    for (auto _ : state) {
        RichTextBox box;
        box.resize(640, 480);
        box.show();
        QElapsedTimer timer;
        timer.start();
        box.LoadFile(path, RichTextBox::rtfRTF);
        box.document()->documentLayout()->documentSize();
        seconds = double(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
    }
    const QString key = QStringLiteral("%1/%2").arg(boldRuns).arg(letters);
    g_perLetter[key] = seconds / letters;
    const QString half = QStringLiteral("%1/%2").arg(boldRuns).arg(letters / 2);
    if (g_perLetter.contains(half))
        state.counters["growth"] = g_perLetter[key] / g_perLetter[half];
}

void BM_LongParagraphLetters(benchmark::State &state) { layoutParagraph(state, false); }
void BM_LongParagraphBoldRuns(benchmark::State &state) { layoutParagraph(state, true); }

} // namespace

BENCHMARK(BM_OpenIntoWindow1MB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_OpenIntoWindow10MB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_OpenIntoWindowChecking10MB)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)
    ->UseManualTime();
BENCHMARK(BM_KeystrokeChecking1MB)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Iterations(200)
    ->UseManualTime();
BENCHMARK(BM_KeystrokeChecking10MB)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Iterations(200)
    ->UseManualTime();
BENCHMARK(BM_DrawScreenChecking10MB)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Iterations(50)
    ->UseManualTime();
BENCHMARK(BM_Keystroke1MB)->Unit(benchmark::kMicrosecond)->Iterations(200)->UseManualTime();
BENCHMARK(BM_Keystroke10MB)->Unit(benchmark::kMicrosecond)->Iterations(200)->UseManualTime();
BENCHMARK(BM_Backspace10MB)->Unit(benchmark::kMicrosecond)->Iterations(100)->UseManualTime();
BENCHMARK(BM_LongParagraphLetters)->Arg(50000)->Arg(100000)->Arg(200000)
        ->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();
BENCHMARK(BM_LongParagraphBoldRuns)->Arg(50000)->Arg(100000)->Arg(200000)
        ->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    // The key must exist before a value can be set in it.
    modRegistry::CreateSettingsKey(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey);
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
