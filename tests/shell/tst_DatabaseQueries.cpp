#include "DatabaseQueries.h"
#include "ColonyRowValues.h"
#include "InstrumentSettings.h"
#include "ShellRackFixture.h"

#include "QuendralLibrary.h"

#include <QtTest>

using namespace ShellRackFixture;

class tst_DatabaseQueries : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void rack_readsStoredRack();
    void rack_pictureOnDisk_data();
    void rack_pictureOnDisk();
    void rack_damagedSettings_data();
    void rack_damagedSettings();
    void rackIdsByBarcode_takeTheBarcodeLiterally_data();
    void rackIdsByBarcode_takeTheBarcodeLiterally();
    void containerId_data();
    void containerId();
    void container_readsRow();
    void containerIds_byPickOrder();
    void colonyCount_data();
    void colonyCount();
    void colonyPosition_data();
    void colonyPosition();
    void colonyIdLists();
    void colonyProperties();
    void pickingState_data();
    void pickingState();
    void pickingState_stampsTheDateAlsoWhenUnchanged();
    void fieldWrites_data();
    void fieldWrites();
    void textsBeyondTheDatabase_data();
    void textsBeyondTheDatabase();
    void retrieveOperationsShareOneList();

private:
    DatabaseQueries& queries() { return *m_queries; }
    // The rows the field writes change: the rack, its first container, that one's first colony.
    bool readWrittenRows(DatabaseTableZelvorinRack::Dataset& rack, DatabaseTableZelvorinContainer::Dataset& container,
                         DatabaseTableZelvorinColony::Dataset& colony)
    {
        return db().tableRack()->Select(m_rack.rackId, rack) == 0
            && db().tableContainer()->Select(m_rack.containerIds[0], container) == 0
            && db().tableColony()->Select(m_rack.colonyIds[0][0], colony) == 0;
    }
    ApplicationDatabase& db() { return *m_db->holder; }

    QTemporaryDir m_programDir;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DatabaseTestSupport::OpenDatabase> m_db;
    std::unique_ptr<InstrumentSettings> m_instrument;
    std::unique_ptr<DatabaseQueries> m_queries;
    StoredRack m_rack;
};

void tst_DatabaseQueries::initTestCase()
{
    // The program folder, against which stored relative picture paths are resolved.
    QVERIFY(m_programDir.isValid());
    QVERIFY(QDir::setCurrent(m_programDir.path()));
    QuendralLibrary::Start(QStringLiteral("tst_DatabaseQueries"), QStringLiteral("1.0"), QStringLiteral("2024"), nullptr,
                           false);
}

void tst_DatabaseQueries::cleanupTestCase()
{
    QuendralLibrary::Stop();
}

void tst_DatabaseQueries::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = DatabaseTestSupport::createDatabase(*m_dir);
    QCOMPARE(int(m_db->createResult), 0);
    m_instrument = std::make_unique<InstrumentSettings>();
    m_queries = std::make_unique<DatabaseQueries>(m_db->holder.get(), m_instrument.get());
    // Container 1 (pick order 2): good colonies in pick order 1, 2, 2 (the higher score
    // first), one rejected and one excluded. Container 2 (pick order 1) has none.
    m_rack = storeRack(db(), {{1, 2,
                               {{1.0, 11.0, 2, true, false, 40.0},
                                {2.0, 12.0, 1, true, false, 10.0},
                                {3.0, 13.0, 2, true, false, 90.0},
                                {4.0, 14.0, 0, false, false, 99.0},
                                {5.0, 15.0, 0, true, true, 99.0},
                                {6.0, 16.0, 0, false, true, 99.0}}},
                              {2, 1, {}}});
    QVERIFY(m_rack.rackId > 0);
}

void tst_DatabaseQueries::cleanup()
{
    m_queries.reset();
    m_db.reset();
    m_dir.reset();
}

