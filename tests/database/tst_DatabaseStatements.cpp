// Statement texts of every table object per database kind, checked without a server.

#include "DatabaseTestSupport.h"

#include "DatabaseTableAll.h"
#include "DatabaseTableSupport.h"
#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "DatabaseTableZelvorinImageStitcher.h"
#include "DatabaseTableZelvorinImageStitcherPicture.h"
#include "DatabaseTableZelvorinRack.h"

#include <QtTest>

using namespace DatabaseTestSupport;

namespace {

const QString RackColumns = QStringLiteral(
    "[CreatedDate],[RackBarcode],[XMLSettings],[XMLCameraSettings],[XMLColonySettings],[ReferencePointsCorrection],"
    "[PictureFilePath],[ColorModel],[ErrorCode],[Description],[ImageStitcherID],[ReferenzPos1X],[ReferenzPos1Y],"
    "[ReferenzPos2X],[ReferenzPos2Y],[ReferenzPos3X],[ReferenzPos3Y],[ReferenzPos4X],[ReferenzPos4Y]");

const QString ColonyColumns = QStringLiteral(
    "[ContainerID],[PosX_px],[PosY_px],[PosX_mm],[PosY_mm],[Area_mm2],[Circularity],[ClearanceNeighbor_mm],"
    "[ClearanceMargin_mm],[LoadingArea_pct],[LoadingCircularity_pct],[LoadingClearanceNeighbor_pct],"
    "[LoadingClearanceMargin_pct],[LoadingTotal_pct],[ColorHue],[ColorSaturation],[ColorIntensity],[ColorArea_pct],"
    "[ColorRed],[ColorGreen],[ColorBlue],[PickingDate],[PickingState],[IsExcluded],[IsGoodColony],[PickingOrder],"
    "[IsUserEdited],[ErrorCode],[Description]");

DatabaseTableZelvorinRack::Dataset sampleRack()
{
    DatabaseTableZelvorinRack::Dataset row = rackRow(QStringLiteral("O'Neil"), QDateTime(QDate(2016, 10, 17), QTime(9, 30, 5)));
    row.RackID = 17;
    row.XMLSettings = QStringLiteral("<never in the text/>");
    row.PictureFilePath = QStringLiteral("pictures/17.png");
    row.ColorModel = 2;
    row.ErrorCode = -1;
    row.ReferenzPos1X = 1.23456789;   // rounded to six digits
    row.ReferenzPos1Y = 0.0;
    row.ReferenzPos2X = 1000000.5;    // exponent notation
    row.ReferenzPos2Y = 12345678.0;
    row.ReferenzPos3X = -0.5;
    row.ReferenzPos3Y = 3.0;
    row.ReferenzPos4X = 4.0;
    row.ReferenzPos4Y = 5.0;
    return row;
}

DatabaseTableZelvorinContainer::Dataset sampleContainer()
{
    DatabaseTableZelvorinContainer::Dataset row;
    row.ContainerID = 7;
    row.RackID = 12;
    row.ContainerNumber = -3;
    row.ContainerName = QStringLiteral("A'1");
    row.PickingOrder = -1;
    return row;
}

DatabaseTableZelvorinColony::Dataset sampleColony()
{
    DatabaseTableZelvorinColony::Dataset row;
    row.ColonyID = 17;
    row.ContainerID = 5;
    double* const fields[] = {&row.PosX_px, &row.PosY_px, &row.PosX_mm, &row.PosY_mm, &row.Area_mm2, &row.Circularity,
                              &row.ClearanceNeighbor_mm, &row.ClearanceMargin_mm, &row.LoadingArea_pct,
                              &row.LoadingCircularity_pct, &row.LoadingClearanceNeighbor_pct,
                              &row.LoadingClearanceMargin_pct, &row.LoadingTotal_pct, &row.ColorHue, &row.ColorSaturation,
                              &row.ColorIntensity, &row.ColorArea_pct, &row.ColorRed, &row.ColorGreen, &row.ColorBlue};
    for (int i = 0; i < 20; ++i)
        *fields[i] = i + 0.5;
    row.PosX_px = 1234567.8;
    row.PickingDate = QDateTime(QDate(2016, 10, 17), QTime(9, 30, 5));
    row.PickingState = 1;
    row.IsExcluded = false;
    row.IsGoodColony = true;
    row.PickingOrder = 3;
    row.IsUserEdited = true;
    row.ErrorCode = -2;
    row.Description = QStringLiteral("it's");
    return row;
}

// textPrefix: "N" where text literals are unicode literals (MS SQL Server).
QString colonyValues(const QString& date, const QString& textPrefix = QString())
{
    return QStringLiteral("5,1.23457e+06,1.5,2.5,3.5,4.5,5.5,6.5,7.5,8.5,9.5,10.5,11.5,12.5,13.5,14.5,15.5,16.5,17.5,18.5,19.5,")
        + date + QStringLiteral(",1,0,1,3,1,-2,") + textPrefix + QStringLiteral("'it''s'");
}

QString colonyAssignments(const QString& date, const QString& textPrefix = QString())
{
    const QStringList columns = ColonyColumns.split(QLatin1Char(','));
    const QStringList values = colonyValues(date, textPrefix).split(QLatin1Char(','));
    QStringList pairs;
    for (int i = 0; i < columns.size(); ++i)
        pairs.append(columns.at(i) + QLatin1Char('=') + values.at(i));
    return pairs.join(QLatin1Char(','));
}

DatabaseTableZelvorinImageStitcher::Dataset sampleStitcher()
{
    DatabaseTableZelvorinImageStitcher::Dataset row;
    row.ImageStitcherID = 17;
    row.CreatedDate = QDateTime(QDate(2016, 10, 17), QTime(9, 30, 5));
    row.RackBarcode = QStringLiteral("R0815");
    return row;
}

DatabaseTableZelvorinImageStitcherPicture::Dataset samplePicture()
{
    DatabaseTableZelvorinImageStitcherPicture::Dataset row;
    row.ImageStitcherPictureID = 4;
    row.ImageStitcherID = 17;
    row.PositionIndex = 0;
    return row;
}

// Every statement text the tables write, by the names statement() knows.
const char* const StatementNames[] = {
    "rack.delete", "rack.select", "rack.selectShort", "rack.insert", "rack.update", "rack.ids.browser", "rack.ids.all",
    "rack.ids.barcode", "rack.ids.wildcards", "rack.qualified", "rack.qualified.wildcards", "container.insert",
    "container.insert.cleared", "container.update", "container.delete", "container.select", "container.byRack",
    "container.byNumber", "container.byName", "container.byPickingOrder", "container.select.prepared", "colony.insert",
    "colony.update", "colony.insert.prepared", "colony.select.prepared", "colony.byContainer.prepared",
    "colony.rowsByContainer", "colony.rowsByRack", "colony.delete", "colony.select", "colony.byContainer", "colony.pick",
    "colony.notGood", "stitcher.insert", "stitcher.update", "stitcher.delete", "stitcher.select", "stitcher.ids.browser",
    "stitcher.ids.barcode", "picture.insert", "picture.insert.unicode", "picture.update", "picture.delete",
    "picture.select", "picture.byStitcher", "picture.byPosition", "all.version", "all.updateVersion", "all.racks",
    "all.stitchers"};

// The pinned texts: one line a statement, "kind<TAB>name<TAB>text", UTF-8.
QHash<QString, QString> pinnedStatements()
{
    QHash<QString, QString> pinned;
    const QByteArray bytes =
        TestFixtures::fileBytes(TestFixtures::sourceDir() + QStringLiteral("/tests/database/statement_texts.txt"));
    for (const QString& line : QString::fromUtf8(bytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype second = line.indexOf(QLatin1Char('\t'), line.indexOf(QLatin1Char('\t')) + 1);
        if (second > 0)
            pinned.insert(line.left(second), line.mid(second + 1));
    }
    return pinned;
}

QString statement(ApplicationDatabase& holder, const QString& which)
{
    DatabaseTableZelvorinRack* rack = holder.tableRack();
    DatabaseTableZelvorinContainer* container = holder.tableContainer();
    DatabaseTableZelvorinColony* colony = holder.tableColony();
    DatabaseTableZelvorinImageStitcher* stitcher = holder.tableImageStitcher();
    DatabaseTableZelvorinImageStitcherPicture* picture = holder.tableImageStitcherPicture();
    DatabaseTableAll* all = holder.tableAll();

    if (which == QLatin1String("rack.delete")) return rack->sqlDelete(17);
    if (which == QLatin1String("rack.select")) return rack->sqlSelect(17);
    if (which == QLatin1String("rack.selectShort")) return rack->sqlSelectShort(17);
    if (which == QLatin1String("rack.insert")) return rack->sqlInsert(sampleRack());
    if (which == QLatin1String("rack.update")) return rack->sqlUpdate(sampleRack());
    if (which == QLatin1String("rack.ids.browser")) return rack->sqlSelectIdsByBarcode(QString(), 500);
    if (which == QLatin1String("rack.ids.all")) return rack->sqlSelectIdsByBarcode(QString(), -1);
    if (which == QLatin1String("rack.ids.barcode")) return rack->sqlSelectIdsByBarcode(QStringLiteral("R0'815"), -1);
    if (which == QLatin1String("rack.ids.wildcards")) return rack->sqlSelectIdsByBarcode(QStringLiteral("A_1%"), 0);
    if (which == QLatin1String("rack.qualified")) return rack->sqlSelectIdsByBarcodeQualified(QStringLiteral("abc"));
    if (which == QLatin1String("rack.qualified.wildcards"))
        return rack->sqlSelectIdsByBarcodeQualified(QStringLiteral("5%_[x\\"));
    if (which == QLatin1String("container.insert")) return container->sqlInsert(sampleContainer());
    if (which == QLatin1String("container.insert.cleared"))
        return container->sqlInsert(DatabaseTableZelvorinContainer::Dataset());
    if (which == QLatin1String("container.update")) return container->sqlUpdate(sampleContainer());
    if (which == QLatin1String("container.delete")) return container->sqlDelete(7);
    if (which == QLatin1String("container.select")) return container->sqlSelect(7);
    if (which == QLatin1String("container.byRack")) return container->sqlSelectIdsByRack(12);
    if (which == QLatin1String("container.byNumber")) return container->sqlSelectIdByNumber(12, 5);
    if (which == QLatin1String("container.byName")) return container->sqlSelectIdByName(12, QStringLiteral("B'2"));
    if (which == QLatin1String("container.byPickingOrder")) return container->sqlSelectIdByPickingOrder(12, 3);
    if (which == QLatin1String("colony.insert")) return colony->sqlInsert(sampleColony());
    if (which == QLatin1String("colony.update")) return colony->sqlUpdate(sampleColony());
    if (which == QLatin1String("colony.insert.prepared")) return colony->sqlInsertPrepared();
    if (which == QLatin1String("colony.select.prepared")) return colony->sqlSelectPrepared();
    if (which == QLatin1String("colony.byContainer.prepared")) return colony->sqlSelectIdsByContainerPrepared();
    if (which == QLatin1String("colony.rowsByContainer")) return colony->sqlSelectByContainerPrepared();
    if (which == QLatin1String("colony.rowsByRack")) return colony->sqlSelectByRackPrepared();
    if (which == QLatin1String("container.select.prepared")) return container->sqlSelectPrepared();
    if (which == QLatin1String("colony.delete")) return colony->sqlDelete(17);
    if (which == QLatin1String("colony.select")) return colony->sqlSelect(17);
    if (which == QLatin1String("colony.byContainer")) return colony->sqlSelectIdsByContainer(5);
    if (which == QLatin1String("colony.pick")) return colony->sqlSelectPickIds(5);
    if (which == QLatin1String("colony.notGood")) return colony->sqlSelectNotGoodIds(5);
    if (which == QLatin1String("stitcher.insert")) return stitcher->sqlInsert(sampleStitcher());
    if (which == QLatin1String("stitcher.update")) return stitcher->sqlUpdate(sampleStitcher());
    if (which == QLatin1String("stitcher.delete")) return stitcher->sqlDelete(17);
    if (which == QLatin1String("stitcher.select")) return stitcher->sqlSelect(17);
    if (which == QLatin1String("stitcher.ids.browser")) return stitcher->sqlSelectIdsByBarcode(QString(), 500);
    if (which == QLatin1String("stitcher.ids.barcode")) return stitcher->sqlSelectIdsByBarcode(QStringLiteral("R_1"), -1);
    if (which == QLatin1String("picture.insert")) return picture->sqlInsert(samplePicture());
    if (which == QLatin1String("picture.insert.unicode")) {
        DatabaseTableZelvorinImageStitcherPicture::Dataset row = samplePicture();
        row.PictureFilePath = QStringLiteral("Bilder/菌 'ü'.png");
        return picture->sqlInsert(row);
    }
    if (which == QLatin1String("picture.update")) return picture->sqlUpdate(samplePicture());
    if (which == QLatin1String("picture.delete")) return picture->sqlDelete(4);
    if (which == QLatin1String("picture.select")) return picture->sqlSelect(4);
    if (which == QLatin1String("picture.byStitcher")) return picture->sqlSelectIdsByImageStitcher(17);
    if (which == QLatin1String("picture.byPosition")) return picture->sqlSelectIdByPosition(17, 2);
    if (which == QLatin1String("all.version")) return all->sqlSelectVersion();
    if (which == QLatin1String("all.updateVersion")) return all->sqlUpdateVersion(4);
    if (which == QLatin1String("all.racks")) return all->sqlSelectRacksNewestFirst();
    if (which == QLatin1String("all.stitchers")) return all->sqlSelectImageStitchersNewestFirst();
    return QStringLiteral("unknown statement ") + which;
}

} // namespace

class tst_DatabaseStatements : public QObject {
    Q_OBJECT
private slots:
    void text_data();
    void text();
    void everyStatementAsPinned_data();
    void everyStatementAsPinned();
    void likePattern_data();
    void likePattern();
    void quotesFollowTheConnection();
};

void tst_DatabaseStatements::text_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("expected");

