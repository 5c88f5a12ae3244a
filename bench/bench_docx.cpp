// A Word document whose word/document.xml is about 10 MB, written the way
// Word writes one: paragraphs of mixed runs (bold, italic, fonts, sizes,
// colours), headings through styles.xml, bulleted and numbered lists through
// numbering.xml, tables with merged cells, links. Targets on this 2-core
// machine: opening it into a window that has taken a key <= 1.5 s. The
// converter's time to text is set beside LibreOffice's and pandoc's on the
// same file when they are installed (the ratio counter is Quillet's time
// over theirs); neither is needed to run this.

#include "PeakMemory.h"
#include "documents/fileMod.h"
#include "documents/frmDoc.h"
#include "platform/DocumentFile.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/modRegistry.h"

#include <DocxReader.h>
#include <DocxWriter.h>
#include <ZipWriter.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <memory>

namespace {

QTemporaryDir *g_dir = nullptr;
qsizetype g_targetBytes = 10 * 1024 * 1024;
qsizetype g_documentXmlBytes = 0;
double g_quilletSeconds = 0;
double g_sofficeSeconds = 0;
double g_pandocSeconds = 0;

const char *const Namespaces =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

// The run formats Word writes for what writers do most: a word in bold, a
// phrase in another font or size, a colour, a mark.
const char *const RunFormats[] = {
    "<w:b/><w:bCs/>",
    "<w:i/><w:iCs/>",
    "<w:b/><w:i/><w:bCs/><w:iCs/>",
    "<w:rFonts w:ascii=\"Times New Roman\" w:hAnsi=\"Times New Roman\" w:cs=\"Times New Roman\"/>",
    "<w:rFonts w:ascii=\"Arial\" w:hAnsi=\"Arial\" w:cs=\"Arial\"/><w:sz w:val=\"20\"/><w:szCs w:val=\"20\"/>",
    "<w:sz w:val=\"28\"/><w:szCs w:val=\"28\"/>",
    "<w:color w:val=\"C00000\"/>",
    "<w:u w:val=\"single\"/>",
    "<w:rFonts w:ascii=\"Courier New\" w:hAnsi=\"Courier New\" w:cs=\"Courier New\"/><w:sz w:val=\"20\"/>",
    "<w:highlight w:val=\"yellow\"/>",
    "<w:strike/>",
    "<w:vertAlign w:val=\"superscript\"/>",
    "<w:b/><w:color w:val=\"1F3864\"/><w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/>",
};

const char *const Words[] = {
    "the", "document", "window", "holds", "one", "rich", "text", "control", "and", "every",
    "paragraph", "keeps", "its", "own", "alignment", "indent", "while", "runs", "of",
    "characters", "change", "font", "size", "colour", "or", "weight", "as", "writers", "do",
    "quarterly", "report", "figures", "R&amp;D", "&lt;draft&gt;", "café", "naïve", "résumé",
    "Привет", "日本語", "2026", "—",
};

const char *const ParagraphProps[] = {
    "",
    "<w:pPr><w:jc w:val=\"both\"/></w:pPr>",
    "<w:pPr><w:spacing w:before=\"120\" w:after=\"120\"/></w:pPr>",
    "<w:pPr><w:ind w:left=\"720\" w:right=\"720\"/><w:jc w:val=\"center\"/></w:pPr>",
    "<w:pPr><w:ind w:firstLine=\"360\"/></w:pPr>",
};

class Generator
{
public:
    explicit Generator(qsizetype target) : m_target(target) { m_xml.reserve(target + 64 * 1024); }

    QByteArray documentXml()
    {
        m_xml += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document ";
        m_xml += Namespaces;
        m_xml += "><w:body>";
        for (int section = 0; m_xml.size() < m_target; ++section) {
            heading(1, section);
            for (int i = 0; i < 8; ++i)
                paragraph();
            heading(2, section);
            list(section);
            for (int i = 0; i < 6; ++i)
                paragraph();
            if (section % 2 == 0)
                table();
            for (int i = 0; i < 6; ++i)
                paragraph();
        }
        m_xml += "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"1440\" w:right=\"1440\" "
                 "w:bottom=\"1440\" w:left=\"1440\" w:header=\"708\" w:footer=\"708\" w:gutter=\"0\"/>"
                 "</w:sectPr></w:body></w:document>";
        return m_xml;
    }
    int numberedLists() const { return m_numbered; }

private:
    QByteArray rsid() { return QByteArray::number(0x00100000 + m_rng.bounded(0x00800000), 16).toUpper().rightJustified(8, '0'); }

