#include "QtColorTriangle.h"

#include <QConicalGradient>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// Hue 360 is the same red as 0; QColor only takes 0 to 359.
int wrapHue(int hue)
{
    return ((hue % 360) + 360) % 360;
}

QColor hsvColor(int hue, int saturation, int value)
{
    return QColor::fromHsv(wrapHue(hue), std::clamp(saturation, 0, 255), std::clamp(value, 0, 255));
}

bool finite(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

QPointF lerp(const QPointF& from, const QPointF& to, double t)
{
    return from + (to - from) * t;
}

double cross(const QPointF& a, const QPointF& b)
{
    return a.x() * b.y() - a.y() * b.x();
}

int channel(double value)
{
    if (!std::isfinite(value))
        return 0;
    return std::clamp(int(std::floor(value)), 0, 255);
}

// A vertex's colour and place, for the crossings of a horizontal line with an edge.
struct Crossing {
    double x = 0.0;
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

// An edge less than a pixel high has no slope worth following: it gives the colour of the
// end vertex named flat. For a short edge that is the middle vertex, the one the long edge
// does not reach, so that a level edge still spans the whole row.
template <typename Vertex>
Crossing crossEdge(const Vertex& from, const Vertex& to, double y, const Vertex& flat)
{
    const double height = to.point.y - from.point.y;
    if (std::floor(height) == 0.0)
        return Crossing{flat.point.x, flat.color.r, flat.color.g, flat.color.b};
    const double t = (y - from.point.y) / height;
    return Crossing{from.point.x + (to.point.x - from.point.x) * t, from.color.r + (to.color.r - from.color.r) * t,
                    from.color.g + (to.color.g - from.color.g) * t, from.color.b + (to.color.b - from.color.b) * t};
}

} // namespace

QtColorTriangle::QtColorTriangle(QWidget* parent)
    : QWidget(parent)
    , backgroundImage(100, 100, QImage::Format_RGB32)
{
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    setFocusPolicy(Qt::StrongFocus);
    setColor(QColor::fromHsv(76, 184, 206));
}

QtColorTriangle::~QtColorTriangle() = default;

QSize QtColorTriangle::sizeHint() const
{
    return QSize(100, 100);
}

int QtColorTriangle::heightForWidth(int width) const
{
    return width;
}

void QtColorTriangle::setColor(const QColor& col)
{
    if (!col.isValid() || col == currentColor)
        return;
    currentColor = col;
    const int hue = col.hsvHue();
    if (hue != -1)
        currentHue = hue;
    setAnglesFromA((360 - currentHue) * kTwoPi / 360.0 + kPi / 2.0);
    updateGeometry();
    update();
    emit colorChanged(currentColor);
}

QPointF QtColorTriangle::centre() const
{
    const QRect cr = contentsRect();
    return QPointF((cr.left() + cr.right()) / 2, (cr.top() + cr.bottom()) / 2);
}

QPointF QtColorTriangle::pointAt(double angle, double radius) const
{
    const QPointF c = centre();
    return QPointF(c.x() + std::cos(angle) * radius, c.y() - std::sin(angle) * radius);
}

void QtColorTriangle::setAnglesFromA(double angle)
{
    angleA = angle;
    if (angleA > kTwoPi)
        angleA -= kTwoPi;
    angleB = angleA + kTwoPi / 3.0;
    angleC = angleB + kTwoPi / 3.0;
    if (angleB > kTwoPi)
        angleB -= kTwoPi;
    if (angleC > kTwoPi)
        angleC -= kTwoPi;
}

void QtColorTriangle::updateGeometry()
{
    const double inner = ringRadius - ringRadius / 5.0;
    pointA = pointAt(angleA, inner);
    pointB = pointAt(angleB, inner);
    pointC = pointAt(angleC, inner);
    hueMarkerCentre = pointAt(angleA, ringRadius - ringRadius / 10.0);
    selectorCentre = selectorForColor(currentColor);
}

void QtColorTriangle::resizeEvent(QResizeEvent*)
{
    const QRect cr = contentsRect();
    ringRadius = std::max(0, std::min((cr.right() - cr.left()) / 2, (cr.bottom() - cr.top()) / 2));
    markerPenWidth = int(std::floor(ringRadius / 50.0));
    markerDiameter = int(std::floor(ringRadius / 12.5));
    updateGeometry();
    backgroundStale = true;
    update();
}

double QtColorTriangle::angleFromCentre(const QPointF& p) const
{
    const QPointF c = centre();
    const double dx = p.x() - c.x();
    const double dy = p.y() - c.y();
    const double distance = std::hypot(dx, dy);
    if (!(distance > 0.0))
        return 0.0;
    const double angle = std::acos(std::clamp(dx / distance, -1.0, 1.0));
    return dy > 0.0 ? kTwoPi - angle : angle;
}

QPointF QtColorTriangle::selectorForColor(const QColor& col) const
{
    if (col == QColor(Qt::black))
        return pointB;
    if (col == QColor(Qt::white))
        return pointC;
    int hue = 0;
    int saturation = 0;
    int value = 0;
    col.getHsv(&hue, &saturation, &value);
    // P1-P2 joins the points of equal value, B-P3 those of equal saturation.
    const QPointF p1 = lerp(pointA, pointB, (255 - value) / 255.0);
    const QPointF p2 = lerp(pointB, pointC, value / 255.0);
    const QPointF p3 = lerp(pointA, pointC, (255 - saturation) / 255.0);
    const QPointF d1 = p2 - p1;
    const QPointF d2 = p3 - pointB;
    const double denominator = cross(d1, d2);
    // Value 0 shrinks P1-P2 to the black vertex; a triangle without size has no lines.
    QPointF result = p1;
    if (std::abs(denominator) > 1e-12) {
        const double t = cross(pointB - p1, d2) / denominator;
        result = p1 + d1 * t;
    }
    return finite(result) ? result : centre();
}

QColor QtColorTriangle::colorAtPoint(const QPointF& p) const
{
    const QRect cr = contentsRect();
    const int radius = std::max(0, std::min((cr.right() - cr.left()) / 2, (cr.bottom() - cr.top()) / 2));
    const double inner = radius - radius / 5.0;
    double hue = angleA - kPi / 2.0;
    if (hue < 0.0)
        hue += kTwoPi;
    hue = hue * 360.0 / kTwoPi;
    const QColor hueColor = hsvColor(360 - int(std::floor(hue)), 255, 255);

    ShadedVertex vertices[3] = {ShadedVertex(hueColor, pointAt(angleA, inner)),
                                ShadedVertex(QColor(Qt::black), pointAt(angleB, inner)),
                                ShadedVertex(QColor(Qt::white), pointAt(angleC, inner))};
    std::sort(std::begin(vertices), std::end(vertices),
              [](const ShadedVertex& a, const ShadedVertex& b) { return a.point.y < b.point.y; });
    const ShadedVertex& top = vertices[0];
    const ShadedVertex& middle = vertices[1];
    const ShadedVertex& bottom = vertices[2];

    const Crossing longEdge = crossEdge(top, bottom, p.y(), top);
    const Crossing shortEdge =
        p.y() < middle.point.y ? crossEdge(top, middle, p.y(), middle) : crossEdge(middle, bottom, p.y(), middle);
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    if (longEdge.x == shortEdge.x) {
        r = (longEdge.r + shortEdge.r) / 2.0;
        g = (longEdge.g + shortEdge.g) / 2.0;
        b = (longEdge.b + shortEdge.b) / 2.0;
    } else {
        const double t = (p.x() - longEdge.x) / (shortEdge.x - longEdge.x);
        r = longEdge.r + (shortEdge.r - longEdge.r) * t;
        g = longEdge.g + (shortEdge.g - longEdge.g) * t;
        b = longEdge.b + (shortEdge.b - longEdge.b) * t;
    }
    return QColor(channel(r), channel(g), channel(b), 255);
}

QPointF QtColorTriangle::clampToTriangle(const QPointF& p) const
{
    const double angleP = angleFromCentre(p);
    const double vertexAngles[3] = {angleFromCentre(pointA), angleFromCentre(pointB), angleFromCentre(pointC)};
    const QPointF vertices[3] = {pointA, pointB, pointC};
    auto inSector = [angleP](double first, double second) {
        double point = angleP;
        if (first > second) {
            second += kTwoPi;
            if (point < kPi)
                point += kTwoPi;
        }
        return first <= point && point < second;
    };
    int edge = 2; // C-A
    if (inSector(vertexAngles[0], vertexAngles[1]))
        edge = 0; // A-B
    else if (inSector(vertexAngles[1], vertexAngles[2]))
        edge = 1; // B-C
    const QPointF& from = vertices[edge];
    const QPointF& to = vertices[(edge + 1) % 3];
    const QPointF& opposite = vertices[(edge + 2) % 3];

    const QPointF direction = to - from;
    const double length2 = QPointF::dotProduct(direction, direction);
    if (!(length2 > 0.0))
        return from;
    // Inside with respect to this edge: on the side of the opposite vertex, or on the edge.
    const double sideOfPoint = cross(direction, p - from);
    const double sideOfOpposite = cross(direction, opposite - from);
    if (sideOfPoint == 0.0 || (sideOfPoint > 0.0) == (sideOfOpposite > 0.0))
        return p;
    const double t = QPointF::dotProduct(p - from, direction) / length2;
    if (t < 0.0)
        return from;
    if (t > 1.0)
        return to;
    return from + direction * t;
}

void QtColorTriangle::renderRing()
{
    const QRect cr = contentsRect();
    backgroundImage = QImage(cr.size(), QImage::Format_RGB32);
    if (backgroundImage.isNull())
        return;
    QPainter painter(&backgroundImage);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(backgroundImage.rect(), palette().base());

    const QRect imageRect = backgroundImage.rect();
    const int cx = (imageRect.left() + imageRect.right()) / 2;
    const int cy = (imageRect.top() + imageRect.bottom()) / 2;
    QConicalGradient gradient(cx, cy, 90);
    for (double t = 0.0; t <= 1.0; t += 0.1)
        gradient.setColorAt(t, hsvColor(int(360 - t * 360), 255, 255));

    const int innerRadius = ringRadius - ringRadius / 5;
    QPainterPath ring;
    ring.addEllipse(cx - innerRadius, cy - innerRadius, 2 * innerRadius + 1, 2 * innerRadius + 1);
    ring.addEllipse(cx - ringRadius, cy - ringRadius, 2 * ringRadius + 1, 2 * ringRadius + 1);
    painter.setClipPath(ring);
    painter.fillRect(imageRect, gradient);

    // Shading of the ring's two edges gives it depth.
    QPen pen;
    pen.setWidthF(backgroundImage.width() / 400.0);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::BevelJoin);
    const QRect innerRect(cx - innerRadius, cy - innerRadius, 2 * innerRadius + 1, 2 * innerRadius + 1);
    const QRect outerRect(cx - ringRadius, cy - ringRadius, 2 * ringRadius + 1, 2 * ringRadius + 1);
    for (int i = 0; i <= 5760; i += 20) {
        const int shade = int((std::cos((i - 1800) / 5760.0 * kTwoPi) * 0.5 + 0.5) * 255);
        const int hue = int(i / 5760.0 * 360);
        pen.setColor(hsvColor(hue, 128 + (255 - shade) / 2, 255 - (255 - shade) / 4));
        painter.setPen(pen);
        painter.drawArc(innerRect, 1440 - i, 20);
        pen.setColor(hsvColor(hue, 128 + shade / 2, 255 - shade / 4));
        painter.setPen(pen);
        painter.drawArc(outerRect, 1440 - i, 20);
    }
}

