#include "shell/modMessageError.h"

#include "platform/ModalSeam.h"
#include "shell/DataFiles.h"
#include "shell/frmMain.h"
#include "shell/frmMsgBox.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

namespace {
QString g_logFolder;

bool appendTo(const QString &path, const QByteArray &record)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const bool written = file.write(record) == record.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

QString appDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}
}

namespace modMessageError {

Answer ShowMessage(const QString &msgText, const QString &msgTitle, qint16 iconKind, qint16 okOnly)
{
    frmMsgBox box(frmMain::instance());
    box.prepare(msgText, msgTitle, iconKind, okOnly);
    const std::optional<QVariant> answer =
        ModalSeam::take({QStringLiteral("message"), msgTitle, msgText, &box});
    if (answer) {
        // A queued answer (or strict mode's invalid one) clicks the real
        // button, so the flags are set exactly as a user's click sets them.
        box.answer(answer->isValid() ? answer->toString() : QString());
    } else {
        box.exec();
    }
    // A box closed some other way (its owner going) counts as Cancel, or as
    // OK when OK was the only button.
    if (const int given = box.Answer())
        return Answer(given);
    return okOnly == vbTrue ? vbOK : vbCancel;
}

QString LogFolder()
{
    if (!g_logFolder.isEmpty())
        return g_logFolder;
    const QString programFolder = DataFiles::ProgramFolderForOwnFiles();
    const QFileInfo info(programFolder);
    if (!programFolder.isEmpty() && info.isDir() && info.isWritable())
        return programFolder;
    return appDataFolder();
}

void SetLogFolder(const QString &folder)
{
    g_logFolder = folder;
}

QString ErrorLogPath()
{
    return QDir(LogFolder()).filePath(QStringLiteral("Error.log"));
}

void LogError(const QString &errSource, const ErrorInfo &err)
{
    if (err.number == 0)
        return;

    const QString crlf = QStringLiteral("\r\n");
    const QString hyphens(28, QLatin1Char('-'));
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    const QString time = locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
                         + locale.toString(now.time(), QLocale::LongFormat);
    const QString record = QLatin1String(" ") + crlf
                           + hyphens + QLatin1String(" ") + crlf
                           + QLatin1String("Description = ") + err.description + crlf
                           + QLatin1String("     Number = ") + QString::number(err.number) + crlf
                           + QLatin1String("     Source = ") + errSource + crlf
                           + QLatin1String("       Time = ") + time + crlf
                           + QLatin1String(" ") + crlf
                           + hyphens + crlf;
    const QByteArray bytes = record.toUtf8();

    // The log is a help, not a condition: when neither place takes the
    // record, the user is still told about the error.
    if (!appendTo(ErrorLogPath(), bytes) && g_logFolder.isEmpty()) {
        const QString fallback = appDataFolder();
        if (!fallback.isEmpty() && QDir().mkpath(fallback))
            appendTo(QDir(fallback).filePath(QStringLiteral("Error.log")), bytes);
    }

    ShowMessage(QLatin1String("There was a error in : ") + errSource + crlf
                    + QLatin1String("Error # : ") + QString::number(err.number) + crlf
                    + QLatin1String("Description : ") + err.description,
                QStringLiteral("Quillet - ERROR"), iconCritical, vbTrue);
}

}
