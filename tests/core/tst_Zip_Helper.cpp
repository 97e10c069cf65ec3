#include "Zip_Helper.h"

#include <FileMutations.h>
#include <ProcessMemory.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

using EntryMap = QMap<QString, QByteArray>;

class tst_Zip_Helper : public QObject {
    Q_OBJECT
private slots:
    void init();

    void createsArchive();
    void sameNameIsAddedOnce();
    void appendKeepsExistingEntries();
    void appendNeedsExistingArchive();
    void failedAddIsNotRecorded_data();
    void failedAddIsNotRecorded();
    void unsafeEntryNamesAreRefused_data();
    void unsafeEntryNamesAreRefused();
    void backslashNamesBecomeFolders();
    void unwritableNamesAreRefused_data();
    void unwritableNamesAreRefused();
    void nonAsciiNamesAreMarkedUtf8();
    void readOnlyArchiveIsKept_data();
    void readOnlyArchiveIsKept();
    void damagedArchiveIsNotExtended_data();
    void damagedArchiveIsNotExtended();
    void mutatedArchivesAreExtendedOrKept();
    void replacesArchiveOnlyOnClose();
    void failedCloseIsReported();
    void callsOutOfOrder();
    void destructorFinishesArchive();

    void programCreatesArchive();
    void programGetsFixedArguments();
    void programFileMissing();
    void programFailures_data();
    void programFailures();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    static void writeFile(const QString& fileName, const QByteArray& bytes);
    static QString writeScript(const QString& fileName, const QByteArray& body);
    static EntryMap readArchive(const QString& archivePath);
    static bool unzipAccepts(const QString& archivePath);
    QByteArray threeEntryArchive();

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_Zip_Helper::writeFile(const QString& fileName, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(fileName).path());
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString tst_Zip_Helper::writeScript(const QString& fileName, const QByteArray& body)
{
    writeFile(fileName, "#!/bin/sh\n" + body);
    QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return fileName;
}

// Reads every entry through QuaZip; an unreadable archive gives an entry "<unreadable>".
EntryMap tst_Zip_Helper::readArchive(const QString& archivePath)
{
    EntryMap entries;
    QuaZip zip(archivePath);
    if (!zip.open(QuaZip::mdUnzip))
        return {{QStringLiteral("<unreadable>"), QByteArray()}};
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        // Names from the entry's information: QuaZip's plain name cuts names beyond 256 bytes.
        QuaZipFileInfo64 info;
        QuaZipFile entry(&zip);
        if (!zip.getCurrentFileInfo(&info) || !entry.open(QIODevice::ReadOnly))
            return {{QStringLiteral("<unreadable>"), QByteArray()}};
        const QString name = info.name;
        if (entries.contains(name))
            entries.insert(QStringLiteral("<duplicate>"), name.toUtf8());
        entries.insert(name, entry.readAll());
        entry.close();
        if (entry.getZipError() != 0)
            return {{QStringLiteral("<crc error>"), QByteArray()}};
    }
    return entries;
}

bool tst_Zip_Helper::unzipAccepts(const QString& archivePath)
{
    if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
        return true;
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-tqq"), archivePath});
    if (!unzip.waitForFinished(60000))
        return false;
    return unzip.exitStatus() == QProcess::NormalExit && unzip.exitCode() == 0;
}

// Incompressible and compressible parts, every byte value: shows any corruption.
static QByteArray sampleBytes(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = seed;
    for (int i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = char(i < size / 2 ? (state >> 24) : (i & 0xff));
    }
    return bytes;
}

