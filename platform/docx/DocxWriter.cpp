#include "DocxWriter.h"

#include "DocxPackageWriter.h"

QByteArray DocxWriter::write(const QTextDocument &document, QString *error)
{
    return DocxPackageWriter(document).package(error);
}
