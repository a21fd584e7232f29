#pragma once

#include <QListWidget>

namespace toolkit {

// A file list: the names of the files in one directory that match a pattern such as "*.sur",
// names only, sorted. Nothing is selected until the user picks a name.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // Lists the directory anew, also when it is the one already shown.
    void setPath(const QString &path);
    QString pattern() const { return m_pattern; }
    void setPattern(const QString &pattern);
    void refresh();

    // The selected name, empty when none is selected.
    QString fileName() const;
    // Selects the given name; false when it is not listed.
    bool selectFile(const QString &name);
    QStringList names() const;

Q_SIGNALS:
    // A name was double-clicked, or Enter pressed on the selected one.
    void doubleClicked(const QString &name);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_path;
    QString m_pattern = QStringLiteral("*");
};

} // namespace toolkit
