#include "FilePlacingRecorder.h"
#include "HalconAop.h"
#include "HalconAop_p.h"
#include "HalconErrors.h"
#include "HalconFilterOps.h"
#include "HalconImageOps.h"
#include "HalconObjectOps.h"
#include "HalconRegionOps.h"
#include "HalconSystemOps.h"

#include <QtTest>

#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

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

// Bands the layer's operators split their rows into, as the band hook reports them.
struct Band
{
    std::string op;
    int index;
    int count;
    std::thread::id thread;
};
std::mutex g_bandsMutex;
std::vector<Band> g_bands;

void recordBand(std::string_view op, int band, int bands)
{
    std::lock_guard lock(g_bandsMutex);
    g_bands.push_back(Band{std::string(op), band, bands, std::this_thread::get_id()});
}

std::vector<Band> takeBands(const std::string &op)
{
    std::lock_guard lock(g_bandsMutex);
    std::vector<Band> mine;
    for (const Band &b : g_bands)
        if (b.op == op)
            mine.push_back(b);
    g_bands.clear();
    return mine;
}

// A table of exactly these entries, through a knowledge file as the program loads one.
bool loadTable(const QString &file, const std::vector<std::pair<std::string, int>> &entries)
{
    if (optimize_aop("no_operator", "byte", "", "system_mode", "truncate") != kSuccess
        || write_aop_knowledge(file.toStdString(), HTuple(), HTuple()) != kSuccess)
        return false;
    QByteArray text = readAll(file);
    QByteArray lines;
    for (const auto &[op, threads] : entries)
        lines += QByteArray("operator ") + op.c_str() + " byte " + QByteArray::number(threads) + " 64 48 linear 10\n";
    if (!text.contains("end 0\n"))
        return false;
    text.replace("end 0\n", lines + "end " + QByteArray::number(int(entries.size())) + "\n");
    HTuple attributes, operators;
    return writeFile(file, text)
        && read_aop_knowledge(file.toStdString(), "mode", "truncate", &attributes, &operators) == kSuccess;
}