    void words(int count, QByteArray &out)
    {
        for (int i = 0; i < count; ++i) {
            out += Words[m_rng.bounded(int(std::size(Words)))];
            if (i + 1 < count)
                out += ' ';
        }
    }

    void plainRun(int count)
    {
        m_xml += "<w:r><w:t xml:space=\"preserve\">";
        words(count, m_xml);
        m_xml += " </w:t></w:r>";
    }

    void formattedRun(int count)
    {
        m_xml += "<w:r w:rsidR=\"" + rsid() + "\"><w:rPr>";
        m_xml += RunFormats[m_rng.bounded(int(std::size(RunFormats)))];
        m_xml += "</w:rPr><w:t>";
        words(count, m_xml);
        m_xml += "</w:t></w:r>";
    }

    void runs(int length)
    {
        for (int w = 0; w < length;) {
            const int plain = qMin(length - w, 2 + int(m_rng.bounded(6)));
            plainRun(plain);
            w += plain;
            if (w >= length)
                break;
            if (m_rng.bounded(40) == 0) {
                m_xml += "<w:hyperlink r:id=\"rIdLink" + QByteArray::number(m_rng.bounded(Links))
                         + "\" w:history=\"1\"><w:r><w:rPr><w:rStyle w:val=\"Hyperlink\"/></w:rPr><w:t>";
                words(2, m_xml);
                m_xml += "</w:t></w:r></w:hyperlink><w:r><w:t xml:space=\"preserve\"> </w:t></w:r>";
                continue;
            }
            const int formatted = qMin(length - w, 1 + int(m_rng.bounded(4)));
            formattedRun(formatted);
            m_xml += "<w:r><w:t xml:space=\"preserve\"> </w:t></w:r>";
            w += formatted;
        }
    }

    void paragraph()
    {
        m_xml += "<w:p w:rsidR=\"" + rsid() + "\" w:rsidRDefault=\"" + rsid() + "\">";
        m_xml += ParagraphProps[m_rng.bounded(int(std::size(ParagraphProps)))];
        runs(40 + int(m_rng.bounded(120)));
        m_xml += "</w:p>";
    }

    void heading(int level, int section)
    {
        m_xml += "<w:p w:rsidR=\"" + rsid() + "\"><w:pPr><w:pStyle w:val=\"Heading" + QByteArray::number(level)
                 + "\"/></w:pPr><w:r><w:t xml:space=\"preserve\">" + QByteArray::number(section + 1) + " ";
        words(3 + int(m_rng.bounded(5)), m_xml);
        m_xml += "</w:t></w:r></w:p>";
    }

    // Bullets share one w:num; each numbered list has its own, as Word makes
    // one for every list that starts again at 1.
    void list(int section)
    {
        const bool bullets = section % 2 == 0;
        const int numId = bullets ? 1 : 2 + (m_numbered++ % MaxNumbered);
        const int items = 4 + int(m_rng.bounded(8));
        for (int i = 0; i < items; ++i) {
            const int level = i > 0 && m_rng.bounded(3) == 0 ? 1 : 0;
            m_xml += "<w:p w:rsidR=\"" + rsid() + "\"><w:pPr><w:pStyle w:val=\"ListParagraph\"/><w:numPr><w:ilvl w:val=\""
                     + QByteArray::number(level) + "\"/><w:numId w:val=\"" + QByteArray::number(numId)
                     + "\"/></w:numPr></w:pPr>";
            runs(8 + int(m_rng.bounded(30)));
            m_xml += "</w:p>";
        }
    }

    void cellParagraph(int words)
    {
        m_xml += "<w:p><w:pPr><w:spacing w:after=\"0\"/></w:pPr>";
        runs(words);
        m_xml += "</w:p>";
    }

