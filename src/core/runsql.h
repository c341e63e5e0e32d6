#pragma once

#include "core/database.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// The single-statement routine and its classification of database errors.

// What the classification decides for one failed step.
struct DbErrorDecision
{
    enum class Action {
        Skip,          // continue with the step after the one that failed
        Stop,          // show message and end the process at once
        Retry,         // run the failed step again (retry counter + 1)
        SupportReport, // raw number, description, statement and database, no icon; return nothing
        Incident       // incident file and numbered message; return nothing
    };
    Action action = Action::Skip;
    QString message;        // the message of Stop
    QString earlierMessage; // shown first and then the rules went on (login failure, other user)
};

struct DbErrorContext
{
    int number = 0;
    QString description;
    QString statement;
    int retries = 0;
    bool quiet = false;
    bool supportMode = false;
};

// The rules, tried in order; the first that applies decides (a login failure for a user other
// than the administrators shows its message and lets the later rules decide).
DbErrorDecision ClassifyDbError(const DbErrorContext &context);

// "*" stands for any run of characters; everything else compares exactly (case-sensitive).
bool LikeMatch(const QString &text, const QString &pattern);

// year month day-hour minute second, no leading zeros: "2015 3 7-14 5 9".
QString IncidentStamp(const QDateTime &t);

// "Lütfen KORA Bİlişim'i(" + phone + ") arayınız...".
QString SupportLine();

// The vendor's development workstation: the program runs from its development folder and the
// marker file is there. A positive answer is kept for the rest of the process.
bool SupportMode();
void ResetSupportModeForTests();

// The "record set" of one call: the rows when the statement returned any.
struct SqlOutcome
{
    db::Rows rows;
};

// The number ADO gives an operation on a closed object; such errors are always skipped.
inline constexpr int kErrorObjectClosed = 3704;

// One step of a call (open, execute) and the provider's error when it failed.
struct DbStepError
{
    int number = 0;
    QString description;
};
using DbStep = std::function<std::optional<DbStepError>()>;

// Runs the steps in order, classifying every failure (messages, retries, end of process).
// True when the call went through to its end (failures skipped included); false when a failure
// ended it without resuming.
bool RunDbSteps(const QString &sql, const QString &databaseName, bool quiet,
                const std::vector<DbStep> &steps);

// Values the statement takes are bound to its "?" marks, never pasted into its text.
std::optional<SqlOutcome> RunSql(const QString &sql, const QString &databaseName, bool execute,
                                 bool quiet, const QVariantList &binds = {});
bool RunSqlChecked(const QString &sql, const QString &databaseName, bool execute, bool quiet,
                   const QVariantList &binds = {});
