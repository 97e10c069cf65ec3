#include "Halcon.h"

#include <QSignalSpy>
#include <QTest>
#include <QVariant>

#include <atomic>
#include <cstring>
#include <numeric>
#include <thread>
#include <vector>

using namespace Halcon;

namespace {

Hobject grayImage(int width, int height, int seed = 0)
{
    std::vector<unsigned char> pixels(size_t(width) * size_t(height));
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>((i * 7 + size_t(seed)) & 0xff);
    Hobject image;
    if (gen_image1(&image, "byte", width, height, static_cast<long long>(reinterpret_cast<std::intptr_t>(pixels.data())))
        != kSuccess)
        qFatal("gen_image1 failed");
    return image;
}

Hobject rectangle(int row1, int col1, int row2, int col2)
{
    Hobject region;
    if (gen_rectangle1(&region, row1, col1, row2, col2) != kSuccess)
        qFatal("gen_rectangle1 failed");
    return region;
}

Hlong firstPixelAddress(const Hobject &image)
{
    HTuple pointer, type, width, height;
    if (get_image_pointer1(image, &pointer, &type, &width, &height) != kSuccess)
        return 0;
    return pointer.L();
}

} // namespace

// Hands an object from another thread to the test through a queued connection.
class ObjectCourier : public QObject
{
    Q_OBJECT
signals:
    void sent(const Halcon::Hobject &object);
};

class ObjectReceiver : public QObject
{
    Q_OBJECT
public:
    Hobject received;
public slots:
    void take(const Halcon::Hobject &object)
    {
        received = object;
        emit taken();
    }
signals:
    void taken();
};

class tst_Hobject : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void emptyObject();
    void copiesShareElements();
    void objectClasses();
    void concatSelectAndCopy();
    void indexErrors_data();
    void indexErrors();
    void copyImageOwnsItsPixels();
    void travelsThroughQueuedSignalsAndVariants();
    void copiesReadFromSeveralThreads();
    void errorTexts();
};

void tst_Hobject::initTestCase()
{
    registerHalconMetaTypes();
    registerHalconMetaTypes(); // repeated registration is harmless
}

void tst_Hobject::emptyObject()
{
    Hobject object = grayImage(4, 4);
    QCOMPARE(gen_empty_obj(&object), kSuccess);
    Hlong count = -1;
    QCOMPARE(count_obj(object, &count), kSuccess);
    QCOMPARE(count, Hlong(0));
    QVERIFY(object.IsEmpty());
    QCOMPARE(object.ElementId(1), nullptr);
    HTuple classes("stale");
    QCOMPARE(get_obj_class(object, &classes), kSuccess);
    QCOMPARE(classes.Length(), Hlong(0));

    // Operators that need an element say so instead of failing later.
    Hobject out;
    QCOMPARE(rgb1_to_gray(object, &out), Herror(kErrEmptyObject));
    HTuple width;
    QCOMPARE(get_image_size(object, &width, nullptr), Herror(kErrEmptyObject));
}

void tst_Hobject::copiesShareElements()
{
    const Hobject image = grayImage(64, 32);
    const Hobject copy = image; // NOLINT: the copy is the point
    QCOMPARE(copy.ElementId(1), image.ElementId(1));
    QVERIFY(copy.SharesElementsWith(image));
    QCOMPARE(firstPixelAddress(copy), firstPixelAddress(image));

    // Operators that change only the domain or the grouping share the pixels too.
    Hobject reduced, full, selected, concatenated, r, g, b, composed;
    QCOMPARE(reduce_domain(image, rectangle(2, 2, 10, 10), &reduced), kSuccess);
    QCOMPARE(full_domain(reduced, &full), kSuccess);
    QCOMPARE(select_obj(image, &selected, 1), kSuccess);
    QCOMPARE(concat_obj(image, Hobject(), &concatenated), kSuccess);
    QCOMPARE(firstPixelAddress(reduced), firstPixelAddress(image));
    QCOMPARE(firstPixelAddress(full), firstPixelAddress(image));
    QCOMPARE(selected.ElementId(1), image.ElementId(1));
    QCOMPARE(concatenated.ElementId(1), image.ElementId(1));
    QVERIFY(reduced.ElementId(1) != image.ElementId(1));

    QCOMPARE(compose3(image, image, image, &composed), kSuccess);
    QCOMPARE(decompose3(composed, &r, &g, &b), kSuccess);
    QCOMPARE(firstPixelAddress(b), firstPixelAddress(image));
}

