#include "Automation_BusNames.h"
#include "ProgramUnderTest.h"

#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Calls that wait, over the bus against the program started as automation server: each is
// answered when its own wait ends, whatever other clients wait for meanwhile, and the long
// exports leave the other clients' calls going. Objects answer only their own client, and
// their paths differ from one run of the server to the next.
class tst_WaitingCallsOverDBus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void aidWaitsEndEachOnItsOwnTime();
    void saveIsNotHeldByAnotherClientsDialog();
    void dialogsAnswerTheirOwnClientOnRelease();
    void anotherClientsObjectRefusesTheCall();
    void exportsLeaveOtherCallsGoing();
    void askBeyondTheBoundsIsRefused_data();
    void askBeyondTheBoundsIsRefused();
    void pathsDifferAcrossRuns();

private:
    // A control program of the test's own with one object of the program's class.
    class Client {
    public:
        Client(ProgramUnderTest& program, const QString& name)
            : m_client(program.attach(name))
        {
        }
        bool attached() const { return m_client != nullptr; }
        QString path() const { return m_client->objectPath(); }
        QDBusMessage call(const QString& method, const QVariantList& arguments = {}) const
        {
            return m_client->call(method, arguments);
        }
        // Sent without waiting for the answer.
        QDBusPendingCall send(const QString& method, const QVariantList& arguments = {}) const
        {
            QDBusMessage message
                = QDBusMessage::createMethodCall(m_client->serverName(), m_client->objectPath(), QString(), method);
            message.setArguments(arguments);
            return m_client->connection().asyncCall(message, 120000);
        }
        bool release()
        {
            QString error;
            return m_client->release(error);
        }
        Automation_Client& automation() { return *m_client; }

    private:
        std::unique_ptr<Automation_Client> m_client;
    };

    // The longest a trivial call of another client takes while pending has not finished; at
    // least a few calls are made meanwhile, else -1.
    static qint64 longestCallMeanwhile(const Client& other, const QDBusPendingCall& pending);
    // The demo plate analysed on the page; the picture may be replaced by one of the test's.
    bool analyse(Client& client, const QString& picture = QString());
    static int resultOf(const QDBusMessage& reply)
    {
        return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
            ? reply.arguments().constFirst().toInt()
            : -1;
    }

    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<ProgramUnderTest> m_program;
    QTemporaryDir m_files;
    int m_clientSerial = 0;
};

void tst_WaitingCallsOverDBus::initTestCase()
{
    QVERIFY(m_files.isValid());
    m_bus = std::make_unique<PrivateSessionBus>();
    QVERIFY2(m_bus->start(), qPrintable(m_bus->error()));
}

void tst_WaitingCallsOverDBus::init()
{
    m_program = std::make_unique<ProgramUnderTest>(*m_bus, QStringLiteral("watcher%1").arg(++m_clientSerial));
    m_program->start({QStringLiteral("-activex")});
    QVERIFY(m_program->waitForService());
}

void tst_WaitingCallsOverDBus::cleanup()
{
    m_program.reset();
}

void tst_WaitingCallsOverDBus::cleanupTestCase()
{
    m_bus.reset();
}

qint64 tst_WaitingCallsOverDBus::longestCallMeanwhile(const Client& other, const QDBusPendingCall& pending)
{
    qint64 longest = 0;
    int calls = 0;
    QElapsedTimer timer;
    while (!pending.isFinished()) {
        timer.start();
        const QDBusMessage reply = other.call(QStringLiteral("GUI_IsVisible"));
        longest = std::max(longest, timer.elapsed());
        if (resultOf(reply) != 0)
            return -1;
        ++calls;
        QCoreApplication::processEvents();
    }
    return calls >= 3 ? longest : -1;
}