void tst_Zip_Helper::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_Zip_Helper::createsArchive()
{
    const QByteArray picture = sampleBytes(300000, 7);
    const QByteArray text = "Plate;Colonies\r\nP1;42\r\n";
    writeFile(path("source/plate.png"), picture);
    writeFile(path("source/result.csv"), text);
    QFile(path("source/plate.png")).setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)),
                                                QFileDevice::FileModificationTime);

    Zip_Helper zip;
    QCOMPARE(zip.Open(path("export.zip"), false), Errors::Type_Error(0));
    QCOMPARE(zip.AddFile("pictures/plate 1.png", path("source/plate.png")), Errors::Type_Error(0));
    QCOMPARE(zip.AddFile("result.csv", path("source/result.csv")), Errors::Type_Error(0));
    QCOMPARE(zip.AddData(QString::fromUtf8("notes \u00e4.txt"), "one byte more\n"), Errors::Type_Error(0));
    QCOMPARE(zip.EntryNames(),
             QStringList({"pictures/plate 1.png", "result.csv", QString::fromUtf8("notes \u00e4.txt")}));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));

    const EntryMap expected{{"pictures/plate 1.png", picture},
                            {"result.csv", text},
                            {QString::fromUtf8("notes \u00e4.txt"), "one byte more\n"}};
    QCOMPARE(readArchive(path("export.zip")), expected);
    QVERIFY(unzipAccepts(path("export.zip")));
    // Nothing but the archive is left beside it, and others may read it like any export.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({"export.zip"}));
    QVERIFY(QFileInfo(path("export.zip")).permissions() & QFile::ReadOther);

    // Deflated, stamped with the time of adding, not with the source file's time.
    QuaZip archive(path("export.zip"));
    QVERIFY(archive.open(QuaZip::mdUnzip));
    const QList<QuaZipFileInfo64> infos = archive.getFileInfoList64();
    QCOMPARE(infos.size(), 3);
    for (const QuaZipFileInfo64& info : infos) {
        QCOMPARE(int(info.method), 8);
        QVERIFY2(qAbs(info.dateTime.secsTo(QDateTime::currentDateTime())) < 600, qPrintable(info.name));
    }
}

void tst_Zip_Helper::sameNameIsAddedOnce()
{
    writeFile(path("second.txt"), "second");
    Zip_Helper zip;
    QCOMPARE(zip.Open(path("a.zip"), false), Errors::Type_Error(0));
    QCOMPARE(zip.AddData("entry.txt", "first"), Errors::Type_Error(0));
    QCOMPARE(zip.AddFile("entry.txt", path("second.txt")), Errors::Type_Error(0));
    QCOMPARE(zip.AddData("entry.txt", "third"), Errors::Type_Error(0));
    // A name differing only in case is another entry.
    QCOMPARE(zip.AddData("Entry.txt", "upper"), Errors::Type_Error(0));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));
    QCOMPARE(readArchive(path("a.zip")), EntryMap({{"entry.txt", "first"}, {"Entry.txt", "upper"}}));
}

void tst_Zip_Helper::appendKeepsExistingEntries()
{
    Zip_Helper zip;
    QCOMPARE(zip.Open(path("a.zip"), false), Errors::Type_Error(0));
    QCOMPARE(zip.AddData("a.txt", "old a"), Errors::Type_Error(0));
    QCOMPARE(zip.AddData("dir/b.bin", sampleBytes(5000, 3)), Errors::Type_Error(0));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));

    QCOMPARE(zip.Open(path("a.zip"), true), Errors::Type_Error(0));
    QCOMPARE(zip.EntryNames(), QStringList({"a.txt", "dir/b.bin"}));
    QCOMPARE(zip.AddData("a.txt", "new a"), Errors::Type_Error(0));
    QCOMPARE(zip.AddData("c.txt", "c"), Errors::Type_Error(0));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));

    QCOMPARE(readArchive(path("a.zip")),
             EntryMap({{"a.txt", "old a"}, {"dir/b.bin", sampleBytes(5000, 3)}, {"c.txt", "c"}}));
    QVERIFY(unzipAccepts(path("a.zip")));
}

void tst_Zip_Helper::appendNeedsExistingArchive()
{
    Zip_Helper zip;
    QCOMPARE(zip.Open(path("missing.zip"), true), Errors::Type_Error(72));
    QVERIFY(!QFile::exists(path("missing.zip")));

    writeFile(path("notazip.zip"), "plain text, no archive");
    QCOMPARE(zip.Open(path("notazip.zip"), true), Errors::Type_Error(72));
    QCOMPARE(zip.AddData("x.txt", "x"), Errors::Type_Error(72));

    QCOMPARE(zip.Open(path("missing.zip"), false), Errors::Type_Error(0));
    QCOMPARE(zip.AddData("x.txt", "x"), Errors::Type_Error(0));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));
    QCOMPARE(readArchive(path("missing.zip")), EntryMap({{"x.txt", "x"}}));
}

