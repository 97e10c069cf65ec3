// The five row tables on a real SQLite3 database made from the shipped template.

#include "DatabaseTestSupport.h"

#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinImageStitcher.h"
#include "DatabaseTableZelvorinImageStitcherPicture.h"
#include "DatabaseTableZelvorinRack.h"
#include "DatabaseTransaction.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <limits>

using namespace DatabaseTestSupport;

namespace {

QString longText(int length)
{
    // Non-Latin characters and XML markup, as settings texts hold them.
    const QString piece = QStringLiteral("<Wert Einheit=\"µm\">Ωμέγα 日本 🧫 'x' %_</Wert>\n");
    QString text;
    while (text.size() < length)
        text += piece;
    text.truncate(length);
    // A cut surrogate pair would not survive UTF-8; end on a whole character.
    if (text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

Database::ID insertRack(ApplicationDatabase& holder, const QString& barcode, const QDateTime& created)
{
    DatabaseTableZelvorinRack::Dataset row = rackRow(barcode, created);
    if (holder.tableRack()->Insert(row) != 0)
        return -1;
    return row.RackID;
}

Database::ID insertContainer(ApplicationDatabase& holder, Database::ID rackId, qint16 number, qint16 pickingOrder,
                             const QString& name = QString())
{
    DatabaseTableZelvorinContainer::Dataset row;
    row.RackID = rackId;
    row.ContainerNumber = number;
    row.PickingOrder = pickingOrder;
    row.ContainerName = name.isEmpty() ? QStringLiteral("C%1").arg(number) : name;
    if (holder.tableContainer()->Insert(row) != 0)
        return -1;
    return row.ContainerID;
}

Database::ID insertColony(ApplicationDatabase& holder, Database::ID containerId, qint32 pickingOrder, bool good,
                          bool excluded, double total)
{
    DatabaseTableZelvorinColony::Dataset row;
    row.ContainerID = containerId;
    row.PickingOrder = pickingOrder;
    row.IsGoodColony = good;
    row.IsExcluded = excluded;
    row.LoadingTotal_pct = total;
    if (holder.tableColony()->Insert(row) != 0)
        return -1;
    return row.ColonyID;
}

// Every field of a colony record, to compare records as a whole.
QVariantList fields(const DatabaseTableZelvorinColony::Dataset& row)
{
    return {row.ColonyID, row.ContainerID, row.PosX_px, row.PosY_px, row.PosX_mm, row.PosY_mm, row.Area_mm2,
            row.Circularity, row.ClearanceNeighbor_mm, row.ClearanceMargin_mm, row.LoadingArea_pct,
            row.LoadingCircularity_pct, row.LoadingClearanceNeighbor_pct, row.LoadingClearanceMargin_pct,
            row.LoadingTotal_pct, row.ColorHue, row.ColorSaturation, row.ColorIntensity, row.ColorArea_pct, row.ColorRed,
            row.ColorGreen, row.ColorBlue, row.PickingDate, int(row.PickingState), row.IsExcluded, row.IsGoodColony,
            row.PickingOrder, row.IsUserEdited, int(row.ErrorCode), row.Description};
}

// The colonies of a container as the id list and one Select per id read them.
QList<QVariantList> colonyRowsById(ApplicationDatabase& holder, Database::ID containerId)
{
    QList<QVariantList> rows;
    QList<Database::ID> ids;
    if (holder.tableColony()->SelectIdsByContainer(containerId, ids) != 0)
        return {{QStringLiteral("id list failed")}};
    for (const Database::ID id : ids) {
        DatabaseTableZelvorinColony::Dataset row;
        if (holder.tableColony()->Select(id, row) != 0)
            return {{QStringLiteral("select failed")}};
        rows.append(fields(row));
    }
    return rows;
}

QList<QVariantList> fieldLists(const QList<DatabaseTableZelvorinColony::Dataset>& rows)
{
    QList<QVariantList> lists;
    for (const DatabaseTableZelvorinColony::Dataset& row : rows)
        lists.append(fields(row));
    return lists;
}

} // namespace

class tst_DatabaseTables : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void rackRoundTrip_data();
    void rackRoundTrip();
    void rackNumbersKeepSixDigits();
    void rackDateTimes_data();
    void rackDateTimes();
    void rackBadInputIsRefused_data();
    void rackBadInputIsRefused();
    void rackUpdateRewritesTheRow();
    void missingRowsAndKeys_data();
    void missingRowsAndKeys();
    void closedConnectionGives84();
    void barcodeSearchTakesTextLiterally_data();
    void barcodeSearchTakesTextLiterally();
    void barcodeSearchLimit_data();
    void barcodeSearchLimit();

    void containerRoundTripAndLists();
    void containerBadInputIsRefused();
    void colonyRoundTrip();
    void colonyBadInputIsRefused_data();
    void colonyBadInputIsRefused();
    void colonyIdLists();
    void colonyRowsInOneStatement();

    void stitcherAndPictures();
    void deletingARackTakesItsContainersAndColonies();
    void childRowsNeedTheirParent();
    void failedSaveLeavesNothingBehind();

private:
    QTemporaryDir* m_dir = nullptr;
    std::unique_ptr<OpenDatabase> m_db;
    ApplicationDatabase& holder() { return *m_db->holder; }
};

void tst_DatabaseTables::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_db = createDatabase(*m_dir);
    QCOMPARE(m_db->createResult, Errors::Type_Error(0));
    QVERIFY(m_db->handler.reports.isEmpty());
}

