#include "Errors.h"
#include "HalconAutomaticOperatorParallelization.h"
#include "HalconAutomaticOperatorParallelizationSettings.h"
#include "Halcon_Helper.h"
#include "MessageBox_Helper.h"
#include "QuendralLibrary.h"

#include <HTuple.h>
#include <HalconAop.h>
#include <HalconErrors.h>
#include <HalconSystemOps.h>

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QHostInfo>
#include <QList>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <vector>

namespace {

const char* const kApplication = "HaopTest";
const char* const kVersion = "4.2.0";

// Records every box and answers from a script; a box nobody expected fails the test.
struct ScriptedBoxes {
    QList<MessageBox_Helper::Request> requests;
    QList<QMessageBox::StandardButton> answers;

    ScriptedBoxes()
    {
        MessageBox_Helper::setAnswerFunction([this](const MessageBox_Helper::Request& request) {
            requests.append(request);
            return answers.isEmpty() ? QMessageBox::NoButton : answers.takeFirst();
        });
    }
    ~ScriptedBoxes() { MessageBox_Helper::setAnswerFunction({}); }
};

QByteArray readAll(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

bool operatorKnown(const char* name)
{
    Halcon::HTuple threads, known;
    return Halcon::get_aop_info(name, "byte", &threads, &known) == Halcon::kSuccess && known.I() == 1;
}

} // namespace

class tst_HalconAutomaticOperatorParallelization : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void fileNames_data();
    void fileNames();
    void defaultOperators();
    void model_data();
    void model();

    void settingsRoundTrip();
    void settingsLayout();
    void settingsMissingValuesKeepDefaults();
    void settingsBrokenText();

    void forcedRunWritesBothFiles();
    void emptyFolderUsesCurrentFolder();
    void validFilesOnlyLoad();
    void invalidation_data();
    void invalidation();
    void answers_data();
    void answers();
    void noAutomaticAskSkipsUntilForced();
    void automationServerNeverMeasures();
    void loadOnlyMeasuresNothing();
    void commandLine_data();
    void commandLine();
    void commandLineFailureIsLogged();

    void failures();

private:
    void startLibrary(bool automationServer);
    bool runForced(const QStringList& extraOperators);

    QTemporaryDir m_root;
    QString m_folder;
    int m_folderCount = 0;
};

void tst_HalconAutomaticOperatorParallelization::startLibrary(bool automationServer)
{
    QuendralLibrary::Start(QLatin1String(kApplication), QLatin1String(kVersion), QStringLiteral("2024"), nullptr,
                           automationServer);
}

void tst_HalconAutomaticOperatorParallelization::initTestCase()
{
    QVERIFY(m_root.isValid());
    // The library's single-instance marker goes there too.
    qputenv("TMPDIR", QFile::encodeName(m_root.path()));
    startLibrary(false);
    // Quick measurements: a small picture and at most two threads per operator.
    HalconAutomaticOperatorParallelization::setMeasurementPictureSize(64, 48);
    HalconAutomaticOperatorParallelization::setWaitBoxMilliseconds(0);
    QCOMPARE(Halcon::set_system("thread_num", 2), Halcon::kSuccess);
}

void tst_HalconAutomaticOperatorParallelization::cleanupTestCase()
{
    QuendralLibrary::Stop();
}

void tst_HalconAutomaticOperatorParallelization::init()
{
    // Every case gets a fresh folder and a library that is no automation server.
    m_folder = m_root.filePath(QStringLiteral("case%1").arg(++m_folderCount));
    QVERIFY(QDir().mkpath(m_folder));
    if (QuendralLibrary::IsAutomationServer())
        startLibrary(false);
    HalconAutomaticOperatorParallelization::setMeasurementPictureSize(64, 48);
}

bool tst_HalconAutomaticOperatorParallelization::runForced(const QStringList& extraOperators)
{
    return HalconAutomaticOperatorParallelization::execute(m_folder, extraOperators, false, true, false, nullptr) == 0;
}

void tst_HalconAutomaticOperatorParallelization::fileNames_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("knowledge");
    QTest::addColumn<QString>("settings");
    QTest::newRow("empty folder") << QString() << "HaopTest.halcon.aop" << "HaopTest.haopsettings.xml";
    QTest::newRow("folder") << "/data/zelvorin" << "/data/zelvorin/HaopTest.halcon.aop"
                            << "/data/zelvorin/HaopTest.haopsettings.xml";
    QTest::newRow("relative") << "settings" << "settings/HaopTest.halcon.aop" << "settings/HaopTest.haopsettings.xml";
}

