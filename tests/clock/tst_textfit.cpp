// Every fixed caption of every window, in the faces a desktop may give: the condensed face the
// layout was drawn for, the plain face a machine without it falls back to, and a face a quarter
// larger. Each caption must be drawn whole; only captions that carry a player's name may be
// shortened, and only for names too long for any font.

#include "tests/support/clockfixture.h"

#include "gamefiles/frmlagresom.h"
#include "gamefiles/frmopne.h"
#include "info/frmom.h"
#include "toolkit/windows.h"
#include "settings/frmalt.h"

#include <QAccessible>
#include <QFontInfo>
#include <QPushButton>

using gameclock::frmhoved;

namespace {

const QString kLongest = QStringLiteral("Kari Nordmann ").repeated(72).left(1000);

// Checks every fitted control below the widget; returns the names of those shortened.
QStringList checkFits(QWidget *top)
{
    QStringList shortened;
    for (QWidget *control : top->findChildren<QWidget *>()) {
        const std::optional<toolkit::FittedText> fit = toolkit::fittedTextOf(control);
        if (!fit)
            continue;
        const QString name = control->objectName();
        const int size = QFontInfo(fit->font).pixelSize();
        [&] { QVERIFY2(size >= toolkit::kMinimumTextPixels, qPrintable(name)); }();
        // Measured apart from the fit itself: what is drawn lies inside the control.
        const QFontMetrics metrics(fit->font);
        if (auto *button = qobject_cast<QPushButton *>(control)) {
            const QRect needed = metrics.boundingRect(button->rect(), Qt::AlignCenter | Qt::TextWordWrap, fit->shown);
            [&] { QVERIFY2(button->rect().contains(needed), qPrintable(name)); }();
        } else {
            const int room = qobject_cast<QLabel *>(control) ? static_cast<QLabel *>(control)->contentsRect().width()
                                                             : control->width();
            const int needed = metrics.horizontalAdvance(fit->shown);
            [&] {
                QVERIFY2(needed <= room, qPrintable(QStringLiteral("%1: %2 of %3 px").arg(name).arg(needed).arg(room)));
            }();
            [&] { QVERIFY2(metrics.height() <= control->height(), qPrintable(name)); }();
        }
        if (!fit->whole) {
            shortened << name;
            const QString full = control->property(qobject_cast<QGroupBox *>(control) ? "title" : "text").toString();
            [&] { QCOMPARE(control->toolTip(), full); }();
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
            // A read-out is announced with its player and unit before the number.
            [&] { QVERIFY2(iface && iface->text(QAccessible::Name).endsWith(full), qPrintable(name)); }();
        }
    }
    return shortened;
}

} // namespace

class tst_textfit : public QObject {
    Q_OBJECT
private:
    QFont m_font;

    // Gives a window the face of the row, as a desktop without the layout's face would.
    void useFont(QWidget *window) { window->setFont(m_font); }

    void fonts()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("mustShorten");
    }
    void addRows(const QStringList &mayShortenWithLongest, bool withNames = true)
    {
        const struct {
            const char *tag;
            const char *family;
            int pixels;
        } faces[] = {{"condensed", "DejaVu Sans Condensed", 11},
                     {"sans", "DejaVu Sans", 11},
                     {"condensed +25%", "DejaVu Sans Condensed", 14},
                     {"sans +25%", "DejaVu Sans", 14}};
        const struct {
            const char *tag;
            QString name;
            bool longest;
        } names[] = {{"defaults", QString(), false},
                     {"short name", QStringLiteral("Ola"), false},
                     {"full name", QStringLiteral("Kari Nordmann"), false},
                     {"longest name", kLongest, true}};
        for (const auto &face : faces)
            for (const auto &n : names)
                if (withNames || n.name.isEmpty())
                    QTest::addRow("%s, %s", face.tag, n.tag)
                        << face.family << face.pixels << n.name << (n.longest ? mayShortenWithLongest : QStringList());
    }
    bool takeFont()
    {
        QFETCH(QString, family);
        QFETCH(int, pixels);
        m_font = toolkit::layoutFont();
        m_font.setFamilies({family});
        m_font.setPixelSize(pixels);
        return QFontInfo(m_font).family() == family;
    }

private Q_SLOTS:
    void mainWindow_data()
    {
        fonts();
        addRows({"starta", "startb", "pausea", "pauseb", "klaffa", "klaffb"});
    }
    void mainWindow()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, mustShorten);
        // A day's play in minutes is four digits: a read-out is only 255 twips wide.
        const QStringList mayShorten = mustShorten + QStringList{QStringLiteral("minb")};
        if (!takeFont())
            QSKIP("this face is not installed");
        ClockFixture f;
        frmhoved &w = f.start();
        useFont(w.centralWidget());
        if (!name.isEmpty()) {
            w.spillera->setText(name);
            w.spillerb->setText(name);
        }
        f.clock.advance(100); // the start buttons take the names
        QVERIFY(w.starta->text().endsWith(QStringLiteral(" begynner")));
        QStringList shortened = checkFits(&w);

        // A game: A's flag falls, B's too, read-outs as long as a day's play, then a pause.
        w.stans->setText(QStringLiteral("1"));
        w.starta->click();
        f.clock.advance(61'000);
        w.Command1->click();
        f.clock.advance(61'000);
        QVERIFY(w.klaffa->title().startsWith(QStringLiteral("Klaffen har falt for ")));
        QVERIFY(w.klaffb->title().startsWith(QStringLiteral("Klaffen har falt for ")));
        w.mina->setText(QStringLiteral("999"));
        w.minb->setText(QStringLiteral("1440"));
        w.seka->setText(QStringLiteral("59"));
        shortened += checkFits(&w);
        w.pause->click();
        QVERIFY(!w.pausea->isHidden());
        shortened += checkFits(&w);

        shortened.removeDuplicates();
        for (const QString &c : shortened)
            QVERIFY2(mayShorten.contains(c), qPrintable(c + QStringLiteral(" is shortened")));
        for (const QString &c : mustShorten)
            QVERIFY2(shortened.contains(c), qPrintable(c + QStringLiteral(" fits a 1000-character name?")));
    }

    void otherWindows_data()
    {
        fonts();
        addRows({}, false);
    }
    void otherWindows()
    {
        if (!takeFont())
            QSKIP("this face is not installed");
        ClockFixture f;
        frmhoved &w = f.start();
        const std::unique_ptr<QWidget> windows[] = {
            std::make_unique<info::frmom>(),
            std::make_unique<settings::frmalt>(),
            std::make_unique<gamefiles::frmopne>(),
            std::make_unique<gamefiles::frmlagresom>([&w] { return w.gameValues(); }),
        };
        for (const auto &window : windows) {
            useFont(window.get());
            window->show();
            const QStringList shortened = checkFits(window.get());
            QVERIFY2(shortened.isEmpty(),
                     qPrintable(window->objectName() + QStringLiteral(": ") + shortened.join(u',')));
        }
    }
};

QTEST_MAIN(tst_textfit)
#include "tst_textfit.moc"
