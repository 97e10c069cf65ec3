#include "Gui_Helper_ScrollColumn.h"

#include <QEvent>
#include <QScrollBar>

#include <algorithm>

Gui_Helper_ScrollColumn::Gui_Helper_ScrollColumn(QWidget* parent)
    : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

int Gui_Helper_ScrollColumn::widthFor(int contentWidth) const
{
    return contentWidth + verticalScrollBar()->sizeHint().width() + 2 * frameWidth();
}

QSize Gui_Helper_ScrollColumn::sizeHint() const
{
    const QSize area = QScrollArea::sizeHint();
    const QWidget* content = widget();
    if (!content)
        return area;
    return {widthFor(content->sizeHint().expandedTo(content->minimumSizeHint()).width()), area.height()};
}

QSize Gui_Helper_ScrollColumn::minimumSizeHint() const
{
    const QSize area = QScrollArea::minimumSizeHint();
    const QWidget* content = widget();
    if (!content)
        return area;
    return {std::max(area.width(), widthFor(content->minimumSizeHint().width())), area.height()};
}

bool Gui_Helper_ScrollColumn::eventFilter(QObject* watched, QEvent* event)
{
    // Content that needs another width (a page shown, a text changed) widens its column.
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}
