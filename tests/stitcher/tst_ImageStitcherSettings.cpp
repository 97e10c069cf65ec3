#include "StitcherTestSetup.h"

#include <FileMutations.h>
#include <ImageStitcherSettings.h>
#include <LabwareGrid.h>
#include <ModelMatching.h>
#include <ModelMatchingErrors.h>
#include <PictureUnitConverter.h>
#include <SettingsFileMutations.h>
#include <StitcherCrossModel.h>
#include <TestFixtures.h>
#include <XML_Settings.h>

#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {

// A stitcher settings document named "Bench" whose root holds body (after the Name element).
QString documentText(const QString& body, const QString& versionAttribute = QStringLiteral(" ConfigVersion=\"1.2\""))
{
    return QStringLiteral("<?xml version='1.0' encoding='UTF-8' ?>\n<ImageStitcherSettings Application=\"zelvorin\"%1>\n"
                          " <Name>\n  <Name>Bench</Name>\n </Name>\n%2</ImageStitcherSettings>\n")
        .arg(versionAttribute, body);
}

QString area(double x, double y, double w, double h, double angle = 0.0)
{
    return QStringLiteral("<SearchArea><PosX>%1</PosX><PosY>%2</PosY><SizeX>%3</SizeX><SizeY>%4</SizeY>"
                          "<Angle>%5</Angle></SearchArea>")
        .arg(x)
        .arg(y)
        .arg(w)
        .arg(h)
        .arg(angle);
}

bool writeText(const QString& path, const QString& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A record far from the defaults in every part.
ImageStitcherSettingsData editedData()
{
    ImageStitcherSettingsData data;
    data.DistanceCameraToCrossPlane = 250.5;
    data.DistancePointsPlaneToAgarPlane = -3.25;
    data.DistanceCrossPlaneToPointsPlane = 11.75;
    data.CrossModel.Analyse.MinimumScore = 0.55;
    data.CrossModel.Model.ROI = {{ModelMatchingRoi::Type_Ellipse, 20.0, 15.5, 30.0, 25.0, 12.5}};
    data.CrossModel.Filter.Median = {true, 4};
    for (int i = 0; i < 6; ++i) {
        data.ReferencePoints[size_t(i)].Area1 = SearchAreaSettings(1.5 + i, 2.25, 11.0, 9.5, -3.5 + i);
        data.ReferencePoints[size_t(i)].Area2 = SearchAreaSettings(80.0 - i, 60.5, 12.0, 13.0, 1.0);
    }
    return data;
}

// The record's cross model with the tray's template picture.
struct CrossModel : StitcherCrossModel {
    explicit CrossModel(const ImageStitcherSettingsData& data)
    {
        settings.takeData(data);
        static const Halcon::Hobject crossTemplate =
            PlateScenes::trayCrossTemplate(StitcherTestSetup::trayOptions());
        picture.SetModelPicture(crossTemplate);
    }
};

// The stitcher's next steps with a record it read: its cross model made from the tray's
// template, then searched as a run searches the first picture's first cross. A model that is
// made must be found or refused at once; one never found keeps each search waiting for its
// time-out.
QString crossSearch(const ImageStitcherSettings& record, bool* found = nullptr)
{
    CrossModel model(record.data());
    ModelMatchingCreateResult created;
    if (model.facade.CreateModel(PictureCrossSearch::createParameters(), created) != 0)
        return QString();
    const Halcon::Hobject& picture = StitcherTestSetup::tray().views.front().image;
    PictureUnitConverter units(picture);
    const SearchAreaSettings& area = record.data().ReferencePoints.front().Area1;
    const Halcon::Hobject region =
        GenerateRotatedRectangleContour(&units, area.PosX, area.PosY, area.SizeX, area.SizeY, area.Angle);
    ModelMatchingSearchResult result;
    const Errors::Type_Error code = model.facade.SearchModel(PictureCrossSearch::searchParameters(picture, region), result);
    if (found)
        *found = code == 0 && result.Found;
    return code == ModelMatchingErrors::FindTimeout ? QStringLiteral("the cross search ran into its time-out") : QString();
}

} // namespace