void tst_HalconAutomaticOperatorParallelization::fileNames()
{
    QFETCH(QString, folder);
    QFETCH(QString, knowledge);
    QFETCH(QString, settings);
    QCOMPARE(HalconAutomaticOperatorParallelization::knowledgeFileName(folder), knowledge);
    QCOMPARE(HalconAutomaticOperatorParallelization::settingsFileName(folder), settings);
}

void tst_HalconAutomaticOperatorParallelization::defaultOperators()
{
    const QStringList& names = HalconAutomaticOperatorParallelization::defaultOperators();
    QCOMPARE(names.size(), 84);
    QCOMPARE(names.first(), QStringLiteral("median_image"));
    QCOMPARE(names.at(10), QStringLiteral("trans_from_rgb"));
    QCOMPARE(names.at(45), QStringLiteral("area_center"));
    QCOMPARE(names.last(), QStringLiteral("gen_circle"));
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
}

void tst_HalconAutomaticOperatorParallelization::model_data()
{
    QTest::addColumn<int>("cores");
    QTest::addColumn<QString>("model");
    QTest::newRow("1") << 1 << "threshold";
    QTest::newRow("2") << 2 << "threshold";
    QTest::newRow("3") << 3 << "linear";
    QTest::newRow("16") << 16 << "linear";
}

void tst_HalconAutomaticOperatorParallelization::model()
{
    QFETCH(int, cores);
    QFETCH(QString, model);
    QCOMPARE(HalconAutomaticOperatorParallelization::optimizationModel(cores), model);
}

void tst_HalconAutomaticOperatorParallelization::settingsRoundTrip()
{
    HalconAutomaticOperatorParallelizationSettings written;
    written.NoAutomaticAsk = true;
    written.ApplicationName = QStringLiteral("App <&>");
    written.ApplicationVersion = QStringLiteral("1.2");
    written.ComputerName = QStringLiteral("lab-pc\tfloor 2");
    written.HalconVersion = QStringLiteral("12.0.1");
    written.ProcessorCores = 12;
    written.HalconOperators = {{QStringLiteral("mean_image"), true}, {QStringLiteral("median_image"), false}};
    const QString file = m_folder + QStringLiteral("/x.haopsettings.xml");
    QVERIFY(written.save(file));

    HalconAutomaticOperatorParallelizationSettings read;
    QVERIFY(read.load(file));
    QCOMPARE(read.configVersion, QStringLiteral("1.0"));
    QCOMPARE(read.NoAutomaticAsk, true);
    QCOMPARE(read.ApplicationName, written.ApplicationName);
    QCOMPARE(read.ApplicationVersion, written.ApplicationVersion);
    QCOMPARE(read.ComputerName, written.ComputerName);
    QCOMPARE(read.HalconVersion, written.HalconVersion);
    QCOMPARE(read.ProcessorCores, 12);
    QCOMPARE(read.HalconOperators.size(), 2);
    QCOMPARE(read.HalconOperators.at(0).Name, QStringLiteral("mean_image"));
    QVERIFY(read.HalconOperators.at(0).ApplicationDefined);
    QCOMPARE(read.HalconOperators.at(1).Name, QStringLiteral("median_image"));
    QVERIFY(!read.HalconOperators.at(1).ApplicationDefined);
    QCOMPARE(read.toText(), written.toText());

    QVERIFY(!read.load(m_folder + QStringLiteral("/missing.haopsettings.xml")));
}

