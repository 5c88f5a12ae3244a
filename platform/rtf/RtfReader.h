#pragma once

#include <QByteArray>
#include <QString>

class QTextCursor;
class QTextDocument;

// Reads Rich Text Format into a QTextDocument. Never throws and never crashes
// on malformed input: it reads what it can and describes the rest in the
// result's error text.
class RtfReader
{
public:
    struct Result
    {
        bool ok = true;        // false only when nothing usable was read
        QString errorText;     // problems met on the way, empty when none
        // Content was lost: the data ended before the document did, or held
        // bytes that could not be read, or a safety limit dropped something.
        bool incomplete = false;
    };

    // Replaces the whole document with the RTF content.
    static Result read(const QByteArray &rtf, QTextDocument &document);
    // The plain text a read and then a text save with lineEnd would give,
    // list labels included, without building a document.
    static Result readText(const QByteArray &rtf, const QString &lineEnd, QString &text);
    // Inserts the RTF content at the cursor (replacing its selection).
    static Result insert(const QByteArray &rtf, QTextCursor &cursor);
    // True when the bytes start (after white space) with "{\rtf".
    static bool isRtf(const QByteArray &bytes);
};
