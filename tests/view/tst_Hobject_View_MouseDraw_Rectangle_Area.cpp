#include "Hobject_View_Gui.h"
#include "Hobject_View_MouseDraw_Rectangle_Area.h"
#include "Hobject_View_MouseDraw_Rectangle_Move.h"
#include "MouseDrawRecorder.h"
#include "ViewTestHelpers.h"

#include <HalconTestPictures.h>

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <memory>

using namespace ViewTestHelpers;

namespace {

// A 1000 x 1000 picture in a 500 x 500 picture area: screen point = picture point / 2, and
// one percent is 10 picture pixels.
void prepare(Hobject_View_Gui& view)
{
    view.setPicture(grayPicture(1000, 1000, 0), QString(), false);
    QVERIFY(showWithPictureSize(view, 500, 500));
    view.resetZoom(false);
}

QPoint screenOf(double column, double row)
{
    return QPoint(int(column / 2.0), int(row / 2.0));
}

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-9;
}

} // namespace

class tst_Hobject_View_MouseDraw_Rectangle_Area : public QObject {
    Q_OBJECT
private slots:
    void objectNamesNumberToolsOfTheirKind();
    void previewOverlaysAreVisibleAndRemoved();
    void dragReportsNormalisedRectangle_data();
    void dragReportsNormalisedRectangle();
    void mouseIsIgnoredWhileOff();
    void noPictureLeavesToolOffWithButtonChecked();
    void ownerCancellingInGetRectangleKeepsToolOff();
    void switchingOnEndsEveryOtherTool();
    void cancelAllWithoutActiveToolCallsNothing();
    void destroyedToolLeavesRegistry();
};

void tst_Hobject_View_MouseDraw_Rectangle_Area::objectNamesNumberToolsOfTheirKind()
{
    Hobject_View_Gui view;
    MouseDrawRecorder owner;
    QToolButton button;
    button.setCheckable(true);
    // The first drawing tool of the process.
    Hobject_View_MouseDraw_Rectangle_Area first(&owner, &button, &view, "Labware_Area");
    QCOMPARE(first.getObjectName(), QStringLiteral("HalconObject_MouseDraw_Rectangle.Area.1.Labware_Area."));
    QCOMPARE(first.getName(), QStringLiteral("Labware_Area"));
    // Move tools count apart from drawing tools.
    Hobject_View_MouseDraw_Settings settings;
    settings.ToolName = "Labware_Move";
    Hobject_View_MouseDraw_Rectangle_Move move(&owner, nullptr, &view, settings);
    QCOMPARE(move.getObjectName(), QStringLiteral("HalconObject_MouseDraw_Rectangle.Move.1.Labware_Move."));
    Hobject_View_MouseDraw_Rectangle_Area second(&owner, nullptr, &view, "Labware_Area");
    QCOMPARE(second.getObjectName(), QStringLiteral("HalconObject_MouseDraw_Rectangle.Area.2.Labware_Area."));
    {
        Hobject_View_MouseDraw_Rectangle_Area gone(&owner, nullptr, &view, "X");
    }
    // A number is never handed out twice, even after a tool is gone.
    Hobject_View_MouseDraw_Rectangle_Area fourth(&owner, nullptr, &view, "Labware_Area");
    QCOMPARE(fourth.getObjectName(), QStringLiteral("HalconObject_MouseDraw_Rectangle.Area.4.Labware_Area."));
    QVERIFY(owner.calls.isEmpty());
}

