#include "ColonySettings.h"
#include "TestFixtures.h"
#include "XML_Settings.h"

#include <SettingsFileMutations.h>

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <limits>

Q_DECLARE_METATYPE(ColonySettingsData)

namespace {

// Every member away from both default sets, each with a value of its own, so that a key
// that is written or read into the wrong member shows. Valid for validate().
ColonySettingsData everyFieldChanged()
{
    ColonySettingsData d;
    d.name = QStringLiteral("Everything");
    ColonySettingsData::ReferencePointsData& r = d.ReferencePoints;
    r.DistanceX = 101.5;
    r.DistanceY = 102.5;
    r.SearchPosition[0] = {1.25, 2.25};
    r.SearchPosition[1] = {3.25, 4.25};
    r.SearchPosition[2] = {5.25, 6.25};
    r.SearchPosition[3] = {7.25, 8.25};
    r.SearchPositionWidth = 9.5;
    r.SearchPositionHeight = 10.5;
    r.FixedPosition = true;
    r.DistanceCameraToRefPointPlane = 250.25;
    r.DistanceRefPointPlaneToAgarPlane = -3.75;
    r.RefPointTopLeftX = 11.5;
    r.RefPointTopLeftY = 12.5;
    r.RefPointTopRightX = 13.5;
    r.RefPointTopRightY = 14.5;
    r.RefPointBottomLeftX = 15.5;
    r.RefPointBottomLeftY = 16.5;
    r.RefPointRadius = 17.5;
    r.RefPointPointMinimumScore = 0.625;
    r.RefPointPointMinimumContrast = 19;
    r.RefPointPointScaleRange = 20.5;

    ColonySettingsData::LabwareData& l = d.Labware;
    l.PositionDirection = 2;
    l.RoundArea = true;
    l.Angle = 1.75;
    l.PositionX = 21.5;
    l.PositionY = 22.5;
    l.SizeX = 23.5;
    l.SizeY = 24.5;
    l.GapX = 0.125;
    l.GapY = 0.375;
    l.SectionsX = 12;
    l.SectionsY = 8;
    l.PickingOrder = 5;

    ColonySettingsData::ColonyData& c = d.Colony;
    c.FastCalculation = true;
    c.PreprocessingMeanEnabled = true;
    c.PreprocessingMeanMode = 3;
    c.PreprocessingMedianEnabled = true;
    c.PreprocessingMedianMode = 4;
    c.WhiteOnBlack = true;
    c.AnalysisMode = 0;
    c.GrayMargin = 2.5;
    c.GrayCenter = 0.55;
    c.GrayPercentUnder = 7;
    c.GrayPercentOver = 9;
    c.MaxColonyDiameter = 5.5;
    c.Offset = 16.5;
    c.AreaMin = 1.5;
    c.AreaMax = 6.5;
    c.AreaWeight = 0.35;
    c.CircularityMin = 0.65;
    c.CircularityMaxNorm = 0.95;
    c.CircularityWeight = 0.15;
    c.NeighborDistanceMin = 0.45;
    c.NeighborDistanceMaxNorm = 4.5;
    c.NeighborDistanceWeight = 0.25;
    c.MarginDistanceMin = 0.55;
    c.MarginDistanceMaxNorm = 3.5;
    c.MarginDistanceWeight = 0.05;
    c.ThresholdColorRedWeight = 0.11;
    c.ThresholdColorGreenWeight = 0.12;
    c.ThresholdColorBlueWeight = 0.13;
    c.ThresholdColorRedInverse = true;
    c.ThresholdColorRedMax = 140.0;
    c.ThresholdColorRedMinNorm = 10.0;
    c.ThresholdColorRedMaxNorm = 250.0;
    c.ThresholdColorRedMin = 120.0;
    c.ThresholdColorGreenInverse = false;
    c.ThresholdColorGreenMax = 200.0;
    c.ThresholdColorGreenMinNorm = 20.0;
    c.ThresholdColorGreenMaxNorm = 240.0;
    c.ThresholdColorGreenMin = 30.0;
    c.ThresholdColorBlueInverse = true;
    c.ThresholdColorBlueMax = 210.0;
    c.ThresholdColorBlueMinNorm = 40.0;
    c.ThresholdColorBlueMaxNorm = 230.0;
    c.ThresholdColorBlueMin = 50.0;

    d.ColorModel = 1;

    ColonySettingsData::ColonyColorData& k = d.ColonyColor;
    k.MedianUsed = true;
    k.MedianMode = 5;
    k.MeanUsed = false;
    k.MeanMode = 6;
    k.MeasureAlgorithm = 3;
    k.StartHue = 60.0;
    k.StartHuePercent = 5.5;
    k.StartSaturation = 70.0;
    k.StartSaturationPercent = 6.5;
    k.StartIntensity = 80.0;
    k.StartIntensityPercent = 7.5;
    k.EndHue = 90.0;
    k.EndHuePercent = 8.5;
    k.EndSaturation = 100.0;
    k.EndSaturationPercent = 9.5;
    k.EndIntensity = 110.0;
    k.EndIntensityPercent = 10.5;
    k.HueUsed = false;
    k.SaturationUsed = true;
    k.IntensityUsed = true;
    k.RangeGoods = false;
    k.CombinedAreaPercent = 42.5;
    return d;
}

// The shipped demo settings: a 96-well microplate and a Petri dish of 90 mm.
QString documentOf(const ColonySettingsData& data)
{
    ColonySettings settings;
    settings.data() = data;
    return settings.toXmlString();
}

QString standardDocument()
{
    ColonySettingsData data;
    data.name = QStringLiteral("Damaged");
    return documentOf(data);
}

// The document with one piece of text replaced; stops the run when the piece is missing,
// so that a table row never tests an undamaged file by accident.
QString replaced(const QString& text, const QString& from, const QString& to)
{
    if (!text.contains(from))
        qFatal("fixture text does not contain %s", qPrintable(from));
    QString result = text;
    result.replace(from, to);
    return result;
}

QString withoutElement(const QString& text, const QString& tag)
{
    const qsizetype begin = text.indexOf(QLatin1Char('<') + tag + QLatin1Char('>'));
    const QString endTag = QStringLiteral("</") + tag + QLatin1Char('>');
    const qsizetype end = text.indexOf(endTag, begin);
    if (begin < 0 || end < 0)
        qFatal("fixture text does not contain %s", qPrintable(tag));
    QString result = text;
    result.remove(begin, end + endTag.size() - begin);
    return result;
}

bool writeFile(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(text.toUtf8()) >= 0;
}

QTimer* pendingNotification(ColonySettings& settings)
{
    return settings.findChild<QTimer*>();
}

QDateTime fixedClock()
{
    return QDateTime(QDate(2024, 1, 15), QTime(9, 0, 0));
}

QList<int> ints(std::initializer_list<int> values)
{
    return QList<int>(values);
}

} // namespace

