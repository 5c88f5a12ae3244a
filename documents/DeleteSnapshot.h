#pragma once

#include <QString>
#include <QStringList>

class RichTextBox;

// The snapshot a document window writes on every release of the Delete key:
// the whole document as rich text in "temp/$1.rtf" below the program's
// folder, or below the user's application data folder when the program's
// folder cannot take it. The "temp" folder is made when missing.
//
// A snapshot that cannot be written is dropped silently: it is a convenience
// copy that nothing reads back, and the key press must still reach the
// document without a message getting in the way of typing.
class DeleteSnapshot
{
public:
    static QString fileName() { return QStringLiteral("$1.rtf"); }

    // Folders tried in order, each holding "temp".
    static QStringList baseFolders();
    // Where the last successful write went; empty when none succeeded yet.
    static QString lastPath();

    static bool write(RichTextBox *rtb);

    // Tests: use only this folder as the base (empty: back to the defaults).
    static void setBaseFolder(const QString &folder);
};