Q_DECLARE_METATYPE(MutationLoop::Mutation)

class tst_ImageStitcherSettings : public QObject {
    Q_OBJECT
private slots:
    void defaults_data();
    void defaults();
    void saveAndLoadKeepEveryValue();
    void fileLayout();
    void agarDistanceFallbacks_data();
    void agarDistanceFallbacks();
    void alwaysSixPicturePositions();
    void searchRectangleOfTheCrossModelIsTheWholeTemplate();
    void configVersions_data();
    void configVersions();
    void missingSecondAreaKeepsItsDefault();
    void refusedLoadLeavesTheRecordUntouched_data();
    void refusedLoadLeavesTheRecordUntouched();
    void failedSaveLeavesFileAndRecord();
    void snapshotsDuringLoadsAreWholeRecords();
    void mutatedFiles_data();
    void mutatedFiles();
};

void tst_ImageStitcherSettings::defaults_data()
{
    QTest::addColumn<int>("picture");
    QTest::addColumn<QList<double>>("area1");
    QTest::addColumn<QList<double>>("area2");
    QTest::newRow("1 top left") << 0 << QList<double>{86, 1, 12, 10} << QList<double>{1, 55, 10, 12};
    QTest::newRow("2") << 1 << QList<double>{1, 3, 10, 12} << QList<double>{1, 60, 10, 12};
    QTest::newRow("3 bottom left") << 2 << QList<double>{1, 7, 10, 12} << QList<double>{85, 61, 12, 10};
    QTest::newRow("4 top right") << 3 << QList<double>{6, 1, 12, 10} << QList<double>{90, 55, 10, 12};
    QTest::newRow("5") << 4 << QList<double>{90, 3, 10, 12} << QList<double>{90, 60, 10, 12};
    QTest::newRow("6 bottom right") << 5 << QList<double>{90, 7, 10, 12} << QList<double>{6, 61, 12, 10};
}

void tst_ImageStitcherSettings::defaults()
{
    QFETCH(int, picture);
    QFETCH(QList<double>, area1);
    QFETCH(QList<double>, area2);
    ImageStitcherSettings settings;
    settings.data().ReferencePoints[size_t(picture)].Area1.Angle = 7.0;
    settings.data().name = QStringLiteral("edited");
    settings.setDefaults();
    const ImageStitcherSettingsData& data = settings.data();
    QVERIFY(data.name.isEmpty());
    QCOMPARE(data.DistanceCameraToCrossPlane, 246.1);
    QCOMPARE(data.DistancePointsPlaneToAgarPlane, -2.5);
    QCOMPARE(data.DistanceCrossPlaneToPointsPlane, 10.8);
    QCOMPARE(data.CrossModel.Analyse.PyramidLevels, 5);
    QCOMPARE(data.CrossModel.Analyse.MinimumScore, ModelMatchingSettings().Analyse.MinimumScore);
    const SearchAreaSettings& a1 = data.ReferencePoints[size_t(picture)].Area1;
    const SearchAreaSettings& a2 = data.ReferencePoints[size_t(picture)].Area2;
    QCOMPARE((QList<double>{a1.PosX, a1.PosY, a1.SizeX, a1.SizeY}), area1);
    QCOMPARE((QList<double>{a2.PosX, a2.PosY, a2.SizeX, a2.SizeY}), area2);
    QCOMPARE(a1.Angle, 0.0);
    QCOMPARE(a2.Angle, 0.0);
}