void tst_DatabaseTables::cleanup()
{
    m_db.reset();
    delete m_dir;
    m_dir = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Rack table

void tst_DatabaseTables::rackRoundTrip_data()
{
    QTest::addColumn<QString>("barcode");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("longText");

    QTest::newRow("plain") << "R0815" << "first plate" << "database/pictures/1.png" << "<Settings/>";
    QTest::newRow("apostrophes") << "O'Neil" << "it's 'quoted'" << "pictures/O'Neil.png" << "a'b''c";
    QTest::newRow("like wildcards") << "50%_A" << "100% _sure_" << "p%_.png" << "%_%";
    QTest::newRow("non-latin") << "Ωμέγα-日本" << "Kolonie 🧫 µm²" << "bilder/größe.png" << longText(300);
    QTest::newRow("empty texts") << "" << "" << "" << "";
    QTest::newRow("long texts") << QString(255, QLatin1Char('B')) << longText(100000) << longText(4000) << longText(400000);
    QTest::newRow("sql in text") << "x'); DROP TABLE [ZelvorinRack];--" << "'; DELETE FROM [ZelvorinColony]; --"
                                 << "\\\\server\\share" << "--";
}

void tst_DatabaseTables::rackRoundTrip()
{
    QFETCH(QString, barcode);
    QFETCH(QString, description);
    QFETCH(QString, path);
    QFETCH(QString, longText);

    DatabaseTableZelvorinRack::Dataset row = rackRow(barcode, baseTime());
    row.XMLSettings = longText;
    row.XMLCameraSettings = longText + QStringLiteral("camera");
    row.XMLColonySettings = QStringLiteral("colony") + longText;
    row.ReferencePointsCorrection = longText.left(50);
    row.PictureFilePath = path;
    row.ColorModel = -2;
    row.ErrorCode = 160;
    row.Description = description;
    row.ImageStitcherID = -1;
    row.ReferenzPos1X = 1.5;
    row.ReferenzPos1Y = -2.25;
    row.ReferenzPos2X = 1024.5;
    row.ReferenzPos2Y = 0.0;
    row.ReferenzPos3X = 3.0;
    row.ReferenzPos3Y = 4.125;
    row.ReferenzPos4X = 5e-7;
    row.ReferenzPos4Y = 2048.0;
    QCOMPARE(holder().tableRack()->Insert(row), Errors::Type_Error(0));
    QVERIFY(row.RackID > 0);

    DatabaseTableZelvorinRack::Dataset read;
    QCOMPARE(holder().tableRack()->Select(row.RackID, read), Errors::Type_Error(0));
    QCOMPARE(read.RackID, row.RackID);
    QCOMPARE(read.CreatedDate, row.CreatedDate);
    QCOMPARE(read.RackBarcode, barcode);
    QCOMPARE(read.XMLSettings, row.XMLSettings);
    QCOMPARE(read.XMLCameraSettings, row.XMLCameraSettings);
    QCOMPARE(read.XMLColonySettings, row.XMLColonySettings);
    QCOMPARE(read.ReferencePointsCorrection, row.ReferencePointsCorrection);
    QCOMPARE(read.PictureFilePath, path);
    QCOMPARE(read.ColorModel, qint16(-2));
    QCOMPARE(read.ErrorCode, Errors::Type_Error(160));
    QCOMPARE(read.Description, description);
    QCOMPARE(read.ImageStitcherID, Database::ID(-1));
    QCOMPARE(read.ReferenzPos1X, 1.5);
    QCOMPARE(read.ReferenzPos1Y, -2.25);
    QCOMPARE(read.ReferenzPos2X, 1024.5);
    QCOMPARE(read.ReferenzPos2Y, 0.0);
    QCOMPARE(read.ReferenzPos3X, 3.0);
    QCOMPARE(read.ReferenzPos3Y, 4.125);
    QCOMPARE(read.ReferenzPos4X, 5e-7);
    QCOMPARE(read.ReferenzPos4Y, 2048.0);

    DatabaseTableZelvorinRack::ShortDataset brief;
    QCOMPARE(holder().tableRack()->SelectShort(row.RackID, brief), Errors::Type_Error(0));
    QCOMPARE(brief.RackID, row.RackID);
    QCOMPARE(brief.CreatedDate, row.CreatedDate);
    QCOMPARE(brief.RackBarcode, barcode);
    QCOMPARE(brief.PictureFilePath, path);
    QCOMPARE(brief.ColorModel, qint16(-2));
    QCOMPARE(brief.ErrorCode, Errors::Type_Error(160));
    QCOMPARE(brief.Description, description);
    QCOMPARE(brief.ImageStitcherID, Database::ID(-1));

    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinRack")), 1);
    QVERIFY(m_db->handler.reports.isEmpty());
}

void tst_DatabaseTables::rackNumbersKeepSixDigits()
{
    DatabaseTableZelvorinRack::Dataset row = rackRow(QStringLiteral("R"), baseTime());
    row.ReferenzPos1X = 1234.5678;   // eight significant digits
    row.ReferenzPos1Y = 12345678.0;
    QCOMPARE(holder().tableRack()->Insert(row), Errors::Type_Error(0));
    DatabaseTableZelvorinRack::Dataset read;
    QCOMPARE(holder().tableRack()->Select(row.RackID, read), Errors::Type_Error(0));
    QCOMPARE(read.ReferenzPos1X, 1234.57);
    QCOMPARE(read.ReferenzPos1Y, 1.23457e7);
}

void tst_DatabaseTables::rackDateTimes_data()
{
    QTest::addColumn<QDateTime>("written");
    QTest::addColumn<QDateTime>("expected");
    const QDateTime local(QDate(2023, 12, 31), QTime(23, 59, 59));
    QTest::newRow("local") << local << local;
    QTest::newRow("milliseconds dropped") << QDateTime(QDate(2023, 1, 2), QTime(3, 4, 5, 678))
                                          << QDateTime(QDate(2023, 1, 2), QTime(3, 4, 5));
    const QDateTime utc(QDate(2022, 6, 1), QTime(12, 0, 0), Qt::UTC);
    QTest::newRow("utc keeps the instant") << utc << utc;
    QTest::newRow("first year") << QDateTime(QDate(1, 1, 1), QTime(0, 0, 0)) << QDateTime(QDate(1, 1, 1), QTime(0, 0, 0));
    QTest::newRow("last year") << QDateTime(QDate(9999, 12, 31), QTime(23, 0, 0))
                               << QDateTime(QDate(9999, 12, 31), QTime(23, 0, 0));
}

void tst_DatabaseTables::rackDateTimes()
{
    QFETCH(QDateTime, written);
    QFETCH(QDateTime, expected);
    const Database::ID id = insertRack(holder(), QStringLiteral("D"), written);
    QVERIFY(id > 0);
    DatabaseTableZelvorinRack::Dataset read;
    QCOMPARE(holder().tableRack()->Select(id, read), Errors::Type_Error(0));
    QCOMPARE(read.CreatedDate, expected);
}

void tst_DatabaseTables::rackBadInputIsRefused_data()
{
    QTest::addColumn<int>("fault");
    QTest::newRow("nan position") << 0;
    QTest::newRow("infinite position") << 1;
    QTest::newRow("invalid date") << 2;
    QTest::newRow("year beyond 9999") << 3;
    QTest::newRow("zero character in description") << 4;
    QTest::newRow("zero character in settings text") << 5;
    QTest::newRow("barcode over 255 characters") << 6;
    QTest::newRow("description over the text limit") << 7;
    // SQLite gives these back as U+FFFD: stored, they would be another text.
    QTest::newRow("U+FFFF in barcode") << 8;
    QTest::newRow("U+FFFE in settings text") << 9;
    QTest::newRow("lone high surrogate in description") << 10;
    QTest::newRow("lone low surrogate in barcode") << 11;
}

void tst_DatabaseTables::rackBadInputIsRefused()
{
    QFETCH(int, fault);
    const Database::ID existing = insertRack(holder(), QStringLiteral("KEEP"), baseTime());
    QVERIFY(existing > 0);
    DatabaseTableZelvorinRack::Dataset before;
    QCOMPARE(holder().tableRack()->Select(existing, before), Errors::Type_Error(0));

    DatabaseTableZelvorinRack::Dataset bad = before;
    switch (fault) {
    case 0: bad.ReferenzPos2Y = std::numeric_limits<double>::quiet_NaN(); break;
    case 1: bad.ReferenzPos4X = -std::numeric_limits<double>::infinity(); break;
    case 2: bad.CreatedDate = QDateTime(); break;
    case 3: bad.CreatedDate = QDateTime(QDate(10000, 1, 1), QTime(0, 0)); break;
    case 4: bad.Description = QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b"); break;
    case 5: bad.XMLColonySettings = QStringLiteral("<a>") + QChar(u'\0') + QStringLiteral("</a>"); break;
    case 6: bad.RackBarcode = QString(256, QLatin1Char('B')); break;
    case 7: bad.Description = QString(1000001, QLatin1Char('d')); break;
    case 8: bad.RackBarcode = QStringLiteral("BC") + QChar(0xFFFF); break;
    case 9: bad.XMLSettings = QStringLiteral("<a>") + QChar(0xFFFE) + QStringLiteral("</a>"); break;
    case 10: bad.Description = QStringLiteral("x") + QChar(0xD83D); break;
    case 11: bad.RackBarcode = QChar(0xDE00) + QStringLiteral("BC"); break;
    }

    // Insert: refused before anything is written.
    DatabaseTableZelvorinRack::Dataset insert = bad;
    QCOMPARE(holder().tableRack()->Insert(insert), Errors::Type_Error(85));
    QCOMPARE(insert.RackID, Database::ID(-1));
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinRack")), 1);
    QCOMPARE(m_db->handler.reports.size(), 1);
    QVERIFY(m_db->handler.reports.at(0).second.contains(QStringLiteral("SQL Statement error in table [ZelvorinRack]")));

    // Update: the stored row stays as it was.
    QCOMPARE(holder().tableRack()->Update(bad), Errors::Type_Error(85));
    DatabaseTableZelvorinRack::Dataset after;
    QCOMPARE(holder().tableRack()->Select(existing, after), Errors::Type_Error(0));
    QCOMPARE(after.Description, before.Description);
    QCOMPARE(after.CreatedDate, before.CreatedDate);
    QCOMPARE(after.RackBarcode, before.RackBarcode);
    QCOMPARE(after.ReferenzPos2Y, before.ReferenzPos2Y);
}

void tst_DatabaseTables::rackUpdateRewritesTheRow()
{
    const Database::ID id = insertRack(holder(), QStringLiteral("R1"), baseTime());
    DatabaseTableZelvorinRack::Dataset row;
    QCOMPARE(holder().tableRack()->Select(id, row), Errors::Type_Error(0));
    row.PictureFilePath = QStringLiteral("database/pictures/%1.png").arg(id);
    row.Description = QStringLiteral("changed 'later'");
    row.ImageStitcherID = 42;
    row.XMLSettings = QStringLiteral("<Settings>Ω</Settings>");
    QCOMPARE(holder().tableRack()->Update(row), Errors::Type_Error(0));
    DatabaseTableZelvorinRack::Dataset read;
    QCOMPARE(holder().tableRack()->Select(id, read), Errors::Type_Error(0));
    QCOMPARE(read.PictureFilePath, row.PictureFilePath);
    QCOMPARE(read.Description, row.Description);
    QCOMPARE(read.ImageStitcherID, Database::ID(42));
    QCOMPARE(read.XMLSettings, row.XMLSettings);
}

void tst_DatabaseTables::missingRowsAndKeys_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("keyColumn");
    QTest::newRow("rack") << "ZelvorinRack" << "RackID";
    QTest::newRow("container") << "ZelvorinContainer" << "ContainerID";
    QTest::newRow("colony") << "ZelvorinColony" << "ColonyID";
    QTest::newRow("stitcher") << "ZelvorinImageStitcher" << "ImageStitcherID";
    QTest::newRow("stitcher picture") << "ZelvorinImageStitcherPicture" << "ImageStitcherPictureID";
}

