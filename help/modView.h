#pragma once

class QAction;
class QMdiArea;
class QWidget;

// The View menu's toggles and the Window menu's arrangements.
//
// A toggle's check mark is inverted by the menu entry itself (a checkable
// action flips on every trigger); the element's visibility is inverted here,
// independently, so the two agree only because both start shown and
// checked. The status bar alone follows its entry's new check mark.
namespace modView {

// Arrangement codes of the main window's arrange operation.
enum Arrangement { vbCascade = 0, vbTileHorizontal = 1, vbTileVertical = 2, vbArrangeIcons = 3 };

// Shows a hidden element, hides a shown one.
void InvertVisibility(QWidget *element);
// A ruler band: inverted as above; the ruler rebar holding it takes no
// room at all while every band in it is hidden.
void InvertRulerBand(QWidget *band, QWidget *rebar);
// The status bar: shown exactly when its entry is checked.
void ApplyStatusBarEntry(const QAction *entry, QWidget *statusBar);

// Cascade or tile the document windows that are not minimized, or line up
// the minimized ones along the bottom of the area. Maximized windows are
// restored first, as tiling them would mean nothing.
void Arrange(QMdiArea *area, int arrangement);

}
