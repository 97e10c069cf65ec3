// Opening an SQLite3 results database: the check at open reads the whole file. Figures for
// each depth: the full check (a first open, or a file something else wrote), the structure
// only (quick_check, which no open takes by itself any more; timed as an open without a check
// followed by it), and nothing for a file as this process's own commits left it, against the
// full check at every open as the baseline. Argument: a database file to open (a copy of a
// large one), or the size in MB of one made here (30 when none is given; 1024 for the
// figures of a gigabyte).

#include "BenchSupport.h"

#include "Database.h"
#include "Database_SQLite3Check.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/stat.h>

namespace {

constexpr int kRepetitions = 3;

// Rows in batches until the file has the size asked for.
bool makeDatabase(const QString& path, qint64 megabytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.close();
    bool made = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-make"));
        db.setDatabaseName(path);
        QSqlQuery query(db);
        made = db.open() && query.exec(QStringLiteral("PRAGMA journal_mode=OFF"))
            && query.exec(QStringLiteral("PRAGMA synchronous=OFF"))
            && query.exec(QStringLiteral("CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT, w REAL)"))
            && query.exec(QStringLiteral("CREATE INDEX iv ON t(v)"));
        constexpr int kBatch = 500000;
        for (qint64 first = 1; made && QFileInfo(path).size() < megabytes * 1048576; first += kBatch)
            made = query.exec(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT %1 UNION ALL SELECT x + 1 FROM c WHERE x < %2) "
                                             "INSERT INTO t SELECT x, printf('value %d', x), x * 0.5 FROM c")
                                  .arg(first)
                                  .arg(first + kBatch - 1));
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-make"));
    return made;
}

// A change SQLite did not make (the file's status changes): the open checks fully.
bool touchElsewhere(const QString& path)
{
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    return ::stat(name.constData(), &info) == 0 && ::chmod(name.constData(), info.st_mode) == 0;
}

double openMs(const QString& path, Database_SQLite3Check::Depth expected, bool& ok)
{
    Database db(nullptr, QStringLiteral("bench-open"));
    ok = ok && Database_SQLite3Check::depthFor(path) == expected;
    const double ms = BenchSupport::elapsedMs([&] { ok = ok && db.openSQLite3(path) == 0; });
    db.close();
    return ms;
}

// An open that takes no check, then the structure check on its connection.
double openQuickMs(const QString& path, bool& ok)
{
    Database db(nullptr, QStringLiteral("bench-open"));
    ok = ok && Database_SQLite3Check::depthFor(path) == Database_SQLite3Check::None;
    const double ms = BenchSupport::elapsedMs([&] {
        QStringList problems;
        ok = ok && db.openSQLite3(path) == 0
            && Database_SQLite3Check::check(*db.getDatabase(), Database_SQLite3Check::Quick, problems);
    });
    db.close();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString argument = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    bool isSize = false;
    const qint64 megabytes = argument.isEmpty() ? 30 : argument.toLongLong(&isSize);
    const bool made = argument.isEmpty() || isSize;
    const QString path = made ? dir.filePath(QStringLiteral("bench.db3")) : argument;
    if (made && !makeDatabase(path, megabytes)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(path));
        return 1;
    }
    std::printf("database.size %.1f MB\n", QFileInfo(path).size() / 1048576.0);
    bool ok = true;
    std::vector<double> full, quick, none;
    for (int i = 0; i < kRepetitions; ++i) {
        ok = ok && touchElsewhere(path);
        full.push_back(openMs(path, Database_SQLite3Check::Full, ok));
        none.push_back(openMs(path, Database_SQLite3Check::None, ok));
        quick.push_back(openQuickMs(path, ok));
    }
    if (!ok) {
        std::fprintf(stderr, "an open failed or took another depth\n");
        return 1;
    }
    const double baseline = BenchSupport::median(full);
    const auto print = [&](const char* name, const std::vector<double>& times) {
        const double value = BenchSupport::median(times);
        std::printf("%s %.1f ms\n%s.baseline %.1f ms\n%s.ratio %.3f x\n", name, value, name, baseline, name,
                    value / baseline);
    };
    // Every open took the full check before: the baseline.
    print("open.full", full);
    print("open.quick", quick);
    print("open.none", none);
    return 0;
}