void tst_Hobject_View_MouseDraw_Rectangle_Area::previewOverlaysAreVisibleAndRemoved()
{
    Hobject_View_Gui view;
    prepare(view);
    MouseDrawRecorder owner;
    QToolButton button;
    button.setCheckable(true);
    Hobject_View_MouseDraw_Rectangle_Area tool(&owner, &button, &view, "Preview");
    // The owner draws its preview under the tool's prefix, as the editors do.
    owner.hook = [&](const QString& operation) {
        if (operation != "drawChanged")
            return;
        const MouseDrawRecorder::Call call = owner.calls.last();
        view.addObject(HalconTestPictures::rectangleRegion(int(call.y * 10), int(call.x * 10),
                                                           int((call.y + call.height) * 10),
                                                           int((call.x + call.width) * 10)),
                       "green", "margin", 1, tool.getObjectName() + "Preview", false, false);
    };
    button.setChecked(true);
    Hobject_View_Gui_Picture* picture = pictureWidget(view);
    QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, screenOf(100, 100));
    QTest::mouseMove(picture, screenOf(300, 300));
    QTest::mouseMove(picture, screenOf(400, 500));
    // Each preview replaced the one before; the viewer has no other group, so the tool's
    // own group is what makes it visible.
    QCOMPARE(view.getObjectCount(), 1);
    Halcon::Hobject preview;
    bool visible = false;
    bool selected = false;
    QVERIFY(view.getObject(tool.getObjectName() + "Preview", preview, visible, selected));
    QVERIFY(visible);
    QTest::mouseRelease(picture, Qt::LeftButton, Qt::NoModifier, screenOf(400, 500));
    QCOMPARE(view.getObjectCount(), 0);
}

void tst_Hobject_View_MouseDraw_Rectangle_Area::dragReportsNormalisedRectangle_data()
{
    QTest::addColumn<QPointF>("from"); // picture pixels
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<QRectF>("expected"); // percent
    QTest::newRow("up and left") << QPointF(300, 200) << QPointF(100, 250) << QRectF(10, 20, 20, 5);
    QTest::newRow("down and right") << QPointF(100, 200) << QPointF(500, 600) << QRectF(10, 20, 40, 40);
    QTest::newRow("up only") << QPointF(400, 800) << QPointF(600, 200) << QRectF(40, 20, 20, 60);
    QTest::newRow("no movement") << QPointF(300, 200) << QPointF(300, 200) << QRectF(30, 20, 0, 0);
}

void tst_Hobject_View_MouseDraw_Rectangle_Area::dragReportsNormalisedRectangle()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(QRectF, expected);
    Hobject_View_Gui view;
    prepare(view);
    MouseDrawRecorder owner;
    owner.setRectangle(1, 2, 3, 4, 30.0); // only its angle carries over to the new rectangle
    QToolButton button;
    button.setCheckable(true);
    Hobject_View_MouseDraw_Rectangle_Area tool(&owner, &button, &view, "Draw");
    QSignalSpy toggled(&button, &QToolButton::toggled);

    button.setChecked(true);
    QVERIFY(tool.isActive());
    QCOMPARE(owner.operations(), QStringList({"getRectangle"}));
    QCOMPARE(owner.calls[0].name, QStringLiteral("Draw"));
    QCOMPARE(owner.calls[0].objectName, tool.getObjectName());
    Hobject_View_Gui_Picture* picture = pictureWidget(view);
    QCOMPARE(picture->cursor().shape(), Qt::CrossCursor);

    QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, screenOf(from.x(), from.y()));
    QCOMPARE(owner.operations(), QStringList({"getRectangle", "drawStarted", "drawChanged"}));
    const MouseDrawRecorder::Call started = owner.calls.last();
    QVERIFY(near(started.x, from.x() / 10) && near(started.y, from.y() / 10));
    QVERIFY(near(started.width, 0) && near(started.height, 0) && near(started.angle, 30.0));

    if (from != to) {
        // Half way, then the end: a preview for each.
        QTest::mouseMove(picture, screenOf((from.x() + to.x()) / 2, (from.y() + to.y()) / 2));
        QTest::mouseMove(picture, screenOf(to.x(), to.y()));
        QCOMPARE(owner.operations().count("drawChanged"), 3);
        const MouseDrawRecorder::Call moved = owner.last("drawChanged");
        QVERIFY(near(moved.x, expected.x()) && near(moved.y, expected.y()));
        QVERIFY(near(moved.width, expected.width()) && near(moved.height, expected.height()));
    }
    owner.calls.clear();
    QTest::mouseRelease(picture, Qt::LeftButton, Qt::NoModifier, screenOf(to.x(), to.y()));

    // One drag is one drawing: finished, then ended, once.
    QCOMPARE(owner.operations(), QStringList({"drawFinished", "drawEnded"}));
    const MouseDrawRecorder::Call finished = owner.calls[0];
    QVERIFY2(near(finished.x, expected.x()) && near(finished.y, expected.y()) && near(finished.width, expected.width())
                 && near(finished.height, expected.height()),
             qPrintable(QString("%1 %2 %3 %4").arg(finished.x).arg(finished.y).arg(finished.width).arg(finished.height)));
    QVERIFY(near(finished.angle, 30.0));
    QVERIFY(!tool.isActive());
    QVERIFY(!button.isChecked());
    // Unchecked silently: only the user's check was signalled.
    QCOMPARE(toggled.count(), 1);
    QCOMPARE(picture->cursor().shape(), Qt::ArrowCursor);

    // Further mouse events belong to the viewer again.
    owner.calls.clear();
    QTest::mouseClick(picture, Qt::LeftButton, Qt::NoModifier, screenOf(200, 200));
    QVERIFY(owner.calls.isEmpty());
}

