#pragma once

// The generated plate scenes behind the colony demo pictures: which labware and seed each demo
// picture is made from, so the picture can be made again with its ground truth.

#include <PlateScenes.h>

#include <QString>

namespace DemoPlateScenes {

struct Demo {
    const char* baseName; // the demo command's name: "Demo_" + baseName + ".tif"
    PlateScenes::Labware labware;
    unsigned seed;
};

inline constexpr Demo colonyDemos[] = {
    {"Plate_gray", PlateScenes::Labware::Wells96, 5},
    {"PetriPlate_gray", PlateScenes::Labware::PetriDish, 5},
};

inline PlateScenes::Options options(const Demo& demo)
{
    PlateScenes::Options options;
    options.labware = demo.labware;
    options.seed = demo.seed;
    return options;
}

inline QString pictureFileName(const Demo& demo)
{
    return QStringLiteral("Demo_") + QLatin1String(demo.baseName) + QStringLiteral(".tif");
}

} // namespace DemoPlateScenes
