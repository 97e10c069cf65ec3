#include "Errors.h"

#include <QMetaType>
#include <QSemaphore>
#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Records every code it is asked for, so a test sees whether the library consulted it.
class RecordingCallback : public Errors::CallbackFunctions {
public:
    explicit RecordingCallback(QString prefix = QStringLiteral("app:")) : m_prefix(std::move(prefix)) {}
    QString errorText(Errors::Type_Error code) override
    {
        ++calls;
        lastCode = code;
        return m_prefix + QString::number(code);
    }
    std::atomic<int> calls{0};
    std::atomic<int> lastCode{0};

private:
    QString m_prefix;
};

// A source that holds a worker inside errorText until the test lets it go, and that follows
// the rule of unregistering before its own part goes.
class HeldCallback : public Errors::CallbackFunctions {
public:
    HeldCallback(QSemaphore& entered, QSemaphore& proceed) : m_entered(entered), m_proceed(proceed) {}
    ~HeldCallback() override
    {
        Errors::unregisterCallback(this);
        m_text = QStringLiteral("destroyed");
    }
    QString errorText(Errors::Type_Error) override
    {
        m_entered.release();
        m_proceed.tryAcquire(1, 60000);
        return m_text;
    }

private:
    QSemaphore& m_entered;
    QSemaphore& m_proceed;
    QString m_text = QStringLiteral("whole");
};

} // namespace

class ErrorEmitter : public QObject {
    Q_OBJECT
signals:
    void signal_error(Errors::Type_Error code);
};

class ErrorReceiver : public QObject {
    Q_OBJECT
public slots:
    void slot_error(Errors::Type_Error code) { received.append(code); }

public:
    QList<int> received;
};

class tst_Errors : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void libraryText_data();
    void libraryText();
    void libraryCodesNeverAskTheCallback_data();
    void libraryCodesNeverAskTheCallback();

    void foreignCode_data();
    void foreignCode();

    void callbackTextIsPassedUnchanged();
    void metaTypeRegistered();

    void destroyingErrorsResetsItsCallback();
    void destroyingOlderErrorsKeepsNewerCallback();
    void destroyingCallbackResetsIt();
    void unregisterCallback();
    void sourceGoesOnlyAfterATextInProgress();

    void concurrentReaders();
};

void tst_Errors::cleanup()
{
    Errors::unregisterCallback();
}

