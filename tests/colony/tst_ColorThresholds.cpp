#include "ColonyEngineFakes.h"

#include "CalculateColorThresholdLimits.h"
#include "ColonyPropertiesAnalysis.h"
#include "ColonySettingsData.h"

#include <Halcon.h>

#include <QtTest>

#include <cmath>
#include <limits>

using namespace ColonyEngineFakes;

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 200;

// A 20 x 20 pixel colony: the filled region of this contour is rows and columns 100 to 119.
Halcon::Hobject squareColony()
{
    Halcon::Hobject contour;
    Halcon::gen_contour_polygon_xld(&contour, Halcon::HTuple(std::vector<double>{100, 100, 119, 119, 100}),
                                    Halcon::HTuple(std::vector<double>{100, 119, 119, 100, 100}));
    return contour;
}

Halcon::Hobject plain(int grey)
{
    return discPicture(kWidth, kHeight, grey, {});
}

Halcon::Hobject rectangle(int row1, int column1, int row2, int column2)
{
    Halcon::Hobject region;
    Halcon::gen_rectangle1(&region, row1, column1, row2, column2);
    return region;
}

} // namespace

class tst_ColorThresholds : public QObject {
    Q_OBJECT
private slots:
    void init();

    void limits_data();
    void limits();

    void rgbModel_data();
    void rgbModel();
    void rgbModelTakesTheDarkestPixel();

    void hsiMeasure_data();
    void hsiMeasure();
    void hsiThreshold_data();
    void hsiThreshold();
    void hsiThresholdDraws();
    void emptyColonyHasNoColourShare();

    void colourModelsInAnalysis_data();
    void colourModelsInAnalysis();
    void hsiRegionsDrawnInColonyOrder();

private:
    void setUp(const ColonySettingsData& data);

    ColonySettingsData m_data;
    FakeHalconView m_view{300.0};
    FakeColonies m_colonies;
    FakeCancellation m_cancellation;
    FakeProgress m_progress;
    FakePlateCoordinates m_coordinates;
    ColonyPropertiesAnalysis m_analysis;
};

void tst_ColorThresholds::init()
{
    m_view = FakeHalconView(300.0);
    m_colonies = FakeColonies();
    m_progress = FakeProgress();
    m_coordinates = FakePlateCoordinates();
    m_analysis.init(&m_view, &m_colonies, &m_cancellation, static_cast<IPlateCoordinates*>(&m_coordinates), nullptr,
                    &m_progress);
    setUp(ColonySettingsData());
}

void tst_ColorThresholds::setUp(const ColonySettingsData& data)
{
    m_data = data;
    m_analysis.setSettings(&m_data);
    m_analysis.setInputObjects(plain(200), Halcon::Hobject());
}