bool tst_WaitingCallsOverDBus::analyse(Client& client, const QString& picture)
{
    const QDBusMessage path = client.call(QStringLiteral("Application_Get_ProgrammPath"));
    if (resultOf(path) != 0)
        return false;
    const QString file = picture.isEmpty()
        ? path.arguments().at(1).toString() + QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.tif")
        : picture;
    if (resultOf(client.call(QStringLiteral("Camera_LoadPicture"), {file})) != 0
        || resultOf(client.call(QStringLiteral("AnalyseColonies_Start"), {QStringLiteral("Demo_Plate_gray")})) != 0)
        return false;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ProgramUnderTest::TimeoutMs) {
        const QDBusMessage running = client.call(QStringLiteral("AnalyseColonies_CheckRunning"));
        // A picture the demo settings do not fit ends with their code; its rack picture stays.
        if (resultOf(running) != 0 || !running.arguments().at(1).toBool())
            return true;
        QTest::qWait(20);
    }
    return false;
}

void tst_WaitingCallsOverDBus::aidWaitsEndEachOnItsOwnTime()
{
    // The camera stays closed: no aid gets a value, each call ends with its own 15 s wait.
    const QStringList methods{QStringLiteral("GUI_LiveView_CameraFocus_GetCurrentValue"),
                              QStringLiteral("GUI_LiveView_CameraAperture_GetCurrentValue"),
                              QStringLiteral("GUI_LiveView_CameraHomogeneous_GetCurrentValue")};
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<Client>(*m_program, QStringLiteral("aid%1").arg(i)));
        QVERIFY(clients.back()->attached());
    }
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> sent(3, -1);
    std::vector<qint64> answered(3, -1);
    std::vector<QDBusMessage> replies(3);
    std::vector<std::unique_ptr<QDBusPendingCallWatcher>> watchers;
    for (int i = 0; i < 3; ++i) {
        // Begun three seconds apart.
        QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= 3000 * i, 10000);
        sent[i] = clock.elapsed();
        watchers.push_back(std::make_unique<QDBusPendingCallWatcher>(clients[i]->send(methods.at(i))));
        connect(watchers.back().get(), &QDBusPendingCallWatcher::finished, this,
                [&, i](QDBusPendingCallWatcher* watcher) {
                    answered[i] = clock.elapsed();
                    replies[i] = watcher->reply();
                });
    }
    QTRY_VERIFY_WITH_TIMEOUT(answered[0] >= 0 && answered[1] >= 0 && answered[2] >= 0, 40000);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(resultOf(replies[i]), 15);
        QCOMPARE(replies[i].arguments().size(), 5);
        const qint64 took = answered[i] - sent[i];
        QVERIFY2(took >= 15000 - 50 && took <= 15000 + 2000,
                 qPrintable(QStringLiteral("call %1 answered after %2 ms").arg(i).arg(took)));
    }
}

void tst_WaitingCallsOverDBus::saveIsNotHeldByAnotherClientsDialog()
{
    Client saver(*m_program, QStringLiteral("saver"));
    Client chooser(*m_program, QStringLiteral("chooser"));
    QVERIFY(saver.attached() && chooser.attached());
    const QDBusMessage path = saver.call(QStringLiteral("Application_Get_ProgrammPath"));
    QCOMPARE(resultOf(path), 0);
    const QString picture
        = path.arguments().at(1).toString() + QStringLiteral("settings/ColonyDemo/Demo_Plate_gray.tif");
    QCOMPARE(resultOf(saver.call(QStringLiteral("Camera_LoadPicture"), {picture})), 0);
    QCOMPARE(resultOf(saver.call(QStringLiteral("AnalyseColonies_Start"), {QStringLiteral("Demo_Plate_gray")})), 0);

    // The save waits for the analysis; the other client's dialog opens while it waits.
    QElapsedTimer clock;
    clock.start();
    const QDBusPendingCall save = saver.send(QStringLiteral("AnalyseColonies_SaveResult"),
                                             {false, QStringLiteral("HELD"), QStringLiteral("not held")});
    QTest::qWait(50);
    const QDBusPendingCall dialog = chooser.send(QStringLiteral("Database_SelectZelvorinRack"));
    QTRY_VERIFY_WITH_TIMEOUT(save.isFinished(), 60000);
    const qint64 saveTook = clock.elapsed();
    QCOMPARE(resultOf(save.reply()), 0);
    QVERIFY(save.reply().arguments().at(1).toInt() > 0);
    QVERIFY2(saveTook < 20000, qPrintable(QString::number(saveTook)));
    QVERIFY(!dialog.isFinished());
    // Meanwhile the dialog's client still gets answers, and its release answers the dialog.
    QCOMPARE(resultOf(chooser.call(QStringLiteral("GUI_IsVisible"))), 0);
    QVERIFY(!dialog.isFinished());
    QVERIFY(chooser.release());
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isFinished(), 10000);
    QCOMPARE(dialog.reply().arguments(), (QVariantList{0, -1}));
}