void tst_Errors::libraryText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("expected");

    const QList<QPair<int, const char*>> table = {
        {0, "No error"},
        {1, "General Tessrun Library error"},
        {2, "General Quillon error"},
        {3, "General application error"},
        {4, "Application already started"},
        {5, "No administrator rights"},
        {10, "UEye camera driver not installed"},
        {11, "Wrong uEye camera driver version"},
        {12, "Camera not found"},
        {13, "Camera isn't open"},
        {14, "Cannot grab the camera picture"},
        {15, "No picture grabbed"},
        {16, "For automatic error handling, cannot reopen the camera"},
        {17, "Grab of image aborted"},
        {18, "Grab of image timeout occurred"},
        {19, "External trigger not activated"},
        {20, "Camera general error"},
        {21, "Cannot set the general camera configuration"},
        {22, "Cannot set the special camera configuration"},
        {23, "Cannot set the camera trigger configuration"},
        {24, "Cannot set the camera strobe configuration"},
        {25, "Cannot set the camera exposure time/frame rate configuration"},
        {26, "Cannot set the camera color conversion/color correction/white balance configuration"},
        {27, "Cannot set/get the camera 'eeprom_content'"},
        {28, "Cannot set/get the camera I/O ports"},
        {29, "Cannot set/get the camera flash port, because the external flash is active"},
        {30, "Cannot find the 'ini' file for camera configuration"},
        {40, "General halcon function error"},
        {41, "No halcon image object"},
        {42, "Empty halcon object"},
        {50, "Picture path don't exists"},
        {51, "Picture file don't exists"},
        {52, "Picture path not writable"},
        {53, "No enough disk space available"},
        {54, "Cannot load the picture"},
        {55, "Cannot save the picture"},
        {56, "Picture is not a color (rgb) format"},
        {57, "Picture is not a gray scaled format"},
        {60, "Cannot load the camera settings"},
        {61, "Cannot save the camera settings"},
        {65, "Not enough space for store instrument data"},
        {70, "File or directory does not exist"},
        {71, "ZIP command error"},
        {72, "Create ZIP archive error"},
        {73, "Prepare data to ZIP archive error"},
        {74, "Add file to ZIP archive error"},
        {80, "No SQL driver for database"},
        {81, "Cannot open the database"},
        {82, "Database isn't writable"},
        {83, "Database is to big"},
        {84, "Database isn't open"},
        {85, "Database SQL statement error"},
        {86, "Cannot read the database autoincrement"},
        {87, "Cannot read from database"},
        {88, "Cannot write to database"},
        {89, "Cannot update the database"},
        {90, "Cannot open the SQL file"},
        {91, "The version of the database are wrong. Generate a new database"},
        {10000, "Model matching: General error"},
        {10001, "Model matching: Illegal parameter"},
        {10002, "Model matching: No model picture defined"},
        {10010, "Model matching: Cannot load the shape model data"},
        {10011, "Model matching: Cannot save the shape model data"},
        {10012, "Model matching: Cannot execute function create_scaled_shape_model()"},
        {10013, "Model matching: For create shape model points too small"},
        {10014, "Model matching: Cannot execute function find_scaled_shape_model()"},
        {10015, "Model matching: Timeout for find the model"},
        {10016, "Model matching: No shape model exists"},
        {10100, "Classification MLP: General error"},
        {10110, "Classification MLP: Cannot load the classify data"},
        {10111, "Classification MLP: Cannot load the classify features"},
        {10112, "Classification MLP: Cannot save the classify data"},
        {10113, "Classification MLP: Cannot save the classify features"},
        {10114, "Classification MLP: Cannot classify"},
        {10115, "Classification MLP: ClassID error"},
        {10116, "Classification MLP: No classify data exists"},
        {10117, "Classification MLP: Cannot create training data"},
        {10118, "Classification MLP: Minimal confidence not reached"},
        {10200, "Matching NCC: General error"},
        {10210, "Matching NCC: Cannot load the classify data"},
        {10211, "Matching NCC: Cannot save the classify data"},
        {10212, "Matching NCC: Cannot classify"},
        {10213, "Matching NCC: ClassID error"},
        {10214, "Matching NCC: Training picture error"},
        {10215, "Matching NCC: Training item error"},
        {10216, "Matching NCC: No classify data exists"},
        {10217, "Matching NCC: Cannot create training data"},
        {10218, "Matching NCC: Not identified"},
        {10300, "HAOP: Settings error"},
        {10301, "HAOP: Halcon 'aop' file error"},
        {10302, "HAOP: Halcon 'aop' optimize error"},
    };
    for (const auto& [code, text] : table)
        QTest::addRow("%d", code) << code << QString::fromLatin1(text);
}

void tst_Errors::libraryText()
{
    QFETCH(int, code);
    QFETCH(QString, expected);

    // Without any application source.
    QCOMPARE(Errors::getErrorText(Errors::Type_Error(code)), expected);

    // With one: the library text still wins and the source is not asked.
    RecordingCallback callback;
    Errors errors(&callback);
    QCOMPARE(Errors::getErrorText(Errors::Type_Error(code)), expected);
    QCOMPARE(callback.calls.load(), 0);
}

void tst_Errors::libraryCodesNeverAskTheCallback_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("general") << 0 << 5;
    QTest::newRow("camera") << 10 << 30;
    QTest::newRow("halcon") << 40 << 42;
    QTest::newRow("pictures") << 50 << 57;
    QTest::newRow("zip") << 70 << 74;
    QTest::newRow("database") << 80 << 91;
}