void QtColorTriangle::fillTriangle(QImage& image, const QPointF& a, const QPointF& b, const QPointF& c,
                                   const QColor& hueColor)
{
    if (image.isNull() || image.format() != QImage::Format_RGB32 || !finite(a) || !finite(b) || !finite(c))
        return;
    struct Vertex {
        RealPoint point;
        RealColor color;
    };
    Vertex vertices[3] = {{{a.x(), a.y()}, {double(hueColor.red()), double(hueColor.green()), double(hueColor.blue())}},
                          {{b.x(), b.y()}, {0.0, 0.0, 0.0}},
                          {{c.x(), c.y()}, {255.0, 255.0, 255.0}}};
    std::sort(std::begin(vertices), std::end(vertices),
              [](const Vertex& l, const Vertex& r) { return l.point.y < r.point.y; });
    const Vertex& top = vertices[0];
    const Vertex& middle = vertices[1];
    const Vertex& bottom = vertices[2];

    const int width = image.width();
    const int firstRow = std::max(0, int(std::floor(top.point.y)));
    const int endRow = std::min(image.height(), int(std::floor(bottom.point.y)));
    for (int row = firstRow; row < endRow; ++row) {
        const double y = row;
        Crossing left = crossEdge(top, bottom, y, top);
        Crossing right = y < middle.point.y ? crossEdge(top, middle, y, middle) : crossEdge(middle, bottom, y, middle);
        if (left.x > right.x)
            std::swap(left, right);
        if (left.x == right.x)
            continue;
        const double span = right.x - left.x;
        const double stepR = (right.r - left.r) / span;
        const double stepG = (right.g - left.g) / span;
        const double stepB = (right.b - left.b) / span;
        const int from = int(std::floor(left.x));
        const int to = int(std::floor(right.x));
        const int firstColumn = std::max(0, from);
        const int endColumn = std::min(width, to);
        // Columns cut off at the left still advance the colour.
        const int skipped = firstColumn - from;
        double r = left.r + stepR * skipped;
        double g = left.g + stepG * skipped;
        double bl = left.b + stepB * skipped;
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int column = firstColumn; column < endColumn; ++column) {
            line[column] = qRgb(int(r) & 0xff, int(g) & 0xff, int(bl) & 0xff);
            r += stepR;
            g += stepG;
            bl += stepB;
        }
    }
}

