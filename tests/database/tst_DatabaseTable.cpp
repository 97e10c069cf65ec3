// What the table objects share through their base: statements prepared per connection and
// messages in each table's own translation context.

#include "DatabaseTestSupport.h"

#include "DatabaseTableAll.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinImageStitcher.h"
#include "DatabaseTableZelvorinImageStitcherPicture.h"
#include "DatabaseTableZelvorinRack.h"

#include <QTranslator>
#include <QtTest>

using namespace DatabaseTestSupport;

namespace {

// Marks every text with the context it was asked for.
class ContextTranslator : public QTranslator {
public:
    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                      int /*n*/) const override
    {
        return QLatin1String(context) + QStringLiteral(": ") + QLatin1String(sourceText);
    }
    bool isEmpty() const override { return false; }
};

// A rack with one container of one colony; the colony's key, -1 on failure.
Database::ID storeColony(ApplicationDatabase& holder, const QString& barcode, double area, Database::ID& containerId)
{
    DatabaseTableZelvorinRack::Dataset rack = rackRow(barcode, baseTime());
    if (holder.tableRack()->Insert(rack) != 0)
        return -1;
    DatabaseTableZelvorinContainer::Dataset container;
    container.RackID = rack.RackID;
    container.ContainerName = barcode;
    if (holder.tableContainer()->Insert(container) != 0)
        return -1;
    containerId = container.ContainerID;
    DatabaseTableZelvorinColony::Dataset colony;
    colony.ContainerID = container.ContainerID;
    colony.Area_mm2 = area;
    if (holder.tableColony()->Insert(colony) != 0)
        return -1;
    return colony.ColonyID;
}

} // namespace

class tst_DatabaseTable : public QObject {
    Q_OBJECT
private slots:
    void preparedStatementsFollowTheConnection();
    void messagesSpeakInTheTableOwnContext_data();
    void messagesSpeakInTheTableOwnContext();
};

// Statements prepared on one database are not run on the next one the holder opens.
void tst_DatabaseTable::preparedStatementsFollowTheConnection()
{
    QTemporaryDir dir;
    auto db = createDatabase(dir, QStringLiteral("first.db3"));
    QCOMPARE(db->createResult, Errors::Type_Error(0));
    ApplicationDatabase& holder = *db->holder;
    Database::ID firstContainer = -1;
    const Database::ID firstColony = storeColony(holder, QStringLiteral("FIRST"), 1.5, firstContainer);
    QVERIFY(firstColony > 0);
    DatabaseTableZelvorinColony::Dataset colony;
    QCOMPARE(holder.tableColony()->Select(firstColony, colony), Errors::Type_Error(0));
    DatabaseTableZelvorinContainer::Dataset container;
    QCOMPARE(holder.tableContainer()->Select(firstContainer, container), Errors::Type_Error(0));
    QList<DatabaseTableZelvorinColony::Dataset> rows;
    QCOMPARE(holder.tableColony()->SelectByContainer(firstContainer, rows), Errors::Type_Error(0));

    holder.database()->close();
    QCOMPARE(holder.createSQLite3Database(dir.filePath(QStringLiteral("second.db3")), sqliteTemplate()),
             Errors::Type_Error(0));
    Database::ID secondContainer = -1;
    const Database::ID secondColony = storeColony(holder, QStringLiteral("SECOND"), 2.5, secondContainer);
    QVERIFY(secondColony > 0);
    QCOMPARE(holder.tableColony()->Select(secondColony, colony), Errors::Type_Error(0));
    QCOMPARE(colony.Area_mm2, 2.5);
    QCOMPARE(holder.tableContainer()->Select(secondContainer, container), Errors::Type_Error(0));
    QCOMPARE(container.ContainerName, QStringLiteral("SECOND"));
    QCOMPARE(holder.tableColony()->SelectByContainer(secondContainer, rows), Errors::Type_Error(0));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).Area_mm2, 2.5);
    QVERIFY(db->handler.reports.isEmpty());
}

void tst_DatabaseTable::messagesSpeakInTheTableOwnContext_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("report");
    QTest::newRow("rack") << "rack" << "DatabaseTableZelvorinRack: Dataset [RackID]=999 not found";
    QTest::newRow("container") << "container" << "DatabaseTableZelvorinContainer: Dataset [ContainerID]=999 not found";
    QTest::newRow("colony") << "colony" << "DatabaseTableZelvorinColony: Dataset [ColonyID]=999 not found";
    QTest::newRow("stitcher") << "stitcher"
                              << "DatabaseTableZelvorinImageStitcher: Dataset [ImageStitcherID]=999 not found";
    QTest::newRow("stitcher picture")
        << "picture" << "DatabaseTableZelvorinImageStitcherPicture: Dataset [ImageStitcherPictureID]=999 not found";
    QTest::newRow("colony update") << "colony update"
                                   << "DatabaseTableZelvorinColony: SQL Update error in table [ZelvorinColony]";
    QTest::newRow("version") << "version" << "DatabaseTableAll: Dataset [ZelvorinDatabaseVersion] not found";
}

void tst_DatabaseTable::messagesSpeakInTheTableOwnContext()
{
    QFETCH(QString, table);
    QFETCH(QString, report);
    QTemporaryDir dir;
    auto db = createDatabase(dir);
    QCOMPARE(db->createResult, Errors::Type_Error(0));
    ApplicationDatabase& holder = *db->holder;
    ContextTranslator translator;
    QCoreApplication::installTranslator(&translator);
    const Database::ID missing = 999;
    if (table == QLatin1String("rack")) {
        DatabaseTableZelvorinRack::Dataset row;
        QCOMPARE(holder.tableRack()->Select(missing, row), Errors::Type_Error(87));
    } else if (table == QLatin1String("container")) {
        DatabaseTableZelvorinContainer::Dataset row;
        QCOMPARE(holder.tableContainer()->Select(missing, row), Errors::Type_Error(87));
    } else if (table == QLatin1String("colony")) {
        DatabaseTableZelvorinColony::Dataset row;
        QCOMPARE(holder.tableColony()->Select(missing, row), Errors::Type_Error(87));
    } else if (table == QLatin1String("stitcher")) {
        DatabaseTableZelvorinImageStitcher::Dataset row;
        QCOMPARE(holder.tableImageStitcher()->Select(missing, row), Errors::Type_Error(87));
    } else if (table == QLatin1String("picture")) {
        DatabaseTableZelvorinImageStitcherPicture::Dataset row;
        QCOMPARE(holder.tableImageStitcherPicture()->Select(missing, row), Errors::Type_Error(87));
    } else if (table == QLatin1String("colony update")) {
        DatabaseTableZelvorinColony::Dataset row;
        row.ColonyID = missing;
        QCOMPARE(holder.tableColony()->Update(row), Errors::Type_Error(89));
    } else {
        QVERIFY(execute(holder, QStringLiteral("DELETE FROM [ZelvorinDatabaseVersion]")));
        int version = -1;
        QCOMPARE(holder.tableAll()->SelectVersion(version), Errors::Type_Error(87));
    }
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(db->handler.reports.size(), 1);
    QVERIFY2(db->handler.reports.at(0).second.contains(report), qPrintable(db->handler.reports.at(0).second));
}

QTEST_GUILESS_MAIN(tst_DatabaseTable)
#include "tst_DatabaseTable.moc"
