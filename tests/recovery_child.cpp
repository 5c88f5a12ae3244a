// A Quillet for the recovery test to kill: it starts as the program does,
// with autosave keeping its documents under the folder it is given, opens
// the files named, types into each of them and into its untitled Document 1,
// says "ready" once every document's recovery file is written, and then runs
// until killed. With "clean" it instead closes normally, answering No to
// every save question, as a user quitting without saving does.
//
//   recovery_child ROOT kill|clean TEXT FILE...

#include "documents/AutoSave.h"
#include "documents/fileMod.h"
#include "documents/frmDoc.h"
#include "documents/modRecovery.h"
#include "platform/ModalSeam.h"
#include "platform/RichTextBox.h"
#include "shell/frmMain.h"
#include "shell/modRegistry.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setOrganizationName(QStringLiteral("Tallowmere"));
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: recovery_child ROOT kill|clean TEXT FILE...\n");
        return 2;
    }
    const QString root = args.at(0);
    const bool clean = args.at(1) == QLatin1String("clean");
    const QString typed = args.at(2);

    modRegistry::SetSettingValue(modRegistry::HKEY_LOCAL_MACHINE, modRegistry::QuilletKey,
                                 QStringLiteral("Show Tips at Startup"), QStringLiteral("0"));
    ModalSeam::setStrict(true);
    AutoSave::SetDelays(50, 500);

    auto *main = new frmMain;
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->resize(900, 600);
    main->MDIForm_Load();
    if (!modRecovery::Start(main, root)) {
        std::fprintf(stderr, "recovery folder could not be opened\n");
        return 3;
    }
    main->show();
    for (const QString &file : args.mid(3)) {
        if (!fileMod::OpenFile(file)) {
            std::fprintf(stderr, "could not open %s\n", qPrintable(file));
            return 4;
        }
    }
    for (frmDoc *doc : main->documents()) {
        doc->rtf1->SetSelStart(int(doc->rtf1->Text().size()));
        QTest::keyClicks(doc->rtf1, typed);
    }

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        for (frmDoc *doc : main->documents()) {
            AutoSave *save = modRecovery::AutoSaveOf(doc);
            if (!save || save->writing() || !save->hasRecoveryFile())
                return;
        }
        poll.stop();
        std::printf("ready %s\n", qPrintable(modRecovery::RunFolder()));
        std::fflush(stdout);
        if (clean) {
            for (int i = 0; i < main->documents().size(); ++i)
                ModalSeam::queue(QStringLiteral("No"));
            main->close();
        }
    });
    poll.start(20);
    return app.exec();
}
