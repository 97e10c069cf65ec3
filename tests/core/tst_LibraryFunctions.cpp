#include "Automation_BusNames.h"
#include "Automation_Registration.h"
#include "LibraryFunctions.h"

#include <QCoreApplication>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

class tst_LibraryFunctions : public QObject {
    Q_OBJECT
private slots:
    void domElements();
    void currentDirReturnsToApplicationDir();
    void relativePath_data();
    void relativePath();
    void relativePathToProgramFolder();
    void runProgram();
    void processMemory();
    void diskSpace();
    void diskSpaceOfUnreadablePath_data();
    void diskSpaceOfUnreadablePath();
    void positionName_data();
    void positionName();
    void positionNamePadded_data();
    void positionNamePadded();
    void fileNameWithoutSuffix_data();
    void fileNameWithoutSuffix();
    void automationRegistration_data();
    void automationRegistration();
};

void tst_LibraryFunctions::domElements()
{
    QDomDocument doc;
    QDomElement root = createDomElement(doc, "LiveView", "Application", "zelvorin", "ApplicationVersion", "1.0",
                                        "ConfigVersion", "3", "ModifyDate", "2024-01-02");
    QCOMPARE(doc.documentElement(), root);
    QCOMPARE(root.tagName(), QString("LiveView"));
    QCOMPARE(root.attributes().count(), 4);
    QCOMPARE(root.attribute("ConfigVersion"), QString("3"));
    QCOMPARE(root.attribute("ModifyDate"), QString("2024-01-02"));

    QDomElement group = appendDomElement(doc, root, "Camera");
    QCOMPARE(group.parentNode().toElement(), root);

    QDomElement value = createDomElementWithAttributes(doc, group, "Exposure", "12.5", "Unit", "ms", "", "ignored",
                                                       "TypeName", "double");
    QCOMPARE(value.parentNode().toElement(), group);
    QCOMPARE(value.text(), QString("12.5"));
    QCOMPARE(value.attributes().count(), 2);
    QCOMPARE(value.attribute("Unit"), QString("ms"));
    QCOMPARE(value.attribute("TypeName"), QString("double"));
    QVERIFY(!value.hasAttribute(""));
    // The text is escaped, not parsed.
    QDomElement special = createDomElementWithAttributes(doc, group, "Name", "<a & b>");
    QCOMPARE(special.attributes().count(), 0);
    QDomDocument reread;
    QVERIFY(bool(reread.setContent(doc.toString())));
    QCOMPARE(reread.documentElement().firstChildElement("Camera").firstChildElement("Name").text(),
             QString("<a & b>"));
}

void tst_LibraryFunctions::currentDirReturnsToApplicationDir()
{
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    QCOMPARE(setCurrentDirToApplicationDir(), Errors::Type_Error(0));
    QCOMPARE(QDir::currentPath(), QCoreApplication::applicationDirPath());
    QCOMPARE(setCurrentDirToApplicationDir(), Errors::Type_Error(0));
    QCOMPARE(QDir::currentPath(), QCoreApplication::applicationDirPath());
    QDir::setCurrent(before);
}

void tst_LibraryFunctions::relativePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("subfolder") << "/opt/zelvorin/settings/colony/plate.ColonySettings"
                               << "settings/colony/plate.ColonySettings";
    QTest::newRow("file in folder") << "/opt/zelvorin/database.sqlite" << "database.sqlite";
    QTest::newRow("uncleaned inside") << "/opt/zelvorin/settings/../pictures/./a.png" << "pictures/a.png";
    QTest::newRow("parent folder") << "/opt/other.sqlite" << "/opt/other.sqlite";
    QTest::newRow("sibling folder") << "/opt/zelvorin-data/pictures" << "/opt/zelvorin-data/pictures";
    QTest::newRow("other disk") << "/media/usb/pictures/a.png" << "/media/usb/pictures/a.png";
    QTest::newRow("uncleaned outside") << "/opt/zelvorin/../data//x.png" << "/opt/data/x.png";
    QTest::newRow("already relative") << "settings/a.xml" << "settings/a.xml";
    QTest::newRow("relative outside") << "../data/x.png" << "/opt/data/x.png";
}

void tst_LibraryFunctions::relativePath()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(toApplicationRelativePath(path, "/opt/zelvorin"), expected);
}

