#include "HalconAutomaticOperatorParallelization.h"
#include "Halcon_Helper.h"
#include "QuendralLibrary.h"

#include <Hobject.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMetaType>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <iostream>
#include <memory>
#include <string>

namespace {

const char* const kInstanceOption = "--instance";
const int kProcessTimeoutMs = 60000;

// Child mode: one library start with the given application name, its already-running flag on
// standard output, then it lives until "stop" or the end of its input (or until killed).
int runInstance(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QuendralLibrary::Start(QString::fromLocal8Bit(argv[2]), QStringLiteral("2.5.1"), QStringLiteral("2001-2002"),
                           nullptr, false);
    {
        QTextStream out(stdout);
        out << "already-running " << (QuendralLibrary::IsAlreadyRunning() ? 1 : 0) << Qt::endl;
    }
    std::string line;
    while (std::getline(std::cin, line) && line != "stop") {
    }
    QuendralLibrary::Stop();
    return 0;
}

// Another process of the same program, started as a library instance.
class Instance {
public:
    // Starts and waits for the instance to report its flag; false when it did not.
    bool start(const QString& applicationName,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        m_process.setProcessEnvironment(environment);
        m_process.setProgram(QCoreApplication::applicationFilePath());
        m_process.setArguments({QLatin1String(kInstanceOption), applicationName});
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(kProcessTimeoutMs))
            return false;
        while (!m_output.contains("already-running ")
               || m_output.indexOf('\n', m_output.indexOf("already-running ")) < 0) {
            if (!m_process.waitForReadyRead(kProcessTimeoutMs))
                return false;
            m_output += m_process.readAllStandardOutput();
        }
        return true;
    }

    bool alreadyRunning() const { return m_output.contains("already-running 1\n"); }
    QStringList outputLines() const { return QString::fromLocal8Bit(m_output).split(QLatin1Char('\n')); }

    bool stop()
    {
        m_process.write("stop\n");
        m_process.closeWriteChannel();
        return m_process.waitForFinished(kProcessTimeoutMs) && m_process.exitStatus() == QProcess::NormalExit
            && m_process.exitCode() == 0;
    }

    bool crash()
    {
        m_process.kill(); // SIGKILL: no clean-up of any kind in the child
        return m_process.waitForFinished(kProcessTimeoutMs);
    }

    ~Instance()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kProcessTimeoutMs);
        }
    }

private:
    QProcess m_process;
    QByteArray m_output;
};

class TextSource : public Errors::CallbackFunctions {
public:
    QString errorText(Errors::Type_Error code) override { return QStringLiteral("host text %1").arg(code); }
};

QString uniqueName(const char* what)
{
    static int counter = 0;
    return QStringLiteral("tst_QuendralLibrary_%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(++counter)
        .arg(QLatin1String(what));
}

// The build's word size as the version texts name it: a 64-bit program says "64Bit".
QString buildWord()
{
    return QStringLiteral("%1Bit").arg(QSysInfo::WordSize);
}

} // namespace

class tst_QuendralLibrary : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    // Must stay the first test: it sees the library before any start.
    void beforeStart();
    void startAndStop();
    void stopTwiceAndAfterParentDeleted();
    void repeatedStartReplacesSingletons();
    void embeddedPictures_data();
    void embeddedPictures();
    void programPicturesTakePrecedence();
    void markerPath_data();
    void markerPath();

    void versionLinesOnStandardOutput();
    void secondInstanceSeesFirst();
    void crashedInstanceLeavesNoMarker();
    void markerFollowsThisProcess();
    void onlyThisUsersInstancesCount();

private:
    QTemporaryDir m_markerFolder;
};

void tst_QuendralLibrary::initTestCase()
{
    // The markers of this test, and of the instances it starts, go to a runtime folder of its own.
    QVERIFY(m_markerFolder.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_markerFolder.path()));
    QVERIFY(QuendralLibrary::SingleInstanceMarkerPath(QStringLiteral("x")).startsWith(m_markerFolder.path()));
}

void tst_QuendralLibrary::beforeStart()
{
    QCOMPARE(QuendralLibrary::GetApplicationName(), QString());
    QCOMPARE(QuendralLibrary::GetApplicationVersion(), QString());
    QCOMPARE(QuendralLibrary::GetApplicationCopyrightYears(), QString());
    QCOMPARE(QuendralLibrary::GetApplicationPath(), QString());
    QVERIFY(!QuendralLibrary::IsAutomationServer());
    QVERIFY(!QuendralLibrary::IsAlreadyRunning());
    // What the build is, not what the first program was.
    QCOMPARE(QuendralLibrary::GetPlatformName(), buildWord());
    QCOMPARE(QuendralLibrary::GetLibraryName(), QStringLiteral("quendralLibrary"));
    QCOMPARE(QuendralLibrary::GetLibraryVersion(), QStringLiteral("1.9.2"));
    QCOMPARE(QuendralLibrary::GetLibraryCopyrightYears(), QStringLiteral("2009-2016"));
}

