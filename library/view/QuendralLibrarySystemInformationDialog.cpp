#include "QuendralLibrarySystemInformationDialog.h"

#include "Halcon_Helper.h"
#include "Hobject_View_Gui.h"
#include "LibraryFunctions.h"
#include "MessageBox_Helper.h"
#include "QuendralLibrary.h"

#include <QStringList>

QuendralLibrarySystemInformationDialog::QuendralLibrarySystemInformationDialog(QObject* parent)
    : QObject(parent)
{
}

QuendralLibrarySystemInformationDialog::~QuendralLibrarySystemInformationDialog() = default;

QString QuendralLibrarySystemInformationDialog::GetText(const QString& diskPath)
{
    QString text;
    text += QStringLiteral("<p>")
        + tr("<h3>%1 V%2 (%3)</h3>")
              .arg(QuendralLibrary::GetApplicationName(), QuendralLibrary::GetApplicationVersion(),
                   QuendralLibrary::GetPlatformName())
        + QStringLiteral("</p>");

    text += QStringLiteral("<p>") + tr("<b>System information:</b>") + QStringLiteral("</p>") + QStringLiteral("<p>")
        + QStringLiteral("<UL>");
    double pagefileMB = 0.0;
    double peakPagefileMB = 0.0;
    if (getProcessMemoryMB(pagefileMB, peakPagefileMB) == 0) {
        text += QStringLiteral("<LI>")
            + tr("Used application memory: %1 MB (Peak %2 MB)")
                  .arg(QString::number(pagefileMB, 'f', 0), QString::number(peakPagefileMB, 'f', 0));
    }
    double totalMB = 0.0;
    double freeMB = 0.0;
    if (!diskPath.isEmpty() && getDiskSpaceMB(diskPath, totalMB, freeMB) == 0) {
        text += QStringLiteral("<LI>")
            + tr("Free disk space: %1 GB (Total %2 GB)")
                  .arg(QString::number(freeMB / 1024.0, 'f', 1), QString::number(totalMB / 1024.0, 'f', 1));
    }
    text += QStringLiteral("</UL>") + QStringLiteral("</p>");

    QStringList modules;
    if (Halcon_Helper::GetUsedModules(modules) == 0) {
        text += QStringLiteral("<p>") + tr("<b>HALCON modules information (Currently using modules):</b>")
            + QStringLiteral("</p>") + QStringLiteral("<p>") + QStringLiteral("<UL>");
        for (const QString& module : modules)
            text += QStringLiteral("<LI>") + module;
        text += QStringLiteral("</UL>") + QStringLiteral("</p>");
    }

    const int images = Halcon_Helper::GetImageCount();
    const int regions = Halcon_Helper::GetRegionCount();
    const int xlds = Halcon_Helper::GetXldCount();
    const int objects = Halcon_Helper::GetObjectCount();
    const int tuples = Halcon_Helper::GetTupleCount();
    if (images != 0 || regions != 0 || xlds != 0 || objects != 0 || tuples != 0) {
        text += QStringLiteral("<p>") + tr("<b>HALCON elements information:</b>") + QStringLiteral("</p>")
            + QStringLiteral("<p>") + QStringLiteral("<UL>") + QStringLiteral("<LI>") + tr("Images: %1").arg(images)
            + QStringLiteral("<LI>") + tr("Regions: %1").arg(regions) + QStringLiteral("<LI>") + tr("XLDs: %1").arg(xlds)
            + QStringLiteral("<LI>") + tr("Objects: %1").arg(objects) + QStringLiteral("<LI>")
            + tr("Tuples: %1").arg(tuples) + QStringLiteral("</UL>") + QStringLiteral("</p>");
    }

    const QList<Hobject_View_Gui*> views = Hobject_View_Gui::getInstances();
    if (!views.isEmpty()) {
        text += QStringLiteral("<p>") + tr("<b>HALCON view information:</b>") + QStringLiteral("</p>");
        for (const Hobject_View_Gui* view : views) {
            const int objectCount = view->getObjectCount();
            text += QStringLiteral("<p style=\"margin-left: 20\">") + tr("View name: <i>%1</i>").arg(view->getViewName())
                + QStringLiteral("</p>") + QStringLiteral("<p style=\"margin-left: 20\">") + QStringLiteral("<UL>")
                + QStringLiteral("<LI>") + tr("Pictures: %1").arg(view->getPictureCount()) + QStringLiteral("<LI>")
                + tr("Objects: %1").arg(objectCount);
            if (objectCount != 0) {
                int counts[7] = {};
                view->getObjectStatistics(counts[0], counts[1], counts[2], counts[3], counts[4], counts[5], counts[6]);
                const QString lines[7] = {tr(" - Images: %1"),  tr(" - XLD Contours: %1"), tr(" - XLD Polygons: %1"),
                                          tr(" - Regions: %1"), tr(" - Texts: %1"),        tr(" - Lines: %1"),
                                          tr(" - Crosses: %1")};
                for (int i = 0; i < 7; ++i) {
                    if (counts[i] != 0)
                        text += QStringLiteral("<BR>") + lines[i].arg(counts[i]);
                }
            }
            text += QStringLiteral("</UL>") + QStringLiteral("</p>");
        }
    }
    return text;
}

void QuendralLibrarySystemInformationDialog::Show(QWidget* parent, const QString& diskPath)
{
    MessageBox_Helper::information(parent, tr("System information"), GetText(diskPath), QMessageBox::Ok);
}