void tst_Zip_Helper::failedAddIsNotRecorded_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("asData");
    QTest::newRow("empty file") << "empty.txt" << false;
    QTest::newRow("missing file") << "missing.txt" << false;
    QTest::newRow("folder as file") << "folder" << false;
    QTest::newRow("empty data") << QString() << true;
}

void tst_Zip_Helper::failedAddIsNotRecorded()
{
    QFETCH(QString, source);
    QFETCH(bool, asData);
    writeFile(path("empty.txt"), QByteArray());
    QDir().mkpath(path("folder"));

    Zip_Helper zip;
    QCOMPARE(zip.Open(path("a.zip"), false), Errors::Type_Error(0));
    QCOMPARE(zip.AddData("kept.txt", "kept"), Errors::Type_Error(0));
    const Errors::Type_Error result = asData ? zip.AddData("entry.txt", QByteArray())
                                             : zip.AddFile("entry.txt", path(source));
    QCOMPARE(result, Errors::Type_Error(74));
    QCOMPARE(zip.EntryNames(), QStringList({"kept.txt"}));
    // The archive stays open and the name can be tried again.
    QCOMPARE(zip.AddData("entry.txt", "second try"), Errors::Type_Error(0));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));
    QCOMPARE(readArchive(path("a.zip")), EntryMap({{"kept.txt", "kept"}, {"entry.txt", "second try"}}));
}

void tst_Zip_Helper::unsafeEntryNamesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("parent") << "../evil.txt";
    QTest::newRow("parent inside") << "pictures/../../evil.txt";
    QTest::newRow("parent backslash") << "..\\evil.txt";
    QTest::newRow("parent mixed") << "pictures\\..\\..\\evil.txt";
    QTest::newRow("absolute") << "/etc/evil.txt";
    QTest::newRow("absolute backslash") << "\\evil.txt";
    QTest::newRow("drive") << "C:/evil.txt";
    QTest::newRow("drive relative") << "c:evil.txt";
    QTest::newRow("drive backslash") << "C:\\evil.txt";
    QTest::newRow("empty") << "";
    QTest::newRow("empty part") << "pictures//evil.txt";
    QTest::newRow("dot part") << "./evil.txt";
    QTest::newRow("folder only") << "pictures/";
    QTest::newRow("control character") << QString("evil\ntxt");
}

void tst_Zip_Helper::unsafeEntryNamesAreRefused()
{
    QFETCH(QString, name);
    writeFile(path("source.txt"), "source");
    Zip_Helper zip;
    QCOMPARE(zip.Open(path("a.zip"), false), Errors::Type_Error(0));
    QCOMPARE(zip.AddFile(name, path("source.txt")), Errors::Type_Error(72));
    QCOMPARE(zip.AddData(name, "data"), Errors::Type_Error(72));
    QCOMPARE(zip.AddData("safe.txt", "safe"), Errors::Type_Error(0));
    QCOMPARE(zip.EntryNames(), QStringList({"safe.txt"}));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));
    QCOMPARE(readArchive(path("a.zip")), EntryMap({{"safe.txt", "safe"}}));
}

void tst_Zip_Helper::backslashNamesBecomeFolders()
{
    Zip_Helper zip;
    QCOMPARE(zip.Open(path("a.zip"), false), Errors::Type_Error(0));
    QCOMPARE(zip.AddData("pictures\\plate.png", "png"), Errors::Type_Error(0));
    // Both spellings name the one entry.
    QCOMPARE(zip.AddData("pictures/plate.png", "other"), Errors::Type_Error(0));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));
    QCOMPARE(readArchive(path("a.zip")), EntryMap({{"pictures/plate.png", "png"}}));
}

void tst_Zip_Helper::unwritableNamesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("65,536 bytes") << QString(65536, QLatin1Char('a'));
    QTest::newRow("32,768 two-byte letters") << QString(32768, QChar(0x00e4));
    QTest::newRow("lone high surrogate") << QString(QChar(0xd800)) + QStringLiteral("x.txt");
    QTest::newRow("lone low surrogate") << QStringLiteral("x") + QChar(0xdc00) + QStringLiteral(".txt");
    QTest::newRow("swapped pair") << QStringLiteral("x") + QChar(0xdc00) + QChar(0xd800);
}