    const int access = Database::KindMSAccess;
    const int server = Database::KindMSSQLServer;
    const int oracle = Database::KindSequenceDialect;
    const int sqlite = Database::KindSQLite3;
    const QString accessDate = QStringLiteral("'2016-10-17 09:30:05'");
    const QString isoDate = QStringLiteral("'2016-10-17T09:30:05'");
    const QString rackValues = QStringLiteral("'O''Neil',?,?,?,?,'pictures/17.png',2,-1,'',-1,1.23457,0,1e+06,1.23457e+07,-0.5,3,4,5");

    // Rack table
    QTest::newRow("rack delete") << access << "rack.delete" << "DELETE FROM [ZelvorinRack] WHERE [RackID]=17";
    QTest::newRow("rack select") << sqlite << "rack.select"
                                 << "SELECT [RackID]," + RackColumns + " FROM [ZelvorinRack] WHERE [RackID]=17";
    QTest::newRow("rack select short") << server << "rack.selectShort"
        << "SELECT [RackID],[CreatedDate],[RackBarcode],[PictureFilePath],[ColorModel],[ErrorCode],[Description],"
           "[ImageStitcherID] FROM [ZelvorinRack] WHERE [RackID]=17";
    QTest::newRow("rack insert access") << access << "rack.insert"
        << "INSERT INTO [ZelvorinRack] (" + RackColumns + ") VALUES (" + accessDate + "," + rackValues + ")";
    QTest::newRow("rack insert sqlite") << sqlite << "rack.insert"
        << "INSERT INTO [ZelvorinRack] (" + RackColumns + ") VALUES (" + isoDate + "," + rackValues + ")";
    QTest::newRow("rack update server") << server << "rack.update"
        << "UPDATE [ZelvorinRack] SET [CreatedDate]=" + isoDate
               + ",[RackBarcode]=N'O''Neil',[XMLSettings]=?,[XMLCameraSettings]=?,[XMLColonySettings]=?,"
                 "[ReferencePointsCorrection]=?,[PictureFilePath]=N'pictures/17.png',[ColorModel]=2,[ErrorCode]=-1,"
                 "[Description]=N'',[ImageStitcherID]=-1,[ReferenzPos1X]=1.23457,[ReferenzPos1Y]=0,"
                 "[ReferenzPos2X]=1e+06,[ReferenzPos2Y]=1.23457e+07,[ReferenzPos3X]=-0.5,[ReferenzPos3Y]=3,"
                 "[ReferenzPos4X]=4,[ReferenzPos4Y]=5 WHERE [RackID]=17";
    QTest::newRow("rack insert sequence dialect") << oracle << "rack.insert"
        << QString(QStringLiteral("INSERT INTO ZelvorinRack (") + QString(RackColumns).remove(QLatin1Char('[')).remove(QLatin1Char(']'))
                   + ") VALUES (TO_DATE('2016-10-17 09:30:05','YYYY-MM-DD HH24:MI:SS')," + rackValues + ")");
    QTest::newRow("rack browser access") << access << "rack.ids.browser"
        << "SELECT  TOP 501 [RackID] FROM  [ZelvorinRack] ORDER BY [CreatedDate] DESC ";
    QTest::newRow("rack browser server") << server << "rack.ids.browser"
        << "SELECT  TOP 501 [RackID] FROM  [ZelvorinRack] ORDER BY [CreatedDate] DESC ";
    QTest::newRow("rack browser sqlite") << sqlite << "rack.ids.browser"
        << "SELECT  [RackID] FROM  [ZelvorinRack] ORDER BY [CreatedDate] DESC LIMIT 501 ";
    QTest::newRow("rack all sqlite") << sqlite << "rack.ids.all"
        << "SELECT  [RackID] FROM  [ZelvorinRack] ORDER BY [CreatedDate] DESC ";
    QTest::newRow("rack barcode access") << access << "rack.ids.barcode"
        << "SELECT  [RackID] FROM  [ZelvorinRack] WHERE [RackBarcode] LIKE ? ORDER BY [CreatedDate] DESC ";
    QTest::newRow("rack barcode wildcards access") << access << "rack.ids.wildcards"
        << "SELECT  [RackID] FROM  [ZelvorinRack] WHERE [RackBarcode] LIKE ? ORDER BY [CreatedDate] DESC ";
    QTest::newRow("rack barcode wildcards sqlite") << sqlite << "rack.ids.wildcards"
        << "SELECT  [RackID] FROM  [ZelvorinRack] WHERE [RackBarcode] LIKE ? ESCAPE '\\' ORDER BY [CreatedDate] DESC ";
    QTest::newRow("rack qualified access") << access << "rack.qualified"
        << "SELECT [ZelvorinRack].[RackID] FROM  [ZelvorinRack] WHERE [ZelvorinRack].[RackBarcode] LIKE ?";
    QTest::newRow("rack qualified wildcards access") << access << "rack.qualified.wildcards"
        << "SELECT [ZelvorinRack].[RackID] FROM  [ZelvorinRack] WHERE [ZelvorinRack].[RackBarcode] LIKE ?";
    QTest::newRow("rack qualified wildcards server") << server << "rack.qualified.wildcards"
        << "SELECT [ZelvorinRack].[RackID] FROM  [ZelvorinRack] WHERE [ZelvorinRack].[RackBarcode] LIKE ? ESCAPE '\\'";
    QTest::newRow("rack qualified wildcards sqlite") << sqlite << "rack.qualified.wildcards"
        << "SELECT [ZelvorinRack].[RackID] FROM  [ZelvorinRack] WHERE [ZelvorinRack].[RackBarcode] LIKE ? ESCAPE '\\'";
    QTest::newRow("rack qualified sequence dialect") << oracle << "rack.qualified"
        << "SELECT ZelvorinRack.RackID FROM  ZelvorinRack WHERE ZelvorinRack.RackBarcode LIKE ? ESCAPE '\\'";

