#include "ClientSession.h"
#include "ProgramUnderTest.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace ClientSessions;

// The camera road end to end over the bus, driven by the command-line client against the
// program started as automation server: open the simulated camera with shipped settings,
// show the live view, mark it, read an aid, take a picture, analyse it, poll, save.
class tst_LiveViewOverDBus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cameraCycle();

private:
    // What the simulated camera shows: the demo plate only.
    QTemporaryDir m_cameraPictures;
    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<ProgramUnderTest> m_program;
};

void tst_LiveViewOverDBus::initTestCase()
{
    QVERIFY(m_cameraPictures.isValid());
    const QString demo = QStringLiteral("/settings/ColonyDemo/Demo_Plate_gray.tif");
    QVERIFY(QFile::copy(QFileInfo(QStringLiteral(ZELVORIN_PROGRAM)).absolutePath() + demo,
                        m_cameraPictures.filePath(QStringLiteral("plate.tif"))));
    qputenv("ZELVORIN_CAMERA_PICTURES", QFile::encodeName(m_cameraPictures.path()));
    m_bus = std::make_unique<PrivateSessionBus>();
    QVERIFY2(m_bus->start(), qPrintable(m_bus->error()));
    m_program = std::make_unique<ProgramUnderTest>(*m_bus, QStringLiteral("watcher"));
    m_program->start({QStringLiteral("-activex")});
    QVERIFY(m_program->waitForService());
}

void tst_LiveViewOverDBus::cleanupTestCase()
{
    m_program.reset();
    m_bus.reset();
}

void tst_LiveViewOverDBus::cameraCycle()
{
    ClientSession client(m_bus->environment());
    QVERIFY(client.started());
    const QString ok = QStringLiteral("0");
    const QString result = QStringLiteral("result");
    const auto call = [&client, &result](const QString& line, int outputs = 0) {
        return client.call(line, outputs);
    };

    QCOMPARE(call(QStringLiteral("Camera_Open default")).value(result), ok);
    QMap<QString, QString> answer = call(QStringLiteral("Camera_IsOpen"), 1);
    QCOMPARE(answer.value(QStringLiteral("oIsOpen")), QStringLiteral("true"));
    QCOMPARE(call(QStringLiteral("GUI_LiveView_Show 1")).value(result), ok);
    answer = call(QStringLiteral("GUI_LiveView_IsVisible"), 1);
    QCOMPARE(answer.value(QStringLiteral("oIsVisible")), QStringLiteral("true"));

    QCOMPARE(call(QStringLiteral("GUI_LiveView_Draw_Cross Centre 50 37.5 10 45 red 2")).value(result), ok);
    QCOMPARE(call(QStringLiteral("GUI_LiveView_Draw_Text Centre 5 5 \"plate 1\" yellow Arial 12")).value(result), ok);
    QCOMPARE(call(QStringLiteral("GUI_LiveView_Draw_Cross Centre 50 37.5 10 0 Red 2")).value(result),
             QStringLiteral("3"));
    QCOMPARE(call(QStringLiteral("GUI_LiveView_Draw_Clear Centre")).value(result), ok);

    QCOMPARE(call(QStringLiteral("GUI_LiveView_CameraFocus_Show 45 30 10 10 0 1 1")).value(result), ok);
    answer = call(QStringLiteral("GUI_LiveView_CameraFocus_GetCurrentValue"), 4);
    QCOMPARE(answer.value(result), ok);
    bool number = false;
    const double gradient = answer.value(QStringLiteral("oCurrentGradientValueThreshold")).toDouble(&number);
    QVERIFY(number && gradient >= 0.0);
    QVERIFY(answer.value(QStringLiteral("oMaximumGradientValueThreshold")).toDouble() >= gradient);

    QCOMPARE(call(QStringLiteral("Camera_TakePicture")).value(result), ok);
    QCOMPARE(call(QStringLiteral("AnalyseColonies_Start Demo_Plate_gray")).value(result), ok);
    answer = pollWhile(client, QStringLiteral("AnalyseColonies_CheckRunning"), QStringLiteral("oRunning"),
                       QStringLiteral("true"));
    QCOMPARE(answer.value(result), ok);
    QCOMPARE(answer.value(QStringLiteral("oRunning")), QStringLiteral("false"));
    answer = call(QStringLiteral("AnalyseColonies_SaveResult false R-LIVE \"from the camera\""), 1);
    QCOMPARE(answer.value(result), ok);
    const QString rack = answer.value(QStringLiteral("oRackID"));
    QVERIFY(rack.toInt() > 0);
    answer = call(QStringLiteral("Database_GetZelvorinRack %1").arg(rack), 6);
    QCOMPARE(answer.value(result), ok);
    QCOMPARE(answer.value(QStringLiteral("oRackBarcode")), QStringLiteral("R-LIVE"));

    QCOMPARE(call(QStringLiteral("GUI_LiveView_Hide")).value(result), ok);
    QCOMPARE(call(QStringLiteral("Camera_Close")).value(result), ok);
    answer = call(QStringLiteral("Camera_IsOpen"), 1);
    QCOMPARE(answer.value(QStringLiteral("oIsOpen")), QStringLiteral("false"));

    client.finish();
    QCOMPARE(client.exitCode(), 0);
    QVERIFY(m_program->waitForExit());
    QCOMPARE(m_program->process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_LiveViewOverDBus)
#include "tst_LiveViewOverDBus.moc"
