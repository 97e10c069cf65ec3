#include "CorrectionInfo.h"
#include "IImageRefPointsView.h"
#include "ImageRefPoint.h"
#include "ImageRefPointsMetrics.h"
#include "ReferencePointSearch.h"
#include "ReferencePointSearchCoordinates.h"

#include <DrawStyle.h>
#include <Errors.h>
#include <IHalconView.h>
#include <PlatePictures.h>

#include <Halcon.h>

#include <QSemaphore>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <cmath>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

using PlatePictures::Plate;

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;
constexpr double kHalfPi = 1.57079632679489661923;

// The application's texts of the codes this engine returns.
class ErrorTexts : public Errors::CallbackFunctions {
public:
    QString errorText(Errors::Type_Error code) override
    {
        switch (code) {
        case 160: return QStringLiteral("Not enough reference points found");
        case 161: return QStringLiteral("Too many reference points found");
        case 162: return QStringLiteral("Angle of reference points rectangle is outside tolerance");
        case 163: return QStringLiteral("Reference points not evaluated");
        case 164:
            return QStringLiteral("Reference point coordinates are not valid. Failed to calculate coordinate system.");
        default: return QStringLiteral("code %1").arg(code);
        }
    }
};

// Records every drawing call; converts percent with the longer side of the picture.
class FakeHalconView : public IHalconView {
public:
    struct Call {
        QString kind; // "object", "text", "style", "remove", "update"
        QString name;
        DrawStyle style;
        QString text;
        double row = 0.0;
        double column = 0.0;
        bool selectable = false;
        bool update = false;
        Halcon::Hobject object;
    };

    double longerSide = 0.0;
    std::vector<Call> calls;
    // Runs at every object drawn, on the searching thread: a test acts in the middle of a run.
    std::function<void()> onObject;

    void setPictureSize(int width, int height) { longerSide = std::max(width, height); }

    void percentToPixels(double x, double y, double& xPixels, double& yPixels) override
    {
        xPixels = longerSide * x / 100.0;
        yPixels = longerSide * y / 100.0;
    }
    void pixelsToPercent(double x, double y, double& xPercent, double& yPercent) override
    {
        xPercent = longerSide > 0.0 ? x * 100.0 / longerSide : 0.0;
        yPercent = longerSide > 0.0 ? y * 100.0 / longerSide : 0.0;
    }
    void addText(const QString& text, double row, double column, const DrawStyle& style, const QString& name,
                 bool selectable, bool update) override
    {
        Call call{QStringLiteral("text"), name, style, text, row, column, selectable, update, {}};
        calls.push_back(call);
    }
    void addObject(const Halcon::Hobject& object, const char* color, const char* drawMode, int lineWidth,
                   const QString& name, bool selectable) override
    {
        Call call{QStringLiteral("object"), name, DrawStyle(color, drawMode, lineWidth), {}, 0.0, 0.0, selectable,
                  true, object};
        calls.push_back(call);
        if (onObject)
            onObject();
    }
    using IHalconView::addObject;
    void removeObjects(const QString& namePrefix) override
    {
        calls.push_back({QStringLiteral("remove"), namePrefix, {}, {}, 0.0, 0.0, false, true, {}});
    }
    void update() override { calls.push_back({QStringLiteral("update"), {}, {}, {}, 0.0, 0.0, false, true, {}}); }
    double percentToPixelsX(double value) override { return longerSide * value / 100.0; }
    double percentToPixelsY(double value) override { return longerSide * value / 100.0; }
    double pixelsToPercentX(double value) override { return longerSide > 0.0 ? value * 100.0 / longerSide : 0.0; }
    double pixelsToPercentY(double value) override { return longerSide > 0.0 ? value * 100.0 / longerSide : 0.0; }
    Hobject_View_Gui* getView() override { return nullptr; }
    void setObjectsStyle(const QString& namePrefix, const DrawStyle& style, bool update) override
    {
        calls.push_back({QStringLiteral("style"), namePrefix, style, {}, 0.0, 0.0, false, update, {}});
    }

    std::vector<Call> named(const QString& kind, const QString& name) const
    {
        std::vector<Call> result;
        for (const Call& call : calls)
            if (call.kind == kind && call.name == name)
                result.push_back(call);
        return result;
    }
};

class FakePointsView : public IImageRefPointsView {
public:
    QStringList log; // "clear", "add", "metrics" in call order
    QList<QString> texts;
    QList<ImageRefPoint> points;
    QList<ImageRefPointsMetrics> metrics;
    // Runs at every report, on the searching thread.
    std::function<void()> onReport;

    void add(const QString& text, const ImageRefPoint& item) override
    {
        log << QStringLiteral("add");
        texts << text;
        points << item;
        if (onReport)
            onReport();
    }
    void clear() override
    {
        log << QStringLiteral("clear");
        points.clear();
        texts.clear();
        if (onReport)
            onReport();
    }
    void addMetrics(const ImageRefPointsMetrics& item) override
    {
        log << QStringLiteral("metrics");
        metrics << item;
    }
};

// The grey picture the worker hands over.
Halcon::Hobject grey(const Halcon::Hobject& rgb)
{
    Halcon::Hobject result;
    Halcon::rgb1_to_gray(rgb, &result);
    return result;
}

// Settings whose four search areas are squares of `area` pixels about the true centres.
ReferencePointSearch::ReferencePoints settingsFor(const Plate& plate, const PlatePictures::Picture& picture,
                                                  double area = 200.0)
{
    ReferencePointSearch::ReferencePoints settings;
    const double longer = std::max(plate.width, plate.height);
    for (int i = 0; i < 4; ++i) {
        settings.SearchPosition[i].X = (picture.columns[size_t(i)] - area / 2.0) * 100.0 / longer;
        settings.SearchPosition[i].Y = (picture.rows[size_t(i)] - area / 2.0) * 100.0 / longer;
    }
    settings.SearchPositionWidth = area * 100.0 / longer;
    settings.SearchPositionHeight = area * 100.0 / longer;
    settings.RefPointRadius = plate.markRadius;
    settings.DistanceX = 90.0;
    settings.DistanceY = 92.0;
    settings.DistanceCameraToRefPointPlane = 239.8;
    settings.DistanceRefPointPlaneToAgarPlane = 0.0;
    return settings;
}

bool isIdentity(const Halcon::HTuple& matrix)
{
    const double unit[6] = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0};
    if (matrix.Length() != 6)
        return false;
    for (int i = 0; i < 6; ++i)
        if (matrix[i].D() != unit[i])
            return false;
    return true;
}

