// The colony demos as shipped: the pictures the build makes from generated plate scenes and
// the demo settings that fit those scenes. With ZELVORIN_REGENERATE_SETTINGS set the demo
// settings files of the source tree are written anew from the scenes.

#include "ColonySettings.h"
#include "DemoPlateScenes.h"
#include "Halcon_Helper.h"
#include "MainWindowFixture.h"
#include "PlateSceneSettings.h"
#include "XML_Settings.h"

#include <QtTest>

class tst_DemoFiles : public QObject {
    Q_OBJECT
private slots:
    void shippedSettingsFitTheirScenes_data();
    void shippedSettingsFitTheirScenes();
    void builtPictureIsTheScene_data();
    void builtPictureIsTheScene();

private:
    void demoRows();
};

namespace {

QDateTime fixedClock()
{
    return QDateTime(QDate(2024, 1, 15), QTime(9, 0, 0));
}

const DemoPlateScenes::Demo& demoNamed(const QString& baseName)
{
    for (const DemoPlateScenes::Demo& demo : DemoPlateScenes::colonyDemos) {
        if (baseName == QLatin1String(demo.baseName))
            return demo;
    }
    qFatal("no demo %s", qPrintable(baseName));
}

} // namespace

void tst_DemoFiles::demoRows()
{
    QTest::addColumn<QString>("baseName");
    for (const DemoPlateScenes::Demo& demo : DemoPlateScenes::colonyDemos)
        QTest::newRow(demo.baseName) << QString::fromLatin1(demo.baseName);
}

void tst_DemoFiles::shippedSettingsFitTheirScenes_data()
{
    demoRows();
}

void tst_DemoFiles::shippedSettingsFitTheirScenes()
{
    QFETCH(QString, baseName);
    const QString source = TestFixtures::sourceDir();
    if (source.isEmpty())
        QSKIP("ZELVORIN_SOURCE_DIR is not set");
    const QString path = source + QStringLiteral("/") + ColonySettings::demoFolder() + QStringLiteral("/Demo_")
        + baseName + ColonySettings::fileExtension();

    const PlateScenes::Scene scene = PlateScenes::generate(DemoPlateScenes::options(demoNamed(baseName)));
    ColonySettings expected;
    expected.data() = PlateSceneSettings::settingsFor(scene);
    expected.name = QStringLiteral("Demo_") + baseName;
    XML_Settings::setClockFunction(&fixedClock);
    // The demo files hold the scene's fractional values to six significant digits.
    const QString exact = expected.toXmlString();
    QString rounded = exact;
    static const QRegularExpression fraction(QStringLiteral(">(-?[0-9]*\\.[0-9]+(?:e[-+][0-9]+)?)<"));
    for (QRegularExpressionMatchIterator it = fraction.globalMatch(exact); it.hasNext();) {
        const QString text = it.next().captured(1);
        rounded.replace(QLatin1Char('>') + text + QLatin1Char('<'),
                        QLatin1Char('>') + QString::number(text.toDouble(), 'g', 6) + QLatin1Char('<'));
    }
    QVERIFY(expected.fromXmlString(rounded));
    if (qEnvironmentVariableIsSet("ZELVORIN_REGENERATE_SETTINGS"))
        QVERIFY(expected.saveToFile(path));

    ColonySettings shipped;
    QString reason;
    QVERIFY2(shipped.loadFromFile(path, &reason), qPrintable(reason));
    QVERIFY(shipped.data() == expected.data());
    QVERIFY2(ColonySettings::validate(shipped.data(), reason), qPrintable(reason));
}

void tst_DemoFiles::builtPictureIsTheScene_data()
{
    demoRows();
}

void tst_DemoFiles::builtPictureIsTheScene()
{
    QFETCH(QString, baseName);
    const DemoPlateScenes::Demo& demo = demoNamed(baseName);
    Halcon::Hobject picture;
    QCOMPARE(Halcon_Helper::LoadImageFile(MainWindowFixture::builtProgramFolder() + QStringLiteral("/")
                                              + ColonySettings::demoFolder() + QStringLiteral("/")
                                              + DemoPlateScenes::pictureFileName(demo),
                                          picture),
             Errors::Type_Error(0));
    QCOMPARE(Halcon_Helper::CheckGrayImage(picture), Errors::Type_Error(0));
    int width = 0;
    int height = 0;
    QCOMPARE(Halcon_Helper::GetImageSize(picture, width, height), Errors::Type_Error(0));
    const PlateScenes::Options options = DemoPlateScenes::options(demo);
    QCOMPARE(width, options.width);
    QCOMPARE(height, options.height);
}

QTEST_GUILESS_MAIN(tst_DemoFiles)
#include "tst_DemoFiles.moc"
