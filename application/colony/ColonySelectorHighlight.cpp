#include "ColonySelectorHighlight.h"

#include <Hobject_View_Gui.h>

QString ColonySelectorHighlight::prefixForPage(int page)
{
    switch (page) {
    case 1:
        return QStringLiteral("HalconObject_ReferencePoints");
    case 2:
        return QStringLiteral("HalconObject_Colonies_SearchArea.");
    case 3:
        return QStringLiteral("HalconObject_Margins.");
    case 4:
    case 5:
        return QStringLiteral("HalconObject_Colonies.");
    default:
        return QString();
    }
}

void ColonySelectorHighlight::pageEntered(Hobject_View_Gui& view, int page)
{
    const QString prefix = prefixForPage(page);
    if (prefix == m_prefix)
        return;
    if (m_active) {
        view.setObjectSelectorsChecked(m_prefix, m_checkedBefore, true);
        m_active = false;
        m_prefix.clear();
    }
    if (!prefix.isEmpty() && !view.isObjectSelectorChecked(prefix)) {
        m_active = true;
        m_checkedBefore = false;
        m_prefix = prefix;
        view.setObjectSelectorsChecked(prefix, true, true);
    }
}
