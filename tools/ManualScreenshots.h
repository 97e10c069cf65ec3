#pragma once

#include <QImage>
#include <QMap>
#include <QString>

// Pictures of the program's real windows for the operator manual, rendered off screen: the
// main window and its plate viewer after the demo plate was analysed, the camera settings
// with the simulated camera connected. The program runs in a copy of its folder,
// so the built one is left as it is, and no box or dialog waits for an answer.
namespace ManualScreenshots {

// Name -> picture; a picture that could not be made is missing, with the reason on stderr.
QMap<QString, QImage> render(const QString& programFolder);

} // namespace ManualScreenshots
