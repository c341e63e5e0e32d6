#pragma once

#include <QDate>
#include <QDateTime>

namespace platform {

class ClockService
{
public:
    virtual ~ClockService() = default;
    virtual QDate today() const = 0;
    virtual QDateTime now() const = 0;
    // Real length of one nominal 1000 ms timer tick; tests shorten it.
    virtual int tickMs() const = 0;
};

class SystemClock : public ClockService
{
public:
    QDate today() const override { return QDate::currentDate(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    int tickMs() const override { return 1000; }
};

// A nominal interval (in ms, as the windows state them) scaled to the clock's tick length.
int timerInterval(int nominalMs);

} // namespace platform
