// The picture export of a stored rack without a page: the stored picture with the colony
// settings it was analysed with, and the failures that leave no file.

#include "ColonyAnalyserExport.h"
#include "RackDatabaseFixture.h"

#include <Halcon_Helper.h>

#include <QFileInfo>
#include <QtTest>

class tst_ColonyAnalyserExport : public QObject {
    Q_OBJECT
private slots:
    void storedRackPicture_data();
    void storedRackPicture();
};

void tst_ColonyAnalyserExport::storedRackPicture_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("cropped");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("width");
    QTest::newRow("as stored") << QString() << false << 100 << 0 << 64;
    QTest::newRow("half size") << QString() << false << 50 << 0 << 32;
    // The stored labware covers the left half of the picture, the current defaults far more.
    QTest::newRow("cut to the stored labware") << QString() << true << 100 << 0 << 32;
    QTest::newRow("negative size") << QString() << false << -50 << 3 << 0;
    QTest::newRow("settings text damaged") << QStringLiteral("settings") << false << 100 << 3 << 0;
    QTest::newRow("picture file gone") << QStringLiteral("picture") << false << 100 << -1 << 0;
    QTest::newRow("no such rack") << QStringLiteral("rack") << false << 100 << 87 << 0;
}

void tst_ColonyAnalyserExport::storedRackPicture()
{
    QFETCH(QString, damage);
    QFETCH(bool, cropped);
    QFETCH(int, percent);
    QFETCH(int, code);
    QFETCH(int, width);
    QTemporaryDir dir;
    auto db = DatabaseTestSupport::createDatabase(dir);
    QCOMPARE(db->createResult, Errors::Type_Error(0));

    ColonySettings settings;
    settings.Labware.PositionX = 0.0;
    settings.Labware.PositionY = 0.0;
    settings.Labware.SizeX = 50.0;
    settings.Labware.SizeY = 75.0;
    DatabaseTableZelvorinRack::Dataset row = RackDatabaseFixture::rackRow(
        QStringLiteral("BC"), RackDatabaseFixture::writePicture(dir, QStringLiteral("rack.png"), 40), 1);
    row.XMLColonySettings = damage == QLatin1String("settings") ? QStringLiteral("<ColonySettings>")
                                                                : settings.toXmlString();
    QCOMPARE(db->holder->tableRack()->Insert(row), Errors::Type_Error(0));
    if (damage == QLatin1String("picture"))
        QVERIFY(QFile::remove(row.PictureFilePath));
    const Database::ID rackId = damage == QLatin1String("rack") ? row.RackID + 1 : row.RackID;

    Halcon::Hobject picture;
    ColonySettingsData used;
    Errors::Type_Error result = ColonyAnalyserExport::loadStoredPicture(db->holder.get(), rackId, picture, used);
    const QString target = dir.filePath(QStringLiteral("export.png"));
    if (result == 0)
        result = ColonyAnalyserExport::rackPicture(picture, used, cropped, percent, nullptr, target,
                                                   QStringLiteral("png"));
    if (code == -1)
        QVERIFY(result != 0);
    else
        QCOMPARE(int(result), code);
    QCOMPARE(QFileInfo::exists(target), result == 0);
    if (result != 0)
        return;
    Halcon::Hobject written;
    QCOMPARE(Halcon_Helper::LoadImageFile(target, written), Errors::Type_Error(0));
    int w = 0;
    int h = 0;
    QCOMPARE(Halcon_Helper::GetImageSize(written, w, h), Errors::Type_Error(0));
    // The crop may take the labware's edge column as well.
    QVERIFY2(qAbs(w - width) <= 1, qPrintable(QString::number(w)));
}

QTEST_GUILESS_MAIN(tst_ColonyAnalyserExport)
#include "tst_ColonyAnalyserExport.moc"
