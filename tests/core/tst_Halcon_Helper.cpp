#include "HalconFunctions.h"
#include "Halcon_Helper.h"
#include "HalconTestPictures.h"

#include <HTuple.h>
#include <HalconErrors.h>
#include <HalconFileOps.h>
#include <HalconImageOps.h>
#include <HalconObjectOps.h>
#include <HalconRegionOps.h>
#include <HalconSystemOps.h>
#include <HalconXldOps.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QMutex>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

#include <thread>
#include <vector>

using Halcon::Hobject;
using Halcon::HTuple;
using namespace HalconTestPictures;

namespace {

struct CapturedLine {
    QtMsgType type;
    QString text;
};

QMutex g_capturedLock;
QList<CapturedLine> g_captured;

void captureMessages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    QMutexLocker locker(&g_capturedLock);
    g_captured.append({type, text});
}

Hobject concat(const Hobject& a, const Hobject& b)
{
    Hobject both;
    Halcon::concat_obj(a, b, &both);
    return both;
}

Hobject emptyObject()
{
    Hobject empty;
    Halcon::gen_empty_obj(&empty);
    return empty;
}

Hobject squareContour()
{
    Hobject contour;
    Halcon::gen_contour_polygon_xld(&contour, std::vector<double>{0, 0, 10, 10, 0}, std::vector<double>{0, 10, 10, 0, 0});
    return contour;
}

struct Box {
    double row1, column1, row2, column2;
};

Box boxOf(const Hobject& contour)
{
    HTuple r1, c1, r2, c2;
    Halcon::smallest_rectangle1_xld(contour, &r1, &c1, &r2, &c2);
    return {r1.D(), c1.D(), r2.D(), c2.D()};
}

Hobject element(const Hobject& object, int index)
{
    Hobject selected;
    Halcon::select_obj(object, &selected, index);
    return selected;
}

} // namespace

class tst_Halcon_Helper : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void objectClass_data();
    void objectClass();
    void checks_data();
    void checks();
    void imageSizeAndChannels_data();
    void imageSizeAndChannels();
    void countObjects();
    void reduceDomainReplacesTheOldDomain();

    void toGrayOfOneChannelSharesPixels();
    void toGrayWeightsColours();
    void toGrayRejectsOtherImages_data();
    void toGrayRejectsOtherImages();
    void toHsv();

    void defaultsAndTemporaryMemory();
    void version_data();
    void version();
    void modulesAndCounts();
    void errorTexts_data();
    void errorTexts();

    void logLinePrefix();
    void logStreamWritesOneLineWhenTheLastCopyEnds();

    void crossAngle_data();
    void crossAngle();
    void circleAndArc();
    void placeContours();

    void recordError();
    void recordErrorFromThreads();
};

void tst_Halcon_Helper::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("HelperTest"));
}

void tst_Halcon_Helper::objectClass_data()
{
    QTest::addColumn<Hobject>("object");
    QTest::addColumn<int>("expectedClass");

    const Hobject gray = gradientGray(4, 3);
    const Hobject region = rectangleRegion(0, 0, 2, 2);
    const Hobject contour = squareContour();
    QTest::newRow("default handle") << Hobject() << 1;
    QTest::newRow("gen_empty_obj") << emptyObject() << 1;
    QTest::newRow("image") << gray << 2;
    QTest::newRow("two images") << concat(gray, gradientRgb(4, 3)) << 2;
    QTest::newRow("region") << region << 3;
    QTest::newRow("contour") << contour << 4;
    QTest::newRow("region and contour") << concat(region, contour) << 7;
    QTest::newRow("image and region") << concat(gray, region) << 7;
    QTest::newRow("mixed after same") << concat(concat(region, region), gray) << 7;
}

void tst_Halcon_Helper::objectClass()
{
    QFETCH(Hobject, object);
    QFETCH(int, expectedClass);
    int objectClass = -1;
    QCOMPARE(Halcon_Helper::GetObjectClass(object, objectClass), Errors::Type_Error(0));
    QCOMPARE(objectClass, expectedClass);
}

