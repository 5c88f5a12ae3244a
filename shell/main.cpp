#include "shell/frmMain.h"
#include "shell/genMod.h"

#include <QApplication>
#include <QStringList>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setOrganizationName(QStringLiteral("Tallowmere"));
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
