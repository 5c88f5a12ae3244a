#include "editing/modInsert.h"

#include "editing/frmSymbols.h"
#include "editing/modActive.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"

#include <QDateTime>
#include <QLocale>

namespace modInsert {

namespace {

// The locale's long time format without its time zone fields ("t"), which
// a general date never shows; quoted text is kept as it is.
QString longTimeFormat(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out += c;
    }
    return out.simplified();
}

} // namespace

QString DateTimeText(const QDateTime &when)
{
    const QLocale locale;
    const QString date = locale.toString(when.date(), QLocale::ShortFormat);
    if (when.time() == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + locale.toString(when.time(), longTimeFormat(locale));
}

void menuInsertDateTime_Click()
{
    if (RichTextBox *rtf = modActive::EditorOrNotice())
        rtf->SetSelText(DateTimeText(QDateTime::currentDateTime()));
}

void menuInsertSymbols_Click()
{
    if (!modActive::EditorOrNotice())
        return;
    frmSymbols dialog(frmMain::instance());
    const ModalSeam::Question question{QStringLiteral("dialog"), dialog.windowTitle(), QString(), &dialog};
    if (!ModalSeam::take(question))
        dialog.exec();
    modActive::ReturnFocus();
}

}
