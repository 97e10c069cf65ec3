#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QWidget>

// A colour picker: a ring of hues around an equilateral triangle that spans the chosen pure
// hue (vertex A), black (B) and white (C). The ring chooses the hue, a point in the triangle
// saturation and value; the arrow keys step hue, value and (with Shift) saturation. Every new
// colour is announced by colorChanged. GUI thread only.
//
// Angles are radians counter-clockwise from the positive x axis with y pointing up; hue 0
// lies at the top of the ring. The hue is kept apart from the colour, so that grey, black
// and white (which have no hue) keep the triangle where it was.
class QtColorTriangle : public QWidget {
    Q_OBJECT
public:
    explicit QtColorTriangle(QWidget* parent = nullptr);
    ~QtColorTriangle() override;

    QSize sizeHint() const override;
    int heightForWidth(int width) const override;

    QColor color() const { return currentColor; }
    // Degrees 0 to 360 (360 after a press at the very top of the ring, the same red as 0).
    int hue() const { return currentHue; }
    // Centre of the selector circle in widget coordinates.
    QPointF selectorPosition() const { return selectorCentre; }

public slots:
    // An invalid colour is ignored; the current colour again changes nothing.
    void setColor(const QColor& col);

signals:
    void colorChanged(const QColor& col);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct RealColor {
        double r = 0.0;
        double g = 0.0;
        double b = 0.0;
    };
    struct RealPoint {
        double x = 0.0;
        double y = 0.0;
    };
    struct ShadedVertex {
        ShadedVertex() = default;
        ShadedVertex(const QColor& color, const QPointF& point)
            : color{double(color.red()), double(color.green()), double(color.blue())}
            , point{point.x(), point.y()}
        {
        }
        RealColor color;
        RealPoint point;
    };

    QPointF centre() const;
    QPointF pointAt(double angle, double radius) const;
    void setAnglesFromA(double angle);
    // Vertices, hue marker and selector from the stored angles and ring radius.
    void updateGeometry();
    void hueStep(const QPointF& p, bool press);
    void triangleStep(const QPointF& p);
    double angleFromCentre(const QPointF& p) const;
    QPointF selectorForColor(const QColor& col) const;
    QColor colorAtPoint(const QPointF& p) const;
    QPointF clampToTriangle(const QPointF& p) const;
    void renderRing();
    // Gouraud fill of the triangle into image; every write stays inside the image.
    static void fillTriangle(QImage& image, const QPointF& a, const QPointF& b, const QPointF& c,
                             const QColor& hueColor);

    QImage backgroundImage;
    double angleA = 0.0;
    double angleB = 0.0;
    double angleC = 0.0;
    QPointF pointA;
    QPointF pointB;
    QPointF pointC;
    QPointF hueMarkerCentre;
    QColor currentColor;
    int currentHue = 0;
    bool backgroundStale = true;
    int markerPenWidth = 0;
    int markerDiameter = 0;
    int ringRadius = 0;
    QPointF selectorCentre;
    int dragMode = 0; // 0 idle, 1 on the hue ring, 2 in the triangle
};
