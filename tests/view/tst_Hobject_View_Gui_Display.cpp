#include "Hobject_View_Gui.h"
#include "ViewTestHelpers.h"

#include <HalconTestPictures.h>

#include <HTuple.h>
#include <HalconXldOps.h>

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

using namespace ViewTestHelpers;
using Halcon::Hobject;

namespace {

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
}

bool isGrey(QRgb pixel, int value)
{
    return qAbs(qRed(pixel) - value) < 8 && qAbs(qGreen(pixel) - value) < 8 && qAbs(qBlue(pixel) - value) < 8;
}

// Any red pixel within one pixel of p: the outline may fall on either side of a pixel edge.
bool redNear(const QImage& image, QPoint p)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.rect().contains(p + QPoint(dx, dy)) && isRed(image.pixel(p + QPoint(dx, dy))))
                return true;
    return false;
}

void sendWheel(QWidget* widget, QPoint position, int delta)
{
    QWheelEvent event(QPointF(position), QPointF(widget->mapToGlobal(position)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class tst_Hobject_View_Gui_Display : public QObject {
    Q_OBJECT
private slots:
    void marginRectangleWherePartPutsIt_data();
    void marginRectangleWherePartPutsIt();
    void selectedObjectUsesSelectionColor();
    void firstShowFitsWidePictureIntoSquare();
    void zoomButtons();
    void wheel();
    void noPictureAppliesNothing();
    void zeroSizeWidgetSetsNothing();
    void scrollBars();
    void textBelowOnePixelIsNotDrawn_data();
    void textBelowOnePixelIsNotDrawn();
    void centerAndPercentRangeKeepMinimumSize();
};

void tst_Hobject_View_Gui_Display::marginRectangleWherePartPutsIt_data()
{
    QTest::addColumn<QString>("drawMode");
    QTest::addColumn<bool>("zoomed");
    QTest::newRow("margin, whole picture") << QStringLiteral("margin") << false;
    QTest::newRow("margin, zoomed part") << QStringLiteral("margin") << true;
    QTest::newRow("fill, whole picture") << QStringLiteral("fill") << false;
    QTest::newRow("fill, zoomed part") << QStringLiteral("fill") << true;
}

void tst_Hobject_View_Gui_Display::marginRectangleWherePartPutsIt()
{
    QFETCH(QString, drawMode);
    QFETCH(bool, zoomed);
    Hobject_View_Gui view(nullptr, QStringLiteral("render"));
    QVERIFY(showWithPictureSize(view, 400, 300));
    view.setPicture(grayPicture(400, 300, 128), QString(), true);
    view.resetZoom(false);
    // Rows 100..149, columns 200..279.
    view.addObject(HalconTestPictures::rectangleRegion(100, 200, 149, 279), QStringLiteral("red"), drawMode, 1,
                   QString(), false, true);
    if (zoomed)
        view.setViewPercentRange(40.0, 20.0, 40.0, 30.0);

    int column1 = 0, row1 = 0, column2 = 0, row2 = 0;
    view.getVisiblePart(column1, row1, column2, row2);
    if (zoomed) {
        QCOMPARE(column1, 160);
        QCOMPARE(row1, 80);
        QCOMPARE(column2, 320);
        QCOMPARE(row2, 200);
    } else {
        QCOMPARE(column1, 0);
        QCOMPARE(column2, 400);
        QCOMPARE(row2, 300);
    }

    const QImage shown = shownImage(view);
    QCOMPARE(shown.size(), QSize(400, 300));
    auto at = [&](double row, double column) {
        return windowPoint(row, column, column1, row1, column2, row2, shown.width(), shown.height());
    };
    QVERIFY(redNear(shown, at(100, 240)));   // top edge
    QVERIFY(redNear(shown, at(125, 200)));   // left edge
    QVERIFY(redNear(shown, at(149, 260)));   // bottom edge
    QVERIFY(isGrey(shown.pixel(at(90, 240)), 128));
    QVERIFY(isGrey(shown.pixel(at(125, 190)), 128));
    const QRgb inside = shown.pixel(at(125, 240));
    if (drawMode == QLatin1String("fill"))
        QVERIFY(isRed(inside));
    else
        QVERIFY(isGrey(inside, 128));
}

void tst_Hobject_View_Gui_Display::selectedObjectUsesSelectionColor()
{
    Hobject_View_Gui view;
    QVERIFY(showWithPictureSize(view, 400, 300));
    view.setPicture(grayPicture(400, 300, 128), QString(), true);
    view.resetZoom(false);
    view.addObject(HalconTestPictures::rectangleRegion(100, 200, 149, 279), QStringLiteral("red"),
                   QStringLiteral("fill"), 1, QString(), true, true);
    view.selectObjects(QString(), true);
    int column1 = 0, row1 = 0, column2 = 0, row2 = 0;
    view.getVisiblePart(column1, row1, column2, row2);
    const QImage shown = shownImage(view);
    const QRgb pixel = shown.pixel(windowPoint(125, 240, column1, row1, column2, row2, 400, 300));
    QVERIFY2(qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) < 80, "default selection colour is yellow");
}

void tst_Hobject_View_Gui_Display::firstShowFitsWidePictureIntoSquare()
{
    Hobject_View_Gui view;
    view.setPicture(grayPicture(2000, 1000, 128), QString(), false);
    QSignalSpy zoom(&view, &Hobject_View_Gui::signal_ZoomFactorChanged);
    QVERIFY(showWithPictureSize(view, 400, 400));
    int column1 = 0, row1 = 0, column2 = 0, row2 = 0;
    view.getVisiblePart(column1, row1, column2, row2);
    QCOMPARE(column1, 0);
    QCOMPARE(row1, 0);
    QCOMPARE(column2, 2000);
    QCOMPARE(row2, 2000);
    double fx = 0.0, fy = 0.0;
    view.getZoomFactor(fx, fy);
    QCOMPARE(fx, 1.0);
    QCOMPARE(fy, 0.5);
    QVERIFY(!zoom.isEmpty());

    const QImage shown = shownImage(view);
    QVERIFY(isGrey(shown.pixel(200, 100), 128));
    QVERIFY(isGrey(shown.pixel(200, 300), 0));   // black below the picture
}

void tst_Hobject_View_Gui_Display::zoomButtons()
{
    Hobject_View_Gui view;
    view.setPicture(grayPicture(600, 600, 128), QString(), false);
    QVERIFY(showWithPictureSize(view, 300, 300));
    auto part = [&view] {
        int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
        view.getVisiblePart(c1, r1, c2, r2);
        return QRect(QPoint(c1, r1), QPoint(c2, r2));
    };
    const QRect whole = part();
    QCOMPARE(whole, QRect(QPoint(0, 0), QPoint(600, 600)));

    QToolButton* zoomOut = view.findChild<QToolButton*>(QStringLiteral("m_QToolButton_ZoomOut"));
    QToolButton* zoomIn = view.findChild<QToolButton*>(QStringLiteral("m_QToolButton_ZoomIn"));
    QToolButton* zoom100 = view.findChild<QToolButton*>(QStringLiteral("m_QToolButton_Zoom100"));
    zoomOut->click();
    QCOMPARE(part(), whole);

    zoomIn->click();
    QCOMPARE(part(), QRect(QPoint(100, 100), QPoint(500, 500)));

    // Zooming in stops before the part gets smaller than a few pixels.
    for (int i = 0; i < 40; ++i)
        zoomIn->click();
    const QRect smallest = part();
    QVERIFY(smallest.width() - 1 >= 8);
    zoomIn->click();
    QCOMPARE(part(), smallest);

    zoom100->click();
    QCOMPARE(part(), whole);
}

void tst_Hobject_View_Gui_Display::wheel()
{
    Hobject_View_Gui view;
    view.setPicture(grayPicture(600, 600, 128), QString(), false);
    QVERIFY(showWithPictureSize(view, 300, 300));
    Hobject_View_Gui_Picture* picture = pictureWidget(view);
    QSignalSpy wheelSpy(&view, &Hobject_View_Gui::signal_HalconMouseWheelEvent);

    // Outside the visible part: nothing.
    sendWheel(picture, QPoint(-20, 150), 120);
    QCOMPARE(wheelSpy.count(), 0);
    int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    view.getVisiblePart(c1, r1, c2, r2);
    QCOMPARE(QRect(QPoint(c1, r1), QPoint(c2, r2)), QRect(QPoint(0, 0), QPoint(600, 600)));

    // Forwards about the top-left quarter point: the point stays under the pointer.
    sendWheel(picture, QPoint(75, 75), 120);
    QCOMPARE(wheelSpy.count(), 1);
    QCOMPARE(wheelSpy.at(0).at(0).toDouble(), 150.0);
    QCOMPARE(wheelSpy.at(0).at(2).toInt(), 120);
    view.getVisiblePart(c1, r1, c2, r2);
    QCOMPARE(QRect(QPoint(c1, r1), QPoint(c2, r2)), QRect(QPoint(25, 25), QPoint(525, 525)));

    // Backwards: each side moves out by a sixth of its distance to the pointer (150, 150),
    // limited by the picture.
    sendWheel(picture, QPoint(75, 75), -120);
    view.getVisiblePart(c1, r1, c2, r2);
    QCOMPARE(QRect(QPoint(c1, r1), QPoint(c2, r2)), QRect(QPoint(4, 4), QPoint(588, 588)));
    sendWheel(picture, QPoint(75, 75), -120);
    sendWheel(picture, QPoint(75, 75), -120);
    view.getVisiblePart(c1, r1, c2, r2);
    QCOMPARE(QRect(QPoint(c1, r1), QPoint(c2, r2)), QRect(QPoint(0, 0), QPoint(600, 600)));
}

void tst_Hobject_View_Gui_Display::noPictureAppliesNothing()
{
    Hobject_View_Gui view;
    QVERIFY(showWithPictureSize(view, 300, 200));
    QSignalSpy zoom(&view, &Hobject_View_Gui::signal_ZoomFactorChanged);
    QSignalSpy update(&view, &Hobject_View_Gui::signal_update);
    QScrollBar* horizontal = view.findChild<QScrollBar*>(QStringLiteral("m_QScrollBar_Horizontal"));
    const int maximum = horizontal->maximum();
    view.resetZoom(false);
    view.centerViewOnPercent(50, 50);
    view.setViewPercentRange(0, 0, 50, 50);
    int c1 = -1, r1 = -1, c2 = -1, r2 = -1;
    view.getVisiblePart(c1, r1, c2, r2);
    QCOMPARE(QList<int>({c1, r1, c2, r2}), QList<int>({0, 0, 0, 0}));
    QCOMPARE(zoom.count(), 0);
    QCOMPARE(update.count(), 0);
    QCOMPARE(horizontal->maximum(), maximum);
    double fx = -1, fy = -1;
    view.getZoomFactor(fx, fy);
    QCOMPARE(fx, 0.0);
    QCOMPARE(fy, 0.0);
    // A paint with nothing to show is black and does not fail.
    const QImage shown = shownImage(view);
    QVERIFY(isGrey(shown.pixel(150, 100), 0));
}

void tst_Hobject_View_Gui_Display::zeroSizeWidgetSetsNothing()
{
    Hobject_View_Gui view;
    QVERIFY(showWithPictureSize(view, 300, 200));
    pictureWidget(view)->setFixedHeight(0);
    QApplication::processEvents();
    QCOMPARE(pictureWidget(view)->height(), 0);
    QSignalSpy zoom(&view, &Hobject_View_Gui::signal_ZoomFactorChanged);
    QSignalSpy press(&view, &Hobject_View_Gui::signal_HalconMousePressEvent);
    view.setPicture(grayPicture(640, 480, 128), QString(), true);
    int c1 = -1, r1 = -1, c2 = -1, r2 = -1;
    view.getVisiblePart(c1, r1, c2, r2);
    // The picture size is taken, the part is not fitted to an aspect ratio that does not exist.
    QCOMPARE(QList<int>({c1, r1, c2, r2}), QList<int>({0, 0, 640, 480}));
    QCOMPARE(zoom.count(), 0);
    QTest::mousePress(pictureWidget(view), Qt::LeftButton, Qt::NoModifier, QPoint(0, 0));
    QCOMPARE(press.count(), 0);
}

void tst_Hobject_View_Gui_Display::scrollBars()
{
    Hobject_View_Gui view;
    view.setPicture(grayPicture(600, 600, 128), QString(), false);
    QVERIFY(showWithPictureSize(view, 300, 300));
    QScrollBar* horizontal = view.findChild<QScrollBar*>(QStringLiteral("m_QScrollBar_Horizontal"));
    QScrollBar* vertical = view.findChild<QScrollBar*>(QStringLiteral("m_QScrollBar_Vertical"));
    QCOMPARE(horizontal->maximum(), 1);
    QCOMPARE(horizontal->pageStep(), 1000000);
    QCOMPARE(horizontal->value(), 0);

    view.setViewPercentRange(10, 20, 50, 50);   // columns 60..360, rows 120..420
    QCOMPARE(horizontal->maximum(), 300);
    QCOMPARE(horizontal->pageStep(), 300);
    QCOMPARE(horizontal->value(), 60);
    QCOMPARE(vertical->value(), 120);

    horizontal->setValue(200);
    int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    view.getVisiblePart(c1, r1, c2, r2);
    QCOMPARE(c1, 200);
    QCOMPARE(c2, 500);
    vertical->setValue(0);
    view.getVisiblePart(c1, r1, c2, r2);
    QCOMPARE(r1, 0);
    QCOMPARE(r2, 300);
}

void tst_Hobject_View_Gui_Display::textBelowOnePixelIsNotDrawn_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("drawn");
    // The picture area is 100 pixels high, the whole picture shown: font scale 100 / 500.
    QTest::newRow("size 2 rounds to 0") << 2 << false;
    QTest::newRow("size 100 gives 20") << 100 << true;
}

void tst_Hobject_View_Gui_Display::textBelowOnePixelIsNotDrawn()
{
    QFETCH(int, size);
    QFETCH(bool, drawn);
    Hobject_View_Gui view;
    view.setPicture(grayPicture(400, 100, 0), QString(), false);
    QVERIFY(showWithPictureSize(view, 400, 100));
    view.resetZoom(false);
    view.addText(QStringLiteral("WWWW"), 10, 5, QStringLiteral("white"), "DejaVu Sans", size, QString(), false, true);
    const QImage shown = shownImage(view);
    int white = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (qRed(shown.pixel(x, y)) > 128)
                ++white;
    QCOMPARE(white > 0, drawn);
}

void tst_Hobject_View_Gui_Display::centerAndPercentRangeKeepMinimumSize()
{
    Hobject_View_Gui view;
    view.setPicture(grayPicture(1000, 1000, 128), QString(), false);
    QVERIFY(showWithPictureSize(view, 200, 200));
    view.setViewPercentRange(50, 50, 0.1, 0.1);
    int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    view.getVisiblePart(c1, r1, c2, r2);
    QCOMPARE(c1, 500);
    QCOMPARE(r1, 500);
    QCOMPARE(c2, 512);
    QCOMPARE(r2, 512);

    view.setViewPercentRange(0, 0, 20, 20);
    view.centerViewOnPercent(99, 1);   // pushed back inside the picture
    view.getVisiblePart(c1, r1, c2, r2);
    QCOMPARE(QList<int>({c1, r1, c2, r2}), QList<int>({800, 0, 1000, 200}));
}

QTEST_MAIN(tst_Hobject_View_Gui_Display)
#include "tst_Hobject_View_Gui_Display.moc"
