#include "OdtWriter.h"

#include "OdtPackageWriter.h"

QByteArray OdtWriter::write(const QTextDocument &document, QString *error)
{
    return OdtPackageWriter(document).package(error);
}
