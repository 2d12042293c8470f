#include "pingTotals.h"

#include <limits>

#include "basVesk.h"

using namespace basVesk;

namespace {

// Signed overflow is undefined; a counter that reaches the end stays there.
void addSaturating(std::int64_t& total, std::int64_t amount)
{
    if (__builtin_add_overflow(total, amount, &total))
        total = amount > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}

// The average is taken down, never up, also for a negative sum.
std::int64_t floorDivide(std::int64_t sum, std::int64_t count)
{
    std::int64_t q = sum / count;
    if (sum % count != 0 && (sum < 0) != (count < 0))
        --q;
    return q;
}

}  // namespace

int RoundTripClass(std::int32_t ms, bool failed)
{
    // A failed exchange leaves its round trip at 0; taken at its word it
    // would pass for the fastest reply of all.
    if (failed || ms > 1000) return 9;
    if (ms >= 501) return 8;
    if (ms >= 401) return 7;
    if (ms >= 301) return 6;
    if (ms >= 251) return 5;
    if (ms >= 201) return 4;
    if (ms >= 151) return 3;
    if (ms >= 101) return 2;
    if (ms >= 51) return 1;
    return 0;
}

void CountSent() { addSaturating(lPingTot, 1); }

void CountOutcome(std::int32_t ms, bool failed)
{
    if (failed || ms >= 1000) {
        addSaturating(lTimeOut, 1);
    } else {
        addSaturating(lPingOk, 1);
        addSaturating(lMsTot, ms);
    }
}

void ResetCounters()
{
    lPingOk = 0;
    lTimeOut = 0;
    lPingTot = 0;
    lMsTot = 0;
}

QString TotalsLine()
{
    QString totals = QStringLiteral("total pings: ") + QString::number(lPingTot) + QStringLiteral(" - timeouts: ") +
                     QString::number(lTimeOut);
    if (lPingOk != 0)
        totals += QStringLiteral(" - ok: ") + QString::number(lPingTot - lTimeOut) + QStringLiteral(" - avg:  ") +
                  QString::number(floorDivide(lMsTot, lPingOk));
    return totals;
}
