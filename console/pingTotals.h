// The totals of the pings since the last reset, kept in basVesk's counters:
// how a ping counts, its round-trip class and the totals line. No widgets:
// the window shows the class as the lit cell and the meter, and the line
// in lblAvg.
#pragma once

#include <QString>
#include <cstdint>

// The cell of lblPing and the bar count of the meter, 0 to 9: the band of
// the round trip, and 9 for a failed exchange, whose round trip reads 0.
int RoundTripClass(std::int32_t ms, bool failed);

// One more ping sent (lPingTot).
void CountSent();
// Its outcome: a failed exchange or a round trip of 1000 ms or more is a
// timeout; any other is an ok reply whose round trip joins the sum.
void CountOutcome(std::int32_t ms, bool failed);
// All counters back to 0.
void ResetCounters();

// "total pings: N - timeouts: N", and " - ok: N - avg:  N" once a reply
// came, the average taken down.
QString TotalsLine();
