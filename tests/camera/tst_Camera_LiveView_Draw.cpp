// The named marks of the control software over the live picture: where they land, how
// they are named and removed, what is refused before any wait, and the wait for a picture.

#include "Camera_LiveView_Draw.h"
#include "LiveViewTestSupport.h"

#include <HalconTestPictures.h>
#include <TextInk.h>
#include <Hobject_View_Gui.h>

#include <HalconXldOps.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>

using namespace LiveViewTestSupport;
using Halcon::Hobject;

namespace {

// 200 x 100 black: one percent is two pixels.
Hobject blackPicture()
{
    return HalconTestPictures::grayImage(200, 100, [](int, int) { return 0; });
}

// Yellow within radius pixels of (row, column) in the view rendered with its marks.
bool yellowNear(Hobject_View_Gui& view, int row, int column, int radius = 1)
{
    Hobject plain, shown;
    if (!view.dumpViewImage(plain, shown))
        return false;
    for (int r = row - radius; r <= row + radius; ++r)
        for (int c = column - radius; c <= column + radius; ++c)
            if (HalconTestPictures::pixel(shown, r, c, 0) > 200 && HalconTestPictures::pixel(shown, r, c, 1) > 200
                && HalconTestPictures::pixel(shown, r, c, 2) < 60)
                return true;
    return false;
}

struct Statistics {
    int contours = 0;
    int regions = 0; // filled shapes
    int texts = 0;
    int lines = 0;
    int crosses = 0;
    int total() const { return contours + regions + texts + lines + crosses; }
};

Statistics statistics(const Hobject_View_Gui& view)
{
    int images = 0, polygons = 0;
    Statistics s;
    view.getObjectStatistics(images, s.contours, polygons, s.regions, s.texts, s.lines, s.crosses);
    return s;
}

void drawAllKinds(Camera_LiveView_Draw& draw, const QString& name)
{
    QCOMPARE(draw.Draw_Cross(name, 50, 25, 5, 0, "yellow", 1), 0);
    QCOMPARE(draw.Draw_Ellipse(name, 10, 10, 30, 20, 0, "yellow", 1, "margin"), 0);
    QCOMPARE(draw.Draw_Rectangle(name, 10, 10, 30, 20, 0, "yellow", 1, "fill"), 0);
    QCOMPARE(draw.Draw_Line(name, 10, 10, 90, 10, "yellow", 1), 0);
    QCOMPARE(draw.Draw_Text(name, 50, 20, "mark", "yellow", "Arial", 12), 0);
}

using DrawCall = std::function<Errors::Type_Error(Camera_LiveView_Draw&)>;

} // namespace

Q_DECLARE_METATYPE(DrawCall)

class tst_Camera_LiveView_Draw : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void marksLandWhereAsked_data();
    void marksLandWhereAsked();
    void textLandsWhereAskedAtItsSize_data();
    void textLandsWhereAskedAtItsSize();
    void shapesTurnAboutTheirCentre();
    void marksAreNamedByObjectAndKind();
    void clearTakesOnlyItsObject();
    void refusedBeforeAnyWait_data();
    void refusedBeforeAnyWait();
    void everyListedColourIsAccepted();
    void noPictureInTime();
    void waitEndsWithThePicture();
};

void tst_Camera_LiveView_Draw::initTestCase()
{
    startLibrary(this);
}

void tst_Camera_LiveView_Draw::cleanupTestCase()
{
    QuendralLibrary::Stop();
}

void tst_Camera_LiveView_Draw::init()
{
    setWaitTimeout(kLongWait);
}

