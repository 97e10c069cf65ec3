#include "Hobject_View_Selectors.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>

namespace {

template <typename Button>
std::vector<Button*> buttonsToSet(const std::vector<Hobject_View_Gui::SelectorEntry>& selectors, const QString& prefix,
                                  bool checked)
{
    std::vector<Button*> buttons;
    for (const Hobject_View_Gui::SelectorEntry& selector : selectors) {
        if (selector.prefix.startsWith(prefix) && selector.checked != checked)
            buttons.push_back(static_cast<Button*>(selector.button));
    }
    return buttons;
}

} // namespace

void Hobject_View_Selectors::clear()
{
    m_pictureGroups.clear();
    m_objectGroups.clear();
    m_pictureSelectors.clear();
    m_objectSelectors.clear();
    m_links.clear();
}

bool Hobject_View_Selectors::pictureVisible(const QString& name) const
{
    if (name.isEmpty())
        return true;
    for (const SelectorEntry& selector : m_pictureSelectors) {
        if (name.startsWith(selector.prefix))
            return selector.checked;
    }
    for (const GroupEntry& group : m_pictureGroups) {
        if (name.startsWith(group.prefix))
            return group.visibleByDefault;
    }
    return false;
}

bool Hobject_View_Selectors::objectVisible(const QString& name) const
{
    if (name.isEmpty())
        return true;
    bool hiddenByLink = false;
    for (const SelectorEntry& selector : m_pictureSelectors) {
        if (!selector.checked)
            continue;
        for (const SelectorLink& link : m_links) {
            if (!link.enabled || link.picturePrefix != selector.prefix)
                continue;
            if (name.startsWith(link.objectPrefix))
                return true;
            if (link.hidesOthers)
                hiddenByLink = true;
        }
    }
    if (hiddenByLink)
        return false;
    for (const SelectorEntry& selector : m_objectSelectors) {
        if (name.startsWith(selector.prefix))
            return selector.checked;
    }
    for (const GroupEntry& group : m_objectGroups) {
        if (name.startsWith(group.prefix))
            return group.visibleByDefault;
    }
    return false;
}

void Hobject_View_Selectors::syncCheckedStates()
{
    for (SelectorEntry& selector : m_pictureSelectors)
        selector.checked = selector.button->isChecked();
    for (SelectorEntry& selector : m_objectSelectors)
        selector.checked = selector.button->isChecked();
}

void Hobject_View_Selectors::setRowVisible(const QWidget* row, bool visible)
{
    for (SelectorEntry& selector : m_pictureSelectors) {
        if (selector.container == row)
            selector.rowVisible = visible;
    }
    for (SelectorEntry& selector : m_objectSelectors) {
        if (selector.container == row)
            selector.rowVisible = visible;
    }
}

std::vector<QWidget*> Hobject_View_Selectors::pictureRows(const QString& prefix, bool hiding,
                                                         QRadioButton*& toCheck) const
{
    toCheck = nullptr;
    std::vector<QWidget*> rows;
    for (const SelectorEntry& selector : m_pictureSelectors) {
        if (!selector.prefix.startsWith(prefix))
            continue;
        if (hiding && selector.checked && !toCheck) {
            // The choice moves to a picture that stays on offer.
            for (const SelectorEntry& other : m_pictureSelectors) {
                if (!other.checked && !other.prefix.startsWith(prefix)) {
                    toCheck = static_cast<QRadioButton*>(other.button);
                    break;
                }
            }
        }
        rows.push_back(selector.container);
    }
    return rows;
}

std::vector<QRadioButton*> Hobject_View_Selectors::pictureButtonsToSet(const QString& prefix, bool checked) const
{
    return buttonsToSet<QRadioButton>(m_pictureSelectors, prefix, checked);
}

QString Hobject_View_Selectors::currentPictureSelector() const
{
    for (const SelectorEntry& selector : m_pictureSelectors) {
        if (selector.checked)
            return selector.prefix;
    }
    return QString();
}

std::vector<QWidget*> Hobject_View_Selectors::objectRows(const QString& prefix) const
{
    std::vector<QWidget*> rows;
    for (const SelectorEntry& selector : m_objectSelectors) {
        if (selector.prefix.startsWith(prefix))
            rows.push_back(selector.container);
    }
    return rows;
}

std::vector<QCheckBox*> Hobject_View_Selectors::objectButtonsToSet(const QString& prefix, bool checked) const
{
    return buttonsToSet<QCheckBox>(m_objectSelectors, prefix, checked);
}

bool Hobject_View_Selectors::objectSelectorChecked(const QString& prefix) const
{
    for (const SelectorEntry& selector : m_objectSelectors) {
        if (selector.prefix == prefix)
            return selector.checked;
    }
    return false;
}
