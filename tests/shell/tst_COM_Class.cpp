#include "AppErrors.h"
#include "AutomationState.h"
#include "Automation_BusNames.h"
#include "Automation_Call.h"
#include "Automation_InterfaceDescription.h"
#include "Automation_Server.h"
#include "COM_Class.h"
#include "ColonyRowValues.h"
#include "FakeAutomationOperations.h"
#include "PrivateSessionBus.h"
#include "QAxDefaultFactory.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QMetaMethod>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <iterator>
#include <memory>

using Method = Automation_InterfaceDescription::Method;

// The outputs a method gives before any work, by output position (the return value not
// counted); outputs without a preset keep what they held.
static const QMap<QString, QMap<int, QVariant>>& presets()
{
    static const QMap<QString, QMap<int, QVariant>> table{
        {"Application_Get_ProgrammPath", {{0, QString()}}},
        {"ApplicationSettings_Get_DatabasePicturePath", {{0, QString()}}},
        {"GUI_IsVisible", {{0, false}}},
        {"GUI_LiveView_IsVisible", {{0, false}}},
        {"GUI_LiveView_CameraFocus_GetCurrentValue", {{0, 0.0}, {1, 0.0}, {2, 0.0}, {3, false}}},
        {"GUI_LiveView_CameraAperture_GetCurrentValue", {{0, 0.0}, {1, 0.0}, {2, 0.0}, {3, false}}},
        {"GUI_LiveView_CameraHomogeneous_GetCurrentValue", {{0, 0.0}, {1, 0.0}, {2, 0.0}, {3, false}}},
        {"Camera_IsOpen", {{0, false}}},
        {"Settings_SelectCameraSettings", {{0, QString()}}},
        {"Settings_SelectColonySettings", {{0, QString()}}},
        {"Settings_SelectImageStitcherSettings", {{0, QString()}}},
        {"AnalyseColonies_CheckRunning", {{0, false}}},
        {"AnalyseColonies_SaveResult", {{0, -1}}},
        {"AnalyseColonies_SaveResultWithImageStitcher", {{0, -1}}},
        {"AnalyseColonies_SaveResult_CheckAsynchronSaveFinish", {{0, true}}},
        {"ImageStitcher_CheckRunning", {{0, false}}},
        {"ImageStitcher_SaveResult", {{0, -1}}},
        {"ImageStitcher_SaveResult_CheckAsynchronSaveFinish", {{0, true}}},
        {"Database_GetZelvorinRack", {{0, QString()}, {1, QString()}, {2, 0}, {3, 0}, {4, 0}, {5, QString()}}},
        {"Database_GetZelvorinRackID_By_RackBarcode", {{0, QVariantList()}}},
        {"Database_GetZelvorinContainerID_By_ContainerNumber", {{0, -1}}},
        {"Database_GetZelvorinContainer", {{0, 0}, {1, QString()}, {2, 0}, {3, QString()}}},
        {"Database_GetZelvorinContainer2", {{0, 0}, {1, QString()}, {2, 0}, {3, 0}, {4, QString()}}},
        {"Database_GetZelvorinContainerID_By_ContainerName", {{0, -1}}},
        {"Database_GetZelvorinColonyCount", {{0, 0}}},
        {"Database_GetZelvorinColonyPosition_By_ColonyNumber", {{0, -1}, {1, 0.0}, {2, 0.0}, {3, 0.0}}},
        {"Instrument_GetChannelOffset", {{0, 0.0}, {1, 0.0}}},
    };
    return table;
}

// Answered by the class itself, with or without a window.
static const QStringList& ownMethods()
{
    static const QStringList names{"Application_GetVersion",
                                   "Application_GetErrorText",
                                   "Application_IsRunning",
                                   "Application_GetStartError",
                                   "Settings_GetCameraSettingsNamesList",
                                   "Settings_GetImageStitcherSettingsNamesList",
                                   "Settings_GetColonySettingsNamesList"};
    return names;
}

