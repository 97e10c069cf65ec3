#include "HalconViewImpl.h"
#include "Hobject_View_Gui.h"
#include "ViewTestHelpers.h"

#include <HalconTestPictures.h>

#include <HTuple.h>
#include <HalconObjectOps.h>
#include <HalconXldOps.h>

#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace ViewTestHelpers;
using Halcon::HTuple;
using Halcon::Hobject;

class tst_HalconViewImpl : public QObject {
    Q_OBJECT
private slots:
    void addTextTakesRowBeforeColumn();
    void addObjectWithStyle();
    void addRotatedRectangle_data();
    void addRotatedRectangle();
    void setObjectsStyleKeepsDrawMode();
    void removeObjectsAndUpdateRequestOnlyOnChange();
};

void tst_HalconViewImpl::addTextTakesRowBeforeColumn()
{
    Hobject_View_Gui view;
    view.addObjectGroup("all", QString(), true);
    view.setPicture(grayPicture(400, 100, 0), QString(), false);
    QVERIFY(showWithPictureSize(view, 400, 100));
    view.resetZoom(false);
    HalconViewImpl impl(&view);
    // The style record is a temporary: the viewer keeps its own copy of the font name.
    impl.addText(QStringLiteral("WWW"), 10.0, 300.0, DrawStyle("white", "DejaVu Sans", 100), "T", false, true);
    const QImage shown = shownImage(view);
    int leftWhite = 0, rightWhite = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (qRed(shown.pixel(x, y)) > 128)
                ++(x < 290 ? leftWhite : rightWhite);
    QCOMPARE(leftWhite, 0);
    QVERIFY(rightWhite > 0);
}

void tst_HalconViewImpl::addObjectWithStyle()
{
    Hobject_View_Gui view;
    view.addObjectGroup("all", QString(), true);
    view.setPicture(grayPicture(300, 300, 0), QString(), false);
    QVERIFY(showWithPictureSize(view, 300, 300));
    view.resetZoom(false);
    HalconViewImpl impl(&view);
    QCOMPARE(impl.getView(), &view);
    impl.addObject(HalconTestPictures::rectangleRegion(100, 100, 199, 199), DrawStyle("green", "fill", 1), "R", true);
    const QRgb pixel = shownImage(view).pixel(150, 150);
    QVERIFY(qGreen(pixel) > 200 && qRed(pixel) < 60);
    Hobject object;
    bool visible = false, selected = false;
    QVERIFY(view.getObject("R", object, visible, selected));
    QVERIFY(visible);
}

void tst_HalconViewImpl::addRotatedRectangle_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("halfWidthAlongColumns");
    QTest::addColumn<double>("halfHeightAlongRows");
    QTest::newRow("axis-parallel") << 0.0 << 150.0 << 200.0;
    QTest::newRow("quarter turn") << 90.0 << 200.0 << 150.0;
}

void tst_HalconViewImpl::addRotatedRectangle()
{
    QFETCH(double, angle);
    QFETCH(double, halfWidthAlongColumns);
    QFETCH(double, halfHeightAlongRows);
    Hobject_View_Gui view;
    view.setPicture(grayPicture(1000, 800, 0), QString(), false);
    HalconViewImpl impl(&view);
    impl.addRotatedRectangle(10, 20, 30, 40, angle, "Rect", "red", "margin", 2, true);
    Hobject contour;
    bool visible = true, selected = true;
    QVERIFY(view.getObject("Rect", contour, visible, selected));
    HTuple classes;
    Halcon::get_obj_class(contour, &classes);
    QCOMPARE(QString::fromStdString(classes[0].S()), QStringLiteral("xld_cont"));
    HTuple row1, column1, row2, column2;
    QCOMPARE(Halcon::smallest_rectangle1_xld(contour, &row1, &column1, &row2, &column2), Halcon::kSuccess);
    // Centre at column 100 + 150 = 250, row 200 + 200 = 400.
    QVERIFY(std::abs((column1.D() + column2.D()) / 2 - 250.0) < 1e-6);
    QVERIFY(std::abs((row1.D() + row2.D()) / 2 - 400.0) < 1e-6);
    QVERIFY(std::abs((column2.D() - column1.D()) / 2 - halfWidthAlongColumns) < 1e-6);
    QVERIFY(std::abs((row2.D() - row1.D()) / 2 - halfHeightAlongRows) < 1e-6);
}

void tst_HalconViewImpl::setObjectsStyleKeepsDrawMode()
{
    Hobject_View_Gui view;
    view.addObjectGroup("all", QString(), true);
    view.setPicture(grayPicture(300, 300, 0), QString(), false);
    QVERIFY(showWithPictureSize(view, 300, 300));
    view.resetZoom(false);
    HalconViewImpl impl(&view);
    impl.addObject(HalconTestPictures::rectangleRegion(100, 100, 199, 199), "red", "margin", 1, "R", false);
    impl.setObjectsStyle("R", DrawStyle("green", "fill", 1), true);
    const QImage shown = shownImage(view);
    QVERIFY(qGreen(shown.pixel(150, 100)) > 200);   // the outline, now green
    QCOMPARE(qGreen(shown.pixel(150, 150)), 0);      // still not filled
}

void tst_HalconViewImpl::removeObjectsAndUpdateRequestOnlyOnChange()
{
    Hobject_View_Gui view;
    view.addObjectGroup("all", QString(), true);
    view.setPicture(grayPicture(100, 100, 0), QString(), false);
    QVERIFY(showWithPictureSize(view, 100, 100, true));
    HalconViewImpl impl(&view);
    impl.addObject(HalconTestPictures::rectangleRegion(1, 1, 5, 5), "red", "fill", 1, "A.1", false);
    shownImage(view);
    QSignalSpy update(&view, &Hobject_View_Gui::signal_update);
    impl.update();
    QCOMPARE(update.count(), 0);
    impl.removeObjects("B.");
    QCOMPARE(update.count(), 0);
    impl.removeObjects("A.");
    QCOMPARE(update.count(), 1);
    QCOMPARE(view.getObjectCount(), 0);
}

QTEST_MAIN(tst_HalconViewImpl)
#include "tst_HalconViewImpl.moc"
