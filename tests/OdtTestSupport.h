#pragma once

#include <ZipWriter.h>

#include <QByteArray>

// OpenDocument packages made from their XML, for the tests.
namespace OdtTestSupport {
inline const char *odfNamespaces()
{
    return "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
           "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
           "xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
           "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\"";
}

// `master`: the master page's content (headers, footers); `files`: further
// entries, as they are.
inline QByteArray odt(const QByteArray &automaticStyles, const QByteArray &text, const QByteArray &content = {},
                      const QByteArray &master = {}, const QList<std::pair<QString, QByteArray>> &files = {})
{
    ZipWriter zip;
    zip.add(QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.text", true);
    zip.add(QStringLiteral("content.xml"),
            content.isEmpty() ? "<?xml version=\"1.0\"?><office:document-content " + QByteArray(odfNamespaces())
                                    + "><office:automatic-styles>" + automaticStyles
                                    + "</office:automatic-styles><office:body><office:text>" + text
                                    + "</office:text></office:body></office:document-content>"
                              : content);
    zip.add(QStringLiteral("styles.xml"),
            "<?xml version=\"1.0\"?><office:document-styles " + QByteArray(odfNamespaces()) + "><office:styles>"
            "<style:style style:name=\"Heading_20_1\" style:family=\"paragraph\"><style:text-properties "
            "fo:font-size=\"16pt\" fo:font-weight=\"bold\" fo:color=\"#2e74b5\"/></style:style></office:styles>"
            "<office:automatic-styles><style:page-layout style:name=\"pm1\"><style:page-layout-properties "
            "fo:page-width=\"21cm\" fo:page-height=\"29.7cm\" fo:margin-top=\"1in\" fo:margin-bottom=\"72pt\" "
            "fo:margin-left=\"2.54cm\" fo:margin-right=\"25.4mm\"/></style:page-layout></office:automatic-styles>"
            "<office:master-styles><style:master-page style:name=\"Standard\" style:page-layout-name=\"pm1\">"
            + master + "</style:master-page></office:master-styles></office:document-styles>");
    for (const auto &[name, bytes] : files)
        zip.add(name, bytes);
    return zip.finish();
}

// The structures of DocxTestSupport's sample, as LibreOffice would write them.
inline QByteArray richOdt()
{
    const QByteArray styles = R"x(
<style:style style:name="P1" style:family="paragraph"><style:paragraph-properties fo:text-align="center" fo:margin-left="1in" fo:margin-right="0.5in" fo:text-indent="18pt" fo:margin-top="6pt" fo:margin-bottom="12pt"/></style:style>
<style:style style:name="T1" style:family="text"><style:text-properties fo:font-weight="bold" fo:font-style="italic"/></style:style>
<style:style style:name="T2" style:family="text"><style:text-properties style:text-underline-style="solid" style:text-line-through-style="solid" fo:color="#ff0000" fo:background-color="#ffff00" fo:font-size="14pt" style:font-name="Georgia"/></style:style>
<style:style style:name="T3" style:family="text"><style:text-properties style:text-position="super 58%"/></style:style>
<style:style style:name="P2" style:family="paragraph"><style:paragraph-properties fo:text-align="end" style:writing-mode="rl-tb"/></style:style>
<style:style style:name="P3" style:family="paragraph"><style:paragraph-properties fo:break-before="page"/></style:style>
<style:style style:name="C1" style:family="table-cell"><style:table-cell-properties fo:background-color="#ffff00" fo:border="0.5pt solid #000000"/></style:style>
<style:style style:name="C2" style:family="table-cell"><style:table-cell-properties fo:border="0.5pt solid #000000"/></style:style>
<text:list-style style:name="L1">
 <text:list-level-style-number text:level="1" style:num-suffix="." style:num-format="1"><style:list-level-properties text:list-level-position-and-space-mode="label-alignment"><style:list-level-label-alignment fo:margin-left="0.5in" fo:text-indent="-0.25in"/></style:list-level-properties></text:list-level-style-number>
 <text:list-level-style-number text:level="2" style:num-suffix=")" style:num-format="a" text:display-levels="2"><style:list-level-properties text:list-level-position-and-space-mode="label-alignment"><style:list-level-label-alignment fo:margin-left="1in" fo:text-indent="-0.25in"/></style:list-level-properties></text:list-level-style-number>
</text:list-style>
<text:list-style style:name="L2"><text:list-level-style-bullet text:level="1" text:bullet-char="•"/></text:list-style>)x";
    const QByteArray text = R"x(
<text:h text:style-name="Heading_20_1" text:outline-level="1">Title</text:h>
<text:p text:style-name="P1">Hello <text:span text:style-name="T1">bold</text:span><text:span text:style-name="T2"> red &amp; </text:span><text:span text:style-name="T3">2</text:span><text:a xlink:type="simple" xlink:href="https://example.org/a?b=1&amp;c=2">link</text:a></text:p>
<text:list text:style-name="L1"><text:list-item><text:p>first</text:p>
  <text:list><text:list-item><text:p>sub</text:p></text:list-item></text:list></text:list-item>
  <text:list-item><text:p>second</text:p></text:list-item></text:list>
<text:list text:style-name="L2"><text:list-item><text:p>dot</text:p></text:list-item></text:list>
<table:table table:name="T"><table:table-column table:number-columns-repeated="3"/>
 <table:table-row><table:table-cell table:style-name="C1" table:number-columns-spanned="2"><text:p>AB</text:p></table:table-cell><table:covered-table-cell/>
  <table:table-cell table:style-name="C2" table:number-rows-spanned="2"><text:p>C</text:p></table:table-cell></table:table-row>
 <table:table-row><table:table-cell table:style-name="C2"><text:p>a</text:p></table:table-cell>
  <table:table-cell table:style-name="C2"><text:p>b</text:p><table:table><table:table-column/><table:table-row><table:table-cell><text:p>inner</text:p></table:table-cell></table:table-row></table:table></table:table-cell>
  <table:covered-table-cell/></table:table-row></table:table>
<text:p text:style-name="P2">שלום</text:p>
<text:p>東京<text:tab/>tab<text:line-break/>line</text:p><text:p text:style-name="P3">page</text:p>)x";
    return odt(styles, text);
}
}

