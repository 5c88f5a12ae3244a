#include "help/modView.h"

#include <QAction>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include <algorithm>

namespace {

// The windows to arrange, the active one first, then the others from the
// front to the back.
QList<QMdiSubWindow *> windowsFrontToBack(QMdiArea *area, bool minimized)
{
    QList<QMdiSubWindow *> windows = area->subWindowList(QMdiArea::StackingOrder);
    std::reverse(windows.begin(), windows.end());
    if (QMdiSubWindow *active = area->activeSubWindow() ? area->activeSubWindow()
                                                        : area->currentSubWindow()) {
        if (windows.removeOne(active))
            windows.prepend(active);
    }
    windows.erase(std::remove_if(windows.begin(), windows.end(),
                                 [minimized](QMdiSubWindow *w) {
                                     return w->isHidden() || w->isMinimized() != minimized;
                                 }),
                  windows.end());
    return windows;
}

// One band per window, across (one above the other) or down (side by side).
void tile(QMdiArea *area, bool horizontally)
{
    const QList<QMdiSubWindow *> windows = windowsFrontToBack(area, false);
    if (windows.isEmpty())
        return;
    for (QMdiSubWindow *w : windows) {
        if (w->isMaximized())
            w->showNormal();
    }
    const QRect space = area->viewport()->rect();
    const int count = int(windows.size());
    for (int i = 0; i < count; ++i) {
        QRect band;
        if (horizontally) {
            const int top = space.top() + space.height() * i / count;
            const int bottom = space.top() + space.height() * (i + 1) / count;
            band = QRect(space.left(), top, space.width(), bottom - top);
        } else {
            const int left = space.left() + space.width() * i / count;
            const int right = space.left() + space.width() * (i + 1) / count;
            band = QRect(left, space.top(), right - left, space.height());
        }
        windows.at(i)->setGeometry(band);
    }
}

void cascade(QMdiArea *area)
{
    QList<QMdiSubWindow *> windows = windowsFrontToBack(area, false);
    if (windows.isEmpty())
        return;
    for (QMdiSubWindow *w : std::as_const(windows)) {
        if (w->isMaximized())
            w->showNormal();
    }
    // The front window ends on top, at the last step of the stair.
    std::reverse(windows.begin(), windows.end());
    const QRect space = area->viewport()->rect();
    const int step = area->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.first())
                     + 4;
    const int count = int(windows.size());
    const QSize size(qMax(space.width() * 3 / 4, space.width() - step * (count - 1)),
                     qMax(space.height() * 3 / 4, space.height() - step * (count - 1)));
    const int room = qMax(1, qMin((space.width() - size.width()) / step,
                                  (space.height() - size.height()) / step) + 1);
    for (int i = 0; i < count; ++i) {
        const int offset = (i % room) * step;
        QMdiSubWindow *w = windows.at(i);
        w->setGeometry(QRect(space.topLeft() + QPoint(offset, offset), size));
        w->raise();
    }
}

// Minimized windows in a row along the bottom, wrapping upwards.
void arrangeIcons(QMdiArea *area)
{
    QList<QMdiSubWindow *> icons = area->subWindowList(QMdiArea::CreationOrder);
    icons.erase(std::remove_if(icons.begin(), icons.end(),
                               [](QMdiSubWindow *w) { return w->isHidden() || !w->isMinimized(); }),
                icons.end());
    const QRect space = area->viewport()->rect();
    int rowHeight = 0;
    for (const QMdiSubWindow *w : std::as_const(icons))
        rowHeight = qMax(rowHeight, w->height());
    int x = space.left();
    int rowBottom = space.bottom() + 1;
    for (QMdiSubWindow *w : std::as_const(icons)) {
        if (x > space.left() && x + w->width() > space.right() + 1) {
            x = space.left();
            rowBottom -= rowHeight;
        }
        w->move(x, rowBottom - w->height());
        x += w->width();
    }
}

} // namespace

namespace modView {

void InvertVisibility(QWidget *element)
{
    if (element)
        element->setVisible(element->isHidden());
}

void InvertRulerBand(QWidget *band, QWidget *rebar)
{
    InvertVisibility(band);
    if (!rebar)
        return;
    bool anyShown = false;
    for (QWidget *child : rebar->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        anyShown = anyShown || !child->isHidden();
    rebar->setVisible(anyShown);
}

void ApplyStatusBarEntry(const QAction *entry, QWidget *statusBar)
{
    if (entry && statusBar)
        statusBar->setVisible(entry->isChecked());
}

void Arrange(QMdiArea *area, int arrangement)
{
    if (!area)
        return;
    switch (arrangement) {
    case vbCascade: cascade(area); break;
    case vbTileHorizontal: tile(area, true); break;
    case vbTileVertical: tile(area, false); break;
    case vbArrangeIcons: arrangeIcons(area); break;
    default: break;
    }
}

}
