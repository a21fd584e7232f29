#include "dirlist.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <QTreeWidgetItemIterator>

namespace toolkit {

namespace {

constexpr int kPathRole = Qt::UserRole;

QString childPath(const QString &dir, const QString &name)
{
    return dir.endsWith(QLatin1Char('/')) ? dir + name : dir + QLatin1Char('/') + name;
}

// The root and each directory between it and the given one, root first.
QStringList chainTo(const QString &dir)
{
    QStringList chain;
    QString p = dir;
    for (;;) {
        chain.prepend(p);
        const QString parent = QFileInfo(p).path();
        if (QDir(p).isRoot() || parent == p)
            break;
        p = parent;
    }
    return chain;
}

} // namespace

DirList::DirList(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    // Every line stays shown: the tree is the way up and down, not something to fold.
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(12);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) { open(item); });
}

bool DirList::setPath(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir())
        return false;
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    const bool changedPath = clean != m_path;
    m_path = clean;
    refresh();
    if (changedPath)
        Q_EMIT changed(m_path);
    return true;
}

void DirList::refresh()
{
    clear();
    if (m_path.isEmpty())
        return;
    const QStyle *st = style();
    QTreeWidgetItem *item = nullptr;
    for (const QString &dir : chainTo(m_path)) {
        item = item ? new QTreeWidgetItem(item) : new QTreeWidgetItem(this);
        const bool root = item->parent() == nullptr;
        item->setText(0, root ? QDir::toNativeSeparators(dir) : QFileInfo(dir).fileName());
        item->setIcon(0, st->standardIcon(QStyle::SP_DirOpenIcon));
        item->setData(0, kPathRole, dir);
    }
    QTreeWidgetItem *current = item;
    const QStringList subdirs =
        QDir(m_path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString &name : subdirs) {
        auto *sub = new QTreeWidgetItem(current);
        sub->setText(0, name);
        sub->setIcon(0, st->standardIcon(QStyle::SP_DirClosedIcon));
        sub->setData(0, kPathRole, childPath(m_path, name));
    }
    expandAll();
    setCurrentItem(current);
    scrollToItem(current);
}

QList<QTreeWidgetItem *> DirList::lines() const
{
    QList<QTreeWidgetItem *> found;
    for (QTreeWidgetItemIterator it(const_cast<DirList *>(this)); *it; ++it)
        found << *it;
    return found;
}

QStringList DirList::entries() const
{
    QStringList dirs;
    for (const QTreeWidgetItem *item : lines())
        dirs << item->data(0, kPathRole).toString();
    return dirs;
}

bool DirList::openEntry(int row)
{
    const QList<QTreeWidgetItem *> all = lines();
    if (row < 0 || row >= all.size())
        return false;
    open(all[row]);
    return true;
}

void DirList::open(QTreeWidgetItem *item)
{
    if (!item)
        return;
    // A directory removed since it was listed: show what is there now instead.
    if (!setPath(item->data(0, kPathRole).toString()))
        refresh();
}

void DirList::drawBranches(QPainter *, const QRect &, const QModelIndex &) const
{
    // Nothing folds, so there are no fold marks: the indentation alone shows the tree.
}

void DirList::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        open(currentItem());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

} // namespace toolkit