// Asks for every match instead of one, so a search area with two marks reports both.
Halcon::Herror findAllMatches(const Halcon::Hobject& image, const Halcon::HTuple& modelID,
                              const Halcon::HTuple& angleStart, const Halcon::HTuple& angleExtent,
                              const Halcon::HTuple& scaleMin, const Halcon::HTuple& scaleMax,
                              const Halcon::HTuple& minScore, const Halcon::HTuple&, const Halcon::HTuple& maxOverlap,
                              const Halcon::HTuple& subPixel, const Halcon::HTuple& numLevels,
                              const Halcon::HTuple& greediness, Halcon::HTuple* row, Halcon::HTuple* column,
                              Halcon::HTuple* angle, Halcon::HTuple* scale, Halcon::HTuple* score)
{
    return Halcon::find_scaled_shape_model(image, modelID, angleStart, angleExtent, scaleMin, scaleMax, minScore, 0,
                                           maxOverlap, subPixel, numLevels, greediness, row, column, angle, scale,
                                           score);
}

// Fails like a broken operator in the bottom-right search area only.
Halcon::Herror failInBottomRightArea(const Halcon::Hobject& image, const Halcon::HTuple& modelID,
                                     const Halcon::HTuple& angleStart, const Halcon::HTuple& angleExtent,
                                     const Halcon::HTuple& scaleMin, const Halcon::HTuple& scaleMax,
                                     const Halcon::HTuple& minScore, const Halcon::HTuple& numMatches,
                                     const Halcon::HTuple& maxOverlap, const Halcon::HTuple& subPixel,
                                     const Halcon::HTuple& numLevels, const Halcon::HTuple& greediness,
                                     Halcon::HTuple* row, Halcon::HTuple* column, Halcon::HTuple* angle,
                                     Halcon::HTuple* scale, Halcon::HTuple* score)
{
    Halcon::Hobject domain;
    Halcon::HTuple area, centreRow, centreColumn;
    Halcon::get_domain(image, &domain);
    Halcon::area_center(domain, &area, &centreRow, &centreColumn);
    if (centreRow.D() > 480.0 && centreColumn.D() > 640.0)
        return Halcon::kErrInternal;
    return Halcon::find_scaled_shape_model(image, modelID, angleStart, angleExtent, scaleMin, scaleMax, minScore,
                                           numMatches, maxOverlap, subPixel, numLevels, greediness, row, column,
                                           angle, scale, score);
}

// Searches that end in the reverse order of their areas when they run at once: each area
// but the last waits (bounded) for the one after it. Areas 2 and 4 fail with codes of
// their own, so the code tells which failure was counted last.
struct ReverseOrder {
    double rows[4] = {};
    double columns[4] = {};
    QSemaphore done[4];
    std::vector<int> order;
    std::mutex orderMutex;
};
ReverseOrder* g_reverse = nullptr;

// The search area (0 .. 3) whose mark lies nearest to the centre of the picture's domain.
int nearestArea(const Halcon::Hobject& image)
{
    Halcon::Hobject domain;
    Halcon::HTuple area, centreRow, centreColumn;
    Halcon::get_domain(image, &domain);
    Halcon::area_center(domain, &area, &centreRow, &centreColumn);
    int index = 0;
    for (int i = 1; i < 4; ++i) {
        if (std::hypot(centreRow.D() - g_reverse->rows[i], centreColumn.D() - g_reverse->columns[i])
            < std::hypot(centreRow.D() - g_reverse->rows[index], centreColumn.D() - g_reverse->columns[index]))
            index = i;
    }
    return index;
}

const ReferencePointSearch::ShapeSearchFunction searchInReverseOrder =
    [](const Halcon::Hobject& image, auto... parameters) -> Halcon::Herror {
    const int index = nearestArea(image);
    if (index < 3)
        g_reverse->done[index + 1].tryAcquire(1, 5000);
    const Halcon::Herror result = index == 1 ? Halcon::kErrInternal
        : index == 3                         ? Halcon::kErrEmptyObject
                                             : Halcon::find_scaled_shape_model(image, parameters...);
    {
        std::lock_guard lock(g_reverse->orderMutex);
        g_reverse->order.push_back(index + 1);
    }
    g_reverse->done[index].release();
    return result;
};

struct Engine {
    FakeHalconView view;
    FakePointsView points;
    ReferencePointSearch search;

    explicit Engine(const Plate& plate)
    {
        view.setPictureSize(plate.width, plate.height);
        search.init(&view, &points);
    }
};

} // namespace

class tst_ReferencePointSearch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void search_data();
    void search();
    void drawingOfASuccessfulSearch();
    void failedAreas_data();
    void failedAreas();
    void areasSearchedAtOnceReportInAreaOrder();
    void modelCannotBeMade_data();
    void modelCannotBeMade();
    void cornerAngleOutsideTolerance();
    void unusableDistancesGiveAnErrorNotInfinity_data();
    void unusableDistancesGiveAnErrorNotInfinity();
    void correction_data();
    void correction();

    void fixedPositions_data();
    void fixedPositions();
    void fixedPositionZeroCoordinate();
    void fixedPositionsCornerAngleOutsideTolerance();
    void fixedPositionsCoincidentPoints();

    void heightScale_data();
    void heightScale();
    void heightScaleFollowsTheSettingsRecord();
    void resetAndNoSettings();
    void transformsReadWhileRunsRebuildThem();
    void cornerNames_data();
    void cornerNames();
    void coordinatesWithoutSearch();

private:
    ErrorTexts m_texts;
    Errors* m_errors = nullptr;
};

void tst_ReferencePointSearch::initTestCase()
{
    m_errors = new Errors(&m_texts, this);
}

void tst_ReferencePointSearch::search_data()
{
    QTest::addColumn<double>("rotationDegrees");
    QTest::addColumn<double>("noise");
    QTest::addColumn<double>("ringInner");
    QTest::addColumn<double>("rowOffset");
    QTest::addColumn<double>("columnOffset");

    QTest::newRow("upright discs") << 0.0 << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("upright, sub-pixel offset") << 0.0 << 0.0 << 0.0 << 0.37 << -0.21;
    QTest::newRow("turned 2 deg") << 2.0 << 0.0 << 0.0 << 0.13 << 0.41;
    QTest::newRow("turned -4.5 deg, noise 6") << -4.5 << 6.0 << 0.0 << -0.29 << 0.18;
    QTest::newRow("rings, turned 1 deg, noise 10") << 1.0 << 10.0 << 12.0 << 0.45 << 0.05;
}

