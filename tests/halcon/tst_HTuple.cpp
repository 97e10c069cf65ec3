#include "HTuple.h"

#include <QTest>

#include <limits>

using namespace Halcon;

class tst_HTuple : public QObject
{
    Q_OBJECT
private slots:
    void construction();
    void conversions_data();
    void conversions();
    void readingPastTheEndGivesZero();
    void writingPastTheEndGrows();
    void append();
    void vectors();
    void sameAsAPlainList_data();
    void sameAsAPlainList();
};

void tst_HTuple::construction()
{
    QCOMPARE(HTuple().Length(), Hlong(0));
    QVERIFY(HTuple(5)[0].IsInteger());
    QVERIFY(HTuple(5L)[0].IsInteger());
    QVERIFY(HTuple(Hlong(1) << 40)[0].IsInteger());
    QCOMPARE(HTuple(Hlong(1) << 40).L(), Hlong(1) << 40);
    QVERIFY(HTuple(2.5)[0].IsReal());
    QVERIFY(HTuple("text")[0].IsString());
    QVERIFY(HTuple(std::string("text"))[0].IsString());
    QCOMPARE(HTuple(static_cast<const char *>(nullptr)).S(), std::string());
    QCOMPARE(HTuple(7).Length(), Hlong(1));
}

void tst_HTuple::conversions_data()
{
    QTest::addColumn<int>("kind"); // 0 integer, 1 real, 2 string
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qlonglong>("asLong");
    QTest::addColumn<double>("asDouble");
    QTest::addColumn<QString>("asString");

    QTest::newRow("integer") << 0 << -42.0 << QString() << -42LL << -42.0 << QStringLiteral("-42");
    QTest::newRow("real truncates toward zero") << 1 << -2.75 << QString() << -2LL << -2.75 << QStringLiteral("-2.75");
    QTest::newRow("real keeps digits") << 1 << 0.1 << QString() << 0LL << 0.1 << QStringLiteral("0.1");
    QTest::newRow("huge real saturates") << 1 << 1e30 << QString() << qlonglong(std::numeric_limits<Hlong>::max())
                                         << 1e30 << QStringLiteral("1e+30");
    QTest::newRow("nan reads as 0") << 1 << std::numeric_limits<double>::quiet_NaN() << QString() << 0LL
                                    << std::numeric_limits<double>::quiet_NaN() << QStringLiteral("nan");
    QTest::newRow("string") << 2 << 0.0 << QStringLiteral("12") << 0LL << 0.0 << QStringLiteral("12");
}

void tst_HTuple::conversions()
{
    QFETCH(int, kind);
    QFETCH(double, number);
    QFETCH(QString, text);
    QFETCH(qlonglong, asLong);
    QFETCH(double, asDouble);
    QFETCH(QString, asString);

    const HTuple t = kind == 0 ? HTuple(Hlong(number)) : kind == 1 ? HTuple(number) : HTuple(text.toStdString());
    QCOMPARE(t.L(), Hlong(asLong));
    QCOMPARE(t.I(), int(asLong));
    if (std::isnan(asDouble))
        QVERIFY(std::isnan(t.D()));
    else
        QCOMPARE(t.D(), asDouble);
    QCOMPARE(QString::fromStdString(t.S()), asString);
}

void tst_HTuple::readingPastTheEndGivesZero()
{
    const HTuple t(3.5);
    QCOMPARE(t[1].L(), Hlong(0));
    QCOMPARE(t[-1].D(), 0.0);
    QCOMPARE(HTuple().I(), 0);
    QCOMPARE(HTuple().S(), std::string());
    QCOMPARE(t.Length(), Hlong(1));
}

void tst_HTuple::writingPastTheEndGrows()
{
    HTuple t;
    t[2] = 1.5;
    QCOMPARE(t.Length(), Hlong(3));
    QVERIFY(t[0].IsInteger());
    QCOMPARE(t[0].L(), Hlong(0));
    QCOMPARE(t[2].D(), 1.5);
    t[0] = "name";
    QCOMPARE(t[0].Str(), std::string("name"));
}

