// Makes the image stitcher demo of the main window from the project's plate generator: a large
// tray with crosses in six overlapping views "QTray-Plate-01.png" .. "-06.png" and the cross
// model's files beside "Demo_QTray-Plate.ImageStitcherSettings" (template picture and shape
// model). The build runs it into the program's settings folder.
//
//   stitcher_demo_files <folder>                   views and model files into folder
//   stitcher_demo_files <folder> --settings <dir>  also writes the two demo settings files,
//       "Demo_QTray-Plate.ImageStitcherSettings" into folder and
//       "Demo_QTray-Plate.ColonySettings" into dir (as kept in settings/ of the sources)

#include <ColonySettings.h>
#include <Errors.h>
#include <Halcon_Helper.h>
#include <Hobject_View_Gui.h>
#include <ImageStitcherSettings.h>
#include <ModelMatching.h>
#include <ModelMatching_Analyse_CreateModel.h>
#include <ModelMatching_Analyse_SearchModel.h>
#include <ModelMatching_ModelPicture.h>
#include <PictureCrossSearch.h>
#include <PlateScenes.h>

#include <QApplication>
#include <QDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

const QString kBaseName = QStringLiteral("Demo_QTray-Plate");

PlateScenes::TrayOptions trayOptions()
{
    PlateScenes::TrayOptions options;
    options.seed = 2024;
    return options;
}

// The cross model's region of interest: the cross at the template's centre.
ModelMatchingRoi crossRoi()
{
    ModelMatchingRoi roi;
    roi.PositionX = 30.0;
    roi.PositionY = 17.5;
    roi.SizeX = 40.0;
    roi.SizeY = 40.0;
    return roi;
}

bool writeViews(const PlateScenes::TrayScene& tray, const QDir& folder)
{
    for (size_t n = 0; n < tray.views.size(); ++n) {
        const QString path = folder.filePath(QStringLiteral("QTray-Plate-%1.png").arg(n + 1, 2, 10, QLatin1Char('0')));
        if (Halcon_Helper::SaveImageFile(path, tray.views[n].image, QStringLiteral("png"), false, false) != 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

// The template picture and the shape model, made as the stitcher's define-model mode makes
// them, written beside the settings file.
bool writeCrossModel(ImageStitcherSettings& settings, const QDir& folder)
{
    Hobject_View_Gui viewer(nullptr, QStringLiteral("Cross Model"));
    ModelMatching facade(QStringLiteral("CrossModel"), &settings.data().CrossModel);
    settings.setCrossModel(&facade);
    ModelMatching_ModelPicture picture(&facade, QStringLiteral("modelmatching"), false);
    ModelMatching_Analyse_CreateModel creator(&facade, QStringLiteral("modelmatching.referenceposition"), &viewer);
    ModelMatching_Analyse_SearchModel searcher(&facade, QStringLiteral("modelmatching.referenceposition"), &viewer);
    ModelMatchingCreateResult result;
    Errors::Type_Error code = picture.SetModelPicture(PlateScenes::trayCrossTemplate(trayOptions()));
    if (code == 0)
        code = facade.CreateModel(PictureCrossSearch::createParameters(), result);
    if (code == 0)
        code = facade.SaveFiles(folder.path(), kBaseName);
    settings.setCrossModel(nullptr);
    if (code != 0)
        std::fprintf(stderr, "cross model not made: %d\n", int(code));
    return code == 0;
}

// Colony settings for the stitched tray: the reference marks as the stitch shows them (in the
// corner views), the agar as one rectangular container, colonies as the generator draws them.
ColonySettingsData colonySettings(const PlateScenes::TrayScene& tray)
{
    ColonySettingsData settings = ColonySettingsData::standardDefaults();
    settings.name = kBaseName;
    const double longer = std::max(tray.width, tray.height);
    const auto percent = [&](double pixels) { return pixels * 100.0 / longer; };
    const int cornerViews[4] = {0, 3, 2, 5};
    const double search = 9.0 * tray.resolution;

    ColonySettingsData::ReferencePointsData& points = settings.ReferencePoints;
    points.DistanceX = tray.distanceX;
    points.DistanceY = tray.distanceY;
    for (size_t k = 0; k < 4; ++k) {
        const PlateScenes::TrayView& view = tray.views[size_t(cornerViews[k])];
        const double centreRow = tray.viewHeight * 0.5, centreColumn = tray.viewWidth * 0.5;
        const double row = view.row + centreRow + (tray.markRows[k] - view.row - centreRow) / tray.markFactor;
        const double column = view.column + centreColumn + (tray.markColumns[k] - view.column - centreColumn) / tray.markFactor;
        points.SearchPosition[k].X = percent(column - search / 2.0);
        points.SearchPosition[k].Y = percent(row - search / 2.0);
    }
    points.SearchPositionWidth = percent(search);
    points.SearchPositionHeight = percent(search);
    points.FixedPosition = false;
    points.RefPointRadius = tray.markRadius / tray.markFactor;
    points.DistanceRefPointPlaneToAgarPlane = 0.0;

    ColonySettingsData::LabwareData& labware = settings.Labware;
    labware.PositionDirection = ColonySettingsData::LeftToRight;
    labware.RoundArea = false;
    labware.Angle = tray.rotation * 180.0 / std::numbers::pi;
    labware.PositionX = percent(tray.agarColumn - tray.agarHalfWidth);
    labware.PositionY = percent(tray.agarRow - tray.agarHalfHeight);
    labware.SizeX = percent(2.0 * tray.agarHalfWidth);
    labware.SizeY = percent(2.0 * tray.agarHalfHeight);
    labware.SectionsX = 1;
    labware.SectionsY = 1;

    ColonySettingsData::ColonyData& colony = settings.Colony;
    colony.AnalysisMode = 1;
    colony.WhiteOnBlack = false;
    colony.MaxColonyDiameter = 3.5;
    colony.AreaMin = 0.35;
    colony.AreaMax = 7.0;
    colony.CircularityMin = 0.7;
    colony.NeighborDistanceMin = 0.2;
    colony.NeighborDistanceMaxNorm = 1.5;
    colony.MarginDistanceMin = 0.2;
    colony.MarginDistanceMaxNorm = 1.5;
    settings.ColorModel = ColonySettingsData::ColorModelNone;
    return settings;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Errors errors(nullptr);
    const bool withSettings = argc == 4 && QLatin1String(argv[2]) == QLatin1String("--settings");
    if (argc != 2 && !withSettings) {
        std::fprintf(stderr, "usage: %s <folder> [--settings <colony settings folder>]\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }

    const PlateScenes::TrayScene tray = PlateScenes::generateTray(trayOptions());
    ImageStitcherSettings settings;
    settings.data().CrossModel.Model.ROI = {crossRoi()};
    if (!writeViews(tray, folder) || !writeCrossModel(settings, folder))
        return 1;
    if (!withSettings)
        return 0;

    if (!settings.saveToFile(folder.filePath(kBaseName))) {
        std::fprintf(stderr, "cannot write the stitcher settings\n");
        return 1;
    }
    ColonySettings colony;
    colony.data() = colonySettings(tray);
    const QDir colonyFolder(QString::fromLocal8Bit(argv[3]));
    if (!QDir().mkpath(colonyFolder.path()) || !colony.saveToFile(colonyFolder.filePath(kBaseName))) {
        std::fprintf(stderr, "cannot write the colony settings\n");
        return 1;
    }
    return 0;
}
