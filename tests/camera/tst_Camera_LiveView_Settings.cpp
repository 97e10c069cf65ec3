// The live view's aid settings record and its file: the text it writes, what it reads back
// from texts written by hand, and what it refuses without changing.

#include "Camera_LiveView_Settings.h"
#include "FilePlacingRecorder.h"
#include "LiveViewTestSupport.h"
#include "XML_Settings.h"

#include <SettingsFileMutations.h>

#include <QDomDocument>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace LiveViewTestSupport;

namespace {

using Data = Camera_LiveView_Settings_Data;

// The text of the element at a path such as "CameraFocus/Labware/SizeX" below the root.
QString textAt(const QString& xml, const QString& path)
{
    QDomDocument document;
    if (!document.setContent(xml))
        return QStringLiteral("<no xml>");
    QDomElement element = document.documentElement();
    for (const QString& tag : path.split(QLatin1Char('/')))
        element = element.firstChildElement(tag);
    return element.isNull() ? QStringLiteral("<missing>") : element.text();
}

QString fileText(const QString& groups, const QString& root = QStringLiteral("CameraSettings"))
{
    return QStringLiteral("<?xml version='1.0' encoding='UTF-8' ?>\n<%1 ConfigVersion=\"1.0\">%2</%1>\n").arg(root, groups);
}

Data changedData()
{
    Data d;
    d.CameraFocus.Labware = {5.5, 1.25, 2.5, 30.0, 20.0};
    d.CameraFocus.GradientValue = {7.5, 12.0};
    d.CameraAperture.Labware = {-10.0, 3.0, 4.0, 50.0, 45.5};
    d.CameraAperture.GrayValue = {140.5, 2.5};
    d.CameraHomogeneous.Labware = {44.5, 0.0, 0.5, 99.0, 70.25};
    d.CameraHomogeneous.Homogeneous = {21.0, 13, 0.4};
    return d;
}

// The value of a field named as the tables name it.
double fieldValue(const Camera_LiveView_Settings& settings, const QString& field)
{
    const QHash<QString, double> fields{
        {"homogeneity threshold", settings.CameraHomogeneous.Homogeneous.Threshold},
        {"homogeneity filter", settings.CameraHomogeneous.Homogeneous.FilterMeanMode},
        {"homogeneity sensibility", settings.CameraHomogeneous.Homogeneous.Sensibility},
        {"homogeneity position y", settings.CameraHomogeneous.Labware.PositionY},
        {"focus sensibility", settings.CameraFocus.GradientValue.Sensibility},
        {"focus size x", settings.CameraFocus.Labware.SizeX},
        {"focus size y", settings.CameraFocus.Labware.SizeY},
        {"aperture centre", settings.CameraAperture.GrayValue.Center},
        {"aperture sensibility", settings.CameraAperture.GrayValue.Sensibility},
        {"aperture angle", settings.CameraAperture.Labware.Angle},
        {"aperture position x", settings.CameraAperture.Labware.PositionX},
    };
    return fields.value(field, qQNaN());
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class tst_Camera_LiveView_Settings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void defaultText_data();
    void defaultText();
    void textLayout();
    void savedFileReadsBack();
    void readingHandWrittenText_data();
    void readingHandWrittenText();
    void unusableValuesAreRefused_data();
    void unusableValuesAreRefused();
    void missingNameTakesTheFileName();
    void refusedTextChangesNothing_data();
    void refusedTextChangesNothing();
    void saveIntoMissingFolderChangesNothing();
    void mutatedFiles();
};

void tst_Camera_LiveView_Settings::initTestCase()
{
    startLibrary(this);
}

void tst_Camera_LiveView_Settings::cleanupTestCase()
{
    QuendralLibrary::Stop();
}

void tst_Camera_LiveView_Settings::defaultText_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    const QStringList labware{"Angle", "PositionX", "PositionY", "SizeX", "SizeY"};
    const QStringList labwareValues{"0", "10", "10", "60", "40"};
    for (const char* aid : {"CameraFocus", "CameraAperture", "CameraHomogeneous"})
        for (int i = 0; i < labware.size(); ++i) {
            const QString path = QStringLiteral("%1/Labware/%2").arg(QLatin1String(aid), labware[i]);
            QTest::newRow(path.toLatin1().constData()) << path << labwareValues[i];
        }
    QTest::newRow("focus threshold") << "CameraFocus/GradientValue/Threshold" << "13";
    QTest::newRow("focus sensibility") << "CameraFocus/GradientValue/Sensibility" << "30";
    QTest::newRow("aperture centre") << "CameraAperture/GrayValue/Center" << "127";
    QTest::newRow("aperture sensibility") << "CameraAperture/GrayValue/Sensibility" << "10";
    QTest::newRow("homogeneity threshold") << "CameraHomogeneous/Homogeneous/Threshold" << "13";
    QTest::newRow("homogeneity filter") << "CameraHomogeneous/Homogeneous/FilterMeanMode" << "4";
    QTest::newRow("homogeneity sensibility") << "CameraHomogeneous/Homogeneous/Sensibility" << "10";
    QTest::newRow("name") << "Name/Name" << "";
}

