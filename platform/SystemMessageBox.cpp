#include "SystemMessageBox.h"

#include "ModalSeam.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

struct ButtonSet
{
    QList<QMessageBox::StandardButton> buttons;
    QList<int> answers;   // the answer code of each button, in order
};

ButtonSet buttonsFor(int buttonCode)
{
    using B = QMessageBox;
    using S = SystemMessageBox;
    switch (buttonCode) {
    case S::vbOKCancel: return {{B::Ok, B::Cancel}, {S::vbOK, S::vbCancel}};
    case S::vbAbortRetryIgnore: return {{B::Abort, B::Retry, B::Ignore}, {S::vbAbort, S::vbRetry, S::vbIgnore}};
    case S::vbYesNoCancel: return {{B::Yes, B::No, B::Cancel}, {S::vbYes, S::vbNo, S::vbCancel}};
    case S::vbYesNo: return {{B::Yes, B::No}, {S::vbYes, S::vbNo}};
    case S::vbRetryCancel: return {{B::Retry, B::Cancel}, {S::vbRetry, S::vbCancel}};
    default: return {{B::Ok}, {S::vbOK}};
    }
}

QMessageBox::Icon iconFor(int iconCode)
{
    switch (iconCode) {
    case SystemMessageBox::vbCritical: return QMessageBox::Critical;
    case SystemMessageBox::vbQuestion: return QMessageBox::Question;
    case SystemMessageBox::vbExclamation: return QMessageBox::Warning;
    case SystemMessageBox::vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

int SystemMessageBox::escapeAnswer(int style)
{
    switch (style & 0xf) {
    case vbOKCancel:
    case vbYesNoCancel:
    case vbRetryCancel: return vbCancel;
    case vbAbortRetryIgnore: return vbAbort;
    case vbYesNo: return vbNo;
    default: return vbOK;
    }
}

int SystemMessageBox::show(QWidget *owner, const QString &text, const QString &title, int style)
{
    const QString caption = title.isEmpty() ? QCoreApplication::applicationName() : title;
    const ButtonSet set = buttonsFor(style & 0xf);

    QMessageBox box(iconFor(style & 0xf0), caption, text, QMessageBox::NoButton, owner);
    for (QMessageBox::StandardButton button : set.buttons)
        box.addButton(button);
    // Bits 8-9 choose the default button: the first, second or third.
    const int defaultIndex = (style >> 8) & 0x3;
    if (defaultIndex < set.buttons.size())
        box.setDefaultButton(set.buttons.at(defaultIndex));

    const ModalSeam::Question question{QStringLiteral("system"), caption, text, &box};
    if (const std::optional<QVariant> answer = ModalSeam::take(question)) {
        bool ok = false;
        const int code = answer->isValid() ? answer->toInt(&ok) : 0;
        return ok ? code : escapeAnswer(style);
    }

    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    const qsizetype index = set.buttons.indexOf(clicked);
    return index >= 0 ? set.answers.at(index) : escapeAnswer(style);
}
