#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Zelvorin"));
    application.setApplicationVersion(QStringLiteral(PROJECT_VERSION_TEXT));
    // Relative paths such as "settings/window" are relative to the program folder.
    QDir::setCurrent(QCoreApplication::applicationDirPath());

    QTextStream out(stdout);
    out << application.applicationName() << " V" << application.applicationVersion()
        << "(based on QT V" << qVersion() << ")" << Qt::endl;
    return 0;
}
