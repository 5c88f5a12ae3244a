#pragma once

#include <QString>
#include <QtGlobal>

#include <concepts>

// A run-time error to report: number 0 means there is nothing to report.
struct ErrorInfo
{
    long number = 0;
    QString description;
};

// The program's message box and error log.
namespace modMessageError {

// The 16-bit Booleans of okOnly: only vbTrue (-1) shows OK alone; every
// other value shows Yes, No and Cancel.
constexpr qint16 vbTrue = -1;
constexpr qint16 vbFalse = 0;

// Icon kinds: 0 critical, 1 question, 2 exclamation, 3 information; any
// other value shows no icon.
enum IconKind : qint16 { iconCritical = 0, iconQuestion = 1, iconExclamation = 2, iconInformation = 3 };

// The button that closed the message box, as the system message box codes it.
enum Answer : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// Shows the message box modally over the main window and returns the button
// that closed it. The answer is also left in frmMain's bYes / bNo / bCancel,
// all cleared when the box opens.
Answer ShowMessage(const QString &msgText, const QString &msgTitle, qint16 iconKind, qint16 okOnly);
// A C++ bool would silently turn true into 1 (Yes/No/Cancel): refuse it,
// while plain int arguments still reach the call above.
template <typename B>
    requires std::same_as<B, bool>
Answer ShowMessage(const QString &, const QString &, qint16, B) = delete;

// Appends one record to Error.log and tells the user. Does nothing for an
// error number of 0. A log that cannot be written still shows the message.
void LogError(const QString &errSource, const ErrorInfo &err);

// The folder Error.log goes to: the program's folder when it is writable,
// otherwise the user's application data folder. Tests redirect it with
// SetLogFolder (an empty folder restores the default).
QString LogFolder();
void SetLogFolder(const QString &folder);
QString ErrorLogPath();

}
