#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

class QWidget;

// Every modal question and dialog of the program passes through this seam
// before it blocks. A real run finds nothing queued and shows the real
// dialog; a test queues answers ahead of time, and reads back what was asked.
//
// Answers, by kind of question:
//   "message"  the program's own message box: "Yes", "No", "Cancel" or "OK"
//              (the button of that caption is clicked on the real dialog)
//   "system"   the system message box: the button code (1 OK, 2 Cancel, 6 Yes, 7 No)
//   "open", "save"  the chosen path; an empty string cancels
//   "color"    0x00BBGGRR as int; an invalid QVariant cancels
//   "font"     a QFont; an invalid QVariant cancels
//   "print"    true to print, false to cancel
//   "dialog"   any other modal form: the answer is handed to the form
// A Responder may instead drive the real dialog (Question::dialog) itself and
// return the answer to report.
class ModalSeam
{
public:
    struct Question
    {
        QString kind;
        QString title;
        QString text;
        QWidget *dialog = nullptr;   // the real dialog widget, when there is one
    };
    using Responder = std::function<QVariant(const Question &)>;

    static void queue(const QVariant &answer);
    static void queue(const Responder &responder);

    // Called by every modal point. Returns the queued answer, or nullopt when
    // nothing is queued and the real dialog should be shown. In strict mode
    // (tests) an unanswered question does not block: it is counted and
    // answered with an invalid QVariant, which each modal point takes as its
    // own cancel (Cancel, or OK where OK is the only button; No for "system").
    static std::optional<QVariant> take(const Question &question);

    static QList<Question> asked();
    static int pending();
    static int unanswered();
    static void reset();   // forget queued answers, the asked list and the count

    static void setStrict(bool strict);
    static bool strict();
};
