#include "HalconDisplay.h"
#include "HalconErrors.h"
#include "HalconImageOps.h"
#include "HalconObjectOps.h"
#include "HalconRegionOps.h"
#include "HalconXldOps.h"

#include "HalconTestPictures.h"

#include <QColor>
#include <QImage>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>
#include <vector>

using namespace Halcon;

namespace {

// An open window that closes itself, so a failing check leaves no window behind.
class Window
{
public:
    Window(int width, int height, const char *mode = "buffer")
    {
        m_error = open_window(0, 0, width, height, 0, mode, "", &m_handle);
    }
    ~Window()
    {
        if (m_error == kSuccess)
            close_window(m_handle);
    }
    Window(const Window &) = delete;
    Window &operator=(const Window &) = delete;

    bool isOpen() const { return m_error == kSuccess; }
    Hlong handle() const { return m_handle; }

    QImage canvas() const
    {
        QImage image;
        windowCanvas(m_handle, &image);
        return image;
    }
    QColor pixel(int x, int y) const { return QColor::fromRgba(canvas().pixel(x, y)); }

private:
    Hlong m_handle = -1;
    Herror m_error = kErrInternal;
};

bool sameColor(const QColor &a, const QColor &b, int tolerance = 0)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

// Whether any window pixel within `radius` of (x, y) has the colour: a one-pixel line may
// land on either side of an exact pixel edge, so line checks look in a small square.
bool colorNear(const QImage &image, int x, int y, const QColor &color, int radius = 1)
{
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p(x + dx, y + dy);
            if (image.rect().contains(p) && sameColor(QColor::fromRgba(image.pixel(p)), color))
                return true;
        }
    }
    return false;
}

// Text is smoothed at its edges, so text checks count pixels brighter than half.
int countBright(const QImage &image, const QRect &area)
{
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            count += qGray(image.pixel(x, y)) > 128 ? 1 : 0;
    return count;
}

int countColor(const QImage &image, const QRect &area, const QColor &color)
{
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            count += sameColor(QColor::fromRgba(image.pixel(x, y)), color) ? 1 : 0;
    return count;
}

// Whether a 4-connected walk over pixels not of `wall` leads from `from` to `to`.
bool reachable(const QImage &image, const QPoint &from, const QPoint &to, const QColor &wall)
{
    std::vector<char> seen(size_t(image.width()) * image.height(), 0);
    std::vector<QPoint> stack{from};
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        if (!image.rect().contains(p))
            continue;
        char &mark = seen[size_t(p.y()) * image.width() + p.x()];
        if (mark || sameColor(QColor::fromRgba(image.pixel(p)), wall))
            continue;
        if (p == to)
            return true;
        mark = 1;
        stack.insert(stack.end(), {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)});
    }
    return false;
}

// Window pixel showing the centre of picture pixel (row, column) through a part.
QPoint windowPixel(double row, double column, const QRectF &part, const QSize &window)
{
    const double scaleX = window.width() / (part.width() + 1.0);
    const double scaleY = window.height() / (part.height() + 1.0);
    return QPoint(int(std::floor((column - part.left() + 0.5) * scaleX)),
                  int(std::floor((row - part.top() + 0.5) * scaleY)));
}

Herror setPart(const Window &w, const QRectF &part)
{
    return set_part(w.handle(), part.top(), part.left(), part.bottom(), part.right());
}

const QColor kGrey(128, 128, 128);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

using Call = std::function<Herror(Hlong window)>;

} // namespace

Q_DECLARE_METATYPE(Call)

class tst_HalconDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void regionThroughPart_data();
    void regionThroughPart();
    void fillAndMargin_data();
    void fillAndMargin();
    void marginIsClosed_data();
    void marginIsClosed();
    void imageCacheFollowsPartAndPicture();
    void colourImageAndDomain();
    void realImageIsSpread();
    void contoursAndLines();
    void contourOutsidePartDrawsNothing();
    void text();
    void defaultFamilyTakesTheSize();
    void failures_data();
    void failures();
    void failureChangesNothing();
    void settingsReadBack();
    void windowsAndHandles();
    void copyRectangle();
    void dumpWindowImage();
    void canvasCopyIsStable();
    void windowAttributes();
    void concurrentDrawing();
};

void tst_HalconDisplay::initTestCase()
{
    QCOMPARE(set_window_attr("background_color", "black"), kSuccess);
}

// A red margin rectangle on a grey picture appears where the part puts it.
void tst_HalconDisplay::regionThroughPart_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QRectF>("part"); // left = column1, top = row1, width = column2 - column1
    QTest::newRow("1:1") << QSize(100, 80) << QRectF(0, 0, 99, 79);
    QTest::newRow("zoomed in 2x") << QSize(200, 160) << QRectF(0, 0, 99, 79);
    QTest::newRow("corner at 2x") << QSize(100, 100) << QRectF(20, 10, 49, 49);
    QTest::newRow("zoomed out 2x") << QSize(100, 80) << QRectF(0, 0, 199, 159);
    QTest::newRow("viewer style part") << QSize(100, 80) << QRectF(0, 0, 100, 80);
}