void tst_DatabaseTables::missingRowsAndKeys()
{
    QFETCH(QString, table);
    QFETCH(QString, keyColumn);
    const Database::ID missing = 999;
    Errors::Type_Error selectResult = 0;
    Errors::Type_Error updateResult = 0;
    Errors::Type_Error deleteResult = -1;
    bool cleared = false;
    if (table == QLatin1String("ZelvorinRack")) {
        DatabaseTableZelvorinRack::Dataset row;
        row.RackID = 5;
        row.Description = QStringLiteral("stale");
        selectResult = holder().tableRack()->Select(missing, row);
        cleared = row.RackID == -1 && row.Description.isEmpty() && row.ImageStitcherID == -1;
        row.RackID = missing;
        updateResult = holder().tableRack()->Update(row);
        deleteResult = holder().tableRack()->Delete(missing);
    } else if (table == QLatin1String("ZelvorinContainer")) {
        DatabaseTableZelvorinContainer::Dataset row;
        row.ContainerID = 5;
        row.ContainerName = QStringLiteral("stale");
        selectResult = holder().tableContainer()->Select(missing, row);
        cleared = row.ContainerID == -1 && row.RackID == -1 && row.ContainerName.isEmpty();
        row.ContainerID = missing;
        updateResult = holder().tableContainer()->Update(row);
        deleteResult = holder().tableContainer()->Delete(missing);
    } else if (table == QLatin1String("ZelvorinColony")) {
        DatabaseTableZelvorinColony::Dataset row;
        row.ColonyID = 5;
        row.Area_mm2 = 3.0;
        selectResult = holder().tableColony()->Select(missing, row);
        cleared = row.ColonyID == -1 && row.ContainerID == -1 && row.Area_mm2 == 0.0;
        row.ColonyID = missing;
        updateResult = holder().tableColony()->Update(row);
        deleteResult = holder().tableColony()->Delete(missing);
    } else if (table == QLatin1String("ZelvorinImageStitcher")) {
        DatabaseTableZelvorinImageStitcher::Dataset row;
        row.ImageStitcherID = 5;
        row.RackBarcode = QStringLiteral("stale");
        selectResult = holder().tableImageStitcher()->Select(missing, row);
        cleared = row.ImageStitcherID == -1 && row.RackBarcode.isEmpty();
        row.ImageStitcherID = missing;
        updateResult = holder().tableImageStitcher()->Update(row);
        deleteResult = holder().tableImageStitcher()->Delete(missing);
    } else {
        DatabaseTableZelvorinImageStitcherPicture::Dataset row;
        row.ImageStitcherPictureID = 5;
        row.ImageStitcherID = 6;
        row.rowOpticalAxis = 3.0;
        selectResult = holder().tableImageStitcherPicture()->Select(missing, row);
        cleared = row.ImageStitcherPictureID == -1 && row.ImageStitcherID == -1 && row.rowOpticalAxis == 0.0;
        row.ImageStitcherPictureID = missing;
        updateResult = holder().tableImageStitcherPicture()->Update(row);
        deleteResult = holder().tableImageStitcherPicture()->Delete(missing);
    }
    QCOMPARE(selectResult, Errors::Type_Error(87));
    QVERIFY(cleared);
    QCOMPARE(updateResult, Errors::Type_Error(89));
    QCOMPARE(deleteResult, Errors::Type_Error(0));
    QCOMPARE(m_db->handler.reports.size(), 2);
    QVERIFY(m_db->handler.reports.at(0).second.contains(QStringLiteral("Dataset [%1]=999 not found").arg(keyColumn)));
    QVERIFY(m_db->handler.reports.at(1).second.contains(QStringLiteral("SQL Update error in table [%1]").arg(table)));
    QCOMPARE(m_db->handler.reports.at(0).first, QStringLiteral("test.db3"));
}

