#include "ClientSession.h"
#include "ProgramUnderTest.h"

#include <Halcon_Helper.h>

#include <QtTest>

#include <memory>

using namespace ClientSessions;

// Racks saved with their pictures in the background, and the program killed as soon as the
// saves have answered, before the pictures had their turn: the next start has every picture,
// and the racks read back with them.
class tst_RackPicturesOverDBus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void picturesOutliveAKill();

private:
    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<ProgramUnderTest> m_program;
};

void tst_RackPicturesOverDBus::initTestCase()
{
    m_bus = std::make_unique<PrivateSessionBus>();
    QVERIFY2(m_bus->start(), qPrintable(m_bus->error()));
    m_program = std::make_unique<ProgramUnderTest>(*m_bus, QStringLiteral("watcher"));
}

void tst_RackPicturesOverDBus::cleanupTestCase()
{
    m_program.reset();
    m_bus.reset();
}

void tst_RackPicturesOverDBus::picturesOutliveAKill()
{
    const QString result = QStringLiteral("result");
    QStringList racks;
    {
        m_program->start({QStringLiteral("-activex")});
        QVERIFY(m_program->waitForService());
        ClientSession client(m_bus->environment());
        QVERIFY(client.started());
        QMap<QString, QString> answer = client.call(QStringLiteral("Application_Get_ProgrammPath"), 1);
        QCOMPARE(answer.value(result), QStringLiteral("0"));
        const QString picture = answer.value(QStringLiteral("oProgrammPath"))
            + QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.tif");
        QCOMPARE(client.call(QStringLiteral("Camera_LoadPicture \"%1\"").arg(picture), 0).value(result), QStringLiteral("0"));
        QCOMPARE(client.call(QStringLiteral("AnalyseColonies_Start Demo_Plate_gray"), 0).value(result), QStringLiteral("0"));
        answer = pollWhile(client, QStringLiteral("AnalyseColonies_CheckRunning"), QStringLiteral("oRunning"),
                           QStringLiteral("true"));
        QCOMPARE(answer.value(result), QStringLiteral("0"));
        for (int save = 0; save < 3; ++save) {
            answer = client.call(QStringLiteral("AnalyseColonies_SaveResult true KILL-%1 \"killed\"").arg(save), 1);
            QCOMPARE(answer.value(result), QStringLiteral("0"));
            racks << answer.value(QStringLiteral("oRackID"));
        }
        // Each picture waits a second for its turn: killed now, the last has not had it.
        m_program->process().kill();
        QVERIFY(m_program->waitForExit());
        QVERIFY(m_program->waitForServiceGone());
    }

    m_program->start({QStringLiteral("-activex")});
    QVERIFY(m_program->waitForService());
    ClientSession client(m_bus->environment());
    QVERIFY(client.started());
    for (int save = 0; save < racks.size(); ++save) {
        const QMap<QString, QString> answer = client.call(QStringLiteral("Database_GetZelvorinRack %1").arg(racks.at(save)), 6);
        QCOMPARE(answer.value(result), QStringLiteral("0"));
        QCOMPARE(answer.value(QStringLiteral("oRackBarcode")), QStringLiteral("KILL-%1").arg(save));
        Halcon::Hobject picture;
        QCOMPARE(Halcon_Helper::LoadImageFile(answer.value(QStringLiteral("oPictureFilePath")), picture),
                 Errors::Type_Error(0));
        int width = 0, height = 0;
        QCOMPARE(Halcon_Helper::GetImageSize(picture, width, height), Errors::Type_Error(0));
        QVERIFY(width > 0 && height > 0);
    }
    client.finish();
    QCOMPARE(client.exitCode(), 0);
    QVERIFY(m_program->waitForExit());
}

QTEST_GUILESS_MAIN(tst_RackPicturesOverDBus)
#include "tst_RackPicturesOverDBus.moc"
