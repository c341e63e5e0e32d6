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
    // The demo's own signing key pair (never the vendor's) and its update host's files.
    QString secretKeyFile() const { return root + QStringLiteral("/imza/demo-gizli.anahtar"); }
    QString publicKeyFile() const { return root + QStringLiteral("/imza/demo-acik.anahtar"); }
    QString updatesFolder() const { return root + QStringLiteral("/updates"); }
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

// Builds the installation (databases, settings, folders, update host); returns false with a
// reason.
bool BuildDemoInstall(const DemoInstall &install, QString *error);
// The update host's files, signed with the demo's key pair (made when missing): the version list
// of this build and a package of each program found in the program folder (remade when the
// program is newer), each with its ".sig".
bool WriteDemoUpdates(const DemoInstall &install, QString *error);
DemoLogin DemoOperator();