void tst_DatabaseQueries::rack_readsStoredRack()
{
    DatabaseTableZelvorinRack::Dataset row;
    QCOMPARE(int(db().tableRack()->Select(m_rack.rackId, row)), 0);
    row.PictureFilePath = QStringLiteral("database/pictures/../pictures/zelvorin_00000001_Rack.png");
    row.ErrorCode = -160;
    row.Description = QStringLiteral("Platte ü");
    QCOMPARE(int(db().tableRack()->Update(row)), 0);
    QVERIFY(QDir(m_programDir.path()).mkpath(QStringLiteral("database/pictures")));
    QFile pictureFile(QDir(m_programDir.path()).filePath(QStringLiteral("database/pictures/zelvorin_00000001_Rack.png")));
    QVERIFY(pictureFile.open(QIODevice::WriteOnly));
    pictureFile.close();

    DatabaseQueries::Rack rack;
    QCOMPARE(int(queries().Database_GetZelvorinRack(m_rack.rackId, rack)), 0);
    QCOMPARE(rack.rackBarcode, QStringLiteral("R1"));
    QCOMPARE(
        rack.pictureFilePath,
        QDir(m_programDir.path()).absoluteFilePath(QStringLiteral("database/pictures/zelvorin_00000001_Rack.png")));
    QCOMPARE(rack.containerGridColumnsCount, 12);
    QCOMPARE(rack.containerGridRowsCount, 8);
    QCOMPARE(rack.errorCode, -160);
    QCOMPARE(rack.description, QStringLiteral("Platte ü"));

    QCOMPARE(int(queries().Database_GetZelvorinRack(m_rack.rackId + 100, rack)), 87);
    QVERIFY(rack.rackBarcode.isEmpty());
    QCOMPARE(rack.containerGridColumnsCount, 0);
}

void tst_DatabaseQueries::rack_pictureOnDisk_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("onDisk");
    QTest::addColumn<QString>("answered"); // relative to the program folder; empty: none
    const QString path = QStringLiteral("database/pictures/zelvorin_00000002_Rack.png");
    QTest::newRow("there") << path << true << path;
    // A shared database whose pictures lie on another machine, or a folder moved away: the
    // row is still the client's to read.
    QTest::newRow("missing") << path << false << path;
    QTest::newRow("missing, absolute path") << QDir(m_programDir.path()).absoluteFilePath(path) << false << path;
    QTest::newRow("none stored") << QString() << false << QString();
}

void tst_DatabaseQueries::rack_pictureOnDisk()
{
    QFETCH(QString, stored);
    QFETCH(bool, onDisk);
    QFETCH(QString, answered);
    DatabaseTableZelvorinRack::Dataset row;
    QCOMPARE(int(db().tableRack()->Select(m_rack.rackId, row)), 0);
    row.PictureFilePath = stored;
    row.ErrorCode = 7;
    row.Description = QStringLiteral("Platte");
    QCOMPARE(int(db().tableRack()->Update(row)), 0);
    const QString file = QDir(m_programDir.path()).absoluteFilePath(QStringLiteral("database/pictures/zelvorin_00000002_Rack.png"));
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    QFile::remove(file);
    if (onDisk) {
        QFile picture(file);
        QVERIFY(picture.open(QIODevice::WriteOnly));
    }

    DatabaseQueries::Rack rack;
    QCOMPARE(int(queries().Database_GetZelvorinRack(m_rack.rackId, rack)), 0);
    QCOMPARE(rack.pictureFilePath, answered.isEmpty() ? QString() : QDir(m_programDir.path()).absoluteFilePath(answered));
    QCOMPARE(rack.rackBarcode, QStringLiteral("R1"));
    QCOMPARE(rack.containerGridColumnsCount, 12);
    QCOMPARE(rack.containerGridRowsCount, 8);
    QCOMPARE(rack.errorCode, 7);
    QCOMPARE(rack.description, QStringLiteral("Platte"));
}

void tst_DatabaseQueries::rack_damagedSettings_data()
{
    QTest::addColumn<QString>("settingsText");
    const QString stored = colonySettingsText(12, 8);
    QTest::newRow("empty") << QString();
    QTest::newRow("not XML") << QStringLiteral("<ColonySettings");
    QTest::newRow("newer version") << QString(stored).replace(QStringLiteral("ConfigVersion=\"2.1\""),
                                                             QStringLiteral("ConfigVersion=\"9.0\""));
}

