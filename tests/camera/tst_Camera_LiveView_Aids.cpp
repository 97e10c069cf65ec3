// The set-up aids measured on generated pictures with known blur, brightness and
// illumination gradient, and the numbers their panels show.

#include "Camera_LiveView_Aids.h"

#include <HalconTestPictures.h>

#include <HalconFilterOps.h>
#include <HalconRegionOps.h>
#include <HalconSystemOps.h>

#include <QTest>

#include <cmath>

using namespace Camera_LiveView_Aids;
using Halcon::Hobject;

namespace {

Labware area(double x, double y, double width, double height, double angle = 0.0)
{
    return Labware::of(x, y, width, height, angle);
}

// The whole of a square picture.
const Labware kWhole = area(0.0, 0.0, 100.0, 100.0);

Hobject gray(int width, int height, const HalconTestPictures::GrayPixel& pixel)
{
    return HalconTestPictures::grayImage(width, height, pixel);
}

// Squares of 20 pixels, 60 and 190, smoothed by a square mean filter of that size (1: sharp).
Hobject blurredCheckerboard(int blur)
{
    const Hobject sharp = gray(200, 200, [](int r, int c) { return ((r / 20 + c / 20) % 2) ? 190 : 60; });
    if (blur <= 1)
        return sharp;
    Hobject blurred;
    Halcon::mean_image(sharp, &blurred, blur, blur);
    return blurred;
}

} // namespace

class tst_Camera_LiveView_Aids : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void focusRisesAsBlurFalls();
    void focusOfARamp_data();
    void focusOfARamp();
    void focusOnlyInsideTheArea();
    void apertureIsTheMeanGreyValue_data();
    void apertureIsTheMeanGreyValue();
    void homogeneityOfConstructedPictures_data();
    void homogeneityOfConstructedPictures();
    void homogeneityOfAGradientStep();
    void homogeneityFallsAsTheGradientRises();
    void homogeneityThresholds();
    void homogeneityFormula_data();
    void homogeneityFormula();
    void noMeasureWithoutArea_data();
    void noMeasureWithoutArea();
    void sliderPosition_data();
    void sliderPosition();
    void panelNumbers();
    void panelNumbersRefuseASensibilityNotAboveZero_data();
    void panelNumbersRefuseASensibilityNotAboveZero();
};

void tst_Camera_LiveView_Aids::initTestCase()
{
    // Results must not depend on how the layer splits its work.
    Halcon::set_system("parallelize_operators", "false");
}

void tst_Camera_LiveView_Aids::focusRisesAsBlurFalls()
{
    double previous = -1.0;
    for (int blur : {41, 25, 15, 9, 5, 3, 1}) {
        double focus = 0.0;
        Hobject contour;
        QCOMPARE(MeasureFocus(blurredCheckerboard(blur), area(10.0, 10.0, 80.0, 80.0), focus, contour), 0);
        QVERIFY2(focus > previous, qPrintable(QStringLiteral("blur %1: %2 after %3").arg(blur).arg(focus).arg(previous)));
        previous = focus;
    }
    // A picture without edges has no focus at all.
    double flat = -1.0;
    Hobject contour;
    QCOMPARE(MeasureFocus(gray(200, 200, [](int, int) { return 128; }), kWhole, flat, contour), 0);
    QCOMPARE(flat, 0.0);
}

void tst_Camera_LiveView_Aids::focusOfARamp_data()
{
    QTest::addColumn<int>("slope");
    QTest::addColumn<bool>("colour");
    QTest::newRow("slope 1") << 1 << false;
    QTest::newRow("slope 3") << 3 << false;
    QTest::newRow("slope 3, colour picture") << 3 << true;
}

void tst_Camera_LiveView_Aids::focusOfARamp()
{
    QFETCH(int, slope);
    QFETCH(bool, colour);
    // Grey value = slope * column: the Sobel sum of a ramp is twice its slope everywhere.
    const auto ramp = [slope](int, int c) { return slope * c; };
    const Hobject picture = colour ? HalconTestPictures::rgbImage(80, 60, ramp, ramp, ramp) : gray(80, 60, ramp);
    double focus = 0.0;
    Hobject contour;
    QCOMPARE(MeasureFocus(picture, area(10.0, 10.0, 50.0, 40.0, 20.0), focus, contour), 0);
    QCOMPARE(focus, 2.0 * slope);
    QVERIFY(!contour.IsEmpty());
}

