#include "Automation_Client.h"
#include "Automation_InterfaceDescription.h"
#include "Automation_Registration.h"
#include "COM_Class.h"
#include "ProgramUnderTest.h"

#include <QDir>
#include <QDomDocument>
#include <QTemporaryDir>
#include <QtTest>

// The program's start as a process: banner, the server's command-line switches, the
// registration it writes and reads, and the folder it works in.
class tst_ProgramStart : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void bannerIsTheFirstLine();
    void registerAndUnregister_data();
    void registerAndUnregister();
    void dumpInterface_data();
    void dumpInterface();
    void dumpInterfaceFailures_data();
    void dumpInterfaceFailures();
    void busStartsTheRegisteredProgram();
    void programFolderIsTheExecutablesFolder();
    void standAloneStartRenewsTheRegistration_data();
    void standAloneStartRenewsTheRegistration();

private:
    int runToEnd(const QStringList& arguments, QByteArray* errorOutput = nullptr);

    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<ProgramUnderTest> m_program;
    const QString m_serviceName = ProgramUnderTest::serviceName();
};

void tst_ProgramStart::init()
{
    m_bus = std::make_unique<PrivateSessionBus>();
    QVERIFY2(m_bus->start(), qPrintable(m_bus->error()));
    // Registration checks of this process look where the program writes.
    m_bus->useInThisProcess();
    m_program = std::make_unique<ProgramUnderTest>(*m_bus, QStringLiteral("watcher"));
}

void tst_ProgramStart::cleanup()
{
    m_program.reset();
    m_bus.reset();
}

int tst_ProgramStart::runToEnd(const QStringList& arguments, QByteArray* errorOutput)
{
    if (errorOutput)
        m_program->process().setProcessChannelMode(QProcess::SeparateChannels);
    m_program->start(arguments);
    if (!m_program->waitForExit())
        return -1000;
    if (errorOutput)
        *errorOutput = m_program->process().readAllStandardError();
    return m_program->process().exitStatus() == QProcess::NormalExit ? m_program->process().exitCode() : -2000;
}

void tst_ProgramStart::bannerIsTheFirstLine()
{
    m_program->start({QStringLiteral("-activex")});
    QVERIFY(m_program->waitForService());
    std::unique_ptr<Automation_Client> client = m_program->attach(QStringLiteral("client"));
    QVERIFY(client);
    QString error;
    QVERIFY(client->release(error));
    QVERIFY(m_program->waitForExit());
    const QList<QByteArray> lines = m_program->process().readAllStandardOutput().split('\n');
    QCOMPARE(QString::fromUtf8(lines.value(0)), QStringLiteral("zelvorin V1.1.0(based on QT V%1)").arg(qVersion()));
}

void tst_ProgramStart::registerAndUnregister_data()
{
    QTest::addColumn<QString>("registerSwitch");
    QTest::addColumn<QString>("unregisterSwitch");
    QTest::newRow("dash") << "-regserver"
                          << "-unregserver";
    QTest::newRow("slash, upper case") << "/REGSERVER"
                                       << "/UnRegServer";
}

void tst_ProgramStart::registerAndUnregister()
{
    QFETCH(QString, registerSwitch);
    QFETCH(QString, unregisterSwitch);
    const QString program = QFileInfo(ProgramUnderTest::programPath()).canonicalFilePath();
    QCOMPARE(Automation_Registration::state(m_serviceName, program), Automation_Registration::Missing);

    QCOMPARE(runToEnd({registerSwitch}), 0);
    QCOMPARE(Automation_Registration::state(m_serviceName, program), Automation_Registration::Current);
    QFile file(Automation_Registration::activationFilePath(m_serviceName));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("Exec=" + QFile::encodeName(program) + " -activex\n"));
    file.close();
    // Nothing else of the program ran: no server was offered on the way.
    QVERIFY(!m_program->isServiceRegistered());

    QCOMPARE(runToEnd({unregisterSwitch}), 0);
    QCOMPARE(Automation_Registration::state(m_serviceName, program), Automation_Registration::Missing);
    QCOMPARE(runToEnd({unregisterSwitch}), 0);
}

void tst_ProgramStart::dumpInterface_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("version");
    QTest::newRow("dash") << QStringList{"-dumpidl"} << "1.0";
    QTest::newRow("slash with version") << QStringList{"/DumpIdl", "%1", "-version", "1.1.0"} << "1.1.0";
}