void tst_Halcon_Helper::checks_data()
{
    QTest::addColumn<Hobject>("object");
    QTest::addColumn<QString>("check");
    QTest::addColumn<int>("expected");

    const Hobject gray = gradientGray(4, 3);
    const Hobject rgb = gradientRgb(4, 3);
    const Hobject region = rectangleRegion(0, 0, 2, 2);
    const Hobject empty = emptyObject();

    QTest::newRow("image is image") << gray << "CheckImage" << 0;
    QTest::newRow("region is no image") << region << "CheckImage" << 41;
    QTest::newRow("empty is no image") << empty << "CheckImage" << 41;
    QTest::newRow("contour is no image") << squareContour() << "CheckImage" << 41;
    QTest::newRow("empty is empty") << empty << "CheckNotEmpty" << 42;
    QTest::newRow("region is not empty") << region << "CheckNotEmpty" << 0;
    QTest::newRow("rgb is colour") << rgb << "CheckColorImage" << 0;
    QTest::newRow("gray is no colour") << gray << "CheckColorImage" << 56;
    QTest::newRow("region is no colour image") << region << "CheckColorImage" << 41;
    QTest::newRow("gray is gray") << gray << "CheckGrayImage" << 0;
    QTest::newRow("rgb is no gray") << rgb << "CheckGrayImage" << 57;
    QTest::newRow("empty is no gray image") << empty << "CheckGrayImage" << 41;
}

void tst_Halcon_Helper::checks()
{
    QFETCH(Hobject, object);
    QFETCH(QString, check);
    QFETCH(int, expected);

    Errors::Type_Error result = -1;
    if (check == QLatin1String("CheckImage"))
        result = Halcon_Helper::CheckImage(object);
    else if (check == QLatin1String("CheckNotEmpty"))
        result = Halcon_Helper::CheckNotEmpty(object);
    else if (check == QLatin1String("CheckColorImage"))
        result = Halcon_Helper::CheckColorImage(object);
    else if (check == QLatin1String("CheckGrayImage"))
        result = Halcon_Helper::CheckGrayImage(object);
    QCOMPARE(int(result), expected);
}

void tst_Halcon_Helper::imageSizeAndChannels_data()
{
    QTest::addColumn<Hobject>("object");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("channels");

    QTest::newRow("gray 1001 x 7") << gradientGray(1001, 7) << 0 << 1001 << 7 << 1;
    QTest::newRow("rgb 5 x 3") << gradientRgb(5, 3) << 0 << 5 << 3 << 3;
    QTest::newRow("region") << rectangleRegion(0, 0, 9, 9) << 41 << 0 << 0 << 0;
    QTest::newRow("empty") << emptyObject() << 41 << 0 << 0 << 0;
    QTest::newRow("image and region") << concat(gradientGray(4, 4), rectangleRegion(0, 0, 1, 1)) << 41 << 0 << 0 << 0;
}

void tst_Halcon_Helper::imageSizeAndChannels()
{
    QFETCH(Hobject, object);
    QFETCH(int, expected);

    // Outputs start from garbage, so a failure must visibly reset them.
    int width = -7;
    int height = -7;
    QCOMPARE(int(Halcon_Helper::GetImageSize(object, width, height)), expected);
    QTEST(width, "width");
    QTEST(height, "height");

    int channels = -7;
    QCOMPARE(int(Halcon_Helper::GetChannelCount(object, channels)), expected);
    QTEST(channels, "channels");
}

void tst_Halcon_Helper::countObjects()
{
    int count = -1;
    QCOMPARE(Halcon_Helper::CountObjects(Hobject(), count), Errors::Type_Error(0));
    QCOMPARE(count, 0);
    const Hobject three = concat(concat(gradientGray(2, 2), rectangleRegion(0, 0, 1, 1)), squareContour());
    QCOMPARE(Halcon_Helper::CountObjects(three, count), Errors::Type_Error(0));
    QCOMPARE(count, 3);

    Hobject object = three;
    QCOMPARE(Halcon_Helper::ClearObject(object), Errors::Type_Error(0));
    QVERIFY(object.IsEmpty());
    QVERIFY(Halcon_Helper::CreateEmptyObject().IsEmpty());
}