    // Container table
    QTest::newRow("container insert") << access << "container.insert"
        << "INSERT INTO [ZelvorinContainer] ([RackID],[ContainerNumber],[ContainerName],[PickingOrder],[ErrorCode],"
           "[Description]) VALUES (12,-3,'A''1',-1,0,'')";
    QTest::newRow("container update") << sqlite << "container.update"
        << "UPDATE [ZelvorinContainer] SET [RackID]=12,[ContainerNumber]=-3,[ContainerName]='A''1',[PickingOrder]=-1,"
           "[ErrorCode]=0,[Description]='' WHERE [ContainerID]=7";
    QTest::newRow("container delete") << access << "container.delete" << "DELETE FROM [ZelvorinContainer] WHERE [ContainerID]=7";
    QTest::newRow("container select") << server << "container.select"
        << "SELECT  [ContainerID],[RackID],[ContainerNumber],[ContainerName],[PickingOrder],[ErrorCode],[Description] "
           "FROM [ZelvorinContainer] WHERE [ContainerID]=7";
    QTest::newRow("container by rack") << access << "container.byRack"
        << "SELECT [ContainerID] FROM  [ZelvorinContainer] WHERE [RackID] = 12 ORDER BY [PickingOrder] ASC";
    QTest::newRow("container by number") << sqlite << "container.byNumber"
        << "SELECT [ContainerID] FROM  [ZelvorinContainer] WHERE [RackID] = 12 AND [ContainerNumber] = 5 ORDER BY "
           "[PickingOrder] ASC";
    QTest::newRow("container by name") << server << "container.byName"
        << "SELECT [ContainerID] FROM  [ZelvorinContainer] WHERE [RackID] = 12 AND [ContainerName] = N'B''2' ORDER BY "
           "[PickingOrder] ASC";
    QTest::newRow("container by picking order") << access << "container.byPickingOrder"
        << "SELECT [ContainerID] FROM  [ZelvorinContainer] WHERE [RackID] = 12 AND [PickingOrder] = 3";
    QTest::newRow("container by rack sequence dialect") << oracle << "container.byRack"
        << "SELECT ContainerID FROM  ZelvorinContainer WHERE RackID = 12 ORDER BY PickingOrder ASC";