void tst_ReferencePointSearch::search()
{
    QFETCH(double, rotationDegrees);
    QFETCH(double, noise);
    QFETCH(double, ringInner);
    QFETCH(double, rowOffset);
    QFETCH(double, columnOffset);

    Plate plate;
    plate.rotation = rotationDegrees * kDeg;
    plate.noiseSigma = noise;
    plate.ringInnerRadius = ringInner;
    plate.centreRow += rowOffset;
    plate.centreColumn += columnOffset;
    const PlatePictures::Picture picture = PlatePictures::render(plate);
    const ReferencePointSearch::ReferencePoints settings = settingsFor(plate, picture);

    Engine engine(plate);
    QCOMPARE(engine.search.run(grey(picture.image), &settings, nullptr), Errors::Type_Error(0));

    for (int i = 0; i < 4; ++i) {
        const ImageRefPoint point = engine.search.point(i);
        QVERIFY2(point.Found, qPrintable(point.ErrorText));
        QCOMPARE(point.Index, i);
        QVERIFY2(std::fabs(point.PosY_px - picture.rows[size_t(i)]) < 0.3
                     && std::fabs(point.PosX_px - picture.columns[size_t(i)]) < 0.3,
                 qPrintable(QStringLiteral("point %1 at (%2, %3), true (%4, %5)")
                                .arg(i)
                                .arg(point.PosY_px)
                                .arg(point.PosX_px)
                                .arg(picture.rows[size_t(i)])
                                .arg(picture.columns[size_t(i)])));
        QVERIFY(point.Score >= settings.RefPointPointMinimumScore);
        QVERIFY(std::fabs(point.Scale - 1.0) < 0.02);
    }

    // Resolutions, rotation and corner angle as the plate was drawn.
    const double horizontal = plate.spacingX / settings.DistanceX;
    const double vertical = plate.spacingY / settings.DistanceY;
    QVERIFY(std::fabs(engine.search.HorizontalResolution - horizontal) < 0.6 / settings.DistanceX);
    QVERIFY(std::fabs(engine.search.VerticalResolution - vertical) < 0.6 / settings.DistanceY);
    QVERIFY(std::fabs(engine.search.MeanResolution - (horizontal + vertical) / 2.0) < 0.01);
    QVERIFY(std::fabs(engine.search.AxisRotation - plate.rotation) < 0.001);
    QVERIFY(std::fabs(engine.search.CornerAngle - kHalfPi) < 0.001);

    // The plate matrix puts the marks at their millimetre places.
    const double expectedY[4] = {0.0, 0.0, 92.0, 92.0};
    const double expectedX[4] = {20.0, 110.0, 20.0, 110.0};
    for (int i = 0; i < 4; ++i) {
        double y = 0.0, x = 0.0;
        engine.search.transformPlateCoordinates(picture.rows[size_t(i)], picture.columns[size_t(i)], &y, &x);
        QVERIFY2(std::fabs(y - expectedY[i]) < 0.05 && std::fabs(x - expectedX[i]) < 0.05,
                 qPrintable(QStringLiteral("mark %1 at (%2, %3) mm").arg(i).arg(y).arg(x)));
    }

    // Reported: the cleared table, zero metrics, four points, then the metrics of the run.
    QCOMPARE(engine.points.log, QStringList({"clear", "metrics", "add", "add", "add", "add", "metrics"}));
    QCOMPARE(engine.points.texts, QList<QString>(4, QString()));
    QCOMPARE(engine.points.metrics.first(), ImageRefPointsMetrics());
    const ImageRefPointsMetrics reported = engine.points.metrics.last();
    QCOMPARE(reported.HorizontalResolution, engine.search.HorizontalResolution);
    QCOMPARE(reported.VerticalResolution, engine.search.VerticalResolution);
    QCOMPARE(reported.AxisRotation, engine.search.AxisRotation);
    QCOMPARE(reported.CornerAngle, engine.search.CornerAngle);
    QVERIFY(reported.Message.isEmpty());
}

void tst_ReferencePointSearch::drawingOfASuccessfulSearch()
{
    Plate plate;
    const PlatePictures::Picture picture = PlatePictures::render(plate);
    const ReferencePointSearch::ReferencePoints settings = settingsFor(plate, picture);
    Engine engine(plate);
    QCOMPARE(engine.search.run(grey(picture.image), &settings, nullptr), Errors::Type_Error(0));

    const auto& calls = engine.view.calls;
    const DrawStyle areaStyle("green", "margin", 1);
    const DrawStyle labelStyle("cyan", "arial", 6);
    const DrawStyle circleStyle("white", "margin", 1);
    const DrawStyle matchStyle("green", "margin", 1);

    // The four areas with their labels come first, before any result of a search.
    QVERIFY(calls.size() >= 8);
    for (int i = 1; i <= 4; ++i) {
        const auto& area = calls[size_t(2 * (i - 1))];
        const auto& label = calls[size_t(2 * (i - 1) + 1)];
        QCOMPARE(area.kind, QStringLiteral("object"));
        QCOMPARE(area.name, QStringLiteral("HalconObject_ReferencePoints_SearchArea.%1").arg(i));
        QCOMPARE(area.style, areaStyle);
        QCOMPARE(label.kind, QStringLiteral("text"));
        QCOMPARE(label.text, QString::number(i));
        QCOMPARE(label.name, QStringLiteral("HalconObject_ReferencePoints_Label.%1").arg(i));
        QCOMPARE(label.style, labelStyle);
        QVERIFY(!label.update);
        // The label sits at the area's top-left corner.
        QVERIFY(std::fabs(label.row - (picture.rows[size_t(i - 1)] - 100.0)) < 1e-6);
        QVERIFY(std::fabs(label.column - (picture.columns[size_t(i - 1)] - 100.0)) < 1e-6);
    }

    for (int i = 1; i <= 4; ++i) {
        const auto areaObjects = engine.view.named("object", QStringLiteral("HalconObject_ReferencePoints_SearchArea.%1").arg(i));
        QCOMPARE(areaObjects.size(), size_t(2)); // the rectangle and the mark's circle
        QCOMPARE(areaObjects[1].style, circleStyle);
        const auto matchObjects = engine.view.named("object", QStringLiteral("HalconObject_ReferencePoints_Match.%1").arg(i));
        QCOMPARE(matchObjects.size(), size_t(2)); // the model contour, then the result cross
        QCOMPARE(matchObjects[0].style, matchStyle);
        QCOMPARE(matchObjects[1].style, matchStyle);
        for (const auto& object : matchObjects) {
            // Both lie on the mark.
            Halcon::HTuple row1, column1, row2, column2;
            QCOMPARE(Halcon::smallest_rectangle1_xld(object.object, &row1, &column1, &row2, &column2),
                     Halcon::kSuccess);
            QVERIFY(row1.Length() > 0);
            double top = 1e30, left = 1e30, bottom = -1e30, right = -1e30;
            for (Halcon::Hlong k = 0; k < row1.Length(); ++k) {
                top = std::min(top, row1[k].D());
                left = std::min(left, column1[k].D());
                bottom = std::max(bottom, row2[k].D());
                right = std::max(right, column2[k].D());
            }
            const double centreRow = (top + bottom) / 2.0;
            const double centreColumn = (left + right) / 2.0;
            QVERIFY(std::fabs(centreRow - picture.rows[size_t(i - 1)]) < 1.0);
            QVERIFY(std::fabs(centreColumn - picture.columns[size_t(i - 1)]) < 1.0);
        }
    }
    QVERIFY(engine.view.named("style", QStringLiteral("HalconObject_ReferencePoints_SearchArea.1")).empty());
    for (const auto& call : calls)
        QVERIFY(!call.selectable);
    QCOMPARE(calls.back().kind, QStringLiteral("update"));
}