void tst_Hobject_View_MouseDraw_Rectangle_Area::mouseIsIgnoredWhileOff()
{
    Hobject_View_Gui view;
    prepare(view);
    MouseDrawRecorder owner;
    QToolButton button;
    button.setCheckable(true);
    Hobject_View_MouseDraw_Rectangle_Area tool(&owner, &button, &view, "Off");
    Hobject_View_Gui_Picture* picture = pictureWidget(view);
    QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    QTest::mouseMove(picture, QPoint(80, 90));
    QTest::mouseRelease(picture, Qt::LeftButton, Qt::NoModifier, QPoint(80, 90));
    QVERIFY(owner.calls.isEmpty());
    QVERIFY(!tool.cancel());
    QVERIFY(owner.calls.isEmpty());
}

void tst_Hobject_View_MouseDraw_Rectangle_Area::noPictureLeavesToolOffWithButtonChecked()
{
    Hobject_View_Gui view;
    MouseDrawRecorder owner;
    QToolButton button;
    button.setCheckable(true);
    Hobject_View_MouseDraw_Rectangle_Area tool(&owner, &button, &view, "Empty");
    button.setChecked(true);
    QVERIFY(!tool.isActive());
    QVERIFY(button.isChecked());
    button.setChecked(false);
    QVERIFY(!tool.isActive());
    QVERIFY(owner.calls.isEmpty());
}

