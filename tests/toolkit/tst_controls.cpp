#include "toolkit/controls.h"
#include "toolkit/picturebox.h"
#include "desktop/process.h"
#include "toolkit/textbox.h"
#include "toolkit/twips.h"
#include "toolkit/windows.h"
#include "tests/support/replaced.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPaintEvent>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

class tst_controls : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twipsConvert_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("exact") << 1440 << 96;
        QTest::newRow("rounds down") << 1095 << 73;
        QTest::newRow("rounds half up") << 3487 << 232; // 232.47
        QTest::newRow("half") << 7 << 0;
        QTest::newRow("half up") << 8 << 1;
        QTest::newRow("window width") << 10065 << 671;
    }
    void twipsConvert()
    {
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(toolkit::twips(twips), pixels);
    }

    // The windows' face is named alone (for a list Qt sorts every font on the system for fallbacks
    // as soon as the font is drawn), installed, and the condensed face wherever that is there.
    void layoutFontIsOneInstalledFace()
    {
        const QFont font = toolkit::layoutFont();
        QCOMPARE(font.pixelSize(), 11);
        QCOMPARE(font.families().size(), 1);
        QCOMPARE(QFontInfo(font).family(), font.families().first());
        if (QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans Condensed")))
            QCOMPARE(font.families().first(), QStringLiteral("DejaVu Sans Condensed"));
    }

    void announcedLabelJoinsRoleAndCaption()
    {
        toolkit::installAccessibility();
        QWidget window;
        auto *label = new toolkit::AnnouncedLabel(QStringLiteral("12"), &window);
        label->setAnnouncePrefix(QStringLiteral("Spiller A, minutter: "));
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(label);
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Spiller A, minutter: 12"));
        label->setText(QStringLiteral("13"));
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Spiller A, minutter: 13"));
    }

    void wideCaptionIsDrawnSmaller_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("smaller");
        const QSize readout(17, 17); // a read-out's 255 twips
        const QSize button(71, 29);  // a start button's 1095 x 495 twips, less the bevel
        const int wrap = Qt::AlignCenter | Qt::TextWordWrap;
        QTest::newRow("two digits fit") << "59" << readout << int(Qt::AlignRight) << false;
        QTest::newRow("three digits") << "123" << readout << int(Qt::AlignRight) << true;
        QTest::newRow("six digits") << "123456" << readout << int(Qt::AlignRight) << true;
        QTest::newRow("two lines fit") << "Spiller A begynner" << button << wrap << false;
        QTest::newRow("three lines do not") << "Kari Nordmann begynner" << button << wrap << true;
    }
    void wideCaptionIsDrawnSmaller()
    {
        QFETCH(QString, text);
        QFETCH(QSize, area);
        QFETCH(int, flags);
        QFETCH(bool, smaller);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        const toolkit::FittedText fit = toolkit::fitText(font, text, area, flags);
        const QFont &fitted = fit.font;
        QCOMPARE(fitted.pixelSize() < font.pixelSize(), smaller);
        const QRect needed = QFontMetrics(fitted).boundingRect(QRect(QPoint(0, 0), area), flags, text);
        if (fit.whole)
            QVERIFY(needed.width() <= area.width() && needed.height() <= area.height());
    }

    // Every text in every area and font: drawn whole in the largest font that holds it, never
    // below the minimum, or else shortened so that what is drawn still lies inside the area.
    void textFitsItsArea_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("whole");
        const QSize readout(17, 17);
        const QSize button(71, 29);
        const QSize caption(73, 17); // "Tid per spiller:"
        const int right = Qt::AlignRight | Qt::AlignVCenter;
        const int left = Qt::AlignLeft | Qt::AlignVCenter;
        const int wrap = Qt::AlignCenter | Qt::TextWordWrap;
        const QString longest = QStringLiteral("Kari Nordmann ").repeated(72).left(1000);
        const QString oneWord = QString(1000, u'W');
        const struct {
            const char *name;
            QString family;
            int pixels;
        } fonts[] = {{"condensed", QStringLiteral("DejaVu Sans Condensed"), 11},
                     {"sans", QStringLiteral("DejaVu Sans"), 11},
                     {"sans +25%", QStringLiteral("DejaVu Sans"), 14}};
        for (const auto &f : fonts) {
            QFont font(f.family);
            font.setPixelSize(f.pixels);
            const auto row = [&](const char *what) -> QTestData & { return QTest::addRow("%s, %s", f.name, what); };
            row("unit") << font << "Min" << readout << left << true;
            row("limit caption") << font << "Tid per spiller:" << caption << left << true;
            row("two digits") << font << "59" << readout << right << true;
            row("three digits") << font << "599" << readout << right << true;
            row("read-out of a file") << font << "1234567" << readout << right << false;
            row("start button") << font << "Spiller A begynner" << button << wrap << true;
            row("longer name") << font << "Kari Nordmann begynner" << button << wrap << true;
            row("longest name") << font << longest + " begynner" << button << wrap << false;
            row("one long word") << font << oneWord << button << wrap << false;
            row("flag") << font << "Klaffen har falt for " + longest << QSize(160, 17) << left << false;
        }
    }
    void textFitsItsArea()
    {
        QFETCH(QFont, font);
        QFETCH(QString, text);
        QFETCH(QSize, area);
        QFETCH(int, flags);
        QFETCH(bool, whole);
        const toolkit::FittedText fit = toolkit::fitText(font, text, area, flags);
        QCOMPARE(fit.whole, whole);
        const int size = QFontInfo(fit.font).pixelSize();
        QVERIFY2(size >= toolkit::kMinimumTextPixels, qPrintable(QString::number(size)));
        QVERIFY(size <= font.pixelSize());
        QCOMPARE(QFontInfo(fit.font).family(), QFontInfo(font).family());
        const int drawn = whole ? flags : flags & ~int(Qt::TextWordWrap);
        const QRect needed = QFontMetrics(fit.font).boundingRect(QRect(QPoint(0, 0), area), drawn, fit.shown);
        QVERIFY2(needed.width() <= area.width() && needed.height() <= area.height(),
                 qPrintable(QStringLiteral("%1 px: %2x%3 in %4x%5")
                                .arg(size)
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(area.width())
                                .arg(area.height())));
        if (whole) {
            QCOMPARE(fit.shown, text);
            // The largest size that holds it: one pixel more does not.
            if (size < font.pixelSize()) {
                QFont larger = fit.font;
                larger.setPixelSize(size + 1);
                const QRect more = QFontMetrics(larger).boundingRect(QRect(QPoint(0, 0), area), flags, text);
                QVERIFY(more.width() > area.width() || more.height() > area.height());
            }
        } else {
            QCOMPARE(size, toolkit::kMinimumTextPixels);
            QVERIFY(fit.shown.endsWith(QChar(0x2026)));
            // The shortened text begins as the text does, wherever its lines were broken.
            const auto letters = [](QString t) { return t.remove(QRegularExpression(QStringLiteral("\\s"))); };
            const QString kept = letters(fit.shown.chopped(1));
            QVERIFY2(!kept.isEmpty() && letters(text).startsWith(kept), qPrintable(fit.shown));
        }
    }

    // A shortened caption is whole in the tooltip and for assistive technology; a name or
    // tooltip given on purpose stays.
    void shortenedCaptionStaysWholeElsewhere_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("ownName");
        QTest::addColumn<QString>("ownToolTip");
        for (const char *kind : {"label", "frame", "button"}) {
            QTest::addRow("%s", kind) << kind << QString() << QString();
            QTest::addRow("%s with a name of its own", kind) << kind << "Klaff for spiller A" << QString();
            QTest::addRow("%s with a tooltip of its own", kind) << kind << QString() << "Trykk her";
        }
    }
    void shortenedCaptionStaysWholeElsewhere()
    {
        QFETCH(QString, kind);
        QFETCH(QString, ownName);
        QFETCH(QString, ownToolTip);
        QWidget window;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        window.setFont(font);
        QWidget *control = nullptr;
        if (kind == QLatin1String("label"))
            control = toolkit::makeLabel(&window, "c", QString());
        else if (kind == QLatin1String("frame"))
            control = toolkit::makeFrame(&window, "c", QString());
        else
            control = toolkit::makeButton(&window, "c", QString());
        control->setGeometry(10, 10, 100, 20);
        if (!ownName.isEmpty())
            control->setAccessibleName(ownName);
        control->setToolTip(ownToolTip);
        const auto setText = [&](const QString &text) {
            if (auto *label = qobject_cast<QLabel *>(control))
                label->setText(text);
            else if (auto *frame = qobject_cast<QGroupBox *>(control))
                frame->setTitle(text);
            else
                static_cast<QPushButton *>(control)->setText(text);
        };
        const QString full = QStringLiteral("Klaffen har falt for ") + QString(980, u'x');
        setText(full);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const std::optional<toolkit::FittedText> fit = toolkit::fittedTextOf(control);
        QVERIFY(fit);
        QVERIFY(!fit->whole);
        QCOMPARE(control->toolTip(), ownToolTip.isEmpty() ? full : ownToolTip);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), ownName.isEmpty() ? full : ownName);

        // Short again: the tooltip that only repeated the text goes.
        setText(QStringLiteral("Pause"));
        QTRY_VERIFY(toolkit::fittedTextOf(control)->whole);
        QCOMPARE(control->toolTip(), ownToolTip);
        QCOMPARE(iface->text(QAccessible::Name), ownName.isEmpty() ? QStringLiteral("Pause") : ownName);
    }

    // The fit follows the text and the font the control is given after it was made.
    void fitFollowsTextAndFont()
    {
        QWidget window;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        window.setFont(font);
        toolkit::FitLabel *unit = toolkit::makeLabel(&window, "mina2", QStringLiteral("Mi"));
        unit->setGeometry(0, 0, 17, 17);
        QVERIFY(unit->fittedText().whole);
        const int two = QFontInfo(unit->fittedText().font).pixelSize();
        unit->setText(QStringLiteral("Min"));
        const int three = QFontInfo(unit->fittedText().font).pixelSize();
        QVERIFY2(three < two, qPrintable(QStringLiteral("%1 then %2").arg(two).arg(three)));
        QCOMPARE(unit->fittedText().shown, QStringLiteral("Min"));

        // A larger face given to the window reaches the label and is fitted too.
        font.setPixelSize(20);
        window.setFont(font);
        QCOMPARE(unit->font().pixelSize(), 20);
        QCOMPARE(QFontInfo(unit->fittedText().font).pixelSize(), three);
        // A narrower face needs less shrinking.
        font.setFamily(QStringLiteral("DejaVu Sans Condensed"));
        window.setFont(font);
        if (QFontInfo(font).family() == QLatin1String("DejaVu Sans Condensed"))
            QVERIFY(QFontInfo(unit->fittedText().font).pixelSize() >= three);
    }

    // A fitter that remembers earlier fits must still give each text the fit of its present font,
    // area and flags, and the tooltip that goes with it.
    void earlierFitsFollowFontAreaAndFlags_data()
    {
        QTest::addColumn<QStringList>("steps"); // text|width|height|pixel size|flags
        const QString longText = QStringLiteral("Klaffen har falt for ") + QString(200, u'x');
        QTest::newRow("a read-out's seconds") << QStringList{"57|17|17|11|2", "58|17|17|11|2", "59|17|17|11|2",
                                                             "0|17|17|11|2",  "57|17|17|11|2", "58|17|17|11|2"};
        QTest::newRow("a number seen before in a narrower area") << QStringList{
            "123|40|17|11|2", "7|40|17|11|2", "123|40|17|11|2", "7|12|17|11|2", "123|12|17|11|2", "123|40|17|11|2"};
        QTest::newRow("a number seen before in a larger font")
            << QStringList{"123|24|17|11|2", "9|24|17|11|2", "123|24|17|20|2", "9|24|17|20|2", "123|24|17|11|2"};
        QTest::newRow("a caption seen before, wrapped or not")
            << QStringList{"Spiller A begynner|71|29|11|2", "x|71|29|11|2", "Spiller A begynner|71|29|11|4228",
                           "Spiller A begynner|71|29|11|2"};
        QTest::newRow("shortened, whole, shortened again") << QStringList{
            longText + "|100|17|11|1", "Pause|100|17|11|1", longText + "|100|17|11|1", "Pause|100|17|11|1"};
    }
    void earlierFitsFollowFontAreaAndFlags()
    {
        QFETCH(QStringList, steps);
        QWidget control;
        toolkit::TextFitter fitter;
        for (const QString &step : std::as_const(steps)) {
            const QStringList part = step.split(u'|');
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(part[3].toInt());
            const QSize area(part[1].toInt(), part[2].toInt());
            const int flags = part[4].toInt();
            const toolkit::FittedText got = fitter.fit(&control, font, part[0], area, flags);
            const toolkit::FittedText fresh = toolkit::fitText(font, part[0], area, flags);
            const QString where = part[0].left(24) + QStringLiteral(" in ") + part.mid(1).join(u'|');
            QVERIFY2(got.font == fresh.font && got.shown == fresh.shown && got.whole == fresh.whole, qPrintable(where));
            QCOMPARE(control.toolTip(), fresh.whole ? QString() : part[0]);
        }
    }

    // A control laid over a label's right part narrows the room for its caption.
    void coveredPartOfLabelIsNotUsed()
    {
        QWidget window;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        window.setFont(font);
        toolkit::FitLabel *label = toolkit::makeLabel(&window, "label1", QStringLiteral("Filnavn"));
        label->setGeometry(8, 0, 73, 25);
        QCOMPARE(label->fittedText().font.pixelSize(), 11);
        auto *box = new QLineEdit(&window);
        box->setGeometry(48, 0, 145, 25);
        const toolkit::FittedText fit = label->fittedText();
        QVERIFY(fit.whole);
        QVERIFY(QFontMetrics(fit.font).horizontalAdvance(fit.shown) <= 40);
        // Hidden, it covers nothing.
        box->hide();
        QCOMPARE(label->fittedText().font.pixelSize(), 11);
    }

    void textBoxReportsOnlyUserFocus()
    {
        QWidget window;
        auto *first = new QLineEdit(&window);
        auto *box = new toolkit::TextBox(QStringLiteral("x"), &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        first->setFocus(Qt::OtherFocusReason);
        QSignalSpy spy(box, &toolkit::TextBox::gotFocus);
        QTest::keyClick(&window, Qt::Key_Tab);
        QCOMPARE(spy.count(), 1);
        first->setFocus(Qt::OtherFocusReason);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(spy.count(), 2);
        // Coming back to the window is not the user moving into the box.
        QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(box, &back);
        QCOMPARE(spy.count(), 2);
    }

    void pictureBoxKeepsItsDrawingAndState()
    {
        toolkit::PictureBox box;
        box.resize(200, 200);
        const QColor background = box.pixelAt(5, 5);
        box.setFillStyle(toolkit::PictureBox::FillStyle::Solid);
        box.setFillColor(QColor(0, 128, 0));
        box.circle(100, 100, 50, QColor(255, 0, 0));
        QCOMPARE(box.pixelAt(100, 100), QColor(0, 128, 0));
        QCOMPARE(box.pixelAt(100, 50), QColor(255, 0, 0));
        QCOMPARE(box.pixelAt(5, 5), background);
        // Transparent fill draws the rim only; what was inside stays.
        box.setFillStyle(toolkit::PictureBox::FillStyle::Transparent);
        box.circle(100, 100, 20, QColor(255, 0, 0));
        QCOMPARE(box.pixelAt(100, 100), QColor(0, 128, 0));
        QCOMPARE(box.pixelAt(100, 80), QColor(255, 0, 0));
        // The drawing survives a resize.
        box.resize(250, 250);
        QCOMPARE(box.pixelAt(100, 100), QColor(0, 128, 0));
        // Lines use the foreground colour and the draw width.
        box.setDrawWidth(3);
        box.line(10, 150, 60, 150);
        for (int y : {149, 150, 151})
            QCOMPARE(box.pixelAt(30, y), box.foreColor());
        QCOMPARE(box.pixelAt(30, 148), background);
        QCOMPARE(box.pixelAt(30, 152), background);
    }

    void pictureBoxRepaintsOnlyRealChanges()
    {
        toolkit::PictureBox box;
        box.resize(120, 120);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const auto draw = [&box](int x) {
            box.setFillStyle(toolkit::PictureBox::FillStyle::Solid);
            box.setFillColor(QColor(0, 128, 0));
            box.circle(60, 60, 50, QColor(255, 0, 0));
            box.line(60, 60, float(x), 20);
        };
        int paints = 0;
        struct Counter : QObject {
            int *n;
            explicit Counter(int *count) : n(count) {}
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::Paint)
                    ++*n;
                return false;
            }
        } counter(&paints);
        box.installEventFilter(&counter);
        draw(60);
        QTRY_VERIFY(paints > 0); // the first picture reaches the screen, however slowly
        paints = 0;
        draw(60); // the same picture again
        QTest::qWait(50);
        QCOMPARE(paints, 0);
        draw(80);
        QTRY_COMPARE(paints, 1);
    }

    // A moved hand repaints the pixels around it, not the whole face: what lies on the face away
    // from the hands (the flag strip at its top) is left alone.
    void pictureBoxRepaintsOnlyWhatChanged()
    {
        QWidget window;
        auto *box = new toolkit::PictureBox(&window);
        box->setGeometry(0, 0, 200, 200);
        auto *strip = new QWidget(box);
        strip->setGeometry(5, 2, 190, 14);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto draw = [box](double seconds) {
            box->setFillStyle(toolkit::PictureBox::FillStyle::Solid);
            box->setFillColor(QColor(0, 128, 0));
            box->circle(100, 100, 80, QColor(255, 0, 0));
            box->setFillStyle(toolkit::PictureBox::FillStyle::Transparent);
            box->line(100, 100, float(100 + 80 * std::sin(seconds * M_PI / 30)),
                      float(100 - 80 * std::cos(seconds * M_PI / 30)));
        };
        struct Regions : QObject {
            QRegion box, strip;
            QObject *boxObject = nullptr;
            bool eventFilter(QObject *o, QEvent *e) override
            {
                if (e->type() == QEvent::Paint)
                    (o == boxObject ? box : strip) += static_cast<QPaintEvent *>(e)->region();
                return false;
            }
        } painted;
        painted.boxObject = box;
        box->installEventFilter(&painted);
        strip->installEventFilter(&painted);
        draw(10);
        QTRY_VERIFY(!painted.box.isEmpty()); // the first picture reaches the screen, however slowly
        painted.box = painted.strip = QRegion();
        draw(11); // the hand moves from 2 to a little past 2 o'clock
        QTRY_VERIFY(!painted.box.isEmpty());
        QTest::qWait(50);
        QVERIFY(painted.strip.isEmpty());
        const QRect where = painted.box.boundingRect();
        QVERIFY2(where.contains(QPoint(100, 100)) && where.contains(QPoint(172, 63)),
                 qPrintable(QDebug::toString(where)));
        QVERIFY2(where.width() < 100 && where.height() < 60, qPrintable(QDebug::toString(where)));
    }

    // Whatever was drawn, the screen ends up showing the canvas: a repaint limited to what changed
    // must never leave an old pixel behind.
    void pictureBoxScreenFollowsTheCanvas_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<qreal>("zoom");
        // f<s>: disc and two clipped hands at s seconds; x: a line across the box, unclipped;
        // r: a smaller disc of another colour; t: a circle outline only; c<s>: the disc under a clip;
        // p<s>, q<s>: the disc only right of x = 60, or but for a band across the middle, then the hands.
        QTest::newRow("hands move") << "f0 f1 f2 f15 f16 f59 f60" << 1.0;
        QTest::newRow("hands move, zoomed") << "f0 f1 f2 f15 f16 f59 f60" << 1.5;
        QTest::newRow("the same picture") << "f5 f5 f5" << 1.0;
        QTest::newRow("line past the disc") << "f5 x f6 f7" << 1.0;
        QTest::newRow("another disc between") << "f5 r f6 f7" << 1.0;
        QTest::newRow("outline between") << "f3 t f4 f4" << 1.0;
        QTest::newRow("clipped disc between") << "f20 c50 f35 c10" << 1.0;
        QTest::newRow("discs in part") << "f5 p6 p7 p40 p41 f42 p43" << 1.0;
        QTest::newRow("discs in part, zoomed") << "f5 p6 p40 p41 f42 p43" << 2.86;
        QTest::newRow("discs in two parts") << "f15 q40 f41 q42" << 1.0;
    }

    void pictureBoxScreenFollowsTheCanvas()
    {
        QFETCH(QString, steps);
        QFETCH(qreal, zoom);
        QWidget window;
        window.resize(int(200 * zoom), int(200 * zoom));
        auto *box = new toolkit::PictureBox(&window);
        box->setZoom(zoom);
        box->setGeometry(window.rect());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        using Fill = toolkit::PictureBox::FillStyle;
        const auto disc = [box](int radius, const QColor &colour) {
            box->setFillStyle(Fill::Solid);
            box->setFillColor(colour);
            box->circle(100, 100, radius, Qt::red);
            box->setFillStyle(Fill::Transparent);
        };
        const auto hands = [box](int seconds) {
            box->setClipRegion(QRegion(30, 30, 141, 141, QRegion::Ellipse));
            for (auto [width, length, turns] : {std::tuple(3, 60, 60.0), std::tuple(1, 75, 1.0)}) {
                const double angle = seconds * 2 * M_PI / 60 / turns;
                box->setDrawWidth(width);
                box->line(100, 100, float(100 + length * std::sin(angle)), float(100 - length * std::cos(angle)));
            }
            box->setDrawWidth(1);
            box->clearClip();
        };
        for (const QString &step : steps.split(u' ')) {
            const int seconds = step.mid(1).toInt();
            switch (step.front().toLatin1()) {
            case 'f':
                disc(80, QColor(0, 128, 0));
                hands(seconds);
                break;
            case 'x':
                box->line(0, 10, 199, 190);
                break;
            case 'r':
                disc(60, Qt::yellow);
                break;
            case 't':
                box->circle(100, 100, 50, Qt::blue);
                break;
            case 'p':
            case 'q':
                box->setClipRegion(step.front() == u'p' ? QRegion(60, 0, 140, 200)
                                                        : QRegion(0, 0, 200, 90) + QRegion(0, 110, 200, 90));
                disc(80, QColor(0, 128, 0));
                box->clearClip();
                hands(seconds);
                break;
            case 'c':
                box->setClipRegion(QRegion(0, 0, 100, 200)); // away from the hands it follows
                disc(80, QColor(0, 128, 0));
                box->clearClip();
                hands(seconds);
                break;
            }
            // The flush, then the repaint it asks for, come from the event loop: however long that
            // takes under load, nothing else repaints, so a pixel left behind stays wrong.
            const auto screenShowsCanvas = [&window, box] {
                const QImage screen = window.screen()
                                          ->grabWindow(window.winId())
                                          .toImage()
                                          .convertToFormat(QImage::Format_ARGB32_Premultiplied);
                QImage canvas = box->canvas();
                canvas.setDevicePixelRatio(screen.devicePixelRatio());
                return screen.copy(canvas.rect()) == canvas;
            };
            QTRY_VERIFY2_WITH_TIMEOUT(screenShowsCanvas(), qPrintable(step), 5000);
        }
    }

    void showOnceCreatesOneWindow()
    {
        QPointer<QWidget> slot;
        int created = 0;
        auto make = [&] {
            ++created;
            return new QWidget;
        };
        QWidget *first = toolkit::showOnce<QWidget>(slot, make);
        QWidget *second = toolkit::showOnce<QWidget>(slot, make);
        QCOMPARE(first, second);
        QCOMPARE(created, 1);
        first->close(); // destroyed on close
        QTRY_VERIFY(slot.isNull());
        toolkit::showOnce<QWidget>(slot, make);
        QCOMPARE(created, 2);
        delete slot.data();
    }

    void reasonLabelGrowsTheWindowFromItsLayout()
    {
        QWidget window(nullptr, Qt::Dialog);
        toolkit::setUpWindow(&window, 0, 0, 3000, 1500);
        auto *reason = new toolkit::ReasonLabel(&window, 3000, 1500);
        QVERIFY(reason->isHidden());
        QCOMPARE(window.size(), QSize(toolkit::twips(3000), toolkit::twips(1500)));

        reason->showReason(QStringLiteral("Filen kan ikke lagres fordi mappen er skrivebeskyttet. ").repeated(4));
        QVERIFY(!reason->isHidden());
        const int longHeight = window.height();
        QCOMPARE(window.width(), toolkit::twips(3000));
        QVERIFY(longHeight > toolkit::twips(1500));
        // Below the layout, and read whole inside the window.
        QCOMPARE(reason->y(), toolkit::twips(1500));
        QVERIFY(window.rect().contains(reason->geometry()));
        QVERIFY(reason->height() >= reason->heightForWidth(reason->width()));

        // A shorter reason shrinks the window again: it grows from the layout, not from the last reason.
        reason->showReason(QStringLiteral("Kort."));
        QVERIFY(window.height() < longHeight);
        QVERIFY(window.height() > toolkit::twips(1500));
        QVERIFY(window.rect().contains(reason->geometry()));
    }

    void programStarterIsReplaceableAndReportsFailure()
    {
        QList<desktop::StartRequest> seen;
        {
            const support::Replaced starter{desktop::setProgramStarter,
                                            [&](const desktop::StartRequest &r) {
                                                seen << r;
                                                return QString();
                                            },
                                            desktop::ProgramStarter{}};
            QVERIFY(desktop::startProgram({QStringLiteral("viewer"), {QStringLiteral("doc")}}).isEmpty());
            QCOMPARE(seen.size(), 1);
            QCOMPARE(seen.first().arguments, QStringList{QStringLiteral("doc")});
        }
        // The real starter says why a program cannot start.
        QVERIFY(!desktop::startProgram({QStringLiteral("/nonexistent/partivakt-viewer"), {}}).isEmpty());
    }
};

QTEST_MAIN(tst_controls)
#include "tst_controls.moc"