void tst_ColorThresholds::limits_data()
{
    QTest::addColumn<QString>("channel");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("end");
    QTest::addColumn<double>("startPercent");
    QTest::addColumn<double>("endPercent");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");

    QTest::newRow("hue lower limit wraps") << "hue" << 10.0 << 100.0 << 10.0 << 0.0 << 240 << 100;
    QTest::newRow("hue upper limit wraps") << "hue" << 100.0 << 250.0 << 0.0 << 5.0 << 100 << 7;
    QTest::newRow("hue inside") << "hue" << 100.0 << 150.0 << 10.0 << 10.0 << 74 << 176;
    QTest::newRow("start percent -1 opens the start") << "hue" << 100.0 << 150.0 << -1.0 << 0.0 << 0 << 150;
    QTest::newRow("start percent 101 opens the start") << "hue" << 100.0 << 150.0 << 101.0 << 0.0 << 0 << 150;
    QTest::newRow("end percent outside opens the end") << "hue" << 100.0 << 150.0 << 0.0 << 100.5 << 100 << 255;
    QTest::newRow("percent 100 is used") << "hue" << 200.0 << 150.0 << 100.0 << 0.0 << 201 << 150;
    QTest::newRow("fractions round outward") << "hue" << 100.4 << 150.2 << 0.0 << 0.0 << 100 << 151;
    QTest::newRow("saturation clamps below") << "saturation" << 5.0 << 100.0 << 10.0 << 0.0 << 0 << 100;
    QTest::newRow("saturation clamps above") << "saturation" << 5.0 << 250.0 << 0.0 << 5.0 << 5 << 255;
    QTest::newRow("saturation percent 100") << "saturation" << 200.0 << 220.0 << 100.0 << 100.0 << 0 << 255;
    QTest::newRow("intensity clamps") << "intensity" << 3.0 << 252.0 << 50.0 << 50.0 << 0 << 255;
    QTest::newRow("intensity inside") << "intensity" << 100.0 << 150.0 << 10.0 << 10.0 << 74 << 176;
    QTest::newRow("start not a number") << "intensity" << std::numeric_limits<double>::quiet_NaN() << 150.0 << 10.0
                                        << 0.0 << 0 << 150;
    QTest::newRow("percent not a number") << "hue" << 100.0 << 150.0 << std::numeric_limits<double>::quiet_NaN()
                                          << std::numeric_limits<double>::quiet_NaN() << 0 << 255;
}

void tst_ColorThresholds::limits()
{
    QFETCH(QString, channel);
    QFETCH(double, start);
    QFETCH(double, end);
    QFETCH(double, startPercent);
    QFETCH(double, endPercent);
    QFETCH(int, minimum);
    QFETCH(int, maximum);

    // The channels not under test get a range that must come out unchanged.
    double values[3][4] = {{20, 30, 0, 0}, {40, 50, 0, 0}, {60, 70, 0, 0}};
    const int tested = channel == QLatin1String("hue") ? 0 : channel == QLatin1String("saturation") ? 1 : 2;
    values[tested][0] = start;
    values[tested][1] = end;
    values[tested][2] = startPercent;
    values[tested][3] = endPercent;
    int limits[6] = {-9, -9, -9, -9, -9, -9};
    CalculateColorThresholdLimits(values[0][0], values[0][1], values[0][2], values[0][3], 255.0, values[1][0],
                                  values[1][1], values[1][2], values[1][3], 255.0, values[2][0], values[2][1],
                                  values[2][2], values[2][3], 255.0, limits[0], limits[1], limits[2], limits[3],
                                  limits[4], limits[5]);
    const int untouched[6] = {20, 30, 40, 50, 60, 70};
    for (int c = 0; c < 3; ++c) {
        if (c == tested) {
            QCOMPARE(limits[2 * c], minimum);
            QCOMPARE(limits[2 * c + 1], maximum);
        } else {
            QCOMPARE(limits[2 * c], untouched[2 * c]);
            QCOMPARE(limits[2 * c + 1], untouched[2 * c + 1]);
        }
    }
}

void tst_ColorThresholds::rgbModel_data()
{
    QTest::addColumn<bool>("inverse");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<bool>("passed");
    QTest::addColumn<double>("redScore");
    QTest::addColumn<double>("greenScore");

    // Red not inverse: Min 130, MaxNorm 255. Red inverse: MinNorm 20, Max 100.
    // Green (not inverse): Min 0, MaxNorm 255, so every value passes with score v / 255.
    QTest::newRow("red at Min passes with 0") << false << 130 << 51 << true << 0.0 << 0.2;
    QTest::newRow("red at MaxNorm scores 1") << false << 255 << 255 << true << 1.0 << 1.0;
    QTest::newRow("red half way") << false << 192 << 0 << true << 62.0 / 125.0 << 0.0;
    QTest::newRow("red below Min fails all") << false << 129 << 255 << false << 0.0 << 0.0;
    QTest::newRow("inverse, at MinNorm scores 1") << true << 20 << 51 << true << 1.0 << 0.2;
    QTest::newRow("inverse, below MinNorm scores 1") << true << 5 << 51 << true << 1.0 << 0.2;
    QTest::newRow("inverse, half way") << true << 60 << 51 << true << 0.5 << 0.2;
    QTest::newRow("inverse, at Max passes with 0") << true << 100 << 51 << true << 0.0 << 0.2;
    QTest::newRow("inverse, above Max fails all") << true << 101 << 255 << false << 0.0 << 0.0;
}

