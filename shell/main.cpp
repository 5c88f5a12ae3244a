#include "shell/DataFiles.h"
#include "shell/frmMain.h"
#include "shell/genMod.h"
#include "shell/modMessageError.h"
#include "platform/RegistryStore.h"

#include <QApplication>
#include <QStringList>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {
const char usageText[] =
    "Usage: quillet [FILE]\n"
    "A multiple-document word processor for Rich Text (.rtf) and plain text.\n"
    "FILE opens in the first document window; the words after the program's\n"
    "name are taken together as one file name.\n"
    "\n"
    "  --version          print the version and exit\n"
    "  --help             print this text and exit\n"
    "  --paths            print where settings, the error log and the tips are\n"
    "  --screenshot PNG   save a picture of the main window to PNG and exit\n";

// Where this Quillet keeps its files, for a user looking for them and for
// the install test; it needs no display either.
int printPaths(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quillet"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tallowmere"));
    const QString tips = DataFiles::Find(QStringLiteral("QuickTips.op"));
    std::printf("settings: %s\n", qPrintable(RegistryStore::location(RegistryStore::LocalMachine)));
    std::printf("error log: %s\n", qPrintable(modMessageError::ErrorLogPath()));
    std::printf("tips: %s\n", tips.isEmpty() ? "(not found)" : qPrintable(tips));
    return 0;
}
}

int main(int argc, char *argv[])
{
    // Answered before any window system is needed, so they work without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("Quillet %s\n", QUILLET_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--paths") == 0)
        return printPaths(argc, argv);
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usageText, stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    QApplication::setOrganizationName(QStringLiteral("Tallowmere"));
    // The desktop matches windows to quillet.desktop and shows its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quillet"));
    QApplication::setWindowIcon(DataFiles::ApplicationIcon());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    QStringList arguments = QCoreApplication::arguments().mid(1);

    // "--screenshot FILE" starts as usual, saves a picture of the main window
    // to FILE and ends: the README's picture is taken by the program itself.
    QString screenshot;
    if (arguments.size() >= 2 && arguments.first() == QLatin1String("--screenshot")) {
        screenshot = arguments.at(1);
        arguments = arguments.mid(2);
    }

    // The command line is the text after the program's name, as one string.
    genMod::SetCommandLine(arguments.join(QLatin1Char(' ')));
    genMod::Main();

    if (!screenshot.isEmpty()) {
        QTimer::singleShot(500, &app, [screenshot] {
            frmMain *main = frmMain::instance();
            const bool saved = main && main->grab().save(screenshot, "PNG");
            if (!saved)
                std::fprintf(stderr, "Could not save the screenshot to %s\n", qPrintable(screenshot));
            if (main)
                main->close();
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