void tst_ReferencePointSearch::failedAreas_data()
{
    QTest::addColumn<unsigned>("missingMarks");
    QTest::addColumn<bool>("extraMarkInArea1");
    QTest::addColumn<bool>("area4Fails");
    QTest::addColumn<bool>("colourPicture");
    QTest::addColumn<int>("expectedCode"); // -1: a layer code
    QTest::addColumn<QList<int>>("failedAreas");

    QTest::newRow("area 2 without a mark") << 2u << false << false << false << 160 << QList<int>{2};
    QTest::newRow("areas 1 and 4 without a mark") << 9u << false << false << false << 160 << QList<int>{1, 4};
    QTest::newRow("two marks in area 1") << 0u << true << false << false << 161 << QList<int>{1};
    QTest::newRow("area 2 without mark, area 4 search fails")
        << 2u << false << true << false << -1 << QList<int>{2, 4};
    QTest::newRow("two marks in area 1, area 2 without mark") << 2u << true << false << false << 160
                                                              << QList<int>{1, 2};
    QTest::newRow("colour picture: every search fails") << 0u << false << false << true << -1
                                                        << QList<int>{1, 2, 3, 4};
}

void tst_ReferencePointSearch::failedAreas()
{
    QFETCH(unsigned, missingMarks);
    QFETCH(bool, extraMarkInArea1);
    QFETCH(bool, area4Fails);
    QFETCH(bool, colourPicture);
    QFETCH(int, expectedCode);
    QFETCH(QList<int>, failedAreas);

    Plate plate;
    plate.missingMarks = missingMarks;
    PlatePictures::Picture picture = PlatePictures::render(plate);
    if (extraMarkInArea1)
        picture = PlatePictures::render(plate, {picture.rows[0] + 50.0, picture.columns[0] + 45.0});
    ReferencePointSearch::ReferencePoints settings = settingsFor(plate, picture, 260.0);

    Engine engine(plate);
    if (extraMarkInArea1)
        engine.search.setShapeSearchFunction(&findAllMatches);
    if (area4Fails)
        engine.search.setShapeSearchFunction(&failInBottomRightArea);
    const Errors::Type_Error result =
        engine.search.run(colourPicture ? picture.image : grey(picture.image), &settings, nullptr);
    if (expectedCode < 0)
        QVERIFY2(result >= 1000, qPrintable(QString::number(result)));
    else
        QCOMPARE(int(result), expectedCode);

    // All four areas are searched and reported, whatever failed.
    QCOMPARE(engine.points.log, QStringList({"clear", "metrics", "add", "add", "add", "add", "metrics"}));
    for (int i = 1; i <= 4; ++i) {
        const ImageRefPoint point = engine.points.points.at(i - 1);
        QCOMPARE(point.Index, i - 1);
        const QString areaName = QStringLiteral("HalconObject_ReferencePoints_SearchArea.%1").arg(i);
        const auto restyled = engine.view.named("style", areaName);
        if (failedAreas.contains(i)) {
            QVERIFY(!point.Found);
            QVERIFY(!point.ErrorText.isEmpty());
            QCOMPARE(restyled.size(), size_t(1));
            QCOMPARE(restyled[0].style, DrawStyle("red", "margin", 3));
            QVERIFY(!restyled[0].update);
        } else {
            QVERIFY(point.Found);
            QVERIFY(point.ErrorText.isEmpty());
            QVERIFY(restyled.empty());
            QVERIFY(std::fabs(point.PosY_px - picture.rows[size_t(i - 1)]) < 0.3);
        }
    }
    if (missingMarks & 2u) {
        QCOMPARE(engine.points.points.at(1).ErrorText, QStringLiteral("No reference point found!"));
        // A circle of the mark's radius marks the centre of the empty area.
        const auto area2 = engine.view.named("object", QStringLiteral("HalconObject_ReferencePoints_SearchArea.2"));
        QCOMPARE(area2.size(), size_t(2));
        QCOMPARE(area2[1].style, DrawStyle("white", "margin", 1));
    }
    if (extraMarkInArea1) {
        QCOMPARE(engine.points.points.at(0).ErrorText, QStringLiteral("Too many reference points found!"));
        // Each match gets its model contour and a cross in red under the match name.
        const auto matches = engine.view.named("object", QStringLiteral("HalconObject_ReferencePoints_Match.1"));
        QCOMPARE(matches.size(), size_t(4));
        for (const auto& match : matches)
            QCOMPARE(match.style, DrawStyle("red", "margin", 1));
    }
    if (colourPicture)
        QCOMPARE(engine.points.points.at(0).ErrorText, Errors::getErrorText(result));
    if (area4Fails) {
        QCOMPARE(int(result), int(Halcon::kErrInternal));
        QCOMPARE(engine.points.points.at(3).ErrorText, Errors::getErrorText(Halcon::kErrInternal));
    }

    // No coordinate system from a failed search: both transforms stay identity and the
    // metrics are the zero ones.
    QVERIFY(isIdentity(engine.search.plateMatrix()));
    QVERIFY(isIdentity(engine.search.heightScaleMatrix()));
    QCOMPARE(engine.points.metrics.last(), ImageRefPointsMetrics());
    double y = 0.0, x = 0.0;
    engine.search.transformPlateCoordinates(12.5, 40.0, &y, &x);
    QCOMPARE(y, 12.5);
    QCOMPARE(x, 40.0);
}

