#include "explorer/ExplorerPane.h"

#include "platform/DirectoryList.h"
#include "platform/DriveList.h"
#include "platform/FileListBox.h"
#include "platform/SystemMessageBox.h"

#include <QApplication>
#include <QFileInfo>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int KeyRole = Qt::UserRole;
constexpr int ImageRole = Qt::UserRole + 1;
constexpr int ExpandedImageRole = Qt::UserRole + 2;
const QChar Separator = QLatin1Char('/');

int px(const QWidget *w, int twips)
{
    return qRound(twips * w->logicalDpiX() / 1440.0);
}

// The hourglass for as long as a folder level loads; it goes before any
// message appears.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    void restore()
    {
        if (m_active)
            QApplication::restoreOverrideCursor();
        m_active = false;
    }

private:
    bool m_active = true;
};
}

ExplorerPane::ExplorerPane(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("picFileBar"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, px(this, 75), 0, 0);
    layout->setSpacing(px(this, 60));

    tvwFolders = new QTreeWidget;
    tvwFolders->setObjectName(QStringLiteral("tvwFolders"));
    tvwFolders->setHeaderHidden(true);
    tvwFolders->setColumnCount(1);
    tvwFolders->setRootIsDecorated(true);
    tvwFolders->setUniformRowHeights(true);
    tvwFolders->setExpandsOnDoubleClick(true);
    layout->addWidget(tvwFolders, 3300);

    File1 = new FileListBox;
    File1->setObjectName(QStringLiteral("File1"));
    QFont listFont(QStringLiteral("Tahoma"));
    listFont.setPointSizeF(8.25);
    File1->setFont(listFont);
    layout->addWidget(File1, 2235);

    connect(tvwFolders, &QTreeWidget::itemExpanded, this, &ExplorerPane::tvwFolders_Expand);
    connect(tvwFolders, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem *node) { showImage(node, false); });
    connect(tvwFolders, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *node) { tvwFolders_NodeClick(node); });
    connect(File1, &FileListBox::Click, this, &ExplorerPane::File1_Click);
}

ExplorerPane::~ExplorerPane() = default;

QString ExplorerPane::Key(const QTreeWidgetItem *node)
{
    return node ? node->data(0, KeyRole).toString() : QString();
}

int ExplorerPane::NodeImage(const QTreeWidgetItem *node)
{
    return node ? node->data(0, ImageRole).toInt() : 0;
}

int ExplorerPane::ExpandedImage(const QTreeWidgetItem *node)
{
    return node ? node->data(0, ExpandedImageRole).toInt() : 0;
}

bool ExplorerPane::IsPlaceholder(const QTreeWidgetItem *node)
{
    return node && Key(node).isEmpty() && node->text(0).isEmpty();
}

int ExplorerPane::DriveImage(int driveType)
{
    switch (driveType) {
    case DriveList::DriveRemovable: return imgRemovable;
    case DriveList::DriveCdRom: return imgOptical;
    default: return imgFixed;
    }
}

QIcon ExplorerPane::ImageIcon(int image) const
{
    switch (image) {
    case imgRemovable: return style()->standardIcon(QStyle::SP_DriveFDIcon);
    case imgFixed: return style()->standardIcon(QStyle::SP_DriveHDIcon);
    case imgOptical: return style()->standardIcon(QStyle::SP_DriveCDIcon);
    case imgFolder: return style()->standardIcon(QStyle::SP_DirClosedIcon);
    case imgFolderOpen: return style()->standardIcon(QStyle::SP_DirOpenIcon);
    default: return {};
    }
}

QTreeWidgetItem *ExplorerPane::Node(const QString &key) const
{
    if (key.isEmpty())
        return nullptr;
    QList<QTreeWidgetItem *> pending;
    for (int i = 0; i < tvwFolders->topLevelItemCount(); ++i)
        pending.append(tvwFolders->topLevelItem(i));
    while (!pending.isEmpty()) {
        QTreeWidgetItem *node = pending.takeFirst();
        if (Key(node) == key)
            return node;
        for (int i = 0; i < node->childCount(); ++i)
            pending.append(node->child(i));
    }
    return nullptr;
}

QTreeWidgetItem *ExplorerPane::addNode(QTreeWidgetItem *parent, const QString &key,
                                       const QString &text, int image)
{
    auto *node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvwFolders);
    node->setText(0, text);
    node->setData(0, KeyRole, key);
    node->setData(0, ImageRole, image);
    node->setIcon(0, ImageIcon(image));
    node->setToolTip(0, key);
    return node;
}

void ExplorerPane::addPlaceholder(QTreeWidgetItem *node)
{
    new QTreeWidgetItem(node);
}

void ExplorerPane::showImage(QTreeWidgetItem *node, bool expanded)
{
    const int image = expanded && ExpandedImage(node) ? ExpandedImage(node) : NodeImage(node);
    node->setIcon(0, ImageIcon(image));
}

void ExplorerPane::FillDriveTree()
{
    tvwFolders->clear();
    for (const DriveList::Drive &drive : DriveList::drives()) {
        QTreeWidgetItem *node = addNode(nullptr, drive.key, drive.displayText,
                                        DriveImage(drive.type));
        addPlaceholder(node);
    }
}

void ExplorerPane::tvwFolders_Expand(QTreeWidgetItem *node)
{
    if (!node)
        return;
    WaitCursor hourglass;

    // A node whose first child has a name was loaded before; one without
    // children failed on its first expansion and stays as it is.
    QTreeWidgetItem *first = node->child(0);
    if (!first || !first->text(0).isEmpty()) {
        showImage(node, true);
        return;
    }

    delete node->takeChild(0);
    const QString parentPath = Key(node);
    const DirectoryList::Result listed = DirectoryList::subfolders(parentPath);
    if (listed.error != DirectoryList::NoError) {
        hourglass.restore();
        if (listed.error == DirectoryList::DeviceUnavailable) {
            SystemMessageBox::show(window(), QStringLiteral("Device not avaible!"),
                                   QStringLiteral("Quillet v1.0"),
                                   SystemMessageBox::vbOKOnly + SystemMessageBox::vbCritical);
        }
        return;
    }

    for (const QString &entry : listed.entries) {
        const QString name = QFileInfo(entry).fileName();
        const QString fullPath = parentPath + name + Separator;
        QTreeWidgetItem *child = addNode(node, fullPath, name, imgFolder);
        // A subfolder that cannot be read counts as one without subfolders,
        // so one locked folder does not hide the rest of the level.
        if (DirectoryList::hasSubfolders(fullPath)) {
            addPlaceholder(child);
            child->setData(0, ExpandedImageRole, int(imgFolderOpen));
        }
    }
    showImage(node, true);
}

void ExplorerPane::tvwFolders_NodeClick(QTreeWidgetItem *node)
{
    const QString key = Key(node);
    if (!key.isEmpty())
        File1->SetPath(key);
}

void ExplorerPane::File1_Click()
{
    const QString name = File1->FileName();
    if (name.isEmpty())
        return;
    const QString folder = File1->Path();
    const QString path = folder.endsWith(Separator) ? folder + name : folder + Separator + name;
    emit openFileRequested(path);
}
