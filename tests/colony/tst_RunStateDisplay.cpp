// The running state both analysis pages show: the start/stop button's icon says what a click
// does next, the duration and the busy animation follow the run.

#include "RunStateDisplay.h"

#include <QDir>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {

QImage iconImage(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage();
}

QImage pictureImage(const QString& name)
{
    return iconImage(QIcon(QStringLiteral("pictures:/ColonyAnalyser/") + name));
}

} // namespace

class tst_RunStateDisplay : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void followsTheRun();
    void stopWithoutStart();
};

void tst_RunStateDisplay::initTestCase()
{
    // The pictures built into the program, as its start makes them reachable.
    QDir::addSearchPath(QStringLiteral("pictures"), QStringLiteral(":/pictures/pictures"));
}

void tst_RunStateDisplay::followsTheRun()
{
    QPushButton button;
    QLabel duration;
    QLabel running;
    RunStateDisplay display(&button, &duration, &running, "ColonyAnalyserGui");
    QVERIFY(!button.isEnabled());
    QVERIFY(!pictureImage(QStringLiteral("Start.png")).isNull());
    QCOMPARE(iconImage(button.icon()), pictureImage(QStringLiteral("Start.png")));
    QVERIFY(running.movie());
    QVERIFY(running.movie()->isValid());

    display.started();
    QVERIFY(button.isEnabled());
    QCOMPARE(iconImage(button.icon()), pictureImage(QStringLiteral("Stop.png")));
    QCOMPARE(duration.text(), QStringLiteral("wait ..."));
    QCOMPARE(running.movie()->state(), QMovie::Running);

    display.stopped();
    QVERIFY(button.isEnabled());
    QCOMPARE(iconImage(button.icon()), pictureImage(QStringLiteral("Start.png")));
    // Seconds with at most three significant digits.
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{1,3}(\\.\\d{1,2})? s$")).match(duration.text()).hasMatch(),
             qPrintable(duration.text()));
    QCOMPARE(running.movie()->state(), QMovie::NotRunning);
}

void tst_RunStateDisplay::stopWithoutStart()
{
    QPushButton button;
    QLabel duration;
    QLabel running;
    RunStateDisplay display(&button, &duration, &running, "ImageStitcherGui");
    display.stopped();
    QCOMPARE(duration.text(), QStringLiteral("0 s"));
    QVERIFY(button.isEnabled());
}

QTEST_MAIN(tst_RunStateDisplay)
#include "tst_RunStateDisplay.moc"
