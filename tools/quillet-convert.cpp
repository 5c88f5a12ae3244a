// quillet-convert INPUT OUTPUT [--to rtf|txt]
//
// Converts between Rich Text and plain text with the editor's own reader
// and writer (DocumentFile, which RichTextBox loads and saves through), so a
// conversion here is what opening and saving in Quillet would do. No view is
// made and nothing is laid out: the cost is the reader's and the writer's,
// and Rich Text going to text is read straight to text, with no document
// built. The output type follows the output name's extension unless --to says otherwise; the input is read as
// plain text when its name ends in .txt, otherwise as Rich Text (a file that
// is not RTF still loads as text, as in the editor). Saves are atomic: a
// failed conversion leaves no half-written OUTPUT.
#include "DocumentFile.h"
#include "FileWriter.h"
#include "RichTextBox.h"

#include <QFileInfo>
#include <QFont>
#include <QApplication>
#include <QTextDocument>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace {
enum Exit { Ok = 0, Failed = 1, Usage = 2 };
// An output type of the converter alone: a PDF, laid out as printing does.
constexpr int Pdf = 100;

const char usageText[] =
    "Usage: quillet-convert INPUT OUTPUT [--to rtf|txt|docx|odt|pdf]\n"
    "       quillet-convert --help | --version\n"
    "Converts between Rich Text (.rtf), Word (.docx), OpenDocument (.odt) and plain text (.txt),\n"
    "and writes any of them as PDF (.pdf).\n"
    "The output type follows OUTPUT's extension unless --to is given.\n";

void printError(const QString &message)
{
    // One line, whatever the reader or writer said, so scripts can log it.
    QString line = message.simplified();
    if (line.isEmpty())
        line = QStringLiteral("failed");
    std::fprintf(stderr, "quillet-convert: %s\n", qPrintable(line));
}

int typeForName(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix == QLatin1String("rtf"))
        return DocumentFile::Rtf;
    if (suffix == QLatin1String("txt"))
        return DocumentFile::Text;
    if (suffix == QLatin1String("docx"))
        return DocumentFile::Docx;
    if (suffix == QLatin1String("odt"))
        return DocumentFile::Odt;
    if (suffix == QLatin1String("pdf"))
        return Pdf;
    return -1;
}

int typeForOption(const QString &value)
{
    const QString v = value.toLower();
    if (v == QLatin1String("rtf"))
        return DocumentFile::Rtf;
    if (v == QLatin1String("txt") || v == QLatin1String("text"))
        return DocumentFile::Text;
    if (v == QLatin1String("docx"))
        return DocumentFile::Docx;
    if (v == QLatin1String("odt"))
        return DocumentFile::Odt;
    if (v == QLatin1String("pdf"))
        return Pdf;
    return -1;
}
}

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("quillet-convert %s\n", QUILLET_VERSION);
        return Ok;
    }
    // A converter needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Fonts (for the RTF font table) need the GUI side of Qt; a PDF is laid
    // out by the editing control itself, a widget, so printing and the
    // converter give the same pages.
    QApplication app(argc, argv);

    QStringList files;
    int outputType = -1;
    bool typeGiven = false;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            std::fputs(usageText, stdout);
            return Ok;
        }
        if (arg == QLatin1String("--to") || arg.startsWith(QLatin1String("--to="))) {
            QString value;
            if (arg.size() > 4) {
                value = arg.mid(5);
            } else if (i + 1 < args.size()) {
                value = args.at(++i);
            } else {
                printError(QStringLiteral("--to needs a value: rtf, txt, docx, odt or pdf"));
                std::fputs(usageText, stderr);
                return Usage;
            }
            outputType = typeForOption(value);
            if (outputType < 0) {
                printError(QStringLiteral("unknown output type \"%1\" (use rtf, txt, docx, odt or pdf)").arg(value));
                return Usage;
            }
            typeGiven = true;
            continue;
        }
        if (arg.startsWith(QLatin1String("--"))) {
            printError(QStringLiteral("unknown option \"%1\"").arg(arg));
            std::fputs(usageText, stderr);
            return Usage;
        }
        files << arg;
    }
    if (files.size() != 2) {
        printError(files.size() < 2 ? QStringLiteral("INPUT and OUTPUT are both needed")
                                    : QStringLiteral("too many arguments"));
        std::fputs(usageText, stderr);
        return Usage;
    }
    const QString input = files.at(0);
    const QString output = files.at(1);
    if (!typeGiven) {
        outputType = typeForName(output);
        if (outputType < 0) {
            printError(QStringLiteral("cannot tell the output type from \"%1\"; name it .rtf, .txt, .docx, .odt or .pdf, "
                                      "or give --to rtf|txt|docx|odt|pdf").arg(output));
            return Usage;
        }
    }
    if (outputType == DocumentFile::Text) {
        if (const QString refusal = DocumentFile::refusesText(output); !refusal.isEmpty()) {
            printError(refusal);
            return Failed;
        }
    }
    const int inputType = typeForName(input) == DocumentFile::Text ? DocumentFile::Text
                                                                       : DocumentFile::Rtf;

    QString error;
    if (outputType == Pdf) {
        RichTextBox box;
        box.resize(800, 600);
        if (!box.LoadFile(input, inputType) || !box.ExportPdf(output)) {
            printError(box.LastError());
            return Failed;
        }
        return Ok;
    }
    if (outputType == DocumentFile::Text) {
        // Text needs no document: Rich Text is read straight to it.
        QString text;
        const DocumentFile::ReadResult read = DocumentFile::readText(input, inputType, text);
        if (!read.ok) {
            printError(read.errorText);
            return Failed;
        }
        if (!FileWriter::write(output, TextFile::encode(text, read.encoding), &error)) {
            printError(error);
            return Failed;
        }
        return Ok;
    }

    QTextDocument document;
    // The control's base font, which plain text and unformatted runs take.
    document.setDefaultFont(QFont(QStringLiteral("Verdana"), 10));
    const DocumentFile::ReadResult read = DocumentFile::read(input, inputType, document);
    if (!read.ok) {
        printError(read.errorText);
        return Failed;
    }
    if (const QString lost = DocumentFile::leftOut(document, outputType); !lost.isEmpty())
        printError(QStringLiteral("warning: the %1 of \"%2\" may be left out: this format may not keep them").arg(lost, input));
    const QByteArray bytes = DocumentFile::bytes(document, outputType, read.lineEnd, read.encoding);
    if (bytes.isEmpty() && (outputType == DocumentFile::Docx || outputType == DocumentFile::Odt)) {
        printError(QStringLiteral("the document could not be put together"));
        return Failed;
    }
    if (!FileWriter::write(output, bytes, &error)) {
        printError(error);
        return Failed;
    }
    return Ok;
}