void tst_WaitingCallsOverDBus::dialogsAnswerTheirOwnClientOnRelease()
{
    Client first(*m_program, QStringLiteral("first"));
    Client second(*m_program, QStringLiteral("second"));
    Client stays(*m_program, QStringLiteral("stays"));
    QVERIFY(first.attached() && second.attached() && stays.attached());
    const QDBusPendingCall firstDialog = first.send(QStringLiteral("Database_SelectZelvorinRack"));
    QTest::qWait(50);
    const QDBusPendingCall secondDialog
        = second.send(QStringLiteral("Settings_SelectColonySettings"), {QStringLiteral("Demo_Plate_gray")});
    // Both are open: the server answers other calls meanwhile.
    QCOMPARE(resultOf(stays.call(QStringLiteral("GUI_IsVisible"))), 0);
    QVERIFY(!firstDialog.isFinished() && !secondDialog.isFinished());

    // The earlier dialog's client goes first: its call is answered, the later dialog stays.
    QVERIFY(first.release());
    QTRY_VERIFY_WITH_TIMEOUT(firstDialog.isFinished(), 10000);
    QCOMPARE(firstDialog.reply().arguments(), (QVariantList{0, -1}));
    QCOMPARE(resultOf(stays.call(QStringLiteral("GUI_IsVisible"))), 0);
    QVERIFY(!secondDialog.isFinished());
    QVERIFY(second.release());
    QTRY_VERIFY_WITH_TIMEOUT(secondDialog.isFinished(), 10000);
    QCOMPARE(secondDialog.reply().arguments(), (QVariantList{0, QString()}));
}

void tst_WaitingCallsOverDBus::anotherClientsObjectRefusesTheCall()
{
    Client owner(*m_program, QStringLiteral("owner"));
    Client stranger(*m_program, QStringLiteral("stranger"));
    QVERIFY(owner.attached() && stranger.attached());
    for (const QString& method : {QStringLiteral("Application_GetVersion"), QStringLiteral("GUI_IsVisible"),
                                  QStringLiteral("Database_SelectZelvorinRack")}) {
        QDBusMessage message = QDBusMessage::createMethodCall(owner.automation().serverName(), owner.path(), QString(),
                                                              method);
        const QDBusMessage reply = stranger.automation().connection().call(message, QDBus::Block, 30000);
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), Automation_BusNames::errorNotOwner());
    }
    // No dialog was opened for the stranger: the owner's own call goes through at once.
    QCOMPARE(resultOf(owner.call(QStringLiteral("GUI_IsVisible"))), 0);
}

