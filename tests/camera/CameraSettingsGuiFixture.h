#pragma once

// A camera settings editor on a simulated camera as the main window builds it: the record,
// the camera over it, the editor in a dock, a main window that records what the editor
// reports, and scripted message boxes and file dialogs.

#include "CameraTestSupport.h"

#include "Camera_Settings_Gui.h"
#include "ChangeNotice.h"
#include "DialogScript.h"
#include "WidgetInput.h"

#include <QComboBox>
#include <QDockWidget>
#include <QList>
#include <QPair>
#include <QSignalSpy>
#include <QStringList>
#include <QTabWidget>
#include <QVariant>

#include <functional>
#include <memory>

namespace CameraSettingsGuiFixture {

using DialogScript::Script;
using WidgetInput::drive;
using WidgetInput::shown;

class RecordingMainWindow : public Camera_Settings_Gui::CallbackFunctions {
public:
    void visibilityChanged(bool visible) override { visibility.append(visible); }
    void titleChanged(QString title) override { titles.append(title); }

    QList<bool> visibility;
    QStringList titles;
};

inline QStringList entries(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

struct Editor {
    Script script;
    CameraTestSupport::CameraFixture camera;
    RecordingMainWindow mainWindow;
    QDockWidget dock;
    std::unique_ptr<Camera_Settings_Gui> editor;
    // Custom signals of the record from the end of construction on.
    QList<QPair<int, QVariant>> custom;
    std::unique_ptr<QSignalSpy> changeNotices;

    // prepare sets the record up before the editor shows it.
    explicit Editor(const std::function<void(Camera_Settings&)>& prepare = {}, bool withMainWindow = true)
    {
        if (prepare)
            prepare(camera.settings);
        // The record's own notice of its construction is not the editor's.
        ChangeNotice::forget(camera.settings);
        QObject::connect(&camera.settings, &Camera_Settings::signal_custom,
                         [this](int number, const QVariant& value) { custom.append({number, value}); });
        editor = std::make_unique<Camera_Settings_Gui>(withMainWindow ? &mainWindow : nullptr, &camera.camera, &dock);
        dock.setWidget(editor.get());
        custom.clear();
        changeNotices = std::make_unique<QSignalSpy>(&camera.settings, &Camera_Settings::signal_changed);
    }

    ~Editor()
    {
        changeNotices.reset();
        editor.reset();
    }

    Camera_Settings& settings() { return camera.settings; }

    template <typename Widget>
    Widget* widget(const char* name) const
    {
        return editor->findChild<Widget*>(QLatin1String(name));
    }

    QString title() const { return mainWindow.titles.isEmpty() ? QString() : mainWindow.titles.last(); }

    QList<int> customNumbers() const
    {
        QList<int> numbers;
        for (const auto& signal : custom)
            numbers.append(signal.first);
        return numbers;
    }

    // The record's debounced change notice is on its way.
    bool changePending() const { return ChangeNotice::pending(camera.settings); }

    void forgetNotices()
    {
        custom.clear();
        script.boxes.clear();
        script.files.clear();
        ChangeNotice::forget(camera.settings);
        changeNotices->clear();
    }

    // Shows the editor on one of its pages, laid out, so that the operator can click there.
    bool showPage(const char* page)
    {
        auto* tabs = editor->findChild<QTabWidget*>(QStringLiteral("m_QTabWidget_Settings"));
        tabs->setCurrentWidget(widget<QWidget>(page));
        dock.show();
        return QTest::qWaitForWindowExposed(&dock);
    }

    // Opens the camera and waits until it runs; the editor has seen it open.
    bool open()
    {
        if (!CameraTestSupport::openAndRun(camera))
            return false;
        return QTest::qWaitFor([this] { return camera.relay.events.contains(QStringLiteral("open")); }, 10000);
    }
};

} // namespace CameraSettingsGuiFixture
