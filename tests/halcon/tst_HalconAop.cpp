#include "HalconAop.h"
#include "HalconAop_p.h"
#include "HalconErrors.h"
#include "HalconSystemOps.h"

#include <QtTest>

#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <mutex>
#include <set>

using namespace Halcon;

namespace {

const char *const kProbe = "test_aop_kernel";

// Thread counts the test operator was asked to use while it was timed.
std::mutex g_seenMutex;
std::set<int> g_seen;

// A parallelised operator as the layer writes one: rows in bands, a little work per row.
Herror testKernel(const Aop::Sample &sample)
{
    {
        std::lock_guard lock(g_seenMutex);
        g_seen.insert(Aop::threadCount(kProbe, sample.type));
    }
    std::atomic<long long> sum{0};
    Aop::parallelRows(kProbe, sample.type, 64, [&](int first, int end) {
        long long local = 0;
        for (int r = first; r < end; ++r)
            for (int i = 0; i < 2000; ++i)
                local += (r * 31 + i) % 7;
        sum += local;
    });
    return sum > 0 ? kSuccess : kErrInternal;
}

HTuple strings(std::initializer_list<const char *> values)
{
    HTuple t;
    for (const char *v : values)
        t.Append(HValue(v));
    return t;
}

struct Info
{
    Hlong threads;
    Hlong known;
};

Info info(const char *op, const char *type = "byte")
{
    HTuple threads, known;
    if (get_aop_info(op, type, &threads, &known) != kSuccess)
        return {-1, -1};
    return {threads.L(), known.L()};
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

HTuple smallPicture()
{
    return strings({"image_width", "image_height"});
}

} // namespace

class tst_HalconAop : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void measuresEveryThreadCount();
    void callAsTheLibraryMakesIt();
    void namesWithoutProbeArePassedOver();
    void layerOperators();
    void knowledgeRoundTrip();
    void damagedFilesChangeNothing_data();
    void damagedFilesChangeNothing();
    void foreignAttributes();
    void missingAndUnwritableFiles();
    void parallelisationOff();
    void badParameters_data();
    void badParameters();

private:
    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
};

void tst_HalconAop::initTestCase()
{
    QVERIFY(m_dir.isValid());
    Aop::registerProbe(kProbe, testKernel);
    QCOMPARE(set_system("thread_num", 3), kSuccess);
}

void tst_HalconAop::measuresEveryThreadCount()
{
    g_seen.clear();
    QCOMPARE(info(kProbe).known, Hlong(0));
    QCOMPARE(optimize_aop(kProbe, "byte", "", strings({"image_width", "image_height", "model"}),
                          HTuple(std::vector<HValue>{64, 48, "linear"})),
             kSuccess);
    QCOMPARE(g_seen, (std::set<int>{1, 2, 3}));
    const Info i = info(kProbe);
    QCOMPARE(i.known, Hlong(1));
    QVERIFY(i.threads >= 1 && i.threads <= 3);
    // Only the measured type was stored.
    QCOMPARE(info(kProbe, "real").known, Hlong(0));

    // "threshold" compares one thread with all of them.
    g_seen.clear();
    QCOMPARE(optimize_aop(kProbe, "real", "", strings({"image_width", "image_height", "model"}),
                          HTuple(std::vector<HValue>{32, 32, "threshold"})),
             kSuccess);
    QCOMPARE(g_seen, (std::set<int>{1, 3}));
    QCOMPARE(info(kProbe, "real").known, Hlong(1));
}

void tst_HalconAop::callAsTheLibraryMakesIt()
{
    // Operator list with names the layer does not parallelise, empty type and file name,
    // and the parameters of the library's run (plus a small picture for the test).
    const QString file = path("app.halcon.aop");
    const HTuple names = strings({"system_mode", "file_mode", "parameters", "model", "timeout", "image_width",
                                  "image_height"});
    const HTuple values(std::vector<HValue>{"renew", "renew", "true", "linear", 60, 32, 24});
    QCOMPARE(optimize_aop(strings({"hom_mat2d_rotate", kProbe, "select_feature_set_mlp", kProbe}), "", "", names, values),
             kSuccess);
    QCOMPARE(info(kProbe).known, Hlong(1));
    QCOMPARE(write_aop_knowledge(file.toStdString(), "mode", "renew"), kSuccess);
    HTuple attributes, operators;
    QCOMPARE(read_aop_knowledge(file.toStdString(),
                                strings({"mode", "ignore_attrib", "ignore_attrib", "ignore_attrib", "ignore_attrib",
                                         "ignore_attrib"}),
                                strings({"renew", "cpu_info", "variant", "version", "revision", "architecture"}),
                                &attributes, &operators),
             kSuccess);
    QVERIFY(std::find(operators.Values().begin(), operators.Values().end(), HValue(kProbe)) != operators.Values().end());
    QCOMPARE(attributes.Length(), Hlong(10));
}

