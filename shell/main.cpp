#include "shell/genMod.h"

#include <QApplication>
#include <QStringList>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setOrganizationName(QStringLiteral("Tallowmere"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    // The command line is the text after the program's name, as one string.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    genMod::SetCommandLine(arguments.join(QLatin1Char(' ')));

    genMod::Main();
    return app.exec();
}
