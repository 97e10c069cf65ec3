#include "QuendralLibraryAboutDialog.h"

#include "Halcon_Helper.h"
#include "MessageBox_Helper.h"
#include "QuendralLibrary.h"

#include <QtGlobal>

QuendralLibraryAboutDialog::QuendralLibraryAboutDialog(QObject* parent)
    : QObject(parent)
{
}

QuendralLibraryAboutDialog::~QuendralLibraryAboutDialog() = default;

QString QuendralLibraryAboutDialog::GetText(const QString& buildDate, const QString& buildTime)
{
    QString text;
    text += QStringLiteral("<p>")
        + tr("<h2>%1 V%2 (%3)</h2>")
              .arg(QuendralLibrary::GetApplicationName(), QuendralLibrary::GetApplicationVersion(),
                   QuendralLibrary::GetPlatformName())
        + QStringLiteral("</p>");
    text += QStringLiteral("<p>")
        + tr("Copyright &copy; %1 <a href='https://www.varnholt.example'>Varnholt</a>. All rights reserved.")
              .arg(QuendralLibrary::GetApplicationCopyrightYears())
        + QStringLiteral("</p>");
    if (!buildDate.isEmpty() || !buildTime.isEmpty())
        text += QStringLiteral("<p>") + tr("<i>Program created at : %1 / %2</i>").arg(buildDate, buildTime)
            + QStringLiteral("</p>");
    const QString libraryLine = tr("Based on <a href='https://www.varnholt.example'>Varnholt</a>/%1 V%2")
                                    .arg(QuendralLibrary::GetLibraryName(), QuendralLibrary::GetLibraryVersion());
    const QString qtLine = tr("Based on <a href='https://www.qt.io'>The Qt Company</a>/QT V%1")
                               .arg(QString::fromLatin1(qVersion()));
    // The vision library is the program's own layer; the link names what it is built on.
    const QString visionLine = tr("Based on <a href='https://opencv.org'>OpenCV</a>/Zelvorin vision layer V%1")
                                   .arg(Halcon_Helper::GetHalconVersion());
    text += QStringLiteral("<p>") + libraryLine + QStringLiteral("<br>") + qtLine + QStringLiteral("<br>") + visionLine
        + QStringLiteral("</p>");
    return text;
}

void QuendralLibraryAboutDialog::Show(QWidget* parent, const QString& buildDate, const QString& buildTime)
{
    MessageBox_Helper::about(parent, tr("About"), GetText(buildDate, buildTime));
}
