#include "core/runsql.h"

#include "core/connection.h"
#include "core/scrambler.h"
#include "platform/deployment.h"
#include "platform/platform.h"
#include "platform/textcodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

#include <functional>
#include <vector>

using platform::MsgIcon;
using Action = DbErrorDecision::Action;

bool LikeMatch(const QString &text, const QString &pattern)
{
    // Iterative glob with backtracking to the last "*".
    qsizetype t = 0, p = 0, star = -1, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern.at(p) == QLatin1Char('*')) {
            star = p++;
            mark = t;
        } else if (p < pattern.size() && pattern.at(p) == text.at(t)) {
            ++p;
            ++t;
        } else if (star >= 0) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

QString SupportLine()
{
    return QStringLiteral("Lütfen KORA Bİlişim'i(") + platform::Deployment::current().supportPhone +
           QStringLiteral(") arayınız...");
}

DbErrorDecision ClassifyDbError(const DbErrorContext &c)
{
    const QString &d = c.description;
    auto like = [&d](const char16_t *pattern) { return LikeMatch(d, QString::fromUtf16(pattern)); };
    auto stop = [](QString message) {
        return DbErrorDecision{Action::Stop, std::move(message), {}};
    };
    const QString crlf = QStringLiteral("\r\n");
    DbErrorDecision decision;

    if (c.retries >= 5)
        return stop(QStringLiteral("Veritabanı yazım hatası..."));
    if (c.number == kErrorObjectClosed)
        return decision;
    if (like(u"*xp_delete_file*"))
        return decision;
    if (like(u"*Column names in each table must be unique. Column name*") &&
        like(u"*is specified more than once.*"))
        return decision;
    if (like(u"*There is already an object named *"))
        return decision;
    if (like(u"*ALTER TABLE DROP COLUMN failed because column*") &&
        like(u"*does not exist in table *"))
        return decision;
    if (like(u"*already exists.*") || like(u"*already exists*"))
        return decision;
    if (like(u"*Login failed for user 'sa'*") || like(u"*Login failed for user 'kvrtmlsn'*"))
        return stop(QStringLiteral("SQL Server Yönetici Kullanıcısı bulunamamamıştır...") + crlf +
                    SupportLine());
    if (like(u"*Login failed for user*"))
        decision.earlierMessage =
            QStringLiteral("SQL Server Kullanıcısı bulunamamamıştır...") + crlf + SupportLine();
    if (like(u"*SQL Server yok veya erişim engellendi*") ||
        like(u"*Specified SQL server not found*")) {
        decision.action = Action::Stop;
        decision.message = QStringLiteral(" SQL Sunucusuna ulaşılamıyor...") + crlf + SupportLine();
        return decision;
    }
    if (like(u"*Device activation error. The physical file name *") ||
        like(u"*may be incorrect.*")) {
        decision.action = Action::Stop;
        decision.message = QStringLiteral("Veritabanı dosyası bozulması...") + crlf + SupportLine();
        return decision;
    }
    if (like(u"*ConnectionWrite (send())*") && c.retries < 5 &&
        c.statement == QStringLiteral("delete from deneme")) {
        decision.action = Action::Retry;
        return decision;
    }
    if (LikeMatch(c.statement, QStringLiteral("IF  EXISTS (SELECT * FROM master.dbo.syslogins "
                                              "WHERE name = N'BUILTIN\\Administrat*")))
        return decision;
    if (c.quiet)
        return decision;
    decision.action = c.supportMode ? Action::SupportReport : Action::Incident;
    return decision;
}

QString IncidentStamp(const QDateTime &t)
{
    const QDate d = t.date();
    const QTime h = t.time();
    return QStringLiteral("%1 %2 %3-%4 %5 %6")
        .arg(d.year())
        .arg(d.month())
        .arg(d.day())
        .arg(h.hour())
        .arg(h.minute())
        .arg(h.second());
}

namespace {
bool &supportMarker()
{
    static bool marker = false;
    return marker;
}

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

void incidentReport(const DbErrorContext &c, const QString &databaseName)
{
    const QString stamp = IncidentStamp(platform::Platform::clock().now());
    const QString file =
        programFolder() + QStringLiteral("/data/") + stamp + QStringLiteral(".txt");
    {
        QFile f(file);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            const QString crlf = QStringLiteral("\r\n");
            f.write(platform::encodeAnsi(Scramble(c.statement, 2) + crlf +
                                         Scramble(c.description, 2) + crlf + databaseName + crlf));
        }
    }
    const QString cr = QStringLiteral("\r");
    platform::msgBox(QStringLiteral("Öngörülmeyen Hata : 2345322 !!!") + cr +
                         QStringLiteral("Lütfen KORA Bilişim'i arayınız. Tel : ") +
                         platform::Deployment::current().supportPhone + cr +
                         (QFileInfo::exists(file) ? stamp : QStringLiteral("---")),
                     MsgIcon::Critical);
    QFile::remove(file);
}
} // namespace