class tst_ColonySettings : public QObject {
    Q_OBJECT
private slots:
    void init();

    void construction();
    void defaultSets();

    void validate_data();
    void validate();

    void packDirection_data();
    void packDirection();
    void truncateToStep_data();
    void truncateToStep();

    void pickOrder_data();
    void pickOrder();
    void pickOrderSingleLists();

    void roundTripEveryField();
    void fileLayout();
    void saveNamesRecordAfterFile();
    void failedSaveKeepsFileAndName();

    void loadAccepted_data();
    void loadAccepted();
    void loadReplacesWholeRecordAndNotifiesOnce();

    void damagedDocument_data();
    void damagedDocument();
    void missingFileChangesNothing();

    void shippedFiles_data();
    void shippedFiles();

    void customSignal();
    void mutatedFiles();
};

void tst_ColonySettings::init()
{
    XML_Settings::setWriteFunction(nullptr);
    XML_Settings::setClockFunction(nullptr);
}

void tst_ColonySettings::construction()
{
    ColonySettings settings;
    QVERIFY(settings.data() == ColonySettingsData::standardDefaults());
    QVERIFY(settings.name.isEmpty());
    QCOMPARE(settings.fileVersion(), 2.1);
    // The constructor's own reset announces itself like every other change.
    QSignalSpy spy(&settings, &ColonySettings::signal_changed);
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.count(), 1);
}

void tst_ColonySettings::defaultSets()
{
    ColonySettings settings;
    settings.data() = everyFieldChanged();
    QSignalSpy spy(&settings, &ColonySettings::signal_changed);

    settings.setDefaultsLightTable();
    QVERIFY(settings.name.isEmpty());
    ColonySettingsData expected;
    expected.ReferencePoints.DistanceX = 245.0;
    expected.ReferencePoints.DistanceY = 245.0;
    expected.ReferencePoints.SearchPosition[0] = {1.0, 1.0};
    expected.ReferencePoints.SearchPosition[1] = {90.0, 1.0};
    expected.ReferencePoints.SearchPosition[2] = {1.0, 91.0};
    expected.ReferencePoints.SearchPosition[3] = {90.0, 91.0};
    expected.ReferencePoints.SearchPositionWidth = 8.0;
    expected.ReferencePoints.SearchPositionHeight = 8.0;
    expected.ReferencePoints.DistanceCameraToRefPointPlane = 235.3;
    expected.ReferencePoints.DistanceRefPointPlaneToAgarPlane = -2.5;
    expected.Labware.PositionX = 7.85;
    expected.Labware.PositionY = 7.88;
    expected.Labware.SizeX = 82.74;
    expected.Labware.SizeY = 83.99;
    QVERIFY(settings.data() == expected);
    QVERIFY(spy.wait(5000));

    settings.data() = everyFieldChanged();
    settings.setDefaults();
    QVERIFY(settings.data() == ColonySettingsData::standardDefaults());
    QVERIFY(pendingNotification(settings)->isActive());
    QCOMPARE(pendingNotification(settings)->interval(), 500);

    // A bulk change bracketed by the caller announces nothing.
    settings.setChangedBlocked(true);
    settings.setDefaults();
    QVERIFY(!pendingNotification(settings)->isActive());
    settings.setChangedBlocked(false);
}