// The four areas are searched at once; however their searches end, the areas are drawn and
// reported from 1 to 4, and the last failing area decides the code.
void tst_ReferencePointSearch::areasSearchedAtOnceReportInAreaOrder()
{
    // The forced order needs the four searches running together on the pool.
    if (QThread::idealThreadCount() < 4)
        QSKIP("fewer than four processors: the pool cannot run the four searches together");
    Plate plate;
    const PlatePictures::Picture picture = PlatePictures::render(plate);
    ReferencePointSearch::ReferencePoints settings = settingsFor(plate, picture, 260.0);
    ReverseOrder reverse;
    for (int i = 0; i < 4; ++i) {
        reverse.rows[i] = picture.rows[size_t(i)];
        reverse.columns[i] = picture.columns[size_t(i)];
    }
    g_reverse = &reverse;
    Halcon::HTuple threads;
    QCOMPARE(Halcon::get_system("thread_num", &threads), Halcon::kSuccess);
    QCOMPARE(Halcon::set_system("thread_num", 4), Halcon::kSuccess);

    Engine engine(plate);
    engine.search.setShapeSearchFunction(searchInReverseOrder);
    const Errors::Type_Error result = engine.search.run(grey(picture.image), &settings, nullptr);
    Halcon::set_system("thread_num", threads);
    g_reverse = nullptr;

    QCOMPARE(reverse.order, (std::vector<int>{4, 3, 2, 1}));
    QCOMPARE(int(result), int(Halcon::kErrEmptyObject));
    QCOMPARE(engine.points.log, QStringList({"clear", "metrics", "add", "add", "add", "add", "metrics"}));
    for (int i = 0; i < 4; ++i) {
        const ImageRefPoint point = engine.points.points.at(i);
        QCOMPARE(point.Index, i);
        QCOMPARE(point.Found, i == 0 || i == 2);
    }
    QCOMPARE(engine.points.points.at(1).ErrorText, Errors::getErrorText(Halcon::kErrInternal));
    QCOMPARE(engine.points.points.at(3).ErrorText, Errors::getErrorText(Halcon::kErrEmptyObject));
    // What the searches found is drawn in area order: the failed areas restyled, the
    // matches of the others (once as found, once more with the coordinate system).
    QStringList restyled, matches;
    for (const auto& call : engine.view.calls) {
        if (call.kind == QStringLiteral("style")
            && call.name.startsWith(QStringLiteral("HalconObject_ReferencePoints_SearchArea.")))
            restyled.push_back(call.name.section(QLatin1Char('.'), 1));
        if (call.kind == QStringLiteral("object")
            && call.name.startsWith(QStringLiteral("HalconObject_ReferencePoints_Match.")))
            matches.push_back(call.name.section(QLatin1Char('.'), 1, 1));
    }
    QCOMPARE(restyled, QStringList({"2", "4"}));
    QCOMPARE(matches, QStringList({"1", "3", "1", "3"}));
}

void tst_ReferencePointSearch::modelCannotBeMade_data()
{
    QTest::addColumn<double>("radius");
    QTest::addColumn<double>("scaleRange");

    QTest::newRow("radius 0") << 0.0 << 5.0;
    QTest::newRow("scale range of 100 %") << 21.0 << 100.0;
}

void tst_ReferencePointSearch::modelCannotBeMade()
{
    QFETCH(double, radius);
    QFETCH(double, scaleRange);

    Plate plate;
    const PlatePictures::Picture picture = PlatePictures::render(plate);
    ReferencePointSearch::ReferencePoints settings = settingsFor(plate, picture);
    settings.RefPointRadius = radius;
    settings.RefPointPointScaleRange = scaleRange;
    Engine engine(plate);
    const Errors::Type_Error result = engine.search.run(grey(picture.image), &settings, nullptr);
    QVERIFY2(result >= 1000, qPrintable(QString::number(result)));

    // Nothing drawn, nothing reported beyond the cleared table and the zero metrics.
    QVERIFY(engine.view.calls.empty());
    QCOMPARE(engine.points.log, QStringList({"clear", "metrics"}));
    QVERIFY(isIdentity(engine.search.plateMatrix()));
}

void tst_ReferencePointSearch::cornerAngleOutsideTolerance()
{
    Plate plate;
    plate.shear = 1.2 * kDeg;
    const PlatePictures::Picture picture = PlatePictures::render(plate);
    const ReferencePointSearch::ReferencePoints settings = settingsFor(plate, picture);
    Engine engine(plate);
    QCOMPARE(engine.search.run(grey(picture.image), &settings, nullptr), Errors::Type_Error(162));

    QVERIFY(std::fabs(engine.search.CornerAngle - (kHalfPi + 1.2 * kDeg)) < 0.001);
    const ImageRefPointsMetrics reported = engine.points.metrics.last();
    QCOMPARE(reported.Message, QStringLiteral("Angle of reference points rectangle is outside tolerance"));
    QVERIFY(reported.HorizontalResolution > 0.0);
    QVERIFY(isIdentity(engine.search.plateMatrix()));
    QVERIFY(isIdentity(engine.search.heightScaleMatrix()));

    // 1.0 degree off is still inside.
    Plate inside = plate;
    inside.shear = 1.0 * kDeg;
    const PlatePictures::Picture picture2 = PlatePictures::render(inside);
    const ReferencePointSearch::ReferencePoints settings2 = settingsFor(inside, picture2);
    QCOMPARE(engine.search.run(grey(picture2.image), &settings2, nullptr), Errors::Type_Error(0));
    QVERIFY(engine.points.metrics.last().Message.isEmpty());
}

void tst_ReferencePointSearch::unusableDistancesGiveAnErrorNotInfinity_data()
{
    QTest::addColumn<double>("distanceX");
    QTest::addColumn<double>("distanceY");

    QTest::newRow("DistanceX 0") << 0.0 << 92.0;
    QTest::newRow("DistanceY 0") << 90.0 << 0.0;
    QTest::newRow("DistanceX negative") << -90.0 << 92.0;
    QTest::newRow("DistanceY not a number") << 90.0 << std::nan("");
}

void tst_ReferencePointSearch::unusableDistancesGiveAnErrorNotInfinity()
{
    QFETCH(double, distanceX);
    QFETCH(double, distanceY);

    Plate plate;
    const PlatePictures::Picture picture = PlatePictures::render(plate);
    ReferencePointSearch::ReferencePoints settings = settingsFor(plate, picture);
    settings.DistanceX = distanceX;
    settings.DistanceY = distanceY;
    Engine engine(plate);
    QCOMPARE(engine.search.run(grey(picture.image), &settings, nullptr), Errors::Type_Error(164));

    for (double value : {engine.search.HorizontalResolution, engine.search.VerticalResolution,
                         engine.search.MeanResolution, engine.search.AxisRotation, engine.search.CornerAngle})
        QVERIFY(std::isfinite(value));
    QCOMPARE(engine.search.MeanResolution, 0.0);
    const ImageRefPointsMetrics reported = engine.points.metrics.last();
    QVERIFY(!reported.hasResolution());
    QCOMPARE(reported.Message, Errors::getErrorText(164));
    QVERIFY(isIdentity(engine.search.plateMatrix()));
    double y = 0.0, x = 0.0;
    engine.search.transformPlateCoordinates(300.0, 400.0, &y, &x);
    QCOMPARE(y, 300.0);
    QCOMPARE(x, 400.0);
}