bool SupportMode()
{
    if (supportMarker())
        return true;
    const QString dev =
        QDir::cleanPath(platform::nativePath(platform::Deployment::current().developmentFolder));
    if (QDir::cleanPath(programFolder()) == dev &&
        QFileInfo::exists(dev + QStringLiteral("/destek.dbt"))) {
        supportMarker() = true;
        return true;
    }
    return false;
}

void ResetSupportModeForTests()
{
    supportMarker() = false;
}

namespace {
DbStepError fromSql(const QSqlError &e)
{
    DbStepError s;
    bool ok = false;
    s.number = e.nativeErrorCode().toInt(&ok);
    if (!ok)
        s.number = 0;
    s.description = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    return s;
}
} // namespace

bool RunDbSteps(const QString &sql, const QString &databaseName, bool quiet,
                const std::vector<DbStep> &steps)
{
    int retries = 0;
    for (size_t i = 0; i < steps.size();) {
        const std::optional<DbStepError> error = steps[i]();
        if (!error) {
            ++i;
            continue;
        }
        const DbErrorContext context{error->number, error->description, sql, retries,
                                     quiet,         SupportMode()};
        const DbErrorDecision decision = ClassifyDbError(context);
        if (!decision.earlierMessage.isEmpty())
            platform::msgBox(decision.earlierMessage, MsgIcon::Critical);
        switch (decision.action) {
        case Action::Skip:
            ++i;
            break;
        case Action::Retry:
            ++retries;
            break;
        case Action::Stop:
            platform::msgBox(decision.message, MsgIcon::Critical);
            platform::endProcess();
        case Action::SupportReport:
            platform::msgBox(QString::number(error->number) + error->description +
                                 QStringLiteral("\r\n") + sql + QStringLiteral("\r\n") +
                                 databaseName,
                             MsgIcon::None);
            return false;
        case Action::Incident:
            incidentReport(context, databaseName);
            return false;
        }
    }
    return true;
}

std::optional<SqlOutcome> RunSql(const QString &sql, const QString &databaseName, bool execute,
                                 bool quiet, const QVariantList &binds)
{
    const QString name =
        databaseName == QStringLiteral("xxx") ? QStringLiteral("y3436") : databaseName;
    const QString connectionText =
        LikeMatch(name, QStringLiteral("*server=*"))
            ? Connection().ConnectionPrefix + name
            : Connection().ConnectionPrefix + name + Connection().DatabaseSuffix;

    SqlOutcome outcome;
    QSqlDatabase database;
    auto openStep = [&]() -> std::optional<DbStepError> {
        QSqlError e;
        database = db::Open(connectionText, &e);
        if (!database.isValid())
            return fromSql(e);
        return std::nullopt;
    };
    auto runStep = [&]() -> std::optional<DbStepError> {
        if (!database.isValid())
            return DbStepError{
                kErrorObjectClosed,
                QStringLiteral("Operation is not allowed when the object is closed.")};
        QSqlQuery q(database);
        q.setForwardOnly(true);
        if (!q.prepare(sql))
            return fromSql(q.lastError());
        for (const QVariant &v : binds)
            q.addBindValue(v);
        if (!q.exec())
            return fromSql(q.lastError());
        while (q.isSelect() && q.next())
            outcome.rows.append(q.record());
        return std::nullopt;
    };
    std::vector<DbStep> steps;
    if (execute) {
        // Connection opened, statement executed, connection given back.
        steps = {openStep, runStep};
    } else {
        // A record set opened on the statement: one step.
        steps = {[&]() -> std::optional<DbStepError> {
            if (auto e = openStep())
                return e;
            return runStep();
        }};
    }
    if (!RunDbSteps(sql, databaseName, quiet, steps))
        return std::nullopt;
    return outcome;
}

bool RunSqlChecked(const QString &sql, const QString &databaseName, bool execute, bool quiet,
                   const QVariantList &binds)
{
    return RunSql(sql, databaseName, execute, quiet, binds).has_value();
}