// Arguments of one direct call through the meta-object: every parameter held in a variant of
// its own type, outputs prefilled with a value no preset has.
class DirectCall {
public:
    DirectCall(const QMetaMethod& method, bool garbageBool)
        : m_method(method)
    {
        for (QByteArray type : method.parameterTypes()) {
            const bool output = type.endsWith('&');
            type.chop(output ? 1 : 0);
            QVariant value(QMetaType::fromName(type));
            if (output)
                value = garbage(type, garbageBool);
            m_outputs << output;
            m_values << value;
        }
    }

    static QVariant garbage(const QByteArray& type, bool garbageBool)
    {
        if (type == "int")
            return 12345;
        if (type == "double")
            return 1.5e300;
        if (type == "bool")
            return garbageBool;
        if (type == "QString")
            return QStringLiteral("garbage");
        return QVariantList{QStringLiteral("garbage")};
    }

    int invoke(QObject* object)
    {
        int result = -99999;
        std::vector<void*> argv{&result};
        for (QVariant& value : m_values)
            argv.push_back(value.data());
        QMetaObject::metacall(object, QMetaObject::InvokeMetaMethod, m_method.methodIndex(), argv.data());
        return result;
    }

    // The outputs, in order.
    QVariantList outputs() const
    {
        QVariantList values;
        for (qsizetype i = 0; i < m_values.size(); ++i) {
            if (m_outputs.at(i))
                values << m_values.at(i);
        }
        return values;
    }

    QList<QByteArray> outputTypes() const
    {
        QList<QByteArray> types;
        const QList<QByteArray> all = m_method.parameterTypes();
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (m_outputs.at(i))
                types << all.at(i).chopped(1);
        }
        return types;
    }

private:
    QMetaMethod m_method;
    QVariantList m_values;
    QList<bool> m_outputs;
};

// The program's class served on a bus of the test's own, with one object of a first client and
// a second client without one. Connection names carry a serial: an earlier bus of the same
// test left its names behind.
struct ServedObject {
    explicit ServedObject(int serial)
    {
        if (!bus.start())
            return;
        const QString suffix = QString::number(serial);
        owner = bus.connect(QStringLiteral("owner") + suffix);
        stranger = bus.connect(QStringLiteral("stranger") + suffix);
        automationServer = std::make_unique<Automation_Server>(createAxFactory(),
                                                               bus.connect(QStringLiteral("server") + suffix));
        if (!automationServer->start(QAxFactory::MultipleInstances))
            return;
        QDBusMessage create = QDBusMessage::createMethodCall(
            Automation_BusNames::serviceName(QStringLiteral("zelvorin"), QStringLiteral("COM_Class")),
            Automation_BusNames::factoryPath(), Automation_BusNames::factoryInterface(),
            QStringLiteral("CreateObject"));
        create << QStringLiteral("COM_Class");
        const QDBusMessage created = PrivateSessionBus::callAndWait(owner, create);
        if (created.type() != QDBusMessage::ReplyMessage)
            return;
        server = created.service();
        path = created.arguments().constFirst().value<QDBusObjectPath>().path();
        ready = true;
    }

    PrivateSessionBus bus;
    QDBusConnection owner{QString()};
    QDBusConnection stranger{QString()};
    std::unique_ptr<Automation_Server> automationServer;
    // The server's own name on the bus and the object's path.
    QString server;
    QString path;
    bool ready = false;
};

class tst_COM_Class : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void interfaceHasAllMethodsInOrder();
    void forwardingPresetsOutputsFirst_data();
    void forwardingPresetsOutputsFirst();
    void forwardingReachesTheClientInOrder_data();
    void forwardingReachesTheClientInOrder();
    void strangersAreRefusedEveryMethod();
    void colonyPropertiesGoOutField_data();
    void colonyPropertiesGoOutField();
    void ownMethodsNeedNoWindow();
    void errorText_data();
    void errorText();
    void startErrorKeepsItsSign();
    void settingsNames_data();
    void settingsNames();