void tst_ColonySettings::validate_data()
{
    QTest::addColumn<ColonySettingsData>("data");
    QTest::addColumn<QString>("message");

    const ColonySettingsData base;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ColonySettingsData d;

    QTest::newRow("standard defaults") << base << QString();
    QTest::newRow("light table defaults") << ColonySettingsData::lightTableDefaults() << QString();
    QTest::newRow("every field changed") << everyFieldChanged() << QString();

    d = base; d.Colony.AreaMin = d.Colony.AreaMax;
    QTest::newRow("area equal") << d << "Area \"Maximum\" must be larger than \"Minimum\"!";
    d = base; d.Colony.AreaMin = nan;
    QTest::newRow("area not a number") << d << "Area \"Maximum\" must be larger than \"Minimum\"!";
    d = base; d.Colony.CircularityMin = 0.95;
    QTest::newRow("circularity") << d << "Circularity \"Normalized Maximum\" must be larger than \"Minimum\"!";
    d = base; d.Colony.NeighborDistanceMaxNorm = d.Colony.NeighborDistanceMin;
    QTest::newRow("neighbour") << d << "Next Neighbor \"Normalized Maximum\" must be larger than \"Minimum\"!";
    d = base; d.Colony.MarginDistanceMaxNorm = 0.1;
    QTest::newRow("margin") << d << "Distance to margin \"Normalized Maximum\" must be larger than \"Minimum\"!";

    ColonySettingsData noWeights = base;
    noWeights.Colony.AreaWeight = noWeights.Colony.CircularityWeight = 0.0;
    noWeights.Colony.NeighborDistanceWeight = noWeights.Colony.MarginDistanceWeight = 0.0;
    const QString weightMessage = QStringLiteral("At least one weight must be larger than zero!");
    QTest::newRow("all weights zero") << noWeights << weightMessage;
    d = base; d.Colony.AreaWeight = -0.6; d.Colony.CircularityWeight = -0.1;
    QTest::newRow("weights sum below zero") << d << weightMessage;
    d = noWeights; d.ColorModel = 1; d.Colony.ThresholdColorRedWeight = 0.5;
    QTest::newRow("rgb model counts colour weight") << d << QString();
    d = noWeights; d.ColorModel = 2; d.Colony.ThresholdColorRedWeight = 0.5;
    QTest::newRow("hsi model ignores colour weight") << d << weightMessage;

    d = base; d.ColorModel = 1;
    QTest::newRow("rgb with defaults") << d << QString();
    d.Colony.ThresholdColorRedMin = 255.0;
    QTest::newRow("red normal") << d << "Color red \"Maximum Normalized\" must be larger than \"Minimum\"!";
    d.ColorModel = 0;
    QTest::newRow("colour not tested without rgb model") << d << QString();
    d = base; d.ColorModel = 1; d.Colony.ThresholdColorRedInverse = true; d.Colony.ThresholdColorRedMax = 0.0;
    QTest::newRow("red inverse") << d << "Color red \"Maximum\" must be larger than \"Minimum Normalized\"!";
    d = base; d.ColorModel = 1; d.Colony.ThresholdColorGreenMaxNorm = 0.0;
    QTest::newRow("green normal") << d << "Color green \"Maximum Normalized\" must be larger than \"Minimum\"!";
    d = base; d.ColorModel = 1; d.Colony.ThresholdColorGreenInverse = true; d.Colony.ThresholdColorGreenMinNorm = 255.0;
    QTest::newRow("green inverse") << d << "Color green \"Maximum\" must be larger than \"Minimum Normalized\"!";
    d = base; d.ColorModel = 1; d.Colony.ThresholdColorBlueMin = 300.0;
    QTest::newRow("blue normal") << d << "Color blue \"Maximum Normalized\" must be larger than \"Minimum\"!";
    d = base; d.ColorModel = 1; d.Colony.ThresholdColorBlueInverse = true; d.Colony.ThresholdColorBlueMax = 0.0;
    QTest::newRow("blue inverse") << d << "Color blue \"Maximum\" must be larger than \"Minimum Normalized\"!";

    d = base; d.Labware.SectionsX = 0;
    QTest::newRow("no columns") << d << "Labware \"Sections X\" must be at least 1!";
    d = base; d.Labware.SectionsX = -3;
    QTest::newRow("negative columns") << d << "Labware \"Sections X\" must be at least 1!";
    d = base; d.Labware.SectionsY = 0;
    QTest::newRow("no rows") << d << "Labware \"Sections Y\" must be at least 1!";
    d = base; d.Labware.SectionsY = 26;
    QTest::newRow("26 rows") << d << QString();
    d = base; d.Labware.SectionsY = 27;
    QTest::newRow("more rows than letters") << d << "Labware \"Sections Y\" must not be larger than 26!";
    d = base; d.ReferencePoints.DistanceX = 0.0;
    QTest::newRow("distance x zero") << d << "Reference points \"Distance X\" must be larger than zero!";
    d = base; d.ReferencePoints.DistanceX = nan;
    QTest::newRow("distance x not a number") << d << "Reference points \"Distance X\" must be larger than zero!";
    d = base; d.ReferencePoints.DistanceY = -92.0;
    QTest::newRow("distance y negative") << d << "Reference points \"Distance Y\" must be larger than zero!";
}

void tst_ColonySettings::validate()
{
    QFETCH(ColonySettingsData, data);
    QFETCH(QString, message);
    QString text = QStringLiteral("stale");
    QCOMPARE(ColonySettings::validate(data, text), message.isEmpty());
    QCOMPARE(text, message);
}

void tst_ColonySettings::packDirection_data()
{
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("bottom");
    QTest::addColumn<bool>("fourth");
    QTest::addColumn<int>("code");
    for (int code = 0; code < 8; ++code)
        QTest::addRow("code %d", code) << bool(code & 1) << bool(code & 2) << bool(code & 4) << false << code;
    QTest::newRow("fourth alone") << false << false << false << true << 8;
    QTest::newRow("fourth wins") << true << true << true << true << 8;
}

void tst_ColonySettings::packDirection()
{
    QFETCH(bool, vertical);
    QFETCH(bool, right);
    QFETCH(bool, bottom);
    QFETCH(bool, fourth);
    QFETCH(int, code);
    QCOMPARE(ColonySettings::packDirection(vertical, right, bottom, fourth), code);

    bool v = !vertical, r = !right, b = !bottom, f = !fourth;
    ColonySettings::unpackDirection(code, v, r, b, f);
    if (!fourth) {
        QCOMPARE(v, vertical);
        QCOMPARE(r, right);
        QCOMPARE(b, bottom);
    }
    QCOMPARE(f, fourth);
}

void tst_ColonySettings::truncateToStep_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("expected");
    QTest::newRow("two decimals") << 1.239 << 100.0 << 1.23;
    QTest::newRow("toward zero") << -1.239 << 100.0 << -1.23;
    QTest::newRow("whole") << 7.9 << 1.0 << 7.0;
    QTest::newRow("zero factor") << 5.5 << 0.0 << 5.5;
    QTest::newRow("infinite factor") << 5.5 << std::numeric_limits<double>::infinity() << 5.5;
}

void tst_ColonySettings::truncateToStep()
{
    QFETCH(double, value);
    QFETCH(double, factor);
    QFETCH(double, expected);
    QCOMPARE(ColonySettings::truncateToStep(value, factor), expected);
}

