#include "HalconViewImpl.h"
#include "Hobject_View_Gui.h"
#include "PictureUnitConverter.h"
#include "ViewTestHelpers.h"

#include <HalconTestPictures.h>

#include <QTest>

#include <memory>

using namespace ViewTestHelpers;
using Halcon::Hobject;

// Picture units are percent of the longer picture side, for both coordinates.
class tst_PictureUnitConverter : public QObject {
    Q_OBJECT
private slots:
    void conversions_data();
    void conversions();
    void notAnImageGivesZero();
    void noPictureGivesZeroNotDivision();
    void deletedThroughInterface();
};

void tst_PictureUnitConverter::conversions_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QPointF>("percent");
    QTest::addColumn<QPointF>("pixels");
    QTest::newRow("wide: longer side for y too") << 2000 << 1000 << QPointF(50, 50) << QPointF(1000, 1000);
    QTest::newRow("wide: corner") << 2000 << 1000 << QPointF(100, 50) << QPointF(2000, 1000);
    QTest::newRow("tall: y 100 percent") << 1000 << 2000 << QPointF(0, 100) << QPointF(0, 2000);
    QTest::newRow("wide: y 100 percent lies outside") << 2000 << 1000 << QPointF(0, 100) << QPointF(0, 2000);
}

void tst_PictureUnitConverter::conversions()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QPointF, percent);
    QFETCH(QPointF, pixels);
    const Hobject image = grayPicture(width, height, 0);

    // The converter of its own, the viewer and the viewer's interface agree.
    PictureUnitConverter fromImage(image);
    QCOMPARE(fromImage.getLongerSide(), std::max(width, height));
    Hobject_View_Gui view;
    view.setPicture(image, QString(), false);
    PictureUnitConverter fromView(&view);
    HalconViewImpl impl(&view);
    IPictureUnitConverter* converters[] = {&fromImage, &fromView, &impl};
    for (IPictureUnitConverter* converter : converters) {
        double x = -1, y = -1;
        converter->percentToPixels(percent.x(), percent.y(), x, y);
        QCOMPARE(QPointF(x, y), pixels);
        converter->pixelsToPercent(pixels.x(), pixels.y(), x, y);
        QCOMPARE(QPointF(x, y), percent);
    }
    QCOMPARE(impl.percentToPixelsX(percent.x()), pixels.x());
    QCOMPARE(impl.percentToPixelsY(percent.y()), pixels.y());
    QCOMPARE(impl.pixelsToPercentX(pixels.x()), percent.x());
    QCOMPARE(impl.pixelsToPercentY(pixels.y()), percent.y());
}

void tst_PictureUnitConverter::notAnImageGivesZero()
{
    PictureUnitConverter converter(HalconTestPictures::rectangleRegion(0, 0, 10, 10));
    QCOMPARE(converter.getWidth(), 0);
    QCOMPARE(converter.getHeight(), 0);
    QCOMPARE(converter.getLongerSide(), 0);
    double x = -1, y = -1;
    converter.percentToPixels(50, 50, x, y);
    QCOMPARE(x, 0.0);
    QCOMPARE(y, 0.0);
}

void tst_PictureUnitConverter::noPictureGivesZeroNotDivision()
{
    // Without a picture there is no longer side to divide by: every result is 0.
    Hobject_View_Gui view;
    PictureUnitConverter fromEmptyView(&view);
    PictureUnitConverter fromNothing(Hobject{});
    HalconViewImpl impl(&view);
    HalconViewImpl withoutView(nullptr);
    IPictureUnitConverter* converters[] = {&fromEmptyView, &fromNothing, &impl, &withoutView};
    for (IPictureUnitConverter* converter : converters) {
        double x = -1, y = -1;
        converter->pixelsToPercent(100, 200, x, y);
        QCOMPARE(x, 0.0);
        QCOMPARE(y, 0.0);
    }
    double x = -1, y = -1;
    view.convertPixelToPercent(10, 10, x, y);
    QCOMPARE(x, 0.0);
    QCOMPARE(y, 0.0);
    QCOMPARE(impl.pixelsToPercentX(5), 0.0);
    QCOMPARE(withoutView.percentToPixelsY(5), 0.0);
}

void tst_PictureUnitConverter::deletedThroughInterface()
{
    // Owners keep converters as interface pointers; the sanitizer build sees a wrong delete.
    Hobject_View_Gui view;
    std::unique_ptr<IPictureUnitConverter> converter = std::make_unique<PictureUnitConverter>(grayPicture(4, 2, 0));
    std::unique_ptr<IHalconView> halconView = std::make_unique<HalconViewImpl>(&view);
    double x = 0, y = 0;
    converter->percentToPixels(50, 50, x, y);
    QCOMPARE(x, 2.0);
    converter.reset();
    halconView.reset();
}

QTEST_MAIN(tst_PictureUnitConverter)
#include "tst_PictureUnitConverter.moc"