void tst_Camera_LiveView_Aids::focusOnlyInsideTheArea()
{
    // Sharp edges on the left half only: an area on the right sees none of them.
    const Hobject picture = gray(200, 100, [](int r, int c) { return c < 100 && (r / 10 + c / 10) % 2 ? 250 : 0; });
    double left = 0.0, right = 0.0;
    Hobject contour;
    QCOMPARE(MeasureFocus(picture, area(5.0, 5.0, 40.0, 40.0), left, contour), 0);
    QCOMPARE(MeasureFocus(picture, area(55.0, 5.0, 40.0, 40.0), right, contour), 0);
    QVERIFY(left > 20.0);
    QCOMPARE(right, 0.0);
}

void tst_Camera_LiveView_Aids::apertureIsTheMeanGreyValue_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("width");
    QTest::newRow("upright") << 0.0 << 20.0;
    QTest::newRow("turned 30 degrees") << 30.0 << 20.0;
    QTest::newRow("turned -45 degrees, wide") << -45.0 << 40.0;
}

void tst_Camera_LiveView_Aids::apertureIsTheMeanGreyValue()
{
    QFETCH(double, angle);
    QFETCH(double, width);
    // Grey value = column + 50 on a 100 x 100 picture (one percent is one pixel): any area
    // centred on column 50 has the mean 100.
    const Hobject picture = gray(100, 100, [](int, int c) { return c + 50; });
    double mean = 0.0;
    Hobject contour;
    QCOMPARE(MeasureAperture(picture, area(50.0 - width / 2.0, 40.0, width, 20.0, angle), mean, contour), 0);
    QVERIFY2(std::abs(mean - 100.0) < 0.5, qPrintable(QString::number(mean)));
    QCOMPARE(MeasureAperture(gray(100, 100, [](int, int) { return 77; }), kWhole, mean, contour), 0);
    QCOMPARE(mean, 77.0);
}

void tst_Camera_LiveView_Aids::homogeneityOfConstructedPictures_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("homogeneity");
    QTest::newRow("uniform, off") << 128 << 1 << 100.0;
    QTest::newRow("uniform, ultra extreme") << 128 << 13 << 100.0;
    QTest::newRow("black: wholly dark") << 0 << 1 << 0.0;
    QTest::newRow("white: wholly bright") << 255 << 1 << 0.0;
}

void tst_Camera_LiveView_Aids::homogeneityOfConstructedPictures()
{
    QFETCH(int, value);
    QFETCH(int, mode);
    QFETCH(double, homogeneity);
    Homogeneity result;
    QCOMPARE(MeasureHomogeneity(gray(60, 60, [value](int, int) { return value; }), area(10.0, 10.0, 50.0, 50.0), mode,
                                result),
             0);
    QCOMPARE(result.value, homogeneity);
}

void tst_Camera_LiveView_Aids::homogeneityOfAGradientStep()
{
    // Columns 45 .. 55 of a 100 x 100 picture rise by one grey value each from 95: the mean
    // is 100, five columns lie at or below 99 (range 4) and five at or above 101 (range 4).
    const Hobject picture = gray(100, 100, [](int, int c) { return 50 + c; });
    Homogeneity result;
    QCOMPARE(MeasureHomogeneity(picture, area(45.0, 20.0, 10.0, 60.0), 1, result), 0);
    QCOMPARE(result.lowerThreshold, 99);
    QCOMPARE(result.upperThreshold, 101);
    const double deviating = 100.0 - 10.0 * 100.0 / 11.0;
    const double expected = deviating * (1.0 - 4.0 / 255.0) * (1.0 - 4.0 / 255.0);
    QVERIFY2(std::abs(result.value - expected) < 1e-9, qPrintable(QString::number(result.value, 'g', 12)));
    Halcon::HTuple darkArea, row, column;
    Halcon::area_center(result.dark, &darkArea, &row, &column);
    QCOMPARE(column.D(), 47.0);
}

void tst_Camera_LiveView_Aids::homogeneityFallsAsTheGradientRises()
{
    // Illumination falling off across the picture by that many grey values.
    double previous = 101.0;
    for (int gradient : {0, 20, 40, 80, 160}) {
        const Hobject picture = gray(200, 150, [gradient](int, int c) { return 100 + gradient * c / 199; });
        Homogeneity result;
        QCOMPARE(MeasureHomogeneity(picture, area(10.0, 10.0, 80.0, 50.0), 4, result), 0);
        QVERIFY2(result.value < previous || (gradient == 0 && result.value == 100.0),
                 qPrintable(QStringLiteral("gradient %1: %2 after %3").arg(gradient).arg(result.value).arg(previous)));
        previous = result.value;
    }
    QVERIFY(previous < 20.0);
}

