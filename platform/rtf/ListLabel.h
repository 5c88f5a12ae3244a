#pragma once

#include <QString>

class QTextBlock;
class QTextList;

// The label a list item shows, as text: its number between the list's prefix
// and suffix, or a bullet. Plain text saves write it before the item.
namespace ListLabel {

QString of(const QTextList &list, const QTextBlock &block);

}
