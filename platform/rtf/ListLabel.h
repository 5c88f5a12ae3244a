#pragma once

#include <QString>
#include <QTextListFormat>

class QTextBlock;
class QTextList;

// The label a list item shows, as text: its number between the list's prefix
// and suffix, or a bullet. Plain text saves write it before the item. A list
// whose first number is not 1 (RtfProperties::ListStart) counts from there;
// one read with a numbering Qt has no style for (RtfProperties::
// ListNumberFormat, "chineseCounting") is numbered in it.
namespace ListLabel {

QString of(const QTextList &list, const QTextBlock &block);
// A number as a list label shows it in the given style ("iv", "D", "12"),
// or in the named numbering when it is one known here ("十二").
QString number(QTextListFormat::Style style, int n, const QString &numbering = QString());
// Whether `numbering` (Word's w:numFmt names) is one number() knows.
bool knows(const QString &numbering);

}
