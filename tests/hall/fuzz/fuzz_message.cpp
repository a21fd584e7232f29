// libFuzzer target for the hall's message reader. The first byte picks the topic, the rest is the
// payload. Besides crashes it aborts when a promise the overview relies on breaks:
// - an accepted board is in bounds (board 1 to 999, times within a hundred hours, flags in order);
// - an accepted board, written again and read back, is the same board.

#include "hall/message.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_message: %s\n", what);
        std::abort();
    }
}

const QString kHall = QStringLiteral("klubb");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QString topics[] = {QStringLiteral("partivakt/klubb/board/7"), QStringLiteral("partivakt/klubb/board/1"),
                              QStringLiteral("partivakt/klubb/board/999"), QStringLiteral("partivakt/annen/board/7")};
    const QString &topic = topics[data[0] % 4];
    const QByteArray payload(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const hall::Decoded d = hall::decode(topic, payload, kHall);
    if (!d.state)
        return 0;
    const hall::BoardState &s = *d.state;
    check(payload.size() <= hall::kMaxMessageBytes, "accepted a message beyond the bound");
    check(s.hall == kHall && topic.startsWith(QStringLiteral("partivakt/klubb/")), "accepted another hall");
    check(s.board >= 1 && s.board <= hall::kMaxBoard && topic.endsWith(QLatin1Char('/') + QString::number(s.board)),
          "accepted a board not the topic's");
    if (!s.gone) {
        for (const hall::SideState *p : {&s.a, &s.b}) {
            check(p->leftMs >= -hall::kMaxTimeMs && p->leftMs <= hall::kMaxTimeMs, "time out of bounds");
            check(!p->moves || (*p->moves >= 0 && *p->moves <= hall::kMaxMoves), "moves out of bounds");
            check(p->name.size() <= hall::kMaxTextLength, "name beyond the bound");
        }
        check(s.a.flag + s.b.flag <= 3 && !(s.a.flag == s.b.flag && s.a.flag != 0), "flags out of order");
    }
    const hall::Decoded again = hall::decode(topic, hall::encode(s), kHall);
    check(again.state && *again.state == s, "a board written again reads back otherwise");
    return 0;
}
