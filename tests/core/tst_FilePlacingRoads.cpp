#include "FilePlacingRecorder.h"
#include "Gui_Helper.h"
#include "HalconTestPictures.h"
#include "Halcon_AsynchronImageSave.h"
#include "Halcon_Helper.h"
#include "Halcon_PictureStaging.h"
#include "XML_Settings.h"
#include "Zip_Helper.h"

#include <QtTest>

#include <QDir>
#include <QMainWindow>
#include <QTemporaryDir>

#include <functional>

// Every road on which the program stores a file puts it in place through the one replacing
// writer: bytes synced before the name changes, the folder synced after. A road that writes
// its file another way, or a writer that drops a sync, fails here.
class tst_FilePlacingRoads : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void syncedBeforeAndAfterTheName_data();
    void syncedBeforeAndAfterTheName();

private:
    QTemporaryDir m_folder;
    QString m_previousFolder;
};

namespace {

using HalconTestPictures::gradientRgb;

// Stores one file into folder the way the road does; the name the file gets, or empty.
using Road = std::function<QString(const QString& folder)>;

bool waitIdle(Halcon_AsynchronImageSave& saver)
{
    bool idle = false;
    Errors::Type_Error error = 0;
    return QTest::qWaitFor([&] { error = saver.isIdle(idle); return idle; }, 60000) && error == 0;
}

QString staged(const QString& folder, Halcon_AsynchronImageSave* saver)
{
    const QString name = QDir(folder).filePath(QStringLiteral("rack.png"));
    Halcon_PictureStaging staging(folder, QStringLiteral(".private-"), QStringLiteral(".png"), QStringLiteral("png"),
                                  saver, 0);
    if (staging.add(gradientRgb(64, 48)) != 0 || staging.write() != 0 || staging.place(0, name) != 0
        || staging.commit() != 0)
        return QString();
    return !saver || waitIdle(*saver) ? name : QString();
}

} // namespace

void tst_FilePlacingRoads::initTestCase()
{
    QVERIFY(m_folder.isValid());
    m_previousFolder = QDir::currentPath();
}

void tst_FilePlacingRoads::cleanupTestCase()
{
    QDir::setCurrent(m_previousFolder);
}

void tst_FilePlacingRoads::syncedBeforeAndAfterTheName_data()
{
    QTest::addColumn<Road>("road");
    QTest::newRow("picture, at once, vision layer") << Road([](const QString& folder) {
        const QString name = QDir(folder).filePath(QStringLiteral("picture.png"));
        return Halcon_Helper::SaveImageFile(name, gradientRgb(64, 48), QStringLiteral("png"), false, false) == 0
            ? name : QString();
    });
    QTest::newRow("picture, at once, through Qt") << Road([](const QString& folder) {
        const QString name = QDir(folder).filePath(QStringLiteral("picture.jpg"));
        return Halcon_Helper::SaveImageFile(name, gradientRgb(64, 48), QStringLiteral("jpeg"), false, true) == 0
            ? name : QString();
    });
    QTest::newRow("picture, background writer") << Road([](const QString& folder) {
        const QString name = QDir(folder).filePath(QStringLiteral("background.tif"));
        Halcon_AsynchronImageSave saver;
        return saver.saveImage(name, gradientRgb(64, 48), QStringLiteral("tiff"), 0, false) == 0 && waitIdle(saver)
            ? name : QString();
    });
    QTest::newRow("stored picture, at once") << Road([](const QString& folder) { return staged(folder, nullptr); });
    QTest::newRow("stored picture, spooled for the background writer") << Road([](const QString& folder) {
        Halcon_AsynchronImageSave saver;
        return staged(folder, &saver);
    });
    QTest::newRow("ZIP export") << Road([](const QString& folder) {
        const QString name = QDir(folder).filePath(QStringLiteral("export.zip"));
        Zip_Helper zip;
        return zip.Open(name, false) == 0 && zip.AddData(QStringLiteral("a.txt"), "a") == 0 && zip.Close() == 0
            ? name : QString();
    });
    QTest::newRow("settings file") << Road([](const QString& folder) {
        XML_Settings settings(QStringLiteral("app"), QStringLiteral("1.0"), QStringLiteral("Settings"),
                              QStringLiteral("1.1"), QStringLiteral(".AppSettings"), nullptr);
        settings.createDocument();
        const QString name = QDir(folder).filePath(QStringLiteral("app.AppSettings"));
        return settings.save(name) ? name : QString();
    });
    QTest::newRow("window layout file") << Road([](const QString& folder) {
        if (!QDir(folder).mkpath(QStringLiteral("settings/window")) || !QDir::setCurrent(folder))
            return QString();
        QMainWindow window;
        window.setObjectName(QStringLiteral("W"));
        return Gui_Helper::saveWindowLayout(&window) ? QDir(folder).filePath(QStringLiteral("settings/window/W.windowstate"))
                                                     : QString();
    });
}

void tst_FilePlacingRoads::syncedBeforeAndAfterTheName()
{
    QFETCH(Road, road);
    const QString folder = m_folder.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(folder));
    FilePlacingRecorder recorder;
    const QString name = road(folder);
    QVERIFY(!name.isEmpty());
    QVERIFY(QFileInfo(name).isFile());
    const QString fault = recorder.faultPlacing(name);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QTEST_MAIN(tst_FilePlacingRoads)
#include "tst_FilePlacingRoads.moc"