void tst_Halcon_Helper::reduceDomainReplacesTheOldDomain()
{
    const Hobject image = gradientGray(20, 10);
    Hobject small;
    QCOMPARE(Halcon_Helper::ReduceDomain(image, rectangleRegion(0, 0, 1, 1), small), Errors::Type_Error(0));

    // Reducing again starts from the full picture, not from the earlier small domain.
    Hobject reduced;
    QCOMPARE(Halcon_Helper::ReduceDomain(small, rectangleRegion(2, 3, 5, 8), reduced), Errors::Type_Error(0));
    Hobject domain;
    QCOMPARE(Halcon::get_domain(reduced, &domain), Halcon::kSuccess);
    HTuple area, row, column;
    Halcon::area_center(domain, &area, &row, &column);
    QCOMPARE(area.L(), Halcon::Hlong(4 * 6));

    Hobject untouched = image;
    QCOMPARE(Halcon_Helper::ReduceDomain(rectangleRegion(0, 0, 1, 1), rectangleRegion(0, 0, 1, 1), untouched),
             Errors::Type_Error(40));
    QVERIFY(untouched.SharesElementsWith(image));
}

void tst_Halcon_Helper::toGrayOfOneChannelSharesPixels()
{
    const Hobject gray = gradientGray(30, 20);
    Hobject result;
    QCOMPARE(Halcon_Helper::ToGray(gray, result), Errors::Type_Error(0));
    QVERIFY(result.SharesElementsWith(gray));
}

void tst_Halcon_Helper::toGrayWeightsColours()
{
    const Hobject rgb = rgbImage(
        3, 1, [](int, int c) { return c == 0 ? 255 : 0; }, [](int, int c) { return c == 1 ? 255 : 0; },
        [](int, int c) { return c == 2 ? 255 : 0; });
    Hobject gray;
    QCOMPARE(Halcon_Helper::ToGray(rgb, gray), Errors::Type_Error(0));
    int channels = 0;
    QCOMPARE(Halcon_Helper::GetChannelCount(gray, channels), Errors::Type_Error(0));
    QCOMPARE(channels, 1);
    // Green weighs most, blue least.
    QVERIFY(qAbs(pixel(gray, 0, 0) - 76) <= 1);
    QVERIFY(qAbs(pixel(gray, 0, 1) - 150) <= 1);
    QVERIFY(qAbs(pixel(gray, 0, 2) - 29) <= 1);
}

void tst_Halcon_Helper::toGrayRejectsOtherImages_data()
{
    QTest::addColumn<Hobject>("object");
    QTest::addColumn<int>("expected");

    // Neither one nor three channels: the layer makes such pictures only from files (it
    // reads no two-channel format, so four channels stand for every other count).
    QTemporaryDir folder;
    Halcon::Hlong channels = 0;
    QImage rgba(5, 3, QImage::Format_ARGB32);
    rgba.fill(qRgba(10, 20, 30, 128));
    const QString pngName = folder.filePath(QStringLiteral("four.png"));
    QVERIFY(rgba.save(pngName));
    Hobject fourChannels;
    QCOMPARE(Halcon::read_image(&fourChannels, pngName.toStdString()), Halcon::kSuccess);
    Halcon::count_channels(fourChannels, &channels);
    QCOMPARE(channels, Halcon::Hlong(4));
    QTest::newRow("four channels") << fourChannels << 56;

    QTest::newRow("region") << rectangleRegion(0, 0, 3, 3) << 41;
    QTest::newRow("empty") << emptyObject() << 41;
    QTest::newRow("contour") << squareContour() << 41;
}

