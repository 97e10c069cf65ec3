// The files of one save go in place together or not at all: a commit that fails on its way
// puts back what it had replaced, and a kept file that the caller replaced itself.

#include "ModelMatchingPendingFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class tst_ModelMatchingPendingFiles : public QObject {
    Q_OBJECT
private slots:
    void commitPutsEverythingInPlace();
    void failedCommitLeavesEveryFileAsItWas_data();
    void failedCommitLeavesEveryFileAsItWas();
};

void tst_ModelMatchingPendingFiles::commitPutsEverythingInPlace()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString model = dir.filePath(QStringLiteral("cross.modeldata"));
    const QString settings = dir.filePath(QStringLiteral("cross.settings"));
    const QString gone = dir.filePath(QStringLiteral("cross.png"));
    QVERIFY(write(model, "old model") && write(settings, "old settings") && write(gone, "old picture"));
    bool ran = false;
    {
        ModelMatchingPendingFiles pending;
        QVERIFY(write(pending.replacement(model), "new model"));
        QVERIFY(pending.removal(gone));
        QVERIFY(pending.keep(settings));
        QVERIFY(write(settings, "new settings"));
        pending.onCommit([&ran] { ran = true; });
        QVERIFY(pending.commit());
    }
    QVERIFY(ran);
    QCOMPARE(read(model), QByteArray("new model"));
    QCOMPARE(read(settings), QByteArray("new settings"));
    QVERIFY(!QFile::exists(gone));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"cross.modeldata", "cross.settings"}));
}

void tst_ModelMatchingPendingFiles::failedCommitLeavesEveryFileAsItWas_data()
{
    QTest::addColumn<bool>("modelWasThere");
    QTest::newRow("replacing a model") << true;
    QTest::newRow("a new model") << false;
}

void tst_ModelMatchingPendingFiles::failedCommitLeavesEveryFileAsItWas()
{
    QFETCH(bool, modelWasThere);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString model = dir.filePath(QStringLiteral("cross.modeldata"));
    const QString settings = dir.filePath(QStringLiteral("cross.settings"));
    const QString picture = dir.filePath(QStringLiteral("cross.png"));
    if (modelWasThere)
        QVERIFY(write(model, "old model"));
    QVERIFY(write(settings, "old settings"));
    bool ran = false;
    {
        ModelMatchingPendingFiles pending;
        QVERIFY(write(pending.replacement(model), "new model"));
        QVERIFY(write(pending.replacement(picture), "new picture"));
        QVERIFY(pending.keep(settings));
        QVERIFY(write(settings, "new settings"));
        pending.onCommit([&ran] { ran = true; });
        // Something that no file can replace appears where the picture goes, after the check.
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("cross.png/inside")));
        QVERIFY(!pending.commit());
    }
    QVERIFY(!ran);
    QCOMPARE(read(model), modelWasThere ? QByteArray("old model") : QByteArray("(missing)"));
    QCOMPARE(read(settings), QByteArray("old settings"));
    const QStringList files = modelWasThere ? QStringList{"cross.modeldata", "cross.settings"}
                                            : QStringList{"cross.settings"};
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), files);
}

QTEST_GUILESS_MAIN(tst_ModelMatchingPendingFiles)
#include "tst_ModelMatchingPendingFiles.moc"