void tst_DatabaseTables::closedConnectionGives84()
{
    holder().database()->close();
    DatabaseTableZelvorinRack::Dataset rack = rackRow(QStringLiteral("R"), baseTime());
    rack.RackID = 3;
    QCOMPARE(holder().tableRack()->Insert(rack), Errors::Type_Error(84));
    QCOMPARE(rack.RackID, Database::ID(-1));
    rack.Description = QStringLiteral("stale");
    QCOMPARE(holder().tableRack()->Select(1, rack), Errors::Type_Error(84));
    QVERIFY(rack.Description.isEmpty());
    QList<Database::ID> ids{1, 2};
    bool more = true;
    QCOMPARE(holder().tableRack()->SelectIdsByBarcode(QString(), 500, ids, more), Errors::Type_Error(84));
    QVERIFY(ids.isEmpty());
    QVERIFY(!more);
    DatabaseTableZelvorinContainer::Dataset container;
    container.ContainerID = 4;
    QCOMPARE(holder().tableContainer()->Insert(container), Errors::Type_Error(84));
    QCOMPARE(container.ContainerID, Database::ID(-1));
    ids = {1};
    QCOMPARE(holder().tableColony()->SelectPickIds(1, ids), Errors::Type_Error(84));
    QVERIFY(ids.isEmpty());
    DatabaseTableZelvorinImageStitcher::Dataset stitcher;
    QCOMPARE(holder().tableImageStitcher()->Insert(stitcher), Errors::Type_Error(84));
    DatabaseTableZelvorinImageStitcherPicture::Dataset picture;
    picture.ImageStitcherPictureID = 9;
    QCOMPARE(holder().tableImageStitcherPicture()->Insert(picture), Errors::Type_Error(84));
    QCOMPARE(picture.ImageStitcherPictureID, Database::ID(-1));
    QVERIFY(m_db->handler.reports.isEmpty());
}

void tst_DatabaseTables::barcodeSearchTakesTextLiterally_data()
{
    QTest::addColumn<bool>("contains");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("exact") << false << "ABC" << QStringList{"ABC"};
    QTest::newRow("percent is no wildcard") << false << "A%C" << QStringList{"A%C"};
    QTest::newRow("underscore is no wildcard") << false << "A_C" << QStringList{"A_C"};
    QTest::newRow("backslash") << false << "A\\C" << QStringList{"A\\C"};
    QTest::newRow("apostrophe") << false << "O'Neil" << QStringList{"O'Neil"};
    QTest::newRow("non-latin") << false << "Ωmega" << QStringList{"Ωmega"};
    QTest::newRow("no such barcode") << false << "ZZZ" << QStringList{};
    QTest::newRow("zero character") << false << QString(QStringLiteral("AB") + QChar(u'\0') + QStringLiteral("C"))
                                    << QStringList{};
    QTest::newRow("U+FFFF") << false << QString(QStringLiteral("AB") + QChar(0xFFFF)) << QStringList{};
    QTest::newRow("character beyond the BMP") << false << QStringLiteral("\U0001F9EB") << QStringList{QStringLiteral("\U0001F9EB")};
    QTest::newRow("contains") << true << "B" << QStringList{"ABC"};
    QTest::newRow("contains percent") << true << "%" << QStringList{"A%C", "50%"};
    QTest::newRow("contains underscore") << true << "_" << QStringList{"A_C"};
    QTest::newRow("contains bracket") << true << "[" << QStringList{"[x]"};
    QTest::newRow("contains apostrophe") << true << "'" << QStringList{"O'Neil"};
    QTest::newRow("filter shaped as a statement") << true << "x'); DELETE FROM [ZelvorinRack]; --" << QStringList{};
    QTest::newRow("filter shaped as a condition") << true << "' OR '1'='1" << QStringList{};
    QTest::newRow("contains everything") << true << "" << QStringList{"ABC", "A%C", "A_C", "AXC", "A\\C", "50%", "O'Neil", "Ωmega", "[x]", "\U0001F9EB"};
}

void tst_DatabaseTables::barcodeSearchTakesTextLiterally()
{
    QFETCH(bool, contains);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    const QStringList barcodes{"ABC", "A%C", "A_C", "AXC", "A\\C", "50%", "O'Neil", "Ωmega", "[x]", "\U0001F9EB"};
    QHash<Database::ID, QString> byId;
    for (int i = 0; i < barcodes.size(); ++i)
        byId.insert(insertRack(holder(), barcodes.at(i), baseTime().addSecs(i)), barcodes.at(i));
    QList<Database::ID> ids;
    if (contains) {
        QCOMPARE(holder().tableRack()->SelectIdsByBarcodeQualified(text, ids), Errors::Type_Error(0));
    } else {
        bool more = true;
        QCOMPARE(holder().tableRack()->SelectIdsByBarcode(text, -1, ids, more), Errors::Type_Error(0));
        QVERIFY(!more);
    }
    QStringList found;
    for (const Database::ID id : ids)
        found.append(byId.value(id));
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinRack")), int(barcodes.size()));

    // The stitcher table searches its barcodes by the same rule.
    if (!contains) {
        for (int i = 0; i < barcodes.size(); ++i) {
            DatabaseTableZelvorinImageStitcher::Dataset row;
            row.RackBarcode = barcodes.at(i);
            QCOMPARE(holder().tableImageStitcher()->Insert(row), Errors::Type_Error(0));
        }
        bool more = true;
        QCOMPARE(holder().tableImageStitcher()->SelectIdsByBarcode(text, 0, ids, more), Errors::Type_Error(0));
        QCOMPARE(ids.size(), text.isEmpty() ? barcodes.size() : expected.size());
    }
    QVERIFY(m_db->handler.reports.isEmpty());
}