    // Colony table
    QTest::newRow("colony insert sqlite") << sqlite << "colony.insert"
        << "INSERT INTO [ZelvorinColony] (" + ColonyColumns + ") VALUES (" + colonyValues(isoDate) + ")";
    QTest::newRow("colony insert access") << access << "colony.insert"
        << "INSERT INTO [ZelvorinColony] (" + ColonyColumns + ") VALUES (" + colonyValues(accessDate) + ")";
    QTest::newRow("colony update") << server << "colony.update"
        << "UPDATE [ZelvorinColony] SET " + colonyAssignments(isoDate, QStringLiteral("N")) + " WHERE [ColonyID]=17";
    QTest::newRow("colony insert prepared") << server << "colony.insert.prepared"
        << "INSERT INTO [ZelvorinColony] (" + ColonyColumns + ") VALUES (" + QStringList(29, QStringLiteral("?")).join(QLatin1Char(',')) + ")";
    QTest::newRow("colony select prepared") << sqlite << "colony.select.prepared"
        << "SELECT [ColonyID]," + ColonyColumns + " FROM [ZelvorinColony] WHERE [ColonyID]=?";
    QTest::newRow("colony by container prepared") << access << "colony.byContainer.prepared"
        << "SELECT [ColonyID] FROM  [ZelvorinColony] WHERE [ContainerID] = ? ORDER BY [PickingOrder] DESC";
    QTest::newRow("colony rows by container") << sqlite << "colony.rowsByContainer"
        << "SELECT [ColonyID]," + ColonyColumns + " FROM [ZelvorinColony] WHERE [ContainerID]=? ORDER BY [PickingOrder] DESC,"
           "[ColonyID] ASC";
    QTest::newRow("colony rows by rack") << access << "colony.rowsByRack"
        << "SELECT [ZelvorinColony].[ColonyID],[ZelvorinColony]."
               + QString(ColonyColumns).replace(QStringLiteral(",["), QStringLiteral(",[ZelvorinColony].["))
               + " FROM [ZelvorinColony] INNER JOIN [ZelvorinContainer] ON [ZelvorinColony].[ContainerID]="
                 "[ZelvorinContainer].[ContainerID] WHERE [ZelvorinContainer].[RackID]=? ORDER BY "
                 "[ZelvorinContainer].[PickingOrder] ASC,[ZelvorinContainer].[ContainerID] ASC,"
                 "[ZelvorinColony].[PickingOrder] DESC,[ZelvorinColony].[ColonyID] ASC";
    QTest::newRow("colony rows by rack sequence dialect") << oracle << "colony.rowsByRack"
        << "SELECT ZelvorinColony.ColonyID,ZelvorinColony."
               + QString(ColonyColumns).remove(QLatin1Char('[')).remove(QLatin1Char(']'))
                     .replace(QStringLiteral(","), QStringLiteral(",ZelvorinColony."))
               + " FROM ZelvorinColony INNER JOIN ZelvorinContainer ON ZelvorinColony.ContainerID="
                 "ZelvorinContainer.ContainerID WHERE ZelvorinContainer.RackID=? ORDER BY "
                 "ZelvorinContainer.PickingOrder ASC,ZelvorinContainer.ContainerID ASC,"
                 "ZelvorinColony.PickingOrder DESC,ZelvorinColony.ColonyID ASC";
    QTest::newRow("container select prepared") << sqlite << "container.select.prepared"
        << "SELECT  [ContainerID],[RackID],[ContainerNumber],[ContainerName],[PickingOrder],[ErrorCode],[Description] "
           "FROM [ZelvorinContainer] WHERE [ContainerID]=?";
    QTest::newRow("colony delete") << access << "colony.delete" << "DELETE FROM [ZelvorinColony] WHERE [ColonyID]=17";
    QTest::newRow("colony select") << sqlite << "colony.select"
        << "SELECT [ColonyID]," + ColonyColumns + " FROM [ZelvorinColony] WHERE [ColonyID]=17";
    QTest::newRow("colony by container") << access << "colony.byContainer"
        << "SELECT [ColonyID] FROM  [ZelvorinColony] WHERE [ContainerID] = 5 ORDER BY [PickingOrder] DESC";
    QTest::newRow("colony pick ids") << sqlite << "colony.pick"
        << "SELECT [ColonyID] FROM [ZelvorinColony] WHERE [ContainerID]=5 AND [IsExcluded]=0 AND [IsGoodColony]=1 "
           "ORDER BY [PickingOrder] ASC ,[LoadingTotal_pct] DESC ";
    QTest::newRow("colony not good") << server << "colony.notGood"
        << "SELECT [ColonyID] FROM [ZelvorinColony] WHERE [ContainerID]=5 AND [IsGoodColony]=0";
    QTest::newRow("colony not good sequence dialect") << oracle << "colony.notGood"
        << "SELECT ColonyID FROM ZelvorinColony WHERE ContainerID=5 AND IsGoodColony=0";

