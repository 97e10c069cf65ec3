#include "Hobject_View_Export.h"

#include "Errors.h"
#include "ExportTarget_Dialog.h"
#include "ExportTarget_Guard.h"
#include "Halcon_Helper.h"
#include "Hobject_View_Gui.h"
#include "Hobject_View_Windows.h"
#include "LibraryFunctions.h"
#include "MessageBox_Helper.h"

#include <HalconDisplay.h>

using Halcon::Hlong;
using Halcon::Hobject;

bool Hobject_View_Export::dump(int width, int height, const Draw& draw, Hobject& plainImage, Hobject& overlayImage)
{
    plainImage = Hobject();
    overlayImage = Hobject();
    Hlong window = -1;
    if (Hobject_View_Windows::openOffscreen(width, height, window) != Halcon::kSuccess)
        return false;
    Halcon::set_part(window, 0, 0, height - 1, width - 1);

    Hobject plain;
    draw(window, false);
    if (Halcon::dump_window_image(&plain, window) != Halcon::kSuccess) {
        Halcon::close_window(window);
        return false;
    }
    Hobject overlay;
    draw(window, true);
    if (Halcon::dump_window_image(&overlay, window) != Halcon::kSuccess) {
        Halcon::close_window(window);
        return false;
    }
    Halcon::close_window(window);
    plainImage = plain;
    overlayImage = overlay;
    return true;
}

void Hobject_View_Export::saveAsked(Hobject_View_Gui* view)
{
    int width = 0;
    int height = 0;
    view->getPictureSize(width, height);
    if (width == 0 || height == 0) {
        MessageBox_Helper::information(view, Hobject_View_Gui::tr("Export picture error"),
                                       Hobject_View_Gui::tr("No picture information available!"));
        return;
    }
    Hobject plain;
    Hobject overlay;
    if (!view->dumpViewImage(plain, overlay)) {
        MessageBox_Helper::critical(view, Hobject_View_Gui::tr("Export picture error"),
                                    Hobject_View_Gui::tr("Cannot export the picture!"));
        return;
    }
    const QMessageBox::StandardButton answer = MessageBox_Helper::question(
        view, Hobject_View_Gui::tr("Export picture ..."),
        Hobject_View_Gui::tr(
            "Do you want export the picture with the additional informations, \nlike borders, lines and so on?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No);
    if (answer != QMessageBox::Yes && answer != QMessageBox::No)
        return;
    const Hobject image = answer == QMessageBox::Yes ? overlay : plain;

    ExportTarget_Dialog::Request request;
    request.parent = view;
    request.caption = Hobject_View_Gui::tr("Save the picture to ...");
    request.filter = QStringLiteral("*.png");
    request.title = Hobject_View_Gui::tr("Export picture ...");
    const QString fileName = ExportTarget_Dialog::ask(request);
    if (fileName.isEmpty())
        return;
    // The dialog may have moved the current folder; relative names are based on the program's,
    // and checked again for the write.
    setCurrentDirToApplicationDir();
    Errors::Type_Error error = ExportTarget_Guard::check(fileName);
    if (error == 0)
        error = Halcon_Helper::SaveImageFile(fileName, image, QStringLiteral("png"), false, false);
    if (error != 0) {
        MessageBox_Helper::critical(view, Hobject_View_Gui::tr("Export error"),
                                    Hobject_View_Gui::tr("Cannot export the picture to \"%1\"!\n%2!")
                                        .arg(fileName, Errors::getErrorText(error)));
    }
}
