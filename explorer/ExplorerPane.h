#pragma once

#include <QWidget>

class FileListBox;
class QTreeWidget;
class QTreeWidgetItem;

// The file explorer pane along the main window's left edge (picFileBar): a
// tree of drives and folders above the list of files in the folder last
// clicked. The tree is built drive level only; a node reads its subfolders
// the first time it is expanded, and never again. Every node that has not
// been read holds one placeholder child (no key, empty text), which draws
// the expand sign.
//
// A click on a file asks for it to be opened (openFileRequested); the pane
// itself opens nothing. A folder or drive that cannot be read never ends
// the program: expanding it shows "Device not avaible!" for a drive without
// its medium and nothing otherwise, and clicking it keeps the file list on
// its previous folder.
class ExplorerPane : public QWidget
{
    Q_OBJECT

public:
    // 1-based picture numbers of the pane's image list.
    enum Image { imgRemovable = 1, imgFixed = 2, imgOptical = 3, imgFolder = 4, imgFolderOpen = 5 };

    explicit ExplorerPane(QWidget *parent = nullptr);
    ~ExplorerPane() override;

    QTreeWidget *tvwFolders = nullptr;
    FileListBox *File1 = nullptr;

    // Builds the drive level of the tree; reads nothing but the drive types.
    void FillDriveTree();
    void tvwFolders_Expand(QTreeWidgetItem *node);
    void tvwFolders_NodeClick(QTreeWidgetItem *node);
    void File1_Click();

    // What a node carries: key (empty for a placeholder), image and expanded
    // image (0 for none).
    static QString Key(const QTreeWidgetItem *node);
    static int NodeImage(const QTreeWidgetItem *node);
    static int ExpandedImage(const QTreeWidgetItem *node);
    static bool IsPlaceholder(const QTreeWidgetItem *node);
    // The image of a drive of the platform's type code.
    static int DriveImage(int driveType);
    // The first node with this key, or nullptr.
    QTreeWidgetItem *Node(const QString &key) const;
    // The picture of an image number.
    QIcon ImageIcon(int image) const;

signals:
    void openFileRequested(const QString &path);

private:
    QTreeWidgetItem *addNode(QTreeWidgetItem *parent, const QString &key, const QString &text,
                             int image);
    static void addPlaceholder(QTreeWidgetItem *node);
    void showImage(QTreeWidgetItem *node, bool expanded);
};