    // Image stitcher tables
    QTest::newRow("stitcher insert") << access << "stitcher.insert"
        << "INSERT INTO [ZelvorinImageStitcher] ([CreatedDate],[RackBarcode],[ImageStitcherSettings],"
           "[ReferencePointsCorrection],[PictureFilePath],[ErrorCode],[Description]) VALUES "
           "('2016-10-17 09:30:05','R0815',?,?,'',0,'')";
    QTest::newRow("stitcher update") << sqlite << "stitcher.update"
        << "UPDATE [ZelvorinImageStitcher] SET [CreatedDate]='2016-10-17T09:30:05',[RackBarcode]='R0815',"
           "[ImageStitcherSettings]=?,[ReferencePointsCorrection]=?,[PictureFilePath]='',[ErrorCode]=0,[Description]='' "
           "WHERE [ImageStitcherID]=17";
    QTest::newRow("stitcher delete") << server << "stitcher.delete" << "DELETE FROM [ZelvorinImageStitcher] WHERE [ImageStitcherID]=17";
    QTest::newRow("stitcher select") << access << "stitcher.select"
        << "SELECT [ImageStitcherID],[CreatedDate],[RackBarcode],[ImageStitcherSettings],[ReferencePointsCorrection],"
           "[PictureFilePath],[ErrorCode],[Description] FROM [ZelvorinImageStitcher] WHERE [ImageStitcherID]=17";
    QTest::newRow("stitcher browser access") << access << "stitcher.ids.browser"
        << "SELECT  TOP 501 [ImageStitcherID] FROM  [ZelvorinImageStitcher] ORDER BY [CreatedDate] DESC ";
    QTest::newRow("stitcher browser sqlite") << sqlite << "stitcher.ids.browser"
        << "SELECT  [ImageStitcherID] FROM  [ZelvorinImageStitcher] ORDER BY [CreatedDate] DESC LIMIT 501 ";
    QTest::newRow("stitcher barcode server") << server << "stitcher.ids.barcode"
        << "SELECT  [ImageStitcherID] FROM  [ZelvorinImageStitcher] WHERE [RackBarcode] LIKE ? ESCAPE '\\' "
           "ORDER BY [CreatedDate] DESC ";
    QTest::newRow("picture insert") << access << "picture.insert"
        << "INSERT INTO [ZelvorinImageStitcherPicture] ([ImageStitcherID],[PositionIndex],[PictureFilePath]) VALUES (17,0,'')";
    QTest::newRow("picture update") << sqlite << "picture.update"
        << "UPDATE [ZelvorinImageStitcherPicture] SET [ImageStitcherID]=17,[PositionIndex]=0,[PictureFilePath]='' "
           "WHERE [ImageStitcherPictureID]=4";
    QTest::newRow("picture delete") << server << "picture.delete"
        << "DELETE FROM [ZelvorinImageStitcherPicture] WHERE [ImageStitcherPictureID]=4";
    QTest::newRow("picture select") << access << "picture.select"
        << "SELECT [ImageStitcherPictureID],[ImageStitcherID],[PositionIndex],[PictureFilePath] FROM "
           "[ZelvorinImageStitcherPicture] WHERE [ImageStitcherPictureID]=4";
    QTest::newRow("picture by stitcher") << access << "picture.byStitcher"
        << "SELECT [ImageStitcherPictureID] FROM  [ZelvorinImageStitcherPicture] WHERE [ImageStitcherID] = 17 ORDER BY "
           "[PositionIndex] ASC";
    QTest::newRow("picture by position") << sqlite << "picture.byPosition"
        << "SELECT [ImageStitcherPictureID] FROM  [ZelvorinImageStitcherPicture] WHERE [ImageStitcherID] = 17 AND "
           "[PositionIndex] = 2";