void tst_Hobject::objectClasses()
{
    Hobject contour;
    QCOMPARE(gen_contour_polygon_xld(&contour, std::vector<double>{0, 10, 10}, std::vector<double>{0, 0, 10}),
             kSuccess);
    Hobject mixed, tmp;
    QCOMPARE(concat_obj(grayImage(3, 3), rectangle(0, 0, 1, 1), &tmp), kSuccess);
    QCOMPARE(concat_obj(tmp, contour, &mixed), kSuccess);
    HTuple classes;
    QCOMPARE(get_obj_class(mixed, &classes), kSuccess);
    QCOMPARE(classes.Length(), Hlong(3));
    QCOMPARE(classes[0].Str(), std::string("image"));
    QCOMPARE(classes[1].Str(), std::string("region"));
    QCOMPARE(classes[2].Str(), std::string("xld_cont"));

    // An operator given the wrong class names the input.
    Hobject out;
    QCOMPARE(rgb1_to_gray(rectangle(0, 0, 3, 3), &out), Herror(kErrWrongObjectClass1));
    QCOMPARE(reduce_domain(grayImage(4, 4), grayImage(4, 4), &out), Herror(kErrWrongObjectClass2));
    QCOMPARE(get_image_size(mixed, static_cast<HTuple *>(nullptr), nullptr), Herror(kErrWrongObjectClass1));
}

void tst_Hobject::concatSelectAndCopy()
{
    const Hobject a = grayImage(2, 2, 1);
    const Hobject b = grayImage(2, 2, 2);
    const Hobject c = grayImage(2, 2, 3);
    Hobject ab, abc;
    QCOMPARE(concat_obj(a, b, &ab), kSuccess);
    QCOMPARE(concat_obj(ab, c, &abc), kSuccess);
    QCOMPARE(abc.CountObj(), Hlong(3));
    QCOMPARE(abc.ElementId(3), c.ElementId(1));

    Hobject picked;
    QCOMPARE(select_obj(abc, &picked, HTuple(std::vector<Hlong>{3, 1})), kSuccess);
    QCOMPARE(picked.CountObj(), Hlong(2));
    QCOMPARE(picked.ElementId(1), c.ElementId(1));
    QCOMPARE(picked.ElementId(2), a.ElementId(1));

    Hobject tail;
    QCOMPARE(copy_obj(abc, &tail, 2, -1), kSuccess);
    QCOMPARE(tail.CountObj(), Hlong(2));
    QCOMPARE(tail.ElementId(1), b.ElementId(1));
    QCOMPARE(copy_obj(abc, &tail, 1, 1), kSuccess);
    QVERIFY(tail.SharesElementsWith(a));
}

void tst_Hobject::indexErrors_data()
{
    QTest::addColumn<int>("operation"); // 0 select_obj, 1 copy_obj
    QTest::addColumn<HTuple>("index");
    QTest::addColumn<HTuple>("count");
    QTest::addColumn<int>("expected");

    QTest::newRow("select 0") << 0 << HTuple(0) << HTuple() << int(kErrWrongValue1);
    QTest::newRow("select past end") << 0 << HTuple(4) << HTuple() << int(kErrWrongValue1);
    QTest::newRow("select negative") << 0 << HTuple(-1) << HTuple() << int(kErrWrongValue1);
    QTest::newRow("select text") << 0 << HTuple("1") << HTuple() << int(kErrWrongType1);
    QTest::newRow("select nothing") << 0 << HTuple() << HTuple() << int(kErrWrongCount1);
    QTest::newRow("copy 0") << 1 << HTuple(0) << HTuple(1) << int(kErrWrongValue1);
    QTest::newRow("copy too many") << 1 << HTuple(2) << HTuple(3) << int(kErrWrongValue2);
    QTest::newRow("copy negative count") << 1 << HTuple(1) << HTuple(-2) << int(kErrWrongValue2);
    QTest::newRow("copy fractional index") << 1 << HTuple(1.5) << HTuple(1) << int(kErrWrongValue1);
}

void tst_Hobject::indexErrors()
{
    QFETCH(int, operation);
    QFETCH(HTuple, index);
    QFETCH(HTuple, count);
    QFETCH(int, expected);

    Hobject three, tmp;
    QCOMPARE(concat_obj(grayImage(2, 2), grayImage(2, 2), &tmp), kSuccess);
    QCOMPARE(concat_obj(tmp, grayImage(2, 2), &three), kSuccess);
    const Hobject before = grayImage(1, 1);
    Hobject out = before;
    const Herror result = operation == 0 ? select_obj(three, &out, index) : copy_obj(three, &out, index, count);
    QCOMPARE(result, Herror(expected));
    QVERIFY(out.SharesElementsWith(before)); // a failure leaves the output alone
}

