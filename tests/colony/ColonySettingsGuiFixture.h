#pragma once

// A colony settings editor on its own record, with a recording host that loads, saves and
// resets the record as the main window does, and scripted message boxes and file dialogs.

#include "ChangeNotice.h"
#include "ColonySettings.h"
#include "DialogScript.h"
#include "ColonySettingsGui.h"
#include "IColonySettingsHost.h"
#include "MessageBox_Helper.h"
#include "RecordingSettingsFiles.h"
#include "SettingsNotices.h"
#include "WidgetInput.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QList>
#include <QPair>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <cstdlib>
#include <memory>

namespace ColonySettingsGuiFixture {

using WidgetInput::drive;
using WidgetInput::shown;
using DialogScript::Script;

// Behaves like the main window's settings-file operations and records every call.
class FakeHost : public IColonySettingsHost, public RecordingSettingsFiles<ColonySettings> {
public:
    explicit FakeHost(ColonySettings* settings) : RecordingSettingsFiles(settings), m_settings(settings) {}

    QString colonySettingsFileName() override { return fileName; }
    bool saveColonySettings(const QString& file) override { return save(file); }
    Errors::Type_Error loadColonySettings(const QString& file, bool notify) override
    {
        return load(file, notify, 150, ColonySettings::CustomSignal_PageLeft);
    }
    bool newColonySettings(bool lightTable, const QString& file, bool notify) override
    {
        return reset(QStringLiteral("new:%1:%2").arg(lightTable).arg(file), file, notify, [this, lightTable] {
            if (lightTable)
                m_settings->setDefaultsLightTable();
            else
                m_settings->setDefaults();
        });
    }
    void setColonySettingsActionsChecked(bool checked) override { actionsChecked.append(checked); }

private:
    ColonySettings* m_settings;
};

struct Editor {
    Script script;
    ColonySettings settings;
    FakeHost host{&settings};
    QDockWidget dock;
    std::unique_ptr<ColonySettingsGui> editor;
    // Custom signals of the record from the end of construction on.
    QList<QPair<int, QVariant>> custom;

    explicit Editor(const ColonySettingsData& data = ColonySettingsData::standardDefaults(),
                    IHalconView* view = nullptr)
    {
        settings.data() = data;
        // A new record asks for a change notice of its own; only the editor's count here.
        settings.setChangedBlocked(true);
        settings.setChangedBlocked(false);
        // Connected before the editor, so signals the editor sends while handling one come after it.
        QObject::connect(&settings, &ColonySettings::signal_custom,
                         [this](ColonySettings::Enum_CustomSignal number, const QVariant& value) {
                             custom.append({int(number), value});
                         });
        editor = std::make_unique<ColonySettingsGui>(&host, view, &settings, &dock);
        dock.setWidget(editor.get());
        custom.clear();
    }

    ~Editor()
    {
        // The editor's tools end before anything they work on.
        editor.reset();
    }

    template <typename Widget>
    Widget* widget(const char* name) const
    {
        return editor->findChild<Widget*>(QLatin1String(name));
    }

    // Announcements of an edit: custom signal 3 with true.
    int modifiedNotices() const
    {
        return SettingsNotices::countTrue(custom, ColonySettings::CustomSignal_ModifiedChanged);
    }
    QList<int> customNumbers() const { return SettingsNotices::numbers(custom); }
    // The record's debounced change notice is on its way.
    bool changePending() const { return ChangeNotice::pending(settings); }

    void forgetNotices()
    {
        custom.clear();
        script.boxes.clear();
        ChangeNotice::forget(settings);
    }
};

} // namespace ColonySettingsGuiFixture