void tst_LibraryFunctions::relativePathToProgramFolder()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    QCOMPARE(toApplicationRelativePath(programFolder + "/settings/camera/a.xml"), QString("settings/camera/a.xml"));
    QTemporaryDir outside;
    QVERIFY(outside.isValid());
    if (outside.path().startsWith(programFolder + "/"))
        QSKIP("the temporary folder lies inside the program folder");
    QCOMPARE(toApplicationRelativePath(outside.filePath("x/../a.png")), QDir::cleanPath(outside.filePath("a.png")));
}

void tst_LibraryFunctions::runProgram()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString marker = dir.filePath("ran marker");
    QCOMPARE(runAsAdministrator("/bin/sh", QString("-c \"echo done > '%1'\"").arg(marker), true),
             Errors::Type_Error(0));
    QFile file(marker);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("done\n"));

    QCOMPARE(runAsAdministrator(dir.filePath("no-such-program"), "-regserver", true), Errors::Type_Error(3));
    QCOMPARE(runAsAdministrator(dir.filePath("no-such-program"), "-regserver", false), Errors::Type_Error(3));
}

void tst_LibraryFunctions::processMemory()
{
    double used = -1;
    double peak = -1;
    QCOMPARE(getProcessMemoryMB(used, peak), Errors::Type_Error(0));
    QVERIFY(used > 0);
    QVERIFY(peak >= used);

    // 64 MB really touched must show up in the figure.
    std::vector<char> block(64 * 1024 * 1024);
    for (size_t i = 0; i < block.size(); i += 4096)
        block[i] = char(i);
    double usedAfter = 0;
    double peakAfter = 0;
    QCOMPARE(getProcessMemoryMB(usedAfter, peakAfter), Errors::Type_Error(0));
    QVERIFY2(usedAfter - used > 48, qPrintable(QString("%1 -> %2 MB").arg(used).arg(usedAfter)));
    QVERIFY(peakAfter >= usedAfter);
    QVERIFY(block[4096] == char(4096));
}

void tst_LibraryFunctions::diskSpace()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    double total = -1;
    double free = -1;
    QCOMPARE(getDiskSpaceMB(dir.path(), total, free), Errors::Type_Error(0));
    QVERIFY(total > 0);
    QVERIFY(free > 0);
    QVERIFY(free <= total);
    double available = -1;
    QCOMPARE(getDiskSpaceMB(dir.path(), total, free, available), Errors::Type_Error(0));
    QVERIFY(available >= 0);
    QVERIFY(available <= free);
    // In MB: no disk of a test machine holds a petabyte, nor less than one MB.
    QVERIFY(total < 1e9);
    QVERIFY(total >= 1);
}

void tst_LibraryFunctions::diskSpaceOfUnreadablePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("empty") << QString();
    QTest::newRow("missing folder") << "/no/such/folder/for/pictures";
}

void tst_LibraryFunctions::diskSpaceOfUnreadablePath()
{
    QFETCH(QString, path);
    double total = 123;
    double free = 456;
    QCOMPARE(getDiskSpaceMB(path, total, free), Errors::Type_Error(50));
    QCOMPARE(total, 0.0);
    QCOMPARE(free, 0.0);
}

void tst_LibraryFunctions::positionName_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first") << 1 << 8 << "A1";
    QTest::newRow("end of first column") << 8 << 8 << "A8";
    QTest::newRow("second column") << 9 << 8 << "B1";
    QTest::newRow("96 well last") << 96 << 8 << "L8";
    QTest::newRow("number above 9") << 24 << 16 << "B8";
    QTest::newRow("two digits") << 16 << 16 << "A16";
    QTest::newRow("last letter") << 208 << 8 << "Z8";
    QTest::newRow("one row") << 26 << 1 << "Z1";
    QTest::newRow("past the alphabet") << 209 << 8 << "";
    QTest::newRow("far past the alphabet") << 65535 << 1 << "";
    QTest::newRow("no rows") << 1 << 0 << "";
    QTest::newRow("position 0") << 0 << 8 << "";
    QTest::newRow("largest grid") << 65535 << 65535 << "A65535";
}

void tst_LibraryFunctions::positionName()
{
    QFETCH(int, position);
    QFETCH(int, rows);
    QFETCH(QString, expected);
    QCOMPARE(getPositionName(quint16(position), quint16(rows)), expected);
}

