// Autosave of a 10 MB formatted document (20,000 paragraphs of 85 words)
// in a document window while the user types into it.
//
// LongestStall: the longest the event loop goes without turning while one
// autosave runs, typing a character every 5 ms meanwhile (target: at most
// 50 ms); the counter "stall_ms" is the figure, the time is the autosave's
// wall time from start to its file being in place.
// StallWithoutAutosave: the same typing with no autosave, for comparison.
// SaveOnUiThread: what a save made in the window itself holds the user up,
// the cost autosave avoids.

#include "documents/AutoSave.h"
#include "documents/frmDoc.h"
#include "documents/modRecovery.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/modRegistry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "FormattedRtf.h"

#include <memory>

namespace {

QTemporaryDir *g_dir = nullptr;

struct Window
{
    std::unique_ptr<frmMain> main;
    frmDoc *doc = nullptr;
    AutoSave *save = nullptr;

    Window()
    {
        main = std::make_unique<frmMain>();
        main->MDIForm_Load();
        main->show();
        modRecovery::Start(main.get(), g_dir->filePath(QStringLiteral("recovery")));
        doc = main->ActiveForm();
        const QString path = g_dir->filePath(QStringLiteral("big.rtf"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(formattedRtf(20000));
        file.close();
        doc->rtf1->LoadFile(path, RichTextBox::rtfRTF);
        doc->rtf1->SetSelStart(doc->rtf1->document()->characterCount() / 2);
        doc->rtf1->setFocus();
        QApplication::processEvents();
        doc->bChanged = true;
        save = modRecovery::AutoSaveOf(doc);
    }
    ~Window()
    {
        doc->bChanged = false;
        modRecovery::Finish();
    }
};

void typeKey(QWidget *target)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(target, &release);
}

// Runs the event loop while typing into the window, until done() says so,
// and gives the longest gap between two turns of the loop (ns).
template <typename Done>
qint64 longestGapWhileTyping(Window &window, Done done)
{
    QTimer typing;
    QObject::connect(&typing, &QTimer::timeout, [&] { typeKey(window.doc->rtf1); });
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = qMax(longest, now - last);
        last = now;
    });
    tick.start(1);
    typing.start(5);
    QApplication::processEvents();
    last = clock.nsecsElapsed();
    while (!done())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return qMax(longest, clock.nsecsElapsed() - last);
}

void LongestStall(benchmark::State &state)
{
    Window window;
    if (!window.save) {
        state.SkipWithError("autosave did not start");
        return;
    }
    double worst = 0;
    qint64 startNs = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        bool started = false;
        const qint64 longest = longestGapWhileTyping(window, [&] {
            if (!started) {
                started = true;
                QElapsedTimer startClock;
                startClock.start();
                window.save->writeNow();
                startNs = qMax(startNs, startClock.nsecsElapsed());
            }
            return !window.save->writing();
        });
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        worst = qMax(worst, double(longest) / 1e6);
        if (!window.save->hasRecoveryFile())
            state.SkipWithError("no recovery file was written");
    }
    state.counters["stall_ms"] = worst;
    // Of it, starting the write (the fork, for a process this size).
    state.counters["start_ms"] = double(startNs) / 1e6;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                state.counters["rss_mb"] = line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
        }
    }
}
BENCHMARK(LongestStall)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The same typing for a second with no autosave: the gaps the machine and
// the window make on their own, to hold the figure above against.
void StallWithoutAutosave(benchmark::State &state)
{
    Window window;
    double worst = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const qint64 longest = longestGapWhileTyping(window, [&] { return clock.elapsed() > 1000; });
        worst = qMax(worst, double(longest) / 1e6);
    }
    state.counters["stall_ms"] = worst;
}
BENCHMARK(StallWithoutAutosave)->Unit(benchmark::kMillisecond)->Iterations(3);

void SaveOnUiThread(benchmark::State &state)
{
    Window window;
    const QString target = g_dir->filePath(QStringLiteral("direct.rtf"));
    for (auto _ : state) {
        if (!window.doc->rtf1->SaveFile(target, RichTextBox::rtfRTF))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(SaveOnUiThread)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
    ModalSeam::setStrict(true);
    // Long delays: only the writes the benchmark starts run.
    AutoSave::SetDelays(3600 * 1000, 3600 * 1000);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
