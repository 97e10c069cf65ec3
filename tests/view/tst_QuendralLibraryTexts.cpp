#include "Halcon_Helper.h"
#include "Hobject_View_Gui.h"
#include "MessageBox_Helper.h"
#include "QuendralLibrary.h"
#include "QuendralLibraryAboutDialog.h"
#include "QuendralLibrarySystemInformationDialog.h"
#include "ViewTestHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTest>

using namespace ViewTestHelpers;

// The About and System Information texts.
class tst_QuendralLibraryTexts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void aboutText_data();
    void aboutText();
    void systemListWithoutDiskPath();
    void systemListWithDiskPath();
    void withoutViewersTextEndsAfterModules();
    void viewerBlockShowsOnlyNonZeroKinds();
    void dialogsGoThroughTheSeam();

private:
    QString m_applicationName;
};

void tst_QuendralLibraryTexts::initTestCase()
{
    m_applicationName = QStringLiteral("TextsTest%1").arg(QCoreApplication::applicationPid());
    QuendralLibrary::Start(m_applicationName, QStringLiteral("4.5.6"), QStringLiteral("2014-2016"), nullptr, false, this);
}

void tst_QuendralLibraryTexts::cleanupTestCase()
{
    QuendralLibrary::Stop();
}

void tst_QuendralLibraryTexts::aboutText_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("createdLine");   // empty: no such paragraph
    QTest::newRow("neither") << QString() << QString() << QString();
    QTest::newRow("both") << "Oct 17 2016" << "10:14:32" << "<p><i>Program created at : Oct 17 2016 / 10:14:32</i></p>";
    QTest::newRow("date only") << "Oct 17 2016" << QString() << "<p><i>Program created at : Oct 17 2016 / </i></p>";
    QTest::newRow("time only") << QString() << "10:14:32" << "<p><i>Program created at :  / 10:14:32</i></p>";
}

void tst_QuendralLibraryTexts::aboutText()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, createdLine);
    const QString text = QuendralLibraryAboutDialog::GetText(date, time);
    const QString heading = QStringLiteral("<p><h2>%1 V4.5.6 (%2)</h2></p>").arg(m_applicationName, QuendralLibrary::GetPlatformName());
    QVERIFY(text.startsWith(heading));
    QCOMPARE(text.contains(QStringLiteral("Program created at")), !createdLine.isEmpty());
    if (!createdLine.isEmpty())
        QVERIFY(text.contains(createdLine));

    // The last paragraph: library, Qt and the program's own vision layer with its version.
    const QString based =
        QStringLiteral("<p>Based on <a href='https://www.varnholt.example'>Varnholt</a>/%1 V%2<br>"
                       "Based on <a href='https://www.qt.io'>The Qt Company</a>/QT V%3<br>"
                       "Based on <a href='https://opencv.org'>OpenCV</a>/Zelvorin vision layer V%4</p>")
            .arg(QuendralLibrary::GetLibraryName(), QuendralLibrary::GetLibraryVersion(), QString::fromLatin1(qVersion()),
                 Halcon_Helper::GetHalconVersion());
    QVERIFY2(text.endsWith(based), qPrintable(text));
    QVERIFY(!Halcon_Helper::GetHalconVersion().isEmpty());
    QVERIFY(text.contains(QStringLiteral("2014-2016")));
}

void tst_QuendralLibraryTexts::systemListWithoutDiskPath()
{
    const QString text = QuendralLibrarySystemInformationDialog::GetText(QString());
    QVERIFY(text.startsWith(QStringLiteral("<p><h3>%1 V4.5.6 (%2)</h3></p>").arg(m_applicationName, QuendralLibrary::GetPlatformName())));
    const QString open = QStringLiteral("<p><b>System information:</b></p><p><UL>");
    const int begin = text.indexOf(open);
    QVERIFY(begin >= 0);
    const int end = text.indexOf(QStringLiteral("</UL></p>"), begin);
    const QString list = text.mid(begin + open.size(), end - begin - open.size());
    QCOMPARE(list.count(QStringLiteral("<LI>")), 1);
    QVERIFY(QRegularExpression(QStringLiteral("^<LI>Used application memory: \\d+ MB \\(Peak \\d+ MB\\)$")).match(list).hasMatch());
}

