#include "FileListBox.h"

#include "DirectoryList.h"

#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>

FileListBox::FileListBox(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    SetPath(QDir::currentPath());
}

QString FileListBox::Path() const
{
    return m_path;
}

int FileListBox::SetPath(const QString &path)
{
    const DirectoryList::Result listed = DirectoryList::files(path);
    if (listed.error != DirectoryList::NoError)
        return listed.error;
    // cleanPath keeps the separator of a root ("/", "C:/") and drops any other.
    m_path = QDir::cleanPath(QDir(path).absolutePath());
    const QSignalBlocker quiet(this);
    clear();
    addItems(listed.entries);
    return DirectoryList::NoError;
}

int FileListBox::Refresh()
{
    return SetPath(m_path);
}

QString FileListBox::FileName() const
{
    const QListWidgetItem *item = currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void FileListBox::keyPressEvent(QKeyEvent *event)
{
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0)
        emit Click();
}

void FileListBox::mouseReleaseEvent(QMouseEvent *event)
{
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()))
        emit Click();
}
