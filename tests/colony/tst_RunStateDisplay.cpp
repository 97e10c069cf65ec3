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
    // Seconds with at most three significant digits, however short the run was.
    const QRegularExpressionMatch seconds =
        QRegularExpression(QStringLiteral("^(\\d+(\\.\\d+)?) s$")).match(duration.text());
    QVERIFY2(seconds.hasMatch(), qPrintable(duration.text()));
    const double value = seconds.captured(1).toDouble();
    QVERIFY2(value >= 0.0 && value < 60.0, qPrintable(duration.text()));
    QCOMPARE(QString::number(value, 'g', 3), seconds.captured(1));
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
