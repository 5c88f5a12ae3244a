#pragma once

#include <QByteArray>
#include <QSizeF>

#include <optional>

class QTextDocument;

// The page a document was written for, as its file gave it: the settings
// words (\paperw, \margl, \landscape...) kept on the root frame as read,
// whatever the file's format.
class PageSettings
{
public:
    explicit PageSettings(const QTextDocument &document);
    explicit PageSettings(const QByteArray &settings) : m_settings(settings) {}

    // The parameter of the first \name, within sane bounds, if it is there.
    std::optional<int> word(const char *name) const;
    int word(const char *name, int fallback) const { return word(name).value_or(fallback); }
    bool landscape() const;
    // The paper in points, when the file named a usable one.
    std::optional<QSizeF> paperPoints() const;

private:
    QByteArray m_settings;
};