// A name the archive cannot hold as given is refused, and the archive stays readable.
void tst_Zip_Helper::unwritableNamesAreRefused()
{
    QFETCH(QString, name);
    writeFile(path("source.txt"), "source");
    Zip_Helper zip;
    QCOMPARE(zip.Open(path("a.zip"), false), Errors::Type_Error(0));
    QCOMPARE(zip.AddData(name, "data"), Errors::Type_Error(72));
    QCOMPARE(zip.AddFile(name, path("source.txt")), Errors::Type_Error(72));
    // The longest name there is room for, and a proper pair of surrogates, are fine.
    const QString longest(65535 - 4, QLatin1Char('b'));
    QCOMPARE(zip.AddData(longest + QStringLiteral(".txt"), "long"), Errors::Type_Error(0));
    QCOMPARE(zip.AddData(QString::fromUtf8("\U0001F600.txt"), "pair"), Errors::Type_Error(0));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));
    QCOMPARE(readArchive(path("a.zip")),
             EntryMap({{longest + QStringLiteral(".txt"), "long"}, {QString::fromUtf8("\U0001F600.txt"), "pair"}}));
}

void tst_Zip_Helper::nonAsciiNamesAreMarkedUtf8()
{
    const QString name = QString::fromUtf8("Platte \u00e4\u20ac \u989c\u8272.txt");
    Zip_Helper zip;
    QCOMPARE(zip.Open(path("a.zip"), false), Errors::Type_Error(0));
    QCOMPARE(zip.AddData(name, "x"), Errors::Type_Error(0));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));

    // Other unpackers take an unmarked name for their code page: the flag and the UTF-8 bytes.
    QuaZip archive(path("a.zip"));
    QVERIFY(archive.open(QuaZip::mdUnzip));
    const QList<QuaZipFileInfo64> infos = archive.getFileInfoList64();
    QCOMPARE(infos.size(), 1);
    QVERIFY(infos.first().flags & 0x800);
    QFile file(path("a.zip"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count(name.toUtf8()), 2); // local header and central directory
}

void tst_Zip_Helper::readOnlyArchiveIsKept_data()
{
    QTest::addColumn<bool>("append");
    QTest::newRow("replace") << false;
    QTest::newRow("append") << true;
}

// Read-only by its permissions, whoever runs the program (root may write anyway).
void tst_Zip_Helper::readOnlyArchiveIsKept()
{
    QFETCH(bool, append);
    const QByteArray original = threeEntryArchive();
    QVERIFY(QFile::setPermissions(path("a.zip"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    Zip_Helper zip;
    QCOMPARE(zip.Open(path("a.zip"), append), Errors::Type_Error(72));
    QCOMPARE(zip.AddData("new.txt", "new"), Errors::Type_Error(72));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));
    QFile file(path("a.zip"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), original);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({"a.zip"}));
}