void tst_ImageStitcherSettings::saveAndLoadKeepEveryValue()
{
    QTemporaryDir dir;
    ImageStitcherSettings written;
    written.data() = editedData();
    const QString path = dir.filePath(QStringLiteral("Tray A"));
    QVERIFY(written.saveToFile(path));
    QCOMPARE(written.data().name, QStringLiteral("Tray A"));
    QVERIFY(QFile::exists(path + ImageStitcherSettings::fileExtension()));

    ImageStitcherSettings read;
    QVERIFY(read.loadFromFile(path));
    ImageStitcherSettingsData expected = editedData();
    expected.name = QStringLiteral("Tray A");
    expected.CrossModel.SearchPosition = {0.0, 0.0, 100.0, 100.0, 0.0};
    QVERIFY(read.data() == expected);
}

void tst_ImageStitcherSettings::fileLayout()
{
    ImageStitcherSettings settings;
    settings.data() = editedData();
    QDomDocument document;
    QVERIFY(document.setContent(settings.toXmlString()));
    const QDomElement root = document.documentElement();
    QCOMPARE(root.tagName(), QStringLiteral("ImageStitcherSettings"));
    QCOMPARE(root.attribute(QStringLiteral("ConfigVersion")), QStringLiteral("1.2"));
    QStringList tags;
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        tags << e.tagName();
    QCOMPARE(tags, (QStringList{"Name", "DistanceCameraToCrossPlane", "DistancePointsPlaneToAgarPlane",
                                "DistanceCrossPlaneToPointsPlane", "PicturesCount", "ModelMatching", "ReferencePoints",
                                "ReferencePoints", "ReferencePoints", "ReferencePoints", "ReferencePoints",
                                "ReferencePoints"}));
    QCOMPARE(root.firstChildElement(QStringLiteral("PicturesCount")).text(), QStringLiteral("6"));
    const QDomElement third = root.elementsByTagName(QStringLiteral("ReferencePoints")).at(2).toElement();
    const QDomElement second = third.elementsByTagName(QStringLiteral("SearchArea")).at(1).toElement();
    QStringList leaves;
    for (QDomElement e = second.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        leaves << e.tagName() + QLatin1Char('=') + e.text();
    QCOMPARE(leaves, (QStringList{"PosX=78", "PosY=60.5", "SizeX=12", "SizeY=13", "Angle=1"}));
}

void tst_ImageStitcherSettings::agarDistanceFallbacks_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<double>("crossToPoints");
    QTest::addColumn<double>("pointsToAgar");
    QTest::newRow("both keys") << "<DistanceCrossPlaneToPointsPlane>9</DistanceCrossPlaneToPointsPlane>"
                                  "<DistancePointsPlaneToAgarPlane>-1.5</DistancePointsPlaneToAgarPlane>"
                               << 9.0 << -1.5;
    QTest::newRow("older key measured from the cross plane")
        << "<DistanceCrossPlaneToAgarPlane>8.3</DistanceCrossPlaneToAgarPlane>"
           "<DistanceCrossPlaneToPointsPlane>10.8</DistanceCrossPlaneToPointsPlane>"
        << 10.8 << 8.3 - 10.8;
    QTest::newRow("no agar key at all") << "<DistanceCrossPlaneToPointsPlane>12</DistanceCrossPlaneToPointsPlane>"
                                        << 12.0 << -12.0;
    QTest::newRow("nothing: the points distance falls back, the agar follows") << "" << 10.8 << -10.8;
    QTest::newRow("unreadable points distance") << "<DistanceCrossPlaneToPointsPlane>far</DistanceCrossPlaneToPointsPlane>"
                                                   "<DistanceCrossPlaneToAgarPlane>8.3</DistanceCrossPlaneToAgarPlane>"
                                                << 10.8 << 8.3 - 10.8;
    QTest::newRow("agar distance that is no number uses the older key")
        << "<DistancePointsPlaneToAgarPlane>nan</DistancePointsPlaneToAgarPlane>"
           "<DistanceCrossPlaneToAgarPlane>9.8</DistanceCrossPlaneToAgarPlane>"
        << 10.8 << 9.8 - 10.8;
}