private:
    FakeAutomationOperations m_window;
    AppErrors m_appErrors;
    std::unique_ptr<Errors> m_errors;
    int m_connectionSerial = 0;
};

void tst_COM_Class::initTestCase()
{
    m_errors = std::make_unique<Errors>(&m_appErrors);
}

void tst_COM_Class::cleanup()
{
    setAutomationMainWindow(nullptr);
    m_window = FakeAutomationOperations();
}

void tst_COM_Class::interfaceHasAllMethodsInOrder()
{
    const QList<Method> methods = Automation_InterfaceDescription::methods(COM_Class::staticMetaObject);
    QCOMPARE(methods.size(), 85);
    QCOMPARE(methods.at(0).name, QStringLiteral("Application_GetVersion"));
    QCOMPARE(methods.at(37).name, QStringLiteral("Settings_GetCameraSettingsNamesList"));
    QCOMPARE(methods.at(62).name, QStringLiteral("Database_GetZelvorinRack"));
    QCOMPARE(methods.at(84).name, QStringLiteral("Instrument_SetChannelOffset"));
    for (const Method& method : methods) {
        QVERIFY2(!method.arguments.isEmpty() && method.arguments.constFirst().output
                     && method.arguments.constFirst().signature == QLatin1String("i"),
                 qPrintable(method.name));
    }
}

void tst_COM_Class::forwardingPresetsOutputsFirst_data()
{
    QTest::addColumn<bool>("withWindow");
    QTest::addColumn<bool>("garbageBool");
    QTest::newRow("window, garbage true") << true << true;
    QTest::newRow("window, garbage false") << true << false;
    QTest::newRow("no window, garbage true") << false << true;
    QTest::newRow("no window, garbage false") << false << false;
}

void tst_COM_Class::forwardingPresetsOutputsFirst()
{
    QFETCH(bool, withWindow);
    QFETCH(bool, garbageBool);
    m_window.mode = FakeAutomationOperations::Mode::LeaveOutputs;
    m_window.result = -9;
    setAutomationMainWindow(withWindow ? &m_window : nullptr);
    COM_Class com;
    const QMetaObject& meta = COM_Class::staticMetaObject;
    int forwarded = 0;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        const QString name = QString::fromLatin1(method.name());
        if (ownMethods().contains(name))
            continue;
        ++forwarded;
        DirectCall call(method, garbageBool);
        // A failing operation's code comes back widened with its sign; no window gives 3.
        QCOMPARE(call.invoke(&com), withWindow ? -9 : 3);
        const QVariantList outputs = call.outputs();
        const QList<QByteArray> types = call.outputTypes();
        // Only this method looks for the window before its presets.
        const bool presetsApply
            = withWindow || name != QLatin1String("Database_GetZelvorinColonyPosition_By_ColonyNumber");
        const QMap<int, QVariant> expected = presets().value(name);
        for (qsizetype o = 0; o < outputs.size(); ++o) {
            const QVariant want = presetsApply && expected.contains(int(o))
                ? expected.value(int(o))
                : DirectCall::garbage(types.at(o), garbageBool);
            QVERIFY2(outputs.at(o) == want, qPrintable(QStringLiteral("%1 output %2").arg(name).arg(o)));
        }
    }
    QCOMPARE(forwarded, 78);
}

void tst_COM_Class::forwardingReachesTheClientInOrder_data()
{
    QTest::addColumn<bool>("later");
    QTest::addColumn<int>("answeredLater");
    QTest::newRow("answered at once") << false << 0;
    // The operations that may wait, each answering after its method returned.
    QTest::newRow("answered later") << true << 27;
}