void tst_Camera_LiveView_Aids::homogeneityThresholds()
{
    // Every fifth row 101, the others 100: the mean is 100.2.
    Homogeneity result;
    QCOMPARE(MeasureHomogeneity(gray(50, 50, [](int r, int) { return r % 5 ? 100 : 101; }), kWhole, 1, result), 0);
    QCOMPARE(result.lowerThreshold, 99);
    QCOMPARE(result.upperThreshold, 101);
    Halcon::HTuple brightArea, row, column;
    Halcon::area_center(result.bright, &brightArea, &row, &column);
    QCOMPARE(brightArea.D(), 500.0);
}

void tst_Camera_LiveView_Aids::homogeneityFormula_data()
{
    QTest::addColumn<double>("area");
    QTest::addColumn<double>("dark");
    QTest::addColumn<double>("bright");
    QTest::addColumn<double>("darkRange");
    QTest::addColumn<double>("brightRange");
    QTest::addColumn<double>("homogeneity");
    QTest::newRow("nothing deviates") << 100.0 << 0.0 << 0.0 << 0.0 << 0.0 << 100.0;
    QTest::newRow("half dark, range 51") << 100.0 << 50.0 << 0.0 << 51.0 << 0.0 << 40.0;
    QTest::newRow("a range without its part counts not") << 100.0 << 0.0 << 0.0 << 200.0 << 200.0 << 100.0;
    QTest::newRow("dark and bright") << 200.0 << 20.0 << 30.0 << 51.0 << 102.0 << 75.0 * 0.8 * 0.6;
    QTest::newRow("everything deviates") << 100.0 << 60.0 << 40.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("never below 0") << 100.0 << 10.0 << 0.0 << 400.0 << 0.0 << 0.0;
    QTest::newRow("no area") << 0.0 << 0.0 << 0.0 << 0.0 << 0.0 << 0.0;
}

void tst_Camera_LiveView_Aids::homogeneityFormula()
{
    QFETCH(double, area);
    QFETCH(double, dark);
    QFETCH(double, bright);
    QFETCH(double, darkRange);
    QFETCH(double, brightRange);
    QFETCH(double, homogeneity);
    QCOMPARE(HomogeneityValue(area, dark, bright, darkRange, brightRange), homogeneity);
}

void tst_Camera_LiveView_Aids::noMeasureWithoutArea_data()
{
    QTest::addColumn<Hobject>("picture");
    QTest::addColumn<Labware>("labware");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("error");
    const Hobject picture = gray(80, 60, [](int, int c) { return c; });
    QTest::newRow("right of the picture") << picture << area(150.0, 10.0, 20.0, 20.0) << 4 << 42;
    QTest::newRow("above the picture") << picture << area(10.0, -60.0, 20.0, 20.0) << 4 << 42;
    QTest::newRow("below the picture, turned") << picture << area(10.0, 80.0, 20.0, 5.0, 30.0) << 4 << 42;
    QTest::newRow("width 0") << picture << area(10.0, 10.0, 0.0, 20.0) << 4 << 3;
    QTest::newRow("negative height") << picture << area(10.0, 10.0, 20.0, -1.0) << 4 << 3;
    QTest::newRow("position not a number") << picture << area(std::nan(""), 10.0, 20.0, 20.0) << 4 << 3;
    QTest::newRow("infinite angle") << picture << area(10.0, 10.0, 20.0, 20.0, INFINITY) << 4 << 3;
    QTest::newRow("far beyond the picture") << picture << area(10.0, 10.0, 1e7, 20.0) << 4 << 3;
    QTest::newRow("filter mode 0") << picture << area(10.0, 10.0, 20.0, 20.0) << 0 << 3;
    QTest::newRow("filter mode 14") << picture << area(10.0, 10.0, 20.0, 20.0) << 14 << 3;
    QTest::newRow("no picture") << Hobject() << area(10.0, 10.0, 20.0, 20.0) << 4 << 41;
    QTest::newRow("a region") << HalconTestPictures::rectangleRegion(0, 0, 9, 9) << area(10.0, 10.0, 20.0, 20.0) << 4
                              << 41;
}

