#pragma once

#include <QByteArray>
#include <QString>

// What the demo installation needs for the operator login: institutions and operators whose
// cases can be tried by hand (see the table in logindemo.cpp). Rows are added to an existing
// "f3436" store; the caller creates the tables.
bool AddLoginDemoData(const QString &f3436Connection);

// The demo's ministry credentials of the first institution (the portal simulator must accept
// them).
QString DemoMinistryUser();
QString DemoMinistryPassword();

// A version list that shows the built programs as up to date, so the demo never updates itself.
// Serve it at "/download/Tarvek_Zere/Tarvek2000/versiyon2015.txt" of the update host.
QByteArray DemoVersionList();