void tst_HalconAutomaticOperatorParallelization::settingsLayout()
{
    HalconAutomaticOperatorParallelizationSettings settings;
    settings.NoAutomaticAsk = true;
    settings.ApplicationName = QStringLiteral("A");
    settings.ProcessorCores = 4;
    settings.HalconOperators = {{QStringLiteral("threshold"), false}};
    QDomDocument document;
    QVERIFY(bool(document.setContent(settings.toText())));
    const QDomElement root = document.documentElement();
    QCOMPARE(root.tagName(), QStringLiteral("HalconAutomaticOperatorParallelizationSettings"));
    QCOMPARE(root.attribute(QStringLiteral("ConfigVersion")), QStringLiteral("1.0"));

    QStringList children;
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        children << e.tagName();
    QCOMPARE(children, QStringList({"Name", "System", "System", "HalconOperators"}));

    const QDomElement ask = root.firstChildElement(QStringLiteral("System"));
    QCOMPARE(ask.firstChildElement().tagName(), QStringLiteral("NoAutomaticAsk"));
    QCOMPARE(ask.childNodes().size(), 1);
    QStringList facts;
    for (QDomElement e = ask.nextSiblingElement(QStringLiteral("System")).firstChildElement(); !e.isNull();
         e = e.nextSiblingElement())
        facts << e.tagName();
    QCOMPARE(facts,
             QStringList({"ApplicationName", "ApplicationVersion", "ComputerName", "HalconVersion", "ProcessorCores"}));
    const QDomElement entry =
        root.firstChildElement(QStringLiteral("HalconOperators")).firstChildElement(QStringLiteral("HalconOperator"));
    QCOMPARE(entry.firstChildElement().tagName(), QStringLiteral("Name"));
    QCOMPARE(entry.lastChildElement().tagName(), QStringLiteral("ApplicationDefined"));
    // No unit attributes on any value.
    QVERIFY(!settings.toText().contains(QStringLiteral("Unit=")));
}

void tst_HalconAutomaticOperatorParallelization::settingsMissingValuesKeepDefaults()
{
    HalconAutomaticOperatorParallelizationSettings source;
    source.NoAutomaticAsk = true;
    source.ApplicationName = QStringLiteral("A");
    source.ComputerName = QStringLiteral("C");
    source.ProcessorCores = 6;
    source.HalconOperators = {{QStringLiteral("one"), true}, {QStringLiteral("two"), false}};
    QDomDocument document;
    QVERIFY(bool(document.setContent(source.toText())));
    QDomElement root = document.documentElement();
    // Drop the "don't ask" group and two facts; the second System is then the only one, so
    // it is read as the first and its facts are lost as well.
    root.removeChild(root.firstChildElement(QStringLiteral("System")));
    QDomElement facts = root.firstChildElement(QStringLiteral("System"));
    facts.removeChild(facts.firstChildElement(QStringLiteral("ComputerName")));
    QDomElement entry =
        root.firstChildElement(QStringLiteral("HalconOperators")).firstChildElement(QStringLiteral("HalconOperator"));
    entry.removeChild(entry.firstChildElement(QStringLiteral("ApplicationDefined")));

    HalconAutomaticOperatorParallelizationSettings read;
    read.NoAutomaticAsk = true;
    read.ComputerName = QStringLiteral("stale");
    QVERIFY(read.fromText(document.toString()));
    QCOMPARE(read.NoAutomaticAsk, false);
    QCOMPARE(read.ComputerName, QString());
    QCOMPARE(read.ApplicationName, QString());
    QCOMPARE(read.ProcessorCores, 0);
    QCOMPARE(read.HalconOperators.size(), 2);
    QCOMPARE(read.HalconOperators.at(0).Name, QStringLiteral("one"));
    QCOMPARE(read.HalconOperators.at(0).ApplicationDefined, false);
    QCOMPARE(read.HalconOperators.at(1).Name, QStringLiteral("two"));

    // With both groups present only the missing fact keeps its default.
    QVERIFY(bool(document.setContent(source.toText())));
    root = document.documentElement();
    facts = root.firstChildElement(QStringLiteral("System")).nextSiblingElement(QStringLiteral("System"));
    facts.removeChild(facts.firstChildElement(QStringLiteral("ComputerName")));
    QVERIFY(read.fromText(document.toString()));
    QCOMPARE(read.NoAutomaticAsk, true);
    QCOMPARE(read.ApplicationName, QStringLiteral("A"));
    QCOMPARE(read.ComputerName, QString());
    QCOMPARE(read.ProcessorCores, 6);
}

void tst_HalconAutomaticOperatorParallelization::settingsBrokenText()
{
    HalconAutomaticOperatorParallelizationSettings read;
    read.NoAutomaticAsk = true;
    read.HalconOperators = {{QStringLiteral("x"), true}};
    QVERIFY(!read.fromText(QStringLiteral("<HalconAutomaticOperatorParallelizationSettings><System>")));
    QCOMPARE(read.NoAutomaticAsk, false);
    QVERIFY(read.HalconOperators.isEmpty());
}

