#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The toolbar pictures, drawn in code so that they stay one consistent set
// at every size: an icon per button key, and the ruler-scale strip.
class ToolbarIcons
{
public:
    // The icon of a toolbar button key ("new", "bold"); an empty icon for a
    // key it does not know.
    static QIcon icon(const QString &key);
    // True for every key of the two toolbars.
    static bool knows(const QString &key);
    // The ruler scale: inch marks with eighths, numbered, at 96 pixels per
    // inch.
    static QPixmap rulerScale(int width, int height);

private:
    static QPixmap draw(const QString &key, int size);
};