    void table()
    {
        constexpr int Columns = 5;
        const int rows = 6 + int(m_rng.bounded(10));
        m_xml += "<w:tbl><w:tblPr><w:tblStyle w:val=\"TableGrid\"/><w:tblW w:w=\"0\" w:type=\"auto\"/>"
                 "<w:tblLook w:val=\"04A0\" w:firstRow=\"1\" w:lastRow=\"0\" w:firstColumn=\"1\" w:lastColumn=\"0\" "
                 "w:noHBand=\"0\" w:noVBand=\"1\"/></w:tblPr><w:tblGrid>";
        for (int c = 0; c < Columns; ++c)
            m_xml += "<w:gridCol w:w=\"1803\"/>";
        m_xml += "</w:tblGrid>";
        for (int r = 0; r < rows; ++r) {
            m_xml += "<w:tr w:rsidR=\"" + rsid() + "\">";
            if (r == 0)
                m_xml += "<w:trPr><w:tblHeader/></w:trPr>";
            for (int c = 0; c < Columns; ++c) {
                m_xml += "<w:tc><w:tcPr><w:tcW w:w=\"1803\" w:type=\"dxa\"/>";
                // The first column merges down in pairs, as a grouped report does.
                if (c == 0 && r > 0)
                    m_xml += r % 2 ? "<w:vMerge w:val=\"restart\"/>" : "<w:vMerge/>";
                if (r == 0)
                    m_xml += "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"D9E2F3\"/>";
                m_xml += "</w:tcPr>";
                if (c == 0 && r > 0 && r % 2 == 0)
                    m_xml += "<w:p/>";
                else
                    cellParagraph(r == 0 ? 2 : 3 + int(m_rng.bounded(12)));
                m_xml += "</w:tc>";
            }
            m_xml += "</w:tr>";
        }
        m_xml += "</w:tbl>";
    }

public:
    static constexpr int Links = 50;
    static constexpr int MaxNumbered = 200;

private:
    qsizetype m_target;
    QByteArray m_xml;
    QRandomGenerator m_rng{2026};
    int m_numbered = 0;
};

QByteArray stylesXml()
{
    QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:styles ";
    x += Namespaces;
    x += "><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Calibri\" w:hAnsi=\"Calibri\" w:cs=\"Calibri\"/>"
         "<w:sz w:val=\"22\"/><w:szCs w:val=\"22\"/><w:lang w:val=\"en-GB\"/></w:rPr></w:rPrDefault>"
         "<w:pPrDefault><w:pPr><w:spacing w:after=\"160\" w:line=\"259\" w:lineRule=\"auto\"/></w:pPr>"
         "</w:pPrDefault></w:docDefaults>"
         "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/><w:qFormat/></w:style>"
         "<w:style w:type=\"character\" w:default=\"1\" w:styleId=\"DefaultParagraphFont\">"
         "<w:name w:val=\"Default Paragraph Font\"/><w:uiPriority w:val=\"1\"/><w:semiHidden/></w:style>";
    const char *const sizes[] = {"32", "26", "24"};
    for (int level = 1; level <= 3; ++level) {
        const QByteArray n = QByteArray::number(level);
        x += "<w:style w:type=\"paragraph\" w:styleId=\"Heading" + n + "\"><w:name w:val=\"heading " + n
             + "\"/><w:basedOn w:val=\"Normal\"/><w:next w:val=\"Normal\"/><w:qFormat/><w:pPr><w:keepNext/>"
               "<w:keepLines/><w:spacing w:before=\"" + QByteArray(level == 1 ? "240" : "40")
             + "\" w:after=\"0\"/><w:outlineLvl w:val=\"" + QByteArray::number(level - 1)
             + "\"/></w:pPr><w:rPr><w:rFonts w:ascii=\"Calibri Light\" w:hAnsi=\"Calibri Light\"/>"
               "<w:b/><w:color w:val=\"2F5496\"/><w:sz w:val=\"" + sizes[level - 1] + "\"/><w:szCs w:val=\""
             + sizes[level - 1] + "\"/></w:rPr></w:style>";
    }
    x += "<w:style w:type=\"paragraph\" w:styleId=\"ListParagraph\"><w:name w:val=\"List Paragraph\"/>"
         "<w:basedOn w:val=\"Normal\"/><w:qFormat/><w:pPr><w:ind w:left=\"720\"/><w:contextualSpacing/></w:pPr></w:style>"
         "<w:style w:type=\"character\" w:styleId=\"Hyperlink\"><w:name w:val=\"Hyperlink\"/>"
         "<w:basedOn w:val=\"DefaultParagraphFont\"/><w:rPr><w:color w:val=\"0563C1\"/><w:u w:val=\"single\"/></w:rPr></w:style>"
         "<w:style w:type=\"table\" w:styleId=\"TableGrid\"><w:name w:val=\"Table Grid\"/><w:pPr><w:spacing w:after=\"0\"/>"
         "</w:pPr><w:tblPr><w:tblBorders><w:top w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/>"
         "<w:left w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/><w:bottom w:val=\"single\" w:sz=\"4\" "
         "w:space=\"0\" w:color=\"auto\"/><w:right w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/>"
         "<w:insideH w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"/><w:insideV w:val=\"single\" w:sz=\"4\" "
         "w:space=\"0\" w:color=\"auto\"/></w:tblBorders><w:tblCellMar><w:left w:w=\"108\" w:type=\"dxa\"/>"
         "<w:right w:w=\"108\" w:type=\"dxa\"/></w:tblCellMar></w:tblPr></w:style></w:styles>";
    return x;
}

QByteArray numberingXml(int numbered)
{
    QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:numbering ";
    x += Namespaces;
    x += "><w:abstractNum w:abstractNumId=\"0\"><w:multiLevelType w:val=\"hybridMultilevel\"/>"
         "<w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt w:val=\"bullet\"/><w:lvlText w:val=\"•\"/>"
         "<w:lvlJc w:val=\"left\"/><w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr></w:lvl>"
         "<w:lvl w:ilvl=\"1\"><w:start w:val=\"1\"/><w:numFmt w:val=\"bullet\"/><w:lvlText w:val=\"o\"/>"
         "<w:lvlJc w:val=\"left\"/><w:pPr><w:ind w:left=\"1440\" w:hanging=\"360\"/></w:pPr>"
         "<w:rPr><w:rFonts w:ascii=\"Courier New\" w:hAnsi=\"Courier New\"/></w:rPr></w:lvl></w:abstractNum>"
         "<w:abstractNum w:abstractNumId=\"1\"><w:multiLevelType w:val=\"hybridMultilevel\"/>"
         "<w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/>"
         "<w:lvlJc w:val=\"left\"/><w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr></w:lvl>"
         "<w:lvl w:ilvl=\"1\"><w:start w:val=\"1\"/><w:numFmt w:val=\"lowerLetter\"/><w:lvlText w:val=\"%2)\"/>"
         "<w:lvlJc w:val=\"left\"/><w:pPr><w:ind w:left=\"1440\" w:hanging=\"360\"/></w:pPr></w:lvl></w:abstractNum>"
         "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>";
    for (int i = 0; i < qMin(numbered, int(Generator::MaxNumbered)); ++i)
        x += "<w:num w:numId=\"" + QByteArray::number(2 + i) + "\"><w:abstractNumId w:val=\"1\"/>"
             "<w:lvlOverride w:ilvl=\"0\"><w:startOverride w:val=\"1\"/></w:lvlOverride></w:num>";
    return x + "</w:numbering>";
}

QByteArray generateDocx(qsizetype target)
{
    Generator generator(target);
    const QByteArray document = generator.documentXml();
    g_documentXmlBytes = document.size();
    ZipWriter zip;
    zip.add(QStringLiteral("[Content_Types].xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
            "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
            "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
            "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
            "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
            "<Override PartName=\"/word/styles.xml\" ContentType=\"application/"
            "vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
            "<Override PartName=\"/word/numbering.xml\" ContentType=\"application/"
            "vnd.openxmlformats-officedocument.wordprocessingml.numbering+xml\"/></Types>");
    zip.add(QStringLiteral("_rels/.rels"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "officeDocument\" Target=\"word/document.xml\"/></Relationships>");
    QByteArray rels = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "relationships/styles\" Target=\"styles.xml\"/>"
                      "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "relationships/numbering\" Target=\"numbering.xml\"/>";
    for (int i = 0; i < Generator::Links; ++i)
        rels += "<Relationship Id=\"rIdLink" + QByteArray::number(i) + "\" Type=\"http://schemas.openxmlformats.org/"
                "officeDocument/2006/relationships/hyperlink\" Target=\"https://example.com/report/"
                + QByteArray::number(i) + "\" TargetMode=\"External\"/>";
    zip.add(QStringLiteral("word/_rels/document.xml.rels"), rels + "</Relationships>");
    zip.add(QStringLiteral("word/document.xml"), document);
    zip.add(QStringLiteral("word/styles.xml"), stylesXml());
    zip.add(QStringLiteral("word/numbering.xml"), numberingXml(generator.numberedLists()));
    return zip.finish();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString bigDocx()
{
    static QString path;
    if (path.isEmpty()) {
        path = g_dir->filePath(QStringLiteral("big.docx"));
        if (!writeFile(path, generateDocx(g_targetBytes)))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }
    return path;
}

void setInputCounters(benchmark::State &state)
{
    state.counters["document_xml_MB"] = double(g_documentXmlBytes) / 1048576.0;
    state.counters["docx_MB"] = double(QFileInfo(bigDocx()).size()) / 1048576.0;
}

// From nothing to a main window showing the file and having taken one key
// through the event queue, as bench_big_documents opens Rich Text.
void BM_OpenDocxIntoWindow(benchmark::State &state)
{
    const QString path = bigDocx();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto main = std::make_unique<frmMain>();
        main->MDIForm_Load();
        main->show();
        if (!fileMod::OpenFile(path)) {
            state.SkipWithError("the document did not open");
            return;
        }
        frmDoc *doc = main->ActiveForm();
        QApplication::postEvent(doc->rtf1, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier,
                                                         QStringLiteral("x")));
        while (!doc->rtf1->document()->begin().text().startsWith(QLatin1Char('x')))
            QApplication::processEvents();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        doc->bChanged = false;
    }
    setInputCounters(state);
    state.counters["peak_rss_MB"] = peakRssMb();
}

// The reader alone, into a document no view shows: what the opening costs
// before Qt lays anything out.
void BM_ReadDocx(benchmark::State &state)
{
    QFile file(bigDocx());
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("cannot read the document");
        return;
    }
    const QByteArray bytes = file.readAll();
    int blocks = 0;
    for (auto _ : state) {
        QTextDocument document;
        const DocxReader::Result result = DocxReader::read(bytes, document);
        if (!result.ok) {
            state.SkipWithError(qPrintable(result.errorText));
            return;
        }
        blocks = document.blockCount();
    }
    state.counters["blocks"] = blocks;
    state.counters["peak_rss_MB"] = peakRssMb();
}

// A Save of the open window as Word, file written and in place.
void BM_SaveDocxFromWindow(benchmark::State &state)
{
    auto main = std::make_unique<frmMain>();
    main->MDIForm_Load();
    main->show();
    if (!fileMod::OpenFile(bigDocx())) {
        state.SkipWithError("the document did not open");
        return;
    }
    frmDoc *doc = main->ActiveForm();
    const QString out = g_dir->filePath(QStringLiteral("saved.docx"));
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        if (!fileMod::WriteDocument(doc, out, RichTextBox::rtfDocx)) {
            state.SkipWithError("the save failed");
            return;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
    doc->bChanged = false;
    state.counters["saved_MB"] = double(QFileInfo(out).size()) / 1048576.0;
    state.counters["peak_rss_MB"] = peakRssMb();
}

// The writer alone, on a document read with no view.
void BM_WriteDocx(benchmark::State &state)
{
    QFile file(bigDocx());
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("cannot read the document");
        return;
    }
    QTextDocument document;
    DocxReader::read(file.readAll(), document);
    for (auto _ : state) {
        QString error;
        const QByteArray bytes = DocxWriter::write(document, &error);
        if (bytes.isEmpty()) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        benchmark::DoNotOptimize(bytes.constData());
    }
}

// Runs `program` over the big file for every iteration; the mean wall time
// of a run, or 0 when it failed (the state says why). Child processes' peak
// memory goes in a counter; it is the largest child so far, so the
// benchmarks that run a child come in increasing order of appetite
// (Quillet, LibreOffice, pandoc as measured here).
double timeProcess(benchmark::State &state, const QString &program, const QStringList &arguments,
                   const QString &output)
{
    double total = 0;
    for (auto _ : state) {
        QFile::remove(output);
        QElapsedTimer timer;
        timer.start();
        QProcess p;
        p.start(program, arguments);
        if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0
            || !QFile::exists(output)) {
            state.SkipWithError(qPrintable(QStringLiteral("%1 failed: %2").arg(program,
                                                                                QString::fromLocal8Bit(p.readAllStandardError()).left(200))));
            return 0;
        }
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        total += seconds;
        state.SetIterationTime(seconds);
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    state.counters["children_peak_MB"] = double(usage.ru_maxrss) / 1024.0;
    state.counters["text_MB"] = double(QFileInfo(output).size()) / 1048576.0;
    return state.iterations() ? total / double(state.iterations()) : 0;
}

#ifdef QUILLET_CONVERT_PATH
void BM_ConvertDocxToText(benchmark::State &state)
{
    const QString out = g_dir->filePath(QStringLiteral("quillet.txt"));
    g_quilletSeconds = timeProcess(state, QStringLiteral(QUILLET_CONVERT_PATH), {bigDocx(), out}, out);
}
#endif

void setRatio(benchmark::State &state, double theirs)
{
    if (g_quilletSeconds > 0 && theirs > 0)
        state.counters["quillet_ratio"] = g_quilletSeconds / theirs;
}

void BM_SofficeToText(benchmark::State &state)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) {
        state.SkipWithError("soffice is not on PATH: LibreOffice not timed");
        for (auto _ : state) {
        }
        return;
    }
    // A profile of its own, made by an untimed first run, so that neither a
    // running LibreOffice nor the first start's set-up is measured.
    const QString profile = QStringLiteral("-env:UserInstallation=file://%1").arg(g_dir->filePath(QStringLiteral("lo-profile")));
    const QString outDir = g_dir->filePath(QStringLiteral("soffice"));
    const QStringList arguments = {profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                   QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("--outdir"), outDir,
                                   bigDocx()};
    static bool warmed = false;
    if (!warmed) {
        QProcess warm;
        warm.start(soffice, arguments);
        warm.waitForFinished(600000);
        warmed = true;
    }
    g_sofficeSeconds = timeProcess(state, soffice, arguments, outDir + QStringLiteral("/big.txt"));
    setRatio(state, g_sofficeSeconds);
}