void tst_HalconAutomaticOperatorParallelization::forcedRunWritesBothFiles()
{
    ScriptedBoxes boxes;
    const QStringList extra = {QStringLiteral("mean_image"), QString(), QStringLiteral("median_image")};
    QVERIFY(runForced(extra));
    QVERIFY(boxes.requests.isEmpty());

    HalconAutomaticOperatorParallelizationSettings settings;
    QVERIFY(settings.load(HalconAutomaticOperatorParallelization::settingsFileName(m_folder)));
    QCOMPARE(settings.NoAutomaticAsk, false);
    QCOMPARE(settings.ApplicationName, QLatin1String(kApplication));
    QCOMPARE(settings.ApplicationVersion, QLatin1String(kVersion));
    QCOMPARE(settings.ComputerName, QHostInfo::localHostName());
    QCOMPARE(settings.HalconVersion, Halcon_Helper::GetHalconVersion());
    QCOMPARE(settings.ProcessorCores, QThread::idealThreadCount());
    // The host's operators first, then the library's; one on both lists is recorded twice.
    QCOMPARE(settings.HalconOperators.size(), 2 + 84);
    QCOMPARE(settings.HalconOperators.at(0).Name, QStringLiteral("mean_image"));
    QVERIFY(settings.HalconOperators.at(0).ApplicationDefined);
    QCOMPARE(settings.HalconOperators.at(1).Name, QStringLiteral("median_image"));
    QVERIFY(settings.HalconOperators.at(1).ApplicationDefined);
    QCOMPARE(settings.HalconOperators.at(2).Name, QStringLiteral("median_image"));
    QVERIFY(!settings.HalconOperators.at(2).ApplicationDefined);
    QCOMPARE(settings.HalconOperators.last().Name, QStringLiteral("gen_circle"));

    // The host's extra operator was measured, once, with the model for this machine.
    QVERIFY(operatorKnown("mean_image"));
    const QByteArray knowledge = readAll(HalconAutomaticOperatorParallelization::knowledgeFileName(m_folder));
    const QByteArray model =
        HalconAutomaticOperatorParallelization::optimizationModel(QThread::idealThreadCount()).toLatin1();
    QVERIFY(knowledge.contains("operator mean_image byte "));
    QCOMPARE(knowledge.count("operator median_image byte "), 1);
    QVERIFY(knowledge.contains(" 64 48 " + model + " "));

    QVERIFY(HalconAutomaticOperatorParallelization::isOptimisationValid(m_folder, extra));
    QVERIFY(HalconAutomaticOperatorParallelization::isOptimisationValid(m_folder, {}));
    QCOMPARE(HalconAutomaticOperatorParallelization::readKnowledge(m_folder), Errors::Type_Error(0));
}

void tst_HalconAutomaticOperatorParallelization::emptyFolderUsesCurrentFolder()
{
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_folder));
    const bool ran = HalconAutomaticOperatorParallelization::execute(QString(), {}, false, true, false, nullptr) == 0;
    QDir::setCurrent(before);
    QVERIFY(ran);
    QVERIFY(QFile::exists(m_folder + QStringLiteral("/HaopTest.halcon.aop")));
    QVERIFY(QFile::exists(m_folder + QStringLiteral("/HaopTest.haopsettings.xml")));
}

void tst_HalconAutomaticOperatorParallelization::validFilesOnlyLoad()
{
    QVERIFY(runForced({}));
    const QString settingsFile = HalconAutomaticOperatorParallelization::settingsFileName(m_folder);
    const QByteArray settingsBefore = readAll(settingsFile);
    // A picture size the layer refuses: any measurement would fail the call.
    HalconAutomaticOperatorParallelization::setMeasurementPictureSize(8, 8);

    ScriptedBoxes boxes;
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(m_folder, {}, false, false, true, nullptr),
             Errors::Type_Error(0));
    startLibrary(true);
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(m_folder, {}, false, false, true, nullptr),
             Errors::Type_Error(0));
    QVERIFY(boxes.requests.isEmpty());
    QCOMPARE(readAll(settingsFile), settingsBefore);

    // Valid files are loaded, not trusted blindly: a damaged knowledge file is reported.
    startLibrary(false);
    writeAll(HalconAutomaticOperatorParallelization::knowledgeFileName(m_folder), "not knowledge\n");
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(m_folder, {}, false, false, true, nullptr),
             Errors::Type_Error(10301));
    QVERIFY(boxes.requests.isEmpty());
}