void tst_DatabaseQueries::rack_damagedSettings()
{
    QFETCH(QString, settingsText);
    DatabaseTableZelvorinRack::Dataset row;
    QCOMPARE(int(db().tableRack()->Select(m_rack.rackId, row)), 0);
    row.XMLColonySettings = settingsText;
    QCOMPARE(int(db().tableRack()->Update(row)), 0);

    DatabaseQueries::Rack rack{QStringLiteral("old"), QStringLiteral("old"), 7, 7, 7, QStringLiteral("old")};
    QCOMPARE(int(queries().Database_GetZelvorinRack(m_rack.rackId, rack)), 150);
    QVERIFY(rack.rackBarcode.isEmpty());
    QVERIFY(rack.pictureFilePath.isEmpty());
    QVERIFY(rack.description.isEmpty());
    QCOMPARE(rack.containerGridColumnsCount, 0);
    QCOMPARE(rack.containerGridRowsCount, 0);
    QCOMPARE(rack.errorCode, 0);
}

void tst_DatabaseQueries::rackIdsByBarcode_takeTheBarcodeLiterally_data()
{
    QTest::addColumn<QString>("barcode");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("underscore") << QStringLiteral("AB_1") << QStringList{QStringLiteral("AB_1")};
    QTest::newRow("percent") << QStringLiteral("A%") << QStringList{QStringLiteral("A%")};
    QTest::newRow("quote") << QStringLiteral("O'B") << QStringList{QStringLiteral("O'B")};
    QTest::newRow("injection") << QStringLiteral("' OR 1=1 --") << QStringList{};
    QTest::newRow("part of a barcode") << QStringLiteral("AB") << QStringList{};
    QTest::newRow("empty: every rack, newest first")
        << QString() << QStringList{QStringLiteral("O'B"), QStringLiteral("A%"), QStringLiteral("ABX1"),
                                    QStringLiteral("AB_1"), QStringLiteral("R1")};
}

void tst_DatabaseQueries::rackIdsByBarcode_takeTheBarcodeLiterally()
{
    QFETCH(QString, barcode);
    QFETCH(QStringList, expected);
    QHash<int, QString> barcodes{{m_rack.rackId, QStringLiteral("R1")}};
    int minute = 1;
    for (const QString& code : {QStringLiteral("AB_1"), QStringLiteral("ABX1"), QStringLiteral("A%"), QStringLiteral("O'B")})
        barcodes.insert(storeRack(db(), {}, code, minute++).rackId, code);

    QVariantList ids{99};
    QCOMPARE(int(queries().Database_GetZelvorinRackID_By_RackBarcode(barcode, ids)), 0);
    QStringList found;
    for (const QVariant& id : ids) {
        QCOMPARE(id.typeId(), int(QMetaType::Int));
        found.append(barcodes.value(id.toInt()));
    }
    QCOMPARE(found, expected);
}

void tst_DatabaseQueries::containerId_data()
{
    QTest::addColumn<bool>("byName");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("expectedIndex"); // -1: no container
    QTest::newRow("by number") << false << 2 << QString() << 0 << 1;
    QTest::newRow("number the rack has not") << false << 9 << QString() << 0 << -1;
    QTest::newRow("16-bit wrap onto container 1") << false << 65537 << QString() << 0 << -1;
    QTest::newRow("number twice") << false << 4 << QString() << 124 << -1;
    QTest::newRow("by name") << true << 0 << QStringLiteral("B1") << 0 << 2;
    QTest::newRow("name only in another rack") << true << 0 << QStringLiteral("Z9") << 0 << -1;
    QTest::newRow("name twice") << true << 0 << QStringLiteral("Same") << 124 << -1;
}

void tst_DatabaseQueries::containerId()
{
    QFETCH(bool, byName);
    QFETCH(int, number);
    QFETCH(QString, name);
    QFETCH(int, code);
    QFETCH(int, expectedIndex);
    const StoredRack rack = storeRack(db(), {{1, 0, {}}, {2, 1, {}}, {3, 2, {}, QStringLiteral("B1")},
                                             {4, 3, {}, QStringLiteral("Same")}, {4, 4, {}, QStringLiteral("Same")}},
                                      QStringLiteral("R2"));
    storeRack(db(), {{1, 0, {}, QStringLiteral("Z9")}}, QStringLiteral("R3"));
    int id = 99;
    const Errors::Type_Error result =
        byName ? queries().Database_GetZelvorinContainerID_By_ContainerName(rack.rackId, name, id)
               : queries().Database_GetZelvorinContainerID_By_ContainerNumber(rack.rackId, number, id);
    QCOMPARE(int(result), code);
    QCOMPARE(id, expectedIndex < 0 ? -1 : rack.containerIds.at(expectedIndex));
}

