#include "HalconErrors.h"
#include "HalconSystemOps.h"

#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

using namespace Halcon;

namespace {

HTuple systemValue(const char *name)
{
    HTuple value;
    get_system(name, &value);
    return value;
}

} // namespace

class tst_HalconSystemOps : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void badValuesChangeNothing_data();
    void badValuesChangeNothing();
    void severalPairsAllOrNothing();
    void readOnlyValues();
    void checks();
    void resetObjDb();
    void modules();
    void concurrentAccess();
};

void tst_HalconSystemOps::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<HTuple>("value");
    QTest::newRow("thread_num") << "thread_num" << HTuple(3);
    QTest::newRow("thread_num as whole real") << "thread_num" << HTuple(2.0);
    QTest::newRow("parallelize_operators") << "parallelize_operators" << HTuple("false");
    QTest::newRow("width") << "width" << HTuple(640);
    QTest::newRow("height") << "height" << HTuple(480);
    // 0 is "not set": the picture size then comes from the pictures (see complement).
    QTest::newRow("width not set") << "width" << HTuple(0);
    QTest::newRow("height not set") << "height" << HTuple(0);
    QTest::newRow("temporary_mem_cache") << "temporary_mem_cache" << HTuple("false");
    QTest::newRow("current_runlength_number") << "current_runlength_number" << HTuple(1000);
    QTest::newRow("store_empty_region") << "store_empty_region" << HTuple("false");
    QTest::newRow("clip_region") << "clip_region" << HTuple("false");
    QTest::newRow("flush_graphic") << "flush_graphic" << HTuple("false");
}

void tst_HalconSystemOps::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(HTuple, value);
    const std::string key = name.toStdString();
    const HTuple before = systemValue(key.c_str());
    QCOMPARE(before.Length(), Hlong(1));
    QCOMPARE(set_system(key.c_str(), value), kSuccess);
    const HTuple after = systemValue(key.c_str());
    if (value[0].IsString())
        QCOMPARE(after.S(), value.S());
    else
        QCOMPARE(after.L(), value.L());
    QCOMPARE(set_system(key.c_str(), before), kSuccess);
    QCOMPARE(systemValue(key.c_str()), before);
}

void tst_HalconSystemOps::badValuesChangeNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<HTuple>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("unknown name") << "no_such_parameter" << HTuple(1) << int(kErrUnknownParameter);
    QTest::newRow("thread_num 0") << "thread_num" << HTuple(0) << int(kErrWrongValue2);
    QTest::newRow("thread_num text") << "thread_num" << HTuple("four") << int(kErrWrongType2);
    QTest::newRow("thread_num fraction") << "thread_num" << HTuple(2.5) << int(kErrWrongValue2);
    QTest::newRow("width negative") << "width" << HTuple(-16) << int(kErrWrongValue2);
    QTest::newRow("flag not a flag") << "clip_region" << HTuple("maybe") << int(kErrWrongValue2);
    QTest::newRow("flag as number") << "clip_region" << HTuple(1) << int(kErrWrongType2);
    QTest::newRow("cache mode unknown") << "temporary_mem_cache" << HTuple("sometimes") << int(kErrWrongValue2);
}

void tst_HalconSystemOps::badValuesChangeNothing()
{
    QFETCH(QString, name);
    QFETCH(HTuple, value);
    QFETCH(int, expected);
    const std::string key = name.toStdString();
    HTuple before;
    const bool known = get_system(key.c_str(), &before) == kSuccess;
    QCOMPARE(set_system(key.c_str(), value), Herror(expected));
    if (known)
        QCOMPARE(systemValue(key.c_str()), before);
}

void tst_HalconSystemOps::severalPairsAllOrNothing()
{
    const HTuple width = systemValue("width"), height = systemValue("height");
    HTuple names(std::vector<HValue>{"width", "height"});
    QCOMPARE(set_system(names, HTuple(std::vector<Hlong>{100, 200})), kSuccess);
    HTuple both;
    QCOMPARE(get_system(names, &both), kSuccess);
    QCOMPARE(both.ToLVector(), (std::vector<Hlong>{100, 200}));
    // The bad second value keeps the good first one from being stored.
    QCOMPARE(set_system(names, HTuple(std::vector<Hlong>{300, -1})), kErrWrongValue2);
    QCOMPARE(systemValue("width").L(), Hlong(100));
    QCOMPARE(set_system(names, HTuple(300)), kErrWrongCount2);
    QCOMPARE(set_system(HTuple(std::vector<HValue>{"width", "height"}), HTuple(std::vector<HValue>{width[0], height[0]})),
             kSuccess);
}

