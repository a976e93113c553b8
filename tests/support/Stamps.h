#pragma once
// The fixed wall-clock moment the register tests stamp their rows with, and fixed texts for
// it, so no test depends on when or where it runs: utcStamp with the UTC texts for the core,
// localStamp for the windows, which show the stamp on this machine's clock.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <chrono>
#include <cstdint>
#include <string>

#include "core/register/RegisterRows.h"

// 2024-03-05 14:07:09.250 UTC
inline int64_t utcStamp()
{
    using namespace std::chrono;
    const sys_days day = 2024y / March / 5;
    return duration_cast<milliseconds>(day.time_since_epoch() + 14h + 7min + 9s + 250ms).count();
}

// 5 March 2024, 14:07:09.250 on this machine's clock, whatever its time zone.
inline int64_t localStamp()
{
    return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 250)).toMSecsSinceEpoch();
}

// The register's fixed regional texts: a Polish short date and long time, of UTC.
inline std::string utcDate(int64_t ms)
{
    using namespace std::chrono;
    const year_month_day d{floor<days>(sys_time<milliseconds>(milliseconds(ms)))};
    return QStringLiteral("%1.%2.%3")
        .arg(unsigned(d.day()), 2, 10, QChar('0'))
        .arg(unsigned(d.month()), 2, 10, QChar('0'))
        .arg(int(d.year()))
        .toStdString();
}

inline std::string utcTime(int64_t ms)
{
    using namespace std::chrono;
    const sys_time<milliseconds> t{milliseconds(ms)};
    const hh_mm_ss<seconds> h{floor<seconds>(t - floor<days>(t))};
    return QStringLiteral("%1:%2:%3")
        .arg(h.hours().count())
        .arg(h.minutes().count(), 2, 10, QChar('0'))
        .arg(h.seconds().count(), 2, 10, QChar('0'))
        .toStdString();
}

inline const kx::StampFormat kUtcStamps{utcDate, utcTime};