void tst_Camera_LiveView_Draw::marksLandWhereAsked_data()
{
    QTest::addColumn<DrawCall>("call");
    QTest::addColumn<QPoint>("marked"); // (column, row) that shows the mark
    QTest::addColumn<QPoint>("clear"); // (column, row) that does not
    QTest::addColumn<int>("radius");

    QTest::newRow("cross") << DrawCall([](Camera_LiveView_Draw& d) { return d.Draw_Cross("M", 50, 25, 10, 0, "yellow", 3); })
                           << QPoint(108, 50) << QPoint(108, 58) << 1;
    QTest::newRow("line") << DrawCall([](Camera_LiveView_Draw& d) { return d.Draw_Line("M", 10, 10, 90, 10, "yellow", 3); })
                          << QPoint(100, 20) << QPoint(100, 30) << 1;
    // Left 20, top 20, 60 x 40 pixels.
    QTest::newRow("rectangle margin")
        << DrawCall([](Camera_LiveView_Draw& d) { return d.Draw_Rectangle("M", 10, 10, 30, 20, 0, "yellow", 3, "margin"); })
        << QPoint(50, 20) << QPoint(50, 40) << 1;
    QTest::newRow("rectangle fill")
        << DrawCall([](Camera_LiveView_Draw& d) { return d.Draw_Rectangle("M", 10, 10, 30, 20, 0, "yellow", 1, "fill"); })
        << QPoint(50, 40) << QPoint(90, 40) << 1;
    QTest::newRow("ellipse margin")
        << DrawCall([](Camera_LiveView_Draw& d) { return d.Draw_Ellipse("M", 10, 10, 30, 20, 0, "yellow", 3, "margin"); })
        << QPoint(80, 40) << QPoint(50, 40) << 1;
    QTest::newRow("ellipse fill")
        << DrawCall([](Camera_LiveView_Draw& d) { return d.Draw_Ellipse("M", 10, 10, 30, 20, 0, "yellow", 1, "fill"); })
        << QPoint(50, 40) << QPoint(22, 22) << 1;
}

void tst_Camera_LiveView_Draw::marksLandWhereAsked()
{
    QFETCH(DrawCall, call);
    QFETCH(QPoint, marked);
    QFETCH(QPoint, clear);
    QFETCH(int, radius);
    Hobject_View_Gui view;
    view.addObjectGroup("Draw", Camera_LiveView_Draw::prefix(), true);
    view.setPicture(blackPicture(), "LiveImage.Image.", false);
    Camera_LiveView_Draw draw(&view);
    QCOMPARE(call(draw), 0);
    QVERIFY(yellowNear(view, marked.y(), marked.x(), radius));
    QVERIFY(!yellowNear(view, clear.y(), clear.x(), radius));
}

void tst_Camera_LiveView_Draw::textLandsWhereAskedAtItsSize_data()
{
    QTest::addColumn<QString>("font");
    QTest::newRow("Arial") << "Arial";
    QTest::newRow("the viewer's default") << "";
}

void tst_Camera_LiveView_Draw::textLandsWhereAskedAtItsSize()
{
    QFETCH(QString, font);
    Hobject_View_Gui view;
    view.addObjectGroup("Draw", Camera_LiveView_Draw::prefix(), true);
    view.setPicture(blackPicture(), "LiveImage.Image.", false);
    Camera_LiveView_Draw draw(&view);
    QCOMPARE(draw.Draw_Text("M", 50, 20, "MMMM", "yellow", font, 20), 0);
    Hobject plain, shown;
    QVERIFY(view.dumpViewImage(plain, shown));
    // Its line begins at (100, 40), 20 pixels high; the marks are written in bold.
    const QRect ink = TextInk::yellowBox(shown);
    const QRectF expected = TextInk::expected(font, 20, true, QStringLiteral("MMMM"), 100, 40);
    QVERIFY2(TextInk::matches(ink, expected), qPrintable(TextInk::describe(ink, expected)));
}

void tst_Camera_LiveView_Draw::shapesTurnAboutTheirCentre()
{
    Hobject_View_Gui view;
    view.setPicture(blackPicture(), "LiveImage.Image.", false);
    Camera_LiveView_Draw draw(&view);
    QCOMPARE(draw.Draw_Rectangle("R", 10, 10, 30, 20, 90, "green", 1, "margin"), 0);
    QCOMPARE(draw.Draw_Ellipse("E", 10, 10, 30, 20, 90, "green", 1, "margin"), 0);
    for (const char* name : {"LiveImage.Draw.R.Rectangle.", "LiveImage.Draw.E.Ellipse."}) {
        Hobject contour;
        bool visible = false, selected = false;
        QVERIFY(view.getObject(name, contour, visible, selected));
        Halcon::HTuple area, row, column, order;
        QCOMPARE(Halcon::area_center_xld(contour, &area, &row, &column, &order), Halcon::kSuccess);
        // The centre is the middle of the unturned shape: left 20 + 30, top 20 + 20 pixels.
        QVERIFY(std::abs(row.D() - 40.0) < 0.5);
        QVERIFY(std::abs(column.D() - 50.0) < 0.5);
        const double expected = QByteArray(name).contains("Ellipse") ? M_PI * 30.0 * 20.0 : 60.0 * 40.0;
        QVERIFY2(std::abs(area.D() - expected) < 0.02 * expected, qPrintable(QString::number(area.D())));
    }
}

