#include "ClientSession.h"
#include "ProgramUnderTest.h"
#include "../stitcher/TrayTruth.h"

#include <QtTest>

#include <memory>

using namespace ClientSessions;

// The image stitcher road end to end over the bus, driven by the command-line client against
// the program started as automation server: six views of the demo tray placed as the camera's
// pictures, stitched, polled until done, stored and read back, then the stitched tray's
// colonies analysed and read back in plate millimetres.
class tst_StitcherRoadOverDBus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void trayCycle();

private:
    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<ProgramUnderTest> m_program;
};

void tst_StitcherRoadOverDBus::initTestCase()
{
    m_bus = std::make_unique<PrivateSessionBus>();
    QVERIFY2(m_bus->start(), qPrintable(m_bus->error()));
    m_program = std::make_unique<ProgramUnderTest>(*m_bus, QStringLiteral("watcher"));
    m_program->start({QStringLiteral("-activex")});
    QVERIFY(m_program->waitForService());
}

void tst_StitcherRoadOverDBus::cleanupTestCase()
{
    m_program.reset();
    m_bus.reset();
}

void tst_StitcherRoadOverDBus::trayCycle()
{
    ClientSession client(m_bus->environment());
    QVERIFY(client.started());
    const QString result = QStringLiteral("result");
    QMap<QString, QString> answer = client.call(QStringLiteral("Application_Get_ProgrammPath"), 1);
    QCOMPARE(answer.value(result), QStringLiteral("0"));
    const QString demo = answer.value(QStringLiteral("oProgrammPath")) + QStringLiteral("settings/ImageStitcherDemo/");

    QCOMPARE(client.call(QStringLiteral("ImageStitcher_Start Demo_QTray-Plate"), 0).value(result), QStringLiteral("212"));
    for (int position = 0; position < 6; ++position) {
        const QString view = demo + QStringLiteral("QTray-Plate-0%1.png").arg(position + 1);
        QCOMPARE(client.call(QStringLiteral("Camera_LoadPicture \"%1\"").arg(view), 0).value(result),
                 QStringLiteral("0"));
        QCOMPARE(client.call(QStringLiteral("ImageStitcher_AssignPicturePosition %1").arg(position), 0).value(result),
                 QStringLiteral("0"));
    }
    QCOMPARE(client.call(QStringLiteral("ImageStitcher_Start Demo_QTray-Plate"), 0).value(result), QStringLiteral("0"));
    answer = pollWhile(client, QStringLiteral("ImageStitcher_CheckRunning"), QStringLiteral("oRunning"),
                       QStringLiteral("true"));
    QCOMPARE(answer.value(result), QStringLiteral("0"));
    QCOMPARE(answer.value(QStringLiteral("oRunning")), QStringLiteral("false"));

    answer = client.call(QStringLiteral("ImageStitcher_SaveResult true TRAY-DBUS \"six views\" true true"), 1);
    QCOMPARE(answer.value(result), QStringLiteral("0"));
    const QString stitcherId = answer.value(QStringLiteral("oImageStitcherID"));
    QVERIFY(stitcherId.toInt() > 0);
    answer = pollWhile(client, QStringLiteral("ImageStitcher_SaveResult_CheckAsynchronSaveFinish"),
                       QStringLiteral("oFinish"), QStringLiteral("false"));
    QCOMPARE(answer.value(result), QStringLiteral("0"));
    QCOMPARE(answer.value(QStringLiteral("oFinish")), QStringLiteral("true"));

    // The stitched tray is the camera's picture; its colonies in plate millimetres.
    QCOMPARE(client.call(QStringLiteral("AnalyseColonies_Start Demo_QTray-Plate"), 0).value(result), QStringLiteral("0"));
    answer = pollWhile(client, QStringLiteral("AnalyseColonies_CheckRunning"), QStringLiteral("oRunning"),
                       QStringLiteral("true"));
    QCOMPARE(answer.value(result), QStringLiteral("0"));
    QCOMPARE(answer.value(QStringLiteral("oRunning")), QStringLiteral("false"));
    answer = client.call(
        QStringLiteral("AnalyseColonies_SaveResultWithImageStitcher false TRAY-DBUS \"stitched\" %1").arg(stitcherId), 1);
    QCOMPARE(answer.value(result), QStringLiteral("0"));
    const QString rack = answer.value(QStringLiteral("oRackID"));
    QVERIFY(rack.toInt() > 0);

    answer = client.call(QStringLiteral("Database_GetZelvorinContainerIDs %1").arg(rack), 1);
    QCOMPARE(answer.value(result), QStringLiteral("0"));
    std::vector<QPointF> found;
    for (const QString& container : listOf(answer.value(QStringLiteral("o_arrintContainerIDs")))) {
        answer = client.call(QStringLiteral("Database_GetZelvorinColonyIDs_IsGoodColony %1").arg(container), 1);
        QCOMPARE(answer.value(result), QStringLiteral("0"));
        for (const QString& colony : listOf(answer.value(QStringLiteral("o_arrintColonyIDs")))) {
            answer = client.call(QStringLiteral("Database_GetZelvorinColonyProperties %1").arg(colony), 19);
            QCOMPARE(answer.value(result), QStringLiteral("0"));
            found.emplace_back(answer.value(QStringLiteral("o_fltPositionX_mm")).toDouble(),
                               answer.value(QStringLiteral("o_fltpositionY_mm")).toDouble());
        }
    }
    const std::vector<QPointF> truth = TrayTruth::demoColoniesInPlateMillimetres();
    QVERIFY2(found.size() >= truth.size() / 2, qPrintable(QString::number(found.size())));
    const double worst = TrayTruth::worstDistance(found, truth);
    QVERIFY2(worst < 0.15, qPrintable(QString::number(worst)));

    // The pictures went with the stitched plate: the next plate needs its own.
    QCOMPARE(client.call(QStringLiteral("ImageStitcher_Start Demo_QTray-Plate"), 0).value(result), QStringLiteral("212"));

    client.finish();
    QCOMPARE(client.exitCode(), 0);
    QVERIFY(m_program->waitForExit());
    QCOMPARE(m_program->process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_StitcherRoadOverDBus)
#include "tst_StitcherRoadOverDBus.moc"
