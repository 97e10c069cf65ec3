#include "ClientSession.h"
#include "ProgramUnderTest.h"

#include <QtTest>

#include <memory>

using namespace ClientSessions;

// The colony road end to end over the bus, driven by the command-line client against the
// program started as automation server: load the demo picture, analyse, poll, save, hand the
// colonies out to eight channels with their offsets, mark them picked and read them back.
class tst_ColonyRoadOverDBus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void plateCycle();

private:
    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<ProgramUnderTest> m_program;
};

void tst_ColonyRoadOverDBus::initTestCase()
{
    m_bus = std::make_unique<PrivateSessionBus>();
    QVERIFY2(m_bus->start(), qPrintable(m_bus->error()));
    m_program = std::make_unique<ProgramUnderTest>(*m_bus, QStringLiteral("watcher"));
    m_program->start({QStringLiteral("-activex")});
    QVERIFY(m_program->waitForService());
}

void tst_ColonyRoadOverDBus::cleanupTestCase()
{
    m_program.reset();
    m_bus.reset();
}

void tst_ColonyRoadOverDBus::plateCycle()
{
    ClientSession client(m_bus->environment());
    QVERIFY(client.started());

    QMap<QString, QString> answer = client.call(QStringLiteral("Application_Get_ProgrammPath"), 1);
    QCOMPARE(answer.value(QStringLiteral("result")), QStringLiteral("0"));
    const QString picture = answer.value(QStringLiteral("oProgrammPath"))
        + QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.tif");
    QCOMPARE(client.call(QStringLiteral("Application_GetStartError"), 1).value(QStringLiteral("oErrorNumber")),
             QStringLiteral("0"));

    QCOMPARE(client.call(QStringLiteral("Camera_LoadPicture \"%1\"").arg(picture), 0).value(QStringLiteral("result")),
             QStringLiteral("0"));
    QCOMPARE(client.call(QStringLiteral("AnalyseColonies_Start Demo_Plate_gray"), 0).value(QStringLiteral("result")),
             QStringLiteral("0"));
    answer = pollWhile(client, QStringLiteral("AnalyseColonies_CheckRunning"), QStringLiteral("oRunning"),
                       QStringLiteral("true"));
    QCOMPARE(answer.value(QStringLiteral("result")), QStringLiteral("0"));
    QCOMPARE(answer.value(QStringLiteral("oRunning")), QStringLiteral("false"));

    answer = client.call(QStringLiteral("AnalyseColonies_SaveResult false R-DBUS \"over the bus\""), 1);
    QCOMPARE(answer.value(QStringLiteral("result")), QStringLiteral("0"));
    const QString rack = answer.value(QStringLiteral("oRackID"));
    QVERIFY(rack.toInt() > 0);

    for (int channel = 1; channel <= 8; ++channel)
        QCOMPARE(client.call(QStringLiteral("Instrument_SetChannelOffset %1 %2 0").arg(channel).arg(channel), 0)
                     .value(QStringLiteral("result")),
                 QStringLiteral("0"));
    // An offset no instrument reaches is refused; the channel keeps the one it had.
    QCOMPARE(client.call(QStringLiteral("Instrument_SetChannelOffset 2 1e308 -1e308"), 0).value(QStringLiteral("result")),
             QStringLiteral("104"));
    answer = client.call(QStringLiteral("Instrument_GetChannelOffset 2"), 2);
    QCOMPARE(answer.value(QStringLiteral("result")), QStringLiteral("0"));
    QCOMPARE(answer.value(QStringLiteral("o_fltOffsetX_mm")).toDouble(), 2.0);
    QCOMPARE(answer.value(QStringLiteral("o_fltOffsetY_mm")).toDouble(), 0.0);

    QStringList maxima;
    for (int container = 0; container < 96; ++container)
        maxima << QStringLiteral("2");
    // A maximum that is negative or no number asks for nothing from its container, as 0 does,
    // and lowers no total. No channel is served, so the run below starts afresh.
    const auto counted = [&](const QString& everyOther) {
        QStringList list = maxima;
        for (qsizetype container = 0; container < list.size(); container += 2)
            list[container] = everyOther;
        const QMap<QString, QString> counts = client.call(
            QStringLiteral("Database_RetrieveColonyPositions %1 %2 0").arg(rack, list.join(QLatin1Char(','))), 7);
        return QStringList{counts.value(QStringLiteral("result")),
                           counts.value(QStringLiteral("o_intUsedNumberOfColonies")),
                           counts.value(QStringLiteral("o_intTotalNumberOfColonies"))};
    };
    const QStringList zeros = counted(QStringLiteral("0"));
    QCOMPARE(zeros.mid(0, 2), (QStringList{QStringLiteral("0"), QStringLiteral("0")}));
    QVERIFY(zeros.at(2).toInt() > 0);
    QCOMPARE(counted(QStringLiteral("-1")), zeros);
    QCOMPARE(counted(QStringLiteral("-2147483648")), zeros);
    QCOMPARE(counted(QStringLiteral("two")), zeros);

    answer = client.call(
        QStringLiteral("Database_RetrieveColonyPositions %1 %2 11111111").arg(rack, maxima.join(QLatin1Char(','))), 7);
    QCOMPARE(answer.value(QStringLiteral("result")), QStringLiteral("0"));
    QCOMPARE(answer.value(QStringLiteral("o_strUsedChannelPattern")), QStringLiteral("11111111"));
    QCOMPARE(answer.value(QStringLiteral("o_intUsedNumberOfColonies")), QStringLiteral("8"));
    const int total = answer.value(QStringLiteral("o_intTotalNumberOfColonies")).toInt();
    QVERIFY(total >= 8 && total <= 192);
    const QStringList colonies = listOf(answer.value(QStringLiteral("o_arrintColonyID")));
    const QStringList xs = listOf(answer.value(QStringLiteral("o_arrfltPositionX_mm")));
    QCOMPARE(colonies.size(), 8);
    QCOMPARE(xs.size(), 8);

    for (int channel = 1; channel <= 8; ++channel) {
        const QString colony = colonies.at(channel - 1);
        QCOMPARE(client.call(QStringLiteral("Database_SetZelvorinColonyPickingState %1 1").arg(colony), 0)
                     .value(QStringLiteral("result")),
                 QStringLiteral("0"));
        answer = client.call(QStringLiteral("Database_GetZelvorinColonyProperties %1").arg(colony), 19);
        QCOMPARE(answer.value(QStringLiteral("result")), QStringLiteral("0"));
        QCOMPARE(answer.value(QStringLiteral("o_intPickingState")), QStringLiteral("1"));
        QCOMPARE(answer.value(QStringLiteral("o_blnIsGoodColony")), QStringLiteral("true"));
        QVERIFY(qAbs(answer.value(QStringLiteral("o_fltPositionX_mm")).toDouble() - channel
                     - xs.at(channel - 1).toDouble())
                < 1e-9);
    }
    answer = client.call(QStringLiteral("Database_GetZelvorinRack %1").arg(rack), 6);
    QCOMPARE(answer.value(QStringLiteral("result")), QStringLiteral("0"));
    QCOMPARE(answer.value(QStringLiteral("oRackBarcode")), QStringLiteral("R-DBUS"));
    QCOMPARE(answer.value(QStringLiteral("oDescription")), QStringLiteral("over the bus"));
    QCOMPARE(answer.value(QStringLiteral("oContainerGridColumnsCount")), QStringLiteral("12"));

    // The client's release ends the server it started.
    client.finish();
    QCOMPARE(client.exitCode(), 0);
    QVERIFY(m_program->waitForExit());
    QCOMPARE(m_program->process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_ColonyRoadOverDBus)
#include "tst_ColonyRoadOverDBus.moc"