void tst_HalconDisplay::regionThroughPart()
{
    QFETCH(QSize, window);
    QFETCH(QRectF, part);
    const Hobject picture = HalconTestPictures::grayImage(100, 80, [](int, int) { return 128; });
    const Hobject rectangle = HalconTestPictures::rectangleRegion(20, 30, 49, 69);

    Window w(window.width(), window.height());
    QVERIFY(w.isOpen());
    QCOMPARE(setPart(w, part), kSuccess);
    QCOMPARE(disp_obj(picture, w.handle()), kSuccess);
    QCOMPARE(set_color(w.handle(), "red"), kSuccess);
    QCOMPARE(set_draw(w.handle(), "margin"), kSuccess);
    QCOMPARE(disp_obj(rectangle, w.handle()), kSuccess);

    const QImage canvas = w.canvas();
    QCOMPARE(canvas.size(), window);
    // On all four sides of the outline.
    for (const QPoint &border : {QPoint(30, 35), QPoint(69, 35), QPoint(50, 20), QPoint(50, 49)}) {
        const QPoint p = windowPixel(border.y(), border.x(), part, window);
        QVERIFY2(colorNear(canvas, p.x(), p.y(), kRed), qPrintable(QString("border pixel %1,%2").arg(p.x()).arg(p.y())));
    }
    // Inside and outside, several picture pixels away from the outline.
    for (const QPoint &grey : {QPoint(50, 35), QPoint(20, 35), QPoint(80, 35), QPoint(50, 10), QPoint(50, 60)}) {
        const QPoint p = windowPixel(grey.y(), grey.x(), part, window);
        if (canvas.rect().contains(p))
            QVERIFY2(sameColor(QColor::fromRgba(canvas.pixel(p)), kGrey), qPrintable(QString("grey pixel %1,%2").arg(p.x()).arg(p.y())));
    }
    // Beyond the picture the window keeps its background.
    const QPoint beyond = windowPixel(90, 120, part, window);
    if (canvas.rect().contains(beyond))
        QVERIFY(sameColor(QColor::fromRgba(canvas.pixel(beyond)), kBlack));
}

void tst_HalconDisplay::fillAndMargin_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("insideRed");
    QTest::newRow("fill") << "fill" << true;
    QTest::newRow("margin") << "margin" << false;
    QTest::newRow("Margin, as callers spell it") << "Margin" << false;
}

void tst_HalconDisplay::fillAndMargin()
{
    QFETCH(QString, mode);
    QFETCH(bool, insideRed);
    // A ring: the hole must stay grey in either mode, and the margin runs round it too.
    Hobject outer, inner, ring;
    QCOMPARE(gen_rectangle1(&outer, 10, 10, 49, 49), kSuccess);
    QCOMPARE(gen_rectangle1(&inner, 25, 25, 34, 34), kSuccess);
    QCOMPARE(difference(outer, inner, &ring), kSuccess);

    Window w(60, 60);
    QCOMPARE(disp_obj(HalconTestPictures::grayImage(60, 60, [](int, int) { return 128; }), w.handle()), kSuccess);
    QCOMPARE(set_color(w.handle(), "red"), kSuccess);
    QCOMPARE(set_draw(w.handle(), mode.toStdString()), kSuccess);
    QCOMPARE(disp_obj(ring, w.handle()), kSuccess);

    const QImage canvas = w.canvas();
    // 1:1: window pixels are picture pixels.
    QCOMPARE(sameColor(QColor::fromRgba(canvas.pixel(17, 17)), kRed), insideRed);
    QVERIFY(sameColor(QColor::fromRgba(canvas.pixel(30, 30)), kGrey)); // the hole
    QVERIFY(sameColor(QColor::fromRgba(canvas.pixel(5, 5)), kGrey));
    for (const QPoint &p : {QPoint(10, 30), QPoint(49, 30), QPoint(30, 10), QPoint(30, 49), QPoint(24, 30),
                            QPoint(35, 30), QPoint(30, 24), QPoint(30, 35)})
        QVERIFY2(sameColor(QColor::fromRgba(canvas.pixel(p)), kRed), qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
    if (!insideRed) {
        // The outline is one pixel wide at line width 1.
        QCOMPARE(countColor(canvas, QRect(0, 30, 60, 1), kRed), 4);
    }
}

// The outline of a staircase shape must stay one closed line at every zoom: seen from
// outside, the inside cannot be reached.
void tst_HalconDisplay::marginIsClosed_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QRectF>("part");
    QTest::addColumn<int>("lineWidth");
    QTest::newRow("1:1") << QSize(60, 60) << QRectF(0, 0, 59, 59) << 1;
    QTest::newRow("8x") << QSize(400, 400) << QRectF(5, 5, 49, 49) << 1;
    QTest::newRow("8x wide line") << QSize(400, 400) << QRectF(5, 5, 49, 49) << 3;
    QTest::newRow("3.3x uneven") << QSize(333, 250) << QRectF(3, 10, 99, 39) << 1;
}

void tst_HalconDisplay::marginIsClosed()
{
    QFETCH(QSize, window);
    QFETCH(QRectF, part);
    QFETCH(int, lineWidth);
    Hobject ellipse;
    QCOMPARE(gen_ellipse(&ellipse, 25, 30, 0.5, 12, 5), kSuccess);
    Window w(window.width(), window.height());
    QCOMPARE(setPart(w, part), kSuccess);
    QCOMPARE(set_color(w.handle(), "red"), kSuccess);
    QCOMPARE(set_draw(w.handle(), "margin"), kSuccess);
    QCOMPARE(set_line_width(w.handle(), lineWidth), kSuccess);
    QCOMPARE(disp_obj(ellipse, w.handle()), kSuccess);
    const QImage canvas = w.canvas();
    const QPoint centre = windowPixel(25, 30, part, window);
    QVERIFY(sameColor(QColor::fromRgba(canvas.pixel(centre)), kBlack));
    QVERIFY(!reachable(canvas, QPoint(0, 0), centre, kRed));
    // The same drawn as a fill covers the centre.
    QCOMPARE(set_draw(w.handle(), "fill"), kSuccess);
    QCOMPARE(disp_obj(ellipse, w.handle()), kSuccess);
    QVERIFY(sameColor(w.pixel(centre.x(), centre.y()), kRed));
}