// The archive of three entries used by the damage tests, as written to a.zip.
QByteArray tst_Zip_Helper::threeEntryArchive()
{
    Zip_Helper zip;
    if (zip.Open(path("a.zip"), false) != 0 || zip.AddData("first.txt", "first entry\n") != 0
        || zip.AddData("dir/second.bin", sampleBytes(3000, 5)) != 0
        || zip.AddData(QString::fromUtf8("dritte \u00e4.txt"), QByteArray(2000, 'x')) != 0 || zip.Close() != 0)
        return QByteArray();
    QFile file(path("a.zip"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void tst_Zip_Helper::damagedArchiveIsNotExtended_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("one entry less counted") << "count";
    QTest::newRow("directory offset shifted") << "offset";
    QTest::newRow("bytes after the end record") << "trailing";
    QTest::newRow("bytes before the first entry") << "prefix";
    QTest::newRow("entry data damaged") << "data";
    QTest::newRow("last entry cut") << "cut";
    QTest::newRow("end record only") << "end only";
}

// An archive a reader would take differently from its writer is not extended: the new entry
// could not be read back, or an old one would be lost or overwritten.
void tst_Zip_Helper::damagedArchiveIsNotExtended()
{
    QFETCH(QString, damage);
    QByteArray bytes = threeEntryArchive();
    QVERIFY(!bytes.isEmpty());
    const qsizetype end = bytes.lastIndexOf(QByteArray("PK\x05\x06", 4));
    const qsizetype directory = bytes.indexOf(QByteArray("PK\x01\x02", 4));
    QVERIFY(end > 0 && directory > 0);
    if (damage == "count") {
        bytes[end + 8] = char(bytes[end + 8] - 1);
        bytes[end + 10] = char(bytes[end + 10] - 1);
    } else if (damage == "offset") {
        bytes[end + 16] = char(bytes[end + 16] - 16);
    } else if (damage == "trailing") {
        bytes += QByteArray(40, 'z');
    } else if (damage == "prefix") {
        bytes.prepend(QByteArray(64, '\0'));
    } else if (damage == "data") {
        bytes[directory / 2] = char(bytes[directory / 2] ^ 0x40);
    } else if (damage == "cut") {
        bytes.remove(directory - 20, 20);
    } else {
        bytes = bytes.mid(end);
        bytes[end - end + 8] = 0;
    }
    writeFile(path("a.zip"), bytes);

    Zip_Helper zip;
    QCOMPARE(zip.Open(path("a.zip"), true), Errors::Type_Error(72));
    QCOMPARE(zip.AddData("new.txt", "new"), Errors::Type_Error(72));
    QFile file(path("a.zip"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({"a.zip"}));
}

// Seeded damage of a valid archive: appending either refuses and leaves the file as it was,
// or succeeds and the archive then holds what a reader saw in it before, plus the new entry.
void tst_Zip_Helper::mutatedArchivesAreExtendedOrKept()
{
    const QByteArray valid = threeEntryArchive();
    QVERIFY(!valid.isEmpty());
    ProcessMemory::resetPeak();
    const qint64 residentKB = ProcessMemory::statusKB("VmRSS");
    int extended = 0;
    for (quint32 seed = 1; seed <= 300; ++seed) {
        const QByteArray damaged = FileMutations::mutated(valid, seed);
        writeFile(path("a.zip"), damaged);
        const EntryMap before = readArchive(path("a.zip"));
        Zip_Helper zip;
        if (zip.Open(path("a.zip"), true) != 0) {
            QFile file(path("a.zip"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(file.readAll() == damaged, qPrintable(QString::number(seed)));
            continue;
        }
        ++extended;
        const QString seedText = QString::number(seed);
        QVERIFY2(!before.contains("<unreadable>") && !before.contains("<crc error>") && !before.contains("<duplicate>"),
                 qPrintable(seedText));
        QCOMPARE(zip.AddData("new.txt", seedText.toUtf8()), Errors::Type_Error(0));
        QCOMPARE(zip.Close(), Errors::Type_Error(0));
        EntryMap expected = before;
        expected.insert("new.txt", seedText.toUtf8());
        QVERIFY2(readArchive(path("a.zip")) == expected, qPrintable(seedText));
    }
    const qint64 grownKB = ProcessMemory::statusKB("VmHWM") - residentKB;
    QVERIFY2(grownKB < 64 * 1024 + ProcessMemory::sanitizerAllowanceKB(), qPrintable(QString::number(grownKB)));
    // Damage that leaves the archive intact (bytes of a name, a time stamp) is extended.
    QVERIFY(extended > 0);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({"a.zip"}));
}

void tst_Zip_Helper::replacesArchiveOnlyOnClose()
{
    {
        Zip_Helper zip;
        QCOMPARE(zip.Open(path("a.zip"), false), Errors::Type_Error(0));
        QCOMPARE(zip.AddData("old.txt", "old"), Errors::Type_Error(0));
        QCOMPARE(zip.Close(), Errors::Type_Error(0));
    }
    Zip_Helper zip;
    QCOMPARE(zip.Open(path("a.zip"), false), Errors::Type_Error(0));
    QCOMPARE(zip.AddData("new.txt", "new"), Errors::Type_Error(0));
    // Until the new archive is complete the old one is intact.
    QCOMPARE(readArchive(path("a.zip")), EntryMap({{"old.txt", "old"}}));

    QCOMPARE(zip.Open(path("b.zip"), false), Errors::Type_Error(72));
    QCOMPARE(zip.AddData("more.txt", "more"), Errors::Type_Error(0));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));
    QCOMPARE(readArchive(path("a.zip")), EntryMap({{"new.txt", "new"}, {"more.txt", "more"}}));
    QVERIFY(!QFile::exists(path("b.zip")));
}

void tst_Zip_Helper::failedCloseIsReported()
{
    Zip_Helper zip;
    QCOMPARE(zip.Open(path("a.zip"), false), Errors::Type_Error(0));
    QCOMPARE(zip.AddData("entry.txt", sampleBytes(10000, 1)), Errors::Type_Error(0));
    // Something else takes the archive's place before it is finished.
    QVERIFY(QDir().mkdir(path("a.zip")));
    QCOMPARE(zip.Close(), Errors::Type_Error(72));
    QVERIFY(QFileInfo(path("a.zip")).isDir());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());

    // The object serves the next archive normally.
    QCOMPARE(zip.Open(path("b.zip"), false), Errors::Type_Error(0));
    QCOMPARE(zip.AddData("entry.txt", "b"), Errors::Type_Error(0));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));
    QCOMPARE(readArchive(path("b.zip")), EntryMap({{"entry.txt", "b"}}));
}