void tst_Camera_LiveView_Settings::defaultText()
{
    QFETCH(QString, path);
    QFETCH(QString, text);
    Camera_LiveView_Settings settings;
    QCOMPARE(textAt(settings.ToXmlString(), path), text);
}

void tst_Camera_LiveView_Settings::textLayout()
{
    Camera_LiveView_Settings settings;
    const QString text = settings.ToXmlString();
    QVERIFY(text.startsWith(QStringLiteral("<?xml version='1.0' encoding='UTF-8' ?>\n<CameraSettings Application=\"")));
    QDomDocument document;
    QVERIFY(document.setContent(text));
    const QDomElement root = document.documentElement();
    QCOMPARE(root.attribute("ConfigVersion"), QStringLiteral("1.0"));
    QCOMPARE(root.attribute("Application"), QuendralLibrary::GetApplicationName());
    QCOMPARE(root.attribute("ApplicationVersion"), QStringLiteral("1.0"));
    QVERIFY(!root.attribute("ModifyDate").isEmpty());
    QStringList groups;
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        groups << e.tagName();
    QCOMPARE(groups, (QStringList{"Name", "CameraFocus", "CameraAperture", "CameraHomogeneous"}));
    // One blank per level.
    QVERIFY(text.contains(QStringLiteral("\n <CameraFocus>\n  <Labware>\n   <Angle>0</Angle>\n")));
}

