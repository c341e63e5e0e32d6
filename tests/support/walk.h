#pragma once

#include "simulator.h"

#include <QStringList>

namespace ydssim::testing {

// The requests of one submission in order, as plain HTTP: "front", "login-page", "login", "top",
// "main", "menu-main", "menu-search", "search", "open", "list", "new", "continue", "save".
QStringList walkSteps();

struct WalkInput
{
    QString user = Simulator::demoUser();
    QString password = Simulator::demoPassword();
    QString yibf = Simulator::demoYibf();
    QString levels[4] = {QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("5"),
                         QStringLiteral("5")};
    QString inspector = QStringLiteral("Mehmet Demir");
    QString idNumber = QStringLiteral("12345678901");
    QString developments = QStringLiteral("Çatı katı betonu döküldü, sıva işlerine başlandı.");
    QString fileName = QStringLiteral("1234567.jpg");
    QByteArray photo;
};

// Walks from `from` (empty = the start) up to and including `until`; returns the answer of
// that step.
PortalClient::Page walkTo(Simulator &sim, PortalClient &client, const QString &until,
                          const WalkInput &in = {}, const QString &from = {});

} // namespace ydssim::testing
