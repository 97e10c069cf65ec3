#include "PictureFileLoader.h"

#include "Halcon_Helper.h"
#include "HeldPictureRead.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>

// The operator's picture reads: every file read off the calling thread and handed back in
// list order, the first failure in list order decides, and a read that was dropped reaches
// no one, also when it ends after the load that replaced it began.
class tst_PictureFileLoader : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void readsEveryFileInListOrder();
    void firstFailureInListOrder_data();
    void firstFailureInListOrder();
    void droppedReadReachesNoOne_data();
    void droppedReadReachesNoOne();

private:
    // A picture file widthPx wide, 8 high.
    QString picture(const QString& name, int widthPx);
    static int widthOf(const Halcon::Hobject& picture);

    QTemporaryDir m_dir;
};

void tst_PictureFileLoader::initTestCase()
{
    QVERIFY(m_dir.isValid());
    HeldPictureRead::install();
}

void tst_PictureFileLoader::cleanupTestCase()
{
    HeldPictureRead::uninstall();
}

QString tst_PictureFileLoader::picture(const QString& name, int widthPx)
{
    const QString path = m_dir.filePath(name);
    QImage image(widthPx, 8, QImage::Format_Grayscale8);
    image.fill(100);
    return image.save(path, "PNG") ? path : QString();
}

int tst_PictureFileLoader::widthOf(const Halcon::Hobject& picture)
{
    int width = -1;
    int height = -1;
    return Halcon_Helper::GetImageSize(picture, width, height) == 0 ? width : -1;
}

void tst_PictureFileLoader::readsEveryFileInListOrder()
{
    QStringList paths;
    for (int i = 1; i <= 7; ++i)
        paths << picture(QStringLiteral("order%1.png").arg(i), 10 * i);
    PictureFileLoader loader;
    std::optional<PictureFileLoader::Result> read;
    loader.load(paths, [&](const PictureFileLoader::Result& result) { read = result; });
    QVERIFY(loader.isLoading());
    QTRY_VERIFY(read.has_value());
    QVERIFY(!loader.isLoading());
    QCOMPARE(int(read->code), 0);
    QList<int> widths;
    for (const Halcon::Hobject& one : read->pictures)
        widths << widthOf(one);
    QCOMPARE(widths, (QList<int>{10, 20, 30, 40, 50, 60, 70}));
}

void tst_PictureFileLoader::firstFailureInListOrder_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("code");
    // 51: the file is missing; 54: it is no picture.
    QTest::newRow("missing before no picture") << QStringList{"good.png", "missing.png", "nopicture.png"} << 51;
    QTest::newRow("no picture before missing") << QStringList{"good.png", "nopicture.png", "missing.png"} << 54;
}

void tst_PictureFileLoader::firstFailureInListOrder()
{
    QFETCH(QStringList, names);
    QFETCH(int, code);
    QVERIFY(!picture(QStringLiteral("good.png"), 12).isEmpty());
    QFile text(m_dir.filePath(QStringLiteral("nopicture.png")));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("no picture at all") > 0);
    text.close();
    QStringList paths;
    for (const QString& name : names)
        paths << m_dir.filePath(name);
    PictureFileLoader loader;
    std::optional<PictureFileLoader::Result> read;
    loader.load(paths, [&](const PictureFileLoader::Result& result) { read = result; });
    QTRY_VERIFY(read.has_value());
    QCOMPARE(int(read->code), code);
    QVERIFY(read->pictures.isEmpty());
}

void tst_PictureFileLoader::droppedReadReachesNoOne_data()
{
    QTest::addColumn<bool>("byNewLoad");
    QTest::newRow("dropped by a new load") << true;
    QTest::newRow("dropped by a cancel") << false;
}

// One file at a time: the dropped read ends, and its end is reported to the loader, before
// the next read begins, so the next one's answer comes after any answer the dropped one
// could give.
void tst_PictureFileLoader::droppedReadReachesNoOne()
{
    QFETCH(bool, byNewLoad);
    const QString first = picture(QStringLiteral("first.png"), 11);
    const QString next = picture(QStringLiteral("next.png"), 22);
    auto held = std::make_unique<HeldPictureRead>(QStringLiteral("first.png"));
    int firstAnswers = 0;
    std::optional<PictureFileLoader::Result> nextRead;
    {
        PictureFileLoader loader(1);
        loader.load({first}, [&](const PictureFileLoader::Result&) { ++firstAnswers; });
        QVERIFY(held->waitBegun());
        if (byNewLoad) {
            loader.load({next}, [&](const PictureFileLoader::Result& result) { nextRead = result; });
            QVERIFY(loader.isLoading());
        } else {
            loader.cancel();
            QVERIFY(!loader.isLoading());
        }
        held->release();
        if (!byNewLoad)
            loader.load({next}, [&](const PictureFileLoader::Result& result) { nextRead = result; });
        QTRY_VERIFY(nextRead.has_value());
        QCOMPARE(widthOf(nextRead->pictures.value(0)), 22);
        QCOMPARE(firstAnswers, 0);
    }
    held.reset();
    QCOMPARE(firstAnswers, 0);
}

QTEST_GUILESS_MAIN(tst_PictureFileLoader)
#include "tst_PictureFileLoader.moc"