void tst_ProgramStart::dumpInterface()
{
    QFETCH(QStringList, switches);
    QFETCH(QString, version);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("zelvorin.xml"));
    if (switches.size() == 1)
        switches << file;
    else
        switches.replaceInStrings(QStringLiteral("%1"), file);
    QCOMPARE(runToEnd(switches), 0);

    QFile xml(file);
    QVERIFY(xml.open(QIODevice::ReadOnly));
    QDomDocument document;
    QVERIFY(document.setContent(&xml));
    const QDomElement interface = document.documentElement().firstChildElement(QStringLiteral("interface"));
    QCOMPARE(interface.attribute(QStringLiteral("name")), QStringLiteral("zelvorin.ICOM_Class"));
    QStringList annotations;
    for (QDomElement a = interface.firstChildElement(QStringLiteral("annotation")); !a.isNull();
         a = a.nextSiblingElement(QStringLiteral("annotation")))
        annotations << a.attribute(QStringLiteral("name")) + QLatin1Char('=') + a.attribute(QStringLiteral("value"));
    QVERIFY(annotations.contains(QStringLiteral("zelvorin.Automation.Version=") + version));
    QVERIFY(annotations.contains(QStringLiteral("zelvorin.Automation.ClassID={b0b69b85-4787-44dd-86dd-01203e0ae644}")));

    // All 85 methods, in the interface's order, as the class exports them.
    QStringList written;
    for (QDomElement m = interface.firstChildElement(QStringLiteral("method")); !m.isNull();
         m = m.nextSiblingElement(QStringLiteral("method")))
        written << m.attribute(QStringLiteral("name"));
    QStringList exported;
    for (const Automation_InterfaceDescription::Method& method :
         Automation_InterfaceDescription::methods(COM_Class::staticMetaObject))
        exported << method.name;
    QCOMPARE(written.size(), 85);
    QCOMPARE(written, exported);
    QCOMPARE(written.constFirst(), QStringLiteral("Application_GetVersion"));
    QCOMPARE(written.constLast(), QStringLiteral("Instrument_SetChannelOffset"));
}

void tst_ProgramStart::dumpInterfaceFailures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no file") << QStringList{"-dumpidl"}
                             << "Wrong commandline syntax: zelvorin -dumpidl <idl file> [-version <x.y.z>]";
    QTest::newRow("folder missing") << QStringList{"-dumpidl", "/nonexistent/folder/z.xml"}
                                    << "/nonexistent/folder/z.xml";
}

void tst_ProgramStart::dumpInterfaceFailures()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QByteArray errorOutput;
    QCOMPARE(runToEnd(arguments, &errorOutput), 1);
    QVERIFY2(errorOutput.contains(message.toLocal8Bit()), errorOutput.constData());
}

// The registration is what lets a client start the program: the bus runs it as server.
void tst_ProgramStart::busStartsTheRegisteredProgram()
{
    QCOMPARE(runToEnd({QStringLiteral("-regserver")}), 0);
    QVERIFY(!m_program->isServiceRegistered());

    std::unique_ptr<Automation_Client> client = m_program->attach(QStringLiteral("client"));
    QVERIFY(client);
    const qint64 pid = m_program->rememberStartedByBus(client->serverName());
    QCOMPARE(ProgramUnderTest::commandLineOf(pid),
             QFileInfo(ProgramUnderTest::programPath()).canonicalFilePath() + QStringLiteral(" -activex"));
    QCOMPARE(client->call(QStringLiteral("GUI_IsVisible")).arguments(), (QVariantList{0, false}));
    QString error;
    QVERIFY(client->release(error));
    QVERIFY(m_program->waitForServiceGone());
}

void tst_ProgramStart::programFolderIsTheExecutablesFolder()
{
    // Started through a link in a folder without settings: the program still works in its
    // own folder, where "settings/Colony/default.ColonySettings" lies.
    QTemporaryDir elsewhere;
    const QString link = elsewhere.filePath(QStringLiteral("zelvorin"));
    QVERIFY(QFile::link(ProgramUnderTest::programPath(), link));
    QVERIFY(QFile::exists(QFileInfo(ProgramUnderTest::programPath()).absolutePath()
                          + QStringLiteral("/settings/Colony/default.ColonySettings")));
    m_program->process().setWorkingDirectory(elsewhere.path());
    m_program->start({QStringLiteral("-activex")}, link);
    QVERIFY(m_program->waitForService());
    std::unique_ptr<Automation_Client> client = m_program->attach(QStringLiteral("client"));
    QVERIFY(client);
    const QVariantList reply = client->call(QStringLiteral("Settings_GetColonySettingsNamesList")).arguments();
    QCOMPARE(reply.size(), 2);
    QVERIFY(qdbus_cast<QVariantList>(reply.at(1)).contains(QStringLiteral("default")));
    QString error;
    QVERIFY(client->release(error));
    QVERIFY(m_program->waitForExit());
}

void tst_ProgramStart::standAloneStartRenewsTheRegistration_data()
{
    QTest::addColumn<QString>("registered"); // empty: none
    QTest::addColumn<bool>("rewritten");
    QTest::newRow("missing") << QString() << true;
    QTest::newRow("stale") << QStringLiteral("/usr/bin/true") << true;
    QTest::newRow("current") << QFileInfo(ProgramUnderTest::programPath()).canonicalFilePath() << false;
}

void tst_ProgramStart::standAloneStartRenewsTheRegistration()
{
    QFETCH(QString, registered);
    QFETCH(bool, rewritten);
    const QString program = QFileInfo(ProgramUnderTest::programPath()).canonicalFilePath();
    const QString path = Automation_Registration::activationFilePath(m_serviceName);
    if (!registered.isEmpty()) {
        QString error;
        QVERIFY(Automation_Registration::write(m_serviceName, registered, {QStringLiteral("-activex")}, error));
        // A mark that only a rewrite removes.
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write("# kept\n");
    }

    m_program->start({});
    // The check runs before the class is offered.
    QVERIFY(m_program->waitForService());
    QCOMPARE(Automation_Registration::state(m_serviceName, program), Automation_Registration::Current);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(!file.readAll().contains("# kept"), rewritten);
}

QTEST_GUILESS_MAIN(tst_ProgramStart)
#include "tst_ProgramStart.moc"
