#include "Hobject_View_Gui.h"
#include "Hobject_View_MouseDraw_Rectangle_Area.h"
#include "Hobject_View_MouseDraw_Rectangle_Move.h"
#include "MouseDrawRecorder.h"
#include "ViewTestHelpers.h"

#include <HTuple.h>
#include <HalconXldOps.h>

#include <QTest>
#include <QToolButton>

#include <cmath>
#include <memory>

using namespace ViewTestHelpers;
using Halcon::HTuple;
using Halcon::Hobject;
using Handle = Hobject_View_MouseDraw_Rectangle_Move::Handle;

Q_DECLARE_METATYPE(Hobject_View_MouseDraw_Rectangle_Move::Handle)

namespace {

constexpr double kPi = 3.141592653589793;

// A 1000 x 1000 picture in a 500 x 500 picture area: screen point = picture point / 2, and
// one percent is 10 picture pixels.
void prepare(Hobject_View_Gui& view)
{
    view.setPicture(grayPicture(1000, 1000, 0), QString(), false);
    QVERIFY(showWithPictureSize(view, 500, 500));
    view.resetZoom(false);
}

QPoint screenOf(QPointF picture)
{
    return QPoint(int(picture.x() / 2.0), int(picture.y() / 2.0));
}

bool near(double a, double b, double tolerance = 1e-6)
{
    return std::abs(a - b) < tolerance;
}

// Where a handle overlay lies: its bounding box and the centre of what it encloses.
struct Placement {
    bool found = false;
    bool visible = false;
    double width = 0.0;
    double height = 0.0;
    QPointF centre;
};

Placement placementOf(const Hobject_View_Gui& view, const QString& name)
{
    Placement placement;
    Hobject object;
    bool selected = false;
    placement.found = view.getObject(name, object, placement.visible, selected);
    if (!placement.found)
        return placement;
    HTuple row1, column1, row2, column2;
    Halcon::smallest_rectangle1_xld(object, &row1, &column1, &row2, &column2);
    placement.width = column2.D() - column1.D();
    placement.height = row2.D() - row1.D();
    HTuple area, row, column, order;
    Halcon::area_center_xld(object, &area, &row, &column, &order);
    placement.centre = QPointF(column.D(), row.D());
    return placement;
}

// (x, y) turned by degrees about centre, counter-clockwise on screen (rows grow downward).
QPointF turned(QPointF point, QPointF centre, double degrees)
{
    const double phi = degrees * kPi / 180.0;
    const double dx = point.x() - centre.x();
    const double dy = point.y() - centre.y();
    return QPointF(centre.x() + dx * std::cos(phi) + dy * std::sin(phi),
                   centre.y() - dx * std::sin(phi) + dy * std::cos(phi));
}

QString describe(const MouseDrawRecorder::Call& call)
{
    return QString("%1 %2 %3 %4 %5").arg(call.x).arg(call.y).arg(call.width).arg(call.height).arg(call.angle);
}

// A switched-on move tool over the rectangle x 20, y 20, width 40, height 20 (percent):
// pixels 200..600 by 200..400, centre (400, 300), rotation handle 50 pixels right of it.
struct Scene {
    Hobject_View_Gui view;
    MouseDrawRecorder owner;
    QToolButton button;
    std::unique_ptr<Hobject_View_MouseDraw_Rectangle_Move> tool;

    explicit Scene(const Hobject_View_MouseDraw_Settings& settings = named(), double angle = 0.0)
    {
        prepare(view);
        owner.setRectangle(20, 20, 40, 20, angle);
        button.setCheckable(true);
        tool = std::make_unique<Hobject_View_MouseDraw_Rectangle_Move>(&owner, &button, &view, settings);
    }

    static Hobject_View_MouseDraw_Settings named()
    {
        Hobject_View_MouseDraw_Settings settings;
        settings.ToolName = "Labware_Move";
        return settings;
    }

    Hobject_View_Gui_Picture* picture() { return pictureWidget(view); }

    void drag(QPointF from, QPointF to)
    {
        QTest::mousePress(picture(), Qt::LeftButton, Qt::NoModifier, screenOf(from));
        QTest::mouseMove(picture(), screenOf((from + to) / 2.0));
        QTest::mouseMove(picture(), screenOf(to));
        QTest::mouseRelease(picture(), Qt::LeftButton, Qt::NoModifier, screenOf(to));
    }
};

} // namespace