void tst_Zip_Helper::callsOutOfOrder()
{
    Zip_Helper zip;
    QCOMPARE(zip.AddData("x.txt", "x"), Errors::Type_Error(72));
    QCOMPARE(zip.Close(), Errors::Type_Error(0));
    QCOMPARE(zip.Open(path("no/such/folder/a.zip"), false), Errors::Type_Error(72));
    QCOMPARE(zip.Open(m_dir->path(), false), Errors::Type_Error(72));
    QCOMPARE(zip.AddData("x.txt", "x"), Errors::Type_Error(72));

    // A helper made for the program has no archive to write.
    Zip_Helper programZip(QStringLiteral("folder"), nullptr);
    QCOMPARE(programZip.Open(path("p.zip"), false), Errors::Type_Error(72));
    QCOMPARE(programZip.AddData("x.txt", "x"), Errors::Type_Error(72));
    QCOMPARE(programZip.Close(), Errors::Type_Error(72));
    QVERIFY(!QFile::exists(path("p.zip")));
}

void tst_Zip_Helper::destructorFinishesArchive()
{
    {
        Zip_Helper zip;
        QCOMPARE(zip.Open(path("a.zip"), false), Errors::Type_Error(0));
        QCOMPARE(zip.AddData("entry.txt", "left open"), Errors::Type_Error(0));
    }
    QCOMPARE(readArchive(path("a.zip")), EntryMap({{"entry.txt", "left open"}}));
    QVERIFY(unzipAccepts(path("a.zip")));
}

void tst_Zip_Helper::programCreatesArchive()
{
    if (QStandardPaths::findExecutable(QStringLiteral("zip")).isEmpty())
        QSKIP("the zip program is not installed");
    const QByteArray picture = sampleBytes(200000, 11);
    writeFile(path("one/plate.png"), picture);
    writeFile(path("two/result.csv"), "P1;42\n");

    Zip_Helper zip(QStringLiteral("unused folder"), nullptr);
    QCOMPARE(zip.SetProgramArchive(path("out/export.zip")), Errors::Type_Error(0));
    QVERIFY(QDir().mkpath(path("out")));
    QCOMPARE(zip.AddProgramFile(path("one/plate.png")), Errors::Type_Error(0));
    QCOMPARE(zip.AddProgramFile(path("two/result.csv")), Errors::Type_Error(0));
    QStringList errorLines{"stale"};
    QCOMPARE(zip.ZipWithProgram(errorLines), Errors::Type_Error(0));
    QCOMPARE(errorLines, QStringList());
    // Stored without their folders.
    QCOMPARE(readArchive(path("out/export.zip")), EntryMap({{"plate.png", picture}, {"result.csv", "P1;42\n"}}));
    QVERIFY(unzipAccepts(path("out/export.zip")));
}

