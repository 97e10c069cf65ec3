#include "Gui_Helper_ScrollStrip.h"

#include <QEvent>
#include <QScrollBar>

Gui_Helper_ScrollStrip::Gui_Helper_ScrollStrip(QWidget* parent)
    : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    // The bar comes and goes with the width: the strip's height follows it.
    connect(horizontalScrollBar(), &QScrollBar::rangeChanged, this, [this] { updateGeometry(); });
}

void Gui_Helper_ScrollStrip::setContent(QWidget* content)
{
    setWidget(content);
    if (!content)
        return;
    content->installEventFilter(this);
    setVisible(!content->isHidden());
}

bool Gui_Helper_ScrollStrip::eventFilter(QObject* watched, QEvent* event)
{
    // Callers hide and show the content they know; the strip around it follows.
    if (watched == widget() && (event->type() == QEvent::HideToParent || event->type() == QEvent::ShowToParent))
        setVisible(event->type() == QEvent::ShowToParent);
    return QScrollArea::eventFilter(watched, event);
}

int Gui_Helper_ScrollStrip::contentHeight() const
{
    const QWidget* content = widget();
    int height = content ? content->sizeHint().height() : 0;
    if (horizontalScrollBar()->maximum() > horizontalScrollBar()->minimum())
        height += horizontalScrollBar()->sizeHint().height();
    return height;
}

QSize Gui_Helper_ScrollStrip::sizeHint() const
{
    const QWidget* content = widget();
    return {content ? content->sizeHint().width() : 0, contentHeight()};
}

QSize Gui_Helper_ScrollStrip::minimumSizeHint() const
{
    return {QScrollArea::minimumSizeHint().width(), contentHeight()};
}
