// Reading and writing a 10 MB Rich Text document with realistic formatting:
// a format change every few words, mixed alignments and indents, some \'hh
// and \uN. Targets on a 2-core machine: read into a document <= 1.0 s,
// write <= 0.5 s, peak memory < 250 MB, and `quillet-convert big.rtf big.txt`
// as a whole process <= 1.5 s.

#include "PeakMemory.h"
#include "platform/rtf/RtfReader.h"
#include "platform/rtf/RtfWriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>

namespace {
constexpr qsizetype TargetBytes = 10 * 1024 * 1024;

QByteArray generateRtf()
{
    static const char *const words[] = {
        "the", "document", "window", "holds", "one", "rich", "text", "control", "and", "every",
        "paragraph", "keeps", "its", "own", "alignment", "indent", "while", "runs", "of",
        "characters", "change", "font", "size", "colour", "or", "weight", "as", "writers", "do",
        "caf\\'e9", "na\\'efve", "\\u1055?\\u1088?\\u1080?", "\\u26085?\\u26412?", "r\\'e9sum\\'e9",
    };
    static const char *const formats[] = {
        "\\b ", "\\i ", "\\ul ", "\\cf1 ", "\\cf2 ", "\\fs28 ", "\\f1 ", "\\strike ", "\\b\\i ",
        "\\highlight3 ", "\\super ", "\\f2\\fs20 ",
    };
    static const char *const paragraphs[] = {
        "\\pard\\ql ", "\\pard\\qc ", "\\pard\\qr\\li720 ", "\\pard\\qj\\li1440\\fi-360 ",
        "\\pard\\ql\\li360\\ri360\\sb120\\sa120 ",
    };
    QRandomGenerator rng(2026);
    QByteArray out;
    out.reserve(TargetBytes + 4096);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}"
           "{\\f2\\fmodern Courier New;}}{\\colortbl;\\red200\\green0\\blue0;\\red0\\green0\\blue180;"
           "\\red255\\green255\\blue0;}\n";
    while (out.size() < TargetBytes) {
        out += paragraphs[rng.bounded(int(std::size(paragraphs)))];
        const int length = 40 + int(rng.bounded(120));
        for (int w = 0; w < length;) {
            const int plain = 2 + int(rng.bounded(5));
            for (int i = 0; i < plain && w < length; ++i, ++w) {
                out += words[rng.bounded(int(std::size(words)))];
                out += ' ';
            }
            out += '{';
            out += formats[rng.bounded(int(std::size(formats)))];
            const int formatted = 1 + int(rng.bounded(4));
            for (int i = 0; i < formatted && w < length; ++i, ++w) {
                out += words[rng.bounded(int(std::size(words)))];
                if (i + 1 < formatted)
                    out += ' ';
            }
            out += "} ";
        }
        out += "\\par\n";
    }
    out += "}\n";
    return out;
}

const QByteArray &bigRtf()
{
    static const QByteArray rtf = generateRtf();
    return rtf;
}

void BM_ReadRtf10MB(benchmark::State &state)
{
    const QByteArray &rtf = bigRtf();
    for (auto _ : state) {
        QTextDocument document;
        RtfReader::read(rtf, document);
        benchmark::DoNotOptimize(document.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
    state.counters["input_MB"] = rtf.size() / 1048576.0;
    state.counters["peak_rss_MB"] = peakRssMb();
}
BENCHMARK(BM_ReadRtf10MB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WriteRtf10MB(benchmark::State &state)
{
    QTextDocument document;
    RtfReader::read(bigRtf(), document);
    qsizetype written = 0;
    for (auto _ : state) {
        const QByteArray out = RtfWriter::write(document);
        written = out.size();
        benchmark::DoNotOptimize(out.constData());
    }
    state.SetBytesProcessed(state.iterations() * written);
    state.counters["output_MB"] = written / 1048576.0;
    state.counters["peak_rss_MB"] = peakRssMb();
}
BENCHMARK(BM_WriteRtf10MB)->Unit(benchmark::kMillisecond)->Iterations(3);

#ifdef QUILLET_CONVERT_PATH
void BM_ConvertProcess10MB(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("big.rtf"));
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly) || file.write(bigRtf()) != bigRtf().size()) {
        state.SkipWithError("cannot write the input file");
        return;
    }
    file.close();
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral(QUILLET_CONVERT_PATH), {input, dir.filePath(QStringLiteral("big.txt"))});
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            state.SkipWithError("quillet-convert failed");
            return;
        }
    }
}
BENCHMARK(BM_ConvertProcess10MB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
#endif
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // --write-rtf=PATH saves the generated document, to time the converter by hand.
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg.startsWith("--write-rtf=")) {
            QFile out(QString::fromLocal8Bit(arg.mid(12)));
            return out.open(QIODevice::WriteOnly) && out.write(bigRtf()) == bigRtf().size() ? 0 : 1;
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    bigRtf();   // generated once, outside every measurement
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
