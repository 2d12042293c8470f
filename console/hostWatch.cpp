#include "hostWatch.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

#include "basVesk.h"
#include "formats.h"

HostWatch::Change HostWatch::feed(const Echo& echo)
{
    if (echo.entry != entry_) {
        forget();
        entry_ = echo.entry;
    }
    if (echo.status != basVesk::IP_SUCCESS) {
        if (outage_.failed == 0 || over_)
            outage_ = Outage{echo, 0};
        over_ = false;
        ++outage_.failed;
        if (!down_ && outage_.failed == kFailuresForDown) {
            down_ = true;
            return Change::WentDown;
        }
        return Change::Nothing;
    }
    if (!down_) {
        outage_ = Outage();
        return Change::Nothing;
    }
    // The outage stays for the up notice, until the next failure.
    down_ = false;
    over_ = true;
    return Change::CameBack;
}

namespace {

// As the address box shows it: the start of a long entry, without the
// blanks around it.
QString shownEntry(const QString& entry) { return trimBlanks(shownPart(entry)); }

}  // namespace

QString spanText(qint64 ms)
{
    const QLocale locale;
    const qint64 seconds = std::llround(std::max<qint64>(ms, 0) / 1000.0);
    if (seconds < 120)
        return locale.toString(seconds) + QStringLiteral(" s");
    const qint64 minutes = std::llround(seconds / 60.0);
    if (minutes < 120)
        return locale.toString(minutes) + QStringLiteral(" min");
    const qint64 tenths = std::llround(seconds / 360.0);
    if (tenths < 100)
        return locale.toString(tenths / 10.0, 'g', 2) + QStringLiteral(" h");
    return locale.toString(std::llround(seconds / 3600.0)) + QStringLiteral(" h");
}

Notice downNotice(const HostWatch::Outage& outage)
{
    const QLocale locale;
    const QString time =
        locale.toString(outage.first.when.time(), withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
    Notice notice;
    notice.kind = Notice::Kind::Down;
    notice.summary = shownEntry(outage.first.entry) + QStringLiteral(" is not answering");
    notice.body = QStringLiteral("%1 echoes failed in a row since %2\nfirst: %3")
                      .arg(locale.toString(outage.failed), time, outage.first.statusText);
    return notice;
}

Notice upNotice(const HostWatch::Outage& outage, const Echo& answer)
{
    Notice notice;
    notice.kind = Notice::Kind::Up;
    notice.summary = shownEntry(answer.entry) + QStringLiteral(" answers again");
    notice.body = QStringLiteral("round trip %1 ms\ndown for %2, %3 echoes lost")
                      .arg(QString::number(answer.roundTripMs), spanText(outage.first.when.msecsTo(answer.when)),
                           QLocale().toString(outage.failed));
    return notice;
}
