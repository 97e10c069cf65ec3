#include <HalconTestPictures.h>
#include <Halcon_Helper.h>
#include <PictureStitching.h>

#include <Halcon.h>

#include <QtTest>
#include <ThreadChecker.h>

using Halcon::Hobject;

namespace {

Hobject constantPicture(int width, int height, int value)
{
    return HalconTestPictures::grayImage(width, height, [value](int, int) { return value; });
}

// Twelve found crosses from (row, column) agar positions, two per picture: A(n), B(n).
QList<PictureCross> crossesAt(const QList<QPointF>& rowColumn)
{
    QList<PictureCross> crosses;
    for (int i = 0; i < rowColumn.size(); ++i) {
        PictureCross cross;
        cross.pictureIndex = i / 2;
        cross.pointIndex = i % 2;
        cross.found = true;
        cross.rowCenterOnAgar = rowColumn[i].x();
        cross.colCenterOnAgar = rowColumn[i].y();
        crosses << cross;
    }
    return crosses;
}

// Pictures of 2449 x 2049 pixels. The left column chains 1500 and 1500 rows down, the right
// column starts 1700 columns right; at the cross of pictures 3 and 6 the right chain lies 10
// rows lower than the left one.
QList<PictureCross> cameraLayout()
{
    return crossesAt({{100, 2000}, {1800, 400},   // A(0) shared with 4, B(0) with 2
                      {300, 410},  {1850, 420},   // picture 2
                      {350, 415},  {1900, 2100},  // picture 3, B(2) shared with 6
                      {110, 300},  {1800, 2200},  // picture 4
                      {320, 2190}, {1820, 2180},  // picture 5
                      {330, 2185}, {1950, 390}}); // picture 6
}

QList<Hobject> cameraPictures()
{
    static const Hobject picture = constantPicture(2449, 2049, 100);
    return QList<Hobject>(6, picture);
}

} // namespace

class tst_PictureStitching : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void canStitch_data();
    void canStitch();
    void offsetsChainThroughSharedCrosses();
    void cropsMeetAtTheSharedCrosses();
    void closureSpreadsTheMismatchOverTheRightColumn();
    void stitchedSizeReachesEveryTile();
    void tilesPlaceEachPart();
};

void tst_PictureStitching::canStitch_data()
{
    QTest::addColumn<int>("pictures");
    QTest::addColumn<int>("crosses");
    QTest::addColumn<int>("notFound");
    QTest::addColumn<bool>("expected");
    QTest::newRow("six pictures, twelve crosses found") << 6 << 12 << -1 << true;
    QTest::newRow("one cross not found") << 6 << 12 << 7 << false;
    QTest::newRow("five pictures") << 5 << 12 << -1 << false;
    QTest::newRow("seven pictures") << 7 << 12 << -1 << false;
    QTest::newRow("eleven crosses") << 6 << 11 << -1 << false;
}

void tst_PictureStitching::canStitch()
{
    QFETCH(int, pictures);
    QFETCH(int, crosses);
    QFETCH(int, notFound);
    QFETCH(bool, expected);
    QList<PictureCross> list = cameraLayout().mid(0, crosses);
    if (notFound >= 0)
        list[notFound].found = false;
    const QList<Hobject> pictureList(pictures, constantPicture(8, 8, 1));
    QCOMPARE(PictureStitching::canStitch(pictureList, list), expected);
    QList<ImageStitcherTile> tiles{ImageStitcherTile()};
    QCOMPARE(PictureStitching::layoutTiles(pictureList, list, tiles), expected);
    QCOMPARE(tiles.size(), expected ? 6 : 0);
}

void tst_PictureStitching::offsetsChainThroughSharedCrosses()
{
    QList<ImageStitcherTile> tiles;
    QVERIFY(PictureStitching::layoutTiles(cameraPictures(), cameraLayout(), tiles));
    // Picture 2 below picture 1: B(0) at (1800, 400), A(1) at (300, 410).
    QCOMPARE(tiles[1].rowOffset, 1500.0);
    QCOMPARE(tiles[1].colOffset, -10.0);
    QCOMPARE(tiles[2].rowOffset, 3000.0);
    QCOMPARE(tiles[2].colOffset, -5.0);
    QCOMPARE(tiles[3].rowOffset, -10.0);
    QCOMPARE(tiles[3].colOffset, 1700.0);
    QCOMPARE(tiles[4].colOffset, 1710.0);
    QCOMPARE(tiles[5].colOffset, 1705.0);
    // Integer halves: the optical axis of a 2449 x 2049 picture.
    for (const ImageStitcherTile& tile : tiles) {
        QCOMPARE(tile.halfHeight, 1024.0);
        QCOMPARE(tile.halfWidth, 1224.0);
    }
    QCOMPARE(tiles[0].rowOffset, 0.0);
    QCOMPARE(tiles[0].colOffset, 0.0);
}