void tst_ColorThresholds::rgbModel()
{
    QFETCH(bool, inverse);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(bool, passed);
    QFETCH(double, redScore);
    QFETCH(double, greenScore);

    ColonySettingsData data;
    data.ColorModel = 1;
    data.Colony.ThresholdColorRedInverse = inverse;
    data.Colony.ThresholdColorRedMinNorm = 20.0;
    data.Colony.ThresholdColorRedMax = 100.0;
    setUp(data);
    m_analysis.setThresholdRegions(plain(red), plain(green), plain(255));

    bool isPassed = !passed;
    double values[3] = {-1, -1, -1};
    double scores[3] = {-1, -1, -1};
    QCOMPARE(m_analysis.evaluateRgbColor(squareColony(), isPassed, values[0], values[1], values[2], scores[0],
                                         scores[1], scores[2]),
             Errors::Type_Error(0));
    QCOMPARE(isPassed, passed);
    QCOMPARE(values[0], double(red));
    QCOMPARE(values[1], double(green));
    QCOMPARE(values[2], 255.0);
    QVERIFY2(std::abs(scores[0] - redScore) < 1e-12, qPrintable(QString::number(scores[0])));
    QVERIFY2(std::abs(scores[1] - greenScore) < 1e-12, qPrintable(QString::number(scores[1])));
    QCOMPARE(scores[2], passed ? 1.0 : 0.0);
}

void tst_ColorThresholds::rgbModelTakesTheDarkestPixel()
{
    ColonySettingsData data;
    data.ColorModel = 1;
    setUp(data);
    const Halcon::Hobject red = HalconTestPictures::grayImage(kWidth, kHeight, [](int row, int column) {
        return row == 110 && column == 105 ? 120 : 220;
    });
    m_analysis.setThresholdRegions(red, plain(255), plain(255));
    bool passed = true;
    double r = 0, g = 0, b = 0, rs = 0, gs = 0, bs = 0;
    QCOMPARE(m_analysis.evaluateRgbColor(squareColony(), passed, r, g, b, rs, gs, bs), Errors::Type_Error(0));
    QCOMPARE(r, 120.0);
    QVERIFY(!passed);
}

void tst_ColorThresholds::hsiMeasure_data()
{
    QTest::addColumn<int>("algorithm");
    QTest::addColumn<int>("hueA"); // 60 % of the colony
    QTest::addColumn<int>("hueB"); // 40 %
    QTest::addColumn<double>("hue");
    QTest::addColumn<bool>("wraps");

    QTest::newRow("1 mean") << 1 << 30 << 240 << 0.6 * 30 + 0.4 * 240 << false;
    QTest::newRow("1 median when the hue wraps") << 1 << 10 << 240 << 10.0 << true;
    QTest::newRow("2 middle of 45 % percentiles") << 2 << 30 << 240 << 30.0 << false;
    QTest::newRow("2, wrapping changes nothing") << 2 << 10 << 240 << 10.0 << true;
    QTest::newRow("3 maximum") << 3 << 30 << 240 << 240.0 << false;
    QTest::newRow("4 minimum") << 4 << 30 << 240 << 30.0 << false;
    QTest::newRow("no wrap at 25") << 1 << 25 << 240 << 0.6 * 25 + 0.4 * 240 << false;
    QTest::newRow("no wrap at 230") << 1 << 10 << 230 << 0.6 * 10 + 0.4 * 230 << false;
}

