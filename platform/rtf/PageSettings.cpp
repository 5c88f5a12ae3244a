#include "PageSettings.h"

#include "RtfLimits.h"
#include "RtfProperties.h"

#include <QTextDocument>
#include <QTextFrame>

#include <cctype>

PageSettings::PageSettings(const QTextDocument &document)
    : m_settings(document.rootFrame()->frameFormat().property(RtfProperties::DocumentSettings).toByteArray())
{
}

std::optional<int> PageSettings::word(const char *name) const
{
    const QByteArray key = QByteArray("\\") + name;
    for (qsizetype at = m_settings.indexOf(key); at >= 0; at = m_settings.indexOf(key, at + 1)) {
        qsizetype i = at + key.size();
        // \margl must not be taken for \marglsxn.
        const bool negative = i < m_settings.size() && m_settings.at(i) == '-';
        if (negative)
            ++i;
        const qsizetype digits = i;
        qint64 value = 0;
        while (i < m_settings.size() && m_settings.at(i) >= '0' && m_settings.at(i) <= '9' && i - digits < 10)
            value = value * 10 + (m_settings.at(i++) - '0');
        if (i == digits)
            continue;
        return int(qBound<qint64>(0, negative ? -value : value, qint64(RtfLimits::MaxTwips) * 2));
    }
    return std::nullopt;
}

bool PageSettings::landscape() const
{
    for (qsizetype at = m_settings.indexOf("\\landscape"); at >= 0; at = m_settings.indexOf("\\landscape", at + 1)) {
        const qsizetype end = at + 10;
        if (end >= m_settings.size() || !std::isalpha(static_cast<unsigned char>(m_settings.at(end))))
            return true;
    }
    return false;
}

std::optional<QSizeF> PageSettings::paperPoints() const
{
    const std::optional<int> width = word("paperw");
    const std::optional<int> height = word("paperh");
    // Less than an inch either way is no paper anyone prints on.
    if (!width || !height || *width < 1440 || *height < 1440)
        return std::nullopt;
    return QSizeF(*width / 20.0, *height / 20.0);
}