void tst_PictureStitching::cropsMeetAtTheSharedCrosses()
{
    QList<ImageStitcherTile> tiles;
    QVERIFY(PictureStitching::layoutTiles(cameraPictures(), cameraLayout(), tiles));
    // Picture 1 ends where picture 2 begins: at the cross they share.
    QCOMPARE(tiles[0].row2, 1800.0);
    QCOMPARE(tiles[1].row1, 300.0);
    QCOMPARE(tiles[1].row2, 1850.0);
    QCOMPARE(tiles[2].row1, 350.0);
    QCOMPARE(tiles[2].row2, 2049.0);
    // The left column ends and the right one starts at the column of the top cross.
    QCOMPARE(tiles[0].col2, 2000.0);
    QCOMPARE(tiles[1].col2 + tiles[1].colOffset, 2000.0);
    QCOMPARE(tiles[2].col2 + tiles[2].colOffset, 2000.0);
    QCOMPARE(tiles[3].col1, 300.0);
    QCOMPARE(tiles[4].col1 + tiles[4].colOffset, 2000.0);
    QCOMPARE(tiles[5].col1 + tiles[5].colOffset, 2000.0);
    QCOMPARE(tiles[3].col2, 2449.0);
    QCOMPARE(tiles[0].row1, 0.0);
    QCOMPARE(tiles[0].col1, 0.0);
}

// The right chain reaches the cross of pictures 3 and 6 ten rows lower than the left one:
// picture 5 moves up by 5 rows, picture 6 by 10, and the seams below 4 and 5 by 5 each.
void tst_PictureStitching::closureSpreadsTheMismatchOverTheRightColumn()
{
    QList<ImageStitcherTile> tiles;
    QVERIFY(PictureStitching::layoutTiles(cameraPictures(), cameraLayout(), tiles));
    QCOMPARE(tiles[4].rowOffset, -10.0 + 1800.0 - 320.0 - 5.0);
    QCOMPARE(tiles[5].rowOffset, tiles[4].rowOffset + 5.0 + 1820.0 - 330.0 - 10.0);
    QCOMPARE(tiles[3].row2, 1800.0 - 5.0);
    QCOMPARE(tiles[4].row2, 1820.0 - 5.0);
    // Both chains now put the shared cross on one stitched row.
    QCOMPARE(1950.0 + tiles[5].rowOffset, 1900.0 + tiles[2].rowOffset);
    // Each right seam still runs through its cross: picture 4's part ends where 5's begins.
    QCOMPARE(tiles[3].row2 + tiles[3].rowOffset, tiles[4].row1 + tiles[4].rowOffset);
    QCOMPARE(tiles[4].row2 + tiles[4].rowOffset, tiles[5].row1 + tiles[5].rowOffset);
}

// The stitched picture reaches the last pixel of every tile, not only of the sixth.
void tst_PictureStitching::stitchedSizeReachesEveryTile()
{
    QList<ImageStitcherTile> tiles;
    QVERIFY(PictureStitching::layoutTiles(cameraPictures(), cameraLayout(), tiles));
    int width = 0, height = 0;
    PictureStitching::stitchedSize(tiles, width, height);
    QCOMPARE(height, 3000 + 2048 + 1); // picture 3 reaches lower than picture 6
    QCOMPARE(width, 1710 + 2448 + 1);  // picture 5 reaches further right than picture 6
}

void tst_PictureStitching::tilesPlaceEachPart()
{
    // 40 x 30 pictures of grey 10, 20, ... 60; the left column 20 rows apart, picture 3 one
    // column right; the right column 30 columns right.
    QList<Hobject> pictures;
    for (int n = 0; n < 6; ++n)
        pictures << constantPicture(40, 30, 10 * (n + 1));
    const QList<PictureCross> crosses = crossesAt({{5, 35}, {25, 5}, {5, 5}, {25, 5}, {5, 4}, {25, 35},
                                                   {5, 5}, {25, 35}, {5, 35}, {25, 35}, {5, 35}, {25, 6}});
    QList<ImageStitcherTile> tiles;
    QVERIFY(PictureStitching::layoutTiles(pictures, crosses, tiles));
    Hobject stitched;
    QCOMPARE(PictureStitching::tilePictures(tiles, stitched), Halcon::kSuccess);
    int width = 0, height = 0;
    QCOMPARE(Halcon_Helper::GetImageSize(stitched, width, height), Errors::Type_Error(0));
    QCOMPARE(width, 70);
    QCOMPARE(height, 70);
    const auto at = [&](int row, int column) { return HalconTestPictures::pixel(stitched, row, column); };
    QCOMPARE(at(10, 10), 10);
    QCOMPARE(at(30, 10), 20);
    QCOMPARE(at(60, 10), 30);
    QCOMPARE(at(10, 50), 40);
    QCOMPARE(at(30, 50), 50);
    QCOMPARE(at(60, 50), 60);
    QCOMPARE(at(25, 10), 20);  // the seam row: the lower picture is laid last
    QCOMPARE(at(10, 35), 40);  // the seam column: the right picture is laid last
    QCOMPARE(at(50, 0), 0);    // picture 3 starts one column right: nothing there
    QCOMPARE(at(69, 69), 60);
}

void tst_PictureStitching::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

QTEST_GUILESS_MAIN(tst_PictureStitching)
#include "tst_PictureStitching.moc"
