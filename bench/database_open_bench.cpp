// Opening an SQLite3 results database: the check at open reads the whole file. Figures for
// the depths an open takes (full at a first open or after a write was cut off, the structure
// after another program committed, nothing for a file as this process left it), against the
// full check at every open as the baseline. Argument: a database file to open (a copy of a
// large one); without it a small one is made.

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

bool makeDatabase(const QString& path, int rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.close();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-make"));
    db.setDatabaseName(path);
    bool made = db.open() && db.transaction();
    QSqlQuery query(db);
    made = made && query.exec(QStringLiteral("CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT, w REAL)"))
        && query.exec(QStringLiteral("CREATE INDEX iv ON t(v)"))
        && query.exec(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < %1) "
                                     "INSERT INTO t SELECT x, printf('value %d', x), x * 0.5 FROM c")
                          .arg(rows))
        && db.commit();
    query.finish();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("bench-make"));
    return made;
}

// A commit of another program: the file's change counter moves.
bool commitElsewhere(const QString& path)
{
    bool committed = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-other"));
        db.setDatabaseName(path);
        QSqlQuery query(db);
        committed = db.open() && query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS bench_touch(x)"))
            && query.exec(QStringLiteral("DELETE FROM bench_touch"));
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-other"));
    return committed;
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath(QStringLiteral("bench.db3"));
    if (argc <= 1 && !makeDatabase(path, 400000)) {
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
        ok = ok && commitElsewhere(path);
        quick.push_back(openMs(path, Database_SQLite3Check::Quick, ok));
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
    print("open.first", full);
    print("open.afterOtherCommit", quick);
    print("open.untouched", none);
    return 0;
}
