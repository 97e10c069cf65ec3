#include "ProgramUnderTest.h"

#include <QtTest>

// The command-line client against the running program, as a person would use it.
class tst_AutomationClientTool : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void oneCall_data();
    void oneCall();
    void refusedCalls_data();
    void refusedCalls();
    void severalCallsOnOneObject();
    void quotedArgumentsFromStandardInput_data();
    void quotedArgumentsFromStandardInput();
    void listsTheMethods();

private:
    int runClient(const QStringList& arguments, QString& output, QString& errors, const QByteArray& input = {});

    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<ProgramUnderTest> m_program;
};

void tst_AutomationClientTool::initTestCase()
{
    m_bus = std::make_unique<PrivateSessionBus>();
    QVERIFY2(m_bus->start(), qPrintable(m_bus->error()));
    m_program = std::make_unique<ProgramUnderTest>(*m_bus, QStringLiteral("watcher"));
    // Stand-alone, so that it outlives each client's release.
    m_program->start({});
    QVERIFY(m_program->waitForService());
}

void tst_AutomationClientTool::cleanupTestCase()
{
    m_program.reset();
    m_bus.reset();
}

int tst_AutomationClientTool::runClient(const QStringList& arguments, QString& output, QString& errors,
                                        const QByteArray& input)
{
    QProcess client;
    client.setProcessEnvironment(m_bus->environment());
    client.start(QStringLiteral(ZELVORIN_CLIENT), arguments);
    if (!client.waitForStarted(ProgramUnderTest::TimeoutMs))
        return -1000;
    client.write(input);
    client.closeWriteChannel();
    if (!client.waitForFinished(ProgramUnderTest::TimeoutMs))
        return -1000;
    output = QString::fromUtf8(client.readAllStandardOutput());
    errors = QString::fromUtf8(client.readAllStandardError());
    return client.exitCode();
}

void tst_AutomationClientTool::oneCall_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");
    QTest::newRow("version") << QStringList{"Application_GetVersion"} << "result: 0\noVersionString: 1.1.0\n";
    QTest::newRow("error text") << QStringList{"Application_GetErrorText", "150"}
                                << "result: 0\noErrorText: Cannot load the colony settings\n";
    QTest::newRow("list output") << QStringList{"Settings_GetColonySettingsNamesList"}
                                 << "result: 0\no_arrstrColonySettingsNames: [default]\n";
    QTest::newRow("presets of a failing call")
        << QStringList{"AnalyseColonies_SaveResult", "true", "R1", ""} << "result: 41\noRackID: -1\n";
}

void tst_AutomationClientTool::oneCall()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QString out;
    QString errors;
    QCOMPARE(runClient(arguments, out, errors), 0);
    QCOMPARE(out, output);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
}

void tst_AutomationClientTool::refusedCalls_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");
    QTest::newRow("no method") << QStringList{} << 2 << "Usage:";
    QTest::newRow("unknown option") << QStringList{"--verbose", "GUI_Hide"} << 2 << "Usage:";
    QTest::newRow("unknown method") << QStringList{"GUI_Explode"} << 1 << "no method \"GUI_Explode\"";
    QTest::newRow("not a number") << QStringList{"GUI_Show", "big"} << 1 << "\"big\" is no value of type \"i\"";
    QTest::newRow("missing argument") << QStringList{"Application_GetErrorText"} << 1 << "iErrorNumber";
    QTest::newRow("unknown service") << QStringList{"--service", "nobody.COM_Class", "GUI_Hide"} << 1
                                     << "ServiceUnknown";
}

void tst_AutomationClientTool::refusedCalls()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    QString out;
    QString errors;
    QCOMPARE(runClient(arguments, out, errors), exitCode);
    QVERIFY2(errors.contains(error), qPrintable(errors));
    // The program keeps serving.
    QCOMPARE(runClient({QStringLiteral("Application_IsRunning")}, out, errors), 0);
    QCOMPARE(out, QStringLiteral("result: 0\noIsRunning: true\n"));
}

// The stand-alone program answers a rack it does not have with the code; no box waits for an
// operator in the middle of the client's calls.
void tst_AutomationClientTool::severalCallsOnOneObject()
{
    QString out;
    QString errors;
    const QByteArray script = "Application_GetErrorText 212\n\nGUI_IsVisible\n"
                              "Database_GetZelvorinRack 5\n";
    QCOMPARE(runClient({QStringLiteral("--stdin")}, out, errors, script), 0);
    QCOMPARE(out,
             QStringLiteral("result: 0\noErrorText: Invalid number of pictures available for Image Stitcher\n"
                            "result: 0\noIsVisible: true\n"
                            "result: 87\noRackBarcode: \noPictureFilePath: \noContainerGridColumnsCount: 0\n"
                            "oContainerGridRowsCount: 0\noErrorCode: 0\noDescription: \n"));
}

void tst_AutomationClientTool::quotedArgumentsFromStandardInput_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("output");
    // An empty quoted argument is an argument: without it the call lacks one, or the arguments
    // after it land on the wrong parameters.
    QTest::newRow("empty last") << QByteArray("AnalyseColonies_SaveResult true R1 \"\"") << "result: 41\noRackID: -1\n";
    QTest::newRow("empty between") << QByteArray("AnalyseColonies_SaveResult true \"\" Description")
                                   << "result: 41\noRackID: -1\n";
    QTest::newRow("empty only") << QByteArray("Database_GetZelvorinRackID_By_RackBarcode \"\"")
                                << "result: 0\no_arrintRackID: []\n";
    QTest::newRow("quoted spaces") << QByteArray("AnalyseColonies_SaveResult false \"R 1\" \"a description\"")
                                   << "result: 41\noRackID: -1\n";
}

void tst_AutomationClientTool::quotedArgumentsFromStandardInput()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, output);
    QString out;
    QString errors;
    QCOMPARE(runClient({QStringLiteral("--stdin")}, out, errors, line + '\n'), 0);
    QCOMPARE(out, output);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
}

void tst_AutomationClientTool::listsTheMethods()
{
    QString out;
    QString errors;
    QCOMPARE(runClient({QStringLiteral("--list")}, out, errors), 0);
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 85);
    QCOMPARE(lines.at(1), QStringLiteral("Application_GetErrorText(iErrorNumber:i) -> result:i, oErrorText:s"));
}

QTEST_GUILESS_MAIN(tst_AutomationClientTool)
#include "tst_AutomationClientTool.moc"
