#include <Halcon.h>
#include <ShapeMatchPictures.h>
#include <FilePlacingRecorder.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <numbers>
#include <random>
#include <thread>

using namespace Halcon;
using ShapeMatchPictures::Item;
using ShapeMatchPictures::Scene;

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kMarkRadius = 21.0;
constexpr double kCrossHalf = 60.0; // a 120 x 120 px cross
constexpr double kCrossArm = 30.0;

struct Found
{
    HTuple row, column, angle, scale, score;
    Hlong count() const { return score.Length(); }
};

// The reference-mark model as the reference-point search makes it.
HTuple circleModel(const char *metric, double minContrast = 20.0)
{
    Hobject circle;
    gen_circle_contour_xld(&circle, kMarkRadius + 5.0, kMarkRadius + 5.0, kMarkRadius, 0.0, 6.283185307179622,
                           "positive", 0.1);
    HTuple model;
    const Herror err = create_scaled_shape_model_xld(circle, 3, 0.0, 0.0, "auto", 0.95, 1.05, 0.002, "auto", metric,
                                                     minContrast, &model);
    return err == kSuccess ? model : HTuple();
}

Herror findCircle(const Hobject &image, const HTuple &model, Found *f, const char *subPixel = "least_squares",
                  double minScore = 0.7, int numMatches = 1)
{
    return find_scaled_shape_model(image, model, 0.0, 0.0, 0.95, 1.05, minScore, numMatches, 0.0, subPixel, 3, 0.5,
                                   &f->row, &f->column, &f->angle, &f->scale, &f->score);
}

// A template picture of the cross at (100, 100); its domain is a square about it, so the
// reference point is the cross centre.
Hobject crossTemplate(double foreground = 60.0, double background = 200.0)
{
    Scene scene;
    scene.width = scene.height = 200;
    scene.background = background;
    scene.noiseSigma = 3.0;
    scene.seed = 7;
    scene.items.push_back({ShapeMatchPictures::cross(kCrossHalf, kCrossArm), 100.0, 100.0, 0.0, 1.0, foreground});
    Hobject rectangle, reduced;
    gen_rectangle1(&rectangle, 20, 20, 180, 180);
    reduce_domain(ShapeMatchPictures::render(scene), rectangle, &reduced);
    return reduced;
}

HTuple crossModel(const char *metric)
{
    HTuple model;
    const Herror err = create_scaled_shape_model(crossTemplate(), "auto", -10.0 * kDeg, 20.0 * kDeg, "auto", 0.95,
                                                 1.05, "auto", "auto", metric, "auto", "auto", &model);
    return err == kSuccess ? model : HTuple();
}

Herror findCross(const Hobject &image, const HTuple &model, Found *f, const char *subPixel = "least_squares",
                 double minScore = 0.7)
{
    return find_scaled_shape_model(image, model, -10.0 * kDeg, 20.0 * kDeg, 0.95, 1.05, minScore, 1, 0.5, subPixel, 0,
                                   0.5, &f->row, &f->column, &f->angle, &f->scale, &f->score);
}

Hobject reduced(const Hobject &image, int row1, int column1, int row2, int column2)
{
    Hobject rectangle, result;
    gen_rectangle1(&rectangle, row1, column1, row2, column2);
    reduce_domain(image, rectangle, &result);
    return result;
}

// Search area of the circle scenes: 300 x 220 px, as a plate's reference-mark area.
constexpr int kAreaRow1 = 50, kAreaColumn1 = 60, kAreaRow2 = 269, kAreaColumn2 = 359;

// The picture of one instance: the circle inside the search area, or the cross anywhere
// in a 400 x 400 picture. contrast: "dark" mark on a bright background, "bright" the
// reverse, "split" a background bright left and dark right of the mark's centre.
Scene sceneFor(bool isCross, const QString &contrast, const Item &pose, unsigned seed)
{
    Scene scene;
    scene.width = isCross ? 400 : 420;
    scene.height = isCross ? 400 : 320;
    scene.noiseSigma = 5.0;
    scene.seed = seed;
    scene.illuminationRow = 0.04;
    scene.illuminationColumn = 0.06;
    Item item = pose;
    item.shape = isCross ? ShapeMatchPictures::cross(kCrossHalf, kCrossArm) : ShapeMatchPictures::circle(kMarkRadius);
    if (contrast == QLatin1String("dark")) {
        scene.background = 190.0;
        item.grey = 60.0;
    } else if (contrast == QLatin1String("bright")) {
        scene.background = 50.0;
        item.grey = 180.0;
    } else {
        scene.background = 200.0;
        scene.backgroundRight = 30.0;
        scene.splitColumn = pose.column + 0.37;
        item.grey = 115.0;
    }
    scene.items.push_back(item);
    return scene;
}

Item randomPose(std::mt19937 &random, bool isCross)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    Item item;
    if (isCross) {
        item.row = 130.0 + 140.0 * unit(random);
        item.column = 130.0 + 140.0 * unit(random);
        item.angle = (-10.0 + 20.0 * unit(random)) * kDeg;
    } else {
        item.row = kAreaRow1 + 30.0 + (kAreaRow2 - kAreaRow1 - 60.0) * unit(random);
        item.column = kAreaColumn1 + 30.0 + (kAreaColumn2 - kAreaColumn1 - 60.0) * unit(random);
    }
    item.scale = 0.95 + 0.1 * unit(random);
    return item;
}

} // namespace