void tst_Camera_LiveView_Settings::savedFileReadsBack()
{
    WorkingFolder folder;
    QVERIFY(folder.isValid());
    Camera_LiveView_Settings written;
    written.data() = changedData();
    QVERIFY(written.SaveToFile(Camera_LiveView_Settings::defaultFilePath()));
    QCOMPARE(written.Name, QStringLiteral("default"));

    Camera_LiveView_Settings read;
    QSignalSpy changed(&read, &Settings_Change_Helper::signal_changed);
    QVERIFY(read.LoadFromFile(Camera_LiveView_Settings::defaultFilePath()));
    Data expected = changedData();
    expected.Name = QStringLiteral("default");
    QCOMPARE(read.data(), expected);
    QVERIFY(changed.wait(5000));
    QCOMPARE(changed.count(), 1);

    // Saved again under another name, the file is replaced whole and its text names it.
    read.CameraFocus.GradientValue.Threshold = 1.5;
    const QString other = folder.filePath("settings/other.cameraliveviewsettings.xml");
    QVERIFY(read.SaveToFile(other));
    {
        FilePlacingRecorder placing;
        QVERIFY(read.SaveToFile(other));
        const QString fault = placing.faultPlacing(other);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
    QFile file(other);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QCOMPARE(textAt(text, "Name/Name"), QStringLiteral("other"));
    QCOMPARE(textAt(text, "CameraFocus/GradientValue/Threshold"), QStringLiteral("1.5"));
}

void tst_Camera_LiveView_Settings::readingHandWrittenText_data()
{
    QTest::addColumn<QString>("groups");
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");

    const QString cameraSettings = QStringLiteral("CameraSettings");
    QTest::newRow("text that is no number reads as 0")
        << "<CameraHomogeneous><Homogeneous><Threshold>abc</Threshold></Homogeneous></CameraHomogeneous>"
        << cameraSettings << "homogeneity threshold" << 0.0;
    QTest::newRow("infinity reads as 0")
        << "<CameraHomogeneous><Homogeneous><Threshold>-inf</Threshold></Homogeneous></CameraHomogeneous>"
        << cameraSettings << "homogeneity threshold" << 0.0;
    QTest::newRow("filter mode in decimal")
        << "<CameraHomogeneous><Homogeneous><FilterMeanMode>12</FilterMeanMode></Homogeneous></CameraHomogeneous>"
        << cameraSettings << "homogeneity filter" << 12.0;
    QTest::newRow("aperture before focus")
        << "<CameraAperture><GrayValue><Center>90</Center></GrayValue></CameraAperture>"
           "<CameraFocus><Labware><SizeX>12.5</SizeX></Labware></CameraFocus>"
        << cameraSettings << "focus size x" << 12.5;
    QTest::newRow("the later of two leaves")
        << "<CameraAperture><GrayValue><Center>90</Center><Center>91.5</Center></GrayValue></CameraAperture>"
        << cameraSettings << "aperture centre" << 91.5;
    QTest::newRow("a value group of another aid is not read")
        << "<CameraFocus><GrayValue><Center>90</Center></GrayValue></CameraFocus>" << cameraSettings
        << "aperture centre" << 127.0;
    QTest::newRow("missing values keep their defaults")
        << "<CameraFocus><Labware><SizeX>12.5</SizeX></Labware></CameraFocus>" << cameraSettings << "focus size y"
        << 40.0;
    QTest::newRow("any root tag") << "<CameraAperture><Labware><Angle>-7</Angle></Labware></CameraAperture>"
                                  << "Other" << "aperture angle" << -7.0;
}

void tst_Camera_LiveView_Settings::readingHandWrittenText()
{
    QFETCH(QString, groups);
    QFETCH(QString, root);
    QFETCH(QString, field);
    QFETCH(double, value);
    Camera_LiveView_Settings settings;
    // Whatever the record held before: reading starts from the defaults.
    settings.data() = changedData();
    QVERIFY(settings.ReadXml(fileText(groups, root)));
    QCOMPARE(fieldValue(settings, field), value);
}

// A value the aids cannot measure with is refused: the field keeps what the record held,
// while the other values of the file are read.
void tst_Camera_LiveView_Settings::unusableValuesAreRefused_data()
{
    QTest::addColumn<QString>("groups");
    QTest::addColumn<QString>("field");

    const auto sensibility = [](const char* aid, const char* group, const char* text) {
        return QStringLiteral("<%1><%2><Sensibility>%3</Sensibility></%2></%1>")
            .arg(QLatin1String(aid), QLatin1String(group), QLatin1String(text));
    };
    QTest::newRow("focus sensibility 0") << sensibility("CameraFocus", "GradientValue", "0") << "focus sensibility";
    QTest::newRow("aperture sensibility 0") << sensibility("CameraAperture", "GrayValue", "0")
                                            << "aperture sensibility";
    QTest::newRow("homogeneity sensibility below 0")
        << sensibility("CameraHomogeneous", "Homogeneous", "-2") << "homogeneity sensibility";
    QTest::newRow("infinite sensibility") << sensibility("CameraFocus", "GradientValue", "inf") << "focus sensibility";
    QTest::newRow("sensibility that is no number")
        << sensibility("CameraAperture", "GrayValue", "abc") << "aperture sensibility";
    QTest::newRow("size 0") << "<CameraFocus><Labware><SizeX>0</SizeX></Labware></CameraFocus>" << "focus size x";
    QTest::newRow("size below 0") << "<CameraFocus><Labware><SizeY>-40</SizeY></Labware></CameraFocus>"
                                  << "focus size y";
    QTest::newRow("size beyond tenfold the picture")
        << "<CameraFocus><Labware><SizeX>1000.5</SizeX></Labware></CameraFocus>" << "focus size x";
    QTest::newRow("position beyond tenfold the picture")
        << "<CameraAperture><Labware><PositionX>-5000</PositionX></Labware></CameraAperture>"
        << "aperture position x";
    QTest::newRow("filter mode 0")
        << "<CameraHomogeneous><Homogeneous><FilterMeanMode>0</FilterMeanMode></Homogeneous></CameraHomogeneous>"
        << "homogeneity filter";
    QTest::newRow("filter mode 14")
        << "<CameraHomogeneous><Homogeneous><FilterMeanMode>14</FilterMeanMode></Homogeneous></CameraHomogeneous>"
        << "homogeneity filter";
    QTest::newRow("filter mode that is no integer")
        << "<CameraHomogeneous><Homogeneous><FilterMeanMode>2.5</FilterMeanMode></Homogeneous></CameraHomogeneous>"
        << "homogeneity filter";
}

void tst_Camera_LiveView_Settings::unusableValuesAreRefused()
{
    QFETCH(QString, groups);
    QFETCH(QString, field);
    Camera_LiveView_Settings before;
    before.data() = changedData();
    Camera_LiveView_Settings settings;
    settings.data() = changedData();
    const QString usable = QStringLiteral(
        "<CameraHomogeneous><Labware><PositionY>7.5</PositionY></Labware></CameraHomogeneous>");
    QVERIFY(settings.ReadXml(fileText(groups + usable)));
    QCOMPARE(fieldValue(settings, field), fieldValue(before, field));
    QCOMPARE(settings.CameraHomogeneous.Labware.PositionY, 7.5);
    // The values the aids take at their limits are read.
    QVERIFY(settings.ReadXml(fileText(QStringLiteral(
        "<CameraFocus><Labware><SizeX>1000</SizeX><PositionX>-1000</PositionX></Labware>"
        "<GradientValue><Sensibility>0.001</Sensibility></GradientValue></CameraFocus>"
        "<CameraHomogeneous><Homogeneous><FilterMeanMode>13</FilterMeanMode></Homogeneous></CameraHomogeneous>"))));
    QCOMPARE(settings.CameraFocus.Labware.SizeX, 1000.0);
    QCOMPARE(settings.CameraFocus.Labware.PositionX, -1000.0);
    QCOMPARE(settings.CameraFocus.GradientValue.Sensibility, 0.001);
    QCOMPARE(settings.CameraHomogeneous.Homogeneous.FilterMeanMode, 13);
}

void tst_Camera_LiveView_Settings::missingNameTakesTheFileName()
{
    WorkingFolder folder;
    const QString path = folder.filePath("settings/bench 2.cameraliveviewsettings.xml");
    QVERIFY(writeFile(path, fileText("<CameraFocus><Labware><PositionX>33</PositionX></Labware></CameraFocus>").toUtf8()));
    Camera_LiveView_Settings settings;
    QVERIFY(settings.LoadFromFile(path));
    QCOMPARE(settings.Name, QStringLiteral("bench 2"));
    QCOMPARE(settings.CameraFocus.Labware.PositionX, 33.0);
}

void tst_Camera_LiveView_Settings::refusedTextChangesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("no xml") << QByteArray("CameraFocus = 3");
    QTest::newRow("cut off") << fileText("<CameraFocus><Labware><SizeX>1</SizeX>").toUtf8();
    QTest::newRow("empty") << QByteArray();
    QByteArray large = fileText("<CameraFocus/>").toUtf8();
    large.append(QByteArray(XML_Settings::MaximumFileSize, ' '));
    QTest::newRow("larger than a settings file") << large;
    // Parsed without a bound, this took 20 s and 600 MB.
    QTest::newRow("nested 100000 deep")
        << fileText(QStringLiteral("<D>").repeated(100000) + QStringLiteral("</D>").repeated(100000)).toUtf8();
    QTest::newRow("nested 65 deep")
        << fileText(QStringLiteral("<D>").repeated(64) + QStringLiteral("</D>").repeated(64)).toUtf8();
}