void tst_DatabaseTables::barcodeSearchLimit_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("expectedCount");
    QTest::addColumn<bool>("expectedMore");
    QTest::newRow("one beyond the maximum") << 501 << 500 << 500 << true;
    QTest::newRow("exactly the maximum") << 500 << 500 << 500 << false;
    QTest::newRow("no limit") << 501 << -1 << 501 << false;
    QTest::newRow("zero means no limit") << 20 << 0 << 20 << false;
    QTest::newRow("maximum one") << 3 << 1 << 1 << true;
}

void tst_DatabaseTables::barcodeSearchLimit()
{
    QFETCH(int, stored);
    QFETCH(int, maximum);
    QFETCH(int, expectedCount);
    QFETCH(bool, expectedMore);
    QList<Database::ID> inserted;
    {
        DatabaseTransaction transaction(&holder());
        for (int i = 0; i < stored; ++i) {
            // Out of key order, so the order must come from the dates.
            const int minute = (i * 7) % stored;
            DatabaseTableZelvorinRack::Dataset row = rackRow(QStringLiteral("R%1").arg(minute), baseTime().addSecs(60 * minute));
            QCOMPARE(holder().tableRack()->Insert(row), Errors::Type_Error(0));
            inserted.append(row.RackID);
        }
        QCOMPARE(transaction.commit(), Errors::Type_Error(0));
    }
    QList<Database::ID> ids;
    bool more = !expectedMore;
    QCOMPARE(holder().tableRack()->SelectIdsByBarcode(QString(), maximum, ids, more), Errors::Type_Error(0));
    QCOMPARE(ids.size(), expectedCount);
    QCOMPARE(more, expectedMore);
    QDateTime previous;
    for (const Database::ID id : ids) {
        DatabaseTableZelvorinRack::ShortDataset row;
        QCOMPARE(holder().tableRack()->SelectShort(id, row), Errors::Type_Error(0));
        if (previous.isValid())
            QVERIFY(row.CreatedDate < previous);
        previous = row.CreatedDate;
    }
    // The newest rack comes first.
    QCOMPARE(previous.isValid(), true);
}

// ---------------------------------------------------------------------------------------------
// Container and colony tables

void tst_DatabaseTables::containerRoundTripAndLists()
{
    const Database::ID rack = insertRack(holder(), QStringLiteral("R"), baseTime());
    const Database::ID other = insertRack(holder(), QStringLiteral("S"), baseTime());
    DatabaseTableZelvorinContainer::Dataset row;
    row.RackID = rack;
    row.ContainerNumber = -7;
    row.ContainerName = QStringLiteral("A'1 Ω");
    row.PickingOrder = -2;
    row.ErrorCode = 171;
    row.Description = QStringLiteral("50% _done_");
    QCOMPARE(holder().tableContainer()->Insert(row), Errors::Type_Error(0));
    DatabaseTableZelvorinContainer::Dataset read;
    QCOMPARE(holder().tableContainer()->Select(row.ContainerID, read), Errors::Type_Error(0));
    QCOMPARE(read.ContainerID, row.ContainerID);
    QCOMPARE(read.RackID, rack);
    QCOMPARE(read.ContainerNumber, qint16(-7));
    QCOMPARE(read.ContainerName, row.ContainerName);
    QCOMPARE(read.PickingOrder, qint16(-2));
    QCOMPARE(read.ErrorCode, Errors::Type_Error(171));
    QCOMPARE(read.Description, row.Description);

    const Database::ID third = insertContainer(holder(), rack, 3, 3);
    const Database::ID first = insertContainer(holder(), rack, 1, 1);
    const Database::ID unnamed = insertContainer(holder(), rack, 2, 2, QStringLiteral(" "));
    insertContainer(holder(), other, 1, 1);
    QList<Database::ID> ids;
    QCOMPARE(holder().tableContainer()->SelectIdsByRack(rack, ids), Errors::Type_Error(0));
    QCOMPARE(ids, (QList<Database::ID>{row.ContainerID, first, unnamed, third}));
    QCOMPARE(holder().tableContainer()->SelectIdByNumber(rack, 3, ids), Errors::Type_Error(0));
    QCOMPARE(ids, QList<Database::ID>{third});
    QCOMPARE(holder().tableContainer()->SelectIdByName(rack, QStringLiteral("A'1 Ω"), ids), Errors::Type_Error(0));
    QCOMPARE(ids, QList<Database::ID>{row.ContainerID});
    QCOMPARE(holder().tableContainer()->SelectIdByName(rack, QString(), ids), Errors::Type_Error(0));
    QVERIFY(ids.isEmpty());
    QCOMPARE(holder().tableContainer()->SelectIdByPickingOrder(rack, -2, ids), Errors::Type_Error(0));
    QCOMPARE(ids, QList<Database::ID>{row.ContainerID});
    QCOMPARE(holder().tableContainer()->SelectIdsByRack(12345, ids), Errors::Type_Error(0));
    QVERIFY(ids.isEmpty());

    read.ContainerName = QStringLiteral("renamed");
    QCOMPARE(holder().tableContainer()->Update(read), Errors::Type_Error(0));
    QCOMPARE(holder().tableContainer()->SelectIdByName(rack, QStringLiteral("renamed"), ids), Errors::Type_Error(0));
    QCOMPARE(ids, QList<Database::ID>{row.ContainerID});
    QVERIFY(m_db->handler.reports.isEmpty());
}

void tst_DatabaseTables::containerBadInputIsRefused()
{
    const Database::ID rack = insertRack(holder(), QStringLiteral("R"), baseTime());
    DatabaseTableZelvorinContainer::Dataset row;
    row.RackID = rack;
    row.ContainerName = QString(256, QLatin1Char('n'));
    QCOMPARE(holder().tableContainer()->Insert(row), Errors::Type_Error(85));
    QCOMPARE(row.ContainerID, Database::ID(-1));
    row.ContainerName = QStringLiteral("ok");
    row.Description = QStringLiteral("x") + QChar(u'\0');
    QCOMPARE(holder().tableContainer()->Insert(row), Errors::Type_Error(85));
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinContainer")), 0);
    // A name that no container can hold matches none, never a shortened one.
    insertContainer(holder(), rack, 1, 1, QStringLiteral("AB"));
    QList<Database::ID> ids{7};
    QCOMPARE(holder().tableContainer()->SelectIdByName(rack, QStringLiteral("A") + QChar(u'\0') + QStringLiteral("B"), ids),
             Errors::Type_Error(0));
    QVERIFY(ids.isEmpty());
}

