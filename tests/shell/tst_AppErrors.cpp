#include "AppErrors.h"
#include "HalconFunctions.h"

#include <QtTest>

#include <memory>

class tst_AppErrors : public QObject {
    Q_OBJECT
private slots:
    void errorText_data();
    void errorText();
    void halconCodes_data();
    void halconCodes();
    void reachedThroughErrors_data();
    void reachedThroughErrors();
};

void tst_AppErrors::errorText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("first row") << 100 << "Analysing picture aborted";
    QTest::newRow("letter for letter: homogen") << 107 << "Color not homogen";
    QTest::newRow("letter for letter: occured") << 130 << "An error occured on a file operation";
    QTest::newRow("long text")
        << 131 << "Expect a color picture according to the colony settings with activated color settings";
    QTest::newRow("sentence with a point")
        << 164 << "Reference point coordinates are not valid. Failed to calculate coordinate system.";
    QTest::newRow("last row") << 212 << "Invalid number of pictures available for Image Stitcher";
    QTest::newRow("gap in the range") << 105 << "Unknow error 105";
    QTest::newRow("after the range") << 213 << "Unknow error 213";
    QTest::newRow("below the range") << 99 << "Unknow error 99";
    QTest::newRow("below vision-layer codes") << 999 << "Unknow error 999";
    QTest::newRow("zero") << 0 << "Unknow error 0";
    QTest::newRow("negative") << -1 << "Unknow error -1";
    QTest::newRow("most negative") << -32768 << "Unknow error -32768";
}

void tst_AppErrors::errorText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    AppErrors errors;
    QCOMPARE(errors.errorText(Errors::Type_Error(code)), text);
}

void tst_AppErrors::halconCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::newRow("threshold") << 1000;
    QTest::newRow("a layer error") << 1201;
    QTest::newRow("largest code") << 32767;
}

void tst_AppErrors::halconCodes()
{
    QFETCH(int, code);
    AppErrors errors;
    const QString text = errors.errorText(Errors::Type_Error(code));
    const QString layerText = HalconErrorText(code);
    QVERIFY(!layerText.isEmpty());
    QCOMPARE(text, QStringLiteral("Halcon function fails with error %1: ").arg(code) + layerText);
}

void tst_AppErrors::reachedThroughErrors_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("library code stays the library's") << 3 << "General application error";
    QTest::newRow("application code") << 150 << "Cannot load the colony settings";
    QTest::newRow("unknown") << 105 << "Unknow error 105";
}

void tst_AppErrors::reachedThroughErrors()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    AppErrors appErrors;
    {
        const Errors errors(&appErrors);
        QCOMPARE(Errors::getErrorText(Errors::Type_Error(code)), text);
    }
}

QTEST_GUILESS_MAIN(tst_AppErrors)
#include "tst_AppErrors.moc"