void QtColorTriangle::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect cr = contentsRect();
    if (event->rect().intersects(cr))
        painter.setClipRegion(event->region().intersected(cr));
    if (backgroundStale) {
        renderRing();
        backgroundStale = false;
    }
    if (backgroundImage.isNull())
        return;
    QImage canvas = backgroundImage.copy();
    fillTriangle(canvas, pointA, pointB, pointC, hsvColor(currentHue, 255, 255));

    QPixmap pixmap = QPixmap::fromImage(canvas);
    {
        QPainter overlay(&pixmap);
        overlay.setRenderHint(QPainter::Antialiasing);
        overlay.setPen(QPen(QColor(0, 0, 0, 128), 0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        overlay.drawLine(pointA, pointB);
        overlay.drawLine(pointB, pointC);
        overlay.drawLine(pointC, pointA);

        auto markerPen = [this](const QColor& under) {
            const int luminance = 30 * under.red() + 59 * under.green() + 11 * under.blue();
            return QPen(luminance > 12800 ? Qt::black : Qt::white, markerPenWidth, Qt::SolidLine, Qt::SquareCap,
                        Qt::BevelJoin);
        };
        overlay.setPen(markerPen(hsvColor(currentHue, 255, 255)));
        overlay.drawEllipse(QRect(int(hueMarkerCentre.x() - markerDiameter * 0.5),
                                  int(hueMarkerCentre.y() - markerDiameter * 0.5), markerDiameter, markerDiameter));
        overlay.setPen(markerPen(currentColor));
        overlay.drawEllipse(QRectF(selectorCentre.x() - markerDiameter * 0.5, selectorCentre.y() - markerDiameter * 0.5,
                                   markerDiameter + 0.5, markerDiameter + 0.5));
    }
    painter.drawPixmap(cr.topLeft(), pixmap);
}

void QtColorTriangle::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF p = event->position();
    const QPointF offset = p - centre();
    if (std::hypot(offset.x(), offset.y()) <= ringRadius - ringRadius / 5) {
        dragMode = 2;
        triangleStep(p);
    } else {
        dragMode = 1;
        hueStep(p, true);
    }
}

