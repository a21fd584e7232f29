#include "toolkit/dirlist.h"
#include "toolkit/filelist.h"
#include "tests/support/mouse.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using toolkit::DirList;
using toolkit::FileList;

namespace {

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

// The root and each directory down to the given one.
QStringList chainTo(const QString &dir)
{
    QStringList chain{dir};
    QDir d(dir);
    while (d.cdUp())
        chain.prepend(d.absolutePath());
    return chain;
}

QPoint centreOf(const DirList &list, int row)
{
    int i = 0;
    for (QTreeWidgetItemIterator it(const_cast<DirList *>(&list)); *it; ++it, ++i)
        if (i == row)
            return list.visualItemRect(*it).center();
    return {};
}

QPoint centreOf(const FileList &list, const QString &name)
{
    const QList<QListWidgetItem *> items = list.findItems(name, Qt::MatchExactly);
    return items.isEmpty() ? QPoint() : list.visualItemRect(items.first()).center();
}

} // namespace

class tst_dirlist : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_top; // holds the tree below, rebuilt for every test

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_top = m_tmp.filePath(QString::fromLatin1(QTest::currentTestFunction()));
        QDir top(m_top);
        top.removeRecursively();
        for (const char *sub : {"a/b", "a/Cc", "a/d", "a/.skjult", "a/tom"})
            QVERIFY(top.mkpath(QLatin1String(sub)));
        touch(m_top + QStringLiteral("/a/fil.sur"));
    }

    // ---- directory list ----

    void listsAncestorsThenSubdirectories()
    {
        DirList list;
        QSignalSpy changed(&list, &DirList::changed);
        const QString a = m_top + QStringLiteral("/a");
        QVERIFY(list.setPath(a));
        QCOMPARE(list.path(), a);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().first().toString(), a);
        // Subdirectories only, in name order whatever their case; no files, no hidden ones.
        const QStringList subs{a + "/b", a + "/Cc", a + "/d", a + "/tom"};
        QCOMPARE(list.entries(), chainTo(a) + subs);
        QCOMPARE(list.currentItem()->text(0), QStringLiteral("a"));
        QCOMPARE(list.topLevelItem(0)->text(0), QDir::toNativeSeparators(QDir::rootPath()));
    }

    void setPathForms_data()
    {
        QTest::addColumn<QString>("given");    // relative to the test's tree
        QTest::addColumn<QString>("expected"); // relative to the tree; "-" for no change
        QTest::newRow("trailing separator") << "a/b/"
                                            << "a/b";
        QTest::newRow("dot dot") << "a/b/../d"
                                 << "a/d";
        QTest::newRow("missing") << "a/finnes-ikke"
                                 << "-";
        QTest::newRow("a file") << "a/fil.sur"
                                << "-";
        QTest::newRow("empty") << "<empty>"
                               << "-";
    }
    void setPathForms()
    {
        QFETCH(QString, given);
        QFETCH(QString, expected);
        DirList list;
        const QString start = m_top + QStringLiteral("/a");
        QVERIFY(list.setPath(start));
        QSignalSpy changed(&list, &DirList::changed);
        const bool ok = list.setPath(given == "<empty>" ? QString() : m_top + '/' + given);
        QCOMPARE(ok, expected != "-");
        QCOMPARE(list.path(), expected == "-" ? start : m_top + '/' + expected);
        QCOMPARE(changed.size(), expected == "-" ? 0 : 1);
    }

    void relativePathBecomesAbsolute()
    {
        const QString old = QDir::currentPath();
        QDir::setCurrent(m_top);
        DirList list;
        QVERIFY(list.setPath(QStringLiteral("a")));
        QDir::setCurrent(old);
        QCOMPARE(list.path(), m_top + QStringLiteral("/a"));
    }

    void samePathRaisesNoChangeButRelists()
    {
        DirList list;
        const QString a = m_top + QStringLiteral("/a");
        QVERIFY(list.setPath(a));
        QVERIFY(QDir(a).mkdir(QStringLiteral("ny")));
        QSignalSpy changed(&list, &DirList::changed);
        QVERIFY(list.setPath(a + QStringLiteral("/")));
        QCOMPARE(changed.size(), 0);
        QVERIFY(list.entries().contains(a + QStringLiteral("/ny")));
    }

    void rootHasOnlyItself()
    {
        DirList list;
        QVERIFY(list.setPath(QDir::rootPath()));
        QCOMPARE(list.path(), QDir::rootPath());
        const QStringList entries = list.entries();
        QCOMPARE(entries.first(), QDir::rootPath());
        QCOMPARE(list.topLevelItemCount(), 1);
        // Each subdirectory of the root once, not doubled separators.
        for (qsizetype i = 1; i < entries.size(); ++i)
            QVERIFY2(!entries[i].contains(QStringLiteral("//")), qPrintable(entries[i]));
    }

    void opening_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("row");          // counted from the current directory's line
        QTest::addColumn<QString>("expected"); // relative to the tree
        QTest::newRow("double-click subdirectory") << "double-click" << 2 << "a/Cc";
        QTest::newRow("double-click parent") << "double-click" << -1 << "";
        QTest::newRow("Enter on subdirectory") << "enter" << 1 << "a/b";
        QTest::newRow("single click only selects") << "click" << 1 << "a";
        QTest::newRow("double-click current") << "double-click" << 0 << "a";
    }
    void opening()
    {
        QFETCH(QString, how);
        QFETCH(int, row);
        QFETCH(QString, expected);
        DirList list;
        list.resize(300, 400);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QString a = m_top + QStringLiteral("/a");
        QVERIFY(list.setPath(a));
        const int currentRow = int(list.entries().indexOf(a));
        const QPoint at = centreOf(list, currentRow + row);
        QSignalSpy changed(&list, &DirList::changed);
        if (how == "double-click") {
            doubleClickAt(list.viewport(), at);
        } else if (how == "click") {
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        } else {
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
            QTest::keyClick(&list, Qt::Key_Return);
        }
        const QString target = expected.isEmpty() ? m_top : m_top + '/' + expected;
        QCOMPARE(list.path(), target);
        QCOMPARE(changed.size(), target == a ? 0 : 1);
        // The opened directory is the current line of the new listing.
        if (target != a)
            QCOMPARE(list.currentItem()->data(0, Qt::UserRole).toString(), target);
    }

    void directoryRemovedSinceListed()
    {
        DirList list;
        const QString a = m_top + QStringLiteral("/a");
        QVERIFY(list.setPath(a));
        const int row = int(list.entries().indexOf(a + QStringLiteral("/tom")));
        QVERIFY(row > 0);
        QVERIFY(QDir(a).rmdir(QStringLiteral("tom")));
        QSignalSpy changed(&list, &DirList::changed);
        QVERIFY(list.openEntry(row));
        QCOMPARE(list.path(), a);
        QCOMPARE(changed.size(), 0);
        QVERIFY(!list.entries().contains(a + QStringLiteral("/tom")));
    }

    // ---- file list ----

    void listsMatchingFilesOnly()
    {
        const QString dir = m_top + QStringLiteral("/a/b");
        for (const char *name : {"parti.sur", "B.SUR", "c.Sur", ".sur", "notat.txt", "x.sur.bak", "sur"})
            touch(dir + '/' + QLatin1String(name));
        QVERIFY(QDir(dir).mkdir(QStringLiteral("mappe.sur")));
        FileList list;
        list.setPattern(QStringLiteral("*.sur"));
        QVERIFY(list.names().isEmpty());
        list.setPath(dir);
        QStringList names = list.names();
        // Name order regardless of case.
        QVERIFY(names.indexOf("B.SUR") < names.indexOf("c.Sur") && names.indexOf("c.Sur") < names.indexOf("parti.sur"));
        names.sort();
        QCOMPARE(names, (QStringList{".sur", "B.SUR", "c.Sur", "parti.sur"}));
        QCOMPARE(list.fileName(), QString());
    }

    void emptyAndMissingDirectories()
    {
        FileList list;
        list.setPattern(QStringLiteral("*.sur"));
        list.setPath(m_top + QStringLiteral("/a"));
        QCOMPARE(list.names(), QStringList{"fil.sur"});
        list.setPath(m_top + QStringLiteral("/a/tom"));
        QCOMPARE(list.count(), 0);
        list.setPath(m_top + QStringLiteral("/finnes-ikke"));
        QCOMPARE(list.count(), 0);
    }

    void settingTheSamePathRelists()
    {
        FileList list;
        list.setPattern(QStringLiteral("*.sur"));
        const QString a = m_top + QStringLiteral("/a");
        list.setPath(a);
        touch(a + QStringLiteral("/ny.sur"));
        list.setPath(a);
        QCOMPARE(list.names(), (QStringList{"fil.sur", "ny.sur"}));
    }

    void selectingAndDoubleClicking_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("signalled");
        QTest::newRow("click") << "click"
                               << "b.sur" << QStringList{};
        QTest::newRow("double-click") << "double-click"
                                      << "b.sur" << QStringList{"b.sur"};
        QTest::newRow("Enter on selected") << "click+enter"
                                           << "b.sur" << QStringList{"b.sur"};
        QTest::newRow("Enter with none selected") << "enter"
                                                  << "" << QStringList{};
    }
    void selectingAndDoubleClicking()
    {
        QFETCH(QString, how);
        QFETCH(QString, selected);
        QFETCH(QStringList, signalled);
        const QString dir = m_top + QStringLiteral("/a/d");
        touch(dir + QStringLiteral("/a.sur"));
        touch(dir + QStringLiteral("/b.sur"));
        FileList list;
        list.setPattern(QStringLiteral("*.sur"));
        list.setPath(dir);
        list.resize(200, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy spy(&list, &FileList::doubleClicked);
        const QPoint at = centreOf(list, QStringLiteral("b.sur"));
        if (how == "double-click")
            doubleClickAt(list.viewport(), at);
        if (how.startsWith("click"))
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        if (how.endsWith("enter"))
            QTest::keyClick(&list, Qt::Key_Return);
        QCOMPARE(list.fileName(), selected);
        QStringList names;
        for (const QList<QVariant> &args : spy)
            names << args.first().toString();
        QCOMPARE(names, signalled);
    }

    void selectionEndsWithANewDirectory()
    {
        const QString dir = m_top + QStringLiteral("/a");
        FileList list;
        list.setPattern(QStringLiteral("*.sur"));
        list.setPath(dir);
        QVERIFY(list.selectFile(QStringLiteral("fil.sur")));
        QCOMPARE(list.fileName(), QStringLiteral("fil.sur"));
        QVERIFY(!list.selectFile(QStringLiteral("FIL.SUR")));
        list.setPath(m_top + QStringLiteral("/a/b"));
        QCOMPARE(list.fileName(), QString());
    }
};

QTEST_MAIN(tst_dirlist)
#include "tst_dirlist.moc"
