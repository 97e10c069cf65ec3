#include "Database.h"
#include "ExportTarget_Guard.h"
#include "QuendralLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

// A program folder with an open database, its picture folder and its settings, and the targets
// a client or the operator may name for an export: the program's own data is refused, however
// the path reaches it, and anything else stays allowed.
class tst_ExportTarget_Guard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void targets_data();
    void targets();
    void protectionFollowsTheConnection();
    void refusalSaysWhy_data();
    void refusalSaysWhy();

private:
    static bool writeFile(const QString& path, const QByteArray& bytes = QByteArray("x"));

    QTemporaryDir m_folder;
    QString m_previous;
    std::unique_ptr<Database> m_database;
    const int m_pictureOwner = 0;
};

bool tst_ExportTarget_Guard::writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void tst_ExportTarget_Guard::initTestCase()
{
    QVERIFY(m_folder.isValid());
    m_previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_folder.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_folder.path()));
    // The program folder is where the library starts.
    QuendralLibrary::Start(QStringLiteral("guardtest"), QStringLiteral("1.0"), QStringLiteral("2024"), nullptr, false);

    QVERIFY(writeFile(QStringLiteral("settings/Colony/default.ColonySettings")));
    QVERIFY(writeFile(QStringLiteral("database/pictures/zelvorin_00000001_Rack.png")));
    QVERIFY(writeFile(QStringLiteral("database/pictures2/kept.png")));
    QVERIFY(writeFile(QStringLiteral("exports/old.csv")));
    // An empty file is an empty SQLite database.
    QVERIFY(writeFile(QStringLiteral("database/zelvorin.db3"), QByteArray()));
    m_database = std::make_unique<Database>(nullptr, QStringLiteral("guard"));
    QCOMPARE(m_database->openSQLite3(QStringLiteral("database/zelvorin.db3")), Errors::Type_Error(0));
    ExportTarget_Guard::protect(&m_pictureOwner, {QStringLiteral("database/pictures")});

    QVERIFY(QFile::link(m_folder.filePath(QStringLiteral("database/zelvorin.db3")), QStringLiteral("link-to-database")));
    QVERIFY(QFile::link(m_folder.filePath(QStringLiteral("database/zelvorin.db3-journal")),
                        QStringLiteral("link-to-journal")));
    QVERIFY(QFile::link(m_folder.filePath(QStringLiteral("database/pictures")), QStringLiteral("link-to-pictures")));
    QCOMPARE(::mkfifo(QFile::encodeName(m_folder.filePath(QStringLiteral("exports/pipe"))).constData(), 0600), 0);
}

void tst_ExportTarget_Guard::cleanupTestCase()
{
    ExportTarget_Guard::release(&m_pictureOwner);
    m_database.reset();
    QuendralLibrary::Stop();
    QDir::setCurrent(m_previous);
}

void tst_ExportTarget_Guard::targets_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("allowed");
    const QString absoluteDatabase = m_folder.filePath(QStringLiteral("database/zelvorin.db3"));
    QTest::newRow("the open database") << "database/zelvorin.db3" << false;
    QTest::newRow("the open database, absolute") << absoluteDatabase << false;
    QTest::newRow("the open database by a detour") << "exports/../database/./zelvorin.db3" << false;
    QTest::newRow("its journal, not there yet") << "database/zelvorin.db3-journal" << false;
    QTest::newRow("a link to the database") << "link-to-database" << false;
    QTest::newRow("a link to the journal, pointing nowhere yet") << "link-to-journal" << false;
    QTest::newRow("a stored rack picture") << "database/pictures/zelvorin_00000001_Rack.png" << false;
    QTest::newRow("a new file in the picture folder") << "database/pictures/export.png" << false;
    QTest::newRow("deeper in the picture folder") << "database/pictures/new/folder/export.zip" << false;
    QTest::newRow("the picture folder by a link") << "link-to-pictures/export.png" << false;
    QTest::newRow("a settings file") << "settings/Colony/default.ColonySettings" << false;
    QTest::newRow("a new file among the settings") << "settings/window/export.csv" << false;
    QTest::newRow("a folder") << "exports" << false;
    QTest::newRow("a pipe") << "exports/pipe" << false;
    QTest::newRow("a device") << "/dev/null" << false;

    QTest::newRow("a new export") << "exports/racks.zip" << true;
    QTest::newRow("an export to replace") << "exports/old.csv" << true;
    QTest::newRow("a folder that only begins like the picture folder") << "database/pictures2/kept.png" << true;
    QTest::newRow("another database file beside") << "database/other.db3" << true;
    QTest::newRow("a file that only begins like the settings folder") << "settings.zip" << true;
    QTest::newRow("a new folder outside") << "elsewhere/new/colonies.csv" << true;
}