void tst_HalconAop::namesWithoutProbeArePassedOver()
{
    QCOMPARE(optimize_aop("gen_cross_contour_xld", "byte", "", HTuple(), HTuple()), kSuccess);
    QCOMPARE(info("gen_cross_contour_xld").known, Hlong(0));
}

void tst_HalconAop::layerOperators()
{
    // The layer's own parallelised operators are timed for real on both types.
    const HTuple ops = strings({"median_image", "mean_image", "threshold", "rgb1_to_gray", "trans_from_rgb"});
    QCOMPARE(optimize_aop(ops, "", "", smallPicture(), HTuple(std::vector<HValue>{48, 32})), kSuccess);
    for (const HValue &op : ops.Values()) {
        for (const char *type : {"byte", "real"}) {
            const Info i = info(op.Str().c_str(), type);
            QVERIFY2(i.known == 1 && i.threads >= 1 && i.threads <= 3, (op.Str() + " " + type).c_str());
        }
    }
}

void tst_HalconAop::knowledgeRoundTrip()
{
    const QString file = path("roundtrip.aop");
    QCOMPARE(optimize_aop(kProbe, "byte", file.toStdString(), strings({"system_mode", "image_width", "image_height"}),
                          HTuple(std::vector<HValue>{"truncate", 32, 32})),
             kSuccess);
    const QByteArray written = readAll(file);
    QVERIFY(written.contains(kProbe));
    // Forget everything, then read it back.
    const QString emptyFile = path("empty.aop");
    QCOMPARE(optimize_aop("no_operator", "byte", emptyFile.toStdString(), "system_mode", "truncate"), kSuccess);
    QCOMPARE(info(kProbe).known, Hlong(0));
    HTuple attributes, operators;
    QCOMPARE(read_aop_knowledge(file.toStdString(), HTuple(), HTuple(), &attributes, &operators), kSuccess);
    QCOMPARE(operators.S(), std::string(kProbe));
    QCOMPARE(info(kProbe).known, Hlong(1));
    // Written again, the file is the same.
    QCOMPARE(write_aop_knowledge(file.toStdString(), HTuple(), HTuple()), kSuccess);
    QCOMPARE(readAll(file), written);
    // "truncate" makes the table the file's content.
    QCOMPARE(read_aop_knowledge(emptyFile.toStdString(), "mode", "truncate", &attributes, &operators), kSuccess);
    QCOMPARE(operators.Length(), Hlong(0));
    QCOMPARE(info(kProbe).known, Hlong(0));
    QCOMPARE(read_aop_knowledge(file.toStdString(), HTuple(), HTuple(), &attributes, &operators), kSuccess);
}

void tst_HalconAop::damagedFilesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<int>("expected");
    // Each row edits a good file.
    QTest::newRow("unknown format version") << QByteArray("aop knowledge 1\n") << QByteArray("aop knowledge 2\n")
                                            << int(kErrFileFormatContent);
    QTest::newRow("no end line") << QByteArray("end 1\n") << QByteArray() << int(kErrFileFormatContent);
    QTest::newRow("wrong count") << QByteArray("end 1\n") << QByteArray("end 2\n") << int(kErrFileFormatContent);
    QTest::newRow("zero threads") << QByteArray(" byte ") << QByteArray(" byte 0 ") << int(kErrFileFormatContent);
    QTest::newRow("unknown type") << QByteArray(" byte ") << QByteArray(" colour ") << int(kErrFileFormatContent);
    QTest::newRow("text after end") << QByteArray("end 1\n") << QByteArray("end 1\nmore\n") << int(kErrFileFormatContent);
    QTest::newRow("unknown line") << QByteArray("end 1\n") << QByteArray("whatever\nend 1\n") << int(kErrFileFormatContent);
    QTest::newRow("empty file") << QByteArray("*") << QByteArray() << int(kErrFileFormatContent);
    QTest::newRow("not a knowledge file") << QByteArray("*") << QByteArray("\x89PNG\r\n\x1a\n", 8)
                                          << int(kErrFileFormatContent);
}

