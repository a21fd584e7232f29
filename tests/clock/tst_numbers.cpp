#include "clock/numbers.h"

#include <QTest>

#include <cmath>

using namespace gameclock;

class tst_numbers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numericValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("digits then letters") << "45abc" << 45.0;
        QTest::newRow("3x") << "3x" << 3.0;
        QTest::newRow("blank inside") << "4 5" << 45.0;
        QTest::newRow("tab and line feed inside") << "1\t2\n3" << 123.0;
        QTest::newRow("leading blank, trailing word") << " 30 min" << 30.0;
        QTest::newRow("fraction") << "0.5" << 0.5;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("trailing point") << "5." << 5.0;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("comma is no decimal separator") << "2,5" << 2.0;
        QTest::newRow("minus") << "-2" << -2.0;
        QTest::newRow("plus") << "+7" << 7.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("exponent e") << "1e1" << 10.0;
        QTest::newRow("exponent D") << "1D1" << 10.0;
        QTest::newRow("negative exponent") << "2E-1" << 0.2;
        QTest::newRow("exponent without digits") << "3e" << 3.0;
        QTest::newRow("exponent sign without digits") << "3e+x" << 3.0;
        QTest::newRow("hex") << "&H1F" << 31.0;
        QTest::newRow("hex lower case") << "&hff" << 255.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("octal stops at 8") << "&O178" << 15.0;
        QTest::newRow("ampersand alone") << "&" << 0.0;
        QTest::newRow("sixty") << "60" << 60.0;
        QTest::newRow("seventy-five") << "75" << 75.0;
        QTest::newRow("leading zeros") << "007" << 7.0;
        QTest::newRow("non-ascii digits do not count") << QString::fromUtf8("٣") << 0.0;
    }
    void numericValue()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(gameclock::numericValue(text), value);
    }

    void hugeExponentDoesNotCrash()
    {
        QVERIFY(gameclock::numericValue(QStringLiteral("1e999")) > 60);
        QCOMPARE(gameclock::numericValue(QStringLiteral("1e-999")), 0.0);
    }

    void strictNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("value");
        QTest::newRow("zero") << "0" << true << 0.0;
        QTest::newRow("minutes") << "123" << true << 123.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("trailing letters") << "12a" << false << 0.0;
        QTest::newRow("letters") << "abc" << false << 0.0;
        QTest::newRow("two numbers") << "1 2" << false << 0.0;
        QTest::newRow("hex is not a read-out") << "&H10" << false << 0.0;
    }
    void strictNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(double, value);
        const std::optional<double> n = gameclock::strictNumber(text);
        QCOMPARE(n.has_value(), isNumber);
        if (isNumber)
            QCOMPARE(*n, value);
    }

    void numberToText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("seven") << 7.0 << "7";
        QTest::newRow("sixty") << 60.0 << "60";
        QTest::newRow("large minutes") << 123456789.0 << "123456789";
        QTest::newRow("fraction keeps its point") << 30.5 << "30.5";
    }
    void numberToText()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(gameclock::numberToText(value), text);
    }

    void processLocaleDoesNotChangeTheDecimalPoint()
    {
        // Qt applications run with the user's locale, where the separator may be a comma.
        const char *old = std::setlocale(LC_NUMERIC, "nb_NO.UTF-8");
        QCOMPARE(gameclock::numericValue(QStringLiteral("0.5")), 0.5);
        QCOMPARE(gameclock::numberToText(0.5), QStringLiteral("0.5"));
        std::setlocale(LC_NUMERIC, old ? old : "C");
    }
};

QTEST_GUILESS_MAIN(tst_numbers)
#include "tst_numbers.moc"
