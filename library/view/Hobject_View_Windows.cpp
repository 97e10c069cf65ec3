#include "Hobject_View_Windows.h"

#include <HTuple.h>
#include <HalconDisplay.h>
#include <HalconSystemOps.h>

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QWidget>

using Halcon::HTuple;
using Halcon::Hlong;

namespace {

// Windows are canvases of the layer; a father id only names the widget that shows one (no
// native window is made).
Halcon::Herror openWindow(Hlong width, Hlong height, Hlong father, const char* mode, Hlong& window)
{
    Halcon::set_window_attr("border_width", 0);
    Halcon::set_window_attr("background_color", "black");
    Halcon::set_check("~father");
    const Halcon::Herror opened = Halcon::open_window(0, 0, width, height, father, mode, "", &window);
    Halcon::set_check("father");
    return opened;
}

} // namespace

Hobject_View_Windows::Hobject_View_Windows(QWidget* picture)
    : m_picture(picture)
{
    openWindow(-1, -1, 0, "buffer", m_buffer);
    openWindow(10, 10, Hlong(reinterpret_cast<quintptr>(m_picture)), "visible", m_display);
    Halcon::clear_window(m_display);
    Halcon::set_part_style(m_buffer, 0);
}

Hobject_View_Windows::~Hobject_View_Windows()
{
    Halcon::close_window(m_display);
    Halcon::close_window(m_buffer);
}

Halcon::Herror Hobject_View_Windows::openOffscreen(int width, int height, Hlong& window)
{
    return openWindow(width, height, 0, "buffer", window);
}

void Hobject_View_Windows::resize(int width, int height)
{
    Halcon::set_window_extents(m_display, 0, 0, width, height);
    Halcon::set_window_extents(m_buffer, 0, 0, width, height);
}

void Hobject_View_Windows::setPart(const Hobject_View_ZoomPan::Part& part)
{
    Halcon::set_part(m_buffer, part.row1, part.column1, part.row2, part.column2);
}

void Hobject_View_Windows::present(int width, int height)
{
    if (width >= 1 && height >= 1)
        Halcon::copy_rectangle(m_buffer, m_display, 0, 0, height - 1, width - 1, 0, 0);
    QImage canvas;
    if (Halcon::windowCanvas(m_display, &canvas)) {
        QPainter painter(m_picture);
        painter.drawImage(0, 0, canvas);
    }
}

bool Hobject_View_Windows::mapToPicture(const QPoint& screen, int width, int height, double& x, double& y) const
{
    if (width == 0 || height == 0)
        return false;
    HTuple row1;
    HTuple column1;
    HTuple row2;
    HTuple column2;
    if (Halcon::get_part(m_buffer, &row1, &column1, &row2, &column2) != Halcon::kSuccess)
        return false;
    x = (screen.x() * 100.0 / width) * (column2.D() - column1.D()) / 100.0 + column1.D();
    y = (screen.y() * 100.0 / height) * (row2.D() - row1.D()) / 100.0 + row1.D();
    return true;
}