void tst_DatabaseQueries::container_readsRow()
{
    DatabaseTableZelvorinContainer::Dataset row;
    QCOMPARE(int(db().tableContainer()->Select(m_rack.containerIds[0], row)), 0);
    row.ErrorCode = -3;
    row.Description = QStringLiteral("leer");
    QCOMPARE(int(db().tableContainer()->Update(row)), 0);

    DatabaseTableZelvorinContainer::Dataset container;
    QCOMPARE(int(queries().Database_GetZelvorinContainer(m_rack.containerIds[0], container)), 0);
    QCOMPARE(int(container.ContainerNumber), 1);
    QCOMPARE(container.ContainerName, QStringLiteral("A1"));
    QCOMPARE(int(container.PickingOrder), 2);
    QCOMPARE(int(container.ErrorCode), -3);
    QCOMPARE(container.Description, QStringLiteral("leer"));

    QCOMPARE(int(queries().Database_GetZelvorinContainer(m_rack.containerIds[0] + 100, container)), 87);
    QCOMPARE(int(container.ContainerNumber), 0);
    QVERIFY(container.ContainerName.isEmpty());
    QCOMPARE(int(container.PickingOrder), 0);
    QCOMPARE(int(container.ErrorCode), 0);
    QVERIFY(container.Description.isEmpty());
}

void tst_DatabaseQueries::containerIds_byPickOrder()
{
    QVariantList ids{99};
    QCOMPARE(int(queries().Database_GetZelvorinContainerIDs(m_rack.rackId, ids)), 0);
    QCOMPARE(ids, (QVariantList{m_rack.containerIds[1], m_rack.containerIds[0]}));
    QCOMPARE(int(queries().Database_GetZelvorinContainerIDs(m_rack.rackId + 100, ids)), 0);
    QVERIFY(ids.isEmpty());
}

void tst_DatabaseQueries::colonyCount_data()
{
    QTest::addColumn<int>("containerNumber");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("count");
    QTest::newRow("good and not excluded") << 1 << 0 << 3;
    QTest::newRow("no good colony") << 2 << 0 << 0;
    QTest::newRow("number the rack has not") << 3 << 122 << 0;
    QTest::newRow("beyond 16 bits") << 65537 << 122 << 0;
}

void tst_DatabaseQueries::colonyCount()
{
    QFETCH(int, containerNumber);
    QFETCH(int, code);
    QFETCH(int, count);
    int found = 99;
    QCOMPARE(int(queries().Database_GetZelvorinColonyCount(m_rack.rackId, containerNumber, found)), code);
    QCOMPARE(found, count);
}

void tst_DatabaseQueries::colonyPosition_data()
{
    QTest::addColumn<int>("rackOffset");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("containerNumber");
    QTest::addColumn<int>("colonyNumber");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("expectedColony"); // index in the container's spec, -1 none
    QTest::newRow("first good colony") << 0 << 1 << 1 << 1 << false << 0 << 1;
    QTest::newRow("equal pick order, higher score first") << 0 << 5 << 1 << 2 << false << 0 << 2;
    QTest::newRow("last, channel 16") << 0 << 16 << 1 << 3 << false << 0 << 0;
    QTest::newRow("channel 0 before the database") << 0 << 0 << 1 << 1 << true << 104 << -1;
    QTest::newRow("channel 17 before the database") << 0 << 17 << 1 << 1 << true << 104 << -1;
    QTest::newRow("colony number 0 after the lookups") << 100 << 1 << 1 << 0 << false << 87 << -1;
    QTest::newRow("colony number 0") << 0 << 1 << 1 << 0 << false << 104 << -1;
    QTest::newRow("beyond the good colonies") << 0 << 1 << 1 << 4 << false << 104 << -1;
    QTest::newRow("container the rack has not") << 0 << 1 << 3 << 1 << false << 122 << -1;
}

