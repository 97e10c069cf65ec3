#include "MainWindowGui.h"

// Operations whose parts the window does not hold yet: the image stitcher (ImageStitcher_*).
// Each answers 3 "General application error" and changes nothing; they move to
// MainWindowGui_Automation.cpp as their parts are built.

namespace {
constexpr Errors::Type_Error c_notAvailable = 3;
}

Errors::Type_Error MainWindowGui::ImageStitcher_AssignPicturePosition(int)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_Start(QString)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_Start2(QString, double)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_Stop()
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_Reset()
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_CheckRunning(bool&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_SaveResult(bool, QString, QString, bool, bool, int&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_SaveResult_CheckAsynchronSaveFinish(bool&)
{
    return c_notAvailable;
}

Errors::Type_Error MainWindowGui::ImageStitcher_ExportRackPicture(int, bool, QString, QString, bool, int)
{
    return c_notAvailable;
}
