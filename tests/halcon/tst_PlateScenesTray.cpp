// The generated tray: six overlapping views of one agar plane with its crosses.
#include "Halcon.h"
#include "PlateScenes.h"

#include <QTest>

#include <HalconTestPictures.h>

#include <cmath>

using namespace Halcon;

class tst_PlateScenesTray : public QObject
{
    Q_OBJECT
private slots:
    void trayViewsShowTheFrameAndTheirCrosses_data();
    void trayViewsShowTheFrameAndTheirCrosses();
};

void tst_PlateScenesTray::trayViewsShowTheFrameAndTheirCrosses_data()
{
    QTest::addColumn<int>("missingView");
    QTest::newRow("all crosses") << -1;
    QTest::newRow("view 4 without its first cross") << 4;
}

// Each view is the agar plane of the frame at its own offset, with noise of its own, plus the
// crosses and marks of the other planes where the truth puts them.
void tst_PlateScenesTray::trayViewsShowTheFrameAndTheirCrosses()
{
    QFETCH(int, missingView);
    PlateScenes::TrayOptions options;
    options.viewWidth = 648;
    options.viewHeight = 486;
    options.colonies = 120;
    options.missingCrossView = missingView;
    options.missingCrossPoint = 0;
    const PlateScenes::TrayScene scene = PlateScenes::generateTray(options);
    QCOMPARE(scene.crosses.size(), size_t(6));

    for (int n = 0; n < 6; ++n) {
        const PlateScenes::TrayView& view = scene.views[size_t(n)];
        const Hobject frame = PlateScenes::renderTrayWindow(scene, view.row, view.column, 648, 486);
        // Away from crosses and marks the view differs from the frame by its noise only.
        const auto nearOtherPlane = [&](int row, int column) {
            for (int k = 0; k < 2; ++k) {
                if (std::hypot(row - view.crossRow[size_t(k)], column - view.crossColumn[size_t(k)])
                    < scene.crossHalfLength + 4.0)
                    return true;
            }
            for (int k = 0; k < 4; ++k) {
                const double centreRow = 243.0 + (scene.markRows[size_t(k)] - view.row - 243.0) / scene.markFactor;
                const double centreColumn = 324.0 + (scene.markColumns[size_t(k)] - view.column - 324.0) / scene.markFactor;
                if (std::hypot(row - centreRow, column - centreColumn) < scene.markRadius + 4.0)
                    return true;
            }
            return false;
        };
        double sum = 0.0;
        int count = 0;
        for (int row = 0; row < 486; row += 3) {
            for (int column = 0; column < 648; column += 3) {
                if (nearOtherPlane(row, column))
                    continue;
                sum += std::abs(HalconTestPictures::pixel(view.image, row, column, 1)
                                - HalconTestPictures::pixel(frame, row, column, 1));
                ++count;
            }
        }
        QVERIFY2(sum / count < 2.5, qPrintable(QStringLiteral("view %1: %2").arg(n).arg(sum / count)));
        QVERIFY(HalconTestPictures::meanPixelDifference(view.image, scene.views[size_t((n + 1) % 6)].image) > 0.0);

        for (int k = 0; k < 2; ++k) {
            const int centre = HalconTestPictures::pixel(view.image, int(std::lround(view.crossRow[size_t(k)])),
                                                         int(std::lround(view.crossColumn[size_t(k)])), 1);
            const bool missing = n == missingView && k == 0;
            QVERIFY2(missing ? centre > 150 : centre < 80, qPrintable(QStringLiteral("view %1, cross %2: %3")
                                                                          .arg(n).arg(k).arg(centre)));
        }
    }
}

QTEST_GUILESS_MAIN(tst_PlateScenesTray)
#include "tst_PlateScenesTray.moc"
