// The find dialog's Replace All in a shown document window holding 1 MB of
// formatted text (2,000 paragraphs with bold and italic runs in two fonts
// and three sizes), with a given number of matches spread over it. Target
// on this 2-core machine: 20,000 replacements under 0.5 s, and a cost that
// grows no faster than linearly with the number of matches (5,000, 10,000
// and 20,000 side by side). Most of it is Qt laying the changed document
// out again, which follows the document's size, not the matches.
//
// Both columns matter on a shared machine: Time is the wall clock, CPU the
// benchmark thread's own processor time, which other load inflates less.
// Timed: the button's whole action, the document window's one Change and
// SelChange (caption mark, status bar figures) included. Not timed: filling
// the document and settling its layout before each run.

#include "documents/frmDoc.h"
#include "find/frmFind.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/modRegistry.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int Paragraphs = 2000;
constexpr int ParagraphChars = 500;   // 2,000 x 500: about 1 MB of text

// Fills the control with the formatted megabyte, formatted as the big
// document benchmark's (three paragraph sizes, every tenth word bold, every
// seventeenth italic in another font); `matches` of its words are "needle",
// spread evenly over the paragraphs.
void fill(RichTextBox *box, int matches)
{
    static const char *const words[] = {"lorem", "ipsum", "dolor", "sit", "amet",
                                        "consectetur", "adipiscing", "elit", "sed", "do",
                                        "eiusmod", "tempor", "incididunt", "ut", "labore"};
    box->SetText(QString());
    QTextCursor c(box->document());
    c.beginEditBlock();
    int placed = 0;
    int n = 0;
    for (int p = 0; p < Paragraphs; ++p) {
        if (p > 0)
            c.insertBlock();
        QTextCharFormat plain;
        plain.setFontFamilies(QStringList{QStringLiteral("Verdana")});
        plain.setFontPointSize(10 + 2 * (p % 3));
        const int due = int(qint64(matches) * (p + 1) / Paragraphs);
        int length = 0;
        while (length < ParagraphChars || placed < due) {
            QTextCharFormat format = plain;
            if (n % 10 == 0) {
                format.setFontWeight(QFont::Bold);
            } else if (n % 17 == 0) {
                format.setFontItalic(true);
                format.setFontFamilies(QStringList{QStringLiteral("Arial")});
            }
            QString word = QLatin1String(words[n % 15]);
            if (placed < due && (length >= ParagraphChars || n % 4 == 0)) {
                word = QStringLiteral("needle");
                ++placed;
            }
            c.insertText(word, format);
            c.insertText(QStringLiteral(" "), plain);
            length += int(word.size()) + 1;
            ++n;
        }
    }
    c.endEditBlock();
    box->SetSelStart(0);
    // The layout a load leaves to do is not what is measured.
    box->document()->documentLayout()->documentSize();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
}

void BM_ReplaceAll1MB(benchmark::State &state)
{
    const int matches = int(state.range(0));
    auto main = std::make_unique<frmMain>();
    main->resize(1000, 700);
    main->MDIForm_Load();
    main->show();
    frmDoc *doc = main->ActiveForm();
    if (!doc) {
        state.SkipWithError("no document window");
        return;
    }
    RichTextBox *box = doc->rtf1;
    for (auto _ : state) {
        state.PauseTiming();
        fill(box, matches);
        frmFind dialog(box, main.get());
        dialog.cboFind->setEditText(QStringLiteral("needle"));
        dialog.cboReplace->setEditText(QStringLiteral("thread"));
        ModalSeam::reset();

        state.ResumeTiming();

        dialog.cmdReplaceAll_Click();

        state.PauseTiming();

        // The summary is the one question asked, and it names every match.
        const QList<ModalSeam::Question> asked = ModalSeam::asked();
        if (asked.size() != 1
            || !asked.first().text.endsWith(QStringLiteral("\r\n") + QString::number(matches)
                                            + QStringLiteral(" replacements have been made."))) {
            state.SkipWithError("Replace All did not replace every match");
            break;
        }
        state.ResumeTiming();
    }
    state.counters["chars"] = double(box->document()->characterCount());
    doc->bChanged = false;
}

} // namespace

BENCHMARK(BM_ReplaceAll1MB)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    // The key must exist before a value can be set in it.
    modRegistry::CreateSettingsKey(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey);
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
    // The summary box is answered at once, as a test answers it.
    ModalSeam::setStrict(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
