#include "shell/ToolbarIcons.h"

#include <QPainter>

QIcon ToolbarIcons::icon(const QString &key)
{
    Q_UNUSED(key);
    return {};
}

bool ToolbarIcons::knows(const QString &key)
{
    Q_UNUSED(key);
    return false;
}

QPixmap ToolbarIcons::rulerScale(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::white);
    return pixmap;
}

QPixmap ToolbarIcons::draw(const QString &key, int size)
{
    Q_UNUSED(key);
    return QPixmap(size, size);
}
