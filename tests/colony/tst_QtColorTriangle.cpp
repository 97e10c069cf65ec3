#include "QtColorTriangle.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

void sendMouse(QWidget* widget, QEvent::Type type, const QPointF& position, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, position, widget->mapToGlobal(position), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void press(QWidget* widget, const QPointF& position)
{
    sendMouse(widget, QEvent::MouseButtonPress, position, Qt::LeftButton, Qt::LeftButton);
}

bool finite(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// A picker of the given size, shown so that its geometry follows the size.
struct Picker {
    QtColorTriangle widget;
    explicit Picker(int width = 200, int height = 200)
    {
        widget.resize(width, height);
        widget.show();
    }
    bool ready() { return QTest::qWaitForWindowExposed(&widget); }
    QPointF centre() const
    {
        const QRect cr = widget.contentsRect();
        return QPointF((cr.left() + cr.right()) / 2, (cr.top() + cr.bottom()) / 2);
    }
    // The point at an angle (degrees, counter-clockwise from the right) and a distance.
    QPointF at(double degrees, double distance) const
    {
        const double angle = degrees * kPi / 180.0;
        return centre() + QPointF(std::cos(angle) * distance, -std::sin(angle) * distance);
    }
};

int channelDistance(const QColor& a, const QColor& b)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

} // namespace

class tst_QtColorTriangle : public QObject {
    Q_OBJECT
private slots:
    void newPicker();
    void roundTripThroughTheSelector_data();
    void roundTripThroughTheSelector();
    void keys_data();
    void keys();
    void topOfTheRingIsHue360();
    void greyKeepsTheHue();
    void sameColourAgainIsSilent();
    void invalidColourIsIgnored();
    void pressOutsideTheTriangleLandsOnIt_data();
    void pressOutsideTheTriangleLandsOnIt();
    void ringAndTriangleFollowTheSize();
    void onlyTheLeftButtonDrags();
    void neverNaNNeverInvalid_data();
    void neverNaNNeverInvalid();
};

void tst_QtColorTriangle::newPicker()
{
    QtColorTriangle picker;
    QCOMPARE(picker.sizeHint(), QSize(100, 100));
    QCOMPARE(picker.heightForWidth(37), 37);
    QCOMPARE(picker.color(), QColor::fromHsv(76, 184, 206));
    QCOMPARE(picker.hue(), 76);
    QCOMPARE(picker.focusPolicy(), Qt::StrongFocus);
}

void tst_QtColorTriangle::roundTripThroughTheSelector_data()
{
    QTest::addColumn<QColor>("color");
    QTest::newRow("pure red") << QColor::fromHsv(0, 255, 255);
    QTest::newRow("pure hue") << QColor::fromHsv(200, 255, 255);
    QTest::newRow("dark") << QColor::fromHsv(120, 200, 60);
    QTest::newRow("pale") << QColor::fromHsv(300, 40, 240);
    QTest::newRow("middle") << QColor::fromHsv(45, 128, 128);
    QTest::newRow("default") << QColor::fromHsv(76, 184, 206);
    QTest::newRow("grey") << QColor(100, 100, 100);
    QTest::newRow("black") << QColor(Qt::black);
    QTest::newRow("white") << QColor(Qt::white);
    // Hue 60 puts the black vertex level with the hue vertex.
    QTest::newRow("level edge") << QColor(128, 128, 0);
    QTest::newRow("level edge, pale") << QColor::fromHsv(180, 60, 200);
}

void tst_QtColorTriangle::roundTripThroughTheSelector()
{
    QFETCH(QColor, color);
    Picker picker;
    QVERIFY(picker.ready());
    picker.widget.setColor(color);
    const QPointF selector = picker.widget.selectorPosition();
    QVERIFY(finite(selector));
    // Picking at the selector gives the colour back, up to the floor of each channel.
    QSignalSpy changed(&picker.widget, &QtColorTriangle::colorChanged);
    press(&picker.widget, selector);
    const QColor picked = picker.widget.color();
    QVERIFY(picked.isValid());
    QVERIFY2(channelDistance(picked, color) <= 3,
             qPrintable(QStringLiteral("%1 for %2").arg(picked.name(), color.name())));
    QVERIFY(changed.count() <= 1);
}

void tst_QtColorTriangle::keys_data()
{
    QTest::addColumn<QColor>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("left") << QColor::fromHsv(100, 200, 200) << int(Qt::Key_Left) << false << QColor::fromHsv(99, 200, 200);
    QTest::newRow("left below 0") << QColor::fromHsv(0, 200, 200) << int(Qt::Key_Left) << false
                                  << QColor::fromHsv(359, 200, 200);
    QTest::newRow("right above 359") << QColor::fromHsv(359, 200, 200) << int(Qt::Key_Right) << false
                                     << QColor::fromHsv(0, 200, 200);
    QTest::newRow("up lowers the value") << QColor::fromHsv(10, 200, 100) << int(Qt::Key_Up) << false
                                         << QColor::fromHsv(10, 200, 95);
    QTest::newRow("up at 3 gives 0") << QColor::fromHsv(10, 200, 3) << int(Qt::Key_Up) << false
                                     << QColor::fromHsv(10, 200, 0);
    QTest::newRow("down at 252 gives 255") << QColor::fromHsv(10, 200, 252) << int(Qt::Key_Down) << false
                                           << QColor::fromHsv(10, 200, 255);
    QTest::newRow("shift up at saturation 5 gives 0") << QColor::fromHsv(10, 5, 200) << int(Qt::Key_Up) << true
                                                      << QColor::fromHsv(10, 0, 200);
    QTest::newRow("shift down raises saturation") << QColor::fromHsv(10, 100, 200) << int(Qt::Key_Down) << true
                                                  << QColor::fromHsv(10, 105, 200);
}

void tst_QtColorTriangle::keys()
{
    QFETCH(QColor, start);
    QFETCH(int, key);
    QFETCH(bool, shift);
    QFETCH(QColor, expected);
    Picker picker;
    QVERIFY(picker.ready());
    picker.widget.setColor(start);
    QSignalSpy changed(&picker.widget, &QtColorTriangle::colorChanged);
    QTest::keyClick(&picker.widget, Qt::Key(key), shift ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(picker.widget.color().toHsv(), expected.toHsv());
    QCOMPARE(changed.count(), 1);
    QVERIFY(finite(picker.widget.selectorPosition()));
    // Other keys change nothing.
    QTest::keyClick(&picker.widget, Qt::Key_A);
    QCOMPARE(changed.count(), 1);
}

void tst_QtColorTriangle::topOfTheRingIsHue360()
{
    for (int key : {int(Qt::Key_Right), int(Qt::Key_Left)}) {
        Picker picker;
        QVERIFY(picker.ready());
        picker.widget.setColor(QColor::fromHsv(200, 255, 255));
        QSignalSpy changed(&picker.widget, &QtColorTriangle::colorChanged);
        press(&picker.widget, picker.at(90.0, 95.0));
        QCOMPARE(picker.widget.hue(), 360);
        QVERIFY(picker.widget.color().isValid());
        QCOMPARE(picker.widget.color().hsvHue(), 0);
        QVERIFY(changed.count() >= 1);
        QTest::keyClick(&picker.widget, Qt::Key(key));
        QCOMPARE(picker.widget.hue(), key == Qt::Key_Right ? 1 : 359);
        QCOMPARE(picker.widget.color().hsvHue(), picker.widget.hue());
    }
}

void tst_QtColorTriangle::greyKeepsTheHue()
{
    Picker picker;
    QVERIFY(picker.ready());
    picker.widget.setColor(QColor::fromHsv(200, 255, 255));
    const QPointF pure = picker.widget.selectorPosition();
    picker.widget.setColor(QColor(255, 255, 255));
    QCOMPARE(picker.widget.hue(), 200);
    // White lies on the white vertex, which turns with the hue: 120 degrees after the pure hue.
    const QPointF white = picker.widget.selectorPosition();
    const QPointF centre = picker.centre();
    const double angle = std::atan2(-(white.y() - centre.y()), white.x() - centre.x())
        - std::atan2(-(pure.y() - centre.y()), pure.x() - centre.x());
    const double degrees = std::fmod(angle * 180.0 / kPi + 720.0, 360.0);
    QVERIFY2(std::abs(degrees - 240.0) < 1.0, qPrintable(QString::number(degrees)));
}

void tst_QtColorTriangle::sameColourAgainIsSilent()
{
    Picker picker;
    QVERIFY(picker.ready());
    picker.widget.setColor(QColor::fromHsv(30, 200, 200));
    QSignalSpy changed(&picker.widget, &QtColorTriangle::colorChanged);
    picker.widget.setColor(QColor::fromHsv(30, 200, 200));
    QVERIFY(changed.isEmpty());
    const QPointF before = picker.widget.selectorPosition();
    picker.widget.setColor(QColor::fromHsv(30, 100, 200));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(picker.widget.hue(), 30);
    QVERIFY(picker.widget.selectorPosition() != before);
}

void tst_QtColorTriangle::invalidColourIsIgnored()
{
    QtColorTriangle picker;
    QSignalSpy changed(&picker, &QtColorTriangle::colorChanged);
    const QColor before = picker.color();
    picker.setColor(QColor());
    QTest::ignoreMessage(QtWarningMsg, "QColor::fromHsv: HSV parameters out of range");
    picker.setColor(QColor::fromHsv(400, 10, 10));
    QCOMPARE(picker.color(), before);
    QVERIFY(changed.isEmpty());
}

void tst_QtColorTriangle::pressOutsideTheTriangleLandsOnIt_data()
{
    // Hue 0: A at the top, the black vertex B at 210 degrees, the white vertex C at 330; the
    // inner radius of a 200 pixel picker is 79.2, so B-C runs level at 39.6 below the centre.
    QTest::addColumn<double>("degrees");
    QTest::addColumn<double>("distance");
    QTest::addColumn<QPointF>("expectedOffset"); // from the centre, y down
    QTest::addColumn<QColor>("expectedColor");
    QTest::newRow("below the middle of B-C") << 270.0 << 70.0 << QPointF(0.0, 39.6) << QColor(127, 127, 127);
    QTest::newRow("on B-C near the black vertex") << 212.0 << 78.0 << QPointF(-66.15, 39.6) << QColor(5, 5, 5);
    QTest::newRow("beyond the black vertex") << 210.5 << 80.0 << QPointF(-68.59, 39.6) << QColor(0, 0, 0);
    QTest::newRow("inside stays") << 90.0 << 10.0 << QPointF(0.0, -10.0) << QColor();
}

void tst_QtColorTriangle::pressOutsideTheTriangleLandsOnIt()
{
    QFETCH(double, degrees);
    QFETCH(double, distance);
    QFETCH(QPointF, expectedOffset);
    QFETCH(QColor, expectedColor);
    Picker picker;
    QVERIFY(picker.ready());
    picker.widget.setColor(QColor::fromHsv(0, 255, 255));
    press(&picker.widget, picker.at(degrees, distance));
    const QPointF offset = picker.widget.selectorPosition() - picker.centre();
    QVERIFY2(std::abs(offset.x() - expectedOffset.x()) < 0.5 && std::abs(offset.y() - expectedOffset.y()) < 0.5,
             qPrintable(QStringLiteral("%1 %2").arg(offset.x()).arg(offset.y())));
    if (expectedColor.isValid())
        QVERIFY(channelDistance(picker.widget.color(), expectedColor) <= 2);
}

void tst_QtColorTriangle::ringAndTriangleFollowTheSize()
{
    // Outer radius min(200, 100) / 2 = 50; the triangle's circle has radius 40.
    Picker picker(201, 101);
    QVERIFY(picker.ready());
    picker.widget.setColor(QColor::fromHsv(0, 255, 255));
    press(&picker.widget, picker.at(0.0, 41.0));
    QCOMPARE(picker.widget.hue(), 90); // the ring at the right
    sendMouse(&picker.widget, QEvent::MouseButtonRelease, picker.at(0.0, 41.0), Qt::LeftButton, Qt::NoButton);
    press(&picker.widget, picker.at(180.0, 39.0));
    QCOMPARE(picker.widget.hue(), 90); // in the triangle: the hue stays
}

void tst_QtColorTriangle::onlyTheLeftButtonDrags()
{
    Picker picker;
    QVERIFY(picker.ready());
    picker.widget.setColor(QColor::fromHsv(0, 255, 255));
    press(&picker.widget, picker.centre());
    sendMouse(&picker.widget, QEvent::MouseButtonRelease, picker.centre(), Qt::RightButton, Qt::LeftButton);
    const QColor before = picker.widget.color();
    sendMouse(&picker.widget, QEvent::MouseMove, picker.at(90.0, 30.0), Qt::NoButton, Qt::LeftButton);
    QVERIFY(picker.widget.color() != before);
    sendMouse(&picker.widget, QEvent::MouseButtonRelease, picker.at(90.0, 30.0), Qt::LeftButton, Qt::NoButton);
    const QColor dropped = picker.widget.color();
    sendMouse(&picker.widget, QEvent::MouseMove, picker.centre(), Qt::NoButton, Qt::RightButton);
    QCOMPARE(picker.widget.color(), dropped);
}

void tst_QtColorTriangle::neverNaNNeverInvalid_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("empty") << QSize(0, 0);
    QTest::newRow("one pixel") << QSize(1, 1);
    QTest::newRow("three pixels") << QSize(3, 3);
    QTest::newRow("a sliver") << QSize(7, 200);
    QTest::newRow("wide") << QSize(201, 101);
    QTest::newRow("large") << QSize(700, 650);
}

void tst_QtColorTriangle::neverNaNNeverInvalid()
{
    QFETCH(QSize, size);
    Picker picker(size.width(), size.height());
    // An empty window is never exposed.
    QVERIFY(size.isEmpty() || picker.ready());
    const QColor colors[] = {QColor::fromHsv(0, 255, 255), QColor(Qt::black), QColor(Qt::white),
                             QColor(90, 90, 90), QColor::fromHsv(359, 1, 254)};
    const QPointF points[] = {picker.centre(), QPointF(0, 0), QPointF(-50, 300), QPointF(size.width(), 0),
                              picker.at(45.0, 1e6)};
    for (const QColor& color : colors) {
        picker.widget.setColor(color);
        QVERIFY(finite(picker.widget.selectorPosition()));
        for (const QPointF& p : points) {
            press(&picker.widget, p);
            sendMouse(&picker.widget, QEvent::MouseMove, p + QPointF(1.5, -2.5), Qt::NoButton, Qt::LeftButton);
            sendMouse(&picker.widget, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
            QVERIFY(finite(picker.widget.selectorPosition()));
            QVERIFY(picker.widget.color().isValid());
            QVERIFY(picker.widget.color().hsvHue() < 360);
        }
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Down, Qt::Key_Right}) {
            QTest::keyClick(&picker.widget, key);
            QVERIFY(picker.widget.color().isValid());
        }
        // Painting fills the triangle into an image of the widget's size.
        const QImage shot = picker.widget.grab().toImage();
        QCOMPARE(shot.isNull(), size.isEmpty());
    }
}

QTEST_MAIN(tst_QtColorTriangle)
#include "tst_QtColorTriangle.moc"
