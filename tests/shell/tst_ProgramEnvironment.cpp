#include "ProgramEnvironment.h"

#include <QFileInfo>
#include <QtTest>

#include <ctime>

class tst_ProgramEnvironment : public QObject {
    Q_OBJECT
private slots:
    void timeZone_data();
    void timeZone();
};

void tst_ProgramEnvironment::timeZone_data()
{
    QTest::addColumn<QByteArray>("before"); // null: unset
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("unset: the system's zone, read once") << QByteArray() << QByteArray(":/etc/localtime");
    QTest::newRow("set: kept") << QByteArray("Pacific/Auckland") << QByteArray("Pacific/Auckland");
    QTest::newRow("set empty: kept (UTC)") << QByteArray("") << QByteArray("");
}

void tst_ProgramEnvironment::timeZone()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    if (before.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", before);
    ProgramEnvironment::setProcessTimeZone();
    QVERIFY(qEnvironmentVariableIsSet("TZ"));
    QCOMPARE(qgetenv("TZ"), after);
    // The C library took it over: a known zone gives its own offset (where the zone data is
    // installed).
    if (after == "Pacific/Auckland" && QFileInfo::exists(QStringLiteral("/usr/share/zoneinfo/Pacific/Auckland"))) {
        std::tm local{};
        const std::time_t january = 1704067200; // 2024-01-01 00:00 UTC, New Zealand summer time
        localtime_r(&january, &local);
        QCOMPARE(local.tm_hour, 13);
    }
    qunsetenv("TZ");
    tzset();
}

QTEST_GUILESS_MAIN(tst_ProgramEnvironment)
#include "tst_ProgramEnvironment.moc"
