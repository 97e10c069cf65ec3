#include "Halcon.h"
#include "PlateScenes.h"

#include <QTest>

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

QTEST_GUILESS_MAIN(tst_PlateScenes)
#include "tst_PlateScenes.moc"
