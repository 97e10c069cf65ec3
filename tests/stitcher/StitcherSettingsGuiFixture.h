#pragma once

// The image stitcher settings editor on its own record and "CrossModel" facade, with six
// plain position viewers, the cross-model viewer, a recording host that loads, saves and
// resets the record as the main window does, and scripted message boxes and file dialogs.

#include "../colony/ColonySettingsGuiFixture.h"
#include "../view/ViewTestHelpers.h"

#include <HalconViewImpl.h>
#include <Hobject_View_Gui.h>
#include <IImageStitcherSettingsHost.h>
#include <ImageStitcherSettings.h>
#include <ImageStitcherSettingsGui.h>
#include <ModelMatching.h>
#include <RecordingSettingsFiles.h>
#include <SettingsNotices.h>
#include <SearchAreaGui.h>

#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QTimer>
#include <QToolButton>
#include <QVariant>

#include <array>
#include <memory>

namespace StitcherSettingsGuiFixture {

using ColonySettingsGuiFixture::Script;

// A spin box ("PositionX", ...) or tool button ("Area", "Move") of one search-area editor.
inline QDoubleSpinBox* areaBox(SearchAreaGui* area, const char* name)
{
    return area->findChild<QDoubleSpinBox*>(QStringLiteral("m_QDoubleSpinBox_SearchPosition_") + QLatin1String(name));
}

inline QToolButton* areaButton(SearchAreaGui* area, const char* name)
{
    return area->findChild<QToolButton*>(QStringLiteral("m_QToolButton_MouseSelect_SearchPosition_")
                                         + QLatin1String(name));
}

// The defaults as the editor leaves them: it hides the cross model's search tolerances, so
// its refresh takes them out of use.
inline ImageStitcherSettingsData shownDefaults()
{
    ImageStitcherSettingsData data;
    data.CrossModel.SearchTolerance.Used = false;
    return data;
}

// Behaves like the main window's settings-file operations and records every call.
class FakeHost : public IImageStitcherSettingsHost, public RecordingSettingsFiles<ImageStitcherSettings> {
public:
    explicit FakeHost(ImageStitcherSettings* settings) : RecordingSettingsFiles(settings), m_settings(settings) {}

    QString imageStitcherSettingsFileName() override { return fileName; }
    bool saveImageStitcherSettings(const QString& file) override { return save(file); }
    Errors::Type_Error loadImageStitcherSettings(const QString& file, bool notify) override
    {
        return load(file, notify, 202, ImageStitcherSettings::CustomSignal_OverviewShown);
    }
    bool newImageStitcherSettings(const QString& name, bool notify) override
    {
        return reset(QStringLiteral("new:") + name, name, notify, [this] { m_settings->setDefaults(); });
    }
    void setImageStitcherSettingsActionsChecked(bool checked) override { actionsChecked.append(checked); }

private:
    ImageStitcherSettings* m_settings;
};

// Six position viewers with one drawing view each, as the stitcher page hands them over; each
// shows a 1000 x 800 picture, so one percent is 10 picture pixels.
struct PositionViews {
    std::array<Hobject_View_Gui, ImageStitcherSettingsData::PicturesCount> viewers;
    std::array<std::unique_ptr<HalconViewImpl>, ImageStitcherSettingsData::PicturesCount> views;

    PositionViews()
    {
        for (size_t n = 0; n < viewers.size(); ++n) {
            viewers[n].setPicture(ViewTestHelpers::grayPicture(1000, 800, 40),
                                  QStringLiteral("HalconPicture_Stitcher_Normal."), false);
            views[n] = std::make_unique<HalconViewImpl>(&viewers[n]);
        }
    }

    QList<IHalconView*> list() const
    {
        QList<IHalconView*> result;
        for (const auto& view : views)
            result.append(view.get());
        return result;
    }
};

struct Editor {
    Script script;
    ImageStitcherSettings settings;
    ModelMatching crossModel{QStringLiteral("CrossModel"), &settings.data().CrossModel};
    FakeHost host{&settings};
    Hobject_View_Gui crossView;
    PositionViews positions;
    QDockWidget dock;
    std::unique_ptr<ImageStitcherSettingsGui> editor;
    // Custom signals of the record from the end of construction on.
    QList<QPair<int, QVariant>> custom;

    explicit Editor(const ImageStitcherSettingsData& data = ImageStitcherSettingsData())
    {
        settings.data() = data;
        settings.setCrossModel(&crossModel);
        // Connected before the editor, so signals the editor sends while handling one come after it.
        QObject::connect(&settings, &ImageStitcherSettings::signal_custom,
                         [this](int number, const QVariant& value) { custom.append({number, value}); });
        editor = std::make_unique<ImageStitcherSettingsGui>(&host, positions.list(), &crossView, &settings,
                                                            &crossModel, &dock);
        dock.setWidget(editor.get());
        forgetNotices();
    }

    ~Editor()
    {
        // The editor's tools end before the viewers they work on.
        editor.reset();
    }

    template <typename Widget>
    Widget* widget(const QString& name) const
    {
        Widget* found = editor->findChild<Widget*>(name);
        if (!found)
            qFatal("no %s in the stitcher settings editor", qPrintable(name));
        return found;
    }

    // Announcements of an edit: custom signal 3 with true.
    int modifiedNotices() const
    {
        return SettingsNotices::countTrue(custom, ImageStitcherSettings::CustomSignal_ModifiedChanged);
    }
    QList<int> customNumbers() const { return SettingsNotices::numbers(custom); }
    // The record's debounced change notice is on its way.
    bool changePending() const { return SettingsNotices::changePending(settings); }

    void forgetNotices()
    {
        custom.clear();
        script.boxes.clear();
        script.files.clear();
        settings.setChangedBlocked(true);
        settings.setChangedBlocked(false);
    }
};

} // namespace StitcherSettingsGuiFixture