void tst_ColonySettings::pickOrder_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<bool>("reverse");
    QTest::addColumn<int>("code");
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<QList<int>>("rank");

    // Two rows, three columns:  0 1 2 / 3 4 5
    QTest::newRow("0 top left rows") << 2 << 3 << false << 0 << ints({0, 1, 2, 3, 4, 5}) << ints({1, 2, 3, 4, 5, 6});
    QTest::newRow("1 top left columns") << 2 << 3 << false << 1 << ints({0, 3, 1, 4, 2, 5}) << ints({1, 3, 5, 2, 4, 6});
    QTest::newRow("2 top right rows") << 2 << 3 << false << 2 << ints({2, 1, 0, 5, 4, 3}) << ints({3, 2, 1, 6, 5, 4});
    QTest::newRow("3 top right columns") << 2 << 3 << false << 3 << ints({2, 5, 1, 4, 0, 3}) << ints({5, 3, 1, 6, 4, 2});
    QTest::newRow("4 bottom left rows") << 2 << 3 << false << 4 << ints({3, 4, 5, 0, 1, 2}) << ints({4, 5, 6, 1, 2, 3});
    QTest::newRow("5 bottom left columns") << 2 << 3 << false << 5 << ints({3, 0, 4, 1, 5, 2}) << ints({2, 4, 6, 1, 3, 5});
    QTest::newRow("6 bottom right rows") << 2 << 3 << false << 6 << ints({5, 4, 3, 2, 1, 0}) << ints({6, 5, 4, 3, 2, 1});
    QTest::newRow("7 bottom right columns") << 2 << 3 << false << 7 << ints({5, 2, 4, 1, 3, 0}) << ints({6, 4, 2, 5, 3, 1});
    QTest::newRow("0 reversed") << 2 << 3 << true << 0 << ints({5, 4, 3, 2, 1, 0}) << ints({6, 5, 4, 3, 2, 1});
    QTest::newRow("1 reversed") << 2 << 3 << true << 1 << ints({5, 2, 4, 1, 3, 0}) << ints({6, 4, 2, 5, 3, 1});
    QTest::newRow("three rows one column, 3") << 3 << 1 << false << 3 << ints({0, 1, 2}) << ints({1, 2, 3});
    for (int code = 0; code < 8; ++code)
        QTest::addRow("one container, %d", code) << 1 << 1 << false << code << ints({0}) << ints({1});
    QTest::newRow("code 8") << 2 << 3 << false << 8 << QList<int>() << ints({0, 0, 0, 0, 0, 0});
    QTest::newRow("negative code") << 2 << 3 << true << -1 << QList<int>() << ints({0, 0, 0, 0, 0, 0});
    QTest::newRow("no rows") << 0 << 3 << false << 0 << QList<int>() << QList<int>();
    QTest::newRow("no columns") << 2 << 0 << false << 0 << QList<int>() << QList<int>();
    QTest::newRow("negative rows") << -2 << 3 << false << 0 << QList<int>() << QList<int>();
    // A damaged record must not overflow the container count or allocate without bound.
    QTest::newRow("count beyond int") << 100000 << 100000 << false << 0 << QList<int>() << QList<int>();
}

void tst_ColonySettings::pickOrder()
{
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(bool, reverse);
    QFETCH(int, code);
    QFETCH(QList<int>, order);
    QFETCH(QList<int>, rank);

    QList<int> gotOrder = {99, 98};
    QList<int> gotRank = {97};
    ColonySettings::computePickOrder(rows, columns, reverse, code, &gotOrder, &gotRank);
    QCOMPARE(gotOrder, order);
    QCOMPARE(gotRank, rank);
}

void tst_ColonySettings::pickOrderSingleLists()
{
    QList<int> rank = {42};
    ColonySettings::computePickOrder(2, 3, false, 1, nullptr, &rank);
    QCOMPARE(rank, ints({1, 3, 5, 2, 4, 6}));

    QList<int> order = {42};
    ColonySettings::computePickOrder(2, 3, true, 1, &order, nullptr);
    QCOMPARE(order, ints({5, 2, 4, 1, 3, 0}));

    ColonySettings::computePickOrder(2, 3, false, 0, nullptr, nullptr); // nothing to fill
}

void tst_ColonySettings::roundTripEveryField()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const ColonySettingsData source = everyFieldChanged();

    ColonySettings writer;
    writer.data() = source;
    QVERIFY(writer.saveToFile(dir.filePath(QStringLiteral("Everything"))));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Everything.ColonySettings"))));

    ColonySettings reader;
    QString reason;
    QVERIFY2(reader.loadFromFile(dir.filePath(QStringLiteral("Everything")), &reason), qPrintable(reason));
    QVERIFY(reason.isEmpty());
    QVERIFY(reader.data() == source);
    QCOMPARE(reader.fileVersion(), 2.1);

    // The text form stored with a rack is the same format.
    ColonySettings fromText;
    QVERIFY(fromText.fromXmlString(writer.toXmlString()));
    QVERIFY(fromText.data() == source);
    QCOMPARE(fromText.toXmlString(), writer.toXmlString());
}

