#include "Automation_ArgumentText.h"

#include <QtTest>

#include <limits>

class tst_Automation_ArgumentText : public QObject {
    Q_OBJECT
private slots:
    void fromText_data();
    void fromText();
    void toText_data();
    void toText();
};

void tst_Automation_ArgumentText::fromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("signature");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("int") << " -42 "
                         << "i" << true << QVariant(-42);
    QTest::newRow("int too big") << "2147483648"
                                 << "i" << false << QVariant();
    QTest::newRow("int from words") << "four"
                                    << "i" << false << QVariant();
    QTest::newRow("int from a number with a point") << "1.5"
                                                    << "i" << false << QVariant();
    QTest::newRow("double") << "2.5e-3"
                            << "d" << true << QVariant(0.0025);
    QTest::newRow("double from words") << "x"
                                       << "d" << false << QVariant();
    QTest::newRow("bool true") << "TRUE"
                               << "b" << true << QVariant(true);
    QTest::newRow("bool 0") << "0"
                            << "b" << true << QVariant(false);
    QTest::newRow("bool yes is no bool") << "yes"
                                         << "b" << false << QVariant();
    QTest::newRow("text keeps blanks") << " a b "
                                       << "s" << true << QVariant(QStringLiteral(" a b "));
    QTest::newRow("empty list") << ""
                                << "av" << true << QVariant(QVariantList{});
    QTest::newRow("list of mixed elements") << "3, 1.5,abc"
                                            << "av" << true << QVariant(QVariantList{3, 1.5, QStringLiteral("abc")});
    QTest::newRow("unsupported type") << "1"
                                      << "a{sv}" << false << QVariant();
}

void tst_Automation_ArgumentText::fromText()
{
    QFETCH(QString, text);
    QFETCH(QString, signature);
    QFETCH(bool, ok);
    QFETCH(QVariant, value);
    QVariant result(QStringLiteral("untouched"));
    QString error;
    QCOMPARE(Automation_ArgumentText::fromText(text, signature, result, error), ok);
    if (ok) {
        QCOMPARE(result.userType(), value.userType());
        QCOMPARE(result, value);
        QVERIFY(error.isEmpty());
    } else {
        QCOMPARE(result, QVariant(QStringLiteral("untouched")));
        QVERIFY(!error.isEmpty());
    }
}

void tst_Automation_ArgumentText::toText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("int") << QVariant(-7) << "-7";
    QTest::newRow("double, shortest exact") << QVariant(0.1) << "0.1";
    QTest::newRow("double, all digits needed") << QVariant(1.0 / 3.0) << "0.3333333333333333";
    QTest::newRow("bool") << QVariant(false) << "false";
    QTest::newRow("text") << QVariant(QStringLiteral("a b")) << "a b";
    QTest::newRow("list") << QVariant(QVariantList{1, 2.5, QStringLiteral("x"), true}) << "[1, 2.5, x, true]";
    QTest::newRow("empty list") << QVariant(QVariantList{}) << "[]";
}

void tst_Automation_ArgumentText::toText()
{
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QCOMPARE(Automation_ArgumentText::toText(value), text);
}

QTEST_GUILESS_MAIN(tst_Automation_ArgumentText)
#include "tst_Automation_ArgumentText.moc"