void tst_HalconDisplay::imageCacheFollowsPartAndPicture()
{
    // Left half dark, right half bright: where the edge lands shows which part was used.
    const Hobject picture = HalconTestPictures::grayImage(100, 100, [](int, int column) { return column < 50 ? 20 : 220; });
    Window w(100, 100);
    QCOMPARE(disp_obj(picture, w.handle()), kSuccess);
    QCOMPARE(w.pixel(45, 50).red(), 20);
    QCOMPARE(w.pixel(55, 50).red(), 220);

    // Same picture, new part: a stale scaled picture would still show the old edge.
    QCOMPARE(set_part(w.handle(), 0, 25, 99, 74), kSuccess);
    QCOMPARE(clear_window(w.handle()), kSuccess);
    QCOMPARE(disp_obj(picture, w.handle()), kSuccess);
    QCOMPARE(w.pixel(45, 50).red(), 20);  // column 47
    QCOMPARE(w.pixel(55, 50).red(), 220); // column 52
    QCOMPARE(w.pixel(20, 50).red(), 20);  // column 35
    QCOMPARE(w.pixel(80, 50).red(), 220); // column 65

    // Another picture through the same part is drawn as itself.
    const Hobject other = HalconTestPictures::grayImage(100, 100, [](int, int) { return 90; });
    QCOMPARE(disp_obj(other, w.handle()), kSuccess);
    QCOMPARE(w.pixel(80, 50).red(), 90);

    // A new window size re-scales too.
    QCOMPARE(set_window_extents(w.handle(), 0, 0, 50, 50), kSuccess);
    QCOMPARE(disp_obj(picture, w.handle()), kSuccess);
    QCOMPARE(w.pixel(10, 25).red(), 20);
    QCOMPARE(w.pixel(40, 25).red(), 220);
}

void tst_HalconDisplay::colourImageAndDomain()
{
    const Hobject rgb = HalconTestPictures::rgbImage(
        40, 40, [](int, int) { return 200; }, [](int, int) { return 100; }, [](int, int) { return 50; });
    Hobject region, reduced;
    QCOMPARE(gen_rectangle1(&region, 10, 10, 19, 19), kSuccess);
    QCOMPARE(reduce_domain(rgb, region, &reduced), kSuccess);

    Window w(40, 40);
    QCOMPARE(disp_obj(reduced, w.handle()), kSuccess);
    QVERIFY(sameColor(w.pixel(15, 15), QColor(200, 100, 50)));
    QVERIFY(sameColor(w.pixel(5, 5), kBlack));   // outside the domain nothing is drawn
    QVERIFY(sameColor(w.pixel(25, 15), kBlack));
    QCOMPARE(disp_obj(rgb, w.handle()), kSuccess);
    QVERIFY(sameColor(w.pixel(5, 5), QColor(200, 100, 50)));
}

void tst_HalconDisplay::realImageIsSpread()
{
    std::vector<float> pixels(20 * 10);
    for (int row = 0; row < 10; ++row)
        for (int column = 0; column < 20; ++column)
            pixels[size_t(row * 20 + column)] = column < 10 ? -5.0f : 7.5f;
    Hobject image;
    QCOMPARE(gen_image1(&image, "real", 20, 10, Hlong(reinterpret_cast<quintptr>(pixels.data()))), kSuccess);
    Window w(20, 10);
    QCOMPARE(disp_obj(image, w.handle()), kSuccess);
    QCOMPARE(w.pixel(2, 5).red(), 0);
    QCOMPARE(w.pixel(17, 5).red(), 255);
}

