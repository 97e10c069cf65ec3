#pragma once

// A colony settings editor on its own record, with a recording host that loads, saves and
// resets the record as the main window does, and scripted message boxes and file dialogs.

#include "ChangeNotice.h"
#include "ColonySettings.h"
#include "DialogScript.h"
#include "ColonySettingsGui.h"
#include "IColonySettingsHost.h"
#include "MessageBox_Helper.h"
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
class FakeHost : public IColonySettingsHost {
public:
    explicit FakeHost(ColonySettings* settings) : m_settings(settings) {}

    QStringList calls;
    QString fileName;
    bool saveSucceeds = true;
    bool defaultsSucceed = true;
    QList<bool> actionsChecked;

    QString colonySettingsFileName() override { return fileName; }

    bool saveColonySettings(const QString& file) override
    {
        calls.append(QStringLiteral("save:") + file);
        if (!saveSucceeds || !m_settings->saveToFile(file))
            return false;
        fileName = file;
        return true;
    }

    Errors::Type_Error loadColonySettings(const QString& file, bool notify) override
    {
        calls.append(QStringLiteral("load:") + file);
        m_settings->setChangedBlocked(true);
        const bool loaded = m_settings->loadFromFile(file);
        m_settings->setChangedBlocked(false);
        if (!loaded)
            return 150;
        fileName = file;
        emitReplaced();
        if (notify) {
            m_settings->setChanged(0);
            m_settings->emitCustom(ColonySettings::CustomSignal_PageLeft);
        }
        return 0;
    }

    bool newColonySettings(bool lightTable, const QString& file, bool notify) override
    {
        calls.append(QStringLiteral("new:%1:%2").arg(lightTable).arg(file));
        if (!defaultsSucceed)
            return false;
        m_settings->setChangedBlocked(true);
        if (lightTable)
            m_settings->setDefaultsLightTable();
        else
            m_settings->setDefaults();
        fileName = file;
        emitReplaced();
        m_settings->setChangedBlocked(false);
        if (notify)
            m_settings->setChanged(0);
        return true;
    }

    void setColonySettingsActionsChecked(bool checked) override { actionsChecked.append(checked); }

private:
    void emitReplaced()
    {
        m_settings->emitCustom(ColonySettings::CustomSignal_Replaced);
        m_settings->emitCustom(ColonySettings::CustomSignal_ValuesChanged, QVariant(false));
        m_settings->emitCustom(ColonySettings::CustomSignal_ModifiedChanged, QVariant(false));
    }

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
        int count = 0;
        for (const auto& signal : custom)
            count += signal.first == ColonySettings::CustomSignal_ModifiedChanged && signal.second.toBool();
        return count;
    }

    QList<int> customNumbers() const
    {
        QList<int> numbers;
        for (const auto& signal : custom)
            numbers.append(signal.first);
        return numbers;
    }

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
