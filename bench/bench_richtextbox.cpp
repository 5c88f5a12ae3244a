// The rich text control on a 1 MB document (2,000 paragraphs of 85 words):
// the calls the document window makes on every keystroke (Text, the two line
// figures after one typed character), the find dialog's Replace All walk,
// the sentence selection (Span) over the whole text, and a plain text load
// and save. Targets: Text under 10 ms, the line figures after a keystroke
// under 1 ms, finding all 17,000 "ipsum" under 200 ms, a load and save
// under 500 ms.

#include "platform/RichTextBox.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QString megabyte()
{
    static const char *const words[] = {"lorem", "ipsum", "dolor", "sit", "amet",
                                        "consectetur", "adipiscing", "elit", "sed", "do"};
    QString text;
    int n = 0;
    for (int p = 0; p < 2000; ++p) {
        for (int w = 0; w < 85; ++w, ++n) {
            text += QLatin1String(words[n % 10]);
            text += w + 1 < 85 ? QLatin1String(" ") : QLatin1String(".");
        }
        text += QLatin1String("\r\n");
    }
    return text;
}

std::unique_ptr<RichTextBox> bigBox()
{
    auto box = std::make_unique<RichTextBox>();
    box->resize(900, 700);
    box->SetRightMargin(9000);
    box->SetText(megabyte());
    box->GetLineCount();   // the first full layout is not what is measured
    return box;
}

void BM_Text1MB(benchmark::State &state)
{
    const auto box = bigBox();
    for (auto _ : state)
        benchmark::DoNotOptimize(box->Text());
}

void BM_LineFiguresAfterKeystroke1MB(benchmark::State &state)
{
    const auto box = bigBox();
    box->SetSelStart(500000);
    for (auto _ : state) {
        state.PauseTiming();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(box.get(), &press);
        state.ResumeTiming();
        benchmark::DoNotOptimize(box->LineFromChar(-1));
        benchmark::DoNotOptimize(box->GetLineCount());
    }
}

void BM_FindAll1MB(benchmark::State &state)
{
    const auto box = bigBox();
    for (auto _ : state) {
        int found = 0;
        for (int at = 0; (at = box->Find(QStringLiteral("IPSUM"), at, -1, RichTextBox::rtfNoHighlight)) >= 0; at += 5)
            ++found;
        state.counters["found"] = found;
    }
}

void BM_SpanWholeText1MB(benchmark::State &state)
{
    const auto box = bigBox();
    for (auto _ : state) {
        box->SetSelStart(600000);
        box->Span(QStringLiteral("?!"), false, true);
        box->Span(QStringLiteral("?!"), true, true);
        benchmark::DoNotOptimize(box->SelLength());
    }
}

void BM_PlainLoadAndSave1MB(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(megabyte().toUtf8()) < 0) {
            state.SkipWithError("cannot write the input file");
            return;
        }
    }
    RichTextBox box;
    for (auto _ : state) {
        if (!box.LoadFile(path, RichTextBox::rtfText) || !box.SaveFile(path, RichTextBox::rtfText)) {
            state.SkipWithError("load or save failed");
            break;
        }
    }
}

} // namespace

BENCHMARK(BM_Text1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineFiguresAfterKeystroke1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindAll1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpanWholeText1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoadAndSave1MB)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