void tst_ImageStitcherSettings::agarDistanceFallbacks()
{
    QFETCH(QString, body);
    QFETCH(double, crossToPoints);
    QFETCH(double, pointsToAgar);
    ImageStitcherSettings settings;
    QVERIFY(settings.fromXmlString(documentText(body)));
    QCOMPARE(settings.data().DistanceCrossPlaneToPointsPlane, crossToPoints);
    QCOMPARE(settings.data().DistancePointsPlaneToAgarPlane, pointsToAgar);
    QCOMPARE(settings.data().DistanceCameraToCrossPlane, 246.1);
}

void tst_ImageStitcherSettings::alwaysSixPicturePositions()
{
    QString body = QStringLiteral("<PicturesCount>4</PicturesCount>");
    for (int i = 0; i < 6; ++i)
        body += QStringLiteral("<ReferencePoints>%1%2</ReferencePoints>").arg(area(i, 1, 2, 3), area(50 + i, 4, 5, 6));
    ImageStitcherSettings settings;
    QVERIFY(settings.fromXmlString(documentText(body)));
    QCOMPARE(settings.data().ReferencePoints[5].Area1.PosX, 5.0);
    QCOMPARE(settings.data().ReferencePoints[5].Area2.PosX, 55.0);
    QDomDocument document;
    QVERIFY(document.setContent(settings.toXmlString()));
    QCOMPARE(document.documentElement().firstChildElement(QStringLiteral("PicturesCount")).text(), QStringLiteral("6"));
    QCOMPARE(document.elementsByTagName(QStringLiteral("ReferencePoints")).size(), 6);
}

void tst_ImageStitcherSettings::searchRectangleOfTheCrossModelIsTheWholeTemplate()
{
    const QString body = QStringLiteral(
        "<ModelMatching><SearchPosition><PositionX>10</PositionX><PositionY>10</PositionY><SizeX>30</SizeX>"
        "<SizeY>30</SizeY><Angle>15</Angle></SearchPosition><Analyse><PyramidLevels>3</PyramidLevels></Analyse>"
        "</ModelMatching>");
    ImageStitcherSettings settings;
    QVERIFY(settings.fromXmlString(documentText(body)));
    const ModelMatchingSettings::SearchPositionData whole{0.0, 0.0, 100.0, 100.0, 0.0};
    QVERIFY(settings.data().CrossModel.SearchPosition == whole);
    QCOMPARE(settings.data().CrossModel.Analyse.PyramidLevels, 3);
}

void tst_ImageStitcherSettings::configVersions_data()
{
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("1.3 is newer") << " ConfigVersion=\"1.3\"" << false;
    QTest::newRow("1.2") << " ConfigVersion=\"1.2\"" << true;
    QTest::newRow("1.0") << " ConfigVersion=\"1.0\"" << true;
    QTest::newRow("no attribute reads as 1.2") << "" << true;
}

void tst_ImageStitcherSettings::configVersions()
{
    QFETCH(QString, attribute);
    QFETCH(bool, accepted);
    ImageStitcherSettings settings;
    settings.data().name = QStringLiteral("Before");
    settings.data().DistanceCameraToCrossPlane = 300.0;
    const QString body = QStringLiteral("<DistanceCameraToCrossPlane>240</DistanceCameraToCrossPlane>");
    QCOMPARE(settings.fromXmlString(documentText(body, attribute)), accepted);
    QCOMPARE(settings.data().name, accepted ? QStringLiteral("Bench") : QStringLiteral("Before"));
    QCOMPARE(settings.data().DistanceCameraToCrossPlane, accepted ? 240.0 : 300.0);
}

