#pragma once

#include <QListWidget>

// The file list box: the names of the files in one folder, hidden files
// left out, in alphabetical order. Path() reports a drive's root with its
// trailing separator and any other folder without one.
//
// SetPath on a folder that cannot be read (gone, not allowed, a drive
// without its medium) changes nothing: the list keeps its folder and names
// and the call returns the platform's error number.
//
// Click is raised when the user selects a name: a mouse click on it, or
// moving the selection with the keyboard. Filling the list raises nothing.
class FileListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit FileListBox(QWidget *parent = nullptr);

    QString Path() const;
    // 0 on success, else the error number of DirectoryList.
    int SetPath(const QString &path);
    // Reads the current folder again; on failure the list stays as it was.
    int Refresh();
    // The selected name, or empty.
    QString FileName() const;

signals:
    void Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_path;
};