void tst_DatabaseTables::colonyRoundTrip()
{
    const Database::ID rack = insertRack(holder(), QStringLiteral("R"), baseTime());
    const Database::ID container = insertContainer(holder(), rack, 1, 1);
    DatabaseTableZelvorinColony::Dataset row;
    row.ContainerID = container;
    double* const fields[] = {&row.PosX_px, &row.PosY_px, &row.PosX_mm, &row.PosY_mm, &row.Area_mm2, &row.Circularity,
                              &row.ClearanceNeighbor_mm, &row.ClearanceMargin_mm, &row.LoadingArea_pct,
                              &row.LoadingCircularity_pct, &row.LoadingClearanceNeighbor_pct,
                              &row.LoadingClearanceMargin_pct, &row.LoadingTotal_pct, &row.ColorHue, &row.ColorSaturation,
                              &row.ColorIntensity, &row.ColorArea_pct, &row.ColorRed, &row.ColorGreen, &row.ColorBlue};
    for (int i = 0; i < 20; ++i)
        *fields[i] = (i - 5) * 1.25;
    row.LoadingTotal_pct = 87.654321;   // eight significant digits, stored as six
    row.PickingDate = QDateTime(QDate(2020, 2, 29), QTime(13, 14, 15));
    row.PickingState = 2;
    row.IsExcluded = true;
    row.IsGoodColony = true;
    row.PickingOrder = 70000;
    row.IsUserEdited = true;
    row.ErrorCode = -5;
    row.Description = QStringLiteral("picked 'twice' 100%");
    QCOMPARE(holder().tableColony()->Insert(row), Errors::Type_Error(0));
    QVERIFY(row.ColonyID > 0);

    DatabaseTableZelvorinColony::Dataset read;
    QCOMPARE(holder().tableColony()->Select(row.ColonyID, read), Errors::Type_Error(0));
    const double* const readFields[] = {&read.PosX_px, &read.PosY_px, &read.PosX_mm, &read.PosY_mm, &read.Area_mm2,
                                        &read.Circularity, &read.ClearanceNeighbor_mm, &read.ClearanceMargin_mm,
                                        &read.LoadingArea_pct, &read.LoadingCircularity_pct,
                                        &read.LoadingClearanceNeighbor_pct, &read.LoadingClearanceMargin_pct,
                                        &read.LoadingTotal_pct, &read.ColorHue, &read.ColorSaturation,
                                        &read.ColorIntensity, &read.ColorArea_pct, &read.ColorRed, &read.ColorGreen,
                                        &read.ColorBlue};
    for (int i = 0; i < 20; ++i) {
        if (i != 12)
            QCOMPARE(*readFields[i], *fields[i]);
    }
    QCOMPARE(read.LoadingTotal_pct, 87.6543);
    QCOMPARE(read.ColonyID, row.ColonyID);
    QCOMPARE(read.ContainerID, container);
    QCOMPARE(read.PickingDate, row.PickingDate);
    QCOMPARE(read.PickingState, qint16(2));
    QCOMPARE(read.IsExcluded, true);
    QCOMPARE(read.IsGoodColony, true);
    QCOMPARE(read.PickingOrder, qint32(70000));
    QCOMPARE(read.IsUserEdited, true);
    QCOMPARE(read.ErrorCode, Errors::Type_Error(-5));
    QCOMPARE(read.Description, row.Description);

    // The automation interface's read-modify-write of the picking state.
    read.PickingState = 1;
    read.PickingDate = QDateTime(QDate(2021, 1, 1), QTime(8, 0, 0));
    QCOMPARE(holder().tableColony()->Update(read), Errors::Type_Error(0));
    DatabaseTableZelvorinColony::Dataset again;
    QCOMPARE(holder().tableColony()->Select(row.ColonyID, again), Errors::Type_Error(0));
    QCOMPARE(again.PickingState, qint16(1));
    QCOMPARE(again.PickingDate, read.PickingDate);
    QCOMPARE(again.Description, row.Description);
    QVERIFY(m_db->handler.reports.isEmpty());
}

void tst_DatabaseTables::colonyBadInputIsRefused_data()
{
    QTest::addColumn<int>("fault");
    QTest::newRow("nan") << 0;
    QTest::newRow("infinity") << 1;
    QTest::newRow("invalid picking date") << 2;
    QTest::newRow("zero character") << 3;
}

void tst_DatabaseTables::colonyBadInputIsRefused()
{
    QFETCH(int, fault);
    const Database::ID container = insertContainer(holder(), insertRack(holder(), QStringLiteral("R"), baseTime()), 1, 1);
    DatabaseTableZelvorinColony::Dataset row;
    row.ContainerID = container;
    switch (fault) {
    case 0: row.Circularity = std::numeric_limits<double>::quiet_NaN(); break;
    case 1: row.ColorBlue = std::numeric_limits<double>::infinity(); break;
    case 2: row.PickingDate = QDateTime(); break;
    case 3: row.Description = QString(QChar(u'\0')); break;
    }
    QCOMPARE(holder().tableColony()->Insert(row), Errors::Type_Error(85));
    QCOMPARE(row.ColonyID, Database::ID(-1));
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinColony")), 0);
    QCOMPARE(m_db->handler.reports.size(), 1);
    QVERIFY(m_db->handler.reports.at(0).second.contains(QStringLiteral("[ZelvorinColony]")));
}

