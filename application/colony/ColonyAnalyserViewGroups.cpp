#include "ColonyAnalyserViewGroups.h"

#include <Hobject_View_Gui.h>

#include <QCoreApplication>

namespace {

// The captions are the page's texts.
QString pageText(const char* text)
{
    return QCoreApplication::translate("ColonyAnalyserGui", text);
}

struct Group {
    const char* caption;
    const char* prefix;
    bool flag;
};

struct Selector {
    const char* caption;
    const char* prefix;
    bool visible;
    bool checked;
};

} // namespace

void ColonyAnalyserViewGroups::install(Hobject_View_Gui& view)
{
    static const Group pictureGroups[] = {
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Normal"), "HalconPicture_Colonies_Normal.", false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Preprocessed"), "HalconPicture_Colonies_Preprocessed.", true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Color Filtered"), "HalconPicture_Colonies_Color_Preprocessed.", false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Red"), "HalconPicture_Colonies_Color_Red.", false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Green"), "HalconPicture_Colonies_Color_Green.", false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Blue"), "HalconPicture_Colonies_Color_Blue.", false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Hue"), "HalconPicture_Colonies_Color_Hue.", false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Saturation"), "HalconPicture_Colonies_Color_Saturation.", false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Intensity"), "HalconPicture_Colonies_Color_Intensity.", false},
    };
    for (const Group& g : pictureGroups)
        view.addPictureGroup(pageText(g.caption), QLatin1String(g.prefix), g.flag);
    static const Group objectGroups[] = {
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Reference Points"), "HalconObject_ReferencePoints", false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Labware"), "HalconObject_Colonies_SearchArea.", true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Margin"), "HalconObject_Margins.", true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Colonies"), "HalconObject_Colonies.", true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Preprocessed (Hidden)"), "HalconObject_Colonies_Preprocessed.", false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Th. combined"), "HalconObject_Colonies_Threshold_Combined.", true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Th. Hue"), "HalconObject_Colonies_Threshold_Hue.", true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Th. Saturation"), "HalconObject_Colonies_Threshold_Saturation.", true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Th. Intensity"), "HalconObject_Colonies_Threshold_Intensity.", true},
    };
    for (const Group& g : objectGroups)
        view.addObjectGroup(pageText(g.caption), QLatin1String(g.prefix), g.flag);

    // The view has six picture rows: the last three requests find none, as intended.
    static const Selector pictureSelectors[] = {
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Normal"), "HalconPicture_Colonies_Normal.", true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Preprocessed"), "HalconPicture_Colonies_Preprocessed.", true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Color Filtered"), "HalconPicture_Colonies_Color_Preprocessed.", true,
         false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Hue"), "HalconPicture_Colonies_Color_Hue.", true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Saturation"), "HalconPicture_Colonies_Color_Saturation.", true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Intensity"), "HalconPicture_Colonies_Color_Intensity.", true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Red"), "HalconPicture_Colonies_Color_Red.", true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Green"), "HalconPicture_Colonies_Color_Green.", true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Blue"), "HalconPicture_Colonies_Color_Blue.", true, false},
    };
    for (const Selector& s : pictureSelectors) {
        const QString caption = pageText(s.caption);
        view.addPictureSelector(caption, QLatin1String(s.prefix), caption, s.visible, s.checked);
    }
    static const Selector objectSelectors[] = {
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Reference Points"), "HalconObject_ReferencePoints", true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Labware"), "HalconObject_Colonies_SearchArea.", true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Colony Margins"), "HalconObject_Margins.", true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Colonies"), "HalconObject_Colonies.", true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Th. combined"), "HalconObject_Colonies_Threshold_Combined.", true,
         false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Th. Hue"), "HalconObject_Colonies_Threshold_Hue.", true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Th. Saturation"), "HalconObject_Colonies_Threshold_Saturation.", true,
         false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Th. Intensity"), "HalconObject_Colonies_Threshold_Intensity.", true,
         false},
    };
    for (const Selector& s : objectSelectors) {
        const QString caption = pageText(s.caption);
        view.addObjectSelector(caption, QLatin1String(s.prefix), caption, s.visible, s.checked);
    }
    view.addSelectorEntry(QStringLiteral("HalconObject_Colonies_Preprocessed."),
                          QStringLiteral("HalconPicture_Colonies_Preprocessed."), pageText("Preprocessed"), false,
                          true);
}