void tst_ReferencePointSearch::correction_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<int>("axisPoints");

    QTest::newRow("factor 1.0, four axis points") << 1.0 << 4;
    QTest::newRow("factor 1.1, four axis points") << 1.1 << 4;
    // Moving only the top marks tilts the plate's sides; a small factor keeps the corner square.
    QTest::newRow("factor 1.02, two axis points") << 1.02 << 2;
    QTest::newRow("factor 0.98, no axis points") << 0.98 << 0;
}

void tst_ReferencePointSearch::correction()
{
    QFETCH(double, factor);
    QFETCH(int, axisPoints);

    Plate plate;
    const PlatePictures::Picture picture = PlatePictures::render(plate);
    const ReferencePointSearch::ReferencePoints settings = settingsFor(plate, picture);
    Engine engine(plate);
    QCOMPARE(engine.search.run(grey(picture.image), &settings, nullptr), Errors::Type_Error(0));
    ImageRefPoint plain[4];
    for (int j = 0; j < 4; ++j)
        plain[j] = engine.search.point(j);

    // Axis points a little inside each corner.
    CorrectionInfo correction;
    correction.Factor = factor;
    for (int j = 0; j < axisPoints; ++j)
        correction.append({picture.rows[size_t(j)] + (j < 2 ? 150.0 : -150.0),
                           picture.columns[size_t(j)] + (j % 2 == 0 ? 200.0 : -200.0)});
    QCOMPARE(engine.search.run(grey(picture.image), &settings, &correction), Errors::Type_Error(0));

    for (int j = 0; j < 4; ++j) {
        const ImageRefPoint moved = engine.search.point(j);
        if (factor == 1.0 || j >= axisPoints) {
            QCOMPARE(moved.PosX_px, plain[j].PosX_px);
            QCOMPARE(moved.PosY_px, plain[j].PosY_px);
            continue;
        }
        const OpticalAxisPoint axis = correction.Points.at(j);
        QVERIFY(std::fabs((moved.PosX_px - axis.Column) - factor * (plain[j].PosX_px - axis.Column)) < 1e-9);
        QVERIFY(std::fabs((moved.PosY_px - axis.Row) - factor * (plain[j].PosY_px - axis.Row)) < 1e-9);
    }
    // The metrics come from the moved points.
    const ImageRefPoint topLeft = engine.search.point(0), topRight = engine.search.point(1);
    QVERIFY(std::fabs(engine.search.HorizontalResolution
                      - std::hypot(topRight.PosX_px - topLeft.PosX_px, topRight.PosY_px - topLeft.PosY_px)
                          / settings.DistanceX)
            < 1e-9);
}

void tst_ReferencePointSearch::fixedPositions_data()
{
    QTest::addColumn<double>("rotationDegrees");

    QTest::newRow("upright") << 0.0;
    QTest::newRow("turned 3 deg") << 3.0;
    QTest::newRow("turned -8 deg") << -8.0;
}

void tst_ReferencePointSearch::fixedPositions()
{
    QFETCH(double, rotationDegrees);

    Plate plate;
    plate.rotation = rotationDegrees * kDeg;
    std::array<double, 4> rows{}, columns{};
    PlatePictures::markCentres(plate, rows, columns);
    const double longer = std::max(plate.width, plate.height);

    ReferencePointSearch::ReferencePoints settings;
    settings.FixedPosition = true;
    settings.RefPointTopLeftX = columns[0] * 100.0 / longer;
    settings.RefPointTopLeftY = rows[0] * 100.0 / longer;
    settings.RefPointTopRightX = columns[1] * 100.0 / longer;
    settings.RefPointTopRightY = rows[1] * 100.0 / longer;
    settings.RefPointBottomLeftX = columns[2] * 100.0 / longer;
    settings.RefPointBottomLeftY = rows[2] * 100.0 / longer;

    // No picture content is needed: the points are where the settings say.
    Halcon::Hobject picture;
    Halcon::gen_image_const(&picture, "byte", plate.width, plate.height);
    Engine engine(plate);
    QCOMPARE(engine.search.run(picture, &settings, nullptr), Errors::Type_Error(0));

    for (int k = 0; k < 3; ++k) {
        const ImageRefPoint point = engine.search.point(k);
        QVERIFY(point.Found);
        QVERIFY(std::fabs(point.PosX_px - columns[size_t(k)]) < 1e-6);
        QVERIFY(std::fabs(point.PosY_px - rows[size_t(k)]) < 1e-6);
    }
    QVERIFY(!engine.search.point(3).Found);
    QVERIFY(std::fabs(engine.search.AxisRotation - plate.rotation) < 1e-9);

    // Top left at exactly (0, 20) mm, the other two at their distances.
    double y = 0.0, x = 0.0;
    engine.search.transformPlateCoordinates(rows[0], columns[0], &y, &x);
    QVERIFY(std::fabs(y) < 1e-9 && std::fabs(x - 20.0) < 1e-9);
    engine.search.transformPlateCoordinates(rows[1], columns[1], &y, &x);
    QVERIFY(std::fabs(y) < 1e-6 && std::fabs(x - (settings.DistanceX + 20.0)) < 1e-6);
    engine.search.transformPlateCoordinates(rows[2], columns[2], &y, &x);
    QVERIFY(std::fabs(y - settings.DistanceY) < 1e-6 && std::fabs(x - 20.0) < 1e-6);

    // Labels 1 to 4 above and left of each point, named 0 to 3; the fourth at (0, 0).
    const double size = double((plate.height * 3) / 100);
    for (int k = 0; k < 4; ++k) {
        const auto labels = engine.view.named("text", QStringLiteral("HalconObject_ReferencePoints_Label.%1").arg(k));
        QCOMPARE(labels.size(), size_t(1));
        QCOMPARE(labels[0].text, QString::number(k + 1));
        const double row = k < 3 ? rows[size_t(k)] : 0.0;
        const double column = k < 3 ? columns[size_t(k)] : 0.0;
        QVERIFY(std::fabs(labels[0].row - (row - 1.2 * size)) < 1e-6);
        QVERIFY(std::fabs(labels[0].column - (column - size)) < 1e-6);
    }
    // Crosses at the three placed points only.
    for (int n = 1; n <= 4; ++n)
        QCOMPARE(engine.view.named("object", QStringLiteral("HalconObject_ReferencePoints_Match.%1").arg(n)).size(),
                 size_t(n < 4 ? 1 : 0));
}