void tst_ColorThresholds::hsiMeasure()
{
    QFETCH(int, algorithm);
    QFETCH(int, hueA);
    QFETCH(int, hueB);
    QFETCH(double, hue);
    QFETCH(bool, wraps);

    ColonySettingsData data;
    data.ColorModel = 2;
    data.ColonyColor.MeasureAlgorithm = algorithm;
    setUp(data);
    const Halcon::Hobject huePicture = HalconTestPictures::grayImage(
        kWidth, kHeight, [&](int, int column) { return column < 112 ? hueA : hueB; });
    const Halcon::Hobject everything = rectangle(0, 0, kHeight - 1, kWidth - 1);
    m_analysis.setThresholdImages(plain(11), plain(22), plain(33), huePicture, plain(77), plain(88), everything,
                                  everything, everything);

    double values[6] = {-1, -1, -1, -1, -1, -1};
    bool hueWraps = !wraps;
    QCOMPARE(m_analysis.measureHsiColor(squareColony(), values[0], values[1], values[2], values[3], values[4],
                                        values[5], hueWraps),
             Errors::Type_Error(0));
    QCOMPARE(hueWraps, wraps);
    QVERIFY2(std::abs(values[0] - hue) < 1e-9, qPrintable(QString::number(values[0])));
    const double others[5] = {77, 88, 11, 22, 33};
    for (int k = 0; k < 5; ++k)
        QCOMPARE(values[k + 1], others[k]);

    data.ColonyColor.MeasureAlgorithm = 5;
    setUp(data);
    m_analysis.setThresholdImages(plain(11), plain(22), plain(33), huePicture, plain(77), plain(88), everything,
                                  everything, everything);
    QCOMPARE(m_analysis.measureHsiColor(squareColony(), values[0], values[1], values[2], values[3], values[4],
                                        values[5], hueWraps),
             Errors::Type_Error(3));
}

void tst_ColorThresholds::hsiThreshold_data()
{
    QTest::addColumn<bool>("hueUsed");
    QTest::addColumn<bool>("saturationUsed");
    QTest::addColumn<bool>("intensityUsed");
    QTest::addColumn<bool>("rangeGoods");
    QTest::addColumn<double>("combinedPercent");
    QTest::addColumn<double>("areaPercent");
    QTest::addColumn<bool>("passed");

    // Of the 400 colony pixels the hue range holds 80 %, the saturation range 50 % (40 % of
    // the colony lies in both), the intensity range all.
    QTest::newRow("hue, 80 % in range") << true << false << false << true << 50.0 << 80.0 << true;
    QTest::newRow("hue, range is the bad one") << true << false << false << false << 50.0 << 80.0 << false;
    QTest::newRow("hue and saturation, 40 %") << true << true << false << true << 50.0 << 40.0 << false;
    QTest::newRow("limit is inclusive") << true << true << false << true << 40.0 << 40.0 << true;
    QTest::newRow("saturation and intensity") << false << true << true << true << 50.0 << 50.0 << true;
    QTest::newRow("intensity, 100 %") << false << false << true << true << 100.0 << 100.0 << true;
    QTest::newRow("none used, 0 %") << false << false << false << true << 0.1 << 0.0 << false;
    QTest::newRow("none used, bad range") << false << false << false << false << 50.0 << 0.0 << true;
}