// The bytes of every result plane and the runs' extent of every result region, so that
// results with different band counts can be compared.
std::vector<Hlong> contentOf(const Hobject &object)
{
    std::vector<Hlong> content;
    HTuple cls;
    if (count_obj(object, &cls) != kSuccess)
        return content;
    for (Hlong i = 1; i <= cls.L(); ++i) {
        Hobject element;
        select_obj(object, &element, i);
        HTuple pointer, type, width, height, area, row, column;
        if (get_image_pointer1(element, &pointer, &type, &width, &height) == kSuccess) {
            const auto *p = reinterpret_cast<const std::uint8_t *>(static_cast<std::intptr_t>(pointer.L()));
            content.insert(content.end(), p, p + width.L() * height.L());
        } else if (area_center(element, &area, &row, &column) == kSuccess) {
            content.push_back(area.L());
            content.push_back(Hlong(row.D() * 1000.0));
            content.push_back(Hlong(column.D() * 1000.0));
        }
    }
    return content;
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
    void knowledgeSteersOperators_data();
    void knowledgeSteersOperators();
    void badParameters_data();
    void badParameters();
    void rowsSplitOnce_data();
    void rowsSplitOnce();

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
    // Written again, the file is the same, and reaches its name synced.
    {
        FilePlacingRecorder placing;
        QCOMPARE(write_aop_knowledge(file.toStdString(), HTuple(), HTuple()), kSuccess);
        const QString fault = placing.faultPlacing(file);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
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
    QCOMPARE(read_aop_knowledge(file.toStdString(), HTuple(), HTuple(), &attributes, &operators),
             kErrAopForeignKnowledge);
    HTuple message;
    QCOMPARE(get_error_text(kErrAopForeignKnowledge, &message), kSuccess);
    QCOMPARE(message.S(), std::string("Operator knowledge is for another machine or layer version"));
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

void tst_HalconAop::knowledgeSteersOperators_data()
{
    QTest::addColumn<QString>("op");
    for (const char *op :
         {"median_image", "mean_image", "sub_image", "threshold", "rgb1_to_gray", "trans_from_rgb", "trans_to_rgb"})
        QTest::newRow(op) << QString::fromLatin1(op);
}

void tst_HalconAop::knowledgeSteersOperators()
{
    QFETCH(QString, op);
    const std::string name = op.toStdString();
    // A byte picture with structure, rows enough for several bands.
    const int width = 67, height = 45;
    std::vector<std::uint8_t> planes[3];
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < width * height; ++i)
            planes[c].push_back(std::uint8_t((i * (7 + 13 * c) + (i / width) * 29) % 256));
    Hobject rgb, red, green, blue;
    QCOMPARE(gen_image3(&rgb, "byte", width, height, Hlong(reinterpret_cast<std::intptr_t>(planes[0].data())),
                        Hlong(reinterpret_cast<std::intptr_t>(planes[1].data())),
                        Hlong(reinterpret_cast<std::intptr_t>(planes[2].data()))),
             kSuccess);
    QCOMPARE(decompose3(rgb, &red, &green, &blue), kSuccess);
    const std::function<Herror(Hobject *)> run = [&](Hobject *out) -> Herror {
        Hobject a, b, c;
        Herror err = kErrInternal;
        if (name == "median_image")
            err = median_image(green, &a, "circle", 3, "mirrored");
        else if (name == "mean_image")
            err = mean_image(green, &a, 5, 7);
        else if (name == "sub_image")
            err = sub_image(green, red, &a, 1.5, 10.0);
        else if (name == "threshold")
            err = threshold(green, &a, 60, 190);
        else if (name == "rgb1_to_gray")
            err = rgb1_to_gray(rgb, &a);
        else if (name == "trans_from_rgb")
            err = trans_from_rgb(red, green, blue, &a, &b, &c, "hsv");
        else if (name == "trans_to_rgb")
            err = trans_to_rgb(red, green, blue, &a, &b, &c, "hsv");
        Hobject ab;
        concat_obj(a, b, &ab);
        concat_obj(ab, c, out);
        return err;
    };

    Aop::setBandHook(recordBand);
    takeBands(name);
    const QString file = path("steer.aop");

    // Knowledge of one thread: one band, on the calling thread.
    QVERIFY(loadTable(file, {{name, 1}}));
    Hobject single;
    QCOMPARE(run(&single), kSuccess);
    std::vector<Band> bands = takeBands(name);
    QCOMPARE(int(bands.size()), 1);
    QCOMPARE(bands[0].count, 1);
    QCOMPARE(bands[0].thread, std::this_thread::get_id());

    // Knowledge of three threads (within "thread_num" 3): three bands, the same result.
    QVERIFY(loadTable(file, {{name, 3}}));
    Hobject banded;
    QCOMPARE(run(&banded), kSuccess);
    bands = takeBands(name);
    QCOMPARE(int(bands.size()), 3);
    std::set<int> indices;
    for (const Band &b : bands) {
        QCOMPARE(b.count, 3);
        indices.insert(b.index);
    }
    QCOMPARE(indices, (std::set<int>{0, 1, 2}));
    QCOMPARE(contentOf(banded), contentOf(single));
    QVERIFY(!contentOf(single).empty());

    // "thread_num" caps what the knowledge allows.
    QCOMPARE(set_system("thread_num", 2), kSuccess);
    QCOMPARE(run(&banded), kSuccess);
    QCOMPARE(int(takeBands(name).size()), 2);
    QCOMPARE(set_system("thread_num", 3), kSuccess);

    // Parallelisation off: one band on the calling thread, whatever the knowledge says.
    QCOMPARE(set_system("parallelize_operators", "false"), kSuccess);
    QCOMPARE(run(&banded), kSuccess);
    bands = takeBands(name);
    QCOMPARE(set_system("parallelize_operators", "true"), kSuccess);
    QCOMPARE(int(bands.size()), 1);
    QCOMPARE(bands[0].thread, std::this_thread::get_id());
    QCOMPARE(contentOf(banded), contentOf(single));

    // Without knowledge: "thread_num" bands.
    QVERIFY(loadTable(file, {}));
    QCOMPARE(run(&banded), kSuccess);
    QCOMPARE(int(takeBands(name).size()), 3);
    Aop::setBandHook(nullptr);
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

void tst_HalconAop::rowsSplitOnce_data()
{
    QTest::addColumn<bool>("chunks");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("grain");
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("expectedBands");
    QTest::newRow("bands, rows to spare") << false << 10 << 0 << 3 << 3;
    QTest::newRow("bands, fewer rows than threads") << false << 2 << 0 << 3 << 2;
    QTest::newRow("bands, one row") << false << 1 << 0 << 3 << 1;
    QTest::newRow("bands, no rows") << false << 0 << 0 << 3 << 0;
    QTest::newRow("chunks, last one short") << true << 10 << 3 << 3 << 3;
    QTest::newRow("chunks, one larger than the rows") << true << 5 << 8 << 3 << 1;
    QTest::newRow("chunks of one row") << true << 7 << 1 << 2 << 2;
    QTest::newRow("chunks, grain 0 taken as 1") << true << 4 << 0 << 3 << 3;
    QTest::newRow("chunks, no rows") << true << 0 << 4 << 3 << 0;
}

// Every row reaches the body exactly once, in as many bands as the threads and rows allow.
void tst_HalconAop::rowsSplitOnce()
{
    QFETCH(bool, chunks);
    QFETCH(int, rows);
    QFETCH(int, grain);
    QFETCH(int, threads);
    QFETCH(int, expectedBands);
    const char *const op = "test_row_split"; // no knowledge: "thread_num" threads
    QCOMPARE(set_system("thread_num", threads), kSuccess);
    Aop::setBandHook(recordBand);
    takeBands(op);
    std::vector<std::atomic<int>> seen(static_cast<size_t>(rows));
    std::atomic<int> calls{0};
    const auto body = [&](int first, int end) {
        ++calls;
        for (int r = first; r < end; ++r)
            ++seen[size_t(r)];
    };
    if (chunks)
        Aop::parallelChunks(op, "byte", rows, grain, body);
    else
        Aop::parallelRows(op, "byte", rows, body);
    const std::vector<Band> bands = takeBands(op);
    Aop::setBandHook(nullptr);
    QCOMPARE(set_system("thread_num", 3), kSuccess);

    for (int r = 0; r < rows; ++r) {
        const int times = seen[size_t(r)].load();
        QVERIFY2(times == 1, qPrintable(QStringLiteral("row %1 seen %2 times").arg(r).arg(times)));
    }
    QCOMPARE(int(bands.size()), expectedBands);
    std::set<int> indices;
    for (const Band &b : bands) {
        QCOMPARE(b.count, expectedBands);
        indices.insert(b.index);
    }
    QCOMPARE(int(indices.size()), expectedBands);
    if (!chunks)
        QCOMPARE(calls.load(), expectedBands); // one call of the body per band
}

QTEST_GUILESS_MAIN(tst_HalconAop)
#include "tst_HalconAop.moc"
