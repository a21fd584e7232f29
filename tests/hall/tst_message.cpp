// The hall's message format: what the decoder accepts and what it drops, by kind, one row a case;
// and every field of a board going out and coming back unchanged.
#include "hall/message.h"

#include <QTest>

using namespace hall;

Q_DECLARE_METATYPE(hall::Reject)
Q_DECLARE_METATYPE(hall::BoardState)

namespace {

const QString kHall = QStringLiteral("klubb");
const QString kTopic = QStringLiteral("partivakt/klubb/board/7");

// A message a clock sends, with one part replaced by the row's.
QByteArray board(const char *replace = nullptr, const char *with = nullptr)
{
    QByteArray m = R"({"v":1,"hall":"klubb","board":7,"seq":12,"phase":"running","toMove":"A","control":"3 + 2",)"
                   R"("a":{"name":"Kari","leftMs":170250,"moves":4,"flag":0},)"
                   R"("b":{"name":"Ola","leftMs":-500,"moves":null,"flag":0},"last":{"player":"B","ms":2100}})";
    if (replace)
        m.replace(replace, with);
    return m;
}

} // namespace

class tst_message : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decode_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<Reject>("reason");
        const auto ok = [](const char *name, const QByteArray &payload, const QString &topic = kTopic) {
            QTest::newRow(name) << topic << payload << true << Reject::NotJson;
        };
        const auto no = [](const char *name, const QByteArray &payload, Reject reason, const QString &topic = kTopic) {
            QTest::newRow(name) << topic << payload << false << reason;
        };
        ok("a running board", board());
        ok("set-up: nobody on move", board(R"("phase":"running","toMove":"A")", R"("phase":"setup","toMove":null)"));
        ok("paused with the move", board(R"("phase":"running")", R"("phase":"paused")"));
        ok("no last move yet", board(R"("last":{"player":"B","ms":2100})", R"("last":null)"));
        ok("last move left out", board(R"(,"last":{"player":"B","ms":2100})", ""));
        ok("the will", R"({"v":1,"hall":"klubb","board":7,"gone":true})");
        ok("a field of a later minor change is passed over", board(R"("seq":12)", R"("seq":12,"clockId":"x")"));
        ok("A fell first, B second",
           board(R"("flag":0},"b")", R"("flag":1},"b")").replace(R"("flag":0},"last")", R"("flag":2},"last")"));
        ok("board 999", board(R"("board":7)", R"("board":999)"), QStringLiteral("partivakt/klubb/board/999"));
        ok("a classic clock a hundred hours past its limit", board("-500", "-360000000"));

        no("empty", "", Reject::NotJson);
        no("cut short", board().left(60), Reject::NotJson);
        no("an array", "[1,2,3]", Reject::NotJson);
        no("a bare number", "1", Reject::NotJson);
        no("trailing bytes", board() + "x", Reject::NotJson);
        no("larger than the bound", board(R"("Kari")", '"' + QByteArray(kMaxMessageBytes, 'k') + '"'),
           Reject::TooLarge);
        no("larger than the bound and not JSON", QByteArray(kMaxMessageBytes + 1, '{'), Reject::TooLarge);
        no("version 2", board(R"("v":1)", R"("v":2)"), Reject::UnknownVersion);
        no("version as text", board(R"("v":1)", R"("v":"1")"), Reject::UnknownVersion);
        no("no version", board(R"("v":1,)", ""), Reject::UnknownVersion);
        no("another hall in the body", board(R"("hall":"klubb")", R"("hall":"annen")"), Reject::OtherHall);
        no("another hall in the topic", board(), Reject::OtherHall, QStringLiteral("partivakt/annen/board/7"));
        no("a topic not of a board", board(), Reject::OtherHall, QStringLiteral("partivakt/klubb/status/7"));
        no("a topic one level deeper", board(), Reject::OtherHall, QStringLiteral("partivakt/klubb/board/7/x"));
        no("board 0", board(R"("board":7)", R"("board":0)"), Reject::Absurd, QStringLiteral("partivakt/klubb/board/0"));
        no("board 1000", board(R"("board":7)", R"("board":1000)"), Reject::Absurd,
           QStringLiteral("partivakt/klubb/board/1000"));
        no("another board than the topic's", board(R"("board":7)", R"("board":8)"), Reject::Absurd);
        no("the topic's board written 07", board(), Reject::Absurd, QStringLiteral("partivakt/klubb/board/07"));
        no("a board of a fraction", board(R"("board":7)", R"("board":7.5)"), Reject::Absurd);
        no("more than a hundred hours left", board("170250", "360000001"), Reject::Absurd);
        no("time as text", board("170250", R"("170250")"), Reject::Absurd);
        no("a time of 1e300", board("170250", "1e300"), Reject::Absurd);
        no("negative moves", board(R"("moves":4)", R"("moves":-1)"), Reject::Absurd);
        no("ten thousand moves", board(R"("moves":4)", R"("moves":10000)"), Reject::Absurd);
        no("flag 3", board(R"("flag":0},"b")", R"("flag":3},"b")"), Reject::Absurd);
        no("both flags first", board(R"("flag":0)", R"("flag":1)"), Reject::Absurd);
        no("a second flag with none first", board(R"("flag":0},"b")", R"("flag":2},"b")"), Reject::Absurd);
        no("an unknown phase", board(R"("phase":"running")", R"("phase":"over")"), Reject::Absurd);
        no("running for nobody", board(R"("toMove":"A")", R"("toMove":null)"), Reject::Absurd);
        no("on move: C", board(R"("toMove":"A")", R"("toMove":"C")"), Reject::Absurd);
        no("no side B", board(R"(,"b":{"name":"Ola","leftMs":-500,"moves":null,"flag":0})", ""), Reject::Absurd);
        no("a name beyond the bound", board(R"("Kari")", '"' + QByteArray(kMaxTextLength + 1, 'k') + '"'),
           Reject::Absurd);
        no("a name that is a number", board(R"("Kari")", "7"), Reject::Absurd);
        no("a negative sequence", board(R"("seq":12)", R"("seq":-1)"), Reject::Absurd);
        no("gone as text", R"({"v":1,"hall":"klubb","board":7,"gone":"yes"})", Reject::Absurd);
        no("a last move by nobody", board(R"("player":"B")", R"("player":null)"), Reject::Absurd);
        no("a last move that took negative time", board(R"("ms":2100)", R"("ms":-1)"), Reject::Absurd);
    }

    void decode()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        QFETCH(bool, accepted);
        QFETCH(Reject, reason);
        const Decoded d = hall::decode(topic, payload, kHall);
        QCOMPARE(d.state.has_value(), accepted);
        if (!accepted)
            QCOMPARE(d.reason, reason);
    }

    void roundTrip_data()
    {
        QTest::addColumn<BoardState>("state");
        BoardState running;
        running.board = 12;
        running.hall = kHall;
        running.control = QStringLiteral("90/40 + 30 min, 30 s fra trekk 1");
        running.a = {QStringLiteral("Åse Ødegård «den raske»"), 5400000, 0, 0};
        running.b = {QStringLiteral("Ola"), 1, 39, 0};
        running.toMove = Side::B;
        running.phase = GamePhase::Running;
        running.lastPlayer = Side::A;
        running.lastMoveMs = 61234;
        running.seq = quint64(kMaxSeq);
        QTest::newRow("running, the longest sequence") << running;
        BoardState classic = running;
        classic.a = {QStringLiteral("Spiller A"), -61000, std::nullopt, 1};
        classic.b = {QStringLiteral("Spiller B"), -1000, std::nullopt, 2};
        classic.phase = GamePhase::Paused;
        classic.lastPlayer = Side::None;
        classic.lastMoveMs = 0;
        QTest::newRow("classic, both flags down, paused") << classic;
        BoardState setUp;
        setUp.board = 1;
        setUp.hall = kHall;
        setUp.a.name = setUp.b.name = QStringLiteral("\"/\\\n");
        QTest::newRow("set-up, names with quotes and a line break") << setUp;
        BoardState gone;
        gone.board = 999;
        gone.hall = kHall;
        gone.gone = true;
        QTest::newRow("gone") << gone;
    }

    void roundTrip()
    {
        QFETCH(BoardState, state);
        const QByteArray bytes = encode(state);
        QVERIFY(bytes.size() < 600);
        const Decoded d = hall::decode(boardTopic(kHall, state.board), bytes, kHall);
        QVERIFY2(d.state, qPrintable(d.detail + QLatin1Char(' ') + QString::fromUtf8(bytes)));
        QCOMPARE(*d.state, state);
    }

    void counts()
    {
        RejectCounts counts;
        for (const auto &[topic, payload] :
             {std::pair{kTopic, QByteArray("nonsense")}, std::pair{kTopic, board("\"v\":1", "\"v\":9")},
              std::pair{QStringLiteral("partivakt/annen/board/7"), board()}, std::pair{kTopic, QByteArray("{")}}) {
            const Decoded d = hall::decode(topic, payload, kHall);
            QVERIFY(!d.state);
            counts.add(d.reason);
        }
        QCOMPARE(counts.total(), quint64(4));
        QCOMPARE(counts.text(), QStringLiteral("4 (ikke JSON 2, ukjent versjon 1, annen sal 1)"));
    }
};

QTEST_GUILESS_MAIN(tst_message)
#include "tst_message.moc"