void tst_ColorThresholds::hsiThreshold()
{
    QFETCH(bool, hueUsed);
    QFETCH(bool, saturationUsed);
    QFETCH(bool, intensityUsed);
    QFETCH(bool, rangeGoods);
    QFETCH(double, combinedPercent);
    QFETCH(double, areaPercent);
    QFETCH(bool, passed);

    ColonySettingsData data;
    data.ColorModel = 2;
    data.ColonyColor.HueUsed = hueUsed;
    data.ColonyColor.SaturationUsed = saturationUsed;
    data.ColonyColor.IntensityUsed = intensityUsed;
    data.ColonyColor.RangeGoods = rangeGoods;
    data.ColonyColor.CombinedAreaPercent = combinedPercent;
    setUp(data);
    m_analysis.setThresholdImages(plain(11), plain(22), plain(33), plain(44), plain(55), plain(66),
                                  rectangle(0, 0, kHeight - 1, 115), rectangle(0, 0, 109, kWidth - 1),
                                  rectangle(0, 0, kHeight - 1, kWidth - 1));

    bool isPassed = !passed;
    double values[7] = {-1, -1, -1, -1, -1, -1, -1};
    Errors::Type_Error errorCode = -1;
    QCOMPARE(m_analysis.thresholdColony(squareColony(), isPassed, values[0], values[1], values[2], values[3],
                                        values[4], values[5], values[6], errorCode),
             Errors::Type_Error(0));
    QCOMPARE(values[6], areaPercent);
    QCOMPARE(isPassed, passed);
    QCOMPARE(errorCode, Errors::Type_Error(0));
    // Default MeasureAlgorithm 2 on uniform pictures.
    const double expected[6] = {44, 55, 66, 11, 22, 33};
    for (int k = 0; k < 6; ++k)
        QCOMPARE(values[k], expected[k]);
}

void tst_ColorThresholds::hsiThresholdDraws()
{
    ColonySettingsData data;
    data.ColorModel = 2;
    data.ColonyColor.SaturationUsed = true;
    setUp(data);
    m_analysis.setThresholdImages(plain(11), plain(22), plain(33), plain(44), plain(55), plain(66),
                                  rectangle(0, 0, kHeight - 1, 115), rectangle(0, 0, 109, kWidth - 1),
                                  rectangle(0, 0, kHeight - 1, kWidth - 1));
    bool passed = false;
    double v[7];
    Errors::Type_Error errorCode = 0;
    QCOMPARE(m_analysis.thresholdColony(squareColony(), passed, v[0], v[1], v[2], v[3], v[4], v[5], v[6], errorCode),
             Errors::Type_Error(0));

    struct Expected {
        const char* name;
        const char* color;
        Halcon::Hlong area;
    };
    const Expected expected[] = {{"HalconObject_Colonies_Threshold_Hue.0.", "yellow", 320},
                                 {"HalconObject_Colonies_Threshold_Saturation.0.", "blue", 200},
                                 {"HalconObject_Colonies_Threshold_Intensity.0.", "cadet blue", 400},
                                 {"HalconObject_Colonies_Threshold_Combined.0.", "dark green", 160}};
    QCOMPARE(int(m_view.added.size()), 4);
    for (int i = 0; i < 4; ++i) {
        const FakeHalconView::Added& a = m_view.added[size_t(i)];
        QCOMPARE(a.name, QString::fromLatin1(expected[i].name));
        QCOMPARE(a.color, QString::fromLatin1(expected[i].color));
        QCOMPARE(a.mode, QStringLiteral("fill"));
        QCOMPARE(a.width, 1);
        QVERIFY(!a.selectable);
        Halcon::HTuple area, row, column;
        QCOMPARE(Halcon::area_center(a.object, &area, &row, &column), Halcon::kSuccess);
        QCOMPARE(area.L(), expected[i].area);
    }
    QCOMPARE(m_view.updates, 1);
}