void tst_Errors::libraryCodesNeverAskTheCallback()
{
    QFETCH(int, first);
    QFETCH(int, last);
    RecordingCallback callback;
    Errors errors(&callback);
    for (int code = first; code <= last; ++code) {
        const QString text = Errors::getErrorText(Errors::Type_Error(code));
        QVERIFY2(!text.isEmpty() && !text.startsWith(QLatin1String("app:")), qPrintable(QString::number(code)));
    }
    QCOMPARE(callback.calls.load(), 0);
}

void tst_Errors::foreignCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addRow("application 100") << 100;
    QTest::addRow("application 212") << 212;
    QTest::addRow("halcon 1000") << 1000;
    QTest::addRow("minus one") << -1;
    QTest::addRow("minus five") << -5;
    QTest::addRow("most negative") << -32768;
    QTest::addRow("largest") << 32767;
    // Gaps inside the library's own ranges belong to the application too.
    for (int code : {6, 9, 31, 39, 43, 49, 58, 59, 62, 64, 66, 69, 75, 79, 92, 9999,
                     10003, 10009, 10017, 10099, 10101, 10109, 10119, 10199,
                     10201, 10209, 10219, 10299, 10303})
        QTest::addRow("gap %d", code) << code;
}

void tst_Errors::foreignCode()
{
    QFETCH(int, code);
    const auto typed = Errors::Type_Error(code);

    QCOMPARE(Errors::getErrorText(typed), QStringLiteral("Unknow error ") + QString::number(code));

    RecordingCallback callback;
    {
        Errors errors(&callback);
        QCOMPARE(Errors::getErrorText(typed), QStringLiteral("app:") + QString::number(code));
        QCOMPARE(callback.calls.load(), 1);
        QCOMPARE(callback.lastCode.load(), code);
    }
    QCOMPARE(Errors::getErrorText(typed), QStringLiteral("Unknow error ") + QString::number(code));
}

void tst_Errors::callbackTextIsPassedUnchanged()
{
    class Fixed : public Errors::CallbackFunctions {
    public:
        QString errorText(Errors::Type_Error) override { return m_text; }
        QString m_text;
    } fixed;
    Errors errors(&fixed);
    for (const QString& text : {QString(), QStringLiteral("  padded  "), QStringLiteral("Unknow error 7"),
                                QStringLiteral("Zeile\nzwei \u00e4\u00f6\u00fc")}) {
        fixed.m_text = text;
        QCOMPARE(Errors::getErrorText(7), text);
    }
}

void tst_Errors::metaTypeRegistered()
{
    Errors errors(nullptr);
    const QMetaType type = QMetaType::fromName("Errors::Type_Error");
    QVERIFY(type.isValid());
    QCOMPARE(type.id(), QMetaType::fromType<qint16>().id());

    // A queued connection made by signature carries the code by its registered name.
    ErrorEmitter emitter;
    ErrorReceiver receiver;
    QVERIFY(QObject::connect(&emitter, SIGNAL(signal_error(Errors::Type_Error)),
                             &receiver, SLOT(slot_error(Errors::Type_Error)), Qt::QueuedConnection));
    emit emitter.signal_error(-42);
    QCOMPARE(receiver.received, QList<int>());
    QTRY_COMPARE(receiver.received, QList<int>{-42});
}

void tst_Errors::destroyingErrorsResetsItsCallback()
{
    RecordingCallback callback;
    auto* errors = new Errors(&callback);
    QCOMPARE(Errors::getErrorText(100), QStringLiteral("app:100"));
    delete errors;
    QCOMPARE(Errors::getErrorText(100), QStringLiteral("Unknow error 100"));
    QCOMPARE(callback.calls.load(), 1);
}