void tst_HalconDisplay::contoursAndLines()
{
    Hobject square;
    QCOMPARE(gen_contour_polygon_xld(&square, HTuple(std::vector<double>{10, 10, 30, 30, 10}),
                                     HTuple(std::vector<double>{10, 35, 35, 10, 10})),
             kSuccess);
    Window w(80, 60);
    QCOMPARE(set_part(w.handle(), 0, 0, 39, 39), kSuccess); // 2x horizontally, 1.5x vertically
    QCOMPARE(set_color(w.handle(), "green"), kSuccess);
    QCOMPARE(disp_obj(square, w.handle()), kSuccess);
    const QSize size(80, 60);
    const QRectF part(0, 0, 39, 39);
    const QColor green(0, 255, 0);
    QImage canvas = w.canvas();
    for (const QPointF &p : {QPointF(25, 10), QPointF(25, 30), QPointF(10, 20), QPointF(35, 20)}) {
        const QPoint at = windowPixel(p.y(), p.x(), part, size);
        QVERIFY2(colorNear(canvas, at.x(), at.y(), green), qPrintable(QString("%1,%2").arg(at.x()).arg(at.y())));
    }
    const QPoint inside = windowPixel(20, 25, part, size);
    QVERIFY(sameColor(QColor::fromRgba(canvas.pixel(inside)), kBlack));

    // A thick line covers about its width.
    QCOMPARE(set_color(w.handle(), "yellow"), kSuccess);
    QCOMPARE(set_line_width(w.handle(), 5), kSuccess);
    QCOMPARE(disp_line(w.handle(), 35, 0, 35, 39), kSuccess);
    canvas = w.canvas();
    const QPoint mid = windowPixel(35, 20, part, size);
    const int covered = countColor(canvas, QRect(mid.x(), 0, 1, 60), QColor(255, 255, 0));
    QVERIFY2(covered >= 4 && covered <= 6, qPrintable(QString::number(covered)));

    // Several lines at once; a one-point contour still shows.
    QCOMPARE(set_line_width(w.handle(), 1), kSuccess);
    QCOMPARE(set_color(w.handle(), "cyan"), kSuccess);
    QCOMPARE(disp_line(w.handle(), HTuple(std::vector<double>{2, 4}), 0, HTuple(std::vector<double>{2, 4}), 39), kSuccess);
    Hobject dot;
    QCOMPARE(gen_contour_polygon_xld(&dot, 20, 25), kSuccess);
    QCOMPARE(disp_obj(dot, w.handle()), kSuccess);
    canvas = w.canvas();
    const QColor cyan(0, 255, 255);
    QVERIFY(colorNear(canvas, windowPixel(2, 20, part, size).x(), windowPixel(2, 20, part, size).y(), cyan));
    QVERIFY(colorNear(canvas, windowPixel(4, 20, part, size).x(), windowPixel(4, 20, part, size).y(), cyan));
    QVERIFY(colorNear(canvas, inside.x(), inside.y(), cyan));
}

void tst_HalconDisplay::contourOutsidePartDrawsNothing()
{
    Hobject far;
    QCOMPARE(gen_circle_contour_xld(&far, 500, 500, 20, 0, 6.283185307179586, "positive", 1), kSuccess);
    Window w(50, 50);
    const std::uint64_t before = windowRevision(w.handle());
    QCOMPARE(set_color(w.handle(), "red"), kSuccess);
    QCOMPARE(disp_obj(far, w.handle()), kSuccess);
    QCOMPARE(countColor(w.canvas(), QRect(0, 0, 50, 50), kRed), 0);
    QCOMPARE(windowRevision(w.handle()), before);
    // The same contour moved into the part is drawn.
    QCOMPARE(set_part(w.handle(), 470, 470, 529, 529), kSuccess);
    QCOMPARE(disp_obj(far, w.handle()), kSuccess);
    QVERIFY(countColor(w.canvas(), QRect(0, 0, 50, 50), kRed) > 20);
    QVERIFY(windowRevision(w.handle()) > before);
}

void tst_HalconDisplay::text()
{
    Window w(200, 100);
    QCOMPARE(set_color(w.handle(), "white"), kSuccess);
    QCOMPARE(set_font(w.handle(), "-Arial-20-*-*-*-*-1-"), kSuccess);
    HTuple font;
    QCOMPARE(get_font(w.handle(), &font), kSuccess);
    QCOMPARE(QString::fromStdString(font.S()), QStringLiteral("-Arial-20-*-*-*-*-1-"));
    QCOMPARE(set_tposition(w.handle(), 40, 50), kSuccess);
    HTuple ascent, descent, width, height;
    QCOMPARE(get_string_extents(w.handle(), "Plate 7", &ascent, &descent, &width, &height), kSuccess);
    QVERIFY(width.I() > 20 && width.I() < 150);
    QVERIFY(height.I() >= 18 && height.I() <= 30);
    QCOMPARE(write_string(w.handle(), "Plate 7"), kSuccess);

    const QImage canvas = w.canvas();
    // The text lies right of and below its position, within its extents.
    QVERIFY(countBright(canvas, QRect(50, 40, width.I() + 1, height.I() + 1)) > 20);
    QCOMPARE(countBright(canvas, QRect(0, 0, 48, 100)), 0);
    QCOMPARE(countBright(canvas, QRect(0, 0, 200, 38)), 0);
    QCOMPARE(countBright(canvas, QRect(50 + width.I() + 3, 0, 200, 100)), 0);

    // The position moves on, so a second string continues the first.
    HTuple row, column;
    QCOMPARE(get_tposition(w.handle(), &row, &column), kSuccess);
    QCOMPARE(row.D(), 40.0);
    QVERIFY(std::abs(column.D() - (50 + width.D())) <= 2.0);

    // The position is in picture coordinates: at 2x the text starts twice as far in.
    Window zoomed(200, 100);
    QCOMPARE(set_part(zoomed.handle(), 0, 0, 49, 99), kSuccess);
    QCOMPARE(set_color(zoomed.handle(), "white"), kSuccess);
    QCOMPARE(set_font(zoomed.handle(), "DejaVu Sans-12"), kSuccess);
    QCOMPARE(set_tposition(zoomed.handle(), 10, 30), kSuccess);
    QCOMPARE(write_string(zoomed.handle(), "A"), kSuccess);
    QCOMPARE(countBright(zoomed.canvas(), QRect(0, 0, 59, 100)), 0);
    QVERIFY(countBright(zoomed.canvas(), QRect(59, 19, 30, 30)) > 5);
}