void tst_ColorThresholds::emptyColonyHasNoColourShare()
{
    ColonySettingsData data;
    data.ColorModel = 2;
    setUp(data);
    const Halcon::Hobject everything = rectangle(0, 0, kHeight - 1, kWidth - 1);
    m_analysis.setThresholdImages(plain(11), plain(22), plain(33), plain(44), plain(55), plain(66), everything,
                                  everything, everything);
    // A colony region without pixels (the layer fills every contour with at least one pixel,
    // so it is handed in as a region).
    Halcon::Hobject empty;
    QCOMPARE(Halcon::intersection(rectangle(0, 0, 5, 5), rectangle(10, 10, 15, 15), &empty), Halcon::kSuccess);
    QCOMPARE(empty.CountObj(), Halcon::Hlong(1));
    for (bool rangeGoods : {true, false}) {
        data.ColonyColor.RangeGoods = rangeGoods;
        m_data = data;
        bool passed = rangeGoods;
        double v[7] = {-1, -1, -1, -1, -1, -1, -1};
        Errors::Type_Error errorCode = -1;
        QCOMPARE(m_analysis.thresholdColonyRegion(empty, passed, v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                                  errorCode),
                 Errors::Type_Error(0));
        QCOMPARE(v[6], 0.0);
        for (double value : v)
            QVERIFY(std::isfinite(value));
        // Not in range: only a bad range lets it pass.
        QCOMPARE(passed, !rangeGoods);
    }

    // Without a contour there is no colony to judge: an error, with every output preset.
    bool passed = true;
    double v[7] = {-1, -1, -1, -1, -1, -1, -1};
    Errors::Type_Error errorCode = -1;
    QCOMPARE(m_analysis.thresholdColony(Halcon::Hobject(), passed, v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                        errorCode),
             Errors::Type_Error(Halcon::kErrEmptyObject));
    QVERIFY(!passed);
    for (double value : v)
        QCOMPARE(value, 0.0);
}

void tst_ColorThresholds::colourModelsInAnalysis_data()
{
    QTest::addColumn<int>("colorModel");
    QTest::addColumn<int>("red");
    QTest::addColumn<bool>("colorPassed");
    QTest::addColumn<double>("hue");
    QTest::addColumn<double>("saturation");
    QTest::addColumn<double>("intensity");
    QTest::addColumn<double>("redLoading");

    // RGB (200, 100, 50): Qt's HSV 20, 191, 200. Red weight 0.1 with the default property
    // weights: factor 100 / 1.1, red score (200 - 130) / 125.
    QTest::newRow("rgb, passes") << 1 << 200 << true << 20.0 << 191.0 << 200.0 << 0.1 * (70.0 / 125.0) * 100.0 / 1.1;
    QTest::newRow("rgb, red too low") << 1 << 100 << false << 60.0 << 128.0 << 100.0 << 0.0;
    QTest::newRow("hsi, passes") << 2 << 200 << true << 44.0 << 55.0 << 66.0 << 0.0;
    QTest::newRow("hsi, outside the range") << 2 << 100 << false << 44.0 << 55.0 << 66.0 << 0.0;
}

void tst_ColorThresholds::colourModelsInAnalysis()
{
    QFETCH(int, colorModel);
    QFETCH(int, red);
    QFETCH(bool, colorPassed);
    QFETCH(double, hue);
    QFETCH(double, saturation);
    QFETCH(double, intensity);
    QFETCH(double, redLoading);

    ColonySettingsData data;
    data.ColorModel = colorModel;
    data.Colony.ThresholdColorRedWeight = 0.1;
    setUp(data);
    if (colorModel == 1) {
        m_analysis.setThresholdRegions(plain(red), plain(100), plain(50));
    } else {
        // The hue range covers the picture only where red is 200 in the RGB rows above.
        const Halcon::Hobject hueRegion = red == 200 ? rectangle(0, 0, kHeight - 1, kWidth - 1) : rectangle(0, 0, 1, 1);
        const Halcon::Hobject everything = rectangle(0, 0, kHeight - 1, kWidth - 1);
        m_analysis.setThresholdImages(plain(red), plain(100), plain(50), plain(44), plain(55), plain(66), hueRegion,
                                      everything, everything);
    }

    Halcon::Hobject outline;
    Halcon::gen_rectangle2_contour_xld(&outline, 100.0, 150.0, 0.0, 140.0, 90.0);
    QCOMPARE(m_analysis.analyse(circleContour(100.0, 150.0, 10.0), outline, 0.0, false, 4, false),
             Errors::Type_Error(0));
    QCOMPARE(int(m_colonies.items.size()), 1);
    const ImageColony& c = m_colonies.items[0];
    QVERIFY(c.PropertiesPassed);
    QCOMPARE(c.ColorPassed, colorPassed);
    QCOMPARE(c.IsGoodColony, colorPassed);
    QCOMPARE(c.ColorRed, double(red));
    QCOMPARE(c.ColorHue, hue);
    QCOMPARE(c.ColorSaturation, saturation);
    QCOMPARE(c.ColorIntensity, intensity);
    QVERIFY2(std::abs(c.LoadingColorRed_pct - redLoading) < 1e-9, qPrintable(QString::number(c.LoadingColorRed_pct)));
    QCOMPARE(c.ColorArea_pct, colorModel == 2 && colorPassed ? 100.0 : 0.0);
    QCOMPARE(c.ErrorCode, Errors::Type_Error(0));
    if (!colorPassed) {
        // Passed its properties, failed its colour: marked with a cross of three resolutions.
        const FakeHalconView::Added* cross = m_view.find(c.Label + QStringLiteral("Center"));
        QVERIFY(cross);
        QCOMPARE(cross->color, QStringLiteral("light blue"));
        QVERIFY(cross->selectable);
        Halcon::Hobject first;
        Halcon::select_obj(cross->object, &first, 1);
        Halcon::HTuple length;
        Halcon::length_xld(first, &length);
        QVERIFY(std::abs(length.D() - 30.0) < 1e-6);
    }
}