void tst_WaitingCallsOverDBus::exportsLeaveOtherCallsGoing()
{
    Client exporter(*m_program, QStringLiteral("exporter"));
    Client other(*m_program, QStringLiteral("other"));
    QVERIFY(exporter.attached() && other.attached());

    // 1440 x 1080 at 800 % is just below the bound: a picture of almost 100 megapixels.
    QImage small(1440, 1080, QImage::Format_Grayscale8);
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            small.scanLine(y)[x] = uchar((x * 7 + y * 13) % 251);
    const QString smallFile = m_files.filePath(QStringLiteral("small.png"));
    QVERIFY(small.save(smallFile));
    QVERIFY(analyse(exporter, smallFile));
    const QString picture = m_files.filePath(QStringLiteral("large.png"));
    const QDBusPendingCall large = exporter.send(
        QStringLiteral("AnalyseColonies_ExportRackPicture"),
        {-1, false, picture, QStringLiteral("png"), false, 800, false});
    const qint64 longestDuringPicture = longestCallMeanwhile(other, large);
    QTRY_VERIFY_WITH_TIMEOUT(large.isFinished(), 120000);
    QCOMPARE(resultOf(large.reply()), 0);
    QCOMPARE(QImageReader(picture).size(), QSize(11520, 8640));
    QVERIFY2(longestDuringPicture >= 0 && longestDuringPicture < 1000,
             qPrintable(QString::number(longestDuringPicture)));

    // The longest list allowed: a stored rack a few times among racks that do not exist.
    QVERIFY(analyse(exporter));
    const QDBusMessage saved = exporter.call(QStringLiteral("AnalyseColonies_SaveResult"),
                                             {false, QStringLiteral("ZIP"), QStringLiteral("zipped")});
    QCOMPARE(resultOf(saved), 0);
    const int rack = saved.arguments().at(1).toInt();
    QVariantList ids;
    for (int i = 0; i < 10000; ++i)
        ids << (i % 2000 == 0 ? rack : 1000000 + i);
    const QString archive = m_files.filePath(QStringLiteral("racks.zip"));
    const QDBusPendingCall zip
        = exporter.send(QStringLiteral("AnalyseColonies_ExportToZipArchive"), {ids, archive, false});
    const qint64 longestDuringZip = longestCallMeanwhile(other, zip);
    QTRY_VERIFY_WITH_TIMEOUT(zip.isFinished(), 120000);
    // The racks that do not exist are reported, the others are in.
    QCOMPARE(resultOf(zip.reply()), 73);
    QVERIFY(QFileInfo(archive).size() > 0);
    QVERIFY2(longestDuringZip >= 0 && longestDuringZip < 1000, qPrintable(QString::number(longestDuringZip)));
}

void tst_WaitingCallsOverDBus::askBeyondTheBoundsIsRefused_data()
{
    QTest::addColumn<QString>("method");
    QTest::newRow("picture over 100 megapixels") << QStringLiteral("AnalyseColonies_ExportRackPicture");
    QTest::newRow("more than 10000 racks") << QStringLiteral("AnalyseColonies_ExportToZipArchive");
}

void tst_WaitingCallsOverDBus::askBeyondTheBoundsIsRefused()
{
    QFETCH(QString, method);
    Client client(*m_program, QStringLiteral("bounds"));
    QVERIFY(client.attached());
    const QString target = m_files.filePath(QStringLiteral("refused"));
    QDBusMessage reply;
    if (method == QLatin1String("AnalyseColonies_ExportRackPicture")) {
        // The demo plate, 2592 x 1944, at 400 % would be 80 megapixels, at 500 % 126.
        QVERIFY(analyse(client));
        QCOMPARE(resultOf(client.call(method, {-1, false, target + QStringLiteral(".png"), QStringLiteral("png"),
                                               false, 400, false})),
                 0);
        reply = client.call(method, {-1, false, target + QStringLiteral("2.png"), QStringLiteral("png"), false, 500,
                                     false});
        QVERIFY(!QFileInfo::exists(target + QStringLiteral("2.png")));
    } else {
        QVariantList ids;
        for (int i = 0; i <= 10000; ++i)
            ids << i;
        reply = client.call(method, {ids, target + QStringLiteral(".zip"), false});
        QVERIFY(!QFileInfo::exists(target + QStringLiteral(".zip")));
    }
    QCOMPARE(resultOf(reply), 104);
}

void tst_WaitingCallsOverDBus::pathsDifferAcrossRuns()
{
    QString firstPath;
    for (int run = 0; run < 2; ++run) {
        if (run > 0) {
            m_program = std::make_unique<ProgramUnderTest>(*m_bus, QStringLiteral("watcher%1").arg(++m_clientSerial));
            m_program->start({QStringLiteral("-activex")});
            QVERIFY(m_program->waitForService());
        }
        Client client(*m_program, QStringLiteral("run%1").arg(run));
        QVERIFY(client.attached());
        if (run == 0) {
            firstPath = client.path();
        } else {
            // The first object of each run, and still another path.
            QVERIFY2(client.path() != firstPath, qPrintable(client.path()));
        }
        // The last release ends the started server.
        QVERIFY(client.release());
        QVERIFY(m_program->waitForExit());
    }
}

QTEST_GUILESS_MAIN(tst_WaitingCallsOverDBus)
#include "tst_WaitingCallsOverDBus.moc"