// Through the bus, as a client sees it: inputs reach the operation in their order, every
// output comes back at its place after the result, also when the operation answers later.
void tst_COM_Class::forwardingReachesTheClientInOrder()
{
    QFETCH(bool, later);
    QFETCH(int, answeredLater);
    m_window.answerLater = later;
    setAutomationMainWindow(&m_window);
    const ServedObject served(++m_connectionSerial);
    QVERIFY(served.ready);
    const QDBusConnection& client = served.owner;
    const QString& path = served.path;

    int checked = 0;
    const QList<Method> methods = Automation_InterfaceDescription::methods(COM_Class::staticMetaObject);
    for (const Method& method : methods) {
        if (ownMethods().contains(method.name))
            continue;
        QVariantList inputs;
        QVariantList expected{int(m_window.result)};
        int outputPosition = 0;
        for (const Automation_InterfaceDescription::Argument& argument : method.arguments.mid(1)) {
            const int position = int(inputs.size()) + 1;
            if (argument.output && argument.name == QLatin1String("o_strPickingDate")) {
                // The row's date goes out as its text.
                expected << FakeAutomationOperations::filledDate(++outputPosition)
                                .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
            } else if (argument.output) {
                expected << FakeAutomationOperations::filled(argument.signature, ++outputPosition);
            } else if (argument.signature == QLatin1String("i")) {
                inputs << 100 + position;
            } else if (argument.signature == QLatin1String("d")) {
                inputs << position + 0.5;
            } else if (argument.signature == QLatin1String("b")) {
                inputs << (position % 2 == 0);
            } else if (argument.signature == QLatin1String("s")) {
                inputs << QStringLiteral("in%1").arg(position);
            } else {
                inputs << QVariant(QVariantList{position, QStringLiteral("in")});
            }
        }
        QDBusMessage message = QDBusMessage::createMethodCall(served.server, path, QString(), method.name);
        message.setArguments(inputs);
        const QDBusMessage reply = PrivateSessionBus::callAndWait(client, message);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(method.name + reply.errorMessage()));

        QVariantList received = reply.arguments();
        for (QVariant& value : received) {
            if (value.userType() == qMetaTypeId<QDBusArgument>())
                value = qdbus_cast<QVariantList>(value.value<QDBusArgument>());
        }
        QVERIFY2(received == expected, qPrintable(method.name));
        const QString operation = method.name == QLatin1String("Database_GetZelvorinColonyProperties2")
            ? QStringLiteral("Database_GetZelvorinColonyProperties")
            : method.name;
        QCOMPARE(m_window.lastOperation, operation);
        QVERIFY2(m_window.lastInputs == inputs, qPrintable(method.name));
        ++checked;
    }
    QCOMPARE(checked, 78);
    QCOMPARE(m_window.answeredLater, answeredLater);
    QCOMPARE(Automation_Call::waitingCount(), 0);
}

// Over the bus only the client that made an object may call it: every method of another
// client's object answers an error, and no operation runs.
void tst_COM_Class::strangersAreRefusedEveryMethod()
{
    setAutomationMainWindow(&m_window);
    const ServedObject served(++m_connectionSerial);
    QVERIFY(served.ready);

    const QList<Method> methods = Automation_InterfaceDescription::methods(COM_Class::staticMetaObject);
    for (const Method& method : methods) {
        QVariantList inputs;
        for (const Automation_InterfaceDescription::Argument& argument : method.arguments.mid(1)) {
            if (argument.output)
                continue;
            if (argument.signature == QLatin1String("i"))
                inputs << 1;
            else if (argument.signature == QLatin1String("d"))
                inputs << 1.0;
            else if (argument.signature == QLatin1String("b"))
                inputs << true;
            else if (argument.signature == QLatin1String("s"))
                inputs << QStringLiteral("x");
            else
                inputs << QVariant(QVariantList{1});
        }
        QDBusMessage message = QDBusMessage::createMethodCall(served.server, served.path, QString(), method.name);
        message.setArguments(inputs);
        const QDBusMessage reply = PrivateSessionBus::callAndWait(served.stranger, message);
        QVERIFY2(reply.type() == QDBusMessage::ErrorMessage, qPrintable(method.name));
        QCOMPARE(reply.errorName(), Automation_BusNames::errorNotOwner());
    }
    QVERIFY(m_window.lastOperation.isEmpty());
}

