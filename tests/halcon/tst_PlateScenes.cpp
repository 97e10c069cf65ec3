#include "Halcon.h"
#include "PlateScenes.h"

#include <QTest>

#include <HalconTestPictures.h>

#include <cmath>
#include <cstdint>

using namespace Halcon;

namespace {

// FNV-1a over every channel's pixels, rows in order.
quint64 pixelHash(const Hobject &image)
{
    Hlong red = 0, green = 0, blue = 0, width = 0, height = 0;
    char type[16] = {};
    if (get_image_pointer3(image, &red, &green, &blue, type, &width, &height) != kSuccess)
        return 0;
    quint64 hash = 1469598103934665603ull;
    for (Hlong plane : {red, green, blue}) {
        const auto *p = reinterpret_cast<const unsigned char *>(static_cast<std::intptr_t>(plane));
        for (Hlong i = 0; i < width * height; ++i) {
            hash ^= p[i];
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

} // namespace

class tst_PlateScenes : public QObject
{
    Q_OBJECT
private slots:
    void platePixelsStayPinned_data();
    void platePixelsStayPinned();
    void trayViewsShowTheFrameAndTheirCrosses_data();
    void trayViewsShowTheFrameAndTheirCrosses();
};

// Tests and benchmarks of the colony analysis were tuned on these pictures: a change of
// the generator must leave them as they are.
void tst_PlateScenes::platePixelsStayPinned_data()
{
    QTest::addColumn<int>("labware");
    QTest::addColumn<uint>("seed");
    QTest::addColumn<int>("width");
    QTest::addColumn<quint64>("hash");
    QTest::newRow("96 wells") << int(PlateScenes::Labware::Wells96) << 3u << 648 << quint64(11754482718298339627ull);
    QTest::newRow("Petri dish") << int(PlateScenes::Labware::PetriDish) << 5u << 648 << quint64(7219452036919912819ull);
    QTest::newRow("96 wells, full size") << int(PlateScenes::Labware::Wells96) << 1u << 2592 << quint64(10917354222348770597ull);
}

void tst_PlateScenes::platePixelsStayPinned()
{
    QFETCH(int, labware);
    QFETCH(uint, seed);
    QFETCH(int, width);
    QFETCH(quint64, hash);
    PlateScenes::Options options;
    options.labware = PlateScenes::Labware(labware);
    options.seed = seed;
    options.width = width;
    options.height = width * 3 / 4;
    const PlateScenes::Scene scene = PlateScenes::generate(options);
    QCOMPARE(pixelHash(scene.image), hash);
}

void tst_PlateScenes::trayViewsShowTheFrameAndTheirCrosses_data()
{
    QTest::addColumn<int>("missingView");
    QTest::newRow("all crosses") << -1;
    QTest::newRow("view 4 without its first cross") << 4;
}

// Each view is the agar plane of the frame at its own offset, with noise of its own, plus the
// crosses and marks of the other planes where the truth puts them.
void tst_PlateScenes::trayViewsShowTheFrameAndTheirCrosses()
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

QTEST_GUILESS_MAIN(tst_PlateScenes)
#include "tst_PlateScenes.moc"
