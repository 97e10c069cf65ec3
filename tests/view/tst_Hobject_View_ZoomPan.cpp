#include "Hobject_View_ZoomPan.h"

#include <QList>
#include <QTest>

using Part = Hobject_View_ZoomPan::Part;

namespace {

QList<int> corners(const Part& part)
{
    return {part.column1, part.row1, part.column2, part.row2};
}

} // namespace

// Centring works on each axis with that axis' own picture size: a picture that is not
// square shows when columns and rows get mixed up.
class tst_Hobject_View_ZoomPan : public QObject {
    Q_OBJECT
private slots:
    void centerKeepsPartInsideWidePicture_data();
    void centerKeepsPartInsideWidePicture();
    void centerWithoutPictureChangesNothing();
};

void tst_Hobject_View_ZoomPan::centerKeepsPartInsideWidePicture_data()
{
    QTest::addColumn<QList<int>>("part");
    QTest::addColumn<QPointF>("center");
    QTest::addColumn<QList<int>>("expected");
    // Picture 1000 × 400: 1 percent is 10 pixels on both axes.
    QTest::newRow("middle") << QList<int>{0, 0, 200, 100} << QPointF(50, 20) << QList<int>{400, 150, 600, 250};
    QTest::newRow("past left and top") << QList<int>{300, 200, 500, 300} << QPointF(1, 1)
                                       << QList<int>{0, 0, 200, 100};
    QTest::newRow("past right and bottom") << QList<int>{0, 0, 200, 100} << QPointF(99, 39)
                                           << QList<int>{800, 300, 1000, 400};
    QTest::newRow("part taller than picture") << QList<int>{0, 0, 200, 500} << QPointF(50, 20)
                                              << QList<int>{400, 0, 600, 400};
}

void tst_Hobject_View_ZoomPan::centerKeepsPartInsideWidePicture()
{
    QFETCH(QList<int>, part);
    QFETCH(QPointF, center);
    QFETCH(QList<int>, expected);
    Hobject_View_ZoomPan zoomPan;
    zoomPan.setPictureSize(1000, 400);
    zoomPan.setPart(Part{part[0], part[1], part[2], part[3]});

    QVERIFY(zoomPan.centerOnPercent(center.x(), center.y()));
    QCOMPARE(corners(zoomPan.part()), expected);
}

void tst_Hobject_View_ZoomPan::centerWithoutPictureChangesNothing()
{
    Hobject_View_ZoomPan zoomPan;
    zoomPan.setPart(Part{10, 20, 30, 40});
    QVERIFY(!zoomPan.centerOnPercent(50, 50));
    QVERIFY(!zoomPan.showPercentRange(10, 10, 20, 20));
    QCOMPARE(corners(zoomPan.part()), QList<int>({10, 20, 30, 40}));
}

QTEST_GUILESS_MAIN(tst_Hobject_View_ZoomPan)
#include "tst_Hobject_View_ZoomPan.moc"