void tst_Halcon_Helper::toGrayRejectsOtherImages()
{
    QFETCH(Hobject, object);
    QFETCH(int, expected);
    const Hobject before = gradientGray(2, 2);
    Hobject result = before;
    QCOMPARE(int(Halcon_Helper::ToGray(object, result)), expected);
    QVERIFY(result.SharesElementsWith(before));
}

void tst_Halcon_Helper::toHsv()
{
    // Pure red, green and blue sit a third of the hue circle apart.
    const Hobject rgb = rgbImage(
        3, 1, [](int, int c) { return c == 0 ? 255 : 0; }, [](int, int c) { return c == 1 ? 255 : 0; },
        [](int, int c) { return c == 2 ? 255 : 0; });
    Hobject hue, saturation, value;
    QCOMPARE(Halcon_Helper::ToHsv(rgb, hue, saturation, value), Errors::Type_Error(0));
    QCOMPARE(pixel(hue, 0, 0), 0);
    QVERIFY(qAbs(pixel(hue, 0, 1) - 85) <= 1);
    QVERIFY(qAbs(pixel(hue, 0, 2) - 170) <= 1);
    for (int column = 0; column < 3; ++column) {
        QCOMPARE(pixel(saturation, 0, column), 255);
        QCOMPARE(pixel(value, 0, column), 255);
    }

    Hobject h, s, v;
    QCOMPARE(Halcon_Helper::ToHsv(gradientGray(3, 3), h, s, v), Errors::Type_Error(56));
    QCOMPARE(Halcon_Helper::ToHsv(rectangleRegion(0, 0, 1, 1), h, s, v), Errors::Type_Error(41));
    QVERIFY(h.IsEmpty() && s.IsEmpty() && v.IsEmpty());
}

void tst_Halcon_Helper::defaultsAndTemporaryMemory()
{
    Halcon::set_system("width", 512);
    Halcon::set_system("clip_region", "true");
    {
        Halcon_Helper helper;
        HTuple value;
        QCOMPARE(Halcon::get_system("width", &value), Halcon::kSuccess);
        QCOMPARE(value.L(), Halcon::Hlong(16));
        QCOMPARE(Halcon::get_system("height", &value), Halcon::kSuccess);
        QCOMPARE(value.L(), Halcon::Hlong(16));
        QCOMPARE(Halcon::get_system("clip_region", &value), Halcon::kSuccess);
        QCOMPARE(value.S(), std::string("false"));
        QCOMPARE(Halcon::get_system("border_shape_models", &value), Halcon::kSuccess);
        QCOMPARE(value.S(), std::string("false"));
    }

    QCOMPARE(Halcon_Helper::FreeTemporaryMemory(), Errors::Type_Error(0));
    HTuple cache;
    QCOMPARE(Halcon::get_system("temporary_mem_cache", &cache), Halcon::kSuccess);
    QCOMPARE(cache.S(), std::string("true"));
}

void tst_Halcon_Helper::version_data()
{
    QTest::addColumn<QString>("reported");
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing reported") << QString() << QStringLiteral("12.0.1");
    QTest::newRow("reported") << QStringLiteral("13.0.2") << QStringLiteral("13.0.2");
}

void tst_Halcon_Helper::version()
{
    QFETCH(QString, reported);
    QFETCH(QString, expected);
    QCOMPARE(Halcon_Helper::VersionOrDefault(reported), expected);

    // The layer reports its own version, which is what the helper must hand on.
    QCOMPARE(Halcon_Helper::GetHalconVersion(), QString::fromLatin1(Halcon::kLayerVersion));
}