void tst_ReferencePointSearch::fixedPositionZeroCoordinate()
{
    ReferencePointSearch::ReferencePoints settings;
    settings.FixedPosition = true;
    settings.RefPointTopLeftX = 0.0;
    settings.RefPointTopLeftY = 10.0;
    settings.RefPointTopRightX = 80.0;
    settings.RefPointTopRightY = 10.0;
    settings.RefPointBottomLeftX = 0.0;
    settings.RefPointBottomLeftY = 60.0;
    Plate plate;
    Halcon::Hobject picture;
    Halcon::gen_image_const(&picture, "byte", plate.width, plate.height);
    Engine engine(plate);
    QCOMPARE(engine.search.run(picture, &settings, nullptr), Errors::Type_Error(160));

    // The points and metrics are reported all the same; no coordinate system.
    QCOMPARE(engine.points.log, QStringList({"clear", "metrics", "add", "add", "add", "add", "metrics"}));
    QVERIFY(engine.points.metrics.last().HorizontalResolution > 0.0);
    QVERIFY(isIdentity(engine.search.plateMatrix()));
}

void tst_ReferencePointSearch::fixedPositionsCornerAngleOutsideTolerance()
{
    Plate plate;
    plate.shear = 1.2 * kDeg;
    std::array<double, 4> rows{}, columns{};
    PlatePictures::markCentres(plate, rows, columns);
    const double longer = std::max(plate.width, plate.height);
    ReferencePointSearch::ReferencePoints settings;
    settings.FixedPosition = true;
    settings.RefPointTopLeftX = columns[0] * 100.0 / longer;
    settings.RefPointTopLeftY = rows[0] * 100.0 / longer;
    settings.RefPointTopRightX = columns[1] * 100.0 / longer;
    settings.RefPointTopRightY = rows[1] * 100.0 / longer;
    settings.RefPointBottomLeftX = columns[2] * 100.0 / longer;
    settings.RefPointBottomLeftY = rows[2] * 100.0 / longer;
    Halcon::Hobject picture;
    Halcon::gen_image_const(&picture, "byte", plate.width, plate.height);
    Engine engine(plate);
    QCOMPARE(engine.search.run(picture, &settings, nullptr), Errors::Type_Error(162));
    // Shown before the check: no message.
    QVERIFY(engine.points.metrics.last().Message.isEmpty());
    QCOMPARE(engine.search.cornerResult(), Errors::Type_Error(162));
    QVERIFY(isIdentity(engine.search.plateMatrix()));
    QVERIFY(isIdentity(engine.search.heightScaleMatrix()));
}

void tst_ReferencePointSearch::fixedPositionsCoincidentPoints()
{
    // Top left and top right on one spot: no resolution, and no division by it.
    ReferencePointSearch::ReferencePoints settings;
    settings.FixedPosition = true;
    settings.RefPointTopLeftX = 10.0;
    settings.RefPointTopLeftY = 10.0;
    settings.RefPointTopRightX = 10.0;
    settings.RefPointTopRightY = 10.0;
    settings.RefPointBottomLeftX = 10.0;
    settings.RefPointBottomLeftY = 60.0;
    Plate plate;
    Halcon::Hobject picture;
    Halcon::gen_image_const(&picture, "byte", plate.width, plate.height);
    Engine engine(plate);
    QCOMPARE(engine.search.run(picture, &settings, nullptr), Errors::Type_Error(164));
    QCOMPARE(engine.search.HorizontalResolution, 0.0);
    QVERIFY(std::isfinite(engine.search.VerticalResolution));
    QVERIFY(isIdentity(engine.search.plateMatrix()));
}

void tst_ReferencePointSearch::heightScale_data()
{
    QTest::addColumn<double>("camera");
    QTest::addColumn<double>("agar");
    QTest::addColumn<double>("factor");

    QTest::newRow("camera 240, agar -2.4") << 240.0 << -2.4 << 1.01;
    QTest::newRow("camera 240, agar 2.4") << 240.0 << 2.4 << 0.99;
    QTest::newRow("agar in the mark plane") << 240.0 << 0.0 << 1.0;
    QTest::newRow("camera distance 0") << 0.0 << -2.4 << 1.0;
}

void tst_ReferencePointSearch::heightScale()
{
    QFETCH(double, camera);
    QFETCH(double, agar);
    QFETCH(double, factor);

    Plate plate;
    std::array<double, 4> rows{}, columns{};
    PlatePictures::markCentres(plate, rows, columns);
    const double longer = std::max(plate.width, plate.height);
    ReferencePointSearch::ReferencePoints settings;
    settings.FixedPosition = true;
    settings.RefPointTopLeftX = columns[0] * 100.0 / longer;
    settings.RefPointTopLeftY = rows[0] * 100.0 / longer;
    settings.RefPointTopRightX = columns[1] * 100.0 / longer;
    settings.RefPointTopRightY = rows[1] * 100.0 / longer;
    settings.RefPointBottomLeftX = columns[2] * 100.0 / longer;
    settings.RefPointBottomLeftY = rows[2] * 100.0 / longer;
    settings.DistanceCameraToRefPointPlane = camera;
    settings.DistanceRefPointPlaneToAgarPlane = agar;
    Halcon::Hobject picture;
    Halcon::gen_image_const(&picture, "byte", plate.width, plate.height);
    Engine engine(plate);
    QCOMPARE(engine.search.run(picture, &settings, nullptr), Errors::Type_Error(0));

    const double centreRow = plate.height * 0.5, centreColumn = plate.width * 0.5;
    const double points[3][2] = {{centreRow, centreColumn}, {0.0, 0.0}, {100.0, 1200.0}};
    for (const auto& p : points) {
        double row = -1.0, column = -1.0;
        engine.search.transformHeightScale(p[0], p[1], &row, &column);
        QVERIFY(std::fabs(row - (centreRow + factor * (p[0] - centreRow))) < 1e-9);
        QVERIFY(std::fabs(column - (centreColumn + factor * (p[1] - centreColumn))) < 1e-9);
    }
}