void tst_HalconDisplay::defaultFamilyTakesTheSize()
{
    Window w(200, 100);
    HTuple ascent, descent, width, small, large;
    QCOMPARE(set_font(w.handle(), "-*-12-*-*-*-*-0-"), kSuccess);
    QCOMPARE(get_string_extents(w.handle(), "M", &ascent, &descent, &width, &small), kSuccess);
    QCOMPARE(set_font(w.handle(), "-*-48-*-*-*-*-0-"), kSuccess);
    QCOMPARE(get_string_extents(w.handle(), "M", &ascent, &descent, &width, &large), kSuccess);
    // Four times the size, whatever the default family is.
    QVERIFY2(large.I() >= 3 * small.I() && large.I() <= 5 * small.I(),
             qPrintable(QStringLiteral("%1 and %2").arg(small.I()).arg(large.I())));
}

void tst_HalconDisplay::failures_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<int>("expected");
    const Hobject image = HalconTestPictures::grayImage(10, 10, [](int, int) { return 1; });
    const Hobject region = HalconTestPictures::rectangleRegion(1, 1, 3, 3);
    const Hlong closed = [] {
        Hlong handle = -1;
        open_window(0, 0, 10, 10, 0, "buffer", "", &handle);
        close_window(handle);
        return handle;
    }();

    QTest::newRow("disp_obj on a closed window") << Call([=](Hlong) { return disp_obj(region, closed); }) << int(kErrWrongValue1);
    QTest::newRow("set_color on a closed window") << Call([=](Hlong) { return set_color(closed, "red"); }) << int(kErrWrongValue1);
    QTest::newRow("close twice") << Call([=](Hlong) { return close_window(closed); }) << int(kErrWrongValue1);
    QTest::newRow("handle never opened") << Call([](Hlong) { return clear_window(Hlong(1) << 40); }) << int(kErrWrongValue1);
    QTest::newRow("handle as text") << Call([](Hlong) { return clear_window("1"); }) << int(kErrWrongType1);
    QTest::newRow("copy to a closed window") << Call([=](Hlong w) { return copy_rectangle(w, closed, 0, 0, 5, 5, 0, 0); }) << int(kErrWrongValue2);
    QTest::newRow("dump a closed window") << Call([=](Hlong) { Hobject out; return dump_window_image(&out, closed); }) << int(kErrWrongValue1);
    QTest::newRow("unknown colour") << Call([](Hlong w) { return set_color(w, "reddish"); }) << int(kErrWrongValue2);
    QTest::newRow("bad hex colour") << Call([](Hlong w) { return set_color(w, "#12345"); }) << int(kErrWrongValue2);
    QTest::newRow("colour as number") << Call([](Hlong w) { return set_color(w, 3); }) << int(kErrWrongType2);
    QTest::newRow("rgb out of range") << Call([](Hlong w) { return set_rgb(w, 0, 256, 0); }) << int(kErrWrongValue3);
    QTest::newRow("draw mode") << Call([](Hlong w) { return set_draw(w, "outline"); }) << int(kErrWrongValue2);
    QTest::newRow("line width 0") << Call([](Hlong w) { return set_line_width(w, 0); }) << int(kErrWrongValue2);
    QTest::newRow("font size 0") << Call([](Hlong w) { return set_font(w, "-Arial-0-*-*-*-*-1-"); }) << int(kErrWrongValue2);
    QTest::newRow("font garbage") << Call([](Hlong w) { return set_font(w, "Arial"); }) << int(kErrWrongValue2);
    QTest::newRow("font style") << Call([](Hlong w) { return set_font(w, "Arial-Fancy-12"); }) << int(kErrWrongValue2);
    QTest::newRow("part upside down") << Call([](Hlong w) { return set_part(w, 10, 0, 5, 10); }) << int(kErrWrongValue4);
    QTest::newRow("part inside out") << Call([](Hlong w) { return set_part(w, 0, 10, 5, 0); }) << int(kErrWrongValue5);
    QTest::newRow("part far away") << Call([](Hlong w) { return set_part(w, 0, 0, 1e12, 10); }) << int(kErrWrongValue4);
    QTest::newRow("part style") << Call([](Hlong w) { return set_part_style(w, 3); }) << int(kErrWrongValue2);
    QTest::newRow("region to disp_image") << Call([=](Hlong w) { return disp_image(region, w); }) << int(kErrWrongObjectClass1);
    QTest::newRow("image to disp_region") << Call([=](Hlong w) { return disp_region(image, w); }) << int(kErrWrongObjectClass1);
    QTest::newRow("image to disp_xld") << Call([=](Hlong w) { return disp_xld(image, w); }) << int(kErrWrongObjectClass1);
    QTest::newRow("lines of unequal counts") << Call([](Hlong w) { return disp_line(w, HTuple(std::vector<double>{1, 2}), 0, HTuple(std::vector<double>{1, 2, 3}), 5); }) << int(kErrWrongCount2);
    QTest::newRow("window size 0") << Call([](Hlong) { Hlong h; return open_window(0, 0, 0, 10, 0, "buffer", "", &h); }) << int(kErrWrongValue3);
    QTest::newRow("window too large") << Call([](Hlong) { Hlong h; return open_window(0, 0, 10, 40000, 0, "buffer", "", &h); }) << int(kErrWrongValue4);
    QTest::newRow("window mode") << Call([](Hlong) { Hlong h; return open_window(0, 0, 10, 10, 0, "floating", "", &h); }) << int(kErrWrongValue6);
    QTest::newRow("extents of 0") << Call([](Hlong w) { return set_window_extents(w, 0, 0, 0, 10); }) << int(kErrWrongValue4);
    QTest::newRow("copy rectangle reversed") << Call([](Hlong w) { return copy_rectangle(w, w, 5, 0, 0, 5, 0, 0); }) << int(kErrWrongValue5);
    QTest::newRow("unknown attribute") << Call([](Hlong) { return set_window_attr("frame_style", 1); }) << int(kErrUnknownParameter);
    QTest::newRow("bad background") << Call([](Hlong) { return set_window_attr("background_color", "nothing"); }) << int(kErrWrongValue2);
}

