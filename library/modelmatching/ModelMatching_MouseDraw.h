#pragma once

#include <Hobject_View_MouseDraw_Rectangle_Host.h>

#include <QPointer>

class Hobject_View_Gui;
class ModelMatching;
class ModelMatchingSettings;

// What the region and search-rectangle mouse tools share: the viewer and facade they work
// on, the rectangle tools they own and the three signals their editor relays. GUI thread
// only.
class ModelMatching_MouseDraw : public Hobject_View_MouseDraw_Rectangle_Host {
    Q_OBJECT
signals:
    void signal_SettingChanged();
    void signal_AnalysingAbort();
    void signal_NewDialogSettings();

protected:
    // Neither viewer nor facade is owned.
    ModelMatching_MouseDraw(Hobject_View_Gui* view, ModelMatching* facade, QObject* parent);

    // The facade's record; null without facade or record.
    ModelMatchingSettings* settings() const;
    void repaint();

    const QPointer<Hobject_View_Gui> m_view;
    const QPointer<ModelMatching> m_facade;
};