void tst_QuendralLibrary::startAndStop()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    const QString expectedPath = QDir::currentPath();

    TextSource texts;
    QObject parent;
    const QString name = uniqueName("start");
    QCOMPARE(QuendralLibrary::Start(name, QStringLiteral("3.4.5"), QStringLiteral("2020-2024"), &texts, true, &parent),
             Errors::Type_Error(0));
    QDir::setCurrent(before);

    QCOMPARE(QuendralLibrary::GetApplicationName(), name);
    QCOMPARE(QuendralLibrary::GetApplicationVersion(), QStringLiteral("3.4.5"));
    QCOMPARE(QuendralLibrary::GetApplicationCopyrightYears(), QStringLiteral("2020-2024"));
    QCOMPARE(QuendralLibrary::GetApplicationPath(), expectedPath);
    QCOMPARE(QuendralLibrary::GetFullVersionText(), name + QStringLiteral(" V3.4.5 (%1)").arg(buildWord()));
    QVERIFY(QuendralLibrary::IsAutomationServer());
    QVERIFY(!QuendralLibrary::IsAlreadyRunning());

    // The three singletons belong to the given parent; the host's texts reach Errors.
    QCOMPARE(parent.findChildren<Errors*>().size(), 1);
    QCOMPARE(parent.findChildren<Halcon_Helper*>().size(), 1);
    QCOMPARE(parent.findChildren<HalconAutomaticOperatorParallelization*>().size(), 1);
    QCOMPARE(Errors::getErrorText(20001), QStringLiteral("host text 20001"));
    QVERIFY(QMetaType::fromName("Halcon::Hobject").isValid());
    QCOMPARE(QMetaType::fromName("Halcon::Hobject"), QMetaType::fromType<Halcon::Hobject>());

    QCOMPARE(QuendralLibrary::Stop(), Errors::Type_Error(0));
    QVERIFY(parent.findChildren<QObject*>().isEmpty());
    QVERIFY(Errors::getErrorText(20001) != QStringLiteral("host text 20001"));
    QVERIFY(!QuendralLibrary::IsAlreadyRunning());
    // Texts and the automation-server flag outlive Stop.
    QVERIFY(QuendralLibrary::IsAutomationServer());
    QCOMPARE(QuendralLibrary::GetApplicationName(), name);
}

void tst_QuendralLibrary::stopTwiceAndAfterParentDeleted()
{
    // Under the address sanitizer a second delete of a singleton would end the test here.
    QuendralLibrary::Start(uniqueName("twice"), QStringLiteral("1"), QStringLiteral("2"), nullptr, false);
    QCOMPARE(QuendralLibrary::Stop(), Errors::Type_Error(0));
    QCOMPARE(QuendralLibrary::Stop(), Errors::Type_Error(0));

    auto parent = std::make_unique<QObject>();
    QuendralLibrary::Start(uniqueName("parent"), QStringLiteral("1"), QStringLiteral("2"), nullptr, false, parent.get());
    parent.reset(); // takes the singletons with it
    QCOMPARE(QuendralLibrary::Stop(), Errors::Type_Error(0));
    QCOMPARE(QuendralLibrary::Stop(), Errors::Type_Error(0));
}

void tst_QuendralLibrary::repeatedStartReplacesSingletons()
{
    QObject parent;
    QuendralLibrary::Start(uniqueName("first"), QStringLiteral("1"), QStringLiteral("2"), nullptr, false, &parent);
    const QString second = uniqueName("second");
    QuendralLibrary::Start(second, QStringLiteral("7"), QStringLiteral("2"), nullptr, false, &parent);
    QCOMPARE(parent.findChildren<Errors*>().size(), 1);
    QCOMPARE(parent.findChildren<Halcon_Helper*>().size(), 1);
    QCOMPARE(parent.findChildren<HalconAutomaticOperatorParallelization*>().size(), 1);
    QCOMPARE(QuendralLibrary::GetApplicationName(), second);
    QVERIFY(!QuendralLibrary::IsAlreadyRunning());
    QuendralLibrary::Stop();
    QVERIFY(parent.findChildren<QObject*>().isEmpty());
}