void tst_HalconSystemOps::readOnlyValues()
{
    QCOMPARE(systemValue("file_version").S(), std::string(kLayerVersion));
    QVERIFY(!systemValue("file_version").S().empty());
    QVERIFY(systemValue("processor_num").L() >= 1);
    QCOMPARE(set_system("file_version", "9.9"), kErrUnknownParameter);
    QCOMPARE(systemValue("file_version").S(), std::string(kLayerVersion));
    HTuple out(5);
    QCOMPARE(get_system("no_such_parameter", &out), kErrUnknownParameter);
    QCOMPARE(out, HTuple(5));
}

void tst_HalconSystemOps::checks()
{
    // The start-up sequence of the library.
    for (const char *mode : {"none", "ref_none", "~give_error", "~ref_give_error"})
        QCOMPARE(set_check(mode), kSuccess);
    HTuple state;
    QCOMPARE(get_check(&state), kSuccess);
    for (const HValue &v : state.Values())
        QVERIFY2(v.Str().front() == '~', v.Str().c_str());
    QCOMPARE(set_check(HTuple(std::vector<HValue>{"give_error", "no_such_check"})), kErrWrongValue1);
    QCOMPARE(get_check(&state), kSuccess);
    for (const HValue &v : state.Values())
        QVERIFY2(v.Str().front() == '~', v.Str().c_str()); // the good first mode was not applied
    QCOMPARE(set_check(HTuple()), kErrWrongCount1);
    QCOMPARE(set_check("default"), kSuccess);
}

void tst_HalconSystemOps::resetObjDb()
{
    const HTuple width = systemValue("width"), height = systemValue("height");
    QCOMPARE(reset_obj_db(16, 16, 0), kSuccess);
    QCOMPARE(systemValue("width").L(), Hlong(16));
    QCOMPARE(systemValue("height").L(), Hlong(16));
    QCOMPARE(reset_obj_db(0, 16, 0), kErrWrongValue1);
    QCOMPARE(reset_obj_db(16, 16, -1), kErrWrongValue3);
    QCOMPARE(reset_obj_db(32, "high", 0), kErrWrongType2);
    QCOMPARE(systemValue("width").L(), Hlong(16));
    set_system(HTuple(std::vector<HValue>{"width", "height"}), HTuple(std::vector<HValue>{width[0], height[0]}));
}

void tst_HalconSystemOps::modules()
{
    HTuple names, key, names2, key2;
    QCOMPARE(get_modules(&names, &key), kSuccess);
    QVERIFY(names.Length() > 3);
    for (const HValue &v : names.Values())
        QVERIFY(v.IsString() && !v.Str().empty());
    QVERIFY(!key.S().empty());
    QCOMPARE(get_modules(&names2, &key2), kSuccess);
    QCOMPARE(names2, names);
    QCOMPARE(key2, key);
}

void tst_HalconSystemOps::concurrentAccess()
{
    // Readers always see a value some writer stored, never a torn or missing one.
    const HTuple before = systemValue("current_runlength_number");
    std::atomic<bool> bad{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &bad] {
            for (int i = 0; i < 500; ++i) {
                if (set_system("current_runlength_number", 1000 + t) != kSuccess)
                    bad = true;
                HTuple v;
                if (get_system("current_runlength_number", &v) != kSuccess || v.L() < 1000 || v.L() > 1003)
                    bad = true;
            }
        });
    }
    for (auto &t : threads)
        t.join();
    QVERIFY(!bad);
    set_system("current_runlength_number", before);
}

QTEST_GUILESS_MAIN(tst_HalconSystemOps)
#include "tst_HalconSystemOps.moc"