void tst_Camera_LiveView_Settings::refusedTextChangesNothing()
{
    QFETCH(QByteArray, bytes);
    WorkingFolder folder;
    const QString path = folder.filePath("settings/damaged.cameraliveviewsettings.xml");
    QVERIFY(writeFile(path, bytes));
    Camera_LiveView_Settings settings;
    settings.data() = changedData();
    settings.Name = QStringLiteral("before");
    QSignalSpy changed(&settings, &Settings_Change_Helper::signal_changed);
    QVERIFY(!settings.LoadFromFile(path));
    if (bytes.size() <= XML_Settings::MaximumFileSize)
        QVERIFY(!settings.ReadXml(QString::fromUtf8(bytes)));
    Data expected = changedData();
    expected.Name = QStringLiteral("before");
    QCOMPARE(settings.data(), expected);
    QVERIFY(!settings.LoadFromFile(folder.filePath("settings/missing.cameraliveviewsettings.xml")));
    QCOMPARE(settings.data(), expected);
    QVERIFY(!changed.wait(200));
}

void tst_Camera_LiveView_Settings::saveIntoMissingFolderChangesNothing()
{
    WorkingFolder folder;
    Camera_LiveView_Settings settings;
    settings.data() = changedData();
    settings.Name = QStringLiteral("before");
    const QString path = folder.filePath("missing/default.cameraliveviewsettings.xml");
    QVERIFY(!settings.SaveToFile(path));
    QVERIFY(!QFile::exists(path));
    Data expected = changedData();
    expected.Name = QStringLiteral("before");
    QCOMPARE(settings.data(), expected);
}

