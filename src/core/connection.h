#pragma once

#include <QString>
#include <QStringList>

// Process-wide connection settings, written once during start-up and read-only afterwards.
struct ConnectionSettings
{
    QString WorkFolder;
    QString SiblingFolder;
    QString ConnectionPrefix;
    QString DatabaseSuffix;
    QString ServerName;
};

ConnectionSettings &Connection();

// The fixed SQL Server login of the firm's databases.
inline constexpr char16_t kSqlLogin[] = u"kvrtmlsn";

// The office application's installation folder from the settings store ("" when unset).
QString ReadSiblingFolder(const QString &appName = QStringLiteral("tarvek2000"));

// What one reading of network.txt chose; failure is a reason the program cannot go on.
struct NetworkChoice
{
    enum class Result { Ok, WrongKind, Unusable };
    Result result = Result::Unusable;
    QString server;
    QString suffix;
};

// The leading numeric value of the command line, as the old Val() read it ("2x" is 2, "x" 0).
int LeadingNumber(const QString &commandLine);

// Reads the configuration out of network.txt's lines: default mode (n = 0) takes lines 1-3
// and never looks at the kind; numbered mode takes configuration n and insists on "mssql".
NetworkChoice ChooseConfiguration(const QStringList &lines, int n);

QString BuildConnectionPrefix(const QString &server);

// Fills the settings from the settings store, network.txt and the command line. May end the
// process (no installation recorded; network.txt missing or unusable).
void LoadConnectionSettings(const QString &commandLine);

// ConnectionPrefix + name + DatabaseSuffix.
QString ConnectionString(const QString &name);

// True (after telling the operator) when the office application's folder lacks the tool.
bool CheckSiblingTool(const QString &fileName);

// The submission's own temporary folder (native path): the photograph's copy waits there for
// the portal's form.
QString SubmissionTempFolder();
