#include "platform/clock.h"

#include "platform/platform.h"

namespace platform {

int timerInterval(int nominalMs)
{
    const qint64 scaled = qint64(nominalMs) * Platform::clock().tickMs() / 1000;
    return int(qMax<qint64>(1, scaled));
}

} // namespace platform
