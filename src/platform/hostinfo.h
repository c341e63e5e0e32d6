#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// What the workstation's socket layer answers; the host utilities turn it into the program's
// texts and messages. The double can make each step fail.
struct SocketStartup
{
    bool ok = true;
    int maxSockets = 32767;
    int versionMajor = 1;
    int versionMinor = 1;
};

class HostService
{
public:
    virtual ~HostService() = default;
    virtual SocketStartup startup() = 0;
    virtual bool cleanup() = 0;
    virtual std::optional<QString> hostName() = 0;
    virtual int lastError() const = 0;
    // The first address of the host entry for name, as raw bytes (4 for IPv4).
    virtual std::optional<QByteArray> firstAddress(const QString &name) = 0;
    // The user's temporary folder, with a trailing separator.
    virtual QString tempPath() const = 0;
};

class RealHostService : public HostService
{
public:
    SocketStartup startup() override { return {}; }
    bool cleanup() override { return true; }
    std::optional<QString> hostName() override;
    int lastError() const override { return m_lastError; }
    std::optional<QByteArray> firstAddress(const QString &name) override;
    QString tempPath() const override;

private:
    int m_lastError = 0;
};

} // namespace platform