void tst_LibraryFunctions::positionNamePadded_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected");
    QTest::newRow("96 wells") << 9 << 8 << 96 << "B01";
    QTest::newRow("count below 10") << 1 << 8 << 9 << "A1";
    QTest::newRow("count 10") << 1 << 8 << 10 << "A01";
    QTest::newRow("no padding needed") << 16 << 16 << 384 << "A016";
    QTest::newRow("count 1000") << 5 << 100 << 1000 << "A0005";
    QTest::newRow("count 9999") << 5 << 100 << 9999 << "A0005";
    QTest::newRow("count 10000") << 5 << 100 << 10000 << "A00005";
    QTest::newRow("count 0") << 3 << 8 << 0 << "A3";
    QTest::newRow("past the alphabet") << 209 << 8 << 96 << "";
    QTest::newRow("no rows") << 1 << 0 << 96 << "";
}

void tst_LibraryFunctions::positionNamePadded()
{
    QFETCH(int, position);
    QFETCH(int, rows);
    QFETCH(int, count);
    QFETCH(QString, expected);
    QCOMPARE(getPositionNamePadded(quint16(position), quint16(rows), quint16(count)), expected);
}

void tst_LibraryFunctions::fileNameWithoutSuffix_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("expected");
    QTest::newRow("suffix cut") << "settings/colony/Plate 1.ColonySettings" << ".ColonySettings" << "Plate 1";
    QTest::newRow("case differs") << "/x/Plate.COLONYSETTINGS" << ".ColonySettings" << "Plate.COLONYSETTINGS";
    QTest::newRow("lower suffix, upper name") << "a/Cam.CAMERASETTINGS.XML" << ".camerasettings.xml"
                                              << "Cam.CAMERASETTINGS.XML";
    QTest::newRow("double suffix") << "Cam.camerasettings.xml" << ".camerasettings.xml" << "Cam";
    QTest::newRow("other suffix") << "/x/Plate.xml" << ".ColonySettings" << "Plate.xml";
    QTest::newRow("suffix only in folder") << "/x.ColonySettings/Plate" << ".ColonySettings" << "Plate";
    QTest::newRow("name is the suffix") << "/x/.ColonySettings" << ".ColonySettings" << "";
    QTest::newRow("empty suffix") << "/x/Plate.xml" << "" << "Plate.xml";
    QTest::newRow("folder path") << "/x/y/" << ".xml" << "";
}

void tst_LibraryFunctions::fileNameWithoutSuffix()
{
    QFETCH(QString, path);
    QFETCH(QString, suffix);
    QFETCH(QString, expected);
    QCOMPARE(getFileNameWithoutSuffix(path, suffix), expected);
}

void tst_LibraryFunctions::automationRegistration_data()
{
    QTest::addColumn<QString>("registeredProgram"); // empty: no registration
    QTest::addColumn<bool>("current");
    QTest::newRow("missing") << QString() << false;
    QTest::newRow("this program") << QCoreApplication::applicationFilePath() << true;
    QTest::newRow("another program") << QStringLiteral("/usr/bin/true") << false;
}

void tst_LibraryFunctions::automationRegistration()
{
    QFETCH(QString, registeredProgram);
    QFETCH(bool, current);
    // The registration lives in the user's data folder; each case gets its own.
    QTemporaryDir dataHome;
    QVERIFY(dataHome.isValid());
    const QByteArray previous = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    const QString serviceName = Automation_BusNames::serviceName("zelvorin", "COM_Class");
    QString error;
    if (!registeredProgram.isEmpty())
        QVERIFY2(Automation_Registration::write(serviceName, registeredProgram, {"-activex"}, error), qPrintable(error));

    QCOMPARE(isAutomationServerRegistrationCurrent("zelvorin", "COM_Class"), current);
    // Another class has a registration of its own.
    QVERIFY(!isAutomationServerRegistrationCurrent("zelvorin", "Other_Class"));
    if (current)
        QCOMPARE(checkComServerRegistration("zelvorin", "COM_Class"), Errors::Type_Error(0));
    if (previous.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", previous);
}

QTEST_GUILESS_MAIN(tst_LibraryFunctions)
#include "tst_LibraryFunctions.moc"