void tst_Zip_Helper::programGetsFixedArguments()
{
    const QString script = writeScript(path("fake-zip"), "for a in \"$@\"; do echo \"$a\"; done > \"$0.args\"\n");
    writeFile(path("my pictures/a b.png"), "a");
    writeFile(path("c.txt"), "c");
    Zip_Helper zip(QString(), nullptr);
    zip.SetProgramPath(script);
    zip.SetProgramArchive(path("export.zip"));
    QCOMPARE(zip.AddProgramFile(path("my pictures/a b.png")), Errors::Type_Error(0));
    QCOMPARE(zip.AddProgramFile(path("c.txt")), Errors::Type_Error(0));
    QStringList errorLines;
    QCOMPARE(zip.ZipWithProgram(errorLines), Errors::Type_Error(0));

    QFile args(script + ".args");
    QVERIFY(args.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(args.readAll()).split('\n', Qt::SkipEmptyParts),
             QStringList({"-j9q", path("export.zip"), path("my pictures/a b.png"), path("c.txt")}));
}

void tst_Zip_Helper::programFileMissing()
{
    const QString script = writeScript(path("fake-zip"), "touch \"$0.ran\"\n");
    writeFile(path("gone.txt"), "soon gone");
    Zip_Helper zip(QString(), nullptr);
    zip.SetProgramPath(script);
    zip.SetProgramArchive(path("export.zip"));
    QCOMPARE(zip.AddProgramFile(path("never.txt")), Errors::Type_Error(70));
    QCOMPARE(zip.AddProgramFile(path("gone.txt")), Errors::Type_Error(0));
    QVERIFY(QFile::remove(path("gone.txt")));
    QStringList errorLines;
    QCOMPARE(zip.ZipWithProgram(errorLines), Errors::Type_Error(70));
    QVERIFY(!QFile::exists(script + ".ran"));

    // A new archive starts a new list.
    zip.SetProgramArchive(path("export.zip"));
    QCOMPARE(zip.ZipWithProgram(errorLines), Errors::Type_Error(0));
    QVERIFY(QFile::exists(script + ".ran"));
}

void tst_Zip_Helper::programFailures_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("archive");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QStringList>("expectedLines");
    QTest::newRow("program missing") << QByteArray() << "export.zip" << 71 << QStringList();
    QTest::newRow("fails silently") << QByteArray("exit 3\n") << "export.zip" << 71 << QStringList();
    QTest::newRow("killed") << QByteArray("kill -9 $$\n") << "export.zip" << 71 << QStringList();
    QTest::newRow("warns with exit 0") << QByteArray("echo 'zip warning: one' >&2\necho two >&2\nexit 0\n")
                                       << "export.zip" << 72 << QStringList({"zip warning: one", "two", ""});
    QTest::newRow("warns and fails") << QByteArray("printf 'zip error' >&2\nexit 12\n") << "export.zip" << 72
                                     << QStringList({"zip error"});
    QTest::newRow("no archive name") << QByteArray("exit 0\n") << "" << 71 << QStringList();
    QTest::newRow("fails with a message") << QByteArray("echo 'zip error: no room'\nexit 15\n") << "export.zip" << 71
                                          << QStringList({"zip error: no room"});
    QTest::newRow("real zip, missing folder") << QByteArray("real") << "no/such/folder/export.zip" << 71
                                              << QStringList();
}

void tst_Zip_Helper::programFailures()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, archive);
    QFETCH(int, expected);
    QFETCH(QStringList, expectedLines);
    writeFile(path("file.txt"), "content");

    Zip_Helper zip(QString(), nullptr);
    if (script == "real") {
        if (QStandardPaths::findExecutable(QStringLiteral("zip")).isEmpty())
            QSKIP("the zip program is not installed");
    } else {
        zip.SetProgramPath(script.isEmpty() ? path("no-such-program") : writeScript(path("fake-zip"), script));
    }
    zip.SetProgramArchive(archive.isEmpty() ? QString() : path(archive));
    QCOMPARE(zip.AddProgramFile(path("file.txt")), Errors::Type_Error(0));
    QStringList errorLines;
    QCOMPARE(int(zip.ZipWithProgram(errorLines)), expected);
    if (script == "real")
        QVERIFY2(errorLines.join('\n').contains("zip error"), qPrintable(errorLines.join('\n')));
    else
        QCOMPARE(errorLines, expectedLines);
    QVERIFY(!QFile::exists(path(archive.isEmpty() ? QStringLiteral("export.zip") : archive)));
}

QTEST_GUILESS_MAIN(tst_Zip_Helper)
#include "tst_Zip_Helper.moc"