class tst_HalconShapeModel : public QObject
{
    Q_OBJECT

private slots:
    void accuracy_data();
    void accuracy();
    void occluded_data();
    void occluded();
    void wholeAngleRange_data();
    void wholeAngleRange();
    void noInstance_data();
    void noInstance();
    void severalMatches();
    void colourPolarity();
    void templateWithoutEdges();
    void timeout();
    void contoursRelativeToOrigin();
    void parameters();
    void fileRoundTrip();
    void damagedFiles_data();
    void damagedFiles();
    void fileErrors();
    void wrongInputs();
    void clearedHandle();
    void concurrentSearches();
};

void tst_HalconShapeModel::accuracy_data()
{
    QTest::addColumn<bool>("isCross");
    QTest::addColumn<QString>("metric");
    QTest::addColumn<QString>("contrast");
    QTest::addColumn<QString>("subPixel");
    QTest::addColumn<double>("positionTolerance");
    QTest::addColumn<double>("angleToleranceDeg");
    QTest::addColumn<double>("scaleTolerance");
    QTest::addColumn<double>("minScore");

    QTest::newRow("circle, polarity") << false << "use_polarity" << "dark" << "least_squares" << 0.1 << 0.1 << 0.005 << 0.9;
    QTest::newRow("circle, global polarity reversed") << false << "ignore_global_polarity" << "bright" << "least_squares" << 0.1 << 0.1 << 0.005 << 0.9;
    QTest::newRow("circle, local polarity split") << false << "ignore_local_polarity" << "split" << "least_squares" << 0.1 << 0.1 << 0.005 << 0.9;
    QTest::newRow("circle, local polarity high") << false << "ignore_local_polarity" << "dark" << "least_squares_high" << 0.1 << 0.1 << 0.005 << 0.9;
    QTest::newRow("cross, polarity") << true << "use_polarity" << "dark" << "least_squares" << 0.1 << 0.1 << 0.005 << 0.9;
    QTest::newRow("cross, global polarity reversed") << true << "ignore_global_polarity" << "bright" << "least_squares" << 0.1 << 0.1 << 0.005 << 0.9;
    QTest::newRow("cross, local polarity split") << true << "ignore_local_polarity" << "split" << "least_squares_very_high" << 0.1 << 0.1 << 0.005 << 0.9;
    // The cheaper modes: interpolation of the score and the plain grid of the search.
    QTest::newRow("cross, interpolation") << true << "use_polarity" << "dark" << "interpolation" << 0.35 << 0.4 << 0.01 << 0.8;
    QTest::newRow("cross, none") << true << "use_polarity" << "dark" << "none" << 1.0 << 0.8 << 0.02 << 0.7;
}

void tst_HalconShapeModel::accuracy()
{
    QFETCH(bool, isCross);
    QFETCH(QString, metric);
    QFETCH(QString, contrast);
    QFETCH(QString, subPixel);
    QFETCH(double, positionTolerance);
    QFETCH(double, angleToleranceDeg);
    QFETCH(double, scaleTolerance);
    QFETCH(double, minScore);

    const std::string metricName = metric.toStdString();
    const HTuple model = isCross ? crossModel(metricName.c_str()) : circleModel(metricName.c_str());
    QVERIFY(!model.IsEmpty());
    std::mt19937 random(isCross ? 4711u : 815u);
    for (int trial = 0; trial < 8; ++trial) {
        const Item truth = randomPose(random, isCross);
        const Scene scene = sceneFor(isCross, contrast, truth, 100u + unsigned(trial));
        Hobject image = ShapeMatchPictures::render(scene);
        if (!isCross)
            image = reduced(image, kAreaRow1, kAreaColumn1, kAreaRow2, kAreaColumn2);
        Found f;
        const std::string mode = subPixel.toStdString();
        QCOMPARE(isCross ? findCross(image, model, &f, mode.c_str()) : findCircle(image, model, &f, mode.c_str()),
                 kSuccess);
        const QByteArray where = QByteArray("trial ") + QByteArray::number(trial) + " at " + QByteArray::number(truth.row)
            + ", " + QByteArray::number(truth.column) + " angle " + QByteArray::number(truth.angle / kDeg) + " scale "
            + QByteArray::number(truth.scale);
        QVERIFY2(f.count() == 1, where.constData());
        const double positionError = std::hypot(f.row.D() - truth.row, f.column.D() - truth.column);
        const QByteArray got = where + " found " + QByteArray::number(f.row.D()) + ", " + QByteArray::number(f.column.D())
            + " angle " + QByteArray::number(f.angle.D() / kDeg) + " scale " + QByteArray::number(f.scale.D())
            + " score " + QByteArray::number(f.score.D());
        QVERIFY2(positionError <= positionTolerance, got.constData());
        QVERIFY2(std::fabs(f.angle.D() - truth.angle) <= angleToleranceDeg * kDeg, got.constData());
        QVERIFY2(std::fabs(f.scale.D() - truth.scale) <= scaleTolerance, got.constData());
        QVERIFY2(f.score.D() > minScore && f.score.D() <= 1.0, got.constData());
    }
    QCOMPARE(clear_shape_model(model), kSuccess);
}

