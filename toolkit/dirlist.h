#pragma once

#include <QTreeWidget>

namespace toolkit {

// A directory list: the current directory with its ancestors up to the root above it and its
// subdirectories below it, each a line of the tree. Opening an entry (double-click, or Enter on
// the selected one) makes it the current directory; a single click only selects.
class DirList : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirList(QWidget *parent = nullptr);

    // The current directory, absolute, with '/' separators and no trailing one except at a root.
    QString path() const { return m_path; }
    // False, with nothing changed, when the path is not an existing directory.
    bool setPath(const QString &path);
    // Lists the current directory again, for subdirectories made or removed since.
    void refresh();

    // The directory of each line, top to bottom.
    QStringList entries() const;
    // Opens the line at the given row, as a double-click on it does.
    bool openEntry(int row);

Q_SIGNALS:
    // The current directory changed, by code or by the user.
    void changed(const QString &path);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const override;

private:
    void open(QTreeWidgetItem *item);
    QList<QTreeWidgetItem *> lines() const;

    QString m_path;
};

} // namespace toolkit