void tst_ReferencePointSearch::heightScaleFollowsTheSettingsRecord()
{
    ReferencePointSearch search;
    // Before the first run there is nothing to scale by.
    QCOMPARE(search.computeScaleTransform(), Errors::Type_Error(0));
    QVERIFY(isIdentity(search.heightScaleMatrix()));

    ReferencePointSearch::ReferencePoints settings;
    settings.FixedPosition = true;
    settings.RefPointTopLeftX = 10.0;
    settings.RefPointTopLeftY = 10.0;
    settings.RefPointTopRightX = 80.0;
    settings.RefPointTopRightY = 10.0;
    settings.RefPointBottomLeftX = 10.0;
    settings.RefPointBottomLeftY = 60.0;
    settings.DistanceCameraToRefPointPlane = 240.0;
    settings.DistanceRefPointPlaneToAgarPlane = 0.0;
    Halcon::Hobject picture;
    Halcon::gen_image_const(&picture, "byte", 1000, 800);
    // No viewer: percent of the longer side of the picture.
    QCOMPARE(search.run(picture, &settings, nullptr), Errors::Type_Error(0));
    QVERIFY(std::fabs(search.point(1).PosX_px - 800.0) < 1e-9);
    QVERIFY(isIdentity(search.heightScaleMatrix()));

    // The worker stores a new agar height in the same record, then rebuilds.
    settings.DistanceRefPointPlaneToAgarPlane = -2.4;
    QCOMPARE(search.computeScaleTransform(), Errors::Type_Error(0));
    double row = 0.0, column = 0.0;
    search.transformHeightScale(0.0, 0.0, &row, &column);
    QVERIFY(std::fabs(row - (400.0 - 1.01 * 400.0)) < 1e-9);
    QVERIFY(std::fabs(column - (500.0 - 1.01 * 500.0)) < 1e-9);
}

void tst_ReferencePointSearch::resetAndNoSettings()
{
    Plate plate;
    const PlatePictures::Picture picture = PlatePictures::render(plate);
    ReferencePointSearch::ReferencePoints settings = settingsFor(plate, picture);
    settings.DistanceRefPointPlaneToAgarPlane = -2.4;
    Engine engine(plate);
    QCOMPARE(engine.search.run(grey(picture.image), &settings, nullptr), Errors::Type_Error(0));
    QVERIFY(!isIdentity(engine.search.plateMatrix()));
    QVERIFY(!isIdentity(engine.search.heightScaleMatrix()));

    engine.search.reset();
    QVERIFY(isIdentity(engine.search.plateMatrix()));
    QVERIFY(isIdentity(engine.search.heightScaleMatrix()));
    QCOMPARE(engine.search.metrics(), ImageRefPointsMetrics());
    QCOMPARE(engine.search.MeanResolution, 0.0);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(engine.search.point(i), ImageRefPoint());
    QCOMPARE(engine.search.point(7), ImageRefPoint());
    // The settings record is forgotten: nothing to rebuild from.
    engine.search.computeScaleTransform();
    QVERIFY(isIdentity(engine.search.heightScaleMatrix()));

    // A run without settings is refused before anything is drawn.
    engine.view.calls.clear();
    QCOMPARE(engine.search.run(grey(picture.image), nullptr, nullptr), Errors::Type_Error(163));
    QVERIFY(engine.view.calls.empty());
}

void tst_ReferencePointSearch::transformsReadWhileRunsRebuildThem()
{
    Plate plate;
    const PlatePictures::Picture picture = PlatePictures::render(plate);
    const Halcon::Hobject image = grey(picture.image);
    const ReferencePointSearch::ReferencePoints settings = settingsFor(plate, picture);
    Engine engine(plate);

    // The page converts while the worker runs again: it sees either the identity of the
    // rebuild or the finished plate, never a half-written matrix.
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::atomic<int> forcedReads{0};
    QSemaphore readNow;
    QSemaphore readDone;
    const auto read = [&] {
        double y = 0.0, x = 0.0;
        engine.search.transformPlateCoordinates(picture.rows[0], picture.columns[0], &y, &x);
        const bool unchanged = y == picture.rows[0] && x == picture.columns[0];
        const bool plateValue = std::fabs(y) < 0.05 && std::fabs(x - 20.0) < 0.05;
        if (!unchanged && !plateValue)
            ++torn;
        const ImageRefPointsMetrics metrics = engine.search.metrics();
        if (!std::isfinite(metrics.HorizontalResolution))
            ++torn;
    };
    std::thread reader([&] {
        while (!stop.load()) {
            read();
            if (readNow.tryAcquire()) {
                read();
                ++forcedReads;
                readDone.release();
            }
        }
    });
    // The run waits at every report and every drawn mark until the reader has read once: the
    // reads overlap the runs at those points, however the threads are scheduled.
    int handovers = 0;
    int missed = 0;
    const auto handOver = [&] {
        ++handovers;
        readNow.release();
        if (!readDone.tryAcquire(1, 60000))
            ++missed;
    };
    engine.points.onReport = handOver;
    engine.view.onObject = handOver;
    for (int run = 0; run < 3; ++run)
        QCOMPARE(engine.search.run(image, &settings, nullptr), Errors::Type_Error(0));
    stop = true;
    reader.join();
    engine.points.onReport = nullptr;
    engine.view.onObject = nullptr;
    QCOMPARE(missed, 0);
    QVERIFY(handovers >= 3 * 5);
    QCOMPARE(forcedReads.load(), handovers);
    QCOMPARE(torn.load(), 0);
}

void tst_ReferencePointSearch::cornerNames_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");

    QTest::newRow("0") << 0 << QStringLiteral("1. Top Left");
    QTest::newRow("1") << 1 << QStringLiteral("2. Top Right");
    QTest::newRow("2") << 2 << QStringLiteral("3. Bottom Left");
    QTest::newRow("3") << 3 << QStringLiteral("4. Bottom Right");
    QTest::newRow("4") << 4 << QString();
    QTest::newRow("-1") << -1 << QString();
}

void tst_ReferencePointSearch::cornerNames()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QCOMPARE(ReferenceCornerNames(index), name);
}

void tst_ReferencePointSearch::coordinatesWithoutSearch()
{
    // The engine reads plate coordinates before any search is set: they pass unchanged.
    ReferencePointSearchCoordinates coordinates;
    double first = -1.0;
    double second = -1.0;
    coordinates.transformHeightScale(3.5, 7.25, &first, &second);
    QCOMPARE(first, 3.5);
    QCOMPARE(second, 7.25);
    coordinates.transformPlateCoordinates(4.5, 8.25, &first, &second);
    QCOMPARE(first, 4.5);
    QCOMPARE(second, 8.25);
    coordinates.transformPlateCoordinates(1.0, 2.0, nullptr, &second);
    QCOMPARE(second, 2.0);
    QCOMPARE(coordinates.meanResolution(), 0.0);
}

QTEST_GUILESS_MAIN(tst_ReferencePointSearch)
#include "tst_ReferencePointSearch.moc"