    // Whole database
    QTest::newRow("version") << access << "all.version" << "SELECT [Version] FROM [ZelvorinDatabaseVersion]";
    QTest::newRow("version sequence dialect") << oracle << "all.version" << "SELECT Version FROM ZelvorinDatabaseVersion";
    QTest::newRow("update version") << sqlite << "all.updateVersion" << "UPDATE [ZelvorinDatabaseVersion] SET [Version] = 4";
    QTest::newRow("old racks") << server << "all.racks" << "SELECT [RackID] FROM  [ZelvorinRack] ORDER BY [CreatedDate] DESC";
    QTest::newRow("old stitchers") << sqlite << "all.stitchers"
        << "SELECT [ImageStitcherID] FROM  [ZelvorinImageStitcher] ORDER BY [CreatedDate] DESC";
}

void tst_DatabaseStatements::text()
{
    QFETCH(int, kind);
    QFETCH(QString, which);
    QFETCH(QString, expected);
    RecordingErrorHandler handler;
    ApplicationDatabase holder(&handler, QStringLiteral("statements"), nullptr, seamFactory());
    setDialect(holder, kind);
    QCOMPARE(statement(holder, which), expected);
}

// Every statement of every table, for every database kind, exactly as the tables have always
// written it: stored databases and their indexes rely on these texts.
void tst_DatabaseStatements::everyStatementAsPinned_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("which");
    const QList<QPair<int, const char*>> kinds = {{Database::KindMSAccess, "access"},
                                                  {Database::KindMSSQLServer, "server"},
                                                  {Database::KindSequenceDialect, "sequence dialect"},
                                                  {Database::KindSQLite3, "sqlite"}};
    for (const auto& kind : kinds) {
        for (const char* which : StatementNames)
            QTest::addRow("%s %s", which, kind.second) << kind.first << QString::fromLatin1(which);
    }
}

