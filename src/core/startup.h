#pragma once

#include <QString>

#include <functional>

// The start-up procedure: the working folder, the connection settings, then the operator login
// window (loaded by showLoginWindow; errors it raises are not start-up's concern).
void RunStartup(const QString &commandLine, const std::function<void()> &showLoginWindow);
