#include "OdtWordChart.h"

#include "DocxKept.h"
#include "XmlPart.h"

#include <QList>
#include <QMap>
#include <QXmlStreamWriter>

#include <algorithm>

namespace {
const QString R = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString OFFICE = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString CHART = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:chart:1.0");
const QString TABLE = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString TEXT = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
// Charts past these are written up to them.
constexpr int MaxSeries = 64;
constexpr int MaxPoints = 4096;

struct Series
{
    QString name;
    QMap<int, QString> categories, values;
};

// "A", "B", ... "Z", "AA": a column of the chart's table.
QString column(int n)
{
    QString out;
    for (++n; n > 0; n = (n - 1) / 26)
        out.prepend(QChar(u'A' + (n - 1) % 26));
    return out;
}

QString cellRange(int col0, int row0, int col1, int row1)
{
    return QStringLiteral("local-table.$%1$%2:.$%3$%4").arg(column(col0)).arg(row0 + 1).arg(column(col1)).arg(row1 + 1);
}

QString xmlSafe(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 || c == u'\t' || c == u'\n')
            out += c;
    }
    return out;
}
}

QByteArray OdtWordChart::content(const DocxKept &kept, const QByteArray &element, qint64 *cx, qint64 *cy)
{
    // The chart the drawing names, through the kept relationships.
    QString id;
    *cx = *cy = 0;
    XmlPart::walk(element, [&](const QXmlStreamReader &xml) {
        if (xml.tokenType() != QXmlStreamReader::StartElement)
            return true;
        if (xml.name() == QLatin1String("extent") && *cx == 0) {
            *cx = qBound(qint64(0), xml.attributes().value(QStringLiteral("cx")).toLongLong(), qint64(100000000));
            *cy = qBound(qint64(0), xml.attributes().value(QStringLiteral("cy")).toLongLong(), qint64(100000000));
        }
        if (xml.name() == QLatin1String("chart"))
            id = xml.attributes().value(R, QStringLiteral("id")).toString();
        return id.isEmpty();
    });
    if (id.isEmpty())
        return {};
    const auto rel = std::find_if(kept.relations.cbegin(), kept.relations.cend(),
                                  [&id](const DocxKept::Relation &r) { return r.id == id && !r.external; });
    if (rel == kept.relations.cend() || rel->part < 0 || rel->part >= kept.parts.size())
        return {};

    QString type;
    QList<Series> series;
    QStringList path;
    int point = -1;
    XmlPart::walk(kept.parts.at(rel->part).bytes, [&](const QXmlStreamReader &xml) {
        if (xml.tokenType() == QXmlStreamReader::StartElement) {
            const QString name = xml.name().toString();
            path.append(name);
            if (type.isEmpty() && path.size() >= 2 && path.at(path.size() - 2) == QLatin1String("plotArea")
                && name.endsWith(QLatin1String("Chart")))
                type = name;
            if (name == QLatin1String("ser") && series.size() < MaxSeries)
                series.append(Series());
            else if (name == QLatin1String("pt"))
                point = xml.attributes().value(QStringLiteral("idx")).toInt();
        } else if (xml.tokenType() == QXmlStreamReader::EndElement) {
            path.removeLast();
        } else if (xml.tokenType() == QXmlStreamReader::Characters && !series.isEmpty() && path.endsWith(QStringLiteral("v"))
                   && path.contains(QStringLiteral("ser")) && point >= 0 && point < MaxPoints) {
            Series &s = series.last();
            if (path.contains(QStringLiteral("tx")))
                s.name += xml.text();
            else if (path.contains(QStringLiteral("cat")) || path.contains(QStringLiteral("xVal")))
                s.categories[point] += xml.text();
            else if (path.contains(QStringLiteral("val")) || path.contains(QStringLiteral("yVal")))
                s.values[point] += xml.text();
        }
        return true;
    });
    int rows = 0;
    for (const Series &s : std::as_const(series)) {
        if (!s.values.isEmpty())
            rows = qMax(rows, s.values.lastKey() + 1);
        if (!s.categories.isEmpty())
            rows = qMax(rows, s.categories.lastKey() + 1);
    }
    if (series.isEmpty() || rows == 0)
        return {};
    const QString chartClass = type == QLatin1String("lineChart") || type == QLatin1String("line3DChart") ? QStringLiteral("chart:line")
        : type == QLatin1String("pieChart") || type == QLatin1String("pie3DChart") || type == QLatin1String("ofPieChart") ? QStringLiteral("chart:circle")
        : type == QLatin1String("doughnutChart") ? QStringLiteral("chart:ring")
        : type == QLatin1String("areaChart") || type == QLatin1String("area3DChart") ? QStringLiteral("chart:area")
        : type == QLatin1String("scatterChart") ? QStringLiteral("chart:scatter")
        : type == QLatin1String("radarChart") ? QStringLiteral("chart:radar")
                                              : QStringLiteral("chart:bar");
    const int columns = int(series.size());

    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeNamespace(OFFICE, QStringLiteral("office"));
    xml.writeNamespace(CHART, QStringLiteral("chart"));
    xml.writeNamespace(TABLE, QStringLiteral("table"));
    xml.writeNamespace(TEXT, QStringLiteral("text"));
    xml.writeStartElement(OFFICE, QStringLiteral("document-content"));
    xml.writeAttribute(OFFICE, QStringLiteral("version"), QStringLiteral("1.2"));
    xml.writeStartElement(OFFICE, QStringLiteral("body"));
    xml.writeStartElement(OFFICE, QStringLiteral("chart"));
    xml.writeStartElement(CHART, QStringLiteral("chart"));
    xml.writeAttribute(CHART, QStringLiteral("class"), chartClass);
    xml.writeStartElement(CHART, QStringLiteral("plot-area"));
    xml.writeAttribute(TABLE, QStringLiteral("cell-range-address"), cellRange(0, 0, columns, rows));
    xml.writeAttribute(CHART, QStringLiteral("data-source-has-labels"), QStringLiteral("both"));
    xml.writeStartElement(CHART, QStringLiteral("axis"));
    xml.writeAttribute(CHART, QStringLiteral("dimension"), QStringLiteral("x"));
    xml.writeAttribute(CHART, QStringLiteral("name"), QStringLiteral("primary-x"));
    xml.writeEmptyElement(CHART, QStringLiteral("categories"));
    xml.writeAttribute(TABLE, QStringLiteral("cell-range-address"), cellRange(0, 1, 0, rows));
    xml.writeEndElement();
    xml.writeEmptyElement(CHART, QStringLiteral("axis"));
    xml.writeAttribute(CHART, QStringLiteral("dimension"), QStringLiteral("y"));
    xml.writeAttribute(CHART, QStringLiteral("name"), QStringLiteral("primary-y"));
    for (int c = 1; c <= columns; ++c) {
        xml.writeEmptyElement(CHART, QStringLiteral("series"));
        xml.writeAttribute(CHART, QStringLiteral("values-cell-range-address"), cellRange(c, 1, c, rows));
        xml.writeAttribute(CHART, QStringLiteral("label-cell-address"),
                           QStringLiteral("local-table.$%1$1").arg(column(c)));
    }
    xml.writeEndElement();   // plot-area

    // The values as a table: the series' names across, the categories down.
    const auto cell = [&xml](const QString &text, bool number) {
        xml.writeStartElement(TABLE, QStringLiteral("table-cell"));
        bool ok = false;
        const double value = text.trimmed().toDouble(&ok);
        if (number && ok) {
            xml.writeAttribute(OFFICE, QStringLiteral("value-type"), QStringLiteral("float"));
            xml.writeAttribute(OFFICE, QStringLiteral("value"), QString::number(value, 'g', 15));
        } else if (!text.isEmpty()) {
            xml.writeAttribute(OFFICE, QStringLiteral("value-type"), QStringLiteral("string"));
        }
        if (!text.isEmpty())
            xml.writeTextElement(TEXT, QStringLiteral("p"), xmlSafe(text));
        xml.writeEndElement();
    };
    xml.writeStartElement(TABLE, QStringLiteral("table"));
    xml.writeAttribute(TABLE, QStringLiteral("name"), QStringLiteral("local-table"));
    xml.writeStartElement(TABLE, QStringLiteral("table-header-columns"));
    xml.writeEmptyElement(TABLE, QStringLiteral("table-column"));
    xml.writeEndElement();
    xml.writeStartElement(TABLE, QStringLiteral("table-columns"));
    xml.writeEmptyElement(TABLE, QStringLiteral("table-column"));
    xml.writeAttribute(TABLE, QStringLiteral("number-columns-repeated"), QString::number(columns));
    xml.writeEndElement();
    xml.writeStartElement(TABLE, QStringLiteral("table-header-rows"));
    xml.writeStartElement(TABLE, QStringLiteral("table-row"));
    cell(QString(), false);
    for (const Series &s : std::as_const(series))
        cell(s.name, false);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(TABLE, QStringLiteral("table-rows"));
    for (int r = 0; r < rows; ++r) {
        xml.writeStartElement(TABLE, QStringLiteral("table-row"));
        cell(series.first().categories.value(r), false);
        for (const Series &s : std::as_const(series))
            cell(s.values.value(r), true);
        xml.writeEndElement();
    }
    xml.writeEndElement();   // table-rows
    xml.writeEndElement();   // table
    xml.writeEndElement();   // chart:chart
    xml.writeEndElement();   // office:chart
    xml.writeEndElement();   // office:body
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}