void tst_DatabaseStatements::everyStatementAsPinned()
{
    QFETCH(int, kind);
    QFETCH(QString, which);
    static const QHash<QString, QString> pinned = pinnedStatements();
    const QString key = QString::number(kind) + QLatin1Char('\t') + which;
    QVERIFY2(pinned.contains(key), qPrintable(QStringLiteral("no pinned text for ") + key));
    RecordingErrorHandler handler;
    ApplicationDatabase holder(&handler, QStringLiteral("pinned"), nullptr, seamFactory());
    setDialect(holder, kind);
    QCOMPARE(statement(holder, which), pinned.value(key));
}

// The value bound to a barcode search's marker: the text with its wildcards taken literally.
void tst_DatabaseStatements::likePattern_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("contains");
    QTest::addColumn<QString>("expected");

    const int access = Database::KindMSAccess;
    const int server = Database::KindMSSQLServer;
    const int oracle = Database::KindSequenceDialect;
    const int sqlite = Database::KindSQLite3;
    QTest::newRow("plain filter") << access << "abc" << true << "%abc%";
    QTest::newRow("apostrophe is no special") << sqlite << "R0'815" << false << "R0'815";
    QTest::newRow("wildcards access") << access << "A_1%" << false << "A[_]1[%]";
    QTest::newRow("wildcards sqlite") << sqlite << "A_1%" << false << "A\\_1\\%";
    QTest::newRow("filter access") << access << "5%_[x\\" << true << "%5[%][_][[]x\\%";
    QTest::newRow("filter server") << server << "5%_[x\\" << true << "%5\\%\\_\\[x\\\\%";
    QTest::newRow("filter sqlite") << sqlite << "5%_[x\\" << true << "%5\\%\\_[x\\\\%";
    QTest::newRow("filter sequence dialect") << oracle << "a_b" << true << "%a\\_b%";
    QTest::newRow("empty filter matches all") << sqlite << "" << true << "%%";
    QTest::newRow("unicode unchanged") << server << QStringLiteral("菌_ü") << false << QStringLiteral("菌\\_ü");
}

void tst_DatabaseStatements::likePattern()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(bool, contains);
    QFETCH(QString, expected);
    RecordingErrorHandler handler;
    ApplicationDatabase holder(&handler, QStringLiteral("patterns"), nullptr, seamFactory());
    setDialect(holder, kind);
    QCOMPARE(DatabaseTableSupport::likePattern(*holder.database(), text, contains), expected);
}

void tst_DatabaseStatements::quotesFollowTheConnection()
{
    RecordingErrorHandler handler;
    ApplicationDatabase holder(&handler, QStringLiteral("quotes"), nullptr, seamFactory());
    QCOMPARE(holder.tableRack()->identifierQuoteBegin(), QString());
    setDialect(holder, Database::KindSequenceDialect);
    QCOMPARE(holder.tableRack()->sqlDelete(1), QStringLiteral("DELETE FROM ZelvorinRack WHERE RackID=1"));
    setDialect(holder, Database::KindSQLite3);
    QCOMPARE(holder.tableRack()->sqlDelete(1), QStringLiteral("DELETE FROM [ZelvorinRack] WHERE [RackID]=1"));
}

QTEST_GUILESS_MAIN(tst_DatabaseStatements)
#include "tst_DatabaseStatements.moc"