void tst_HalconShapeModel::occluded_data()
{
    QTest::addColumn<bool>("isCross");
    QTest::newRow("circle") << false;
    QTest::newRow("cross") << true;
}

void tst_HalconShapeModel::occluded()
{
    QFETCH(bool, isCross);
    const HTuple model = isCross ? crossModel("use_polarity") : circleModel("use_polarity");
    QVERIFY(!model.IsEmpty());
    std::mt19937 random(99u);
    for (int trial = 0; trial < 5; ++trial) {
        const Item truth = randomPose(random, isCross);
        Scene scene = sceneFor(isCross, QStringLiteral("dark"), truth, 300u + unsigned(trial));
        const Item &item = scene.items.front();
        // About 30 % of the edge length painted over with the background.
        if (isCross) {
            // The right arm (25 %) and the tip of the upper one (6 %).
            scene.occluders.push_back(ShapeMatchPictures::placedRectangle(item, kCrossArm / 2 + 1, -kCrossArm / 2 - 4,
                                                                          kCrossHalf + 8, kCrossArm / 2 + 4,
                                                                          scene.background));
            scene.occluders.push_back(ShapeMatchPictures::placedRectangle(item, -kCrossArm / 2 - 4, -kCrossHalf - 8,
                                                                          kCrossArm / 2 + 4, -kCrossHalf + 2,
                                                                          scene.background));
        } else {
            // Beyond 0.588 r: 54 of 180 degrees on either side.
            scene.occluders.push_back(ShapeMatchPictures::placedRectangle(item, 0.588 * kMarkRadius, -kMarkRadius - 6,
                                                                          kMarkRadius + 6, kMarkRadius + 6,
                                                                          scene.background));
        }
        Hobject image = ShapeMatchPictures::render(scene);
        if (!isCross)
            image = reduced(image, kAreaRow1, kAreaColumn1, kAreaRow2, kAreaColumn2);
        Found f;
        QCOMPARE(isCross ? findCross(image, model, &f, "least_squares", 0.5)
                         : findCircle(image, model, &f, "least_squares", 0.5),
                 kSuccess);
        QCOMPARE(f.count(), Hlong(1));
        const QByteArray got = QByteArray::number(f.row.D() - truth.row) + ", "
            + QByteArray::number(f.column.D() - truth.column) + " score " + QByteArray::number(f.score.D());
        QVERIFY2(std::hypot(f.row.D() - truth.row, f.column.D() - truth.column) <= 0.3, got.constData());
        QVERIFY2(f.score.D() < 0.85, got.constData()); // the hidden part does not count
        // The unoccluded minimum of the accuracy tests rejects it.
        QCOMPARE(isCross ? findCross(image, model, &f, "least_squares", 0.9)
                         : findCircle(image, model, &f, "least_squares", 0.9),
                 kSuccess);
        QCOMPARE(f.count(), Hlong(0));
    }
    clear_shape_model(model);
}

void tst_HalconShapeModel::wholeAngleRange_data()
{
    QTest::addColumn<int>("levels");
    QTest::newRow("5 levels") << 5;
    QTest::newRow("3 levels") << 3;
    QTest::newRow("all levels of the model") << 0;
}

// The image stitcher's range, 45 +- 49 degrees, in 1 degree steps, with the positions
// restricted as the stitcher restricts them. A cross looks alike turned by 90 degrees: near
// either end of the range that turn lies just beyond it, and on the coarse levels it scores
// as well as the right angle a step away.
void tst_HalconShapeModel::wholeAngleRange()
{
    QFETCH(int, levels);
    constexpr double kStart = -4.0, kExtent = 98.0;
    HTuple model;
    QCOMPARE(create_scaled_shape_model(crossTemplate(), "auto", kStart * kDeg, kExtent * kDeg, "auto", 0.95, 1.05, "auto",
                                       "auto", "use_polarity", "auto", "auto", &model),
             kSuccess);
    for (double angle = kStart; angle <= kStart + kExtent; angle += 1.0) {
        Item truth;
        truth.row = 200.37;
        truth.column = 190.61;
        truth.angle = angle * kDeg;
        const Hobject image = reduced(ShapeMatchPictures::render(sceneFor(true, QStringLiteral("dark"), truth, 9u)),
                                      152, 176, 222, 246);
        Found f;
        QCOMPARE(find_scaled_shape_model(image, model, kStart * kDeg, kExtent * kDeg, 0.95, 1.05, 0.7 / 1.6, 1, 0.0,
                                         "least_squares_high", levels, 0.0, &f.row, &f.column, &f.angle, &f.scale,
                                         &f.score),
                 kSuccess);
        const QByteArray where = QByteArray::number(angle) + " degrees";
        QVERIFY2(f.count() == 1, where.constData());
        const double turnError = std::remainder(f.angle.D() / kDeg - angle, 90.0);
        const QByteArray got = where + ": found at " + QByteArray::number(f.row.D()) + ", "
            + QByteArray::number(f.column.D()) + " turned " + QByteArray::number(f.angle.D() / kDeg) + " score "
            + QByteArray::number(f.score.D());
        QVERIFY2(std::hypot(f.row.D() - truth.row, f.column.D() - truth.column) < 0.1, got.constData());
        QVERIFY2(std::fabs(turnError) < 0.1, got.constData());
        QVERIFY2(f.score.D() > 0.9, got.constData());
    }
    QCOMPARE(clear_shape_model(model), kSuccess);
}