void tst_HalconAutomaticOperatorParallelization::invalidation_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("host name") << "ComputerName";
    QTest::newRow("application name") << "ApplicationName";
    QTest::newRow("application version") << "ApplicationVersion";
    QTest::newRow("vision layer version") << "HalconVersion";
    QTest::newRow("processor cores") << "ProcessorCores";
    QTest::newRow("library operator missing") << "DropOperator";
    QTest::newRow("new extra operator") << "ExtraOperator";
    QTest::newRow("knowledge file missing") << "RemoveKnowledge";
    QTest::newRow("settings file damaged") << "DamageSettings";
    QTest::newRow("settings file missing") << "RemoveSettings";
}

void tst_HalconAutomaticOperatorParallelization::invalidation()
{
    QFETCH(QString, change);
    const QStringList extra = {QStringLiteral("mean_image")};
    QVERIFY(runForced(extra));
    QVERIFY(HalconAutomaticOperatorParallelization::isOptimisationValid(m_folder, extra));

    const QString settingsFile = HalconAutomaticOperatorParallelization::settingsFileName(m_folder);
    QStringList extraNow = extra;
    HalconAutomaticOperatorParallelizationSettings settings;
    QVERIFY(settings.load(settingsFile));
    if (change == QLatin1String("ComputerName"))
        settings.ComputerName += QStringLiteral("-renamed");
    else if (change == QLatin1String("ApplicationName"))
        settings.ApplicationName = QStringLiteral("haoptest");
    else if (change == QLatin1String("ApplicationVersion"))
        settings.ApplicationVersion = QStringLiteral("4.2.0.1");
    else if (change == QLatin1String("HalconVersion"))
        settings.HalconVersion += QStringLiteral(".1");
    else if (change == QLatin1String("ProcessorCores"))
        settings.ProcessorCores += 1;
    else if (change == QLatin1String("DropOperator"))
        settings.HalconOperators.removeLast();
    else if (change == QLatin1String("ExtraOperator"))
        extraNow << QStringLiteral("rotate_image_fast");
    QVERIFY(settings.save(settingsFile));
    if (change == QLatin1String("RemoveKnowledge"))
        QVERIFY(QFile::remove(HalconAutomaticOperatorParallelization::knowledgeFileName(m_folder)));
    else if (change == QLatin1String("DamageSettings"))
        writeAll(settingsFile, readAll(settingsFile).left(60));
    else if (change == QLatin1String("RemoveSettings"))
        QVERIFY(QFile::remove(settingsFile));

    QVERIFY(!HalconAutomaticOperatorParallelization::isOptimisationValid(m_folder, extraNow));

    // Stale files lead to the question again.
    ScriptedBoxes boxes;
    boxes.answers = {QMessageBox::Ignore};
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(m_folder, extraNow, false, false, true, nullptr),
             Errors::Type_Error(0));
    QCOMPARE(boxes.requests.size(), 1);
}

void tst_HalconAutomaticOperatorParallelization::answers_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("measured");
    QTest::addColumn<bool>("settingsWritten");
    QTest::addColumn<bool>("noAutomaticAsk");
    QTest::newRow("yes") << int(QMessageBox::Yes) << true << true << false;
    QTest::newRow("no") << int(QMessageBox::No) << false << true << true;
    QTest::newRow("ignore") << int(QMessageBox::Ignore) << false << true << false;
    QTest::newRow("closed") << int(QMessageBox::NoButton) << false << false << false;
}