void tst_HalconDisplay::failures()
{
    QFETCH(Call, call);
    QFETCH(int, expected);
    Window w(20, 20);
    QVERIFY(w.isOpen());
    const std::uint64_t before = windowRevision(w.handle());
    QCOMPARE(int(call(w.handle())), expected);
    QCOMPARE(windowRevision(w.handle()), before);
    HTuple text;
    get_error_text(expected, &text);
    QVERIFY(!text.S().empty());
}

void tst_HalconDisplay::failureChangesNothing()
{
    Window w(30, 30);
    QCOMPARE(set_color(w.handle(), "cadet blue"), kSuccess);
    QCOMPARE(set_draw(w.handle(), "margin"), kSuccess);
    QCOMPARE(set_part(w.handle(), 1, 2, 11, 12), kSuccess);
    QVERIFY(set_color(w.handle(), "no such colour") != kSuccess);
    QVERIFY(set_draw(w.handle(), "dotted") != kSuccess);
    QVERIFY(set_part(w.handle(), 5, 5, 0, 0) != kSuccess);
    HTuple color, mode, r1, c1, r2, c2;
    QCOMPARE(get_rgb_text(w.handle(), &color), kSuccess);
    QCOMPARE(QString::fromStdString(color.S()), QStringLiteral("#5f9ea0"));
    QCOMPARE(get_draw(w.handle(), &mode), kSuccess);
    QCOMPARE(QString::fromStdString(mode.S()), QStringLiteral("margin"));
    QCOMPARE(get_part(w.handle(), &r1, &c1, &r2, &c2), kSuccess);
    QCOMPARE(r1.L(), Hlong(1));
    QCOMPARE(c1.L(), Hlong(2));
    QCOMPARE(r2.L(), Hlong(11));
    QCOMPARE(c2.L(), Hlong(12));

    // A mixed object with one bad element draws nothing at all.
    const Hobject region = HalconTestPictures::rectangleRegion(0, 0, 29, 29);
    const Hobject image = HalconTestPictures::grayImage(30, 30, [](int, int) { return 77; });
    Hobject mixed;
    QCOMPARE(concat_obj(region, image, &mixed), kSuccess);
    const std::uint64_t before = windowRevision(w.handle());
    QCOMPARE(disp_region(mixed, w.handle()), kErrWrongObjectClass1);
    QCOMPARE(windowRevision(w.handle()), before);
}

// Every getter answers what its setter stored; whole numbers come back as integers, and a
// read through a closed window fails without touching the output.
void tst_HalconDisplay::settingsReadBack()
{
    Window w(20, 20);
    HTuple value;
    QCOMPARE(set_line_width(w.handle(), 3), kSuccess);
    QCOMPARE(get_line_width(w.handle(), &value), kSuccess);
    QVERIFY(value[0].IsInteger());
    QCOMPARE(value.L(), Hlong(3));
    QCOMPARE(set_line_width(w.handle(), 2.5), kSuccess);
    QCOMPARE(get_line_width(w.handle(), &value), kSuccess);
    QVERIFY(value[0].IsReal());
    QCOMPARE(value.D(), 2.5);

    QCOMPARE(set_part(w.handle(), 0.5, 1, 10.5, 12), kSuccess);
    HTuple r1, c1, r2, c2;
    QCOMPARE(get_part(w.handle(), &r1, &c1, &r2, &c2), kSuccess);
    QVERIFY(r1[0].IsReal());
    QCOMPARE(r1.D(), 0.5);
    QVERIFY(c1[0].IsInteger());
    QCOMPARE(c1.L(), Hlong(1));
    QCOMPARE(r2.D(), 10.5);
    QCOMPARE(c2.L(), Hlong(12));

    QCOMPARE(set_part_style(w.handle(), 2), kSuccess);
    QCOMPARE(get_part_style(w.handle(), &value), kSuccess);
    QCOMPARE(value.L(), Hlong(2));
    QCOMPARE(set_tposition(w.handle(), 4, 7), kSuccess);
    QCOMPARE(get_tposition(w.handle(), &r1, &c1), kSuccess);
    QCOMPARE(r1.D(), 4.0);
    QCOMPARE(c1.D(), 7.0);

    const Hlong closed = [] {
        Window gone(5, 5);
        return gone.handle();
    }();
    HTuple untouched("kept");
    QCOMPARE(get_line_width(closed, &untouched), kErrWrongValue1);
    QCOMPARE(get_part_style(closed, &untouched), kErrWrongValue1);
    QCOMPARE(get_draw(closed, &untouched), kErrWrongValue1);
    QCOMPARE(QString::fromStdString(untouched.S()), QStringLiteral("kept"));
}