void tst_ExportTarget_Guard::targets()
{
    QFETCH(QString, target);
    QFETCH(bool, allowed);
    QCOMPARE(ExportTarget_Guard::check(target), allowed ? Errors::Type_Error(0) : ExportTarget_Guard::ErrorRefused);
}

// The database file is protected while a connection holds it, and only that file.
void tst_ExportTarget_Guard::protectionFollowsTheConnection()
{
    QVERIFY(writeFile(QStringLiteral("database/second.db3"), QByteArray()));
    Database second(nullptr, QStringLiteral("second"));
    QCOMPARE(ExportTarget_Guard::check(QStringLiteral("database/second.db3")), Errors::Type_Error(0));
    QCOMPARE(second.openSQLite3(QStringLiteral("database/second.db3")), Errors::Type_Error(0));
    QCOMPARE(ExportTarget_Guard::check(QStringLiteral("database/second.db3")), ExportTarget_Guard::ErrorRefused);
    second.close();
    QCOMPARE(ExportTarget_Guard::check(QStringLiteral("database/second.db3")), Errors::Type_Error(0));
    // The first connection still holds its file.
    QCOMPARE(ExportTarget_Guard::check(QStringLiteral("database/zelvorin.db3")), ExportTarget_Guard::ErrorRefused);

    // A file that does not open as a database is nobody's: a damaged one, one not there.
    QVERIFY(writeFile(QStringLiteral("database/damaged.db3"), QByteArray("not a database at all")));
    for (const QString& file : {QStringLiteral("database/damaged.db3"), QStringLiteral("database/missing.db3")}) {
        Database failed(nullptr, QStringLiteral("failed"));
        QVERIFY(failed.openSQLite3(file) != 0);
        QCOMPARE(ExportTarget_Guard::check(file), Errors::Type_Error(0));
    }
}

void tst_ExportTarget_Guard::refusalSaysWhy_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason"); // empty: allowed
    const QString database = QDir::toNativeSeparators(m_folder.filePath(QStringLiteral("database/zelvorin.db3")));
    QTest::newRow("the open database") << "database/zelvorin.db3" << "it is the open database";
    QTest::newRow("a link to the database") << "link-to-database" << "it is the open database";
    QTest::newRow("its journal") << "database/zelvorin.db3-wal"
                                 << QStringLiteral("it is a journal of the open database \"%1\"").arg(database);
    QTest::newRow("in the picture folder")
        << "link-to-pictures/export.png"
        << QStringLiteral("it lies in the picture folder \"%1\" of the database")
               .arg(QDir::toNativeSeparators(m_folder.filePath(QStringLiteral("database/pictures"))));
    QTest::newRow("among the settings")
        << "settings/Colony/default.ColonySettings"
        << QStringLiteral("it lies in the program's settings folder \"%1\"")
               .arg(QDir::toNativeSeparators(m_folder.filePath(QStringLiteral("settings"))));
    QTest::newRow("a folder") << "exports" << "it is a folder";
    QTest::newRow("a pipe") << "exports/pipe" << "it is a device, pipe or socket, not a regular file";
    QTest::newRow("a device") << "/dev/null" << "it is a device, pipe or socket, not a regular file";
    QTest::newRow("an export") << "exports/racks.zip" << "";
}

void tst_ExportTarget_Guard::refusalSaysWhy()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);
    ExportTarget_Guard::describe(&m_pictureOwner, ExportTarget_Guard::Kind::PictureFolder);
    QCOMPARE(ExportTarget_Guard::refusalReason(target), reason);
    QCOMPARE(ExportTarget_Guard::check(target) == 0, reason.isEmpty());
}

QTEST_GUILESS_MAIN(tst_ExportTarget_Guard)
#include "tst_ExportTarget_Guard.moc"