void tst_ColonySettings::fileLayout()
{
    XML_Settings::setClockFunction(&fixedClock);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ColonySettings settings;
    QVERIFY(settings.saveToFile(dir.filePath(QStringLiteral("Plate"))));
    QFile file(dir.filePath(QStringLiteral("Plate.ColonySettings")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.endsWith(QStringLiteral("</ColonySettings>\n")));
    QVERIFY(!text.contains(QStringLiteral("Unit=")));

    const QStringList lines = text.split(QLatin1Char('\n'));
    const QStringList head = {
        QStringLiteral("<?xml version='1.0' encoding='UTF-8' ?>"),
        QStringLiteral("<ColonySettings Application=\"zelvorin\" ApplicationVersion=\"1.1.0\" ConfigVersion=\"2.1\" ModifyDate=\"2024-01-15T09:00:00\">"),
        QStringLiteral(" <Name>"),
        QStringLiteral("  <Name>Plate</Name>"),
        QStringLiteral(" </Name>"),
        QStringLiteral(" <ReferencePoints>"),
        QStringLiteral("  <DistanceX>90</DistanceX>"),
        QStringLiteral("  <DistanceY>92</DistanceY>"),
        QStringLiteral("  <FixedPosition>false</FixedPosition>"),
        QStringLiteral("  <SearchPosition>"),
        QStringLiteral("   <X>11</X>"),
        QStringLiteral("   <Y>1</Y>"),
        QStringLiteral("  </SearchPosition>")};
    QCOMPARE(lines.mid(0, head.size()), head);
    QVERIFY(text.contains(QStringLiteral("<DistanceCameraToRefPointPlane>239.8</DistanceCameraToRefPointPlane>")));

    // Element order of every group, as other programs read these files positionally.
    QDomDocument document;
    QVERIFY(bool(document.setContent(text)));
    const auto children = [](const QDomElement& parent) {
        QStringList tags;
        for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            tags << e.tagName();
        return tags;
    };
    const QDomElement root = document.documentElement();
    QCOMPARE(children(root), QStringList({"Name", "ReferencePoints", "Labware", "Colony", "ColonyColor"}));
    QCOMPARE(children(root.firstChildElement("ReferencePoints")),
             QStringList({"DistanceX", "DistanceY", "FixedPosition", "SearchPosition", "SearchPosition",
                          "SearchPosition", "SearchPosition", "SearchPositionWidth", "SearchPositionHeight",
                          "RefPointTopLeftX", "RefPointTopLeftY", "RefPointTopRightX", "RefPointTopRightY",
                          "RefPointBottomLeftX", "RefPointBottomLeftY", "DistanceCameraToRefPointPlane",
                          "DistanceRefPointPlaneToAgarPlane", "RefPointRadius", "RefPointPointMinimumScore",
                          "RefPointPointMinimumContrast", "RefPointPointScaleRange"}));
    QCOMPARE(children(root.firstChildElement("Labware")),
             QStringList({"PositionDirection", "RoundArea", "Angle", "PositionX", "PositionY", "SizeX", "SizeY",
                          "GapX", "GapY", "SectionsX", "SectionsY", "PickingOrder"}));
    QStringList colony = {"PreprocessingMedianEnabled", "PreprocessingMedianMode", "PreprocessingMeanEnabled",
                          "PreprocessingMeanMode", "WhiteOnBlack", "AnalysisMode", "AnalysisDynThreshold",
                          "AnalysisStandard", "FastCalculation", "AreaMin", "AreaMax", "AreaWeight",
                          "CircularityMin", "CircularityMaxNorm", "CircularityWeight", "NeighborDistanceMin",
                          "NeighborDistanceMaxNorm", "NeighborDistanceWeight", "MarginDistanceMin",
                          "MarginDistanceMaxNorm", "MarginDistanceWeight", "ThresholdColorRedWeight",
                          "ThresholdColorGreenWeight", "ThresholdColorBlueWeight"};
    for (const char* c : {"Red", "Green", "Blue"})
        for (const char* key : {"Inverse", "Max", "MinNorm", "MaxNorm", "Min"})
            colony << QStringLiteral("ThresholdColor%1%2").arg(QLatin1String(c), QLatin1String(key));
    const QDomElement colonyGroup = root.firstChildElement("Colony");
    QCOMPARE(children(colonyGroup), colony);
    QCOMPARE(children(colonyGroup.firstChildElement("AnalysisDynThreshold")), QStringList({"Offset", "MaxColonyDiameter"}));
    QCOMPARE(children(colonyGroup.firstChildElement("AnalysisStandard")),
             QStringList({"GrayMargin", "GrayCenter", "GrayPercentOver", "GrayPercentUnder"}));
    const QDomElement colourGroup = root.firstChildElement("ColonyColor");
    QCOMPARE(children(colourGroup), QStringList({"ColorModel", "ColorHsv"}));
    const QDomElement hsv = colourGroup.firstChildElement("ColorHsv");
    QCOMPARE(children(hsv), QStringList({"Filter", "Color"}));
    QCOMPARE(children(hsv.firstChildElement("Filter")), QStringList({"MedianUsed", "MedianMode", "MeanUsed", "MeanMode"}));
    QCOMPARE(children(hsv.firstChildElement("Color")),
             QStringList({"MeasureAlgorithm", "StartHue", "StartHuePercent", "StartSaturation",
                          "StartSaturationPercent", "StartIntensity", "StartIntensityPercent", "EndHue",
                          "EndHuePercent", "EndSaturation", "EndSaturationPercent", "EndIntensity",
                          "EndIntensityPercent", "HueUsed", "SaturationUsed", "IntensityUsed", "RangeGoods",
                          "CombinedAreaPercent"}));
}

void tst_ColonySettings::saveNamesRecordAfterFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ColonySettings settings;
    settings.name = QStringLiteral("Before");
    QVERIFY(settings.saveToFile(dir.filePath(QStringLiteral("A"))));
    QCOMPARE(settings.name, QStringLiteral("A"));

    const QString path = dir.filePath(QStringLiteral("A.ColonySettings"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    file.close();
    QVERIFY(text.contains(QStringLiteral("<Name>A</Name>")));

    // Loading takes the name stored in the document, not the file's name.
    QVERIFY(writeFile(path, replaced(text, QStringLiteral("<Name>A</Name>"), QStringLiteral("<Name>Stored</Name>"))));
    ColonySettings reader;
    QVERIFY(reader.loadFromFile(path));
    QCOMPARE(reader.name, QStringLiteral("Stored"));
}

void tst_ColonySettings::failedSaveKeepsFileAndName()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ColonySettings settings;
    QVERIFY(settings.saveToFile(dir.filePath(QStringLiteral("Kept"))));
    const QString path = dir.filePath(QStringLiteral("Kept.ColonySettings"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    settings.data() = everyFieldChanged();
    settings.name = QStringLiteral("Unsaved");
    XML_Settings::setWriteFunction([](QIODevice&, const QByteArray&) -> qint64 { return -1; });
    QVERIFY(!settings.saveToFile(path));
    XML_Settings::setWriteFunction(nullptr);
    QCOMPARE(settings.name, QStringLiteral("Unsaved"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    file.close();

    QVERIFY(!settings.saveToFile(dir.filePath(QStringLiteral("no such folder/X"))));
    QCOMPARE(settings.name, QStringLiteral("Unsaved"));
}

void tst_ColonySettings::loadAccepted_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<ColonySettingsData>("expected");
    QTest::addColumn<double>("version");

    ColonySettingsData standard;
    standard.name = QStringLiteral("Damaged");
    const QString doc = standardDocument();
    const QString versionAttribute = QStringLiteral("ConfigVersion=\"2.1\"");

    QTest::newRow("version 2.0") << replaced(doc, versionAttribute, "ConfigVersion=\"2.0\"") << standard << 2.0;
    QTest::newRow("version 1.0") << replaced(doc, versionAttribute, "ConfigVersion=\"1.0\"") << standard << 1.0;
    QTest::newRow("version not a number") << replaced(doc, versionAttribute, "ConfigVersion=\"beta\"") << standard << 0.0;
    QTest::newRow("version missing") << replaced(doc, versionAttribute, QString()) << standard << 2.1;
    QTest::newRow("other root tag") << replaced(replaced(doc, "<ColonySettings ", "<OldColonySettings "),
                                                "</ColonySettings>", "</OldColonySettings>")
                                    << standard << 2.1;

    ColonySettingsData d = standard;
    d.ReferencePoints.SearchPosition[3] = {0.0, 0.0};
    const QString lastSearchPosition = QStringLiteral("  <SearchPosition>\n   <X>71</X>\n   <Y>63</Y>\n  </SearchPosition>\n");
    QTest::newRow("three search positions") << replaced(doc, lastSearchPosition, QString()) << d << 2.1;

    d = standard;
    d.ReferencePoints.SearchPosition[1].Y = 0.0;
    QTest::newRow("search position value missing")
        << replaced(doc, "   <X>71</X>\n   <Y>1</Y>\n", "   <X>71</X>\n") << d << 2.1;

    // Missing groups and values keep the standard defaults, whatever the record held before.
    const ColonySettingsData every = everyFieldChanged();
    const QString everyDoc = documentOf(every);
    d = every;
    d.ReferencePoints = ColonySettingsData::ReferencePointsData();
    QTest::newRow("reference points group missing") << withoutElement(everyDoc, "ReferencePoints") << d << 2.1;
    d = every;
    d.Colony.AreaWeight = 0.3;
    QTest::newRow("value missing") << withoutElement(everyDoc, "AreaWeight") << d << 2.1;
    d = every;
    d.Colony = ColonySettingsData::ColonyData();
    QTest::newRow("colony group missing") << withoutElement(everyDoc, "Colony") << d << 2.1;
    d = every;
    d.ColonyColor = ColonySettingsData::ColonyColorData();
    d.ColorModel = 0;
    QTest::newRow("colour group missing") << withoutElement(everyDoc, "ColonyColor") << d << 2.1;
    d = every;
    d.ColonyColor = ColonySettingsData::ColonyColorData();
    QTest::newRow("hsv group missing") << withoutElement(everyDoc, "ColorHsv") << d << 2.1;

    d = standard;
    d.Colony.CircularityWeight = 0.6;
    QTest::newRow("older circularity key wins")
        << replaced(doc, "<CircularityWeight>0.2</CircularityWeight>",
                    "<CircularityWeight>0.1</CircularityWeight><CircualrityWeight>0.6</CircualrityWeight>")
        << d << 2.1;
    d = standard;
    d.Colony.CircularityWeight = 0.1;
    QTest::newRow("current circularity key")
        << replaced(doc, "<CircularityWeight>0.2</CircularityWeight>", "<CircularityWeight>0.1</CircularityWeight>")
        << d << 2.1;

    d = standard;
    d.ColorModel = 1;
    QTest::newRow("threshold colour switch")
        << replaced(withoutElement(doc, "ColonyColor"), "<FastCalculation>",
                    "<ThresholdColorEnabled>true</ThresholdColorEnabled><FastCalculation>")
        << d << 2.1;
    d = standard;
    d.ColorModel = 2;
    QTest::newRow("colour model overrides switch")
        << replaced(replaced(doc, "<FastCalculation>", "<ThresholdColorEnabled>true</ThresholdColorEnabled><FastCalculation>"),
                    "<ColorModel>0</ColorModel>", "<ColorModel>2</ColorModel>")
        << d << 2.1;

    d = standard;
    d.Labware.RoundArea = true;
    QTest::newRow("bool in capitals") << replaced(doc, "<RoundArea>false</RoundArea>", "<RoundArea>TRUE</RoundArea>")
                                      << d << 2.1;
}

void tst_ColonySettings::loadAccepted()
{
    QFETCH(QString, text);
    QFETCH(ColonySettingsData, expected);
    QFETCH(double, version);

    ColonySettings settings;
    settings.data() = everyFieldChanged();
    QString reason;
    QVERIFY2(settings.fromXmlString(text, &reason), qPrintable(reason));
    QVERIFY(settings.data() == expected);
    QCOMPARE(settings.fileVersion(), version);
}

void tst_ColonySettings::loadReplacesWholeRecordAndNotifiesOnce()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ColonySettings writer;
    writer.setDefaultsLightTable();
    QVERIFY(writer.saveToFile(dir.filePath(QStringLiteral("Light"))));

    ColonySettings settings;
    settings.data() = everyFieldChanged();
    QSignalSpy spy(&settings, &ColonySettings::signal_changed);
    QVERIFY(spy.wait(5000)); // the constructor's notice
    spy.clear();

    QVERIFY(settings.loadFromFile(dir.filePath(QStringLiteral("Light"))));
    ColonySettingsData expected = ColonySettingsData::lightTableDefaults();
    expected.name = QStringLiteral("Light");
    QVERIFY(settings.data() == expected);
    QCOMPARE(spy.count(), 0);
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.count(), 1);
}

void tst_ColonySettings::damagedDocument_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");

    const QString doc = standardDocument();
    const QString notDocument = QStringLiteral("The text is not a colony settings document.");
    const auto unreadable = [](const char* path) {
        return QStringLiteral("The value \"%1\" is not readable.").arg(QLatin1String(path));
    };

    QTest::newRow("empty") << QString() << notDocument;
    QTest::newRow("not XML") << QStringLiteral("DistanceX = 90\nDistanceY = 92\n") << notDocument;
    QTest::newRow("truncated") << doc.left(doc.size() / 2) << notDocument;
    QTest::newRow("unclosed element") << replaced(doc, "</Labware>", QString()) << notDocument;
    QTest::newRow("name element missing")
        << replaced(doc, " <Name>\n  <Name>Damaged</Name>\n </Name>\n", QString()) << notDocument;
    QTest::newRow("wrong root: other settings kind")
        << QStringLiteral("<?xml version='1.0' encoding='UTF-8' ?>\n<AppSettings Application=\"zelvorin\" "
                          "ConfigVersion=\"1.0\">\n <Name>\n  <Name>default</Name>\n </Name>\n"
                          " <Database>\n  <Type>2</Type>\n </Database>\n</AppSettings>\n")
        << "The group \"Labware\" is missing.";
    QTest::newRow("labware group missing") << withoutElement(doc, "Labware") << "The group \"Labware\" is missing.";
    QTest::newRow("newer version")
        << replaced(doc, "ConfigVersion=\"2.1\"", "ConfigVersion=\"2.2\"")
        << "The configuration version 2.2 is newer than 2.1.";

    QTest::newRow("no columns") << replaced(doc, "<SectionsX>1</SectionsX>", "<SectionsX>0</SectionsX>")
                                << "Labware \"Sections X\" must be at least 1!";
    QTest::newRow("negative rows") << replaced(doc, "<SectionsY>1</SectionsY>", "<SectionsY>-4</SectionsY>")
                                   << "Labware \"Sections Y\" must be at least 1!";
    QTest::newRow("more rows than letters") << replaced(doc, "<SectionsY>1</SectionsY>", "<SectionsY>27</SectionsY>")
                                            << "Labware \"Sections Y\" must not be larger than 26!";
    QTest::newRow("distance x zero") << replaced(doc, "<DistanceX>90</DistanceX>", "<DistanceX>0</DistanceX>")
                                     << "Reference points \"Distance X\" must be larger than zero!";
    QTest::newRow("distance y negative") << replaced(doc, "<DistanceY>92</DistanceY>", "<DistanceY>-92</DistanceY>")
                                         << "Reference points \"Distance Y\" must be larger than zero!";
    QTest::newRow("area minimum above maximum") << replaced(doc, "<AreaMin>1</AreaMin>", "<AreaMin>9</AreaMin>")
                                                << "Area \"Maximum\" must be larger than \"Minimum\"!";
    QString noWeights = doc;
    for (const char* key : {"AreaWeight", "CircularityWeight", "NeighborDistanceWeight", "MarginDistanceWeight"})
        noWeights.replace(QRegularExpression(QStringLiteral("<%1>[^<]*</%1>").arg(QLatin1String(key))),
                          QStringLiteral("<%1>0</%1>").arg(QLatin1String(key)));
    QTest::newRow("all weights zero") << noWeights << "At least one weight must be larger than zero!";

    QTest::newRow("distance not a number") << replaced(doc, "<DistanceX>90</DistanceX>", "<DistanceX>ninety</DistanceX>")
                                           << unreadable("ReferencePoints/DistanceX");
    QTest::newRow("distance with unit") << replaced(doc, "<DistanceX>90</DistanceX>", "<DistanceX>90 mm</DistanceX>")
                                        << unreadable("ReferencePoints/DistanceX");
    QTest::newRow("decimal comma") << replaced(doc, "<AreaMax>5</AreaMax>", "<AreaMax>5,5</AreaMax>")
                                   << unreadable("Colony/AreaMax");
    QTest::newRow("not a number value") << replaced(doc, "<SizeX>80.6</SizeX>", "<SizeX>nan</SizeX>")
                                        << unreadable("Labware/SizeX");
    QTest::newRow("infinite value") << replaced(doc, "<GrayCenter>0.45</GrayCenter>", "<GrayCenter>inf</GrayCenter>")
                                    << unreadable("Colony/AnalysisStandard/GrayCenter");
    QTest::newRow("fractional count") << replaced(doc, "<SectionsX>1</SectionsX>", "<SectionsX>1.5</SectionsX>")
                                      << unreadable("Labware/SectionsX");
    QTest::newRow("count beyond 32 bits") << replaced(doc, "<SectionsX>1</SectionsX>", "<SectionsX>4294967297</SectionsX>")
                                          << unreadable("Labware/SectionsX");
    QTest::newRow("empty value") << replaced(doc, "<PickingOrder>0</PickingOrder>", "<PickingOrder></PickingOrder>")
                                 << unreadable("Labware/PickingOrder");
    QTest::newRow("bool not a bool") << replaced(doc, "<RoundArea>false</RoundArea>", "<RoundArea>yes</RoundArea>")
                                     << unreadable("Labware/RoundArea");
    QTest::newRow("search position not a number") << replaced(doc, "<X>11</X>", "<X>eleven</X>")
                                                  << unreadable("ReferencePoints/SearchPosition/X");
    QTest::newRow("colour value not a number")
        << replaced(doc, "<CombinedAreaPercent>50</CombinedAreaPercent>", "<CombinedAreaPercent>half</CombinedAreaPercent>")
        << unreadable("ColonyColor/ColorHsv/Color/CombinedAreaPercent");
}

void tst_ColonySettings::damagedDocument()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Damaged.ColonySettings"));
    QVERIFY(writeFile(path, text));

    ColonySettings settings;
    settings.setChangedBlocked(true); // drop the constructor's notice
    settings.setChangedBlocked(false);
    settings.data() = everyFieldChanged();
    settings.name = QStringLiteral("Live");
    const ColonySettingsData before = settings.data();

    QString why;
    QVERIFY(!settings.fromXmlString(text, &why));
    QCOMPARE(why, reason);
    QVERIFY(settings.data() == before);
    QCOMPARE(settings.fileVersion(), 2.1);
    QVERIFY(!pendingNotification(settings)->isActive());

    why.clear();
    QVERIFY(!settings.loadFromFile(path, &why));
    QCOMPARE(why, reason);
    QVERIFY(settings.data() == before);
    QCOMPARE(settings.name, QStringLiteral("Live"));
    QVERIFY(!pendingNotification(settings)->isActive());

    // The record still writes what it held before.
    ColonySettings copy;
    QVERIFY(copy.fromXmlString(settings.toXmlString()));
    QVERIFY(copy.data() == before);
}