void tst_DatabaseQueries::colonyPosition()
{
    QFETCH(int, rackOffset);
    QFETCH(int, channel);
    QFETCH(int, containerNumber);
    QFETCH(int, colonyNumber);
    QFETCH(bool, closed);
    QFETCH(int, code);
    QFETCH(int, expectedColony);
    for (int i = 0; i < InstrumentSettings::ChannelCount; ++i) {
        m_instrument->channelOffsetX_mm[i] = 0.5 * (i + 1);
        m_instrument->channelOffsetY_mm[i] = -1.0 * (i + 1);
    }
    if (closed)
        db().database()->close();
    int colonyId = 99;
    double x = 9.0, y = 9.0, loading = 9.0;
    QCOMPARE(int(queries().Database_GetZelvorinColonyPosition_By_ColonyNumber(m_rack.rackId + rackOffset, channel,
                                                                              containerNumber, colonyNumber, colonyId,
                                                                              x, y, loading)),
             code);
    if (expectedColony < 0) {
        QCOMPARE(colonyId, -1);
        QCOMPARE(x, 0.0);
        QCOMPARE(y, 0.0);
        QCOMPARE(loading, 0.0);
        return;
    }
    const double totals[] = {40.0, 10.0, 90.0};
    QCOMPARE(colonyId, m_rack.colonyIds[0][expectedColony]);
    QCOMPARE(x, 1.0 + expectedColony - 0.5 * channel);
    QCOMPARE(y, 11.0 + expectedColony + 1.0 * channel);
    QCOMPARE(loading, totals[expectedColony]);
}

void tst_DatabaseQueries::colonyIdLists()
{
    const QList<Database::ID>& ids = m_rack.colonyIds[0];
    QVariantList good{99};
    QCOMPARE(int(queries().Database_GetZelvorinColonyIDs_IsGoodColony(m_rack.containerIds[0], good)), 0);
    QCOMPARE(good, (QVariantList{ids[1], ids[2], ids[0]}));

    QVariantList notGood{99};
    QCOMPARE(int(queries().Database_GetZelvorinColonyIDs_IsExcludedColony(m_rack.containerIds[0], notGood)), 0);
    std::sort(notGood.begin(), notGood.end(), [](const QVariant& a, const QVariant& b) { return a.toInt() < b.toInt(); });
    QCOMPARE(notGood, (QVariantList{ids[3], ids[5]}));

    db().database()->close();
    QCOMPARE(int(queries().Database_GetZelvorinColonyIDs_IsGoodColony(m_rack.containerIds[0], good)), 84);
    QVERIFY(good.isEmpty());
}

void tst_DatabaseQueries::colonyProperties()
{
    DatabaseTableZelvorinColony::Dataset row;
    QCOMPARE(int(db().tableColony()->Select(m_rack.colonyIds[0][4], row)), 0);
    ColonyRowValues::fill(row);
    QCOMPARE(int(db().tableColony()->Update(row)), 0);

    DatabaseTableZelvorinColony::Dataset read;
    QCOMPARE(int(queries().Database_GetZelvorinColonyProperties(m_rack.colonyIds[0][4], read)), 0);
    QCOMPARE(int(read.ColonyID), m_rack.colonyIds[0][4]);
    const auto fields = ColonyRowValues::doubleFields(read);
    for (size_t i = 0; i < fields.size(); ++i)
        QCOMPARE(*fields[i], ColonyRowValues::doubles[i]);
    QCOMPARE(int(read.PickingState), ColonyRowValues::pickingState);
    QVERIFY(read.IsExcluded);
    QVERIFY(read.IsGoodColony);
    QCOMPARE(int(read.PickingOrder), ColonyRowValues::pickingOrder);
    QVERIFY(read.IsUserEdited);
    QCOMPARE(read.PickingDate, ColonyRowValues::pickingDate());

    // A colony that does not exist gives no row: COM_Class leaves every output as it was.
    QCOMPARE(int(queries().Database_GetZelvorinColonyProperties(m_rack.colonyIds[0][4] + 100, read)), 87);
    QVERIFY(!read.isValid());
}

