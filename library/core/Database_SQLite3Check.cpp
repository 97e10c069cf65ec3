#include "Database_SQLite3Check.h"

#include "Database_SQLite3Watch.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

namespace {

// integrity_check stops after this many problems; more than that is damage anyway.
constexpr int kMaxProblems = 1000;
constexpr int kReportedProblems = 5;

QString quoted(const QString& identifier)
{
    QString text = identifier;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The problems integrity_check names; false when it cannot run (the text of why in problems).
bool integrityProblems(QSqlDatabase& connection, QStringList& problems, bool quick = false)
{
    problems.clear();
    QSqlQuery query(connection);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("PRAGMA %1(%2)")
                        .arg(QLatin1String(quick ? "quick_check" : "integrity_check"))
                        .arg(kMaxProblems))) {
        problems.append(query.lastError().databaseText());
        return false;
    }
    while (query.next())
        problems.append(query.value(0).toString());
    if (problems == QStringList{QStringLiteral("ok")})
        problems.clear();
    return true;
}

bool singleNumber(QSqlDatabase& connection, const QString& text, const QStringList& values, qint64& number)
{
    QSqlQuery query(connection);
    query.setForwardOnly(true);
    if (!query.prepare(text))
        return false;
    for (const QString& value : values)
        query.addBindValue(value);
    if (!query.exec() || !query.next())
        return false;
    bool ok = false;
    number = query.value(0).toLongLong(&ok);
    return ok;
}

// The indexes to rebuild: each lacks exactly the rows the problems name, and has no entry its
// table does not hold. Empty when any problem is of another kind.
QStringList indexesMissingRows(QSqlDatabase& connection, const QStringList& problems)
{
    static const QRegularExpression missingRow(QStringLiteral("^row \\d+ missing from index (.+)$"));
    static const QRegularExpression wrongCount(QStringLiteral("^wrong # of entries in index (.+)$"));
    QHash<QString, qint64> missing;
    for (const QString& problem : problems) {
        if (const QRegularExpressionMatch match = missingRow.match(problem); match.hasMatch())
            ++missing[match.captured(1)];
        else if (const QRegularExpressionMatch match = wrongCount.match(problem); match.hasMatch())
            missing[match.captured(1)] += 0;
        else
            return {};
    }
    QStringList indexes;
    for (auto it = missing.cbegin(); it != missing.cend(); ++it) {
        QSqlQuery query(connection);
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT tbl_name FROM sqlite_master WHERE type = 'index' AND name = ?"));
        query.addBindValue(it.key());
        if (!query.exec() || !query.next())
            return {};
        const QString table = query.value(0).toString();
        qint64 rows = 0;
        qint64 entries = 0;
        if (!singleNumber(connection, QStringLiteral("SELECT count(*) FROM %1 NOT INDEXED").arg(quoted(table)), {}, rows)
            || !singleNumber(connection,
                             QStringLiteral("SELECT count(*) FROM %1 INDEXED BY %2").arg(quoted(table), quoted(it.key())),
                             {}, entries)
            || entries + it.value() != rows)
            return {};
        indexes.append(it.key());
    }
    return indexes;
}

bool rebuild(QSqlDatabase& connection, const QStringList& indexes)
{
    if (!connection.transaction())
        return false;
    QSqlQuery query(connection);
    bool rebuilt = true;
    for (const QString& index : indexes)
        rebuilt = rebuilt && query.exec(QStringLiteral("REINDEX %1").arg(quoted(index)));
    QStringList problems;
    if (rebuilt && integrityProblems(connection, problems) && problems.isEmpty())
        return connection.commit();
    connection.rollback();
    return false;
}

bool cutOffWriteBeside(const QString& filePath)
{
    return QFileInfo(filePath + QStringLiteral("-journal")).size() > 0
        || QFileInfo(filePath + QStringLiteral("-wal")).size() > 0;
}

std::atomic<Database_SQLite3Check::Observer> g_observer{nullptr};

} // namespace

Database_SQLite3Check::Depth Database_SQLite3Check::depthFor(const QString& filePath)
{
    if (cutOffWriteBeside(filePath))
        return Full;
    return Database_SQLite3Watch::untouched(filePath) ? None : Full;
}

bool Database_SQLite3Check::check(QSqlDatabase& connection, Depth depth, QStringList& problems)
{
    problems.clear();
    if (const Observer observer = g_observer.load())
        observer(depth);
    if (depth == None)
        return true;
    if (!integrityProblems(connection, problems, depth == Quick))
        return false;
    if (problems.isEmpty())
        return true;
    if (depth == Quick) {
        problems = problems.mid(0, kReportedProblems);
        return false;
    }
    const QStringList indexes = indexesMissingRows(connection, problems);
    if (!indexes.isEmpty() && rebuild(connection, indexes)) {
        problems.clear();
        return true;
    }
    problems = problems.mid(0, kReportedProblems);
    return false;
}

void Database_SQLite3Check::setObserver(Observer observer)
{
    g_observer.store(observer);
}