void tst_HalconShapeModel::noInstance_data()
{
    QTest::addColumn<bool>("isCross");
    QTest::addColumn<QString>("metric");
    QTest::newRow("circle, local polarity") << false << "ignore_local_polarity";
    QTest::newRow("circle, polarity") << false << "use_polarity";
    QTest::newRow("cross, local polarity") << true << "ignore_local_polarity";
    QTest::newRow("cross, global polarity") << true << "ignore_global_polarity";
}

void tst_HalconShapeModel::noInstance()
{
    QFETCH(bool, isCross);
    QFETCH(QString, metric);
    const std::string metricName = metric.toStdString();
    const HTuple model = isCross ? crossModel(metricName.c_str()) : circleModel(metricName.c_str());
    QVERIFY(!model.IsEmpty());
    // Noise, a gradient and other shapes: squares, circles far out of the scale range.
    Scene scene;
    scene.width = scene.height = 400;
    scene.noiseSigma = 8.0;
    scene.illuminationColumn = 0.1;
    scene.items.push_back({ShapeMatchPictures::square(20.0), 120.0, 130.0, 0.3, 1.0, 60.0});
    scene.items.push_back({ShapeMatchPictures::square(50.0), 270.0, 260.0, 0.1, 1.0, 90.0});
    scene.items.push_back({ShapeMatchPictures::circle(32.0), 110.0, 290.0, 0.0, 1.0, 40.0});
    scene.items.push_back({ShapeMatchPictures::circle(12.0), 300.0, 100.0, 0.0, 1.0, 40.0});
    Found f;
    QCOMPARE(find_scaled_shape_model(ShapeMatchPictures::render(scene), model, -10.0 * kDeg, 20.0 * kDeg, 0.95, 1.05,
                                     0.7, 0, 0.5, "least_squares", 0, 0.5, &f.row, &f.column, &f.angle, &f.scale,
                                     &f.score),
             kSuccess);
    QCOMPARE(f.count(), Hlong(0));
    clear_shape_model(model);
}

void tst_HalconShapeModel::severalMatches()
{
    const HTuple model = circleModel("use_polarity");
    Scene scene;
    scene.width = 400;
    scene.height = 300;
    scene.noiseSigma = 3.0;
    scene.items.push_back({ShapeMatchPictures::circle(kMarkRadius), 80.3, 90.6, 0.0, 1.0, 60.0});
    scene.items.push_back({ShapeMatchPictures::circle(kMarkRadius), 150.2, 250.1, 0.0, 1.03, 60.0});
    // Weaker contrast, so the lowest score.
    scene.items.push_back({ShapeMatchPictures::circle(kMarkRadius), 220.7, 120.4, 0.0, 0.97, 150.0});
    const Hobject image = ShapeMatchPictures::render(scene);
    Found all;
    QCOMPARE(findCircle(image, model, &all, "least_squares", 0.7, 0), kSuccess);
    QCOMPARE(all.count(), Hlong(3));
    for (Hlong i = 1; i < all.count(); ++i)
        QVERIFY(all.score[i - 1].D() >= all.score[i].D());
    QVERIFY(std::hypot(all.row[2].D() - 220.7, all.column[2].D() - 120.4) < 0.2);
    Found two;
    QCOMPARE(findCircle(image, model, &two, "least_squares", 0.7, 2), kSuccess);
    QCOMPARE(two.count(), Hlong(2));
    QCOMPARE(two.row[0].D(), all.row[0].D());
    clear_shape_model(model);
}

void tst_HalconShapeModel::colourPolarity()
{
    // Red shows a dark mark, green a bright one, blue nothing: only the colour metric
    // may take such a picture, and it finds the mark.
    Item truth;
    truth.row = 140.4;
    truth.column = 180.7;
    Scene red = sceneFor(false, QStringLiteral("dark"), truth, 1);
    Scene green = sceneFor(false, QStringLiteral("bright"), truth, 2);
    Scene blue = red;
    blue.items.clear();
    Hobject rgb;
    QCOMPARE(compose3(ShapeMatchPictures::render(red), ShapeMatchPictures::render(green),
                      ShapeMatchPictures::render(blue), &rgb),
             kSuccess);
    Found f;
    const HTuple polar = circleModel("use_polarity");
    QCOMPARE(findCircle(rgb, polar, &f), kErrWrongChannelCount);
    const HTuple colour = circleModel("ignore_color_polarity");
    QCOMPARE(findCircle(rgb, colour, &f), kSuccess);
    QCOMPARE(f.count(), Hlong(1));
    QVERIFY(std::hypot(f.row.D() - truth.row, f.column.D() - truth.column) < 0.1);
    clear_shape_model(polar);
    clear_shape_model(colour);
}

