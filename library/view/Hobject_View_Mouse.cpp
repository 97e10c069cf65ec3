#include "Hobject_View_Mouse.h"

#include <QCursor>
#include <QRect>
#include <QRubberBand>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <utility>

Hobject_View_Mouse::Hobject_View_Mouse(QWidget* picture, QToolButton* zoomRange, Actions actions)
    : m_picture(picture)
    , m_zoomRange(zoomRange)
    , m_actions(std::move(actions))
    , m_rubberBand(new QRubberBand(QRubberBand::Rectangle, picture))
{
}

bool Hobject_View_Mouse::zoomRangeChosen() const
{
    return m_zoomRange->isChecked();
}

void Hobject_View_Mouse::press(const QPoint& point, double x, double y, Qt::KeyboardModifiers modifiers)
{
    if (m_toolMode)
        return;
    if (!zoomRangeChosen()) {
        m_picture->setCursor(Qt::ClosedHandCursor);
        m_panStartColumn = int(x + 0.5);
        m_panStartRow = int(y + 0.5);
        m_panActive = true;
        m_actions.pick(x, y, modifiers);
    } else {
        m_rubberBandStartColumn = int(x + 0.5);
        m_rubberBandStartRow = int(y + 0.5);
        m_rubberBandPressPoint = point;
        m_rubberBand->setGeometry(QRect(m_rubberBandPressPoint, QSize()));
        m_rubberBand->show();
    }
}

void Hobject_View_Mouse::move(const QPoint& point, double x, double y)
{
    if (m_toolMode)
        return;
    if (zoomRangeChosen()) {
        QPoint limited = point;
        limited.setX(std::clamp(limited.x(), 0, std::max(m_picture->width() - m_picture->x(), 0)));
        limited.setY(std::clamp(limited.y(), 0, std::max(m_picture->height() - m_picture->y(), 0)));
        m_rubberBand->setGeometry(QRect(m_rubberBandPressPoint, limited).normalized());
    } else if (m_panActive) {
        m_actions.pan(m_panStartColumn - int(x + 0.5), m_panStartRow - int(y + 0.5));
    }
}

void Hobject_View_Mouse::release(double x, double y)
{
    if (!m_toolMode && zoomRangeChosen()) {
        m_rubberBand->hide();
        m_zoomRange->setChecked(false);
        m_actions.zoomTo(Hobject_View_ZoomPan::zoomRange(m_rubberBandStartColumn, m_rubberBandStartRow, int(x + 0.5),
                                                         int(y + 0.5)));
    } else if (m_panActive) {
        m_picture->setCursor(Qt::ArrowCursor);
        m_panActive = false;
    }
}

void Hobject_View_Mouse::hideRubberBand()
{
    if (m_rubberBand)
        m_rubberBand->hide();
}

void Hobject_View_Mouse::beginToolMode(const QCursor& cursor)
{
    m_panActive = false;
    m_zoomRange->setChecked(false);
    m_zoomRange->setEnabled(false);
    m_picture->setCursor(cursor);
    m_toolMode = true;
}

void Hobject_View_Mouse::endToolMode()
{
    m_panActive = false;
    m_zoomRange->setEnabled(true);
    m_picture->setCursor(Qt::ArrowCursor);
    m_toolMode = false;
}