void QtColorTriangle::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if (dragMode == 1)
        hueStep(event->position(), false);
    else if (dragMode == 2)
        triangleStep(event->position());
}

void QtColorTriangle::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragMode = 0;
}

void QtColorTriangle::triangleStep(const QPointF& p)
{
    selectorCentre = clampToTriangle(p);
    if (!finite(selectorCentre))
        selectorCentre = centre();
    const QColor col = colorAtPoint(selectorCentre);
    if (col != currentColor) {
        currentColor = col;
        emit colorChanged(currentColor);
    }
    update();
}

void QtColorTriangle::hueStep(const QPointF& p, bool press)
{
    setAnglesFromA(angleFromCentre(p));
    double angle = angleA - kPi / 2.0;
    if (angle < 0.0)
        angle += kTwoPi;
    currentHue = 360 - int(angle * 360.0 / kTwoPi);
    int hue = 0;
    int saturation = 0;
    int value = 0;
    currentColor.getHsv(&hue, &saturation, &value);
    const bool changed = currentHue != hue;
    if (changed)
        currentColor = hsvColor(currentHue, saturation, value);
    updateGeometry();
    if (press || changed)
        emit colorChanged(currentColor);
    update();
}

void QtColorTriangle::keyPressEvent(QKeyEvent* event)
{
    int hue = 0;
    int saturation = 0;
    int value = 0;
    currentColor.getHsv(&hue, &saturation, &value);
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    int& level = shift ? saturation : value;
    switch (event->key()) {
    case Qt::Key_Left:
        --currentHue;
        if (currentHue < 0)
            currentHue += 360;
        break;
    case Qt::Key_Right:
        ++currentHue;
        if (currentHue > 359)
            currentHue -= 360;
        break;
    case Qt::Key_Up:
        level = level < 6 ? 0 : level - 5;
        break;
    case Qt::Key_Down:
        level = level >= 250 ? 255 : level + 5;
        break;
    default:
        return;
    }
    setColor(hsvColor(currentHue, saturation, value));
}