void tst_Camera_LiveView_Draw::marksAreNamedByObjectAndKind()
{
    Hobject_View_Gui view;
    view.setPicture(blackPicture(), "LiveImage.Image.", false);
    Camera_LiveView_Draw draw(&view);
    drawAllKinds(draw, "A");
    drawAllKinds(draw, "A");
    const Statistics drawn = statistics(view);
    QCOMPARE(drawn.contours, 2);
    QCOMPARE(drawn.regions, 2);
    QCOMPARE(drawn.texts, 2);
    QCOMPARE(drawn.lines, 2);
    QCOMPARE(drawn.crosses, 2);
    Hobject object;
    bool visible = false, selected = false;
    QVERIFY(view.getObject("LiveImage.Draw.A.Ellipse.", object, visible, selected));
    QVERIFY(view.getObject("LiveImage.Draw.A.Rectangle.", object, visible, selected));
    // One clear takes every kind of the object, twice drawn or not.
    QCOMPARE(draw.Draw_Clear("A"), 0);
    QCOMPARE(statistics(view).total(), 0);
    QCOMPARE(view.getPictureCount(), 1);
}

void tst_Camera_LiveView_Draw::clearTakesOnlyItsObject()
{
    Hobject_View_Gui view;
    view.setPicture(blackPicture(), "LiveImage.Image.", false);
    view.addCross(1, 1, 3, 0, "red", 1, "LiveImage.CameraFocus.Other.", false, false);
    Camera_LiveView_Draw draw(&view);
    QCOMPARE(draw.Draw_Cross("A", 10, 10, 5, 0, "red", 1), 0);
    QCOMPARE(draw.Draw_Text("A", 10, 10, "a", "red", "", 10), 0);
    QCOMPARE(draw.Draw_Cross("AB", 20, 10, 5, 0, "red", 1), 0);

    // A name with a dot could reach into other objects' marks: refused, nothing removed.
    QCOMPARE(draw.Draw_Clear("A.Cross"), 3);
    QCOMPARE(draw.Draw_Cross("A.B", 20, 10, 5, 0, "red", 1), 3);
    QCOMPARE(statistics(view).crosses, 3);

    QCOMPARE(draw.Draw_Clear("A"), 0);
    const Statistics left = statistics(view);
    QCOMPARE(left.crosses, 2);
    QCOMPARE(left.texts, 0);
    QCOMPARE(draw.Draw_ClearAll(), 0);
    // Only the marks of the control software go.
    QCOMPARE(statistics(view).crosses, 1);
}