void tst_ColonySettings::missingFileChangesNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ColonySettings settings;
    settings.data() = everyFieldChanged();
    const ColonySettingsData before = settings.data();
    QString why;
    QVERIFY(!settings.loadFromFile(dir.filePath(QStringLiteral("absent")), &why));
    QCOMPARE(why, QStringLiteral("The file \"%1\" cannot be read.").arg(dir.filePath(QStringLiteral("absent.ColonySettings"))));
    QVERIFY(settings.data() == before);
}

void tst_ColonySettings::shippedFiles_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<ColonySettingsData>("expected");

    ColonySettingsData standard;
    standard.name = QStringLiteral("default");
    QTest::newRow("default") << ColonySettings::defaultFilePath() << standard;
    // The demo settings fit the scenes of the demo pictures: tests/shell/tst_DemoFiles.
}

void tst_ColonySettings::shippedFiles()
{
    QFETCH(QString, relativePath);
    QFETCH(ColonySettingsData, expected);
    const QString source = TestFixtures::sourceDir();
    if (source.isEmpty())
        QSKIP("ZELVORIN_SOURCE_DIR is not set");
    const QString path = QDir(source).filePath(relativePath);

    // The shipped files are generated here, so that their format is the record's own.
    if (qEnvironmentVariableIsSet("ZELVORIN_REGENERATE_SETTINGS")) {
        XML_Settings::setClockFunction(&fixedClock);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        ColonySettings writer;
        writer.data() = expected;
        QVERIFY(writer.saveToFile(path));
    }

    ColonySettings settings;
    QString reason;
    QVERIFY2(settings.loadFromFile(path, &reason), qPrintable(path + QStringLiteral(": ") + reason));
    QVERIFY(settings.data() == expected);
    QVERIFY2(ColonySettings::validate(settings.data(), reason), qPrintable(reason));

    QList<int> rank;
    ColonySettings::computePickOrder(settings.Labware.SectionsY, settings.Labware.SectionsX,
                                     settings.Labware.PositionDirection == ColonySettingsData::RightToLeft,
                                     settings.Labware.PickingOrder, nullptr, &rank);
    QCOMPARE(rank.size(), settings.Labware.SectionsX * settings.Labware.SectionsY);
    QVERIFY(!rank.contains(0));
}

