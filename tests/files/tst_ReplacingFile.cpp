#include "FileContents.h"
#include "FilePlacing.h"
#include "ReplacingFile.h"

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

using FileContents::readAll;
using FileContents::writeAll;

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class tst_ReplacingFile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void stepsInOrder_data();
    void stepsInOrder();
    void permissions_data();
    void permissions();
    void linkIsReplacedNotWrittenThrough();
    void goneWithoutCommitKeepsTheOldFile_data();
    void goneWithoutCommitKeepsTheOldFile();
    void folderMissing();

private:
    QTemporaryDir* m_dir = nullptr;
    QList<QPair<QString, FilePlacingStep>> m_steps;
};

void tst_ReplacingFile::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_steps.clear();
    setFilePlacingObserver(
        [this](const QString& target, FilePlacingStep step, const QString&) { m_steps.append({target, step}); });
}

void tst_ReplacingFile::cleanup()
{
    setFilePlacingObserver(nullptr);
    delete m_dir;
    m_dir = nullptr;
}

void tst_ReplacingFile::stepsInOrder_data()
{
    QTest::addColumn<bool>("whole");
    QTest::addColumn<bool>("existing");
    QTest::newRow("whole bytes, new file") << true << false;
    QTest::newRow("whole bytes over a file") << true << true;
    QTest::newRow("written piece by piece over a file") << false << true;
}

// The bytes reach the disk before the name changes, and the name reaches it after: a power cut
// at any instant leaves the old file or the whole new one.
void tst_ReplacingFile::stepsInOrder()
{
    QFETCH(bool, whole);
    QFETCH(bool, existing);
    const QString target = m_dir->filePath(QStringLiteral("a.txt"));
    if (existing)
        QVERIFY(writeAll(target, "old"));
    if (whole) {
        QVERIFY(ReplacingFile::write(target, "new bytes"));
    } else {
        ReplacingFile file(target);
        QVERIFY(file.open());
        QCOMPARE(file.file().write("new "), qint64(4));
        QCOMPARE(file.file().write("bytes"), qint64(5));
        QVERIFY(m_steps.isEmpty());
        QVERIFY(file.commit());
    }
    using S = FilePlacingStep;
    const QList<QPair<QString, S>> expected{
        {target, S::Write}, {target, S::SyncFile}, {target, S::Rename}, {target, S::SyncFolder}};
    QCOMPARE(m_steps, expected);
    QCOMPARE(readAll(target), QByteArray("new bytes"));
    QCOMPARE(entries(m_dir->path()), QStringList{QStringLiteral("a.txt")});
}

void tst_ReplacingFile::permissions_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("new file") << -1 << 0644;
    QTest::newRow("private file stays private") << 0600 << 0600;
    QTest::newRow("shared file stays shared") << 0664 << 0664;
}

void tst_ReplacingFile::permissions()
{
    QFETCH(int, before);
    QFETCH(int, after);
    const QString target = m_dir->filePath(QStringLiteral("p.txt"));
    if (before >= 0) {
        QVERIFY(writeAll(target, "old"));
        QCOMPARE(::chmod(QFile::encodeName(target).constData(), mode_t(before)), 0);
    }
    QVERIFY(ReplacingFile::write(target, "new"));
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(target).constData(), &info), 0);
    QCOMPARE(int(info.st_mode & 0777), after);
}

// A link at the name may point at anything, the database too: the link goes, what it points
// at keeps its bytes.
void tst_ReplacingFile::linkIsReplacedNotWrittenThrough()
{
    const QString pointedAt = m_dir->filePath(QStringLiteral("data.db3"));
    const QString target = m_dir->filePath(QStringLiteral("link.txt"));
    QVERIFY(writeAll(pointedAt, "data"));
    QVERIFY(QFile::link(pointedAt, target));
    QVERIFY(ReplacingFile::write(target, "text"));
    QCOMPARE(readAll(pointedAt), QByteArray("data"));
    QVERIFY(!QFileInfo(target).isSymLink());
    QCOMPARE(readAll(target), QByteArray("text"));
}

void tst_ReplacingFile::goneWithoutCommitKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("discard");
    QTest::newRow("discarded") << true;
    QTest::newRow("destroyed") << false;
}

void tst_ReplacingFile::goneWithoutCommitKeepsTheOldFile()
{
    QFETCH(bool, discard);
    const QString target = m_dir->filePath(QStringLiteral("keep.txt"));
    QVERIFY(writeAll(target, "old"));
    {
        ReplacingFile file(target);
        QVERIFY(file.open());
        QCOMPARE(file.file().write("half"), qint64(4));
        if (discard) {
            file.discard();
            QVERIFY(!file.isOpen());
        }
    }
    QCOMPARE(readAll(target), QByteArray("old"));
    QCOMPARE(entries(m_dir->path()), QStringList{QStringLiteral("keep.txt")});
    QVERIFY(m_steps.isEmpty());
}

void tst_ReplacingFile::folderMissing()
{
    const QString target = m_dir->filePath(QStringLiteral("missing/a.txt"));
    QVERIFY(!ReplacingFile::write(target, "x"));
    QVERIFY(!ReplacingFile::write(QString(), "x"));
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY(m_steps.isEmpty());
}

QTEST_GUILESS_MAIN(tst_ReplacingFile)
#include "tst_ReplacingFile.moc"