void tst_HalconShapeModel::templateWithoutEdges()
{
    Scene flat;
    flat.width = flat.height = 100;
    flat.noiseSigma = 1.0;
    HTuple model = 12345;
    QCOMPARE(create_scaled_shape_model(reduced(ShapeMatchPictures::render(flat), 10, 10, 90, 90), 4, 0.0, 0.0, "auto",
                                       0.9, 1.1, "auto", "auto", "use_polarity", 30, 10, &model),
             kErrTooFewModelPoints);
    QCOMPARE(model, HTuple(12345)); // untouched
    // A contour of one point has no edge either.
    Hobject point;
    gen_contour_polygon_xld(&point, 5.0, 5.0);
    QCOMPARE(create_scaled_shape_model_xld(point, 3, 0.0, 0.0, "auto", 0.9, 1.1, "auto", "auto", "use_polarity", 10,
                                           &model),
             kErrTooFewModelPoints);
    HTuple text;
    get_error_text(kErrTooFewModelPoints, &text);
    QCOMPARE(QString::fromStdString(text.S()), QStringLiteral("Too few points in the model"));
}

void tst_HalconShapeModel::timeout()
{
    HTuple model;
    QCOMPARE(create_scaled_shape_model(crossTemplate(), "auto", -std::numbers::pi, 2.0 * std::numbers::pi, "auto",
                                       0.8, 1.2, "auto", "auto", "ignore_local_polarity", "auto", "auto", &model),
             kSuccess);
    Scene scene;
    scene.width = scene.height = 1500;
    scene.noiseSigma = 20.0;
    const Hobject image = ShapeMatchPictures::render(scene);
    QCOMPARE(set_shape_model_param(model, "timeout", 1), kSuccess);
    Found f;
    f.row = HTuple(-1.0);
    QCOMPARE(find_scaled_shape_model(image, model, -std::numbers::pi, 2.0 * std::numbers::pi, 0.8, 1.2, 0.3, 0, 0.5,
                                     "least_squares", 0, 0.0, &f.row, &f.column, &f.angle, &f.scale, &f.score),
             kErrTimeout);
    QCOMPARE(f.row, HTuple(-1.0));
    // Without a time-out the same kind of search completes (smaller, to stay quick).
    QCOMPARE(set_shape_model_param(model, "timeout", "false"), kSuccess);
    QCOMPARE(find_scaled_shape_model(reduced(image, 600, 600, 700, 700), model, -0.2, 0.4, 0.9, 1.1, 0.7, 1, 0.5,
                                     "none", 0, 0.9, &f.row, &f.column, &f.angle, &f.scale, &f.score),
             kSuccess);
    QCOMPARE(set_shape_model_param(model, "timeout", -5), kErrWrongValue3);
    QCOMPARE(set_shape_model_param(model, "min_score", 5), kErrUnknownParameter);
    clear_shape_model(model);
}

void tst_HalconShapeModel::contoursRelativeToOrigin()
{
    const HTuple model = circleModel("use_polarity");
    Hobject contours;
    QCOMPARE(get_shape_model_contours(&contours, model, 1), kSuccess);
    HTuple row1, column1, row2, column2;
    QCOMPARE(smallest_rectangle1_xld(contours, &row1, &column1, &row2, &column2), kSuccess);
    // The circle's centre is the reference point.
    QVERIFY(std::fabs(row1.D() + kMarkRadius) < 0.05 && std::fabs(row2.D() - kMarkRadius) < 0.05);
    QVERIFY(std::fabs(column1.D() + kMarkRadius) < 0.05 && std::fabs(column2.D() - kMarkRadius) < 0.05);

    QCOMPARE(set_shape_model_origin(model, -7.0, 4.5), kSuccess);
    HTuple originRow, originColumn;
    QCOMPARE(get_shape_model_origin(model, &originRow, &originColumn), kSuccess);
    QCOMPARE(originRow.D(), -7.0);
    QCOMPARE(originColumn.D(), 4.5);
    QCOMPARE(get_shape_model_contours(&contours, model, 1), kSuccess);
    QCOMPARE(smallest_rectangle1_xld(contours, &row1, &column1, &row2, &column2), kSuccess);
    QVERIFY(std::fabs(row1.D() - (-kMarkRadius + 7.0)) < 0.05);
    QVERIFY(std::fabs(column1.D() - (-kMarkRadius - 4.5)) < 0.05);
    // A match reports the origin, so contours moved to it land on the mark.
    Item truth;
    truth.row = 150.3;
    truth.column = 200.8;
    truth.scale = 1.02;
    Found f;
    QCOMPARE(findCircle(ShapeMatchPictures::render(sceneFor(false, QStringLiteral("dark"), truth, 5)), model, &f),
             kSuccess);
    QCOMPARE(f.count(), Hlong(1));
    QVERIFY(std::fabs(f.row.D() - (truth.row - 7.0 * truth.scale)) < 0.15);
    QVERIFY(std::fabs(f.column.D() - (truth.column + 4.5 * truth.scale)) < 0.15);
    // Higher levels are in their own pixels; a level beyond the model's fails.
    QCOMPARE(get_shape_model_contours(&contours, model, 2), kSuccess);
    QCOMPARE(smallest_rectangle1_xld(contours, &row1, &column1, &row2, &column2), kSuccess);
    QVERIFY(std::fabs(row2.D() - (kMarkRadius + 7.0) / 2.0) < 0.05);
    Hobject untouched;
    QCOMPARE(get_shape_model_contours(&untouched, model, 4), kErrWrongValue2);
    QVERIFY(untouched.IsEmpty());
    clear_shape_model(model);
}

