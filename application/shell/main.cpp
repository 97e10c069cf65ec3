#include <QuendralLibrary.h>

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace {
const char* const kApplicationName = "zelvorin";
const char* const kApplicationYears = "2014";
}

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    // Relative paths such as "settings/window" are relative to the program folder.
    QDir::setCurrent(QCoreApplication::applicationDirPath());

    const QString name = QString::fromLatin1(kApplicationName);
    const QString version = QStringLiteral(PROJECT_VERSION_TEXT);
    application.setApplicationName(name);
    application.setApplicationVersion(version);

    QTextStream out(stdout);
    out << name << " V" << version << "(based on QT V" << qVersion() << ")" << Qt::endl;

    QuendralLibrary::Start(name, version, QString::fromLatin1(kApplicationYears), nullptr, false, nullptr);
    QuendralLibrary::Stop();
    return 0;
}