class tst_Hobject_View_MouseDraw_Rectangle_Move : public QObject {
    Q_OBJECT
private slots:
    void settingsDefaults();
    void switchingOnReportsRectangleAndDrawsHandles();
    void handleFlagsDecideWhatIsDrawn_data();
    void handleFlagsDecideWhatIsDrawn();
    void handleSizeFollowsZoom_data();
    void handleSizeFollowsZoom();
    void zoomingTheViewerRedrawsHandles();
    void dragHandle_data();
    void dragHandle();
    void rotationHandleIsLimited_data();
    void rotationHandleIsLimited();
    void turnedRectangleMovedByCentreKeepsAngle();
    void pressBesideHandlesChangesNothing();
    void doubleClickEndsMode();
    void uncheckingAndCancelRemoveHandles();
    void ownerCancellingInGetRectangleDrawsNoHandles();
    void destroyedToolLeavesRegistry();
    void viewerDestroyedWhileItsToolIsActive_data();
    void viewerDestroyedWhileItsToolIsActive();
};

void tst_Hobject_View_MouseDraw_Rectangle_Move::settingsDefaults()
{
    const Hobject_View_MouseDraw_Settings settings;
    QVERIFY(settings.ToolName.isEmpty());
    QVERIFY(settings.ShowEdgeLeftTop && settings.ShowEdgeRightTop && settings.ShowEdgeLeftBottom
            && settings.ShowEdgeRightBottom && settings.ShowEdgeCenter && settings.ShowEdgeAngle);
    QCOMPARE(settings.EdgeColor, QStringLiteral("red"));
    QCOMPARE(settings.EdgeSize, 1.8);
    QCOMPARE(settings.EdgeLineWidth, 3);
    QCOMPARE(settings.AngleMin, -45.0);
    QCOMPARE(settings.AngleMax, 45.0);
    QCOMPARE(settings.AngleEdgeSize, 0.6);
    QCOMPARE(settings.AngleEdgeDistance, 0.5);
    QCOMPARE(settings.ShowAngleHelpLine, 1);
    QCOMPARE(settings.AngleHelpLineColor, QStringLiteral("red"));
    QCOMPARE(settings.AngleHelpLineWidth, 1);
    QCOMPARE(settings.ZoomInfluence, 0.1);
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::switchingOnReportsRectangleAndDrawsHandles()
{
    Scene scene;
    Hobject_View_MouseDraw_Rectangle_Move& tool = *scene.tool;
    QVERIFY(tool.getObjectName().startsWith("HalconObject_MouseDraw_Rectangle.Move."));
    QVERIFY(tool.getObjectName().endsWith(".Labware_Move."));
    scene.button.setChecked(true);
    QVERIFY(tool.isActive());
    QCOMPARE(scene.owner.operations(), QStringList({"getRectangle", "drawStarted", "drawChanged"}));
    for (const MouseDrawRecorder::Call& call : scene.owner.calls) {
        QCOMPARE(call.name, QStringLiteral("Labware_Move"));
        QCOMPARE(call.objectName, tool.getObjectName());
    }
    QCOMPARE(describe(scene.owner.calls.last()), QStringLiteral("20 20 40 20 0"));
    QCOMPARE(scene.picture()->cursor().shape(), Qt::CrossCursor);

    // Handles of 1.8 % = 18 pixels on the corners and the centre, visible through the tool's
    // own group although the viewer has no other.
    const struct {
        Handle handle;
        QPointF at;
    } squares[] = {
        {Handle::Handle_LeftTop, {200, 200}},    {Handle::Handle_RightTop, {600, 200}},
        {Handle::Handle_LeftBottom, {200, 400}}, {Handle::Handle_RightBottom, {600, 400}},
        {Handle::Handle_Center, {400, 300}},
    };
    for (const auto& square : squares) {
        const Placement placement = placementOf(scene.view, tool.handleName(square.handle));
        QVERIFY2(placement.found && placement.visible, qPrintable(tool.handleName(square.handle)));
        QVERIFY(near(placement.width, 18.0) && near(placement.height, 18.0));
        QVERIFY(near(placement.centre.x(), square.at.x()) && near(placement.centre.y(), square.at.y()));
    }
    QCOMPARE(tool.handleName(Handle::Handle_LeftTop), tool.getObjectName() + "Edges.left.top.");
    // Rotation handle: radius 0.5 x 18 x 0.6 = 5.4, half the shorter side x 0.5 = 50 right
    // of the centre, joined to the centre by the help line.
    const Placement circle = placementOf(scene.view, tool.handleName(Handle::Handle_Angle));
    QVERIFY(circle.found);
    // A polygon of points at most 2 pixels apart round a circle of diameter 10.8.
    QVERIFY2(circle.width > 10.0 && circle.width <= 10.8 + 1e-9, qPrintable(QString::number(circle.width)));
    QVERIFY(near(circle.centre.x(), 450.0, 0.01) && near(circle.centre.y(), 300.0, 0.01));
    const Placement helpLine = placementOf(scene.view, tool.getObjectName() + "Edges.angle.helpline.");
    QVERIFY(helpLine.found);
    QVERIFY(near(helpLine.width, 50.0, 0.01) && near(helpLine.height, 0.0, 0.01));
    // The help line is not something to grab.
    scene.view.selectObjects(tool.getObjectName() + "Edges.angle.helpline.", false);
    QVERIFY(!scene.view.isObjectSelected(tool.getObjectName() + "Edges.angle.helpline."));
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::handleFlagsDecideWhatIsDrawn_data()
{
    QTest::addColumn<int>("hidden"); // 1..6: the handle switched off; 7: help line off
    QTest::addColumn<QStringList>("expected");
    const QStringList all = {"left.top.",   "right.top.", "left.bottom.",   "right.bottom.",
                             "center.",     "angle.",     "angle.helpline."};
    QTest::newRow("all") << 0 << all;
    QTest::newRow("no angle handle, so no help line")
        << 6 << QStringList({"left.top.", "right.top.", "left.bottom.", "right.bottom.", "center."});
    QTest::newRow("no help line")
        << 7 << QStringList({"left.top.", "right.top.", "left.bottom.", "right.bottom.", "center.", "angle."});
    QTest::newRow("no left top")
        << 1 << QStringList({"right.top.", "left.bottom.", "right.bottom.", "center.", "angle.", "angle.helpline."});
    QTest::newRow("no centre")
        << 5 << QStringList({"left.top.", "right.top.", "left.bottom.", "right.bottom.", "angle.", "angle.helpline."});
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::handleFlagsDecideWhatIsDrawn()
{
    QFETCH(int, hidden);
    QFETCH(QStringList, expected);
    Hobject_View_MouseDraw_Settings settings = Scene::named();
    bool* flags[] = {nullptr,
                     &settings.ShowEdgeLeftTop,
                     &settings.ShowEdgeRightTop,
                     &settings.ShowEdgeLeftBottom,
                     &settings.ShowEdgeRightBottom,
                     &settings.ShowEdgeCenter,
                     &settings.ShowEdgeAngle};
    if (hidden >= 1 && hidden <= 6)
        *flags[hidden] = false;
    if (hidden == 7)
        settings.ShowAngleHelpLine = 0;
    Scene scene(settings);
    scene.button.setChecked(true);
    const QString prefix = scene.tool->getObjectName() + "Edges.";
    QStringList drawn;
    for (const char* suffix : {"left.top.", "right.top.", "left.bottom.", "right.bottom.", "center.", "angle.",
                                  "angle.helpline."}) {
        Hobject object;
        bool visible = false, selected = false;
        if (scene.view.getObject(prefix + suffix, object, visible, selected))
            drawn.append(QString::fromLatin1(suffix));
    }
    QCOMPARE(drawn, expected);
    QCOMPARE(scene.view.getObjectCount(), expected.size());
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::handleSizeFollowsZoom_data()
{
    QTest::addColumn<double>("zoomInfluence");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<double>("side"); // pixels
    QTest::newRow("zoom 1") << 0.1 << 1.0 << 18.0;
    QTest::newRow("zoom 3: 1.8 / 1.2 = 1.5 %") << 0.1 << 3.0 << 15.0;
    QTest::newRow("influence exactly 1") << 1.0 << 3.0 << 18.0;
    QTest::newRow("no influence") << 0.0 << 3.0 << 18.0;
    QTest::newRow("zoom 0 before the first layout") << 0.1 << 0.0 << 20.0;
    QTest::newRow("divisor 0 keeps the plain size") << 0.5 << -1.0 << 18.0;
    QTest::newRow("negative divisor keeps the plain size") << 2.0 << 0.0 << 18.0;
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::handleSizeFollowsZoom()
{
    QFETCH(double, zoomInfluence);
    QFETCH(double, zoom);
    QFETCH(double, side);
    Hobject_View_MouseDraw_Settings settings = Scene::named();
    settings.ZoomInfluence = zoomInfluence;
    Scene scene(settings);
    // Told while the tool is off: stored, used by the next drawing of the handles.
    emit scene.view.signal_ZoomFactorChanged(zoom, zoom);
    QCOMPARE(scene.view.getObjectCount(), 0);
    scene.button.setChecked(true);
    const Placement placement = placementOf(scene.view, scene.tool->handleName(Handle::Handle_RightBottom));
    QVERIFY2(near(placement.width, side) && near(placement.height, side), qPrintable(QString::number(placement.width)));
    QVERIFY(near(placement.centre.x(), 600.0) && near(placement.centre.y(), 400.0));
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::zoomingTheViewerRedrawsHandles()
{
    Scene scene;
    scene.button.setChecked(true);
    QVERIFY(near(placementOf(scene.view, scene.tool->handleName(Handle::Handle_LeftTop)).width, 18.0));
    // Showing half the picture is zoom 2: 1.8 / 1.1 percent.
    scene.view.setViewPercentRange(0, 0, 50, 50);
    double zoomX = 0.0, zoomY = 0.0;
    scene.view.getZoomFactor(zoomX, zoomY);
    const double expected = 10.0 * 1.8 / ((zoomX - 1.0) * 0.1 + 1.0);
    QVERIFY(zoomX > 1.5);
    const Placement placement = placementOf(scene.view, scene.tool->handleName(Handle::Handle_LeftTop));
    QVERIFY2(near(placement.width, expected), qPrintable(QString::number(placement.width)));
    // No new report to the owner: only the handles changed.
    QCOMPARE(scene.owner.operations(), QStringList({"getRectangle", "drawStarted", "drawChanged"}));
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::dragHandle_data()
{
    QTest::addColumn<QPointF>("from"); // picture pixels
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<QRectF>("expected"); // percent
    QTest::newRow("left top") << QPointF(200, 200) << QPointF(300, 250) << QRectF(30, 25, 30, 15);
    QTest::newRow("left top past the opposite corner")
        << QPointF(200, 200) << QPointF(700, 500) << QRectF(60, 40, 0, 0);
    QTest::newRow("right top") << QPointF(600, 200) << QPointF(700, 100) << QRectF(20, 10, 50, 30);
    QTest::newRow("right top past the opposite corner")
        << QPointF(600, 200) << QPointF(100, 600) << QRectF(20, 40, 0, 0);
    QTest::newRow("left bottom") << QPointF(200, 400) << QPointF(100, 500) << QRectF(10, 20, 50, 30);
    QTest::newRow("left bottom past the opposite corner")
        << QPointF(200, 400) << QPointF(800, 100) << QRectF(60, 20, 0, 0);
    QTest::newRow("right bottom") << QPointF(600, 400) << QPointF(500, 300) << QRectF(20, 20, 30, 10);
    QTest::newRow("right bottom past the opposite corner")
        << QPointF(600, 400) << QPointF(100, 100) << QRectF(20, 20, 0, 0);
    QTest::newRow("centre") << QPointF(400, 300) << QPointF(500, 350) << QRectF(30, 25, 40, 20);
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::dragHandle()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(QRectF, expected);
    Scene scene;
    scene.button.setChecked(true);
    scene.owner.calls.clear();

    QTest::mousePress(scene.picture(), Qt::LeftButton, Qt::NoModifier, screenOf(from));
    QCOMPARE(scene.owner.operations(), QStringList({"getRectangle"}));
    QVERIFY(scene.tool->grabbedHandle() != Handle::Handle_None);
    QTest::mouseMove(scene.picture(), screenOf((from + to) / 2.0));
    // The handles disappear while dragging.
    QCOMPARE(scene.view.getObjectCount(), 0);
    QTest::mouseMove(scene.picture(), screenOf(to));
    const MouseDrawRecorder::Call moved = scene.owner.last("drawChanged");
    QVERIFY2(near(moved.x, expected.x()) && near(moved.y, expected.y()) && near(moved.width, expected.width())
                 && near(moved.height, expected.height()),
             qPrintable(describe(moved)));
    QVERIFY(moved.width >= 0.0 && moved.height >= 0.0);

    scene.owner.calls.clear();
    QTest::mouseRelease(scene.picture(), Qt::LeftButton, Qt::NoModifier, screenOf(to));
    QCOMPARE(scene.owner.operations(), QStringList({"drawFinished", "drawChanged"}));
    QCOMPARE(describe(scene.owner.calls[0]), describe(moved));
    QCOMPARE(describe(scene.owner.calls[1]), describe(moved));
    // The mode stays on, with the handles at the new rectangle.
    QVERIFY(scene.tool->isActive());
    QVERIFY(scene.button.isChecked());
    QCOMPARE(scene.tool->grabbedHandle(), Handle::Handle_None);
    const Placement rightBottom = placementOf(scene.view, scene.tool->handleName(Handle::Handle_RightBottom));
    QVERIFY(near(rightBottom.centre.x(), (expected.x() + expected.width()) * 10)
            && near(rightBottom.centre.y(), (expected.y() + expected.height()) * 10));
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::rotationHandleIsLimited_data()
{
    QTest::addColumn<double>("angleMin");
    QTest::addColumn<double>("angleMax");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<double>("expected");
    QTest::newRow("straight above: 45, not 90") << -45.0 << 45.0 << QPointF(400, 100) << 45.0;
    QTest::newRow("straight below") << -45.0 << 45.0 << QPointF(400, 500) << -45.0;
    QTest::newRow("within the range")
        << -45.0 << 45.0 << QPointF(574, 200) << std::atan2(100.0, 174.0) * 180.0 / kPi;
    QTest::newRow("own upper limit") << -10.0 << 20.0 << QPointF(400, 100) << 20.0;
    QTest::newRow("own lower limit") << -10.0 << 20.0 << QPointF(400, 500) << -10.0;
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::rotationHandleIsLimited()
{
    QFETCH(double, angleMin);
    QFETCH(double, angleMax);
    QFETCH(QPointF, to);
    QFETCH(double, expected);
    Hobject_View_MouseDraw_Settings settings = Scene::named();
    settings.AngleMin = angleMin;
    settings.AngleMax = angleMax;
    Scene scene(settings);
    scene.button.setChecked(true);
    scene.drag(QPointF(450, 300), to);

    const MouseDrawRecorder::Call finished = scene.owner.last("drawFinished");
    QVERIFY2(near(finished.angle, expected), qPrintable(describe(finished)));
    QCOMPARE(describe(finished), QString("20 20 40 20 %1").arg(finished.angle));
    // The rotation handle now sits where the mouse let go, turned to the allowed angle.
    const QPointF centre(400, 300);
    const double distance = std::hypot(to.x() - centre.x(), to.y() - centre.y());
    const QPointF handleAt = turned(centre + QPointF(distance, 0), centre, expected);
    const Placement circle = placementOf(scene.view, scene.tool->handleName(Handle::Handle_Angle));
    QVERIFY2(near(circle.centre.x(), handleAt.x(), 0.05) && near(circle.centre.y(), handleAt.y(), 0.05),
             qPrintable(QString("%1 %2").arg(circle.centre.x()).arg(circle.centre.y())));
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::turnedRectangleMovedByCentreKeepsAngle()
{
    Scene scene(Scene::named(), 30.0);
    scene.button.setChecked(true);
    // The centre does not move when the rectangle turns about it. The drag is read in the
    // rectangle's own turned frame, so the centre follows the mouse in small steps.
    const QPointF start(400, 300);
    const QPointF end(500, 400);
    QTest::mousePress(scene.picture(), Qt::LeftButton, Qt::NoModifier, screenOf(start));
    QCOMPARE(scene.tool->grabbedHandle(), Handle::Handle_Center);
    for (int step = 1; step <= 25; ++step)
        QTest::mouseMove(scene.picture(), screenOf(start + (end - start) * step / 25.0));
    for (int settle = 0; settle < 10; ++settle)
        QTest::mouseMove(scene.picture(), screenOf(end) + QPoint(settle % 2, 0));
    QTest::mouseRelease(scene.picture(), Qt::LeftButton, Qt::NoModifier, screenOf(end));
    const MouseDrawRecorder::Call finished = scene.owner.last("drawFinished");
    QVERIFY2(near(finished.width, 40) && near(finished.height, 20), qPrintable(describe(finished)));
    QCOMPARE(finished.angle, 30.0);
    const QPointF centre((finished.x + finished.width / 2) * 10, (finished.y + finished.height / 2) * 10);
    QVERIFY2(std::hypot(centre.x() - end.x(), centre.y() - end.y()) < 3.0,
             qPrintable(QString("%1 %2").arg(centre.x()).arg(centre.y())));
    // Handles redrawn turned by 30 degrees about the new centre.
    const double left = finished.x * 10;
    const double top = finished.y * 10;
    const struct {
        Handle handle;
        QPointF corner;
    } corners[] = {
        {Handle::Handle_LeftTop, {left, top}},
        {Handle::Handle_RightTop, {left + 400, top}},
        {Handle::Handle_RightBottom, {left + 400, top + 200}},
    };
    for (const auto& corner : corners) {
        const QPointF expected = turned(corner.corner, centre, 30.0);
        const Placement placement = placementOf(scene.view, scene.tool->handleName(corner.handle));
        QVERIFY2(near(placement.centre.x(), expected.x()) && near(placement.centre.y(), expected.y()),
                 qPrintable(QString("%1 %2 / %3 %4")
                                .arg(placement.centre.x())
                                .arg(placement.centre.y())
                                .arg(expected.x())
                                .arg(expected.y())));
        // A turned square is wider than its side.
        QVERIFY(placement.width > 18.0 + 1.0);
    }

    // A corner drag in the turned frame: the bottom-right handle pulled along the
    // rectangle's own width axis by 100 pixels adds 10 % to the width only.
    const QPointF rightBottom = turned(QPointF(left + 400, top + 200), centre, 30.0);
    const QPointF along = rightBottom + QPointF(100 * std::cos(kPi / 6), -100 * std::sin(kPi / 6));
    QTest::mousePress(scene.picture(), Qt::LeftButton, Qt::NoModifier, screenOf(rightBottom));
    QCOMPARE(scene.tool->grabbedHandle(), Handle::Handle_RightBottom);
    QTest::mouseMove(scene.picture(), screenOf(along));
    const MouseDrawRecorder::Call resized = scene.owner.last("drawChanged");
    // Screen positions are whole pixels (two picture pixels), hence the tolerance.
    QVERIFY2(near(resized.width, 50, 0.3) && near(resized.height, 20, 0.3) && near(resized.x, finished.x)
                 && near(resized.y, finished.y),
             qPrintable(describe(resized)));
    QTest::mouseRelease(scene.picture(), Qt::LeftButton, Qt::NoModifier, screenOf(along));
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::pressBesideHandlesChangesNothing()
{
    Scene scene;
    scene.button.setChecked(true);
    scene.owner.calls.clear();
    QTest::mousePress(scene.picture(), Qt::LeftButton, Qt::NoModifier, screenOf(QPointF(900, 900)));
    QCOMPARE(scene.tool->grabbedHandle(), Handle::Handle_None);
    QTest::mouseMove(scene.picture(), screenOf(QPointF(700, 700)));
    QCOMPARE(scene.owner.operations(), QStringList({"getRectangle"}));
    QTest::mouseRelease(scene.picture(), Qt::LeftButton, Qt::NoModifier, screenOf(QPointF(700, 700)));
    QCOMPARE(scene.owner.operations(), QStringList({"getRectangle", "drawFinished", "drawChanged"}));
    QCOMPARE(describe(scene.owner.calls[1]), QStringLiteral("20 20 40 20 0"));
    QCOMPARE(describe(scene.owner.calls[2]), QStringLiteral("20 20 40 20 0"));
    QVERIFY(scene.tool->isActive());
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::doubleClickEndsMode()
{
    Scene scene;
    scene.button.setChecked(true);
    scene.owner.calls.clear();
    QTest::mouseDClick(scene.picture(), Qt::LeftButton, Qt::NoModifier, screenOf(QPointF(900, 900)));
    QVERIFY(!scene.tool->isActive());
    QVERIFY(!scene.button.isChecked());
    QCOMPARE(scene.owner.operations().count("drawEnded"), 1);
    QCOMPARE(scene.owner.operations().last(), QStringLiteral("drawEnded"));
    QCOMPARE(scene.view.getObjectCount(), 0);
    QCOMPARE(scene.picture()->cursor().shape(), Qt::ArrowCursor);
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::uncheckingAndCancelRemoveHandles()
{
    Scene scene;
    scene.button.setChecked(true);
    QVERIFY(scene.view.getObjectCount() > 0);
    scene.owner.calls.clear();
    scene.button.setChecked(false);
    QCOMPARE(scene.owner.operations(), QStringList({"drawEnded"}));
    QCOMPARE(scene.view.getObjectCount(), 0);
    QCOMPARE(scene.picture()->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!scene.tool->cancel());

    scene.button.setChecked(true);
    scene.owner.calls.clear();
    QVERIFY(scene.tool->cancel());
    QCOMPARE(scene.owner.operations(), QStringList({"drawEnded"}));
    QVERIFY(!scene.button.isChecked());
    QCOMPARE(scene.view.getObjectCount(), 0);
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::ownerCancellingInGetRectangleDrawsNoHandles()
{
    Scene scene;
    scene.owner.hook = [&](const QString& operation) {
        if (operation == "getRectangle")
            Hobject_View_MouseDraw_Rectangle_cancelAll();
    };
    scene.button.setChecked(true);
    QCOMPARE(scene.owner.operations(), QStringList({"getRectangle", "drawEnded"}));
    QCOMPARE(scene.view.getObjectCount(), 0);
    QVERIFY(!scene.button.isChecked());
    QCOMPARE(scene.picture()->cursor().shape(), Qt::ArrowCursor);
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::destroyedToolLeavesRegistry()
{
    Scene scene;
    scene.button.setChecked(true);
    scene.owner.calls.clear();
    scene.tool.reset();
    QVERIFY(scene.owner.calls.isEmpty());
    // Its handles went with it and the viewer has its mouse back.
    QCOMPARE(scene.view.getObjectCount(), 0);
    QCOMPARE(scene.picture()->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!Hobject_View_MouseDraw_Rectangle_cancelAll());

    // Switching on another tool walks the registries too.
    MouseDrawRecorder drawer;
    QToolButton areaButton;
    areaButton.setCheckable(true);
    Hobject_View_MouseDraw_Rectangle_Area area(&drawer, &areaButton, &scene.view, "Area");
    areaButton.setChecked(true);
    QVERIFY(area.isActive());
    QVERIFY(scene.owner.calls.isEmpty());
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::viewerDestroyedWhileItsToolIsActive_data()
{
    QTest::addColumn<bool>("moveActive");
    QTest::newRow("drawing tool on") << false;
    QTest::newRow("move tool on") << true;
}

void tst_Hobject_View_MouseDraw_Rectangle_Move::viewerDestroyedWhileItsToolIsActive()
{
    QFETCH(bool, moveActive);
    MouseDrawRecorder drawOwner;
    MouseDrawRecorder moveOwner;
    QToolButton drawButton;
    QToolButton moveButton;
    drawButton.setCheckable(true);
    moveButton.setCheckable(true);
    auto* view = new Hobject_View_Gui;
    prepare(*view);
    // Both tools are children of the viewer, as the editors make them: they go after it.
    auto* draw = new Hobject_View_MouseDraw_Rectangle_Area(&drawOwner, &drawButton, view, "Draw", view);
    auto* move = new Hobject_View_MouseDraw_Rectangle_Move(&moveOwner, &moveButton, view, Scene::named(), view);
    Hobject_View_MouseDraw_Rectangle_Area outsider(&drawOwner, nullptr, view, "Outside");
    (moveActive ? moveButton : drawButton).setChecked(true);
    QVERIFY(moveActive ? move->isActive() : draw->isActive());
    drawOwner.calls.clear();
    moveOwner.calls.clear();

    delete view;
    // No owner hears of it (an owner may be going too); the buttons show the mode is over.
    QVERIFY(drawOwner.calls.isEmpty());
    QVERIFY(moveOwner.calls.isEmpty());
    QVERIFY(!drawButton.isChecked());
    QVERIFY(!moveButton.isChecked());
    // A tool that outlived its viewer touches nothing of it.
    QVERIFY(!outsider.cancel());
    QVERIFY(!Hobject_View_MouseDraw_Rectangle_cancelAll());
}

QTEST_MAIN(tst_Hobject_View_MouseDraw_Rectangle_Move)
#include "tst_Hobject_View_MouseDraw_Rectangle_Move.moc"
