#pragma once

// A colony settings editor on its own record, with a recording host that loads, saves and
// resets the record as the main window does, and scripted message boxes and file dialogs.

#include "ColonySettings.h"
#include "ColonySettingsGui.h"
#include "IColonySettingsHost.h"
#include "MessageBox_Helper.h"
#include "RecordingSettingsFiles.h"
#include "SettingsNotices.h"

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

// Changes a widget as the operator does: a spin box or slider gets the value, a button or
// checkable group box the check state, a combo box the entry, chosen with the arrow keys
// (so that "activated" is sent as well). false when the widget is of another kind.
inline bool drive(QWidget* widget, const QVariant& input)
{
    if (auto* box = qobject_cast<QDoubleSpinBox*>(widget)) {
        box->setValue(input.toDouble());
    } else if (auto* intBox = qobject_cast<QSpinBox*>(widget)) {
        intBox->setValue(input.toInt());
    } else if (auto* slider = qobject_cast<QSlider*>(widget)) {
        slider->setValue(input.toInt());
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setChecked(input.toBool());
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setChecked(input.toBool());
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        // Counted once: a refused choice puts the old entry back.
        const int steps = input.toInt() - combo->currentIndex();
        for (int i = 0; i < std::abs(steps); ++i)
            QTest::keyClick(combo, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    } else {
        return false;
    }
    return true;
}

// The value a widget shows, in the kind drive takes.
inline QVariant shown(QWidget* widget)
{
    if (auto* box = qobject_cast<QDoubleSpinBox*>(widget))
        return box->value();
    if (auto* intBox = qobject_cast<QSpinBox*>(widget))
        return intBox->value();
    if (auto* slider = qobject_cast<QSlider*>(widget))
        return slider->value();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->isChecked();
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return group->isChecked();
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->currentIndex();
    return QVariant();
}

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

// Every message box and file dialog goes to the lists; answers are taken in order, then the
// box's default answer and a cancelled dialog.
struct Script {
    QList<MessageBox_Helper::Request> boxes;
    QList<MessageBox_Helper::FileRequest> files;
    QList<QMessageBox::StandardButton> answers;
    QStringList fileAnswers;

    Script()
    {
        MessageBox_Helper::setAnswerFunction([this](const MessageBox_Helper::Request& request) {
            boxes.append(request);
            return answers.isEmpty() ? MessageBox_Helper::defaultAnswer(request) : answers.takeFirst();
        });
        MessageBox_Helper::setFileAnswerFunction([this](const MessageBox_Helper::FileRequest& request) {
            files.append(request);
            return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
        });
    }
    ~Script()
    {
        MessageBox_Helper::setAnswerFunction({});
        MessageBox_Helper::setFileAnswerFunction({});
    }
    QStringList titles() const
    {
        QStringList result;
        for (const MessageBox_Helper::Request& box : boxes)
            result.append(box.title);
        return result;
    }
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
    bool changePending() const { return SettingsNotices::changePending(settings); }

    void forgetNotices()
    {
        custom.clear();
        script.boxes.clear();
        settings.setChangedBlocked(true);
        settings.setChangedBlocked(false);
    }
};

} // namespace ColonySettingsGuiFixture