void tst_Errors::destroyingOlderErrorsKeepsNewerCallback()
{
    RecordingCallback first(QStringLiteral("first:"));
    RecordingCallback second(QStringLiteral("second:"));
    auto* older = new Errors(&first);
    Errors newer(&second);
    QCOMPARE(Errors::getErrorText(100), QStringLiteral("second:100"));
    delete older;
    QCOMPARE(Errors::getErrorText(100), QStringLiteral("second:100"));
    QCOMPARE(first.calls.load(), 0);

    // A construction without a source replaces the registered one.
    Errors none(nullptr);
    QCOMPARE(Errors::getErrorText(100), QStringLiteral("Unknow error 100"));
}

void tst_Errors::destroyingCallbackResetsIt()
{
    // The application deletes its text source while the Errors object still lives: the
    // library must not call into the deleted object (ASan reports it if it does).
    auto* callback = new RecordingCallback;
    Errors errors(callback);
    QCOMPARE(Errors::getErrorText(-1), QStringLiteral("app:-1"));
    delete callback;
    QCOMPARE(Errors::getErrorText(-1), QStringLiteral("Unknow error -1"));

    // Deleting a source that is not registered leaves the registered one alone.
    RecordingCallback registered;
    Errors current(&registered);
    delete new RecordingCallback(QStringLiteral("other:"));
    QCOMPARE(Errors::getErrorText(-1), QStringLiteral("app:-1"));
}

void tst_Errors::unregisterCallback()
{
    RecordingCallback registered;
    RecordingCallback other;
    Errors errors(&registered);

    Errors::unregisterCallback(&other);
    QCOMPARE(Errors::getErrorText(32767), QStringLiteral("app:32767"));

    Errors::unregisterCallback(&registered);
    QCOMPARE(Errors::getErrorText(32767), QStringLiteral("Unknow error 32767"));

    Errors again(&registered);
    Errors::unregisterCallback();
    QCOMPARE(Errors::getErrorText(32767), QStringLiteral("Unknow error 32767"));
}

void tst_Errors::sourceGoesOnlyAfterATextInProgress()
{
    QSemaphore entered;
    QSemaphore proceed;
    QSemaphore destroyed;
    auto* source = new HeldCallback(entered, proceed);
    Errors errors(source);
    QString text;
    std::thread worker([&] { text = Errors::getErrorText(4711); });
    std::thread destroyer;
    const auto finish = qScopeGuard([&] {
        proceed.release();
        if (worker.joinable())
            worker.join();
        if (destroyer.joinable())
            destroyer.join();
    });
    QVERIFY(entered.tryAcquire(1, 60000));

    destroyer = std::thread([&] {
        delete source;
        destroyed.release();
    });
    // The destruction waits for the text being made; the worker sees the source whole. A
    // wait that must run out: it cannot end early when the source waits as it should.
    QVERIFY(!destroyed.tryAcquire(1, 200));
    proceed.release();
    QVERIFY(destroyed.tryAcquire(1, 60000));
    worker.join();
    QCOMPARE(text, QStringLiteral("whole"));
    QCOMPARE(Errors::getErrorText(4711), QStringLiteral("Unknow error 4711"));
}

void tst_Errors::concurrentReaders()
{
    RecordingCallback callback;
    Errors errors(&callback);

    constexpr int threadCount = 4;
    constexpr int rounds = 2000;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&mismatches, t]() {
            for (int i = 0; i < rounds; ++i) {
                const Errors::Type_Error code = (i + t) % 2 ? Errors::Type_Error(85) : Errors::Type_Error(500 + t);
                const QString expected = code == 85 ? QStringLiteral("Database SQL statement error")
                                                    : QStringLiteral("app:") + QString::number(code);
                if (Errors::getErrorText(code) != expected)
                    ++mismatches;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    QCOMPARE(mismatches.load(), 0);
    QCOMPARE(callback.calls.load(), threadCount * rounds / 2);
}

QTEST_GUILESS_MAIN(tst_Errors)
#include "tst_Errors.moc"
