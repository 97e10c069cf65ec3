#include "ColonyPicking.h"

#include "ColonyRackRecord.h"

#include <Hobject_View_Gui.h>
#include <QuendralLibrary.h>

#include <QSignalBlocker>
#include <QTreeWidget>

ColonyPicking::ColonyPicking(const ColonyRackRecord& rack, Hobject_View_Gui* view, QTreeWidget* good,
                             QTreeWidget* rejected)
    : m_rack(rack)
    , m_view(view)
    , m_good(good)
    , m_rejected(rejected)
{
}

void ColonyPicking::rowChanged(QTreeWidgetItem* current)
{
    {
        const QSignalBlocker blocker(m_view);
        m_view->clearSelection(QStringLiteral("HalconObject_Colonies."), false);
    }
    if (current && !QuendralLibrary::IsAutomationServer()) {
        if (current == m_rack.item && !m_rack.objectName.isEmpty()) {
            const QSignalBlocker blocker(m_view);
            m_view->selectObjects(m_rack.objectName, false);
        }
        QTreeWidget* other = otherTable(current->treeWidget());
        {
            const QSignalBlocker blocker(other);
            other->setCurrentItem(nullptr);
        }
        int c = -1;
        int k = -1;
        if (m_rack.findColonyByItem(current, c, k)) {
            const QSignalBlocker blocker(m_view);
            m_view->selectObjects(m_rack.containers[size_t(c)]->colonies[size_t(k)]->objectName, false);
        }
    }
    m_view->updateView(true);
}

void ColonyPicking::objectSelected(const QString& objectName)
{
    {
        const QSignalBlocker blocker(m_view);
        m_view->clearSelection(QStringLiteral("HalconObject_Colonies"), false);
        m_view->selectObjects(objectName, true);
    }
    for (const auto& container : m_rack.containers) {
        for (const auto& colony : container->colonies) {
            if (colony->objectName != objectName || !colony->item)
                continue;
            QTreeWidget* own = colony->item->treeWidget();
            QTreeWidget* other = otherTable(own);
            const QSignalBlocker blockOwn(own);
            const QSignalBlocker blockOther(other);
            other->setCurrentItem(nullptr);
            own->setCurrentItem(colony->item);
        }
    }
}

void ColonyPicking::pressed(double x, double y)
{
    int c = -1;
    int k = -1;
    m_rack.findColonyAt(x, y, c, k);
    // On a colony the view's own selection reports it.
    if (c < 0)
        m_view->clearSelection(QString(), true);
}

void ColonyPicking::centerOn(const QTreeWidgetItem* item)
{
    int c = -1;
    int k = -1;
    if (!m_rack.findColonyByItem(item, c, k))
        return;
    const DatabaseTableZelvorinColony::Dataset& row = m_rack.containers[size_t(c)]->colonies[size_t(k)]->row;
    double xPercent = 0.0;
    double yPercent = 0.0;
    m_view->convertPixelToPercent(row.PosX_px, row.PosY_px, xPercent, yPercent);
    m_view->centerViewOnPercent(xPercent, yPercent);
}
