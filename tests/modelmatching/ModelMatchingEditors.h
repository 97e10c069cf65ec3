#pragma once

#include "ModelMatchingSetup.h"

#include <ModelMatching_AnalyseSettings_Gui.h>
#include <ModelMatching_ModelSettings_Gui.h>
#include <ModelMatching_ModelSettings_ModelPicture_Gui.h>

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

// A change of the settings record, as a test expects it.
using RecordChange = std::function<void(ModelMatchingSettings& settings)>;

// A named child of an editor's form; a missing one ends the test run, as the form is wrong.
template <typename Child>
Child* child(QWidget& editor, const char* name)
{
    Child* found = editor.findChild<Child*>(QLatin1String(name));
    if (!found)
        qFatal("no %s in %s", name, qPrintable(editor.objectName()));
    return found;
}

// Names the three editor signals of an object in the order they come, "<tag>:<signal>".
struct EditorSignalLog {
    QStringList entries;

    template <typename Sender>
    void watch(Sender* sender, const QString& tag)
    {
        QObject::connect(sender, &Sender::signal_SettingChanged, [this, tag] { add(tag, "SettingChanged"); });
        QObject::connect(sender, &Sender::signal_AnalysingAbort, [this, tag] { add(tag, "AnalysingAbort"); });
        QObject::connect(sender, &Sender::signal_NewDialogSettings, [this, tag] { add(tag, "NewDialogSettings"); });
    }

    void add(const QString& tag, const char* signal) { entries.append(tag + QLatin1Char(':') + QLatin1String(signal)); }
};

// The model-matching setup with its three editors, made as the image stitcher's settings
// editor makes them: the template picture editor named "modelmatching", the search
// settings editor with the search position and tolerance groups hidden, the model
// settings editor drawing under "HalconObject_Stitcher_Cross.Model.ROI.". The viewer shows
// the 400 x 300 cross template, so one percent is 4 pixels. The editors (and their mouse
// tools) go before the viewer.
struct ModelMatchingEditors {
    static constexpr const char* kRoiPrefix = "HalconObject_Stitcher_Cross.Model.ROI.";

    static ModelRoiDrawSettings stitcherRoiDrawing()
    {
        ModelRoiDrawSettings draw;
        draw.prefixes = QStringList{QString::fromLatin1(kRoiPrefix)};
        draw.showMedian = true;
        draw.showShock = true;
        draw.showEmphasize = false;
        return draw;
    }

    static SearchPositionDrawSettings stitcherSearchDrawing()
    {
        SearchPositionDrawSettings draw;
        draw.showSearchPosition = false;
        draw.showSearchTolerance = false;
        return draw;
    }

    static RectangleDrawStyle stitcherPictureStyle()
    {
        RectangleDrawStyle style;
        style.name = QStringLiteral("modelmatching");
        return style;
    }

    explicit ModelMatchingEditors(const ModelRoiDrawSettings& roiDrawing = stitcherRoiDrawing(),
                                  const SearchPositionDrawSettings& searchDrawing = stitcherSearchDrawing())
        : setup(false)
    {
        // The template picture editor's own template picture replaces the setup's.
        setup.picture.reset();
        pictureGui = std::make_unique<ModelMatching_ModelSettings_ModelPicture_Gui>(setup.facade.get(),
                                                                                    stitcherPictureStyle());
        setup.setTemplate(CrossScenes::crossTemplate());
        analyseGui = std::make_unique<ModelMatching_AnalyseSettings_Gui>(setup.facade.get(), searchDrawing,
                                                                         setup.viewer.get());
        modelGui = std::make_unique<ModelMatching_ModelSettings_Gui>(setup.facade.get(), roiDrawing,
                                                                     setup.viewer.get());
    }

    ~ModelMatchingEditors()
    {
        modelGui.reset();
        analyseGui.reset();
        pictureGui.reset();
    }

    ModelMatchingSettings& settings() { return setup.settings; }
    Hobject_View_Gui& viewer() { return *setup.viewer; }

    // A drag on the viewer in picture pixels, as the mouse would make it.
    void drag(double fromX, double fromY, double toX, double toY)
    {
        emit setup.viewer->signal_HalconMousePressEvent(fromX, fromY);
        emit setup.viewer->signal_HalconMouseMoveEvent((fromX + toX) / 2.0, (fromY + toY) / 2.0);
        emit setup.viewer->signal_HalconMouseMoveEvent(toX, toY);
        emit setup.viewer->signal_HalconMouseReleaseEvent(toX, toY);
    }

    ModelMatchingSetup setup;
    std::unique_ptr<ModelMatching_ModelSettings_ModelPicture_Gui> pictureGui;
    std::unique_ptr<ModelMatching_AnalyseSettings_Gui> analyseGui;
    std::unique_ptr<ModelMatching_ModelSettings_Gui> modelGui;
};