void tst_HalconDisplay::windowsAndHandles()
{
    Hlong a = -1, b = -1;
    QCOMPARE(open_window(0, 0, -1, -1, 0, "buffer", "", &a), kSuccess);
    HTuple handleTuple;
    QCOMPARE(open_window(0, 0, 10, 10, 4711, "visible", "", &handleTuple), kSuccess);
    b = handleTuple.L();
    QVERIFY(a != b);
    HTuple row, column, width, height;
    QCOMPARE(get_window_extents(a, &row, &column, &width, &height), kSuccess);
    QCOMPARE(width.I(), 512);
    QCOMPARE(height.I(), 512);
    HTuple r1, c1, r2, c2;
    QCOMPARE(get_part(a, &r1, &c1, &r2, &c2), kSuccess);
    QCOMPARE(r2.I(), 511);
    QCOMPARE(c2.I(), 511);

    Hlong father = 0;
    QVERIFY(windowFather(b, &father));
    QCOMPARE(father, Hlong(4711));

    // Resizing keeps the part and gives a cleared canvas of the new size; -1 keeps a value.
    QCOMPARE(set_part(b, 0, 0, 99, 99), kSuccess);
    QCOMPARE(set_window_extents(b, 0, 0, 40, -1), kSuccess);
    QCOMPARE(get_window_extents(b, &row, &column, &width, &height), kSuccess);
    QCOMPARE(width.I(), 40);
    QCOMPARE(height.I(), 10);
    QCOMPARE(get_part(b, &r1, &c1, &r2, &c2), kSuccess);
    QCOMPARE(r2.I(), 99);
    // All -1 resets the part to the window.
    QCOMPARE(set_part(b, -1, -1, -1, -1), kSuccess);
    QCOMPARE(get_part(b, &r1, &c1, &r2, &c2), kSuccess);
    QCOMPARE(r2.I(), 9);
    QCOMPARE(c2.I(), 39);

    QCOMPARE(close_window(a), kSuccess);
    QCOMPARE(close_window(b), kSuccess);
    QImage canvas(3, 3, QImage::Format_RGB32);
    QVERIFY(!windowCanvas(a, &canvas));
    QCOMPARE(canvas.size(), QSize(3, 3));
    QVERIFY(!windowFather(b, &father));
    QCOMPARE(windowRevision(b), std::uint64_t(0));

    // Handles are not reused.
    Hlong c = -1;
    QCOMPARE(open_window(0, 0, 5, 5, 0, "buffer", "", &c), kSuccess);
    QVERIFY(c != a && c != b);
    QCOMPARE(close_window(c), kSuccess);
}

void tst_HalconDisplay::copyRectangle()
{
    Window buffer(40, 30);
    Window display(40, 30, "visible");
    QCOMPARE(disp_obj(HalconTestPictures::grayImage(40, 30, [](int, int) { return 128; }), buffer.handle()), kSuccess);
    QCOMPARE(set_color(buffer.handle(), "red"), kSuccess);
    QCOMPARE(disp_obj(HalconTestPictures::rectangleRegion(5, 5, 9, 9), buffer.handle()), kSuccess);

    // The double-buffer flip copies the whole window.
    QCOMPARE(copy_rectangle(buffer.handle(), display.handle(), 0, 0, 29, 39, 0, 0), kSuccess);
    QVERIFY(sameColor(display.pixel(7, 7), kRed));
    QVERIFY(sameColor(display.pixel(20, 20), kGrey));
    // Drawing into the buffer afterwards must not show through the shared pixels.
    QCOMPARE(clear_window(buffer.handle()), kSuccess);
    QCOMPARE(disp_obj(HalconTestPictures::rectangleRegion(20, 20, 25, 25), buffer.handle()), kSuccess);
    QVERIFY(sameColor(display.pixel(22, 22), kGrey));
    QVERIFY(sameColor(display.pixel(7, 7), kRed));

    // A piece, moved and clipped at the destination's edge.
    QCOMPARE(copy_rectangle(buffer.handle(), display.handle(), 20, 20, 25, 25, 26, 36), kSuccess);
    QVERIFY(sameColor(display.pixel(37, 27), kRed));
    QVERIFY(sameColor(display.pixel(35, 27), kGrey));
    // Overlapping copy within one window.
    QCOMPARE(copy_rectangle(display.handle(), display.handle(), 5, 5, 9, 9, 7, 7), kSuccess);
    QVERIFY(sameColor(display.pixel(11, 11), kRed));
    QVERIFY(sameColor(display.pixel(5, 5), kRed));
    // A rectangle entirely outside copies nothing and is no error.
    QCOMPARE(copy_rectangle(buffer.handle(), display.handle(), 100, 100, 120, 120, 0, 0), kSuccess);
}

void tst_HalconDisplay::dumpWindowImage()
{
    Window w(30, 20);
    QCOMPARE(set_color(w.handle(), "orange"), kSuccess);
    QCOMPARE(disp_obj(HalconTestPictures::rectangleRegion(2, 3, 6, 9), w.handle()), kSuccess);
    Hobject dump;
    QCOMPARE(dump_window_image(&dump, w.handle()), kSuccess);
    Hlong width = 0, height = 0, channels = 0;
    QCOMPARE(get_image_size(dump, &width, &height), kSuccess);
    QCOMPARE(count_channels(dump, &channels), kSuccess);
    QCOMPARE(width, Hlong(30));
    QCOMPARE(height, Hlong(20));
    QCOMPARE(channels, Hlong(3));
    QCOMPARE(HalconTestPictures::pixel(dump, 4, 5, 0), 255);
    QCOMPARE(HalconTestPictures::pixel(dump, 4, 5, 1), 165);
    QCOMPARE(HalconTestPictures::pixel(dump, 4, 5, 2), 0);
    QCOMPARE(HalconTestPictures::pixel(dump, 15, 20, 0), 0);

    // The dump shown again at 1:1 gives the same pixels.
    Window again(30, 20);
    QCOMPARE(disp_obj(dump, again.handle()), kSuccess);
    QVERIFY(sameColor(again.pixel(5, 4), QColor(255, 165, 0)));
}

