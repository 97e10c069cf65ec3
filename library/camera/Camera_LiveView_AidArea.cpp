#include "Camera_LiveView_AidArea.h"

#include <QEvent>
#include <QGroupBox>
#include <QVBoxLayout>

#include <algorithm>

Camera_LiveView_AidArea::Camera_LiveView_AidArea(const QList<QGroupBox*>& panels, QWidget* liveView)
    : Gui_Helper_ScrollColumn(liveView)
    , m_panels(panels)
    , m_liveView(liveView)
{
    setObjectName(QStringLiteral("m_QScrollArea_Aids"));
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("m_QWidget_Aids"));
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QGroupBox* panel : panels) {
        if (QLayout* place = panel->parentWidget() ? panel->parentWidget()->layout() : nullptr)
            place->removeWidget(panel);
        layout->addWidget(panel);
        panel->installEventFilter(this);
    }
    layout->addStretch();
    setWidget(content);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    liveView->installEventFilter(this);
    share();
}

bool Camera_LiveView_AidArea::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool panelShownOrHidden = (type == QEvent::ShowToParent || type == QEvent::HideToParent)
        && std::any_of(m_panels.cbegin(), m_panels.cend(), [watched](const QGroupBox* panel) { return panel == watched; });
    if ((watched == m_liveView && type == QEvent::Resize) || (watched == widget() && type == QEvent::LayoutRequest)
        || panelShownOrHidden)
        share();
    return Gui_Helper_ScrollColumn::eventFilter(watched, event);
}

void Camera_LiveView_AidArea::share()
{
    const bool open = std::any_of(m_panels.cbegin(), m_panels.cend(),
                                  [](const QGroupBox* panel) { return !panel->isHidden(); });
    if (open == isHidden())
        setVisible(open);
    const int wanted = widget()->sizeHint().height() + 2 * frameWidth();
    const int most = std::max(m_liveView->height() / kShareDivisor, minimumSizeHint().height());
    setMaximumHeight(std::min(wanted, most));
}
