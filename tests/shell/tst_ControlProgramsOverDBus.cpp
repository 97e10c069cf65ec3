#include "ClientSession.h"
#include "ProgramUnderTest.h"

#include <QSet>
#include <QtTest>

#include <memory>

using namespace ClientSessions;

// Several control programs at once against one started server, each through the command-line
// client: one picks a stored rack run after run while another analyses and stores the next
// plates, and a third begins a colony edit and vanishes with the editor open.
class tst_ControlProgramsOverDBus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void pickRunsNeverServeAColonyTwice();

private:
    // The demo plate analysed and stored; the new rack identifier, or an empty text.
    QString analyseAndStore(ClientSession& client, const QString& barcode);
    static QString pageAnswer(ClientSession& client);

    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<ProgramUnderTest> m_program;
    QString m_picture;
};

void tst_ControlProgramsOverDBus::initTestCase()
{
    m_bus = std::make_unique<PrivateSessionBus>();
    QVERIFY2(m_bus->start(), qPrintable(m_bus->error()));
    m_program = std::make_unique<ProgramUnderTest>(*m_bus, QStringLiteral("watcher"));
    m_program->start({QStringLiteral("-activex")});
    QVERIFY(m_program->waitForService());
}

void tst_ControlProgramsOverDBus::cleanupTestCase()
{
    m_program.reset();
    m_bus.reset();
}

QString tst_ControlProgramsOverDBus::analyseAndStore(ClientSession& client, const QString& barcode)
{
    if (m_picture.isEmpty())
        m_picture = client.call(QStringLiteral("Application_Get_ProgrammPath"), 1).value(QStringLiteral("oProgrammPath"))
            + QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.tif");
    const QString ok = QStringLiteral("0");
    const QString result = QStringLiteral("result");
    if (client.call(QStringLiteral("Camera_LoadPicture \"%1\"").arg(m_picture), 0).value(result) != ok
        || client.call(QStringLiteral("AnalyseColonies_Start Demo_Plate_gray"), 0).value(result) != ok)
        return QString();
    const QMap<QString, QString> polled = pollWhile(client, QStringLiteral("AnalyseColonies_CheckRunning"),
                                                    QStringLiteral("oRunning"), QStringLiteral("true"));
    if (polled.value(result) != ok || polled.value(QStringLiteral("oRunning")) != QLatin1String("false"))
        return QString();
    const QMap<QString, QString> saved
        = client.call(QStringLiteral("AnalyseColonies_SaveResult false %1 plate").arg(barcode), 1);
    return saved.value(result) == ok ? saved.value(QStringLiteral("oRackID")) : QString();
}

// What the Colony Analyser page answers a call that changes nothing: 101 while the editor
// holds it.
QString tst_ControlProgramsOverDBus::pageAnswer(ClientSession& client)
{
    return client.call(QStringLiteral("AnalyseColonies_GetLLDPosition false 0"), 2).value(QStringLiteral("result"));
}

void tst_ControlProgramsOverDBus::pickRunsNeverServeAColonyTwice()
{
    ClientSession picker(m_bus->environment());
    ClientSession analyser(m_bus->environment());
    QVERIFY(picker.started() && analyser.started());
    const QString rack = analyseAndStore(analyser, QStringLiteral("PLATE-0"));
    QVERIFY(!rack.isEmpty());

    QStringList maxima;
    for (int container = 0; container < 96; ++container)
        maxima << QStringLiteral("2");
    const QString retrieve = QStringLiteral("Database_RetrieveColonyPositions %1 %2 11111111")
                                 .arg(rack, maxima.join(QLatin1Char(',')));
    QSet<QString> served;
    QString total;
    for (int run = 1; run <= 3; ++run) {
        const QMap<QString, QString> answer = picker.call(retrieve, 7);
        QCOMPARE(answer.value(QStringLiteral("result")), QStringLiteral("0"));
        QCOMPARE(answer.value(QStringLiteral("o_intUsedNumberOfColonies")), QStringLiteral("8"));
        if (total.isEmpty())
            total = answer.value(QStringLiteral("o_intTotalNumberOfColonies"));
        QCOMPARE(answer.value(QStringLiteral("o_intTotalNumberOfColonies")), total);
        const QStringList colonies = listOf(answer.value(QStringLiteral("o_arrintColonyID")));
        QCOMPARE(colonies.size(), 8);
        for (const QString& colony : colonies) {
            QVERIFY2(!served.contains(colony), qPrintable(QStringLiteral("run %1 serves colony %2 again").arg(run).arg(colony)));
            served.insert(colony);
            QCOMPARE(picker.call(QStringLiteral("Database_SetZelvorinColonyPickingState %1 1").arg(colony), 0)
                         .value(QStringLiteral("result")),
                     QStringLiteral("0"));
        }

        // Meanwhile the next plate is stored...
        QVERIFY(!analyseAndStore(analyser, QStringLiteral("PLATE-%1").arg(run)).isEmpty());
        // ... and a colony edit is begun by a control program that goes away with the editor open.
        {
            ClientSession editor(m_bus->environment());
            QVERIFY(editor.started());
            QVERIFY(editor.send(QStringLiteral("AnalyseColonies_UserEditColonies")));
            QTRY_COMPARE_WITH_TIMEOUT(pageAnswer(analyser), QStringLiteral("101"), ProgramUnderTest::TimeoutMs);
            editor.kill();
        }
        // The editor went with its client: the page takes work again.
        QTRY_COMPARE_WITH_TIMEOUT(pageAnswer(analyser), QStringLiteral("0"), ProgramUnderTest::TimeoutMs);
    }
}

QTEST_GUILESS_MAIN(tst_ControlProgramsOverDBus)
#include "tst_ControlProgramsOverDBus.moc"
