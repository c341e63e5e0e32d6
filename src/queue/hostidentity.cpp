#include "queue/hostidentity.h"

namespace queue {
namespace {
QString &name()
{
    static QString n;
    return n;
}
QString &address()
{
    static QString a;
    return a;
}
} // namespace

const QString &HostName()
{
    return name();
}
const QString &HostAddress()
{
    return address();
}
void SetHostName(const QString &n)
{
    name() = n;
}
void SetHostAddress(const QString &a)
{
    address() = a;
}
} // namespace queue