void tst_Camera_LiveView_Aids::noMeasureWithoutArea()
{
    QFETCH(Hobject, picture);
    QFETCH(Labware, labware);
    QFETCH(int, mode);
    QFETCH(int, error);
    Homogeneity homogeneity;
    homogeneity.value = 55.0;
    QCOMPARE(int(MeasureHomogeneity(picture, labware, mode, homogeneity)), error);
    QCOMPARE(homogeneity.value, 0.0);
    QVERIFY(homogeneity.dark.IsEmpty());
    if (mode < 1 || mode > 13)
        return;
    double focus = 5.0, mean = 5.0;
    Hobject contour;
    QCOMPARE(int(MeasureFocus(picture, labware, focus, contour)), error);
    QCOMPARE(int(MeasureAperture(picture, labware, mean, contour)), error);
    QCOMPARE(focus, 0.0);
    QCOMPARE(mean, 0.0);
}

void tst_Camera_LiveView_Aids::sliderPosition_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<double>("d");
    QTest::addColumn<int>("position");
    QTest::newRow("focus 12 of threshold 13, sensibility 30") << 255 << -30.0 << 226;
    QTest::newRow("at the threshold") << 255 << 0.0 << 255;
    QTest::newRow("above the threshold stays at the end") << 255 << 10.0 << 255;
    QTest::newRow("aperture at its centre") << 127 << 0.0 << 127;
    QTest::newRow("half a step down rounds to nothing") << 127 << -0.5 << 127;
    QTest::newRow("one and a half down") << 127 << -1.5 << 126;
    QTest::newRow("two and a half up") << 127 << 2.5 << 130;
    QTest::newRow("far below") << 255 << -1e300 << 0;
    QTest::newRow("far above") << 127 << 1e300 << 255;
    QTest::newRow("not a number") << 127 << std::nan("") << 127;
}

void tst_Camera_LiveView_Aids::sliderPosition()
{
    QFETCH(int, offset);
    QFETCH(double, d);
    QFETCH(int, position);
    QCOMPARE(SliderPosition(offset, d), position);
}

void tst_Camera_LiveView_Aids::panelNumbers()
{
    Camera_LiveView_Settings_Data::GradientValueGroup focusValues; // 13, 30
    Result focus;
    QCOMPARE(FocusResult(12.0, 20.0, focusValues, focus), 0);
    QVERIFY(std::abs(focus.lowerLimit - 11.64) < 1e-12);
    QVERIFY(focus.inTolerance);
    QCOMPARE(focus.slider, 226);
    QCOMPARE(focus.maximum, 20.0);
    QCOMPARE(focus.sliderMaximum, 255);
    QCOMPARE(FocusResult(11.0, 0.0, focusValues, focus), 0);
    QVERIFY(!focus.inTolerance);
    QCOMPARE(focus.maximum, 11.0);

    Camera_LiveView_Settings_Data::GrayValueGroup grayValues; // 127, 10
    Result aperture;
    QCOMPARE(ApertureResult(127.0, grayValues, aperture), 0);
    QVERIFY(std::abs(aperture.lowerLimit - 125.857) < 1e-9);
    QVERIFY(std::abs(aperture.upperLimit - 128.143) < 1e-9);
    QCOMPARE(aperture.slider, 127);
    QVERIFY(aperture.inTolerance);
    QCOMPARE(ApertureResult(128.2, grayValues, aperture), 0);
    QVERIFY(!aperture.inTolerance);
    QCOMPARE(aperture.slider, 139);

    Camera_LiveView_Settings_Data::HomogeneousGroup homogeneousValues; // 13, 4, 10
    Result homogeneity;
    QCOMPARE(HomogeneityResult(100.0, 40.0, homogeneousValues, homogeneity), 0);
    QCOMPARE(homogeneity.maximum, 100.0);
    QVERIFY(std::abs(homogeneity.lowerLimit - 8.92) < 1e-12);
    QVERIFY(homogeneity.inTolerance);
}

void tst_Camera_LiveView_Aids::panelNumbersRefuseASensibilityNotAboveZero_data()
{
    QTest::addColumn<double>("sensibility");
    QTest::newRow("0") << 0.0;
    QTest::newRow("negative") << -0.1;
    QTest::newRow("not a number") << std::nan("");
}

void tst_Camera_LiveView_Aids::panelNumbersRefuseASensibilityNotAboveZero()
{
    QFETCH(double, sensibility);
    Result before;
    before.current = 9.0;
    Result result = before;
    QCOMPARE(FocusResult(12.0, 0.0, {13.0, sensibility}, result), 3);
    QCOMPARE(ApertureResult(12.0, {127.0, sensibility}, result), 3);
    QCOMPARE(HomogeneityResult(12.0, 0.0, {13.0, 4, sensibility}, result), 3);
    QCOMPARE(result.current, 9.0);
}

QTEST_GUILESS_MAIN(tst_Camera_LiveView_Aids)
#include "tst_Camera_LiveView_Aids.moc"