void tst_Camera_LiveView_Draw::refusedBeforeAnyWait_data()
{
    QTest::addColumn<DrawCall>("call");
    using D = Camera_LiveView_Draw;
    const auto row = [](const char* name, DrawCall call) { QTest::newRow(name) << call; };
    row("colour with a capital", [](D& d) { return d.Draw_Cross("A", 10, 10, 5, 0, "Red", 1); });
    row("empty colour", [](D& d) { return d.Draw_Line("A", 10, 10, 20, 20, "", 1); });
    row("colour the list does not hold", [](D& d) { return d.Draw_Text("A", 10, 10, "t", "purple", "Arial", 10); });
    row("draw mode with a capital", [](D& d) { return d.Draw_Ellipse("A", 10, 10, 5, 5, 0, "red", 1, "Fill"); });
    row("empty draw mode", [](D& d) { return d.Draw_Rectangle("A", 10, 10, 5, 5, 0, "red", 1, ""); });
    row("font in small letters", [](D& d) { return d.Draw_Text("A", 10, 10, "t", "red", "arial", 10); });
    row("another font", [](D& d) { return d.Draw_Text("A", 10, 10, "t", "red", "Times", 10); });
    row("cross of size 0", [](D& d) { return d.Draw_Cross("A", 10, 10, 0, 0, "red", 1); });
    row("ellipse of width 0", [](D& d) { return d.Draw_Ellipse("A", 10, 10, 0, 5, 0, "red", 1, "margin"); });
    row("rectangle of negative height", [](D& d) { return d.Draw_Rectangle("A", 10, 10, 5, -5, 0, "red", 1, "fill"); });
    row("text of size 0", [](D& d) { return d.Draw_Text("A", 10, 10, "t", "red", "Arial", 0); });
    row("text too large", [](D& d) { return d.Draw_Text("A", 10, 10, "t", "red", "Arial", 1001); });
    row("line size 0", [](D& d) { return d.Draw_Line("A", 10, 10, 20, 20, "red", 0); });
    row("line size too large", [](D& d) { return d.Draw_Cross("A", 10, 10, 5, 0, "red", 2001); });
    row("position not a number", [](D& d) { return d.Draw_Cross("A", std::nan(""), 10, 5, 0, "red", 1); });
    row("infinite position", [](D& d) { return d.Draw_Line("A", 10, 10, INFINITY, 20, "red", 1); });
    row("far beyond the picture", [](D& d) { return d.Draw_Ellipse("A", 10, 10, 1e6, 5, 0, "red", 1, "margin"); });
    row("angle not a number", [](D& d) { return d.Draw_Rectangle("A", 10, 10, 5, 5, std::nan(""), "red", 1, "fill"); });
    row("dotted name", [](D& d) { return d.Draw_Text("A.Text", 10, 10, "t", "red", "Arial", 10); });
}

void tst_Camera_LiveView_Draw::refusedBeforeAnyWait()
{
    QFETCH(DrawCall, call);
    // No picture and a long wait: only a call refused before waiting comes back at once.
    Hobject_View_Gui view;
    Camera_LiveView_Draw draw(&view);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(call(draw), 3);
    QVERIFY(timer.elapsed() < kLongWait / 2);
    view.setPicture(blackPicture(), "LiveImage.Image.", false);
    QCOMPARE(call(draw), 3);
    QCOMPARE(statistics(view).total(), 0);
}

void tst_Camera_LiveView_Draw::everyListedColourIsAccepted()
{
    Hobject_View_Gui view;
    view.setPicture(blackPicture(), "LiveImage.Image.", false);
    Camera_LiveView_Draw draw(&view);
    const QStringList colours{"blue", "light blue", "cadet blue", "red", "orange", "green", "dark green",
                              "spring green", "cyan", "magenta", "yellow", "pink", "gray", "dim gray",
                              "light gray", "black", "white"};
    for (const QString& colour : colours)
        QCOMPARE(draw.Draw_Cross(colour.split(' ').join('_'), 10, 10, 5, 0, colour, 1), 0);
    QCOMPARE(statistics(view).crosses, colours.size());
    // An empty font is the viewer's own.
    QCOMPARE(draw.Draw_Text("T", 10, 10, "t", "red", "", 10), 0);
}

void tst_Camera_LiveView_Draw::noPictureInTime()
{
    setWaitTimeout(kShortWait);
    Hobject_View_Gui view;
    Camera_LiveView_Draw draw(&view);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(draw.Draw_Cross("A", 10, 10, 5, 0, "red", 1), 15);
    QVERIFY(timer.elapsed() >= kShortWait);
    QCOMPARE(draw.WaitForPicture(), 15);
    QCOMPARE(statistics(view).total(), 0);
    QCOMPARE(draw.Draw_ClearAll(), 0);
    QCOMPARE(draw.Draw_Clear("A"), 0);
}

void tst_Camera_LiveView_Draw::waitEndsWithThePicture()
{
    Hobject_View_Gui view;
    Camera_LiveView_Draw draw(&view);
    // The picture comes while the call waits, as a live picture would.
    QTimer::singleShot(30, &view, [&view] { view.setPicture(blackPicture(), "LiveImage.Image.", false); });
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(draw.Draw_Cross("A", 50, 50, 5, 0, "red", 1), 0);
    QVERIFY(timer.elapsed() < kLongWait / 2);
    QCOMPARE(statistics(view).crosses, 1);
}

QTEST_MAIN(tst_Camera_LiveView_Draw)
#include "tst_Camera_LiveView_Draw.moc"