void tst_Halcon_Helper::modulesAndCounts()
{
    HTuple used, key;
    QCOMPARE(Halcon::get_modules(&used, &key), Halcon::kSuccess);
    QStringList expected;
    for (const Halcon::HValue& module : used.Values())
        expected << QString::fromStdString(module.S());
    QVERIFY(!expected.isEmpty());

    QStringList modules{QStringLiteral("stale entry")};
    QCOMPARE(Halcon_Helper::GetUsedModules(modules), Errors::Type_Error(0));
    QCOMPARE(modules, expected);

    QCOMPARE(Halcon_Helper::GetImageCount(), 0);
    QCOMPARE(Halcon_Helper::GetRegionCount(), 0);
    QCOMPARE(Halcon_Helper::GetXldCount(), 0);
    QCOMPARE(Halcon_Helper::GetObjectCount(), 0);
    QCOMPARE(Halcon_Helper::GetTupleCount(), 0);
}

void tst_Halcon_Helper::errorTexts_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("empty object") << int(Halcon::kErrEmptyObject);
    QTest::newRow("wrong channel count") << int(Halcon::kErrWrongChannelCount);
    QTest::newRow("file open") << int(Halcon::kErrFileOpen);
    QTest::newRow("unknown number") << 4711;
}

void tst_Halcon_Helper::errorTexts()
{
    QFETCH(int, number);
    HTuple layerText;
    Halcon::get_error_text(number, &layerText);
    const QString expected = QString::fromStdString(layerText.S());
    QVERIFY(!expected.isEmpty());
    QCOMPARE(Halcon_Helper::GetErrorText(number), expected);
    QCOMPARE(HalconErrorText(number), expected);
}

void tst_Halcon_Helper::logLinePrefix()
{
    const QDateTime time(QDate(2016, 3, 4), QTime(5, 6, 7, 89));
    QCOMPARE(Halcon_Helper::LogLinePrefix(time, QStringLiteral("X")), QStringLiteral("2016.03.04 05:06:07.089 [X] "));
}

void tst_Halcon_Helper::logStreamWritesOneLineWhenTheLastCopyEnds()
{
    {
        QMutexLocker locker(&g_capturedLock);
        g_captured.clear();
    }
    const QtMessageHandler previous = qInstallMessageHandler(captureMessages);
    {
        Halcon_Helper::LogStream kept = Halcon_Helper::WriteLogLine(QtDebugMsg);
        {
            Halcon_Helper::LogStream copy = kept;
            copy << "first" << 5;
        }
        // A copy going away must not end the line while another holder is left.
        QCOMPARE(g_captured.size(), 0);
        kept.nospace() << "x" << "y";
    }
    {
        Halcon_Helper::WriteLogLine(QtWarningMsg).setOutput(false) << "dropped";
    }
    qInstallMessageHandler(previous);

    QCOMPARE(g_captured.size(), 1);
    QCOMPARE(g_captured.at(0).type, QtDebugMsg);
    const QRegularExpression line(
        QStringLiteral("^\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[HelperTest\\] first 5 xy$"));
    QVERIFY2(line.match(g_captured.at(0).text).hasMatch(), qPrintable(g_captured.at(0).text));
}

void tst_Halcon_Helper::crossAngle_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<bool>("xShaped");
    QTest::newRow("0 degrees gives +") << 0.0 << false;
    QTest::newRow("45 degrees gives x") << 45.0 << true;
    QTest::newRow("90 degrees gives +") << 90.0 << false;
}

void tst_Halcon_Helper::crossAngle()
{
    QFETCH(double, angle);
    QFETCH(bool, xShaped);

    const Hobject cross = HalconGenCross(50.0, 60.0, 20.0, angle);
    QCOMPARE(cross.CountObj(), Halcon::Hlong(2));
    for (int i = 1; i <= 2; ++i) {
        const Box box = boxOf(element(cross, i));
        const double height = box.row2 - box.row1;
        const double width = box.column2 - box.column1;
        QVERIFY(qAbs((box.row1 + box.row2) / 2 - 50.0) < 1e-6);
        QVERIFY(qAbs((box.column1 + box.column2) / 2 - 60.0) < 1e-6);
        if (xShaped) {
            // A diagonal arm spans its length over rows and columns alike.
            QVERIFY(qAbs(height - width) < 1e-6);
            QVERIFY(qAbs(height - 20.0 / std::sqrt(2.0)) < 1e-6);
        } else {
            QVERIFY(qAbs(height * width) < 1e-6);
            QVERIFY(qAbs(height + width - 20.0) < 1e-6);
        }
    }
}