void tst_DatabaseTables::colonyIdLists()
{
    const Database::ID container = insertContainer(holder(), insertRack(holder(), QStringLiteral("R"), baseTime()), 1, 1);
    const Database::ID p2 = insertColony(holder(), container, 2, true, false, 50.0);
    const Database::ID bad1 = insertColony(holder(), container, 0, false, false, 10.0);
    const Database::ID p1 = insertColony(holder(), container, 1, true, false, 90.0);
    const Database::ID p3 = insertColony(holder(), container, 3, true, false, 40.0);
    const Database::ID bad2 = insertColony(holder(), container, 0, false, true, 20.0);
    const Database::ID excludedGood = insertColony(holder(), container, 4, true, true, 99.0);
    const Database::ID tieLow = insertColony(holder(), container, 5, true, false, 30.0);
    const Database::ID tieHigh = insertColony(holder(), container, 5, true, false, 35.0);

    QList<Database::ID> ids;
    QCOMPARE(holder().tableColony()->SelectIdsByContainer(container, ids), Errors::Type_Error(0));
    QCOMPARE(ids.size(), 8);
    QCOMPARE(QSet<Database::ID>(ids.begin(), ids.begin() + 2), (QSet<Database::ID>{tieLow, tieHigh}));
    QCOMPARE(ids.at(2), excludedGood);
    QCOMPARE(ids.mid(3, 3), (QList<Database::ID>{p3, p2, p1}));
    QCOMPARE(QSet<Database::ID>(ids.begin() + 6, ids.end()), (QSet<Database::ID>{bad1, bad2}));

    QCOMPARE(holder().tableColony()->SelectPickIds(container, ids), Errors::Type_Error(0));
    QCOMPARE(ids, (QList<Database::ID>{p1, p2, p3, tieHigh, tieLow}));

    QCOMPARE(holder().tableColony()->SelectNotGoodIds(container, ids), Errors::Type_Error(0));
    QCOMPARE(QSet<Database::ID>(ids.begin(), ids.end()), (QSet<Database::ID>{bad1, bad2}));

    QCOMPARE(holder().tableColony()->SelectIdsByContainer(container + 100, ids), Errors::Type_Error(0));
    QVERIFY(ids.isEmpty());
    QCOMPARE(holder().tableColony()->SelectPickIds(container + 100, ids), Errors::Type_Error(0));
    QVERIFY(ids.isEmpty());
}

void tst_DatabaseTables::colonyRowsInOneStatement()
{
    const Database::ID rack = insertRack(holder(), QStringLiteral("R"), baseTime());
    const Database::ID other = insertRack(holder(), QStringLiteral("O"), baseTime());
    const Database::ID second = insertContainer(holder(), rack, 1, 2);
    const Database::ID first = insertContainer(holder(), rack, 2, 1);
    const Database::ID empty = insertContainer(holder(), rack, 3, 3);
    const Database::ID foreign = insertContainer(holder(), other, 1, 1);
    // Dates that alternate between rows, so a reused conversion would show on the wrong row.
    const QDateTime dates[] = {QDateTime(QDate(2020, 3, 29), QTime(1, 30, 0)), QDateTime(QDate(2021, 7, 4), QTime(23, 59, 59)),
                               QDateTime(QDate(1999, 12, 31), QTime(0, 0, 1))};
    QHash<Database::ID, QVariantList> stored;
    int n = 0;
    for (const Database::ID container : {second, first, second, first, second, foreign}) {
        DatabaseTableZelvorinColony::Dataset row;
        row.ContainerID = container;
        row.PickingOrder = (n * 7) % 5;
        row.PosX_px = n + 0.25;
        row.LoadingTotal_pct = 100.0 - n;
        row.PickingDate = dates[n % 3];
        row.PickingState = qint16(n % 3);
        row.IsGoodColony = n % 2 == 0;
        row.IsUserEdited = n == 1;
        row.ErrorCode = Errors::Type_Error(-n);
        row.Description = QStringLiteral("Kolonie %1 'ü' 菌").arg(n);
        QCOMPARE(holder().tableColony()->Insert(row), Errors::Type_Error(0));
        stored.insert(row.ColonyID, fields(row));
        ++n;
    }

    QList<DatabaseTableZelvorinColony::Dataset> rows(2);
    QCOMPARE(holder().tableColony()->SelectByContainer(second, rows), Errors::Type_Error(0));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(fieldLists(rows), colonyRowsById(holder(), second));
    for (const DatabaseTableZelvorinColony::Dataset& row : std::as_const(rows))
        QCOMPARE(fields(row), stored.value(row.ColonyID));

    // By rack: the containers in picking order, each with its colonies; no other rack's rows.
    QCOMPARE(holder().tableColony()->SelectByRack(rack, rows), Errors::Type_Error(0));
    QList<Database::ID> containers;
    QCOMPARE(holder().tableContainer()->SelectIdsByRack(rack, containers), Errors::Type_Error(0));
    QCOMPARE(containers, (QList<Database::ID>{first, second, empty}));
    QList<QVariantList> expected;
    for (const Database::ID container : containers)
        expected += colonyRowsById(holder(), container);
    QCOMPARE(fieldLists(rows), expected);
    QCOMPARE(rows.size(), 5);
    for (const DatabaseTableZelvorinColony::Dataset& row : std::as_const(rows))
        QCOMPARE(fields(row), stored.value(row.ColonyID));

    QCOMPARE(holder().tableColony()->SelectByContainer(empty, rows), Errors::Type_Error(0));
    QVERIFY(rows.isEmpty());
    rows.resize(1);
    QCOMPARE(holder().tableColony()->SelectByRack(other + 100, rows), Errors::Type_Error(0));
    QVERIFY(rows.isEmpty());
    QVERIFY(m_db->handler.reports.isEmpty());

    // A change is seen by the next read: nothing of an earlier read is kept.
    QCOMPARE(holder().tableRack()->Delete(other), Errors::Type_Error(0));
    QCOMPARE(holder().tableColony()->SelectByContainer(foreign, rows), Errors::Type_Error(0));
    QVERIFY(rows.isEmpty());

    holder().database()->close();
    rows.resize(1);
    QCOMPARE(holder().tableColony()->SelectByRack(rack, rows), Errors::Type_Error(84));
    QVERIFY(rows.isEmpty());
    rows.resize(1);
    QCOMPARE(holder().tableColony()->SelectByContainer(second, rows), Errors::Type_Error(84));
    QVERIFY(rows.isEmpty());
}

// ---------------------------------------------------------------------------------------------
// Image stitcher tables