void tst_HalconShapeModel::parameters()
{
    const HTuple model = circleModel("ignore_local_polarity", 25.0);
    HTuple levels, angleStart, angleExtent, angleStep, scaleMin, scaleMax, scaleStep, metric, minContrast;
    QCOMPARE(get_shape_model_params(model, &levels, &angleStart, &angleExtent, &angleStep, &scaleMin, &scaleMax,
                                    &scaleStep, &metric, &minContrast),
             kSuccess);
    QCOMPARE(levels.L(), Hlong(3));
    QCOMPARE(angleExtent.D(), 0.0);
    QVERIFY(angleStep.D() > 0.0);
    QCOMPARE(scaleMin.D(), 0.95);
    QCOMPARE(scaleMax.D(), 1.05);
    QCOMPARE(scaleStep.D(), 0.002);
    QCOMPARE(QString::fromStdString(metric.S()), QStringLiteral("ignore_local_polarity"));
    QCOMPARE(minContrast.D(), 25.0);
    clear_shape_model(model);

    // The image model resolves its automatic values.
    const HTuple cross = crossModel("use_polarity");
    QCOMPARE(get_shape_model_params(cross, &levels, &angleStart, &angleExtent, &angleStep, &scaleMin, &scaleMax,
                                    &scaleStep, &metric, &minContrast),
             kSuccess);
    QVERIFY(levels.L() >= 3);
    QCOMPARE(angleStart.D(), -10.0 * kDeg);
    QVERIFY(minContrast.D() > 0.0);
    clear_shape_model(cross);
}

void tst_HalconShapeModel::fileRoundTrip()
{
    QTemporaryDir dir;
    const std::string path = (dir.path() + QStringLiteral("/cross.modeldata")).toStdString();
    const HTuple model = crossModel("ignore_global_polarity");
    QCOMPARE(set_shape_model_origin(model, 3.5, -2.0), kSuccess);
    QCOMPARE(set_shape_model_param(model, "timeout", 5000), kSuccess);
    {
        FilePlacingRecorder placing;
        QCOMPARE(write_shape_model(model, path.c_str()), kSuccess);
        const QString fault = placing.faultPlacing(QString::fromStdString(path));
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
    HTuple copy;
    QCOMPARE(read_shape_model(path.c_str(), &copy), kSuccess);
    QVERIFY(copy.L() != model.L());

    HTuple a[9], b[9];
    get_shape_model_params(model, &a[0], &a[1], &a[2], &a[3], &a[4], &a[5], &a[6], &a[7], &a[8]);
    get_shape_model_params(copy, &b[0], &b[1], &b[2], &b[3], &b[4], &b[5], &b[6], &b[7], &b[8]);
    for (int i = 0; i < 9; ++i)
        QCOMPARE(b[i], a[i]);
    HTuple originRow, originColumn;
    get_shape_model_origin(copy, &originRow, &originColumn);
    QCOMPARE(originRow.D(), 3.5);
    QCOMPARE(originColumn.D(), -2.0);

    // The read model finds exactly what the original finds.
    Item truth;
    truth.row = 190.2;
    truth.column = 210.9;
    truth.angle = 4.0 * kDeg;
    truth.scale = 0.97;
    const Hobject image = ShapeMatchPictures::render(sceneFor(true, QStringLiteral("bright"), truth, 11));
    Found original, reread;
    QCOMPARE(findCross(image, model, &original), kSuccess);
    QCOMPARE(findCross(image, copy, &reread), kSuccess);
    QCOMPARE(original.count(), Hlong(1));
    QCOMPARE(reread.row, original.row);
    QCOMPARE(reread.column, original.column);
    QCOMPARE(reread.angle, original.angle);
    QCOMPARE(reread.score, original.score);
    clear_shape_model(model);
    clear_shape_model(copy);
}

void tst_HalconShapeModel::damagedFiles_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("empty") << "empty";
    QTest::newRow("header only") << "header";
    QTest::newRow("truncated in the middle") << "half";
    QTest::newRow("last byte missing") << "last";
    QTest::newRow("one bit flipped") << "flip";
    QTest::newRow("byte appended") << "append";
    QTest::newRow("newer version") << "version";
    QTest::newRow("foreign file") << "foreign";
}

void tst_HalconShapeModel::damagedFiles()
{
    QFETCH(QString, damage);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/model.modeldata");
    const HTuple model = circleModel("use_polarity");
    QCOMPARE(write_shape_model(model, path.toStdString().c_str()), kSuccess);
    clear_shape_model(model);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    if (damage == QLatin1String("empty"))
        bytes.clear();
    else if (damage == QLatin1String("header"))
        bytes.truncate(24);
    else if (damage == QLatin1String("half"))
        bytes.truncate(bytes.size() / 2);
    else if (damage == QLatin1String("last"))
        bytes.chop(1);
    else if (damage == QLatin1String("flip"))
        bytes[bytes.size() / 3] = char(bytes[bytes.size() / 3] ^ 0x10);
    else if (damage == QLatin1String("append"))
        bytes.append('x');
    else if (damage == QLatin1String("version"))
        bytes[8] = char(bytes[8] + 1);
    else
        bytes = QByteArray("P5\n4 4\n255\n") + QByteArray(16, 'a');
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    HTuple read = -1;
    QCOMPARE(read_shape_model(path.toStdString().c_str(), &read), kErrFileFormatContent);
    QCOMPARE(read, HTuple(-1));
}

