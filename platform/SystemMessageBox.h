#pragma once

#include <QString>

class QWidget;

// The platform's own message box, with its style codes and answers:
// buttons 0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore, 3 Yes/No/Cancel,
// 4 Yes/No, 5 Retry/Cancel; icons 16 critical, 32 question, 48 exclamation,
// 64 information; answers 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore,
// 6 Yes, 7 No.
//
// It asks the modal seam first (kind "system"). An answer that is not a
// number - the strict seam's unanswered question, or a closed window - is
// the box's own way out: OK for an OK box, No for Yes/No, Cancel where there
// is a Cancel button, Abort for Abort/Retry/Ignore.
class SystemMessageBox
{
public:
    // Plain ints, so that a style is written as a sum: vbYesNo + vbExclamation.
    static constexpr int vbOKOnly = 0, vbOKCancel = 1, vbAbortRetryIgnore = 2, vbYesNoCancel = 3,
                         vbYesNo = 4, vbRetryCancel = 5;
    static constexpr int vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64;
    static constexpr int vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7;

    static int show(QWidget *owner, const QString &text, const QString &title, int style = vbOKOnly);

    // The answer a box of this style gives when it is closed without a choice.
    static int escapeAnswer(int style);
};