// Seeded damage of a settings file: each copy is refused without a trace or read within the
// bounds of every reader, and what it read comes back exactly after a save.
void tst_Camera_LiveView_Settings::mutatedFiles()
{
    SettingsFileMutations::Access<Camera_LiveView_Settings> access;
    access.make = [] {
        auto record = std::make_unique<Camera_LiveView_Settings>();
        record->data() = changedData();
        record->Name = QStringLiteral("before");
        return record;
    };
    access.load = [](Camera_LiveView_Settings& record, const QString& path) { return record.LoadFromFile(path); };
    access.save = [](Camera_LiveView_Settings& record, const QString& path) { return record.SaveToFile(path); };
    access.text = [](Camera_LiveView_Settings& record) { return record.ToXmlString(); };
    access.equal = [](const Camera_LiveView_Settings& a, const Camera_LiveView_Settings& b) {
        return a.data() == b.data();
    };
    Camera_LiveView_Settings written;
    written.CameraFocus.Labware = {12.345678, 1.25, 999.99999999, 30.5, 20.25};
    written.CameraAperture.GrayValue = {0.1 + 0.2, 2.5};
    written.CameraHomogeneous.Homogeneous = {21.75, 9, 0.125};
    const QString fileName = QStringLiteral("damaged") + Camera_LiveView_Settings::fileSuffix();
    const QByteArray valid = SettingsFileMutations::validFile(written, access, fileName);
    QVERIFY(!valid.isEmpty());
    const QString fault = SettingsFileMutations::run(valid, fileName, access);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QTEST_GUILESS_MAIN(tst_Camera_LiveView_Settings)
#include "tst_Camera_LiveView_Settings.moc"
