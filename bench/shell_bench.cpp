// The colony hand-out to pipetting channels on a stored 96-container rack: the first call of
// a pick run reads the rack through the table objects, against one plain statement that reads
// the same colonies as baseline; the following calls answer from the hand-out list, against a
// call that has to read the rack again.

#include "BenchSupport.h"

#include "ApplicationDatabase.h"
#include "ColonyPickList.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinRack.h"
#include "InstrumentSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <cstdio>

namespace {

constexpr int kContainers = 96;
constexpr int kColoniesPerContainer = 20; // half of them good
constexpr int kMaximum = 5;

class QuietErrors : public ApplicationDatabase::ErrorHandler {
public:
    void showDatabaseError(QString, QString text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

QString templatePath()
{
    QString source = QString::fromLocal8Bit(qgetenv("ZELVORIN_SOURCE_DIR"));
    if (source.isEmpty())
        source = QFileInfo(QStringLiteral(__FILE__)).absoluteDir().absoluteFilePath(QStringLiteral(".."));
    return source + QStringLiteral("/database_templates/ZelvorinDatabase_SQLite3.sql");
}

Database::ID storeRack(ApplicationDatabase& database)
{
    database.beginTransaction();
    DatabaseTableZelvorinRack::Dataset rack;
    rack.RackBarcode = QStringLiteral("bench");
    rack.CreatedDate = QDateTime::currentDateTime();
    database.tableRack()->Insert(rack);
    for (int number = 1; number <= kContainers; ++number) {
        DatabaseTableZelvorinContainer::Dataset container;
        container.RackID = rack.RackID;
        container.ContainerNumber = qint16(number);
        container.ContainerName = QStringLiteral("C%1").arg(number);
        container.PickingOrder = qint16(kContainers - number);
        database.tableContainer()->Insert(container);
        for (int i = 0; i < kColoniesPerContainer; ++i) {
            DatabaseTableZelvorinColony::Dataset colony;
            colony.ContainerID = container.ContainerID;
            colony.PosX_mm = 10.0 + i;
            colony.PosY_mm = 5.0 + 3.5 * ((i * 7) % kColoniesPerContainer);
            colony.IsGoodColony = i % 2 == 0;
            colony.PickingOrder = i;
            colony.LoadingTotal_pct = 50.0 + i;
            colony.PickingDate = rack.CreatedDate;
            database.tableColony()->Insert(colony);
        }
    }
    database.commitTransaction();
    return rack.RackID;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    QuietErrors errors;
    ApplicationDatabase database(&errors, QStringLiteral("shell_bench"));
    if (!dir.isValid() || database.createSQLite3Database(dir.filePath(QStringLiteral("bench.db3")), templatePath()) != 0) {
        std::fprintf(stderr, "cannot create the bench database\n");
        return 1;
    }
    const Database::ID rackId = storeRack(database);
    InstrumentSettings offsets;
    QVariantList maxima;
    for (int i = 0; i < kContainers; ++i)
        maxima.append(kMaximum);
    const QString eightChannels = QStringLiteral("11111111");

    ColonyPickList list;
    ColonyPickList::HandOut out;
    int handedOut = 0;
    auto rebuildAndHandOut = [&] {
        list.reset();
        list.retrieve(&database, offsets, rackId, maxima, 0, eightChannels, out);
        handedOut = out.usedNumberOfColonies;
    };
    // The same colonies in one statement, ordered as the hand-out needs them.
    QSqlQuery plain(*database.database()->getDatabase());
    plain.prepare(QStringLiteral(
        "SELECT c.ContainerNumber, c.PickingOrder, k.ColonyID, k.PosX_mm, k.PosY_mm FROM ZelvorinContainer c "
        "JOIN ZelvorinColony k ON k.ContainerID = c.ContainerID WHERE c.RackID = ? AND k.IsExcluded = 0 "
        "AND k.IsGoodColony = 1 ORDER BY c.PickingOrder, k.PickingOrder, k.LoadingTotal_pct DESC"));
    int plainRows = 0;
    auto plainRead = [&] {
        plain.addBindValue(rackId);
        plain.exec();
        plainRows = 0;
        while (plain.next()) {
            plain.value(2).toInt();
            plain.value(3).toDouble();
            plain.value(4).toDouble();
            ++plainRows;
        }
    };
    BenchSupport::compare("handout.first_call_96_containers", rebuildAndHandOut, plainRead);

    // Pick runs of 8 channels on the built list, each continuing the last; rebuilt when spent.
    auto cachedCall = [&] {
        for (int run = 0; run < 50; ++run) {
            if (list.retrieve(&database, offsets, rackId, maxima, 0, eightChannels, out) == 0 && out.usedNumberOfColonies == 0)
                list.reset();
        }
    };
    auto uncachedCall = [&] {
        for (int run = 0; run < 50; ++run) {
            list.reset();
            list.retrieve(&database, offsets, rackId, maxima, 0, eightChannels, out);
        }
    };
    BenchSupport::compare("handout.50_pick_runs_cached", cachedCall, uncachedCall, 5);
    std::printf("handout.colonies_per_rack %d colonies\nhandout.first_call_channels %d channels\nplain.rows %d rows\n",
                list.totalCount(), handedOut, plainRows);
    return 0;
}
