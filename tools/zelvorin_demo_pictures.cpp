// Writes the colony demo pictures: grey TIFF pictures of generated plate scenes, one with a
// 96-well plate and one with a Petri dish, into the folder given on the command line. The
// build runs it, so the pictures lie beside the shipped demo settings without being kept in
// the source tree.

#include "DemoPlateScenes.h"

#include <HalconFileOps.h>
#include <HalconImageOps.h>
#include <HalconSystemOps.h>
#include <HalconTypes.h>

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (arguments.size() != 2) {
        err << "Usage: zelvorin-demo-pictures FOLDER\n";
        return 2;
    }
    const QDir folder(arguments.at(1));
    if (!QDir().mkpath(folder.path())) {
        err << "Cannot make the folder " << folder.path() << '\n';
        return 1;
    }
    // Two pictures made once: the operator threads gain nothing here, and a sanitizer build
    // that runs this tool would report their hand-overs inside OpenCV and TBB.
    Halcon::set_system("parallelize_operators", "false");
    for (const DemoPlateScenes::Demo& demo : DemoPlateScenes::colonyDemos) {
        const PlateScenes::Scene scene = PlateScenes::generate(DemoPlateScenes::options(demo));
        Halcon::Hobject grey;
        const QString path = folder.filePath(DemoPlateScenes::pictureFileName(demo));
        if (Halcon::rgb1_to_gray(scene.image, &grey) != Halcon::kSuccess
            || Halcon::write_image(grey, "tiff", 0, path.toLocal8Bit().constData()) != Halcon::kSuccess) {
            err << "Cannot write " << path << '\n';
            return 1;
        }
    }
    return 0;
}
