#pragma once

class QPrinter;
class QString;

// File > Print and File > Print Preview. Print asks with the print dialog,
// then prints the whole active document, with its formatting, on the printer
// chosen there (copies and page range as chosen), and leaves the caret at the
// start of the document. A cancelled dialog prints nothing and keeps the
// selection; a print that fails is reported with its reason and also keeps
// the selection.
namespace modPrint {

void menuPrint_Click();
// Only a notice: there is no preview.
void ppreview_Click();
// File > Export as PDF: asks for a name, then writes every page of the
// active document, laid out as printing lays it out, with its links live.
// The selection stays; a failure is reported and leaves any file there whole.
void menuFileExportPdf_Click();

// Why printer cannot take a job, or empty when it can.
QString PrinterProblem(QPrinter *printer);

}
