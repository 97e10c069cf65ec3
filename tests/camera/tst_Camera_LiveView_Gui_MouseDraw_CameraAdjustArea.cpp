// The measuring-area tool: rectangles drawn and moved with the mouse land in the aid's
// Labware values, the record announces them, and an aid is not evaluated while its tool is on.

#include "Camera_LiveView_Gui.h"
#include "Camera_LiveView_Gui_MouseDraw_CameraAdjustArea.h"
#include "Camera_LiveView_Settings.h"
#include "CameraTestSupport.h"
#include "LiveViewTestSupport.h"
#include "../view/ViewTestHelpers.h"

#include <Hobject_View_Gui.h>

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace CameraTestSupport;
using namespace LiveViewTestSupport;
using namespace ViewTestHelpers;
using Labware = Camera_LiveView_Settings_Data::LabwareGroup;

namespace {

// A 1000 x 1000 picture in a 500 x 500 area: one percent is 10 picture pixels, a screen
// pixel two.
QPoint screenOf(double column, double row)
{
    return QPoint(int(column / 2.0), int(row / 2.0));
}

// The tool with its six buttons over a viewer showing a picture.
struct Bench {
    Bench()
    {
        for (QToolButton& button : buttons)
            button.setCheckable(true);
        view.setPicture(grayPicture(1000, 1000, 0), QStringLiteral("LiveImage.Image."), false);
        tool = std::make_unique<Camera_LiveView_Gui_MouseDraw_CameraAdjustArea>(
            &buttons[0], &buttons[1], &buttons[2], &buttons[3], &buttons[4], &buttons[5], &view, &settings);
    }
    ~Bench() { tool.reset(); }
    bool show()
    {
        const bool shown = showWithPictureSize(view, 500, 500, true);
        view.resetZoom(false);
        return shown;
    }
    void drag(QPointF from, QPointF to)
    {
        Hobject_View_Gui_Picture* picture = pictureWidget(view);
        QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, screenOf(from.x(), from.y()));
        QTest::mouseMove(picture, screenOf((from.x() + to.x()) / 2, (from.y() + to.y()) / 2));
        QTest::mouseMove(picture, screenOf(to.x(), to.y()));
        QTest::mouseRelease(picture, Qt::LeftButton, Qt::NoModifier, screenOf(to.x(), to.y()));
    }
    Labware& area(int aid)
    {
        return aid == 0 ? settings.CameraFocus.Labware
                        : (aid == 1 ? settings.CameraAperture.Labware : settings.CameraHomogeneous.Labware);
    }

    Hobject_View_Gui view;
    Camera_LiveView_Settings settings;
    QToolButton buttons[6]; // focus area, move; aperture area, move; homogeneity area, move
    std::unique_ptr<Camera_LiveView_Gui_MouseDraw_CameraAdjustArea> tool;
};

QList<QVariantList> customCalls(const QSignalSpy& spy)
{
    QList<QVariantList> calls;
    for (const QList<QVariant>& call : spy)
        calls.append({call.at(0).toInt(), call.at(1).toBool()});
    return calls;
}

} // namespace

class tst_Camera_LiveView_Gui_MouseDraw_CameraAdjustArea : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void drawnAreaGoesToItsAid_data();
    void drawnAreaGoesToItsAid();
    void clickWithoutDragKeepsTheArea();
    void moveStartsOnTheStoredArea();
    void cancelWithoutDrawingStillAnnounces();
    void drawingClearsOnlyItsAidsOutline();
    void aidIsNotEvaluatedWhileItsToolIsOn();
};

void tst_Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::initTestCase()
{
    prepareCameraTests();
    startLibrary(this);
}

void tst_Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::cleanupTestCase()
{
    QuendralLibrary::Stop();
    Sim::reset();
}

void tst_Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::drawnAreaGoesToItsAid_data()
{
    QTest::addColumn<int>("aid");
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::newRow("focus, right to left and bottom to top") << 0 << QPointF(600, 500) << QPointF(200, 300);
    QTest::newRow("aperture") << 1 << QPointF(200, 300) << QPointF(600, 500);
    QTest::newRow("homogeneity, right to left") << 2 << QPointF(600, 300) << QPointF(200, 500);
}

void tst_Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::drawnAreaGoesToItsAid()
{
    QFETCH(int, aid);
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    Bench bench;
    QVERIFY(bench.show());
    // A turned area is replaced by an upright one.
    bench.area(aid).Angle = 30.0;
    const Camera_LiveView_Settings_Data before = bench.settings.data();
    QSignalSpy custom(&bench.settings, &Camera_LiveView_Settings::signal_custom);
    bench.buttons[2 * aid].setChecked(true);
    QVERIFY(bench.tool->CameraFocus_IsActive() == (aid == 0));
    QVERIFY(bench.tool->CameraAperture_IsActive() == (aid == 1));
    QVERIFY(bench.tool->CameraHomogeneous_IsActive() == (aid == 2));
    bench.drag(from, to);

    Camera_LiveView_Settings_Data expected = before;
    Labware& stored = aid == 0 ? expected.CameraFocus.Labware
                               : (aid == 1 ? expected.CameraAperture.Labware : expected.CameraHomogeneous.Labware);
    stored = Labware::of(20, 30, 40, 20, 0);
    QCOMPARE(bench.settings.data(), expected);
    QCOMPARE(customCalls(custom), (QList<QVariantList>{{2, false}, {2, true}}));
    QVERIFY(!bench.buttons[2 * aid].isChecked());
    QVERIFY(!bench.tool->CameraFocus_IsActive() && !bench.tool->CameraAperture_IsActive()
            && !bench.tool->CameraHomogeneous_IsActive());
}

