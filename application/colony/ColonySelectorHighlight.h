#pragma once

#include <QString>

class Hobject_View_Gui;

// While a page of the colony settings editor is open, the overlays it is about are shown:
// their object selectors are checked when the operator had them off, and set back when the
// editor moves to a page about other overlays.
class ColonySelectorHighlight {
public:
    // The object-name prefix of the overlays an editor page is about; empty for none.
    static QString prefixForPage(int page);

    void pageEntered(Hobject_View_Gui& view, int page);

    bool isActive() const { return m_active; }
    const QString& prefix() const { return m_prefix; }

private:
    bool m_active = false;
    QString m_prefix;
    bool m_checkedBefore = false;
};
