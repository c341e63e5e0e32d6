#pragma once

#include <QString>

// A complete demo installation in one folder: the office application's folder with network.txt
// and the embedded stores, the firm's shared photo folder, a settings store of its own and the
// deployment file. Nothing outside the folder is touched.
struct DemoInstall
{
    QString root; // native folder holding everything
    QString driveRoot() const { return root + QStringLiteral("/drives"); }
    QString settingsRoot() const { return root + QStringLiteral("/settings"); }
    QString programFolder() const { return root + QStringLiteral("/program"); }
    QString deploymentFile() const
    {
        return programFolder() + QStringLiteral("/tarvek-deployment.ini");
    }
    // Windows-style names as the program sees them.
    static QString siblingFolder() { return QStringLiteral("c:\\tarvek2000"); }
    static QString storeFolder() { return QStringLiteral("c:\\tarvek2000\\data"); }
    static QString sharedFolder() { return QStringLiteral("c:\\ortak"); }
};

// Demo login data: the operator to use is printed by the builder.
struct DemoLogin
{
    QString institution;
    QString user;
    QString password;
};

// Builds the installation (databases, settings, folders); returns false with a reason.
bool BuildDemoInstall(const DemoInstall &install, QString *error);
DemoLogin DemoOperator();