void tst_QuendralLibraryTexts::systemListWithDiskPath()
{
    const QString text = QuendralLibrarySystemInformationDialog::GetText(QDir::tempPath());
    QVERIFY(QRegularExpression(QStringLiteral("<LI>Free disk space: \\d+\\.\\d GB \\(Total \\d+\\.\\d GB\\)</UL></p>"))
                .match(text)
                .hasMatch());
    // An unreadable folder leaves the line out.
    QVERIFY(!QuendralLibrarySystemInformationDialog::GetText(QStringLiteral("/no/such/folder/anywhere"))
                 .contains(QStringLiteral("Free disk space")));
}

void tst_QuendralLibraryTexts::withoutViewersTextEndsAfterModules()
{
    QVERIFY(Hobject_View_Gui::getInstances().isEmpty());
    const QString text = QuendralLibrarySystemInformationDialog::GetText(QString());
    QVERIFY(!text.contains(QStringLiteral("view information")));
    QVERIFY(!text.contains(QStringLiteral("elements information")));   // the counters are all 0
    QStringList modules;
    QCOMPARE(Halcon_Helper::GetUsedModules(modules), Errors::Type_Error(0));
    QString modulesSection = QStringLiteral("<p><b>HALCON modules information (Currently using modules):</b></p><p><UL>");
    for (const QString& module : modules)
        modulesSection += QStringLiteral("<LI>") + module;
    modulesSection += QStringLiteral("</UL></p>");
    QVERIFY2(text.endsWith(modulesSection), qPrintable(text));
}

void tst_QuendralLibraryTexts::viewerBlockShowsOnlyNonZeroKinds()
{
    Hobject_View_Gui empty(nullptr, QStringLiteral("Empty view"));
    Hobject_View_Gui plate(nullptr, QStringLiteral("Plate view"));
    plate.setPicture(grayPicture(10, 10, 0), "A", false);
    plate.setPicture(grayPicture(10, 10, 0), "B", false);
    plate.addText("t", 1, 1, "red", "Arial", 8, "T", false, false);
    plate.addCross(1, 1, 3, 0, "red", 1, "C1", false, false);
    plate.addCross(2, 2, 3, 0, "red", 1, "C2", false, false);
    const QString text = QuendralLibrarySystemInformationDialog::GetText(QString());
    const QString expected = QStringLiteral(
        "<p><b>HALCON view information:</b></p>"
        "<p style=\"margin-left: 20\">View name: <i>Empty view</i></p><p style=\"margin-left: 20\"><UL>"
        "<LI>Pictures: 0<LI>Objects: 0</UL></p>"
        "<p style=\"margin-left: 20\">View name: <i>Plate view</i></p><p style=\"margin-left: 20\"><UL>"
        "<LI>Pictures: 2<LI>Objects: 3<BR> - Texts: 1<BR> - Crosses: 2</UL></p>");
    QVERIFY2(text.endsWith(expected), qPrintable(text));
}

void tst_QuendralLibraryTexts::dialogsGoThroughTheSeam()
{
    QList<MessageBox_Helper::Request> boxes;
    MessageBox_Helper::setAnswerFunction([&boxes](const MessageBox_Helper::Request& request) {
        boxes.append(request);
        return QMessageBox::Ok;
    });
    QuendralLibraryAboutDialog::Show(nullptr, QStringLiteral("Oct 17 2016"), QStringLiteral("10:14:32"));
    QuendralLibrarySystemInformationDialog::Show(nullptr, QString());
    MessageBox_Helper::setAnswerFunction({});
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(boxes.at(0).title, QStringLiteral("About"));
    QVERIFY(boxes.at(0).text.contains(QStringLiteral("Oct 17 2016")));
    QCOMPARE(boxes.at(1).title, QStringLiteral("System information"));
    QCOMPARE(boxes.at(1).buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

QTEST_MAIN(tst_QuendralLibraryTexts)
#include "tst_QuendralLibraryTexts.moc"