void tst_HalconShapeModel::fileErrors()
{
    QTemporaryDir dir;
    HTuple read = -1;
    QCOMPARE(read_shape_model((dir.path() + QStringLiteral("/missing.modeldata")).toStdString().c_str(), &read),
             kErrFileOpen);
    QCOMPARE(read_shape_model(dir.path().toStdString().c_str(), &read), kErrFileOpen);
    QCOMPARE(read_shape_model("", &read), kErrWrongValue1);
    QCOMPARE(read, HTuple(-1));

    // A failed write leaves the earlier file as it was.
    const HTuple model = circleModel("use_polarity");
    const QString path = dir.path() + QStringLiteral("/model.modeldata");
    QCOMPARE(write_shape_model(model, path.toStdString().c_str()), kSuccess);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    QCOMPARE(write_shape_model(model, (dir.path() + QStringLiteral("/no/such/folder/x")).toStdString().c_str()),
             kErrFileWrite);
    QCOMPARE(write_shape_model(model, dir.path().toStdString().c_str()), kErrFileWrite);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    clear_shape_model(model);
}

void tst_HalconShapeModel::wrongInputs()
{
    const HTuple model = circleModel("use_polarity");
    Hobject region, empty, circle;
    gen_rectangle1(&region, 0, 0, 10, 10);
    gen_circle_contour_xld(&circle, 30.0, 30.0, 20.0, 0.0, 6.283185307179622, "positive", 0.5);
    Scene scene;
    const Hobject image = ShapeMatchPictures::render(scene);
    HTuple handle = 777;
    Found f;
    f.row = HTuple(-3.0);

    // Objects of the wrong class or none.
    QCOMPARE(create_scaled_shape_model(region, 3, 0.0, 0.0, "auto", 0.9, 1.1, "auto", "auto", "use_polarity", 30, 10,
                                       &handle),
             kErrWrongObjectClass1);
    QCOMPARE(create_scaled_shape_model(empty, 3, 0.0, 0.0, "auto", 0.9, 1.1, "auto", "auto", "use_polarity", 30, 10,
                                       &handle),
             kErrEmptyObject);
    QCOMPARE(create_scaled_shape_model_xld(image, 3, 0.0, 0.0, "auto", 0.9, 1.1, "auto", "auto", "use_polarity", 10,
                                           &handle),
             kErrWrongObjectClass1);
    QCOMPARE(find_scaled_shape_model(circle, model, 0.0, 0.0, 0.95, 1.05, 0.7, 1, 0.0, "none", 3, 0.5, &f.row,
                                     &f.column, &f.angle, &f.scale, &f.score),
             kErrWrongObjectClass1);
    QCOMPARE(find_scaled_shape_model(empty, model, 0.0, 0.0, 0.95, 1.05, 0.7, 1, 0.0, "none", 3, 0.5, &f.row,
                                     &f.column, &f.angle, &f.scale, &f.score),
             kErrEmptyObject);

    // Control values out of range or of the wrong kind.
    QCOMPARE(create_scaled_shape_model_xld(circle, 11, 0.0, 0.0, "auto", 0.9, 1.1, "auto", "auto", "use_polarity",
                                           10, &handle),
             kErrWrongValue1);
    QCOMPARE(create_scaled_shape_model_xld(circle, 3, 0.0, -1.0, "auto", 0.9, 1.1, "auto", "auto", "use_polarity",
                                           10, &handle),
             kErrWrongValue3);
    QCOMPARE(create_scaled_shape_model_xld(circle, 3, 0.0, 0.0, "auto", 0.0, 1.1, "auto", "auto", "use_polarity", 10,
                                           &handle),
             kErrWrongValue5);
    QCOMPARE(create_scaled_shape_model_xld(circle, 3, 0.0, 0.0, "auto", 0.9, 1.1, "auto", "fastest", "use_polarity",
                                           10, &handle),
             kErrWrongValue8);
    QCOMPARE(create_scaled_shape_model_xld(circle, 3, 0.0, 0.0, "auto", 0.9, 1.1, "auto", "auto", "polarity", 10,
                                           &handle),
             kErrWrongValue9);
    QCOMPARE(create_scaled_shape_model_xld(circle, 3, 0.0, 0.0, "auto", 0.9, 1.1, "auto", "auto", "use_polarity",
                                           "high", &handle),
             kErrWrongValue10);
    QCOMPARE(create_scaled_shape_model(crossTemplate(), 3, 0.0, 0.0, "auto", 0.9, 1.1, "auto", "auto",
                                       "use_polarity", HTuple("auto_contrast_hyst"), 10, &handle),
             kErrWrongValue10);
    QCOMPARE(create_scaled_shape_model(crossTemplate(), 3, 0.0, 0.0, "auto", 0.9, 1.1, "auto", "auto",
                                       "use_polarity", 30, -2, &handle),
             kErrWrongValue11);
    QCOMPARE(create_scaled_shape_model(crossTemplate(), 3, 0.0, 0.0, "auto", 0.9, 1.1, "auto", "auto",
                                       "use_polarity", HTuple(std::vector<Hlong>{10, 20, 5, 1}), 10, &handle),
             kErrWrongCount10);
    QCOMPARE(handle, HTuple(777));

    auto find = [&](const HTuple &minScore, const HTuple &subPixel, const HTuple &levels, const HTuple &greediness) {
        return find_scaled_shape_model(image, model, 0.0, 0.0, 0.95, 1.05, minScore, 1, 0.0, subPixel, levels,
                                       greediness, &f.row, &f.column, &f.angle, &f.scale, &f.score);
    };
    QCOMPARE(find(1.5, "none", 3, 0.5), kErrWrongValue6);
    QCOMPARE(find("high", "none", 3, 0.5), kErrWrongType6);
    QCOMPARE(find(0.7, "cubic", 3, 0.5), kErrWrongValue9);
    QCOMPARE(find(0.7, "none", 12, 0.5), kErrWrongValue10);
    QCOMPARE(find(0.7, "none", HTuple(std::vector<Hlong>{2, 3}), 0.5), kErrWrongValue10);
    QCOMPARE(find(0.7, "none", 3, 1.5), kErrWrongValue11);
    QCOMPARE(f.row, HTuple(-3.0));
    HTuple text;
    get_error_text(kErrWrongValue11, &text);
    QCOMPARE(QString::fromStdString(text.S()), QStringLiteral("Wrong value of control parameter 11"));

    // A model made from a picture needs one channel unless the metric ignores colours.
    Hobject rgb;
    compose3(image, image, image, &rgb);
    QCOMPARE(create_scaled_shape_model(reduced(rgb, 20, 20, 180, 180), 3, 0.0, 0.0, "auto", 0.9, 1.1, "auto", "auto",
                                       "use_polarity", 30, 10, &handle),
             kErrWrongChannelCount);
    clear_shape_model(model);
}