void tst_HalconAutomaticOperatorParallelization::answers()
{
    QFETCH(int, answer);
    QFETCH(bool, measured);
    QFETCH(bool, settingsWritten);
    QFETCH(bool, noAutomaticAsk);

    ScriptedBoxes boxes;
    boxes.answers = {QMessageBox::StandardButton(answer), QMessageBox::Ok};
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(m_folder, {}, false, false, true, nullptr),
             Errors::Type_Error(0));

    QVERIFY(!boxes.requests.isEmpty());
    const MessageBox_Helper::Request& question = boxes.requests.first();
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.title, QStringLiteral("\"HaopTest\" Halcon automatic operator parallelization"));
    QVERIFY(question.text.startsWith(QStringLiteral("Do you want start the Halcon automatic operator "
                                                    "parallelization for speed up the application?\n\n")));
    QVERIFY(question.text.endsWith(QStringLiteral("No\t= Don't execute the optimation")));
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Ignore);
    QCOMPARE(question.defaultButton, QMessageBox::Yes);

    // Only a completed run reports success, with an information box.
    QCOMPARE(boxes.requests.size(), measured ? 2 : 1);
    if (measured) {
        QCOMPARE(boxes.requests.at(1).icon, QMessageBox::Information);
        QCOMPARE(boxes.requests.at(1).text, QStringLiteral("Optimation successfully finsihed."));
        QCOMPARE(boxes.requests.at(1).buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    QCOMPARE(QFile::exists(HalconAutomaticOperatorParallelization::knowledgeFileName(m_folder)), measured);
    const QString settingsFile = HalconAutomaticOperatorParallelization::settingsFileName(m_folder);
    QCOMPARE(QFile::exists(settingsFile), settingsWritten);
    HalconAutomaticOperatorParallelizationSettings settings;
    settings.load(settingsFile);
    QCOMPARE(settings.NoAutomaticAsk, noAutomaticAsk);
    QCOMPARE(HalconAutomaticOperatorParallelization::isOptimisationValid(m_folder, {}), measured);
}

void tst_HalconAutomaticOperatorParallelization::noAutomaticAskSkipsUntilForced()
{
    ScriptedBoxes boxes;
    boxes.answers = {QMessageBox::No};
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(m_folder, {}, false, false, true, nullptr),
             Errors::Type_Error(0));
    QCOMPARE(boxes.requests.size(), 1);

    // Not asked again, and nothing measured.
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(m_folder, {}, false, false, true, nullptr),
             Errors::Type_Error(0));
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(m_folder, {}, false, false, false, nullptr),
             Errors::Type_Error(0));
    QCOMPARE(boxes.requests.size(), 1);
    QVERIFY(!QFile::exists(HalconAutomaticOperatorParallelization::knowledgeFileName(m_folder)));

    // A forced run ignores the choice and resets it.
    QVERIFY(runForced({}));
    HalconAutomaticOperatorParallelizationSettings settings;
    QVERIFY(settings.load(HalconAutomaticOperatorParallelization::settingsFileName(m_folder)));
    QCOMPARE(settings.NoAutomaticAsk, false);
    QCOMPARE(boxes.requests.size(), 1);
}

void tst_HalconAutomaticOperatorParallelization::automationServerNeverMeasures()
{
    startLibrary(true);
    ScriptedBoxes boxes;
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(m_folder, {}, false, true, true, nullptr),
             Errors::Type_Error(0));
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(m_folder, {}, false, false, true, nullptr),
             Errors::Type_Error(0));
    QVERIFY(boxes.requests.isEmpty());
    QVERIFY(QDir(m_folder).isEmpty());
}

void tst_HalconAutomaticOperatorParallelization::loadOnlyMeasuresNothing()
{
    ScriptedBoxes boxes;
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(m_folder, {}, true, false, true, nullptr),
             Errors::Type_Error(0));
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(m_folder, {}, true, true, true, nullptr),
             Errors::Type_Error(0));
    QVERIFY(boxes.requests.isEmpty());
    QVERIFY(QDir(m_folder).isEmpty());
}

void tst_HalconAutomaticOperatorParallelization::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("present");
    QTest::newRow("program only") << QStringList({"zelvorin"}) << false;
    QTest::newRow("option as program name") << QStringList({"-HalconAutomaticOperatorParallelization"}) << false;
    QTest::newRow("other options") << QStringList({"zelvorin", "-embedding", "-HalconAutomatic"}) << false;
    QTest::newRow("exact") << QStringList({"zelvorin", "-HalconAutomaticOperatorParallelization"}) << true;
    QTest::newRow("lower case") << QStringList({"zelvorin", "-halconautomaticoperatorparallelization"}) << true;
    QTest::newRow("later argument") << QStringList({"zelvorin", "-x", "-HALCONAUTOMATICOPERATORPARALLELIZATION"})
                                    << true;
}

