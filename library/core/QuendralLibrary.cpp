#include "QuendralLibrary.h"

#include "Gui_Helper_ScreenKeeper.h"
#include "HalconAutomaticOperatorParallelization.h"
#include "Halcon_Helper.h"

#include <Hobject.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// Q_INIT_RESOURCE declares its function in the enclosing namespace, so these stay global.
static void initLibraryResources()
{
    Q_INIT_RESOURCE(QuendralLibrary);
}

static void cleanupLibraryResources()
{
    Q_CLEANUP_RESOURCE(QuendralLibrary);
}

namespace {

const char* const kLibraryName = "quendralLibrary";
const char* const kLibraryVersion = "1.9.2";
const char* const kLibraryCopyrightYears = "2009-2016";
// The word size this program was built for.
const char* const kPlatformName = QT_POINTER_SIZE == 8 ? "64Bit" : "32Bit";
const char* const kPicturesPrefix = "pictures";
const char* const kEmbeddedPictures = ":/pictures/pictures";

// Every running instance holds a shared flock on the marker file. A start that can take it
// exclusively knows no other instance is alive; the kernel drops the locks of a process that
// ends in any way, crash included, so the marker cannot go stale the way a shared-memory
// segment does on Linux. A second file serialises the test-and-claim of instances that start
// at the same moment.
class InstanceMarker {
public:
    ~InstanceMarker() { release(); }

    // true when the marker is held afterwards; alreadyRunning is only set when another live
    // instance was seen.
    bool claim(const QString& path, bool& alreadyRunning)
    {
        release();
        if (path.isEmpty())
            return false;
        const QByteArray markerName = QFile::encodeName(path);
        const int guard = openFile(markerName + ".lock");
        if (guard < 0)
            return false;
        if (lock(guard, LOCK_EX) != 0) {
            ::close(guard);
            return false;
        }
        int fd = openFile(markerName);
        if (fd >= 0) {
            if (lock(fd, LOCK_EX | LOCK_NB) != 0) {
                if (errno == EWOULDBLOCK)
                    alreadyRunning = true;
                else {
                    ::close(fd);
                    fd = -1;
                }
            }
            // Exclusive to shared: other instances may hold it alongside from now on.
            if (fd >= 0 && lock(fd, LOCK_SH | LOCK_NB) != 0) {
                ::close(fd);
                fd = -1;
            }
        }
        lock(guard, LOCK_UN);
        ::close(guard);
        m_fd = fd;
        return m_fd >= 0;
    }

    void release()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    // Close-on-exec: a program started by this one (zip, a helper) must not keep the marker
    // alive after this process has ended.
    static int openFile(const QByteArray& name)
    {
        int fd;
        do {
            fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        } while (fd < 0 && errno == EINTR);
        return fd;
    }

    static int lock(int fd, int operation)
    {
        int result;
        do {
            result = ::flock(fd, operation);
        } while (result != 0 && errno == EINTR);
        return result;
    }

    int m_fd = -1;
};

struct LibraryState {
    QString applicationName;
    QString applicationVersion;
    QString applicationCopyrightYears;
    QString applicationPath;
    bool automationServer = false;
    bool alreadyRunning = false;
    // Guarded pointers: when the host deletes the parent first, the singletons went with it
    // and Stop must not delete them again.
    QPointer<QObject> parent;
    QPointer<Errors> errors;
    QPointer<Halcon_Helper> halconHelper;
    QPointer<HalconAutomaticOperatorParallelization> parallelization;
    InstanceMarker marker;
    bool resourcesRegistered = false;
    QString ownPicturesPath;
};

LibraryState g_state;

void writeStandardOutputLine(const QString& line)
{
    QTextStream out(stdout);
    out << line << Qt::endl;
}

QString basedOnQtText()
{
    return QStringLiteral("(based on QT V") + QLatin1String(qVersion()) + QLatin1Char(')');
}

void registerPictureSearchPaths(const QString& applicationPath)
{
    const QString prefix = QLatin1String(kPicturesPrefix);
    QStringList paths = QDir::searchPaths(prefix);
    // A repeated start must not leave the previous program folder in front.
    if (!g_state.ownPicturesPath.isEmpty())
        paths.removeAll(g_state.ownPicturesPath);
    paths.removeAll(QLatin1String(kEmbeddedPictures));
    g_state.ownPicturesPath = applicationPath + QStringLiteral("/pictures");
    paths << g_state.ownPicturesPath << QLatin1String(kEmbeddedPictures);
    QDir::setSearchPaths(prefix, paths);
}

void deleteSingletons()
{
    delete g_state.parallelization.data();
    g_state.parallelization = nullptr;
    delete g_state.halconHelper.data();
    g_state.halconHelper = nullptr;
    delete g_state.errors.data();
    g_state.errors = nullptr;
}

} // namespace

