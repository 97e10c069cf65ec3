// distance_cc_min leaves out pairs of points and sides by their boxes; whatever it leaves
// out, its result must be the smallest distance of all pairs. Compared here with the
// distance by its definition on random, neighbouring, crossing, nested and touching
// contours, in all three modes.

#include "HalconErrors.h"
#include "HalconXldAnalysis.h"

#include <ContourPairs.h>

#include <QtTest>

#include <cmath>
#include <functional>
#include <random>

using namespace ContourPairs;

namespace {

using PairMaker = std::function<std::pair<Points, Points>(std::mt19937&)>;

double uniform(std::mt19937& random, double low, double high)
{
    return std::uniform_real_distribution<double>(low, high)(random);
}

int between(std::mt19937& random, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(random);
}

// Two blobs whose centres lie `low` to `high` times the sum of their radii apart.
PairMaker blobsAt(double low, double high)
{
    return [=](std::mt19937& random) {
        const double r1 = uniform(random, 2.0, 40.0), r2 = uniform(random, 2.0, 40.0);
        const double d = (r1 + r2) * uniform(random, low, high), phi = uniform(random, 0.0, 6.3);
        const Points a = blob(random(), 500.0, 500.0, r1, 0.2, between(random, 6, 300));
        const Points b = blob(random(), 500.0 + d * std::sin(phi), 500.0 + d * std::cos(phi), r2, 0.2,
                              between(random, 6, 300));
        return std::make_pair(a, b);
    };
}

// Random walks on whole pixels: sides that overlap along a line, touch at a point or run
// in parallel one pixel apart are common.
Points gridWalk(std::mt19937& random, int steps)
{
    Points points{{double(between(random, 0, 12)), double(between(random, 0, 12))}};
    for (int i = 0; i < steps; ++i)
        points.push_back({points.back().row + between(random, -1, 1), points.back().col + between(random, -1, 1)});
    return points;
}

} // namespace

class tst_ContourDistance : public QObject
{
    Q_OBJECT

private slots:
    void equalsDefinition_data();
    void equalsDefinition();
};

void tst_ContourDistance::equalsDefinition_data()
{
    QTest::addColumn<PairMaker>("make");
    QTest::newRow("distant blobs") << blobsAt(3.0, 12.0);
    QTest::newRow("neighbouring blobs") << blobsAt(1.01, 1.4);
    QTest::newRow("crossing blobs") << blobsAt(0.3, 1.0);
    QTest::newRow("blob inside an outline") << PairMaker([](std::mt19937& random) {
        const Points outline = blob(random(), 500.0, 500.0, 150.0, 0.02, between(random, 4, 900));
        const double d = uniform(random, 0.0, 140.0), phi = uniform(random, 0.0, 6.3);
        return std::make_pair(outline, blob(random(), 500.0 + d * std::sin(phi), 500.0 + d * std::cos(phi),
                                            uniform(random, 1.0, 20.0), 0.3, between(random, 3, 200)));
    });
    QTest::newRow("long random walks") << PairMaker([](std::mt19937& random) {
        return std::make_pair(walk(random(), 300.0, 300.0, 3.0, between(random, 100, 1500)),
                              walk(random(), uniform(random, 250.0, 350.0), uniform(random, 250.0, 350.0), 3.0,
                                   between(random, 100, 1500)));
    });
    QTest::newRow("specks and blobs") << PairMaker([](std::mt19937& random) {
        Points speck{{uniform(random, 0.0, 100.0), uniform(random, 0.0, 100.0)}};
        for (int i = between(random, 0, 3); i > 0; --i)
            speck.push_back({speck.back().row + uniform(random, -2.0, 2.0), speck.back().col + uniform(random, -2.0, 2.0)});
        return std::make_pair(speck, blob(random(), 50.0, 50.0, uniform(random, 1.0, 30.0), 0.2, between(random, 3, 120)));
    });
    QTest::newRow("single points") << PairMaker([](std::mt19937& random) {
        return std::make_pair(Points{{uniform(random, 0.0, 9.0), uniform(random, 0.0, 9.0)}},
                              Points{{uniform(random, 0.0, 9.0), uniform(random, 0.0, 9.0)}});
    });
    QTest::newRow("touching at a vertex") << PairMaker([](std::mt19937& random) {
        const Points a = blob(random(), 200.0, 200.0, uniform(random, 5.0, 40.0), 0.1, between(random, 8, 200));
        Points b = blob(random(), 200.0, 260.0, uniform(random, 5.0, 40.0), 0.1, between(random, 8, 200));
        // Shifted so that one vertex of b lies exactly on one of a.
        const Point& target = a[size_t(between(random, 0, int(a.size()) - 1))];
        const size_t k = size_t(between(random, 0, int(b.size()) - 2));
        const double dr = target.row - b[k].row, dc = target.col - b[k].col;
        for (Point& p : b)
            p = {p.row + dr, p.col + dc};
        b[k] = target;
        if (k == 0)
            b.back() = target;
        return std::make_pair(a, b);
    });
    QTest::newRow("walks on whole pixels") << PairMaker([](std::mt19937& random) {
        return std::make_pair(gridWalk(random, between(random, 1, 60)), gridWalk(random, between(random, 1, 60)));
    });
}

void tst_ContourDistance::equalsDefinition()
{
    QFETCH(PairMaker, make);
    std::mt19937 random(QTest::currentDataTag()[0] * 7919u + 1u);
    for (int n = 0; n < 150; ++n) {
        const auto [a, b] = make(random);
        const Halcon::Hobject first = contour(a), second = contour(b);
        for (const char* mode : {"point_to_point", "point_to_segment", "fast_point_to_segment"}) {
            const double expected = distanceByDefinition(a, b, std::string(mode) == "point_to_point");
            for (const bool swapped : {false, true}) {
                Halcon::HTuple d;
                QCOMPARE(Halcon::distance_cc_min(swapped ? second : first, swapped ? first : second, mode, &d),
                         Halcon::kSuccess);
                QCOMPARE(d.Length(), Halcon::Hlong(1));
                QVERIFY2(std::abs(d.D() - expected) <= 1e-9,
                         qPrintable(QStringLiteral("pair %1, %2: %3 instead of %4 (%5 and %6 points)")
                                        .arg(n)
                                        .arg(mode)
                                        .arg(d.D(), 0, 'g', 17)
                                        .arg(expected, 0, 'g', 17)
                                        .arg(a.size())
                                        .arg(b.size())));
            }
        }
    }
}

QTEST_GUILESS_MAIN(tst_ContourDistance)
#include "tst_ContourDistance.moc"