void tst_HalconShapeModel::clearedHandle()
{
    const HTuple model = circleModel("use_polarity");
    QCOMPARE(clear_shape_model(model), kSuccess);
    Found f;
    HTuple row;
    Hobject contours;
    QCOMPARE(clear_shape_model(model), kErrInvalidHandle);
    QCOMPARE(findCircle(ShapeMatchPictures::render(Scene()), model, &f), kErrInvalidHandle);
    QCOMPARE(get_shape_model_origin(model, &row, &row), kErrInvalidHandle);
    QCOMPARE(get_shape_model_contours(&contours, model, 1), kErrInvalidHandle);
    QCOMPARE(set_shape_model_param(model, "timeout", 10), kErrInvalidHandle);
    QCOMPARE(clear_shape_model(HTuple("model")), kErrWrongType1);
    QCOMPARE(clear_shape_model(HTuple()), kErrWrongCount1);
    // A new model never reuses a cleared handle.
    const HTuple next = circleModel("use_polarity");
    QVERIFY(next.L() != model.L());
    clear_shape_model(next);
}

void tst_HalconShapeModel::concurrentSearches()
{
    // Each worker owns its model; searches in parallel give what they give alone.
    const HTuple circle = circleModel("ignore_local_polarity");
    const HTuple cross = crossModel("use_polarity");
    Item markPose;
    markPose.row = 120.6;
    markPose.column = 170.2;
    markPose.scale = 1.03;
    Item crossPose;
    crossPose.row = 201.1;
    crossPose.column = 188.4;
    crossPose.angle = -6.0 * kDeg;
    const Hobject markImage = ShapeMatchPictures::render(sceneFor(false, QStringLiteral("split"), markPose, 21));
    const Hobject crossImage = ShapeMatchPictures::render(sceneFor(true, QStringLiteral("dark"), crossPose, 22));
    Found markAlone, crossAlone;
    QCOMPARE(findCircle(markImage, circle, &markAlone), kSuccess);
    QCOMPARE(findCross(crossImage, cross, &crossAlone), kSuccess);
    Found markResults[3], crossResults[3];
    Herror markErrors[3] = {}, crossErrors[3] = {};
    {
        std::thread markWorker([&] {
            for (int i = 0; i < 3; ++i)
                markErrors[i] = findCircle(markImage, circle, &markResults[i]);
        });
        std::thread crossWorker([&] {
            for (int i = 0; i < 3; ++i)
                crossErrors[i] = findCross(crossImage, cross, &crossResults[i]);
        });
        markWorker.join();
        crossWorker.join();
    }
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(markErrors[i], kSuccess);
        QCOMPARE(crossErrors[i], kSuccess);
        QCOMPARE(markResults[i].row, markAlone.row);
        QCOMPARE(crossResults[i].column, crossAlone.column);
    }
    clear_shape_model(circle);
    clear_shape_model(cross);
}

QTEST_GUILESS_MAIN(tst_HalconShapeModel)
#include "tst_HalconShapeModel.moc"