void tst_ImageStitcherSettings::missingSecondAreaKeepsItsDefault()
{
    const QString body = QStringLiteral("<ReferencePoints>%1</ReferencePoints>").arg(area(40, 41, 5, 6, 2))
        + QStringLiteral("<ReferencePoints>%1</ReferencePoints>").arg(QStringLiteral("<SearchArea><PosY>33</PosY></SearchArea>"));
    ImageStitcherSettings settings;
    QVERIFY(settings.fromXmlString(documentText(body)));
    const ImageStitcherSettingsData defaults;
    QVERIFY(settings.data().ReferencePoints[0].Area1 == SearchAreaSettings(40, 41, 5, 6, 2));
    QVERIFY(settings.data().ReferencePoints[0].Area2 == defaults.ReferencePoints[0].Area2);
    // A missing leaf keeps the area's default value.
    QCOMPARE(settings.data().ReferencePoints[1].Area1.PosX, defaults.ReferencePoints[1].Area1.PosX);
    QCOMPARE(settings.data().ReferencePoints[1].Area1.PosY, 33.0);
    QVERIFY(settings.data().ReferencePoints[2] == defaults.ReferencePoints[2]);
}

void tst_ImageStitcherSettings::refusedLoadLeavesTheRecordUntouched_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("not XML") << "<ImageStitcherSettings><Name>";
    QTest::newRow("no Name element")
        << "<?xml version='1.0' encoding='UTF-8' ?>\n<ImageStitcherSettings ConfigVersion=\"1.2\">"
           "<DistanceCameraToCrossPlane>1</DistanceCameraToCrossPlane></ImageStitcherSettings>";
    QTest::newRow("newer version") << documentText(QStringLiteral("<DistanceCameraToCrossPlane>1</DistanceCameraToCrossPlane>"),
                                                   QStringLiteral(" ConfigVersion=\"2.0\""));
    QTest::newRow("empty") << "";
    const QString region = QStringLiteral("<ROI><Type>1</Type><PositionX>40</PositionX><SizeX>5</SizeX><SizeY>5</SizeY></ROI>");
    QTest::newRow("cross model with more regions than a model takes")
        << documentText(QStringLiteral("<DistanceCameraToCrossPlane>1</DistanceCameraToCrossPlane><ModelMatching><Model>")
                        + region.repeated(ModelMatchingSettings::MaximumRoiCount + 1)
                        + QStringLiteral("</Model></ModelMatching>"));
}

void tst_ImageStitcherSettings::refusedLoadLeavesTheRecordUntouched()
{
    QFETCH(QString, text);
    ImageStitcherSettings settings;
    settings.data() = editedData();
    settings.data().name = QStringLiteral("Kept");
    QVERIFY(!settings.fromXmlString(text));
    ImageStitcherSettingsData expected = editedData();
    expected.name = QStringLiteral("Kept");
    QVERIFY(settings.data() == expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Damaged.ImageStitcherSettings"));
    QVERIFY(writeText(path, text));
    QVERIFY(!settings.loadFromFile(path));
    QVERIFY(!settings.loadFromFile(dir.filePath(QStringLiteral("Missing"))));
    QVERIFY(settings.data() == expected);
}

void tst_ImageStitcherSettings::failedSaveLeavesFileAndRecord()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Kept.ImageStitcherSettings"));
    ImageStitcherSettings settings;
    QVERIFY(settings.saveToFile(path));
    const QByteArray before = readBytes(path);
    settings.data() = editedData();
    settings.data().name = QStringLiteral("Edited");
    XML_Settings::setWriteFunction([](QIODevice&, const QByteArray&) -> qint64 { return -1; });
    const bool saved = settings.saveToFile(path);
    XML_Settings::setWriteFunction(nullptr);
    QVERIFY(!saved);
    QCOMPARE(readBytes(path), before);
    QCOMPARE(settings.data().name, QStringLiteral("Edited"));
}

