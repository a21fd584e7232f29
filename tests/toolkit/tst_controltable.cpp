#include "tests/support/controltablecheck.h"

#include "toolkit/controls.h"

#include <QTest>

using toolkit::ControlKind;
using toolkit::ControlRow;
using toolkit::ControlState;
using toolkit::kNoTab;
using toolkit::TableFault;

Q_DECLARE_METATYPE(toolkit::ControlKind)
Q_DECLARE_METATYPE(toolkit::TableFault)
Q_DECLARE_METATYPE(std::vector<toolkit::ControlRow>)

namespace {

// Tables the compiler already refuses, as the windows ask it to.
constexpr ControlRow kTwins[] = {{"a", ControlKind::Label, "", 0, 0, 1, 1}, {"a", ControlKind::Label, "", 0, 0, 1, 1}};
static_assert(toolkit::tableFault(kTwins) == TableFault::DuplicateName);
constexpr ControlRow kNested[] = {{"f", ControlKind::Frame, "", 0, 0, 9, 9},
                                  {"l", ControlKind::Label, "", 0, 0, 1, 1, "f"}};
static_assert(toolkit::tableFault(kNested) == TableFault::None);

} // namespace

class tst_controltable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eachKindMakesItsClass_data()
    {
        QTest::addColumn<ControlKind>("kind");
        QTest::addColumn<QString>("shownCaption");
        const QString caption = QStringLiteral("Åpne");
        QTest::newRow("Shape") << ControlKind::Shape << QString();
        QTest::newRow("PlayerFrame") << ControlKind::PlayerFrame << QString();
        QTest::newRow("Frame") << ControlKind::Frame << caption;
        QTest::newRow("Label") << ControlKind::Label << caption;
        QTest::newRow("AnnouncedLabel") << ControlKind::AnnouncedLabel << caption;
        QTest::newRow("CommandButton") << ControlKind::CommandButton << caption;
        QTest::newRow("TextBox") << ControlKind::TextBox << caption;
        QTest::newRow("LineEdit") << ControlKind::LineEdit << caption;
        QTest::newRow("PictureBox") << ControlKind::PictureBox << QString();
        // A flag stands until it falls: its caption is for the fall alone.
        QTest::newRow("FlagStrip") << ControlKind::FlagStrip << QString();
        QTest::newRow("DirList") << ControlKind::DirList << QString();
        QTest::newRow("FileList") << ControlKind::FileList << QString();
    }
    void eachKindMakesItsClass()
    {
        QFETCH(ControlKind, kind);
        QFETCH(QString, shownCaption);
        QWidget window;
        const ControlRow table[] = {{"c", kind, "Åpne", 120, 240, 1455, 285}};
        const toolkit::BuiltControls built = toolkit::buildControls(&window, table);
        QCOMPARE(built.fault(), TableFault::None);
        QCOMPARE(built.size(), 1);
        QWidget *c = built.widget(QStringLiteral("c"));
        QVERIFY(c);
        QCOMPARE(c->objectName(), QStringLiteral("c"));
        QCOMPARE(c->parentWidget(), &window);
        QCOMPARE(QString::fromLatin1(c->metaObject()->className()), expectedClass(kind));
        QCOMPARE(captionOf(c), shownCaption);
        QCOMPARE(c->geometry(), QRect(8, 16, 97, 19));
    }

    void placesAndChainsAsDrawn_data()
    {
        QTest::addColumn<std::vector<ControlRow>>("table");
        QTest::newRow("one level") << std::vector<ControlRow>{
            {"ok", ControlKind::CommandButton, "OK", 2040, 1080, 1215, 495, nullptr, 0},
            {"navn", ControlKind::TextBox, "Text1", 120, 240, 1455, 285, nullptr, 1},
            {"Avbryt", ControlKind::CommandButton, "Avbryt", 2040, 1800, 1215, 495, nullptr, 2},
        };
        // The natural chain follows the rows; these orders are no turn of it.
        QTest::newRow("tab order against row order") << std::vector<ControlRow>{
            {"c", ControlKind::CommandButton, "C", 0, 0, 300, 300, nullptr, 2},
            {"a", ControlKind::CommandButton, "A", 600, 0, 300, 300, nullptr, 0},
            {"label", ControlKind::Label, "L", 300, 0, 300, 300},
            {"d", ControlKind::TextBox, "D", 900, 0, 300, 300, nullptr, 3},
            {"b", ControlKind::LineEdit, "B", 1200, 0, 300, 300, nullptr, 1},
        };
        QTest::newRow("gaps in the tab indices") << std::vector<ControlRow>{
            {"x", ControlKind::CommandButton, "X", 0, 0, 300, 300, nullptr, 40},
            {"z", ControlKind::CommandButton, "Z", 0, 300, 300, 300, nullptr, 17},
            {"y", ControlKind::CommandButton, "Y", 0, 600, 300, 300, nullptr, 5},
        };
        QTest::newRow("frames in frames") << std::vector<ControlRow>{
            {"Frame1", ControlKind::Frame, "Ytre", 120, 1800, 4215, 3495},
            {"Frame2", ControlKind::Frame, "Indre", 360, 360, 1695, 855, "Frame1"},
            {"Label1", ControlKind::Label, "Postboks 0", 120, 240, 1095, 255, "Frame2"},
            {"Command1", ControlKind::CommandButton, "OK", 2400, 2520, 1455, 615, "Frame1", 0},
        };
        QTest::newRow("flag on its face") << std::vector<ControlRow>{
            {"ura", ControlKind::PictureBox, "", 960, 1080, 3100, 2775},
            {"klaffa", ControlKind::FlagStrip, "", 240, 0, 2535, 255, "ura"},
        };
        QTest::newRow("hidden and disabled") << std::vector<ControlRow>{
            {"pause", ControlKind::CommandButton, "Pause", 0, 0, 900, 300, nullptr, 0, ControlState::Disabled},
            {"pausea", ControlKind::CommandButton, "A", 0, 300, 900, 300, nullptr, 1, ControlState::Hidden},
            {"Label1", ControlKind::Label, "1", 0, 600, 255, 255, nullptr, kNoTab, ControlState::Hidden},
            {"Shape2", ControlKind::Shape, "", 0, 900, 1815, 375},
        };
        QTest::newRow("overlapping, later on top") << std::vector<ControlRow>{
            {"Shape4", ControlKind::Shape, "", 600, 840, 8775, 3255},
            {"label1", ControlKind::Label, "Filnavn", 120, 3960, 1095, 375},
            {"filnavn", ControlKind::LineEdit, "Spill", 720, 3960, 2175, 375, nullptr, 0},
        };
    }
    void placesAndChainsAsDrawn()
    {
        QFETCH(std::vector<ControlRow>, table);
        QWidget window;
        const toolkit::BuiltControls built = toolkit::buildControls(&window, table);
        QCOMPARE(built.fault(), TableFault::None);
        QCOMPARE(built.size(), qsizetype(table.size()));
        checkBuiltAsTable(&window, table);
    }

    // The check the windows rely on must see a control that moved, changed or left its place.
    void checkSeesADeparture_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("none") << "none";
        QTest::newRow("moved") << "moved";
        QTest::newRow("hidden") << "hidden";
        QTest::newRow("disabled") << "disabled";
        QTest::newRow("recaptioned") << "recaptioned";
        QTest::newRow("reparented") << "reparented";
        QTest::newRow("raised behind") << "raised behind";
        QTest::newRow("tab order") << "tab order";
        QTest::newRow("second of the name") << "second of the name";
    }
    void checkSeesADeparture()
    {
        QFETCH(QString, change);
        const ControlRow table[] = {
            {"Frame1", ControlKind::Frame, "Filbane:", 120, 0, 5535, 615},
            {"filbane", ControlKind::Label, "Sti", 120, 240, 5295, 255, "Frame1"},
            {"Avbryt", ControlKind::CommandButton, "Avbryt", 3480, 4080, 1455, 375, nullptr, 0},
            {"opne", ControlKind::CommandButton, "Åpne", 3480, 3600, 1455, 375, nullptr, 1},
            {"File1", ControlKind::FileList, "", 2880, 840, 2775, 2625, nullptr, 2},
        };
        QWidget window;
        const toolkit::BuiltControls built = toolkit::buildControls(&window, table);
        QWidget *opne = built.widget(QStringLiteral("opne"));
        QWidget *avbryt = built.widget(QStringLiteral("Avbryt"));
        if (change == "moved")
            opne->move(opne->pos() + QPoint(1, 0));
        else if (change == "hidden")
            opne->setHidden(true);
        else if (change == "disabled")
            opne->setEnabled(false);
        else if (change == "recaptioned")
            static_cast<QAbstractButton *>(opne)->setText(QStringLiteral("Apne"));
        else if (change == "reparented")
            opne->setParent(built.widget(QStringLiteral("Frame1")));
        else if (change == "raised behind")
            opne->stackUnder(avbryt);
        else if (change == "tab order")
            QWidget::setTabOrder(opne, avbryt);
        else if (change == "second of the name")
            toolkit::makeLabel(&window, "opne", QString());
        const QString departure = departureFromTable(&window, table);
        QVERIFY2(departure.isEmpty() == (change == "none"), qPrintable(change + QStringLiteral(": ") + departure));
    }

    void faultyTableMakesNothing_data()
    {
        QTest::addColumn<std::vector<ControlRow>>("table");
        QTest::addColumn<TableFault>("fault");
        QTest::newRow("same name twice") << std::vector<ControlRow>{
            {"ok", ControlKind::CommandButton, "OK", 0, 0, 1, 1},
            {"x", ControlKind::Label, "", 0, 0, 1, 1},
            {"ok", ControlKind::Label, "", 0, 0, 1, 1},
        } << TableFault::DuplicateName;
        QTest::newRow("no name") << std::vector<ControlRow>{
            {"ok", ControlKind::CommandButton, "OK", 0, 0, 1, 1},
            {nullptr, ControlKind::Label, "", 0, 0, 1, 1},
        } << TableFault::MissingName;
        QTest::newRow("empty name") << std::vector<ControlRow>{
            {"", ControlKind::Label, "", 0, 0, 1, 1},
        } << TableFault::MissingName;
        QTest::newRow("parent unknown") << std::vector<ControlRow>{
            {"Label1", ControlKind::Label, "", 0, 0, 1, 1, "Frame9"},
        } << TableFault::UnknownParent;
        QTest::newRow("parent drawn later") << std::vector<ControlRow>{
            {"Label1", ControlKind::Label, "", 0, 0, 1, 1, "Frame1"},
            {"Frame1", ControlKind::Frame, "", 0, 0, 9, 9},
        } << TableFault::UnknownParent;
        QTest::newRow("own parent") << std::vector<ControlRow>{
            {"Frame1", ControlKind::Frame, "", 0, 0, 9, 9, "Frame1"},
        } << TableFault::UnknownParent;
        QTest::newRow("tab index twice") << std::vector<ControlRow>{
            {"a", ControlKind::CommandButton, "", 0, 0, 1, 1, nullptr, 3},
            {"b", ControlKind::CommandButton, "", 0, 0, 1, 1, nullptr, 4},
            {"c", ControlKind::CommandButton, "", 0, 0, 1, 1, nullptr, 3},
        } << TableFault::DuplicateTabIndex;
        QTest::newRow("untabbed ones share no index") << std::vector<ControlRow>{
            {"a", ControlKind::Label, "", 0, 0, 1, 1},
            {"b", ControlKind::Label, "", 0, 0, 1, 1},
        } << TableFault::None;
    }
    void faultyTableMakesNothing()
    {
        QFETCH(std::vector<ControlRow>, table);
        QFETCH(TableFault, fault);
        QCOMPARE(toolkit::tableFault(table), fault);
        QWidget window;
        const toolkit::BuiltControls built = toolkit::buildControls(&window, table);
        QCOMPARE(built.fault(), fault);
        if (fault == TableFault::None) {
            QCOMPARE(built.size(), qsizetype(table.size()));
        } else {
            QCOMPARE(built.size(), 0);
            QVERIFY(window.findChildren<QWidget *>().isEmpty());
        }
    }
};

QTEST_MAIN(tst_controltable)
#include "tst_controltable.moc"