namespace QuendralLibrary {

Errors::Type_Error Start(const QString& applicationName, const QString& applicationVersion,
                         const QString& applicationCopyrightYears, Errors::CallbackFunctions* errorCallbacks,
                         bool automationServer, QObject* parent)
{
    // Start is meant to run once; a second one replaces the first instead of leaking it.
    if (g_state.errors || g_state.halconHelper || g_state.parallelization || g_state.resourcesRegistered)
        Stop();

    g_state.applicationName = applicationName;
    g_state.applicationVersion = applicationVersion;
    g_state.applicationCopyrightYears = applicationCopyrightYears;
    g_state.automationServer = automationServer;
    g_state.applicationPath = QDir::currentPath();
    g_state.parent = parent;

    qDebug().noquote() << GetFullVersionText() << basedOnQtText();
    writeStandardOutputLine(GetFullVersionText() + QLatin1Char(' ') + basedOnQtText());
    const QString libraryVersion =
        QStringLiteral("V") + GetLibraryVersion() + QStringLiteral(" (") + GetPlatformName() + QLatin1Char(')');
    qDebug().noquote() << GetLibraryName() << libraryVersion << basedOnQtText();
    writeStandardOutputLine(GetLibraryName() + QLatin1Char(' ') + libraryVersion + QLatin1Char(' ') + basedOnQtText());

    initLibraryResources();
    g_state.resourcesRegistered = true;
    Gui_Helper_ScreenKeeper::install();
    registerPictureSearchPaths(g_state.applicationPath);

    qRegisterMetaType<Halcon::Hobject>("Halcon::Hobject");

    g_state.errors = new Errors(errorCallbacks, parent);
    g_state.halconHelper = new Halcon_Helper(parent);
    g_state.parallelization = new HalconAutomaticOperatorParallelization(parent);

    bool alreadyRunning = false;
    g_state.marker.claim(SingleInstanceMarkerPath(applicationName), alreadyRunning);
    g_state.alreadyRunning = alreadyRunning;
    return 0;
}

Errors::Type_Error Stop()
{
    Gui_Helper_ScreenKeeper::uninstall();
    g_state.marker.release();
    g_state.alreadyRunning = false;
    deleteSingletons();
    if (g_state.resourcesRegistered) {
        cleanupLibraryResources();
        g_state.resourcesRegistered = false;
    }
    g_state.parent = nullptr;
    return 0;
}

QString GetApplicationName()
{
    return g_state.applicationName;
}

QString GetApplicationVersion()
{
    return g_state.applicationVersion;
}

QString GetApplicationCopyrightYears()
{
    return g_state.applicationCopyrightYears;
}

QString GetApplicationPath()
{
    return g_state.applicationPath;
}

QString GetPlatformName()
{
    return QLatin1String(kPlatformName);
}

QString GetFullVersionText()
{
    return g_state.applicationName + QStringLiteral(" V") + g_state.applicationVersion + QStringLiteral(" (")
        + GetPlatformName() + QLatin1Char(')');
}

QString GetLibraryName()
{
    return QLatin1String(kLibraryName);
}

QString GetLibraryVersion()
{
    return QLatin1String(kLibraryVersion);
}

QString GetLibraryCopyrightYears()
{
    return QLatin1String(kLibraryCopyrightYears);
}

bool IsAutomationServer()
{
    return g_state.automationServer;
}

bool IsAlreadyRunning()
{
    return g_state.alreadyRunning;
}

QString SingleInstanceMarkerPath(const QString& applicationName)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return QString();
    // Percent-encoded, so any application name gives one plain file name of its own.
    const QString key = applicationName + QStringLiteral("_ApplicationStarted");
    return folder + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(key));
}

} // namespace QuendralLibrary