void BM_PandocToText(benchmark::State &state)
{
    const QString pandoc = QStandardPaths::findExecutable(QStringLiteral("pandoc"));
    if (pandoc.isEmpty()) {
        state.SkipWithError("pandoc is not on PATH: pandoc not timed");
        for (auto _ : state) {
        }
        return;
    }
    const QString out = g_dir->filePath(QStringLiteral("pandoc.txt"));
    g_pandocSeconds = timeProcess(state, pandoc,
                                  {QStringLiteral("-f"), QStringLiteral("docx"), QStringLiteral("-t"),
                                   QStringLiteral("plain"), QStringLiteral("-o"), out, bigDocx()},
                                  out);
    setRatio(state, g_pandocSeconds);
}

} // namespace

BENCHMARK(BM_OpenDocxIntoWindow)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_ReadDocx)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveDocxFromWindow)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_WriteDocx)->Unit(benchmark::kMillisecond)->Iterations(3);
#ifdef QUILLET_CONVERT_PATH
BENCHMARK(BM_ConvertDocxToText)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
#endif
BENCHMARK(BM_SofficeToText)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_PandocToText)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    // --docx-kb=N makes the document.xml about N kB instead (for profiling);
    // --write-docx=PATH saves the generated document and stops.
    QString writeTo;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg.startsWith("--docx-kb="))
            g_targetBytes = arg.mid(10).toLongLong() * 1024;
        else if (arg.startsWith("--write-docx="))
            writeTo = QString::fromLocal8Bit(arg.mid(13));
    }
    if (!writeTo.isEmpty()) {
        const QByteArray bytes = generateDocx(g_targetBytes);
        std::printf("document.xml: %lld bytes, package: %lld bytes\n", qint64(g_documentXmlBytes), qint64(bytes.size()));
        return writeFile(writeTo, bytes) ? 0 : 1;
    }
    // The key must exist before a value can be set in it.
    modRegistry::CreateSettingsKey(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey);
    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
    // Our own flags are not Google Benchmark's: take them out before it looks.
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (!QByteArray(argv[i]).startsWith("--docx-kb="))
            argv[kept++] = argv[i];
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    bigDocx();   // generated once, outside every measurement
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_quilletSeconds > 0) {
        std::printf("\nquillet-convert to text: %.3f s\n", g_quilletSeconds);
        if (g_sofficeSeconds > 0)
            std::printf("soffice --convert-to txt: %.3f s, Quillet's time / LibreOffice's = %.3f\n", g_sofficeSeconds,
                        g_quilletSeconds / g_sofficeSeconds);
        else
            std::printf("soffice not timed (not on PATH, failed, or filtered out)\n");
        if (g_pandocSeconds > 0)
            std::printf("pandoc -t plain: %.3f s, Quillet's time / pandoc's = %.3f\n", g_pandocSeconds,
                        g_quilletSeconds / g_pandocSeconds);
        else
            std::printf("pandoc not timed (not on PATH, failed, or filtered out)\n");
    }
    return 0;
}
