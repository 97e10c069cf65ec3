// Repaint of the colour triangle picker at the sizes the colony settings editor gives it. The
// hue ring is cached, so a repaint copies it and fills only the triangle pixel by pixel; the
// baseline paints a widget that only copies an image of the same size, so the ratio shows
// what the triangle fill and the markers add. A resize redraws the ring as well.
#include "BenchSupport.h"
#include "QtColorTriangle.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
#include <string>

namespace {

// Paints what every cached picture widget paints at least: its image, copied.
class ImageWidget : public QWidget {
public:
    explicit ImageWidget(const QSize& size) : m_image(size, QImage::Format_RGB32) { m_image.fill(Qt::gray); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QImage copy = m_image.copy();
        painter.drawPixmap(0, 0, QPixmap::fromImage(copy));
    }

private:
    QImage m_image;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    for (int side : {120, 400, 1000}) {
        const QSize size(side, side);
        QtColorTriangle picker;
        picker.resize(size);
        picker.setColor(QColor::fromHsv(200, 180, 160));
        picker.show();
        ImageWidget plain(size);
        plain.resize(size);
        plain.show();
        QApplication::processEvents();
        QPixmap target(size);
        const std::string name = "color_triangle_repaint_" + std::to_string(side) + "px";
        BenchSupport::compare(
            name.c_str(), [&] { picker.render(&target); }, [&] { plain.render(&target); });
        int turn = 0;
        const std::string resizeName = "color_triangle_resize_" + std::to_string(side) + "px";
        BenchSupport::compare(
            resizeName.c_str(),
            [&] {
                picker.resize(side + (++turn % 2), side);
                picker.render(&target);
            },
            [&] { picker.render(&target); });
    }
    return 0;
}
