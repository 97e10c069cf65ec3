#pragma once

#include <Hobject_View_MouseDraw_Rectangle_Area.h>
#include <Hobject_View_MouseDraw_Rectangle_Move.h>

#include <QObject>
#include <QPointer>
#include <QString>

class Hobject_View_Gui;
class ModelMatching;
class ModelMatchingSettings;
class QToolButton;
struct Hobject_View_MouseDraw_Settings;

// What the region and search-rectangle mouse tools share: the viewer and facade they work
// on, the rectangle tools they own (answering both kinds with the same operations) and the
// three signals their editor relays. GUI thread only.
class ModelMatching_MouseDraw : public QObject,
                                private Hobject_View_MouseDraw_Rectangle_Area::CallbackFunctions,
                                private Hobject_View_MouseDraw_Rectangle_Move::CallbackFunctions {
    Q_OBJECT
public:
    // Deletes the tools, which call nothing back as they go.
    ~ModelMatching_MouseDraw() override;

signals:
    void signal_SettingChanged();
    void signal_AnalysingAbort();
    void signal_NewDialogSettings();

protected:
    // Neither viewer nor facade is owned.
    ModelMatching_MouseDraw(Hobject_View_Gui* view, ModelMatching* facade, QObject* parent);

    // Tools on the viewer that call this object back; owned by it.
    Hobject_View_MouseDraw_Rectangle_Area* makeAreaTool(QToolButton* button, const QString& name);
    Hobject_View_MouseDraw_Rectangle_Move* makeMoveTool(QToolButton* button, const Hobject_View_MouseDraw_Settings& style);

    // The facade's record; null without facade or record.
    ModelMatchingSettings* settings() const;
    void repaint();

    const QPointer<Hobject_View_Gui> m_view;
    const QPointer<ModelMatching> m_facade;
};
