#include "HalconErrors.h"
#include "HalconImageOps.h"
#include "HalconSystemOps.h"
#include "PlaneCache_p.h"

#include <QtTest>

#include <cstdint>
#include <vector>

using namespace Halcon;

namespace {

std::intptr_t pixelsOf(const Hobject &image)
{
    Hlong pointer = 0, width = 0, height = 0;
    char type[16] = {};
    return get_image_pointer1(image, &pointer, type, &width, &height) == kSuccess ? std::intptr_t(pointer) : 0;
}

} // namespace

class tst_PlaneCache : public QObject
{
    Q_OBJECT
private slots:
    void resultPixelsAreReused();
    void cacheOffFreesAndStaysEmpty();
    void smallPlanesBypassTheCache();
};

void tst_PlaneCache::resultPixelsAreReused()
{
    QCOMPARE(set_system("temporary_mem_cache", "true"), kSuccess);
    Hobject rgb;
    QCOMPARE(gen_image_const(&rgb, "byte", 640, 480), kSuccess);
    Hobject first, second;
    QCOMPARE(compose3(rgb, rgb, rgb, &rgb), kSuccess);
    QCOMPARE(rgb1_to_gray(rgb, &first), kSuccess);
    QCOMPARE(rgb1_to_gray(rgb, &second), kSuccess);
    // Two live results never share pixels.
    QVERIFY(pixelsOf(first) != 0 && pixelsOf(first) != pixelsOf(second));
    const std::intptr_t freed = pixelsOf(first);
    const std::size_t before = Detail::planeCacheBytes();
    first = Hobject();
    QCOMPARE(Detail::planeCacheBytes(), before + 640 * 480);
    // The next result of that size takes the freed pixels, and they are written anew.
    Hobject third;
    QCOMPARE(gen_image_proto(rgb, &rgb, 90), kSuccess);
    QCOMPARE(rgb1_to_gray(rgb, &third), kSuccess);
    QCOMPARE(pixelsOf(third), freed);
    QCOMPARE(Detail::planeCacheBytes(), before);
    const auto *p = reinterpret_cast<const std::uint8_t *>(pixelsOf(third));
    QCOMPARE(std::vector<std::uint8_t>(p, p + 640 * 480), std::vector<std::uint8_t>(640 * 480, 90));
}

void tst_PlaneCache::cacheOffFreesAndStaysEmpty()
{
    QCOMPARE(set_system("temporary_mem_cache", "true"), kSuccess);
    Hobject rgb, gray;
    QCOMPARE(gen_image_const(&rgb, "byte", 800, 600), kSuccess);
    QCOMPARE(compose3(rgb, rgb, rgb, &rgb), kSuccess);
    QCOMPARE(rgb1_to_gray(rgb, &gray), kSuccess);
    gray = Hobject();
    QVERIFY(Detail::planeCacheBytes() >= 800 * 600);
    // Switching the cache off gives its memory back at once (what the helpers rely on to
    // free memory: "false" then "true").
    QCOMPARE(set_system("temporary_mem_cache", "false"), kSuccess);
    QCOMPARE(Detail::planeCacheBytes(), std::size_t(0));
    QCOMPARE(rgb1_to_gray(rgb, &gray), kSuccess);
    gray = Hobject();
    QCOMPARE(Detail::planeCacheBytes(), std::size_t(0));
    QCOMPARE(set_system("temporary_mem_cache", "true"), kSuccess);
    QCOMPARE(rgb1_to_gray(rgb, &gray), kSuccess);
    gray = Hobject();
    QCOMPARE(Detail::planeCacheBytes(), std::size_t(800 * 600));
}

void tst_PlaneCache::smallPlanesBypassTheCache()
{
    QCOMPARE(set_system("temporary_mem_cache", "true"), kSuccess);
    Detail::releasePlaneCache();
    Hobject rgb, gray;
    QCOMPARE(gen_image_const(&rgb, "byte", 64, 48), kSuccess);
    QCOMPARE(compose3(rgb, rgb, rgb, &rgb), kSuccess);
    QCOMPARE(rgb1_to_gray(rgb, &gray), kSuccess);
    gray = Hobject();
    QCOMPARE(Detail::planeCacheBytes(), std::size_t(0));
}

QTEST_GUILESS_MAIN(tst_PlaneCache)
#include "tst_PlaneCache.moc"