void tst_Hobject::copyImageOwnsItsPixels()
{
    const Hobject image = grayImage(16, 8, 5);
    Hobject duplicate;
    QCOMPARE(copy_image(image, &duplicate), kSuccess);
    QVERIFY(duplicate.ElementId(1) != image.ElementId(1));
    QVERIFY(firstPixelAddress(duplicate) != firstPixelAddress(image));
    const auto *a = reinterpret_cast<const unsigned char *>(firstPixelAddress(image));
    const auto *b = reinterpret_cast<const unsigned char *>(firstPixelAddress(duplicate));
    QCOMPARE(std::memcmp(a, b, 16 * 8), 0);
    Hobject out;
    QCOMPARE(copy_image(rectangle(0, 0, 1, 1), &out), Herror(kErrWrongObjectClass1));
}

void tst_Hobject::travelsThroughQueuedSignalsAndVariants()
{
    const Hobject image = grayImage(32, 32);
    const QVariant variant = QVariant::fromValue(image);
    QVERIFY(variant.value<Hobject>().SharesElementsWith(image));
    QVERIFY(QVariant::fromValue(HTuple(3)).value<HTuple>() == HTuple(3));

    ObjectCourier courier;
    ObjectReceiver receiver;
    connect(&courier, &ObjectCourier::sent, &receiver, &ObjectReceiver::take, Qt::QueuedConnection);
    QSignalSpy spy(&receiver, &ObjectReceiver::taken);
    std::thread sender([&] { emit courier.sent(image); });
    sender.join();
    QVERIFY(spy.wait(10000));
    QCOMPARE(receiver.received.ElementId(1), image.ElementId(1));
}

void tst_Hobject::copiesReadFromSeveralThreads()
{
    Hobject rgb;
    const Hobject r = grayImage(257, 129, 1), g = grayImage(257, 129, 2), b = grayImage(257, 129, 3);
    QCOMPARE(compose3(r, g, b, &rgb), kSuccess);
    Hobject expectedGray;
    QCOMPARE(rgb1_to_gray(rgb, &expectedGray), kSuccess);
    const auto *expected = reinterpret_cast<const unsigned char *>(firstPixelAddress(expectedGray));
    const std::vector<unsigned char> reference(expected, expected + 257 * 129);

    constexpr int kThreads = 8;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, rgbCopy = rgb]() {
            for (int round = 0; round < 20; ++round) {
                Hobject local = rgbCopy; // copies and releases race with the other threads
                Hobject gray, red, green, blue;
                if (rgb1_to_gray(local, &gray) != kSuccess || decompose3(local, &red, &green, &blue) != kSuccess) {
                    ++failures;
                    continue;
                }
                const auto *p = reinterpret_cast<const unsigned char *>(firstPixelAddress(gray));
                if (!p || std::memcmp(p, reference.data(), reference.size()) != 0)
                    ++failures;
                if (firstPixelAddress(green) != firstPixelAddress(g))
                    ++failures;
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    QCOMPARE(failures.load(), 0);
}

void tst_Hobject::errorTexts()
{
    const Herror known[] = {kSuccess, kErrWrongObjectClass1, kErrWrongObjectClass4, kErrEmptyObject,
                            kErrObjectCountMismatch, kErrWrongChannelCount, kErrWrongPixelType,
                            kErrImageSizeMismatch, kErrEmptyDomain, kErrImageTooSmall, kErrImageTooLarge,
                            kErrWrongValue1, kErrWrongValue9, kErrWrongCount1, kErrWrongCount9, kErrWrongType1,
                            kErrWrongType9, kErrFileOpen,
                            kErrNotAPicture, kErrWrongFileFormat, kErrFileWrite, kErrFileFormatContent,
                            kErrUnknownParameter, kErrNotAvailable, kErrOutOfMemory, kErrInternal,
                            kErrTooFewModelPoints, kErrTimeout, kErrInvalidHandle, kErrParallelLines,
                            kErrAopForeignKnowledge, kErrAcqInterface, kErrAcqDeviceNotFound, kErrAcqDeviceBusy,
                            kErrAcqGrabFailed, kErrAcqTimeout};
    HTuple generic;
    QCOMPARE(get_error_text(123456, &generic), kSuccess);
    QVERIFY(generic.S().find("123456") != std::string::npos);
    QStringList seen;
    for (Herror number : known) {
        HTuple text;
        QCOMPARE(get_error_text(number, &text), kSuccess);
        const QString s = QString::fromStdString(text.S());
        QVERIFY2(!s.isEmpty() && !s.contains(QString::number(number)) && !seen.contains(s), qPrintable(s));
        seen << s;
        char buffer[kMaxErrorTextLength + 1];
        QCOMPARE(get_error_text(number, buffer), kSuccess);
        QCOMPARE(QString::fromLatin1(buffer), s);
    }
    QCOMPARE(wrongValue(3), Herror(kErrWrongValue3));
    QCOMPARE(wrongObjectClass(2), Herror(kErrWrongObjectClass2));
    QCOMPARE(wrongCount(99), Herror(kErrWrongCount1));
}

QTEST_GUILESS_MAIN(tst_Hobject)
#include "tst_Hobject.moc"
