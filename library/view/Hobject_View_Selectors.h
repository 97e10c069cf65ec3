#pragma once

#include "Hobject_View_Gui.h"

#include <QString>

#include <vector>

class QCheckBox;
class QRadioButton;
class QWidget;

// The name rules of a viewer: picture and object groups, the selectors of the form and the
// links that show objects with a chosen picture decide by name prefix which layers are
// visible. Among several matching groups or selectors the first registered wins. Not
// locked: the viewer calls it under its mutex; the selector buttons' states are mirrored
// here, so that any thread may ask.
class Hobject_View_Selectors {
public:
    using GroupEntry = Hobject_View_Gui::GroupEntry;
    using SelectorEntry = Hobject_View_Gui::SelectorEntry;
    using SelectorLink = Hobject_View_Gui::SelectorLink;

    void addPictureGroup(const GroupEntry& group) { m_pictureGroups.push_back(group); }
    void addObjectGroup(const GroupEntry& group) { m_objectGroups.push_back(group); }
    int pictureSelectorCount() const { return int(m_pictureSelectors.size()); }
    int objectSelectorCount() const { return int(m_objectSelectors.size()); }
    void addPictureSelector(const SelectorEntry& selector) { m_pictureSelectors.push_back(selector); }
    void addObjectSelector(const SelectorEntry& selector) { m_objectSelectors.push_back(selector); }
    void addLink(const SelectorLink& link) { m_links.push_back(link); }
    void clear();

    bool pictureVisible(const QString& name) const;
    bool objectVisible(const QString& name) const;

    // GUI thread: takes the buttons' states into the mirrors.
    void syncCheckedStates();
    // GUI thread: a selector row was shown or hidden.
    void setRowVisible(const QWidget* row, bool visible);

    // Rows of the picture selectors under prefix. When they are to be hidden and one of them
    // is the chosen picture, toCheck is the first unchosen selector outside prefix, which is
    // to take over the choice (null when there is none).
    std::vector<QWidget*> pictureRows(const QString& prefix, bool hiding, QRadioButton*& toCheck) const;
    // Picture selectors under prefix whose button is not in the state asked for.
    std::vector<QRadioButton*> pictureButtonsToSet(const QString& prefix, bool checked) const;
    // Prefix of the chosen picture selector; empty when none is chosen.
    QString currentPictureSelector() const;
    std::vector<QWidget*> objectRows(const QString& prefix) const;
    std::vector<QCheckBox*> objectButtonsToSet(const QString& prefix, bool checked) const;
    // The state of the object selector with exactly this prefix; false when there is none.
    bool objectSelectorChecked(const QString& prefix) const;

private:
    std::vector<GroupEntry> m_pictureGroups;
    std::vector<GroupEntry> m_objectGroups;
    std::vector<SelectorEntry> m_pictureSelectors;
    std::vector<SelectorEntry> m_objectSelectors;
    std::vector<SelectorLink> m_links;
};