void tst_HTuple::append()
{
    HTuple t(1);
    t.Append(HTuple(2.0)).Append(HValue("three"));
    QCOMPARE(t.Length(), Hlong(3));
    t.Append(t); // appending itself doubles, without reading freed storage
    QCOMPARE(t.Length(), Hlong(6));
    QCOMPARE(t[3].L(), Hlong(1));
    QCOMPARE(t[5].Str(), std::string("three"));
    QVERIFY(t == t);
    QVERIFY(!(t == HTuple(1)));
}

void tst_HTuple::vectors()
{
    // A matrix is a tuple of six reals.
    const HTuple matrix(std::vector<double>{1, 0, 0, 0, 1, 0});
    QCOMPARE(matrix.Length(), Hlong(6));
    QCOMPARE(matrix.ToDVector(), (std::vector<double>{1, 0, 0, 0, 1, 0}));
    const HTuple ints(std::vector<Hlong>{3, -4});
    QVERIFY(ints[1].IsInteger());
    QCOMPARE(ints.ToLVector(), (std::vector<Hlong>{3, -4}));
}

// A tuple holds one value in itself and more in a list; every way from one to the other
// keeps the values a plain list would hold. Steps: a append a new value, o append the
// tuple's own first value, s append the tuple to itself, w write one past the end, c clear,
// r reserve, v take a one-value list, x copy and change the copy.
void tst_HTuple::sameAsAPlainList_data()
{
    QTest::addColumn<QString>("steps");
    QTest::newRow("own value appended to one value") << "a o";
    QTest::newRow("itself appended to one value") << "a s s";
    QTest::newRow("written past the end of one value") << "a w w";
    QTest::newRow("written past the end of none") << "w a";
    QTest::newRow("cleared after growing, then one again") << "a a a c a o";
    QTest::newRow("reserved while empty") << "r a o";
    QTest::newRow("reserved with one value") << "a r s";
    QTest::newRow("one-value list") << "v o s";
    QTest::newRow("copy changed apart from the original") << "a x a x o";
}

void tst_HTuple::sameAsAPlainList()
{
    QFETCH(QString, steps);
    HTuple tuple;
    std::vector<HValue> model;
    int next = 0;
    // Strings longer than any short-string buffer, so a lost or shared value shows.
    const auto fresh = [&next] { return HValue(std::string(40, char('a' + next++ % 26))); };
    for (const QString &step : steps.split(' ')) {
        const char op = step.at(0).toLatin1();
        if (op == 'a') {
            const HValue v = fresh();
            tuple.Append(v);
            model.push_back(v);
        } else if (op == 'o') {
            tuple.Append(tuple[0]);
            model.push_back(model.front());
        } else if (op == 's') {
            tuple.Append(tuple);
            const std::vector<HValue> copy = model;
            model.insert(model.end(), copy.begin(), copy.end());
        } else if (op == 'w') {
            const HValue v = fresh();
            tuple[Hlong(model.size()) + 1] = v;
            model.resize(model.size() + 2);
            model.back() = v;
        } else if (op == 'c') {
            tuple.Clear();
            model.clear();
        } else if (op == 'r') {
            tuple.Reserve(4);
        } else if (op == 'v') {
            const HValue v = fresh();
            tuple = HTuple(std::vector<HValue>{v});
            model = {v};
        } else if (op == 'x') {
            HTuple copy = tuple;
            copy.Append(fresh());
            copy[0] = HValue(-1);
        }
        QCOMPARE(tuple.Length(), Hlong(model.size()));
        for (size_t i = 0; i < model.size(); ++i)
            QVERIFY2(tuple[Hlong(i)] == model[i], qPrintable(QStringLiteral("after %1, value %2").arg(step).arg(i)));
        const std::span<const HValue> values = tuple.Values();
        QVERIFY(std::equal(values.begin(), values.end(), model.begin(), model.end()));
        QVERIFY(tuple == HTuple(model));
    }
}

QTEST_GUILESS_MAIN(tst_HTuple)
#include "tst_HTuple.moc"