void tst_COM_Class::colonyPropertiesGoOutField_data()
{
    QTest::addColumn<bool>("second");
    QTest::addColumn<bool>("read");
    QTest::newRow("first, row read") << false << true;
    QTest::newRow("second, row read") << true << true;
    // A row that could not be read leaves every output as the client passed it.
    QTest::newRow("first, not read") << false << false;
    QTest::newRow("second, not read") << true << false;
}

void tst_COM_Class::colonyPropertiesGoOutField()
{
    QFETCH(bool, second);
    QFETCH(bool, read);
    DatabaseTableZelvorinColony::Dataset row;
    if (read) {
        row.ColonyID = 31;
        ColonyRowValues::fill(row);
    }
    m_window.colonyRow = row;
    m_window.result = read ? 0 : 87;
    setAutomationMainWindow(&m_window);
    COM_Class com;

    double v[17];
    std::fill(std::begin(v), std::end(v), -1.0);
    int state = -1, order = -1;
    bool excluded = false, good = false, edited = false;
    QString date = QStringLiteral("as passed");
    const int result = second
        ? com.Database_GetZelvorinColonyProperties2(31, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9],
                                                    v[10], v[11], v[12], v[13], state, excluded, good, order, edited,
                                                    date, v[14], v[15], v[16])
        : com.Database_GetZelvorinColonyProperties(31, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9],
                                                   v[10], v[11], v[12], v[13], state, excluded, good, order, edited);
    QCOMPARE(result, read ? 0 : 87);
    QCOMPARE(m_window.lastOperation, QStringLiteral("Database_GetZelvorinColonyProperties"));

    // The outputs in the client's order; the first method has no date and no colour.
    const int doubles = second ? 17 : 14;
    for (int i = 0; i < 17; ++i)
        QCOMPARE(v[i], read && i < doubles ? ColonyRowValues::doubles[size_t(i)] : -1.0);
    QCOMPARE(state, read ? ColonyRowValues::pickingState : -1);
    QCOMPARE(excluded, read);
    QCOMPARE(good, read);
    QCOMPARE(order, read ? ColonyRowValues::pickingOrder : -1);
    QCOMPARE(edited, read);
    QCOMPARE(date, read && second ? QStringLiteral("2024-05-06 07:08:09") : QStringLiteral("as passed"));
}

void tst_COM_Class::ownMethodsNeedNoWindow()
{
    setAutomationMainWindow(nullptr);
    setApplicationRunning(true);
    COM_Class com;
    QString version;
    QCOMPARE(com.Application_GetVersion(version), 0);
    QCOMPARE(version, QStringLiteral("1.1.0"));
    bool running = false;
    QCOMPARE(com.Application_IsRunning(running), 0);
    QVERIFY(running);
    setApplicationRunning(false);
    QCOMPARE(com.Application_IsRunning(running), 0);
    QVERIFY(!running);
    QVariantList names{QStringLiteral("stale")};
    QCOMPARE(com.Settings_GetColonySettingsNamesList(names), 0);
    QString text;
    QCOMPARE(com.Application_GetErrorText(150, text), 0);
    QCOMPARE(text, QStringLiteral("Cannot load the colony settings"));
}

void tst_COM_Class::errorText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("library") << 3 << "General application error";
    QTest::newRow("application") << 212 << "Invalid number of pictures available for Image Stitcher";
    QTest::newRow("nobody's") << 99 << "Unknow error 99";
    QTest::newRow("negative") << -7 << "Unknow error -7";
    QTest::newRow("16-bit maximum") << 32767 << QString("Halcon function fails with error 32767: ");
    // Narrowed to 16 bits, 65636 would read as 100 and 70000 as a vision-layer error.
    QTest::newRow("beyond 16 bits") << 65636 << "Unknow error 65636";
    QTest::newRow("far beyond") << 70000 << "Unknow error 70000";
    QTest::newRow("below 16 bits") << -40000 << "Unknow error -40000";
    QTest::newRow("int minimum") << std::numeric_limits<int>::min() << "Unknow error -2147483648";
}