void tst_ColorThresholds::hsiRegionsDrawnInColonyOrder()
{
    // The colonies are judged on several threads; the colour regions each one draws must
    // still reach the viewer colony by colony, in list order (by ascending column).
    ColonySettingsData data;
    data.ColorModel = ColonySettingsData::ColorModelHsi;
    setUp(data);
    const Halcon::Hobject everything = rectangle(0, 0, kHeight - 1, kWidth - 1);
    m_analysis.setThresholdImages(plain(200), plain(100), plain(50), plain(44), plain(55), plain(66), everything,
                                  everything, everything);
    std::vector<Halcon::Hobject> circles;
    for (int k = 0; k < 40; ++k)
        circles.push_back(circleContour(40.0 + 120.0 * (k % 2), 280.0 - 6.5 * k, 2.5));
    Halcon::Hobject outline;
    Halcon::gen_rectangle2_contour_xld(&outline, 100.0, 150.0, 0.0, 145.0, 95.0);
    Halcon::HTuple parallel, threads;
    Halcon::get_system("parallelize_operators", &parallel);
    Halcon::get_system("thread_num", &threads);
    Halcon::set_system("parallelize_operators", "true");
    Halcon::set_system("thread_num", 3);
    const Errors::Type_Error result = m_analysis.analyse(concat(circles), outline, 0.0, false, 4, false);
    Halcon::set_system("parallelize_operators", parallel);
    Halcon::set_system("thread_num", threads);
    QCOMPARE(result, Errors::Type_Error(0));

    const std::vector<ImageColony>& colonies = m_analysis.colonies();
    QCOMPARE(int(colonies.size()), 40);
    std::vector<const FakeHalconView::Added*> hue;
    for (const FakeHalconView::Added& added : m_view.added) {
        if (added.name == QStringLiteral("HalconObject_Colonies_Threshold_Hue.4."))
            hue.push_back(&added);
    }
    QCOMPARE(int(hue.size()), 40);
    for (size_t k = 0; k < hue.size(); ++k) {
        Halcon::HTuple area, row, column;
        QCOMPARE(Halcon::area_center(hue[k]->object, &area, &row, &column), Halcon::kSuccess);
        QVERIFY2(std::abs(column.D() - colonies[k].PosX_px) < 1.0 && std::abs(row.D() - colonies[k].PosY_px) < 1.0,
                 qPrintable(QStringLiteral("region %1 at (%2, %3)").arg(k).arg(row.D()).arg(column.D())));
    }
}

QTEST_GUILESS_MAIN(tst_ColorThresholds)
#include "tst_ColorThresholds.moc"