void tst_DatabaseQueries::pickingState_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("code");
    QTest::newRow("picked") << 1 << true << 0;
    QTest::newRow("picked with error") << 2 << true << 0;
    QTest::newRow("not picked") << 0 << true << 0;
    QTest::newRow("3 reads nothing") << 3 << false << 104;
    QTest::newRow("-1") << -1 << true << 104;
    QTest::newRow("2 on a colony that does not exist") << 2 << false << 87;
}

void tst_DatabaseQueries::pickingState()
{
    QFETCH(int, state);
    QFETCH(bool, exists);
    QFETCH(int, code);
    const Database::ID colony = exists ? m_rack.colonyIds[0][0] : m_rack.colonyIds[0][0] + 100;
    if (code == 104)
        db().database()->close(); // refused before the database is asked
    QCOMPARE(int(queries().Database_SetZelvorinColonyPickingState(colony, state)), code);
    if (code != 0)
        return;
    DatabaseTableZelvorinColony::Dataset row;
    QCOMPARE(int(db().tableColony()->Select(colony, row)), 0);
    QCOMPARE(int(row.PickingState), state);
}

void tst_DatabaseQueries::pickingState_stampsTheDateAlsoWhenUnchanged()
{
    const Database::ID colony = m_rack.colonyIds[0][0];
    DatabaseTableZelvorinColony::Dataset before;
    QCOMPARE(int(db().tableColony()->Select(colony, before)), 0);
    QCOMPARE(int(before.PickingState), 0);
    const QDateTime start = QDateTime::currentDateTime().addMSecs(-1000);
    QCOMPARE(int(queries().Database_SetZelvorinColonyPickingState(colony, 0)), 0);
    const QDateTime end = QDateTime::currentDateTime().addMSecs(1000);
    DatabaseTableZelvorinColony::Dataset after;
    QCOMPARE(int(db().tableColony()->Select(colony, after)), 0);
    QCOMPARE(int(after.PickingState), 0);
    QVERIFY2(after.PickingDate >= start && after.PickingDate <= end, qPrintable(after.PickingDate.toString()));
    QCOMPARE(after.PosX_mm, before.PosX_mm);
    QCOMPARE(after.LoadingTotal_pct, before.LoadingTotal_pct);
}

void tst_DatabaseQueries::fieldWrites_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("idOffset");
    QTest::addColumn<int>("code");
    for (int field = 0; field < 4; ++field) {
        QTest::addRow("field %d", field) << field << 0 << 0;
        QTest::addRow("field %d, row that does not exist", field) << field << 100 << 87;
    }
}

void tst_DatabaseQueries::fieldWrites()
{
    QFETCH(int, field);
    QFETCH(int, idOffset);
    QFETCH(int, code);
    const QString text = QStringLiteral("it's 100% ü_");
    const Database::ID rack = m_rack.rackId + idOffset;
    const Database::ID container = m_rack.containerIds[0] + idOffset;
    const Database::ID colony = m_rack.colonyIds[0][0] + idOffset;
    Errors::Type_Error result = -1;
    switch (field) {
    case 0: result = queries().Database_SetZelvorinRack_Field_Description(rack, text); break;
    case 1: result = queries().Database_SetZelvorinRack_Field_ImageStitcherID(rack, 4711); break;
    case 2: result = queries().Database_SetZelvorinContainer_Field_Description(container, text); break;
    default: result = queries().Database_SetZelvorinColony_Field_Description(colony, text); break;
    }
    QCOMPARE(int(result), code);
    if (code != 0)
        return;

    DatabaseTableZelvorinRack::Dataset rackRow;
    DatabaseTableZelvorinContainer::Dataset containerRow;
    DatabaseTableZelvorinColony::Dataset colonyRow;
    QVERIFY(readWrittenRows(rackRow, containerRow, colonyRow));
    // The one field changed, its neighbours as stored.
    QCOMPARE(rackRow.Description, field == 0 ? text : QStringLiteral(""));
    QCOMPARE(int(rackRow.ImageStitcherID), field == 1 ? 4711 : -1);
    QCOMPARE(rackRow.RackBarcode, QStringLiteral("R1"));
    QCOMPARE(containerRow.Description, field == 2 ? text : QString());
    QCOMPARE(containerRow.ContainerName, QStringLiteral("A1"));
    QCOMPARE(colonyRow.Description, field == 3 ? text : QString());
    QCOMPARE(colonyRow.PosY_mm, 11.0);
}

