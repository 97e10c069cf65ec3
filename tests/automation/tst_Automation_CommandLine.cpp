#include "Automation_Entry.h"

#include <QtTest>

class tst_Automation_CommandLine : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
};

void tst_Automation_CommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("startedAsServer");
    QTest::addColumn<QString>("interfaceFile");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QStringList>("programArguments");

    const int run = Automation_CommandLine::Run;
    QTest::newRow("nothing") << QStringList{} << run << false << ""
                             << "1.0" << QStringList{};
    QTest::newRow("activex") << QStringList{"-activex"} << run << true << ""
                             << "1.0" << QStringList{};
    QTest::newRow("embedding, slash, any case") << QStringList{"/EMBEDDING", "picture.png"} << run << true << ""
                                                << "1.0" << QStringList{"picture.png"};
    QTest::newRow("other words stay in order") << QStringList{"-style", "-ActiveX", "fusion"} << run << true << ""
                                               << "1.0" << QStringList{"-style", "fusion"};
    QTest::newRow("regserver") << QStringList{"-regserver"} << int(Automation_CommandLine::RegisterServer) << false
                               << ""
                               << "1.0" << QStringList{};
    QTest::newRow("unregserver with slash")
        << QStringList{"/UnRegServer"} << int(Automation_CommandLine::UnregisterServer) << false << ""
        << "1.0" << QStringList{};
    QTest::newRow("dumpidl") << QStringList{"-dumpidl", "/tmp/a.xml"} << int(Automation_CommandLine::DumpInterface)
                             << false << "/tmp/a.xml"
                             << "1.0" << QStringList{};
    QTest::newRow("dumpidl with version") << QStringList{"/dumpidl", "a.xml", "-version", "2.5.1"}
                                          << int(Automation_CommandLine::DumpInterface) << false << "a.xml"
                                          << "2.5.1" << QStringList{};
    QTest::newRow("version without value") << QStringList{"-dumpidl", "a.xml", "-version"}
                                           << int(Automation_CommandLine::DumpInterface) << false << "a.xml"
                                           << "1.0" << QStringList{};
    QTest::newRow("dumpidl without file")
        << QStringList{"-dumpidl"} << int(Automation_CommandLine::SyntaxError) << false << ""
        << "1.0" << QStringList{};
    QTest::newRow("first action wins") << QStringList{"-unregserver", "-regserver"}
                                       << int(Automation_CommandLine::UnregisterServer) << false << ""
                                       << "1.0" << QStringList{};
    QTest::newRow("version alone is the program's") << QStringList{"-version", "3"} << run << false << ""
                                                    << "1.0" << QStringList{"-version", "3"};
    QTest::newRow("a bare dash or slash") << QStringList{"-", "/"} << run << false << ""
                                          << "1.0" << QStringList{"-", "/"};
}

void tst_Automation_CommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(bool, startedAsServer);
    QFETCH(QString, interfaceFile);
    QFETCH(QString, version);
    QFETCH(QStringList, programArguments);

    const Automation_CommandLine commandLine = Automation_CommandLine::parse(arguments);
    QCOMPARE(int(commandLine.action), action);
    QCOMPARE(commandLine.startedAsServer, startedAsServer);
    QCOMPARE(commandLine.interfaceFile, interfaceFile);
    QCOMPARE(commandLine.version, version);
    QCOMPARE(commandLine.programArguments, programArguments);
}

QTEST_GUILESS_MAIN(tst_Automation_CommandLine)
#include "tst_Automation_CommandLine.moc"