void tst_Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::clickWithoutDragKeepsTheArea()
{
    Bench bench;
    QVERIFY(bench.show());
    const Camera_LiveView_Settings_Data before = bench.settings.data();
    QSignalSpy custom(&bench.settings, &Camera_LiveView_Settings::signal_custom);
    bench.buttons[0].setChecked(true);
    bench.drag(QPointF(300, 300), QPointF(300, 300));
    // No area to measure in: the stored one stays, the tool still ends and announces it.
    QCOMPARE(bench.settings.data(), before);
    QCOMPARE(customCalls(custom), (QList<QVariantList>{{2, true}}));
}

void tst_Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::moveStartsOnTheStoredArea()
{
    Bench bench;
    QVERIFY(bench.show());
    bench.settings.CameraAperture.Labware = Labware::of(10, 10, 60, 40, 0);
    QSignalSpy custom(&bench.settings, &Camera_LiveView_Settings::signal_custom);
    bench.buttons[3].setChecked(true);
    QVERIFY(bench.tool->CameraAperture_IsActive());
    // The centre handle sits on the stored area's centre, (400, 300) in picture pixels.
    bench.drag(QPointF(400, 300), QPointF(500, 350));
    QCOMPARE(bench.settings.CameraAperture.Labware, Labware::of(20, 15, 60, 40, 0));
    QCOMPARE(customCalls(custom), (QList<QVariantList>{{2, false}}));
    // The move tool stays on until it is cancelled.
    QVERIFY(bench.tool->CameraAperture_IsActive());
    QVERIFY(bench.tool->CameraAperture_Cancel());
    QVERIFY(!bench.tool->CameraAperture_IsActive());
    QCOMPARE(customCalls(custom), (QList<QVariantList>{{2, false}, {2, true}}));
}

void tst_Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::cancelWithoutDrawingStillAnnounces()
{
    Bench bench;
    QVERIFY(bench.show());
    QSignalSpy custom(&bench.settings, &Camera_LiveView_Settings::signal_custom);
    QVERIFY(bench.tool->CameraHomogeneous_Cancel());
    QVERIFY(custom.isEmpty());
    bench.buttons[4].setChecked(true);
    QVERIFY(bench.tool->CameraHomogeneous_IsActive());
    QVERIFY(bench.tool->CameraHomogeneous_Cancel());
    QVERIFY(!bench.buttons[4].isChecked());
    QCOMPARE(customCalls(custom), (QList<QVariantList>{{2, true}}));
}

void tst_Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::drawingClearsOnlyItsAidsOutline()
{
    Bench bench;
    QVERIFY(bench.show());
    bench.view.addCross(10, 10, 5, 0, "green", 1, "LiveImage.CameraFocus.Area.", false, false);
    bench.view.addCross(10, 10, 5, 0, "green", 1, "LiveImage.CameraAperture.Area.", false, false);
    bench.buttons[0].setChecked(true);
    Hobject_View_Gui_Picture* picture = pictureWidget(bench.view);
    QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, screenOf(200, 200));
    QTest::mouseMove(picture, screenOf(400, 300));
    int images = 0, contours = 0, polygons = 0, regions = 0, texts = 0, lines = 0, crosses = 0;
    bench.view.getObjectStatistics(images, contours, polygons, regions, texts, lines, crosses);
    QCOMPARE(crosses, 1);
    // The preview: one green outline under the tool's own name.
    QCOMPARE(contours, 1);
    QTest::mouseRelease(picture, Qt::LeftButton, Qt::NoModifier, screenOf(400, 300));
    bench.view.getObjectStatistics(images, contours, polygons, regions, texts, lines, crosses);
    QCOMPARE(contours, 0);
}

void tst_Camera_LiveView_Gui_MouseDraw_CameraAdjustArea::aidIsNotEvaluatedWhileItsToolIsOn()
{
    resetSimulation();
    setWaitTimeout(kShortWait);
    WorkingFolder folder;
    CameraFixture camera;
    Camera_LiveView_Gui live(nullptr, &camera.camera);
    live.show();
    QVERIFY(QTest::qWaitForWindowExposed(&live));
    const Halcon::Hobject picture = grayPicture(160, 120, 90);
    camera.camera.SetPicture(picture);
    QCOMPARE(live.CameraAperture_Show(10, 10, 50, 40, 0, 127, 10), 0);
    live.findChild<QToolButton*>("m_QToolButton_CameraAperture_MouseSelect_Labware_Area")->setChecked(true);
    camera.camera.SetPicture(picture);
    double current = 0, lower = 0, upper = 0;
    bool inTolerance = false;
    QCOMPARE(live.CameraAperture_GetCurrentValue(current, lower, upper, inTolerance), 15);
    // Only the aid of the tool waits; the tool's end saves the record.
    live.findChild<QToolButton*>("m_QToolButton_CameraAperture_MouseSelect_Labware_Area")->setChecked(false);
    QVERIFY(QFile::exists(Camera_LiveView_Settings::defaultFilePath()));
    camera.camera.SetPicture(picture);
    QCOMPARE(live.CameraAperture_GetCurrentValue(current, lower, upper, inTolerance), 0);
    QCOMPARE(current, 90.0);
    live.hide();
}

QTEST_MAIN(tst_Camera_LiveView_Gui_MouseDraw_CameraAdjustArea)
#include "tst_Camera_LiveView_Gui_MouseDraw_CameraAdjustArea.moc"
