#include "ModelMatchingSetup.h"

#include <Halcon.h>

#include <QElapsedTimer>
#include <QtTest>

#include <cmath>

using CrossScenes::Placement;

class tst_ModelMatchingEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void explore();
};

void tst_ModelMatchingEndToEnd::explore()
{
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    QElapsedTimer timer;
    timer.start();
    ModelMatchingCreateResult created;
    QCOMPARE(setup.createCrossModel(&created), Errors::Type_Error(0));
    qDebug() << "create ms" << timer.elapsed();
    const std::vector<Placement> crosses = {{200.3, 250.7, 45.0, 1.0}, {620.25, 900.6, 41.3, 0.97}, {450.5, 600.1, 52.7, 1.03}};
    const Halcon::Hobject view = CrossScenes::view(crosses);
    for (const Placement& c : crosses) {
        ModelMatchingSearchResult r;
        timer.restart();
        const Errors::Type_Error err = setup.facade->SearchModel(
            ModelMatchingSetup::stitcherSearch(view, CrossScenes::searchArea(c.row - 170, c.column - 160, c.row + 150, c.column + 180)), r);
        const qint64 ms = timer.elapsed();
        double x = 0, y = 0;
        ModelMatching::TransformPoint(CrossScenes::kTemplateColumn, CrossScenes::kTemplateRow, r.Transform, x, y);
        Halcon::Hobject merged;
        ModelMatching::MergeContours(r.ModelContour, 100.0, 12.5, 12.5, merged);
        double cx = 0, cy = 0;
        const bool centre = ModelMatching::ContourCenter(merged, cx, cy);
        Halcon::Hlong n = 0, m = 0;
        Halcon::count_obj(r.ModelContour, &n);
        Halcon::count_obj(merged, &m);
        qDebug() << err << r.Found << r.Score << "ms" << ms << "pos err" << x - c.column << y - c.row << "angle" << r.Transform.Angle - c.angle
                 << "scale" << r.Transform.Scale - c.scale << "contours" << n << m << centre << cx - c.column << cy - c.row;
    }
}

QTEST_MAIN(tst_ModelMatchingEndToEnd)
#include "tst_ModelMatchingEndToEnd.moc"