void tst_HalconDisplay::canvasCopyIsStable()
{
    Window w(20, 20);
    QCOMPARE(set_color(w.handle(), "white"), kSuccess);
    QCOMPARE(disp_obj(HalconTestPictures::rectangleRegion(0, 0, 19, 19), w.handle()), kSuccess);
    const QImage painted = w.canvas();
    QCOMPARE(painted.format(), QImage::Format_ARGB32_Premultiplied);
    // The widget's copy keeps what it was handed while the window goes on.
    QCOMPARE(clear_window(w.handle()), kSuccess);
    QVERIFY(sameColor(QColor::fromRgba(painted.pixel(10, 10)), QColor(255, 255, 255)));
    QVERIFY(sameColor(w.pixel(10, 10), kBlack));
    QCOMPARE(set_color(w.handle(), "red"), kSuccess);
    QCOMPARE(set_draw(w.handle(), "fill"), kSuccess);
    const QImage cleared = w.canvas();
    QCOMPARE(disp_obj(HalconTestPictures::rectangleRegion(0, 0, 19, 19), w.handle()), kSuccess);
    QVERIFY(sameColor(QColor::fromRgba(cleared.pixel(10, 10)), kBlack));
    QVERIFY(sameColor(w.pixel(10, 10), kRed));
}

void tst_HalconDisplay::windowAttributes()
{
    QCOMPARE(set_window_attr("background_color", "light blue"), kSuccess);
    QCOMPARE(set_window_attr("border_width", 0), kSuccess);
    HTuple value;
    QCOMPARE(get_window_attr("background_color", &value), kSuccess);
    QCOMPARE(QString::fromStdString(value.S()), QStringLiteral("light blue"));
    {
        Window w(10, 10);
        QVERIFY(sameColor(w.pixel(5, 5), QColor(173, 216, 230)));
        QCOMPARE(set_color(w.handle(), "red"), kSuccess);
        QCOMPARE(disp_obj(HalconTestPictures::rectangleRegion(0, 0, 9, 9), w.handle()), kSuccess);
        QCOMPARE(clear_window(w.handle()), kSuccess);
        QVERIFY(sameColor(w.pixel(5, 5), QColor(173, 216, 230)));
    }
    QCOMPARE(set_window_attr("background_color", "black"), kSuccess);
}

// Workers drawing into windows of their own and one shared window while another thread
// dumps it: run under the sanitizers, this shows any unguarded state. (Canvas copies
// from windowCanvas are left to one thread here: their pixels are shared through Qt's
// own reference count, which a ThreadSanitizer build cannot see into.)
void tst_HalconDisplay::concurrentDrawing()
{
    Window shared(64, 64);
    const Hobject picture = HalconTestPictures::grayImage(64, 64, [](int r, int c) { return (r + c) % 256; });
    const Hobject region = HalconTestPictures::rectangleRegion(10, 10, 40, 40);
    std::atomic<int> failures{0};
    std::atomic<bool> done{false};
    std::atomic<int> dumps{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < 40; ++i) {
                // Half-way each worker waits for two more dumps of the shared window: the
                // reader overlaps the drawing however the threads are scheduled.
                if (i == 20) {
                    const int seen = dumps.load();
                    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
                    while (dumps.load() < seen + 2 && std::chrono::steady_clock::now() < deadline)
                        std::this_thread::yield();
                    if (dumps.load() < seen + 2)
                        ++failures;
                }
                Hlong own = -1;
                Herror err = open_window(0, 0, 32 + t, 32, 0, "buffer", "", &own);
                if (err == kSuccess) err = set_part(own, 0, 0, 63, 63);
                if (err == kSuccess) err = disp_obj(picture, own);
                if (err == kSuccess) err = set_color(own, t % 2 ? "green" : "red");
                if (err == kSuccess) err = disp_obj(region, own);
                if (err == kSuccess) err = copy_rectangle(own, shared.handle(), 0, 0, 31, 31, t * 8, 0);
                if (err == kSuccess) err = set_draw(shared.handle(), i % 2 ? "margin" : "fill");
                if (err == kSuccess) err = disp_obj(region, shared.handle());
                if (err == kSuccess) err = close_window(own);
                if (err != kSuccess)
                    ++failures;
            }
        });
    }
    std::thread reader([&] {
        while (!done) {
            Hobject dump;
            Hlong width = 0, height = 0;
            if (dump_window_image(&dump, shared.handle()) != kSuccess || get_image_size(dump, &width, &height) != kSuccess
                || width != 64 || height != 64)
                ++failures;
            HTuple r1, c1, r2, c2;
            if (get_part(shared.handle(), &r1, &c1, &r2, &c2) != kSuccess || windowRevision(shared.handle()) == 0)
                ++failures;
            ++dumps;
        }
    });
    for (std::thread &worker : workers)
        worker.join();
    done = true;
    reader.join();
    QCOMPARE(failures.load(), 0);
    QImage canvas;
    QVERIFY(windowCanvas(shared.handle(), &canvas));
    QVERIFY(countColor(canvas, canvas.rect(), kRed) > 0);
}

QTEST_MAIN(tst_HalconDisplay)
#include "tst_HalconDisplay.moc"
