// The plate-scene generator: the scenes other tests measure against keep their pixels from
// one version to the next, and the dense Petri dish holds what it promises.

#include "HalconImageOps.h"
#include "PlateScenes.h"

#include <QtTest>

#include <cmath>
#include <cstdint>

namespace {

// FNV-1a over the red, green and blue planes.
std::uint64_t pixelChecksum(const Halcon::Hobject& image)
{
    Halcon::Hlong red = 0, green = 0, blue = 0, width = 0, height = 0;
    char type[32] = {};
    if (Halcon::get_image_pointer3(image, &red, &green, &blue, type, &width, &height) != Halcon::kSuccess)
        return 0;
    std::uint64_t hash = 1469598103934665603ull;
    for (const Halcon::Hlong plane : {red, green, blue}) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(plane);
        for (Halcon::Hlong i = 0; i < width * height; ++i)
            hash = (hash ^ bytes[i]) * 1099511628211ull;
    }
    return hash;
}

int greyAt(const Halcon::Hobject& image, double row, double column)
{
    Halcon::Hlong red = 0, green = 0, blue = 0, width = 0, height = 0;
    char type[32] = {};
    Halcon::get_image_pointer3(image, &red, &green, &blue, type, &width, &height);
    const Halcon::Hlong i = Halcon::Hlong(std::lround(row)) * width + Halcon::Hlong(std::lround(column));
    const auto byte = [i](Halcon::Hlong plane) { return int(reinterpret_cast<const unsigned char*>(plane)[i]); };
    return (byte(red) + byte(green) + byte(blue)) / 3;
}

} // namespace

class tst_PlateScenes : public QObject
{
    Q_OBJECT

private slots:
    void earlierScenesKeepTheirPixels_data();
    void earlierScenesKeepTheirPixels();
    void denseDish();
};

void tst_PlateScenes::earlierScenesKeepTheirPixels_data()
{
    QTest::addColumn<int>("labware");
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("dishColonies");
    QTest::addColumn<int>("colonies");
    QTest::addColumn<quint64>("checksum");
    // Figures of the generator as the tests and benchmarks first used it.
    QTest::newRow("96 wells") << int(PlateScenes::Labware::Wells96) << 1u << 2592 << 1944 << 200 << 794
                              << quint64(0x97823bd296359d25ull);
    QTest::newRow("Petri dish") << int(PlateScenes::Labware::PetriDish) << 1u << 2592 << 1944 << 200 << 200
                                << quint64(0x3ea7201f7e850239ull);
    QTest::newRow("small Petri dish") << int(PlateScenes::Labware::PetriDish) << 3u << 1000 << 750 << 30 << 30
                                      << quint64(0xce2927f48e467851ull);
    QTest::newRow("96 wells, half size") << int(PlateScenes::Labware::Wells96) << 17u << 1296 << 972 << 200 << 775
                                         << quint64(0xbe9dd12c4e4c908aull);
}

void tst_PlateScenes::earlierScenesKeepTheirPixels()
{
    QFETCH(int, labware);
    QFETCH(unsigned, seed);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, dishColonies);
    QFETCH(int, colonies);
    QFETCH(quint64, checksum);
    PlateScenes::Options options;
    options.labware = PlateScenes::Labware(labware);
    options.seed = seed;
    options.width = width;
    options.height = height;
    options.dishColonies = dishColonies;
    const PlateScenes::Scene scene = PlateScenes::generate(options);
    QCOMPARE(int(scene.colonies.size()), colonies);
    QVERIFY(scene.dust.empty());
    QCOMPARE(quint64(pixelChecksum(scene.image)), checksum);

    // The dense switch means nothing for the 96-well plate.
    if (options.labware == PlateScenes::Labware::Wells96) {
        options.dense = true;
        QCOMPARE(quint64(pixelChecksum(PlateScenes::generate(options).image)), checksum);
    }
}

void tst_PlateScenes::denseDish()
{
    PlateScenes::Options options;
    options.labware = PlateScenes::Labware::PetriDish;
    options.dense = true;
    options.seed = 5;
    const PlateScenes::Scene scene = PlateScenes::generate(options);
    QCOMPARE(int(scene.colonies.size()), options.denseColonies);
    QCOMPARE(int(scene.dust.size()), options.dustSpecks);

    const PlateScenes::Container& dish = scene.containers.front();
    int touching = 0;
    for (const PlateScenes::Colony& colony : scene.colonies) {
        const double diameter = 2.0 * colony.radius / scene.resolution;
        QVERIFY2(diameter >= 0.3 && diameter <= 3.0, qPrintable(QString::number(diameter)));
        touching += colony.touching ? 1 : 0;
    }
    QVERIFY(touching >= 10);
    QVERIFY(touching < int(scene.colonies.size()) / 4);

    // Dust lies on the agar, 1 to 4 pixels across, and darkens it.
    int darker = 0;
    for (const PlateScenes::Speck& speck : scene.dust) {
        QVERIFY(speck.radius >= 0.5 && speck.radius <= 2.0);
        QVERIFY(std::hypot(speck.row - dish.row, speck.column - dish.column) < dish.radius * 1.03);
        const int around = greyAt(scene.image, speck.row, speck.column + 6.0);
        darker += greyAt(scene.image, speck.row, speck.column) < around - 40 ? 1 : 0;
    }
    QVERIFY2(darker > int(scene.dust.size()) * 8 / 10, qPrintable(QString::number(darker)));
}

QTEST_GUILESS_MAIN(tst_PlateScenes)
#include "tst_PlateScenes.moc"