void tst_DatabaseQueries::textsBeyondTheDatabase_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("code");
    const char* names[] = {"rack description", "container description", "colony description", "barcode search",
                           "container name"};
    for (int operation = 0; operation < 5; ++operation) {
        QTest::addRow("%s, longest", names[operation]) << operation << 1000000 << 0;
        QTest::addRow("%s, one longer", names[operation]) << operation << 1000001 << 104;
    }
}

// A text longer than the database keeps is refused before the database is asked: also with
// the database closed the answer is 104, and a stored text stays as it was.
void tst_DatabaseQueries::textsBeyondTheDatabase()
{
    QFETCH(int, operation);
    QFETCH(int, length);
    QFETCH(int, code);
    const QString text(length, QLatin1Char('d'));
    const auto run = [&] {
        QVariantList racks{-7};
        int container = -7;
        Errors::Type_Error result = -1;
        switch (operation) {
        case 0: result = queries().Database_SetZelvorinRack_Field_Description(m_rack.rackId, text); break;
        case 1: result = queries().Database_SetZelvorinContainer_Field_Description(m_rack.containerIds[0], text); break;
        case 2: result = queries().Database_SetZelvorinColony_Field_Description(m_rack.colonyIds[0][0], text); break;
        case 3:
            result = queries().Database_GetZelvorinRackID_By_RackBarcode(text, racks);
            if (!racks.isEmpty())
                return Errors::Type_Error(-2);
            break;
        default:
            result = queries().Database_GetZelvorinContainerID_By_ContainerName(m_rack.rackId, text, container);
            if (container != -1)
                return Errors::Type_Error(-2);
            break;
        }
        return result;
    };
    QCOMPARE(int(run()), code);
    DatabaseTableZelvorinRack::Dataset rackRow;
    DatabaseTableZelvorinContainer::Dataset containerRow;
    DatabaseTableZelvorinColony::Dataset colonyRow;
    QVERIFY(readWrittenRows(rackRow, containerRow, colonyRow));
    const QString stored[] = {rackRow.Description, containerRow.Description, colonyRow.Description};
    for (int field = 0; field < 3; ++field)
        QCOMPARE(stored[field].size(), field == operation && code == 0 ? length : 0);
    if (code == 0)
        return;
    db().database()->close();
    QCOMPARE(int(run()), code);
}

void tst_DatabaseQueries::retrieveOperationsShareOneList()
{
    ColonyPickList::HandOut out;
    const QVariantList maximum{5};
    // Sort mode 0 both ways: the two continue each other.
    QCOMPARE(int(queries().Database_RetrieveColonyPositions(m_rack.rackId, maximum, QStringLiteral("1"), out)), 0);
    QCOMPARE(out.positionY_mm, QVariantList{11.0});
    QCOMPARE(int(queries().Database_RetrieveColonyPositions2(m_rack.rackId, maximum, 0, QStringLiteral("1"), out)), 0);
    QCOMPARE(out.positionY_mm, QVariantList{12.0});
    QCOMPARE(out.totalNumberOfColonies, 3);
    // Sort mode 1 against sort mode 0: each call starts afresh.
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(int(queries().Database_RetrieveColonyPositions2(m_rack.rackId, maximum, 1, QStringLiteral("1"), out)),
                 0);
        QCOMPARE(out.colonyIds, QVariantList{m_rack.colonyIds[0][1]});
        QCOMPARE(int(queries().Database_RetrieveColonyPositions(m_rack.rackId, maximum, QStringLiteral("1"), out)), 0);
        QCOMPARE(out.positionY_mm, QVariantList{11.0});
    }
    queries().colonyPickList().reset();
    QCOMPARE(queries().colonyPickList().rackId(), -1);
}

QTEST_GUILESS_MAIN(tst_DatabaseQueries)
#include "tst_DatabaseQueries.moc"
