#include "filelist.h"

#include <QDir>
#include <QKeyEvent>

namespace toolkit {

FileList::FileList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { Q_EMIT doubleClicked(item->text()); });
}

void FileList::setPath(const QString &path)
{
    m_path = path;
    refresh();
}

void FileList::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    refresh();
}

void FileList::refresh()
{
    clear();
    if (m_path.isEmpty())
        return;
    QDir dir(m_path);
    // Case does not matter in the pattern, as on the systems the files come from. Hidden files
    // count too: a game saved with an empty name is ".sur".
    dir.setNameFilters({m_pattern});
    addItems(dir.entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware));
}

QString FileList::fileName() const
{
    const QList<QListWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

bool FileList::selectFile(const QString &name)
{
    const QList<QListWidgetItem *> found = findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found.isEmpty())
        return false;
    setCurrentItem(found.first());
    return true;
}

QStringList FileList::names() const
{
    QStringList all;
    for (int i = 0; i < count(); ++i)
        all << item(i)->text();
    return all;
}

void FileList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        const QString name = fileName();
        if (!name.isEmpty()) {
            event->accept();
            Q_EMIT doubleClicked(name);
            return;
        }
    }
    QListWidget::keyPressEvent(event);
}

} // namespace toolkit