void tst_Halcon_Helper::circleAndArc()
{
    const Hobject circle = HalconGenCircle(100.0, 200.0, 10.0);
    QCOMPARE(circle.CountObj(), Halcon::Hlong(1));
    HTuple length;
    Halcon::length_xld(circle, &length);
    QVERIFY(qAbs(length.D() - 2.0 * M_PI * 10.0) < 0.1);
    HTuple inside;
    Halcon::test_xld_point(circle, 100.0, 200.0, &inside);
    QCOMPARE(inside.L(), Halcon::Hlong(1));

    // From 0 to 90 degrees counter-clockwise on screen: right of the centre up to above it.
    const Hobject arc = HalconGenArc(100.0, 200.0, 10.0, 0.0, 90.0);
    const Box box = boxOf(arc);
    QVERIFY(qAbs(box.row1 - 90.0) < 1e-6);
    QVERIFY(qAbs(box.row2 - 100.0) < 1e-6);
    QVERIFY(qAbs(box.column1 - 200.0) < 1e-6);
    QVERIFY(qAbs(box.column2 - 210.0) < 1e-6);
    HTuple area, row, column, order;
    Halcon::area_center_xld(arc, &area, &row, &column, &order);
    QCOMPARE(order.S(), std::string("positive"));
    Halcon::length_xld(arc, &length);
    QVERIFY(qAbs(length.D() - M_PI * 10.0 / 2.0) < 0.1);

    // A failing operator (negative radius) gives an empty object, not a crash.
    QVERIFY(HalconGenCircle(0.0, 0.0, -1.0).IsEmpty());
}

void tst_Halcon_Helper::placeContours()
{
    Hobject line;
    Halcon::gen_contour_polygon_xld(&line, std::vector<double>{0.0, 0.0}, std::vector<double>{0.0, 10.0});

    // Scaled by 2, turned a quarter counter-clockwise (the arm points up), moved to (100, 50).
    const Box box = boxOf(HalconPlaceContours(line, 100.0, 50.0, 2.0, M_PI / 2.0));
    QVERIFY2(qAbs(box.row1 - 80.0) < 1e-6, qPrintable(QString::number(box.row1)));
    QVERIFY(qAbs(box.row2 - 100.0) < 1e-6);
    QVERIFY(qAbs(box.column1 - 50.0) < 1e-6);
    QVERIFY(qAbs(box.column2 - 50.0) < 1e-6);

    QVERIFY(HalconPlaceContours(Hobject(), 1.0, 1.0, 1.0, 0.0).IsEmpty());
}

void tst_Halcon_Helper::recordError()
{
    HalconResetLastError();
    QCOMPARE(HalconLastError(), 2);
    HalconRecordError(2);
    QCOMPARE(HalconLastError(), 2);
    HalconRecordError(Halcon::kErrEmptyObject);
    QCOMPARE(HalconLastError(), int(Halcon::kErrEmptyObject));
    // A later success does not wipe out the failure.
    HalconRecordError(2);
    QCOMPARE(HalconLastError(), int(Halcon::kErrEmptyObject));
    HalconRecordError(Halcon::kErrFileOpen);
    QCOMPARE(HalconLastError(), int(Halcon::kErrFileOpen));
    HalconResetLastError();
    QCOMPARE(HalconLastError(), 2);
}

void tst_Halcon_Helper::recordErrorFromThreads()
{
    HalconResetLastError();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 2000; ++i)
                HalconRecordError(i % 2 == 0 ? 2 : 5000 + t);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    const int last = HalconLastError();
    QVERIFY2(last >= 5000 && last < 5004, qPrintable(QString::number(last)));
}

QTEST_GUILESS_MAIN(tst_Halcon_Helper)
#include "tst_Halcon_Helper.moc"