void tst_QuendralLibrary::embeddedPictures_data()
{
    QTest::addColumn<QString>("picture");
    const char* const pictures[] = {
        "CameraLiveView/CameraAperture.png", "CameraLiveView/CameraFocus.png",
        "CameraLiveView/CameraHomogeneous.png", "CameraLiveView/StateError.png",
        "CameraLiveView/StateGrabbed.png", "CameraLiveView/StateOff.png", "CameraLiveView/StateOn.png",
        "CameraLiveView/WindowDockable.png", "CameraLiveView/WindowDockableLocked.png",
        "CameraSettings/FileOpen.png", "HobjectView/Save.png", "HobjectView/Zoom100.png",
        "HobjectView/ZoomIn.png", "HobjectView/ZoomOut.png", "HobjectView/ZoomRange.png",
        "ModelMatching/ModelMatching_MouseDraw_Ellipse_Area.png", "ModelMatching/ModelMatching_MouseDraw_Move.png",
        "ModelMatching/ModelMatching_MouseDraw_Rectangle_Area.png", "MouseDraw/MouseDraw_Area.png",
        "MouseDraw/MouseDraw_Move.png", "Symbols/QSplitter_horizontal.png", "Symbols/QSplitter_vertical.png",
    };
    for (const char* picture : pictures)
        QTest::newRow(picture) << QString::fromLatin1(picture);
}

void tst_QuendralLibrary::embeddedPictures()
{
    QFETCH(QString, picture);
    QTemporaryDir folder; // a program folder without pictures of its own
    QVERIFY(folder.isValid());
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    QuendralLibrary::Start(uniqueName("pictures"), QStringLiteral("1"), QStringLiteral("2"), nullptr, false);
    QDir::setCurrent(before);

    const QImage embedded(QStringLiteral(":/pictures/pictures/") + picture);
    QVERIFY(!embedded.isNull());
    QVERIFY(embedded.width() >= 16 && embedded.height() >= 16);
    const QImage throughPrefix(QStringLiteral("pictures:/") + picture);
    QCOMPARE(throughPrefix, embedded);
    QuendralLibrary::Stop();
}

void tst_QuendralLibrary::programPicturesTakePrecedence()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    QuendralLibrary::Start(uniqueName("own"), QStringLiteral("1"), QStringLiteral("2"), nullptr, false);
    QDir::setCurrent(before);

    const QString name = QStringLiteral("pictures:/HobjectView/ZoomIn.png");
    QFile embedded(QStringLiteral(":/pictures/pictures/HobjectView/ZoomIn.png"));
    QVERIFY(embedded.open(QIODevice::ReadOnly));
    const QByteArray embeddedBytes = embedded.readAll();
    {
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), embeddedBytes);
    }

    QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("pictures/HobjectView")));
    QFile own(folder.filePath(QStringLiteral("pictures/HobjectView/ZoomIn.png")));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("the program's own picture");
    own.close();
    {
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("the program's own picture"));
    }
    // Other pictures still come from the library.
    QVERIFY(QFile::exists(QStringLiteral("pictures:/HobjectView/ZoomOut.png")));
    QuendralLibrary::Stop();
}

void tst_QuendralLibrary::markerPath_data()
{
    QTest::addColumn<QString>("applicationName");
    QTest::newRow("plain") << QStringLiteral("zelvorin");
    QTest::newRow("blank") << QStringLiteral("colony picker");
    QTest::newRow("slashes") << QStringLiteral("../a/b\\c");
    QTest::newRow("empty") << QString();
    QTest::newRow("umlaut") << QStringLiteral("K\u00f6nig");
}

void tst_QuendralLibrary::markerPath()
{
    QFETCH(QString, applicationName);
    const QString path = QuendralLibrary::SingleInstanceMarkerPath(applicationName);
    // Whatever the name, the marker is one file directly in the user's runtime folder.
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(m_markerFolder.path()).absoluteFilePath());
    QVERIFY(QFileInfo(path).fileName().endsWith(QStringLiteral("_ApplicationStarted")));
    QVERIFY(path != QuendralLibrary::SingleInstanceMarkerPath(applicationName + QLatin1Char('x')));
}

void tst_QuendralLibrary::versionLinesOnStandardOutput()
{
    const QString name = uniqueName("banner");
    Instance instance;
    QVERIFY(instance.start(name));
    const QStringList lines = instance.outputLines();
    QVERIFY(lines.size() >= 3);
    const QString qt = QStringLiteral(" (based on QT V") + QLatin1String(qVersion()) + QLatin1Char(')');
    QCOMPARE(lines.at(0), name + QStringLiteral(" V2.5.1 (%1)").arg(buildWord()) + qt);
    QCOMPARE(lines.at(1), QStringLiteral("quendralLibrary V1.9.2 (%1)").arg(buildWord()) + qt);
    QVERIFY(instance.stop());
}