void tst_ColonySettings::customSignal()
{
    ColonySettings settings;
    QSignalSpy spy(&settings, &ColonySettings::signal_custom);
    settings.emitCustom(ColonySettings::CustomSignal_PageEntered, 3);
    emit settings.signal_custom(ColonySettings::Enum_CustomSignal(21), false);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).value<ColonySettings::Enum_CustomSignal>(), ColonySettings::CustomSignal_PageEntered);
    QCOMPARE(spy.at(0).at(1).toInt(), 3);
    QCOMPARE(int(spy.at(1).at(0).value<ColonySettings::Enum_CustomSignal>()), 21);
}

// Seeded damage of the shipped default file: each copy is refused without a trace or read
// within the bounds of every reader, and what it read comes back exactly after a save.
void tst_ColonySettings::mutatedFiles()
{
    SettingsFileMutations::Access<ColonySettings> access;
    access.make = [] {
        auto record = std::make_unique<ColonySettings>();
        record->data() = everyFieldChanged();
        return record;
    };
    access.load = [](ColonySettings& record, const QString& path) { return record.loadFromFile(path); };
    access.save = [](ColonySettings& record, const QString& path) { return record.saveToFile(path); };
    access.text = [](ColonySettings& record) { return record.toXmlString(); };
    access.equal = [](const ColonySettings& a, const ColonySettings& b) { return a.data() == b.data(); };
    ColonySettings shipped;
    QString reason;
    QVERIFY2(shipped.loadFromFile(TestFixtures::sourceDir() + QStringLiteral("/settings/Colony/default"), &reason),
             qPrintable(reason));
    const QString fileName = QStringLiteral("Damaged") + ColonySettings::fileExtension();
    const QByteArray valid = SettingsFileMutations::validFile(shipped, access, fileName);
    QVERIFY(!valid.isEmpty());
    const QString fault = SettingsFileMutations::run(valid, fileName, access);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QTEST_GUILESS_MAIN(tst_ColonySettings)
#include "tst_ColonySettings.moc"