void tst_COM_Class::errorText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    COM_Class com;
    QString result;
    QCOMPARE(com.Application_GetErrorText(code, result), 0);
    QVERIFY2(result.startsWith(text), qPrintable(result));
    if (!text.endsWith(QLatin1String(": ")))
        QCOMPARE(result, text);
}

void tst_COM_Class::startErrorKeepsItsSign()
{
    COM_Class com;
    int error = 5;
    setStartError(0);
    QCOMPARE(com.Application_GetStartError(error), 0);
    QCOMPARE(error, 0);
    setStartError(-2);
    QCOMPARE(com.Application_GetStartError(error), 0);
    QCOMPARE(error, -2);
    setStartError(91);
    QCOMPARE(com.Application_GetStartError(error), 0);
    QCOMPARE(error, 91);
    setStartError(0);
}

void tst_COM_Class::settingsNames_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("names");
    // Upper case before lower case; the pattern ignores case, the cut of the extension does
    // not; folders and other extensions are not settings.
    QTest::newRow("colony") << "Settings_GetColonySettingsNamesList"
                            << "settings/Colony"
                            << QStringList{"a.ColonySettings", "B.ColonySettings", "c.txt", "x.COLONYSETTINGS",
                                           "folder.ColonySettings/"}
                            << QStringList{"B", "a", "x.COLONYSETTINGS"};
    QTest::newRow("stitcher") << "Settings_GetImageStitcherSettingsNamesList"
                              << "settings/ImageStitcher"
                              << QStringList{"zz.ImageStitcherSettings", "Tray.ImageStitcherSettings",
                                             "Tray.ImageStitcherSettings.bak"}
                              << QStringList{"Tray", "zz"};
    QTest::newRow("camera") << "Settings_GetCameraSettingsNamesList"
                            << "settings/camera"
                            << QStringList{"default.camerasettings.xml", "uEye.camerasettings.xml", "x.xml"}
                            << QStringList{"default", "uEye"};
    QTest::newRow("missing folder") << "Settings_GetColonySettingsNamesList"
                                    << "settings/Elsewhere" << QStringList{"a.ColonySettings"} << QStringList{};
    QTest::newRow("demo folder is not listed")
        << "Settings_GetColonySettingsNamesList"
        << "settings/ColonyDemo" << QStringList{"Demo_Plate.ColonySettings"} << QStringList{};
}

void tst_COM_Class::settingsNames()
{
    QFETCH(QString, method);
    QFETCH(QString, folder);
    QFETCH(QStringList, files);
    QFETCH(QStringList, names);
    QTemporaryDir programFolder;
    QVERIFY(programFolder.isValid());
    for (const QString& file : files) {
        const QString path = programFolder.filePath(folder + QLatin1Char('/') + file);
        if (file.endsWith(QLatin1Char('/'))) {
            QVERIFY(QDir().mkpath(path));
            continue;
        }
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile settings(path);
        QVERIFY(settings.open(QIODevice::WriteOnly));
    }
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(programFolder.path()));
    COM_Class com;
    QVariantList result{QStringLiteral("stale")};
    int code = -1;
    QVERIFY(QMetaObject::invokeMethod(&com, method.toLatin1().constData(), Qt::DirectConnection,
                                      Q_RETURN_ARG(int, code), Q_ARG(QVariantList&, result)));
    QDir::setCurrent(previous);
    QCOMPARE(code, 0);
    QStringList texts;
    for (const QVariant& name : std::as_const(result)) {
        QCOMPARE(name.userType(), int(QMetaType::QString));
        texts << name.toString();
    }
    QCOMPARE(texts, names);
}

QTEST_MAIN(tst_COM_Class)
#include "tst_COM_Class.moc"