void tst_HalconAutomaticOperatorParallelization::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, present);
    // The user's "don't ask" does not stop a run asked for on the command line.
    QCOMPARE(HalconAutomaticOperatorParallelization::setNoAutomaticAsk(m_folder, true), Errors::Type_Error(0));

    std::vector<QByteArray> bytes;
    std::vector<const char*> argv;
    for (const QString& argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    for (const QByteArray& b : bytes)
        argv.push_back(b.constData());
    ScriptedBoxes boxes;
    QCOMPARE(HalconAutomaticOperatorParallelization::checkCommandLine(int(argv.size()), argv.data(), m_folder, {},
                                                                      nullptr),
             present);
    QVERIFY(boxes.requests.isEmpty());
    QCOMPARE(QFile::exists(HalconAutomaticOperatorParallelization::knowledgeFileName(m_folder)), present);
    QCOMPARE(HalconAutomaticOperatorParallelization::isOptimisationValid(m_folder, {}), present);
}

void tst_HalconAutomaticOperatorParallelization::commandLineFailureIsLogged()
{
    const char* argv[] = {"zelvorin", "-HalconAutomaticOperatorParallelization"};
    QTest::ignoreMessage(QtWarningMsg, "Warning: The 'Halcon automatic operation parallelization' cannot executed! "
                                       "Error: HAOP: Settings error");
    QVERIFY(HalconAutomaticOperatorParallelization::checkCommandLine(2, argv, m_folder + QStringLiteral("/missing"),
                                                                     {}, nullptr));
    QVERIFY(HalconAutomaticOperatorParallelization::checkCommandLine(2, nullptr, m_folder, {}, nullptr) == false);
}

void tst_HalconAutomaticOperatorParallelization::failures()
{
    // Settings that cannot be written: 10300, and no knowledge file either.
    const QString missing = m_folder + QStringLiteral("/missing");
    QCOMPARE(HalconAutomaticOperatorParallelization::setNoAutomaticAsk(missing, true), Errors::Type_Error(10300));
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(missing, {}, false, true, false, nullptr),
             Errors::Type_Error(10300));
    QVERIFY(!QFileInfo::exists(missing));

    // Knowledge that cannot be read or written: 10301.
    QCOMPARE(HalconAutomaticOperatorParallelization::readKnowledge(m_folder), Errors::Type_Error(10301));
    QVERIFY(QDir(m_folder).mkdir(QStringLiteral("HaopTest.halcon.aop")));
    QCOMPARE(HalconAutomaticOperatorParallelization::writeResults(m_folder, {}), Errors::Type_Error(10301));
    QCOMPARE(HalconAutomaticOperatorParallelization::readKnowledge(m_folder), Errors::Type_Error(10301));
    QVERIFY(QDir(m_folder).rmdir(QStringLiteral("HaopTest.halcon.aop")));

    // A measurement the layer refuses: 10302, and neither file is touched.
    QVERIFY(QFile::remove(HalconAutomaticOperatorParallelization::settingsFileName(m_folder)));
    HalconAutomaticOperatorParallelization::setMeasurementPictureSize(8, 8);
    QCOMPARE(HalconAutomaticOperatorParallelization::runOptimization({}), Errors::Type_Error(10302));
    ScriptedBoxes boxes;
    boxes.answers = {QMessageBox::Yes};
    QCOMPARE(HalconAutomaticOperatorParallelization::execute(m_folder, {}, false, false, true, nullptr),
             Errors::Type_Error(10302));
    QCOMPARE(boxes.requests.size(), 1); // the question, but no success box
    QVERIFY(QDir(m_folder).isEmpty());

    QCOMPARE(Errors::getErrorText(10300), QStringLiteral("HAOP: Settings error"));
    QCOMPARE(Errors::getErrorText(10301), QStringLiteral("HAOP: Halcon 'aop' file error"));
    QCOMPARE(Errors::getErrorText(10302), QStringLiteral("HAOP: Halcon 'aop' optimize error"));
}

QTEST_MAIN(tst_HalconAutomaticOperatorParallelization)
#include "tst_HalconAutomaticOperatorParallelization.moc"