// The cross model's workers copy its settings from the stitcher's thread while the GUI thread
// loads files into the record: each copy must be one whole record, never half of each.
void tst_ImageStitcherSettings::snapshotsDuringLoadsAreWholeRecords()
{
    ImageStitcherSettings settings;
    ModelMatching crossModel(QStringLiteral("CrossModel"), &settings.data().CrossModel);
    settings.setCrossModel(&crossModel);
    ImageStitcherSettingsData first = editedData();
    ImageStitcherSettingsData second = editedData();
    second.CrossModel.Analyse.MinimumScore = 0.85;
    second.CrossModel.Model.ROI.append({ModelMatchingRoi::Type_Rectangle, 1.0, 2.0, 3.0, 4.0, 0.0});
    ImageStitcherSettings writer;
    writer.data() = first;
    const QString firstText = writer.toXmlString();
    writer.data() = second;
    const QString secondText = writer.toXmlString();
    QVERIFY(settings.fromXmlString(firstText));
    ModelMatchingSettings whole[2];
    whole[0] = settings.data().CrossModel;
    QVERIFY(settings.fromXmlString(secondText));
    whole[1] = settings.data().CrossModel;

    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::atomic<int> taken{0};
    std::thread reader([&] {
        while (!done.load()) {
            ModelMatchingSettings snapshot;
            crossModel.GetSettingsSnapshot(snapshot);
            if (!(snapshot == whole[0]) && !(snapshot == whole[1]))
                torn.fetch_add(1);
            taken.fetch_add(1);
        }
    });
    for (int i = 0; i < 200 || taken.load() < 10; ++i)
        QVERIFY(settings.fromXmlString(i % 2 ? firstText : secondText));
    done.store(true);
    reader.join();
    QCOMPARE(torn.load(), 0);
}

// Seeded damage of the demo settings file, its cross model included: each copy is refused
// without a trace or read within the bounds of every reader, what it read comes back exactly
// after a save, and the cross model made and searched with it stays within those bounds.
void tst_ImageStitcherSettings::mutatedFiles_data()
{
    QTest::addColumn<MutationLoop::Mutation>("mutation");
    QTest::newRow("damaged bytes") << MutationLoop::Mutation(&FileMutations::mutated);
    QTest::newRow("damaged values") << MutationLoop::Mutation(&FileMutations::mutatedValues);
}

void tst_ImageStitcherSettings::mutatedFiles()
{
    QFETCH(MutationLoop::Mutation, mutation);
    SettingsFileMutations::Access<ImageStitcherSettings> access;
    access.make = [] {
        auto record = std::make_unique<ImageStitcherSettings>();
        record->data() = editedData();
        record->data().name = QStringLiteral("Kept");
        return record;
    };
    access.load = [](ImageStitcherSettings& record, const QString& path) { return record.loadFromFile(path); };
    access.save = [](ImageStitcherSettings& record, const QString& path) { return record.saveToFile(path); };
    access.text = [](ImageStitcherSettings& record) { return record.toXmlString(); };
    access.equal = [](const ImageStitcherSettings& a, const ImageStitcherSettings& b) { return a.data() == b.data(); };
    access.use = [](ImageStitcherSettings& record) { return crossSearch(record); };
    ImageStitcherSettings demo;
    QVERIFY(demo.loadFromFile(TestFixtures::sourceDir() + QStringLiteral("/") + ImageStitcherSettings::demoFolder()
                              + QStringLiteral("/Demo_QTray-Plate")));
    // The cross model and the areas of the tray the search runs on.
    ImageStitcherSettingsData data = demo.data();
    data.CrossModel.Model.ROI = {{ModelMatchingRoi::Type_Rectangle, 30.0, 17.5, 40.0, 40.0, 0.0}};
    data.ReferencePoints = ImageStitcherSettingsData().ReferencePoints;
    demo.takeData(data);
    bool found = false;
    QVERIFY(crossSearch(demo, &found).isEmpty());
    QVERIFY(found);
    const QString fileName = QStringLiteral("Damaged") + ImageStitcherSettings::fileExtension();
    const QByteArray valid = SettingsFileMutations::validFile(demo, access, fileName);
    QVERIFY(!valid.isEmpty());
    const QString fault = SettingsFileMutations::run(valid, fileName, access, MutationLoop::Bounds(), mutation);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QTEST_MAIN(tst_ImageStitcherSettings)
#include "tst_ImageStitcherSettings.moc"
