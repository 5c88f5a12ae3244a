#pragma once

#include <QByteArray>

class DocxKept;

// A Word file's chart is kept as its Word part, for a Word save. An
// OpenDocument save writes it as a chart object of its own, made here from
// the values the part keeps with each series (its cached names, categories
// and numbers; not its look).
namespace OdtWordChart {
// The content.xml of the chart object for a kept drawing that holds a
// chart (c:chart r:id), or empty if it holds none or the kept parts lack it;
// *cx and *cy get the drawing's size (EMU), 0 where it gives none.
QByteArray content(const DocxKept &kept, const QByteArray &element, qint64 *cx, qint64 *cy);
}