void tst_QuendralLibrary::secondInstanceSeesFirst()
{
    const QString name = uniqueName("pair");
    Instance first;
    QVERIFY(first.start(name));
    QVERIFY(!first.alreadyRunning());
    Instance second;
    QVERIFY(second.start(name));
    QVERIFY(second.alreadyRunning());
    Instance otherApplication;
    QVERIFY(otherApplication.start(name + QStringLiteral("_other")));
    QVERIFY(!otherApplication.alreadyRunning());

    // The marker stays while any instance lives, whichever ended first.
    QVERIFY(first.stop());
    Instance third;
    QVERIFY(third.start(name));
    QVERIFY(third.alreadyRunning());
    QVERIFY(second.stop());
    QVERIFY(third.stop());

    Instance afterAll;
    QVERIFY(afterAll.start(name));
    QVERIFY(!afterAll.alreadyRunning());
    QVERIFY(afterAll.stop());
    QVERIFY(otherApplication.stop());
}

void tst_QuendralLibrary::crashedInstanceLeavesNoMarker()
{
    const QString name = uniqueName("crash");
    Instance crashed;
    QVERIFY(crashed.start(name));
    QVERIFY(!crashed.alreadyRunning());
    QVERIFY(crashed.crash());

    Instance next;
    QVERIFY(next.start(name));
    QVERIFY(!next.alreadyRunning());

    // A crash of one instance does not hide another that still runs.
    Instance alongside;
    QVERIFY(alongside.start(name));
    QVERIFY(alongside.alreadyRunning());
    QVERIFY(alongside.crash());
    Instance third;
    QVERIFY(third.start(name));
    QVERIFY(third.alreadyRunning());
    QVERIFY(next.crash());
    QVERIFY(third.stop());

    Instance last;
    QVERIFY(last.start(name));
    QVERIFY(!last.alreadyRunning());
    QVERIFY(last.stop());
}

void tst_QuendralLibrary::markerFollowsThisProcess()
{
    const QString name = uniqueName("self");
    QuendralLibrary::Start(name, QStringLiteral("1"), QStringLiteral("2"), nullptr, false);
    QVERIFY(!QuendralLibrary::IsAlreadyRunning());
    {
        Instance other;
        QVERIFY(other.start(name));
        QVERIFY(other.alreadyRunning());
        QVERIFY(other.stop());
    }
    QuendralLibrary::Stop();
    Instance afterStop;
    QVERIFY(afterStop.start(name));
    QVERIFY(!afterStop.alreadyRunning());

    // Started while another instance runs: this process's flag is set, and Stop clears it.
    QuendralLibrary::Start(name, QStringLiteral("1"), QStringLiteral("2"), nullptr, false);
    QVERIFY(QuendralLibrary::IsAlreadyRunning());
    QuendralLibrary::Stop();
    QVERIFY(!QuendralLibrary::IsAlreadyRunning());
    QVERIFY(afterStop.stop());
}

// Instances of another user, who has a runtime folder of his own, and whatever lies in the
// machine-wide temporary folder never make a start count as a second one.
void tst_QuendralLibrary::onlyThisUsersInstancesCount()
{
    QTemporaryDir otherUser;
    QTemporaryDir machineTemporary;
    QVERIFY(otherUser.isValid() && machineTemporary.isValid());
    QProcessEnvironment shared = QProcessEnvironment::systemEnvironment();
    shared.insert(QStringLiteral("TMPDIR"), machineTemporary.path());
    QProcessEnvironment other = shared;
    other.insert(QStringLiteral("XDG_RUNTIME_DIR"), otherUser.path());

    const QString name = uniqueName("users");
    Instance ofOtherUser;
    QVERIFY(ofOtherUser.start(name, other));
    QVERIFY(!ofOtherUser.alreadyRunning());
    Instance mine;
    QVERIFY(mine.start(name, shared));
    QVERIFY(!mine.alreadyRunning());
    // This user's second instance still sees the first.
    Instance mySecond;
    QVERIFY(mySecond.start(name, shared));
    QVERIFY(mySecond.alreadyRunning());
    QVERIFY(mySecond.stop());
    QVERIFY(mine.stop());
    QVERIFY(ofOtherUser.stop());
}

int main(int argc, char** argv)
{
    if (argc >= 3 && qstrcmp(argv[1], kInstanceOption) == 0)
        return runInstance(argc, argv);
    QCoreApplication application(argc, argv);
    tst_QuendralLibrary test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_QuendralLibrary.moc"
