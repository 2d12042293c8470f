// Whether the host of a repeat run has stopped answering or answers again,
// and what vesk tells the desktop then. The window feeds it every echo of
// the repeat and forgets it when the run stops or starts afresh.
//
// Down: three echoes in a row fail (any status but success); the host is
// down from the first of them, also when a run starts so. Up: the first
// success after that. A run that starts answering says nothing.
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

#include "notifier.h"

struct Echo {
    QString entry;  // the box text, whole
    std::int32_t status = 0;
    std::int32_t roundTripMs = 0;
    QDateTime when;
    QString statusText;  // as the log line ends
};

class HostWatch {
public:
    static constexpr int kFailuresForDown = 3;

    enum class Change { Nothing, WentDown, CameBack };

    // The echoes that failed in a row, the latest ones or, once the host
    // came back, those that ended then.
    struct Outage {
        Echo first;
        int failed = 0;
    };

    // A new entry starts afresh.
    Change feed(const Echo& echo);
    void forget() { *this = HostWatch(); }
    const Outage& outage() const { return outage_; }

private:
    QString entry_;
    Outage outage_;
    bool down_ = false;
    // The host came back: the outage is over, but still told.
    bool over_ = false;
};

// The notices, the entry shown as the address box shows it.
Notice downNotice(const HostWatch::Outage& outage);
Notice upNotice(const HostWatch::Outage& outage, const Echo& answer);
// A span of time as it reads best: "45 s", "12 min", "2.5 h".
QString spanText(qint64 ms);