void tst_Hobject_View_MouseDraw_Rectangle_Area::ownerCancellingInGetRectangleKeepsToolOff()
{
    Hobject_View_Gui view;
    prepare(view);
    MouseDrawRecorder owner;
    QToolButton button;
    button.setCheckable(true);
    Hobject_View_MouseDraw_Rectangle_Area tool(&owner, &button, &view, "Refused");
    owner.hook = [&](const QString& operation) {
        if (operation == "getRectangle")
            tool.cancel();
    };
    button.setChecked(true);
    QCOMPARE(owner.operations(), QStringList({"getRectangle", "drawEnded"}));
    QVERIFY(!tool.isActive());
    QVERIFY(!button.isChecked());
    // The viewer keeps its own mouse handling.
    QCOMPARE(pictureWidget(view)->cursor().shape(), Qt::ArrowCursor);
    owner.calls.clear();
    QTest::mouseClick(pictureWidget(view), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    QVERIFY(owner.calls.isEmpty());
}

void tst_Hobject_View_MouseDraw_Rectangle_Area::switchingOnEndsEveryOtherTool()
{
    Hobject_View_Gui labwareView;
    prepare(labwareView);
    Hobject_View_Gui otherView;
    otherView.setPicture(grayPicture(200, 100, 0), QString(), false);
    QStringList log;
    MouseDrawRecorder mover;
    mover.log = &log;
    mover.tag = "move";
    mover.setRectangle(10, 10, 20, 20, 0);
    MouseDrawRecorder drawer;
    drawer.log = &log;
    drawer.tag = "area";
    MouseDrawRecorder other;
    other.log = &log;
    other.tag = "other";
    QToolButton moveButton;
    moveButton.setCheckable(true);
    QToolButton areaButton;
    areaButton.setCheckable(true);
    QToolButton otherButton;
    otherButton.setCheckable(true);
    Hobject_View_MouseDraw_Settings settings;
    settings.ToolName = "Move";
    Hobject_View_MouseDraw_Rectangle_Move moveTool(&mover, &moveButton, &otherView, settings);
    Hobject_View_MouseDraw_Rectangle_Area areaTool(&drawer, &areaButton, &labwareView, "Area");
    Hobject_View_MouseDraw_Rectangle_Area otherTool(&other, &otherButton, &otherView, "Other");

    moveButton.setChecked(true);
    QVERIFY(moveTool.isActive());
    log.clear();
    areaButton.setChecked(true);
    // The move tool of the other viewer ends before this tool asks for its rectangle.
    QCOMPARE(log, QStringList({"move:drawEnded", "area:getRectangle"}));
    QVERIFY(!moveTool.isActive());
    QVERIFY(!moveButton.isChecked());
    QVERIFY(areaTool.isActive());

    log.clear();
    otherButton.setChecked(true);
    QCOMPARE(log, QStringList({"area:drawEnded", "other:getRectangle"}));
    QVERIFY(!areaButton.isChecked());
    QCOMPARE(pictureWidget(labwareView)->cursor().shape(), Qt::ArrowCursor);

    log.clear();
    QVERIFY(Hobject_View_MouseDraw_Rectangle_cancelAll());
    QCOMPARE(log, QStringList({"other:drawEnded"}));
    QVERIFY(!otherButton.isChecked());
}

void tst_Hobject_View_MouseDraw_Rectangle_Area::cancelAllWithoutActiveToolCallsNothing()
{
    Hobject_View_Gui view;
    prepare(view);
    MouseDrawRecorder owner;
    QToolButton areaButton;
    areaButton.setCheckable(true);
    QToolButton moveButton;
    moveButton.setCheckable(true);
    Hobject_View_MouseDraw_Rectangle_Area area(&owner, &areaButton, &view, "A");
    Hobject_View_MouseDraw_Settings settings;
    Hobject_View_MouseDraw_Rectangle_Move move(&owner, &moveButton, &view, settings);
    QVERIFY(!Hobject_View_MouseDraw_Rectangle_cancelAll());
    QVERIFY(owner.calls.isEmpty());
}

void tst_Hobject_View_MouseDraw_Rectangle_Area::destroyedToolLeavesRegistry()
{
    Hobject_View_Gui view;
    prepare(view);
    MouseDrawRecorder owner;
    QToolButton button;
    button.setCheckable(true);
    auto tool = std::make_unique<Hobject_View_MouseDraw_Rectangle_Area>(&owner, &button, &view, "Doomed");
    button.setChecked(true);
    QVERIFY(tool->isActive());
    QTest::mousePress(pictureWidget(view), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    owner.calls.clear();
    tool.reset();
    // Gone without calling its owner back, and the viewer has its mouse again.
    QVERIFY(owner.calls.isEmpty());
    QCOMPARE(pictureWidget(view)->cursor().shape(), Qt::ArrowCursor);
    // The cancel of all tools must not reach the destroyed one (the sanitizer build would
    // report the dangling pointer).
    QVERIFY(!Hobject_View_MouseDraw_Rectangle_cancelAll());
    // Its button no longer drives anything.
    button.setChecked(false);
    button.setChecked(true);
    QVERIFY(owner.calls.isEmpty());

    // A tool whose owner destroys another tool from inside a cancel.
    MouseDrawRecorder first;
    MouseDrawRecorder second;
    QToolButton firstButton;
    firstButton.setCheckable(true);
    QToolButton secondButton;
    secondButton.setCheckable(true);
    auto firstTool = std::make_unique<Hobject_View_MouseDraw_Rectangle_Area>(&first, &firstButton, &view, "First");
    auto secondTool =
        std::make_unique<Hobject_View_MouseDraw_Rectangle_Area>(&second, &secondButton, &view, "Second");
    firstButton.setChecked(true);
    first.hook = [&](const QString& operation) {
        if (operation == "drawEnded")
            secondTool.reset();
    };
    QVERIFY(Hobject_View_MouseDraw_Rectangle_cancelAll());
    QVERIFY(!secondTool);
    QVERIFY(second.calls.isEmpty());
}

QTEST_MAIN(tst_Hobject_View_MouseDraw_Rectangle_Area)
#include "tst_Hobject_View_MouseDraw_Rectangle_Area.moc"
