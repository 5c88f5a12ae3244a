// Reading and writing a 10 MB Rich Text document made of 10,000 table rows
// (five cells each, formatted runs, a link every tenth row, a small picture
// every hundredth), the shape of an exported report. Targets on a 2-core
// machine: read into a document <= 1.5 s, write <= 0.8 s, peak memory
// < 400 MB.

#include "PeakMemory.h"
#include "platform/rtf/RtfReader.h"
#include "platform/rtf/RtfWriter.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTextDocument>

#include <benchmark/benchmark.h>

namespace {
constexpr int Rows = 10000;
constexpr qsizetype TargetBytes = 10 * 1024 * 1024;

QByteArray smallPng()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toHex();
}

QByteArray generateRtf()
{
    static const char *const words[] = {
        "invoice", "total", "amount", "customer", "paid", "due", "caf\\'e9", "r\\'e9sum\\'e9",
        "the", "order", "shipped", "on", "time", "with", "one", "item", "missing", "and",
        "\\u1055?\\u1088?\\u1080?", "credit", "note", "issued", "for", "the", "rest",
    };
    static const char *const formats[] = {"\\b ", "\\i ", "\\ul ", "\\cf1 ", "\\cf2 ", "\\fs20 "};
    const QByteArray picture = smallPng();
    QRandomGenerator rng(2026);
    QByteArray out;
    out.reserve(TargetBytes + 65536);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
           "{\\colortbl;\\red200\\green0\\blue0;\\red0\\green0\\blue180;}\n";
    // Cell text sized so that the rows together make about 10 MB.
    const int wordsPerCell = 20;
    for (int r = 0; r < Rows; ++r) {
        out += "\\trowd\\trgaph108\\trleft-108\\clbrdrt\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10"
               "\\cellx1800\\cellx3600\\clcbpat2\\cellx5400\\cellx7200\\cellx9000\n";
        for (int c = 0; c < 5; ++c) {
            out += c == 2 ? "\\pard\\intbl\\qr " : "\\pard\\intbl\\ql ";
            if (c == 0 && r % 10 == 0) {
                out += "{\\field{\\*\\fldinst HYPERLINK \"https://example.com/row/";
                out += QByteArray::number(r);
                out += "\"}{\\fldrslt {\\ul\\cf2 row ";
                out += QByteArray::number(r);
                out += "}}} ";
            }
            if (c == 4 && r % 100 == 0) {
                out += "{\\pict\\pngblip\\picw16\\pich16\\picwgoal240\\pichgoal240\n";
                out += picture;
                out += "}";
            }
            for (int w = 0; w < wordsPerCell;) {
                const int plain = 2 + int(rng.bounded(4));
                for (int i = 0; i < plain && w < wordsPerCell; ++i, ++w) {
                    out += words[rng.bounded(int(std::size(words)))];
                    out += ' ';
                }
                out += '{';
                out += formats[rng.bounded(int(std::size(formats)))];
                out += words[rng.bounded(int(std::size(words)))];
                out += "} ";
                ++w;
            }
            out += "\\cell\n";
        }
        out += "\\row\n";
    }
    out += "\\pard\\par}\n";
    return out;
}

const QByteArray &bigRtf()
{
    static const QByteArray rtf = generateRtf();
    return rtf;
}

void BM_ReadRtfTable10k(benchmark::State &state)
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
BENCHMARK(BM_ReadRtfTable10k)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WriteRtfTable10k(benchmark::State &state)
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
BENCHMARK(BM_WriteRtfTable10k)->Unit(benchmark::kMillisecond)->Iterations(3);
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // --write-rtf=PATH saves the generated document, to open it in the program.
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