void tst_HalconAop::damagedFilesChangeNothing()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(int, expected);
    // A good file of one entry, edited; read with "truncate" it would empty the table
    // first, so any partial take-over shows.
    const QString good = path("good.aop");
    QCOMPARE(optimize_aop(kProbe, "byte", good.toStdString(), strings({"system_mode", "image_width", "image_height"}),
                          HTuple(std::vector<HValue>{"truncate", 32, 32})),
             kSuccess);
    QByteArray text = readAll(good);
    QVERIFY(text.contains("end 1\n"));
    if (from == "*") {
        text = to;
    } else {
        QVERIFY(text.contains(from));
        text.replace(from, to);
    }
    const QString damaged = path("damaged.aop");
    QVERIFY(writeFile(damaged, text));
    QCOMPARE(optimize_aop(kProbe, "byte", "", strings({"system_mode", "image_width", "image_height"}),
                          HTuple(std::vector<HValue>{"truncate", 32, 32})),
             kSuccess);
    const Info before = info(kProbe);
    HTuple attributes(7), operators(7);
    QCOMPARE(read_aop_knowledge(damaged.toStdString(), "mode", "truncate", &attributes, &operators), Herror(expected));
    QCOMPARE(attributes, HTuple(7));
    const Info after = info(kProbe);
    QCOMPARE(after.known, before.known);
    QCOMPARE(after.threads, before.threads);
}

void tst_HalconAop::foreignAttributes()
{
    const QString file = path("foreign.aop");
    QCOMPARE(write_aop_knowledge(file.toStdString(), HTuple(), HTuple()), kSuccess);
    QByteArray text = readAll(file);
    const QByteArray versionLine = QByteArray("attribute version ") + kLayerVersion + "\n";
    QVERIFY(text.contains(versionLine));
    text.replace(versionLine, "attribute version 0.0.1-other\n");
    QVERIFY(writeFile(file, text));
    HTuple attributes, operators;
    QCOMPARE(read_aop_knowledge(file.toStdString(), HTuple(), HTuple(), &attributes, &operators), kErrFileFormatContent);
    QCOMPARE(read_aop_knowledge(file.toStdString(), "ignore_attrib", "version", &attributes, &operators), kSuccess);
    QCOMPARE(attributes[1].S(), std::string("0.0.1-other"));
}

void tst_HalconAop::missingAndUnwritableFiles()
{
    HTuple attributes, operators;
    QCOMPARE(read_aop_knowledge(path("missing.aop").toStdString(), HTuple(), HTuple(), &attributes, &operators),
             kErrFileOpen);
    // A folder that does not exist cannot take the file; the table is not touched either.
    const std::string unwritable = path("no/such/folder/k.aop").toStdString();
    QCOMPARE(write_aop_knowledge(unwritable, HTuple(), HTuple()), kErrFileWrite);
    QCOMPARE(optimize_aop(kProbe, "byte", "", strings({"system_mode", "image_width", "image_height"}),
                          HTuple(std::vector<HValue>{"truncate", 32, 32})),
             kSuccess);
    QCOMPARE(optimize_aop(kProbe, "real", unwritable, smallPicture(), HTuple(std::vector<HValue>{32, 32})),
             kErrFileWrite);
    QCOMPARE(info(kProbe, "real").known, Hlong(0));
    QCOMPARE(info(kProbe, "byte").known, Hlong(1));
}

void tst_HalconAop::parallelisationOff()
{
    QCOMPARE(set_system("parallelize_operators", "false"), kSuccess);
    QCOMPARE(info(kProbe).threads, Hlong(1));
    QCOMPARE(info("median_image").threads, Hlong(1));
    QCOMPARE(set_system("parallelize_operators", "true"), kSuccess);
    // Without knowledge an operator may use "thread_num" threads.
    QCOMPARE(info("operator_without_knowledge").threads, Hlong(3));
}

void tst_HalconAop::badParameters_data()
{
    QTest::addColumn<HTuple>("names");
    QTest::addColumn<HTuple>("values");
    QTest::addColumn<int>("expected");
    QTest::newRow("unknown name") << HTuple("speed") << HTuple("fast") << int(kErrUnknownParameter);
    QTest::newRow("bad model") << HTuple("model") << HTuple("mlp") << int(kErrWrongValue5);
    QTest::newRow("negative timeout") << HTuple("timeout") << HTuple(-1) << int(kErrWrongValue5);
    QTest::newRow("tiny picture") << HTuple("image_width") << HTuple(2) << int(kErrWrongValue5);
    QTest::newRow("names and values differ") << strings({"model", "timeout"}) << HTuple("linear") << int(kErrWrongCount5);
}

void tst_HalconAop::badParameters()
{
    QFETCH(HTuple, names);
    QFETCH(HTuple, values);
    QFETCH(int, expected);
    g_seen.clear();
    QCOMPARE(optimize_aop(kProbe, "byte", "", names, values), Herror(expected));
    QVERIFY(g_seen.empty()); // nothing was measured
    QCOMPARE(optimize_aop(kProbe, "grey", "", HTuple(), HTuple()), kErrWrongValue2);
    QCOMPARE(read_aop_knowledge(path("x").toStdString(), "mode", "append", nullptr, nullptr), kErrWrongValue3);
    QCOMPARE(write_aop_knowledge("", HTuple(), HTuple()), kErrWrongValue1);
}

QTEST_GUILESS_MAIN(tst_HalconAop)
#include "tst_HalconAop.moc"