void tst_DatabaseTables::stitcherAndPictures()
{
    DatabaseTableZelvorinImageStitcher::Dataset stitcher;
    stitcher.CreatedDate = baseTime();
    stitcher.RackBarcode = QStringLiteral("S'1");
    stitcher.ImageStitcherSettings = longText(50000);
    stitcher.ReferencePointsCorrection = QStringLiteral("1.0;(1,2);(3,4)");
    stitcher.ErrorCode = 3;
    stitcher.Description = QStringLiteral("Ωμέγα");
    QCOMPARE(holder().tableImageStitcher()->Insert(stitcher), Errors::Type_Error(0));
    stitcher.PictureFilePath = QStringLiteral("stitched/%1.png").arg(stitcher.ImageStitcherID);
    QCOMPARE(holder().tableImageStitcher()->Update(stitcher), Errors::Type_Error(0));
    DatabaseTableZelvorinImageStitcher::Dataset read;
    QCOMPARE(holder().tableImageStitcher()->Select(stitcher.ImageStitcherID, read), Errors::Type_Error(0));
    QCOMPARE(read.ImageStitcherID, stitcher.ImageStitcherID);
    QCOMPARE(read.CreatedDate, stitcher.CreatedDate);
    QCOMPARE(read.RackBarcode, stitcher.RackBarcode);
    QCOMPARE(read.ImageStitcherSettings, stitcher.ImageStitcherSettings);
    QCOMPARE(read.ReferencePointsCorrection, stitcher.ReferencePointsCorrection);
    QCOMPARE(read.PictureFilePath, stitcher.PictureFilePath);
    QCOMPARE(read.ErrorCode, Errors::Type_Error(3));
    QCOMPARE(read.Description, stitcher.Description);

    QList<Database::ID> pictureIds;
    for (qint16 position : {qint16(2), qint16(0), qint16(1)}) {
        DatabaseTableZelvorinImageStitcherPicture::Dataset picture;
        picture.ImageStitcherID = stitcher.ImageStitcherID;
        picture.PositionIndex = position;
        picture.rowOpticalAxis = 5.0;
        QCOMPARE(holder().tableImageStitcherPicture()->Insert(picture), Errors::Type_Error(0));
        picture.PictureFilePath = QStringLiteral("stitched/pic'%1.png").arg(position);
        QCOMPARE(holder().tableImageStitcherPicture()->Update(picture), Errors::Type_Error(0));
        pictureIds.append(picture.ImageStitcherPictureID);
    }
    QList<Database::ID> ids;
    QCOMPARE(holder().tableImageStitcherPicture()->SelectIdsByImageStitcher(stitcher.ImageStitcherID, ids), Errors::Type_Error(0));
    QCOMPARE(ids, (QList<Database::ID>{pictureIds.at(1), pictureIds.at(2), pictureIds.at(0)}));
    QCOMPARE(holder().tableImageStitcherPicture()->SelectIdByPosition(stitcher.ImageStitcherID, 2, ids), Errors::Type_Error(0));
    QCOMPARE(ids, QList<Database::ID>{pictureIds.at(0)});
    DatabaseTableZelvorinImageStitcherPicture::Dataset picture;
    picture.colOpticalAxis = 9.0;
    QCOMPARE(holder().tableImageStitcherPicture()->Select(pictureIds.at(0), picture), Errors::Type_Error(0));
    QCOMPARE(picture.PictureFilePath, QStringLiteral("stitched/pic'2.png"));
    QCOMPARE(picture.PositionIndex, qint16(2));
    QCOMPARE(picture.colOpticalAxis, 0.0);

    // The pictures go with their stitching result.
    QCOMPARE(holder().tableImageStitcher()->Delete(stitcher.ImageStitcherID), Errors::Type_Error(0));
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinImageStitcherPicture")), 0);
    QVERIFY(m_db->handler.reports.isEmpty());
}

// ---------------------------------------------------------------------------------------------
// Schema rules and transactions

void tst_DatabaseTables::deletingARackTakesItsContainersAndColonies()
{
    const Database::ID rack = insertRack(holder(), QStringLiteral("R"), baseTime());
    const Database::ID kept = insertRack(holder(), QStringLiteral("K"), baseTime());
    for (int c = 1; c <= 3; ++c) {
        const Database::ID container = insertContainer(holder(), rack, qint16(c), qint16(c));
        insertColony(holder(), container, 1, true, false, 1.0);
        insertColony(holder(), container, 0, false, false, 1.0);
    }
    insertColony(holder(), insertContainer(holder(), kept, 1, 1), 1, true, false, 1.0);
    QCOMPARE(holder().tableRack()->Delete(rack), Errors::Type_Error(0));
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinRack")), 1);
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinContainer")), 1);
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinColony")), 1);
}

void tst_DatabaseTables::childRowsNeedTheirParent()
{
    DatabaseTableZelvorinContainer::Dataset container;
    container.RackID = 4711;
    QCOMPARE(holder().tableContainer()->Insert(container), Errors::Type_Error(85));
    QCOMPARE(container.ContainerID, Database::ID(-1));
    DatabaseTableZelvorinColony::Dataset colony;
    colony.ContainerID = 4711;
    QCOMPARE(holder().tableColony()->Insert(colony), Errors::Type_Error(85));
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinContainer")), 0);
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinColony")), 0);
    QCOMPARE(m_db->handler.reports.size(), 2);
    // The rack's stitcher link is no foreign key: -1 and unknown results are accepted.
    DatabaseTableZelvorinRack::Dataset rack = rackRow(QStringLiteral("R"), baseTime());
    rack.ImageStitcherID = 999;
    QCOMPARE(holder().tableRack()->Insert(rack), Errors::Type_Error(0));
}

void tst_DatabaseTables::failedSaveLeavesNothingBehind()
{
    const Database::ID earlier = insertRack(holder(), QStringLiteral("EARLIER"), baseTime());
    QVERIFY(earlier > 0);
    {
        DatabaseTransaction transaction(&holder());
        QCOMPARE(transaction.beginResult(), Errors::Type_Error(0));
        const Database::ID rack = insertRack(holder(), QStringLiteral("NEW"), baseTime().addSecs(1));
        QVERIFY(rack > 0);
        const Database::ID container = insertContainer(holder(), rack, 1, 1);
        QVERIFY(container > 0);
        QVERIFY(insertColony(holder(), container, 1, true, false, 10.0) > 0);
        DatabaseTableZelvorinColony::Dataset bad;
        bad.ContainerID = container;
        bad.Area_mm2 = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(holder().tableColony()->Insert(bad), Errors::Type_Error(85));
        // Leaving the scope without commit undoes the rack, its container and its colony.
    }
    QVERIFY(!holder().inTransaction());
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinRack")), 1);
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinContainer")), 0);
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinColony")), 0);

    // Nested: a rollback inside makes the outer commit fail and keep nothing.
    QCOMPARE(holder().beginTransaction(), Errors::Type_Error(0));
    QVERIFY(insertRack(holder(), QStringLiteral("OUTER"), baseTime()) > 0);
    {
        DatabaseTransaction inner(&holder());
        QVERIFY(insertRack(holder(), QStringLiteral("INNER"), baseTime()) > 0);
    }
    QCOMPARE(holder().commitTransaction(), Errors::Type_Error(85));
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinRack")), 1);

    // A committed transaction keeps its rows.
    {
        DatabaseTransaction transaction(&holder());
        QVERIFY(insertRack(holder(), QStringLiteral("KEPT"), baseTime()) > 0);
        QCOMPARE(transaction.commit(), Errors::Type_Error(0));
    }
    QCOMPARE(rowCount(holder(), QStringLiteral("ZelvorinRack")), 2);
}

QTEST_GUILESS_MAIN(tst_DatabaseTables)
#include "tst_DatabaseTables.moc"
