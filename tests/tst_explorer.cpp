// The file explorer pane on a temporary folder tree standing in for drives:
// the drive level, lazy folder loading, the file list and the paths it
// opens, and folders that cannot be read.
#include "explorer/ExplorerPane.h"
#include "platform/DirectoryList.h"
#include "platform/DriveList.h"
#include "platform/FileListBox.h"
#include "platform/ModalSeam.h"
#include "platform/SystemMessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {
void makeFolders(const QString &root, const QStringList &relative)
{
    for (const QString &folder : relative)
        QVERIFY(QDir(root).mkpath(folder));
}

void makeFile(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

QStringList childKeys(const QTreeWidgetItem *node)
{
    QStringList keys;
    for (int i = 0; i < node->childCount(); ++i)
        keys << ExplorerPane::Key(node->child(i));
    return keys;
}
}

class tst_explorer : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_root;   // the stand-in drive's root, ending in the separator
    ExplorerPane *m_pane = nullptr;

private slots:
    void initTestCase() { ModalSeam::setStrict(true); }

    void init()
    {
        ModalSeam::reset();
        QVERIFY(m_dir.isValid());
        m_root = m_dir.path() + QStringLiteral("/drive/");
        makeFolders(m_root, {"alpha/deep", "beta", "gamma/x", "gamma/y", ".hidden/inner"});
        makeFile(m_root + "root.txt");
        makeFile(m_root + "alpha/a.rtf");
        makeFile(m_root + "alpha/.secret");
        DriveList::setOverride({{m_root, "DRIVE [DATA]", DriveList::DriveFixed},
                                {m_dir.path() + "/gone/", "GONE", DriveList::DriveCdRom}});
        m_pane = new ExplorerPane;
        m_pane->FillDriveTree();
        m_pane->show();
    }

    void cleanup()
    {
        delete std::exchange(m_pane, nullptr);
        DriveList::setOverride({});
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.path()));
        QCOMPARE(ModalSeam::unanswered(), 0);
    }

    void driveLevel_data()
    {
        QTest::addColumn<int>("driveType");
        QTest::addColumn<int>("image");
        QTest::newRow("removable") << int(DriveList::DriveRemovable) << int(ExplorerPane::imgRemovable);
        QTest::newRow("fixed") << int(DriveList::DriveFixed) << int(ExplorerPane::imgFixed);
        QTest::newRow("optical") << int(DriveList::DriveCdRom) << int(ExplorerPane::imgOptical);
        QTest::newRow("remote shows as fixed") << int(DriveList::DriveRemote) << int(ExplorerPane::imgFixed);
        QTest::newRow("RAM disk shows as fixed") << int(DriveList::DriveRamDisk) << int(ExplorerPane::imgFixed);
        QTest::newRow("unknown shows as fixed") << int(DriveList::DriveUnknown) << int(ExplorerPane::imgFixed);
    }
    void driveLevel()
    {
        QFETCH(int, driveType);
        QFETCH(int, image);
        DriveList::setOverride({{m_root, "DRIVE [DATA]", driveType}});
        m_pane->FillDriveTree();

        QTreeWidget *tree = m_pane->tvwFolders;
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem *drive = tree->topLevelItem(0);
        QCOMPARE(ExplorerPane::Key(drive), m_root);
        QCOMPARE(drive->text(0), QStringLiteral("DRIVE [DATA]"));
        QCOMPARE(ExplorerPane::NodeImage(drive), image);
        QCOMPARE(ExplorerPane::ExpandedImage(drive), 0);
        // Nothing read but the type: one placeholder, nothing expanded.
        QCOMPARE(drive->childCount(), 1);
        QVERIFY(ExplorerPane::IsPlaceholder(drive->child(0)));
        QVERIFY(!drive->isExpanded());
        QVERIFY(!tree->currentItem() || !tree->currentItem()->isSelected());
    }

    void realDrivesHaveSeparatorKeys()
    {
        DriveList::setOverride({});
        const QList<DriveList::Drive> drives = DriveList::drives();
        QVERIFY(!drives.isEmpty());
        QSet<QString> keys;
        for (const DriveList::Drive &drive : drives) {
            QVERIFY2(drive.key.endsWith(QLatin1Char('/')), qPrintable(drive.key));
            QVERIFY2(!drive.key.startsWith(QLatin1String("/proc")), qPrintable(drive.key));
            QVERIFY(!keys.contains(drive.key));
            keys.insert(drive.key);
        }
        QVERIFY(keys.contains(QStringLiteral("/")));
    }

    void expansionLoadsOneLevel()
    {
        QTreeWidgetItem *drive = m_pane->Node(m_root);
        drive->setExpanded(true);
        QVERIFY(!QApplication::overrideCursor());

        // Hidden folders stay out; every key is a full path ending in the separator.
        QCOMPARE(childKeys(drive), QStringList({m_root + "alpha/", m_root + "beta/", m_root + "gamma/"}));
        QCOMPARE(drive->child(0)->text(0), QStringLiteral("alpha"));
        for (int i = 0; i < drive->childCount(); ++i)
            QCOMPARE(ExplorerPane::NodeImage(drive->child(i)), int(ExplorerPane::imgFolder));

        // Placeholder and open-folder image only where subfolders exist.
        QTreeWidgetItem *alpha = m_pane->Node(m_root + "alpha/");
        QTreeWidgetItem *beta = m_pane->Node(m_root + "beta/");
        QCOMPARE(alpha->childCount(), 1);
        QVERIFY(ExplorerPane::IsPlaceholder(alpha->child(0)));
        QCOMPARE(ExplorerPane::ExpandedImage(alpha), int(ExplorerPane::imgFolderOpen));
        QCOMPARE(beta->childCount(), 0);
        QCOMPARE(ExplorerPane::ExpandedImage(beta), 0);

        alpha->setExpanded(true);
        QCOMPARE(childKeys(alpha), QStringList({m_root + "alpha/deep/"}));
        QCOMPARE(m_pane->Node(m_root + "alpha/deep/")->childCount(), 0);
    }

    void secondExpansionReadsNothing()
    {
        QTreeWidgetItem *drive = m_pane->Node(m_root);
        drive->setExpanded(true);
        drive->setExpanded(false);
        makeFolders(m_root, {"delta", "beta/new"});
        drive->setExpanded(true);
        QCOMPARE(childKeys(drive), QStringList({m_root + "alpha/", m_root + "beta/", m_root + "gamma/"}));
        QCOMPARE(m_pane->Node(m_root + "beta/")->childCount(), 0);
    }

    void nodeClickListsFiles_data()
    {
        QTest::addColumn<QString>("relativeKey");
        QTest::addColumn<QString>("listPath");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("drive node") << "" << "drive" << QStringList{"root.txt"};
        QTest::newRow("folder, hidden file left out") << "alpha/" << "drive/alpha" << QStringList{"a.rtf"};
        QTest::newRow("folder without files") << "beta/" << "drive/beta" << QStringList{};
    }
    void nodeClickListsFiles()
    {
        QFETCH(QString, relativeKey);
        QFETCH(QString, listPath);
        QFETCH(QStringList, files);
        m_pane->Node(m_root)->setExpanded(true);
        QTreeWidgetItem *node = m_pane->Node(m_root + relativeKey);
        QTreeWidget *tree = m_pane->tvwFolders;
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());

        FileListBox *list = m_pane->File1;
        QCOMPARE(list->Path(), m_dir.path() + "/" + listPath);
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        QCOMPARE(shown, files);
    }

    void fileClickOpensJoinedPath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("reported");
        QTest::addColumn<QString>("opened");
        // A root keeps its separator, so the two joins give one separator each.
        QTest::newRow("drive root") << "/" << "/" << "/name.rtf";
        QTest::newRow("folder key") << "FOLDER/" << "FOLDER" << "FOLDER/name.rtf";
        QTest::newRow("folder without separator") << "FOLDER" << "FOLDER" << "FOLDER/name.rtf";
    }
    void fileClickOpensJoinedPath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, reported);
        QFETCH(QString, opened);
        const QString alpha = m_root + "alpha";
        folder.replace("FOLDER", alpha);
        reported.replace("FOLDER", alpha);
        opened.replace("FOLDER", alpha);

        FileListBox *list = m_pane->File1;
        QCOMPARE(list->SetPath(folder), 0);
        QCOMPARE(list->Path(), reported);
        // The name need not exist: the join is what is under test.
        list->clear();
        list->addItem(QStringLiteral("name.rtf"));
        QSignalSpy open(m_pane, &ExplorerPane::openFileRequested);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(open.size(), 1);
        QCOMPARE(open.at(0).at(0).toString(), opened);
    }

    void keyboardSelectionOpensButFillingDoesNot()
    {
        QSignalSpy open(m_pane, &ExplorerPane::openFileRequested);
        FileListBox *list = m_pane->File1;
        makeFile(m_root + "second.txt");
        QCOMPARE(list->SetPath(m_root), 0);
        QCOMPARE(list->count(), 2);
        QCOMPARE(open.size(), 0);

        list->setFocus();
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(open.size(), 1);
        QCOMPARE(open.at(0).at(0).toString(), m_dir.path() + "/drive/second.txt");
        QTest::keyClick(list, Qt::Key_Down);   // already on the last name
        QCOMPARE(open.size(), 1);
    }

    void unreadableFolders_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("message");
        QTest::newRow("drive without its medium") << "GONE" << "Device not avaible!";
        QTest::newRow("folder that vanished") << "VANISHED" << "";
        QTest::newRow("folder replaced by a file") << "FILE" << "";
    }
    void unreadableFolders()
    {
        QFETCH(QString, key);
        QFETCH(QString, message);
        QTreeWidgetItem *drive = m_pane->Node(m_root);
        drive->setExpanded(true);
        m_pane->Node(m_root + "gamma/")->setExpanded(true);
        if (key == "GONE") {
            key = m_dir.path() + "/gone/";
        } else {
            key = m_root + "alpha/";
            QVERIFY(QDir(key).removeRecursively());
            if (QTest::currentDataTag() == QLatin1String("folder replaced by a file"))
                makeFile(m_root + "alpha");
        }
        // The file list shows a readable folder first, and keeps it.
        FileListBox *list = m_pane->File1;
        QCOMPARE(list->SetPath(m_root + "gamma/"), 0);
        makeFile(m_root + "gamma/kept.txt");
        QCOMPARE(list->SetPath(m_root + "gamma/"), 0);

        QTreeWidgetItem *node = m_pane->Node(key);
        QVERIFY(node);
        ModalSeam::queue(QVariant(SystemMessageBox::vbOK));
        node->setExpanded(true);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(node->childCount(), 0);
        const QList<ModalSeam::Question> asked = ModalSeam::asked();
        if (message.isEmpty()) {
            QVERIFY(asked.isEmpty());
            QCOMPARE(ModalSeam::pending(), 1);
            ModalSeam::reset();
        } else {
            QCOMPARE(asked.size(), 1);
            QCOMPARE(asked.at(0).kind, QStringLiteral("system"));
            QCOMPARE(asked.at(0).text, message);
            QCOMPARE(asked.at(0).title, QStringLiteral("Quillet v1.0"));
        }

        // Expanding it again later says nothing and adds nothing.
        ModalSeam::reset();
        node->setExpanded(false);
        m_pane->tvwFolders_Expand(node);
        QCOMPARE(node->childCount(), 0);
        QVERIFY(ModalSeam::asked().isEmpty());

        m_pane->tvwFolders_NodeClick(node);
        QCOMPARE(list->Path(), m_root + "gamma");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("kept.txt"));
    }

    void listingErrors_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("error");
        QTest::newRow("readable") << "drive/alpha" << 0;
        QTest::newRow("missing drive root") << "gone" << int(DirectoryList::DeviceUnavailable);
        QTest::newRow("missing folder") << "drive/nothing" << int(DirectoryList::PathNotFound);
        QTest::newRow("a file") << "drive/root.txt" << int(DirectoryList::PathNotFound);
    }
    void listingErrors()
    {
        QFETCH(QString, path);
        QFETCH(int, error);
        const QString full = m_dir.path() + "/" + path;
        QCOMPARE(DirectoryList::subfolders(full).error, error);
        QCOMPARE(DirectoryList::files(full).error, error);
        if (error)
            QVERIFY(DirectoryList::files(full).entries.isEmpty());
    }
};

QTEST_MAIN(tst_explorer)
#include "tst_explorer.moc"
