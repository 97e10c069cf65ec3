#include "Automation_Registration.h"
#include "FilePlacingRecorder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Every case gets a data folder of its own: the registration lives in the user's data.
class tst_Automation_Registration : public QObject {
    Q_OBJECT
private slots:
    void init();

    void writtenRegistrationIsCurrent_data();
    void writtenRegistrationIsCurrent();
    void state_data();
    void state();
    void removeIsIdempotent();
    void unwritableDataFolder();
    void firstWord_data();
    void firstWord();

private:
    QString writeProgram(const QString& name);
    void writeFile(const QByteArray& content);

    std::unique_ptr<QTemporaryDir> m_dir;
    const QString m_service = QStringLiteral("zelvorin.COM_Class");
};

void tst_Automation_Registration::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("data"))));
}

QString tst_Automation_Registration::writeProgram(const QString& name)
{
    const QString path = m_dir->filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile program(path);
    if (!program.open(QIODevice::WriteOnly))
        return QString();
    program.write("#!/bin/sh\n");
    return path;
}

void tst_Automation_Registration::writeFile(const QByteArray& content)
{
    const QString path = Automation_Registration::activationFilePath(m_service);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void tst_Automation_Registration::writtenRegistrationIsCurrent_data()
{
    QTest::addColumn<QString>("programName");
    QTest::newRow("plain") << "bin/zelvorin";
    QTest::newRow("blanks") << "Program Files/zel vorin";
    QTest::newRow("quotes and dollar") << "it's \"$HOME\"/zelvorin";
}

void tst_Automation_Registration::writtenRegistrationIsCurrent()
{
    QFETCH(QString, programName);
    const QString program = writeProgram(programName);
    QVERIFY(!program.isEmpty());
    QCOMPARE(Automation_Registration::state(m_service, program), Automation_Registration::Missing);

    QString error;
    FilePlacingRecorder placing;
    QVERIFY2(Automation_Registration::write(m_service, program, {QStringLiteral("-activex")}, error),
             qPrintable(error));
    const QString fault = placing.faultPlacing(Automation_Registration::activationFilePath(m_service));
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    QCOMPARE(Automation_Registration::activationFilePath(m_service),
             m_dir->filePath(QStringLiteral("data/dbus-1/services/zelvorin.COM_Class.service")));
    QCOMPARE(Automation_Registration::state(m_service, program), Automation_Registration::Current);

    QFile file(Automation_Registration::activationFilePath(m_service));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.contains(QStringLiteral("[D-BUS Service]\nName=zelvorin.COM_Class\nExec=")));
    QVERIFY(text.trimmed().endsWith(QStringLiteral(" -activex")));
}

void tst_Automation_Registration::state_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("expected");
    // %1 stands for this program's path.
    QTest::newRow("current") << QByteArray("[D-BUS Service]\nName=zelvorin.COM_Class\nExec=%1 -activex\n")
                             << int(Automation_Registration::Current);
    QTest::newRow("comments and blanks") << QByteArray(
        "# x\n\n  [D-BUS Service]  \n Name=zelvorin.COM_Class\nExec=%1\n")
                                         << int(Automation_Registration::Current);
    QTest::newRow("other program") << QByteArray(
        "[D-BUS Service]\nName=zelvorin.COM_Class\nExec=/usr/bin/true -activex\n")
                                   << int(Automation_Registration::Stale);
    QTest::newRow("program gone") << QByteArray("[D-BUS Service]\nName=zelvorin.COM_Class\nExec=/nowhere/zelvorin\n")
                                  << int(Automation_Registration::Stale);
    QTest::newRow("other name") << QByteArray("[D-BUS Service]\nName=other.COM_Class\nExec=%1\n")
                                << int(Automation_Registration::Stale);
    QTest::newRow("other group") << QByteArray("[Desktop Entry]\nName=zelvorin.COM_Class\nExec=%1\n")
                                 << int(Automation_Registration::Stale);
    QTest::newRow("no exec") << QByteArray("[D-BUS Service]\nName=zelvorin.COM_Class\n")
                             << int(Automation_Registration::Stale);
    QTest::newRow("open quote") << QByteArray("[D-BUS Service]\nName=zelvorin.COM_Class\nExec='%1\n")
                                << int(Automation_Registration::Stale);
    QTest::newRow("binary junk") << QByteArray("\x00\xff\xfe[D-BUS\x00", 9) << int(Automation_Registration::Stale);
    QTest::newRow("huge") << QByteArray("[D-BUS Service]\nName=zelvorin.COM_Class\nExec=%1\n")
            + QByteArray(200 * 1024, '#')
                          << int(Automation_Registration::Stale);
}

void tst_Automation_Registration::state()
{
    QFETCH(QByteArray, content);
    QFETCH(int, expected);
    const QString program = writeProgram(QStringLiteral("bin/zelvorin"));
    content.replace("%1", QFile::encodeName(program));
    writeFile(content);
    QCOMPARE(int(Automation_Registration::state(m_service, program)), expected);
}

void tst_Automation_Registration::removeIsIdempotent()
{
    const QString program = writeProgram(QStringLiteral("zelvorin"));
    QString error;
    QVERIFY(Automation_Registration::write(m_service, program, {}, error));
    QVERIFY(Automation_Registration::remove(m_service, error));
    QCOMPARE(Automation_Registration::state(m_service, program), Automation_Registration::Missing);
    QVERIFY(Automation_Registration::remove(m_service, error));
    QVERIFY(error.isEmpty());
}

void tst_Automation_Registration::unwritableDataFolder()
{
    // A file where the folder must be: no rights trick, so it holds for root as well.
    QFile blocker(m_dir->filePath(QStringLiteral("data")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    QVERIFY(!Automation_Registration::write(m_service, writeProgram(QStringLiteral("zelvorin")), {}, error));
    QVERIFY(!error.isEmpty());
}

void tst_Automation_Registration::firstWord_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("word");
    QTest::newRow("plain") << "/a/b -activex" << true << "/a/b";
    QTest::newRow("leading blanks") << "   /a/b" << true << "/a/b";
    QTest::newRow("single quotes") << "'/a b/c' -x" << true << "/a b/c";
    QTest::newRow("quote inside single quotes") << "'it'\\''s' -x" << true << "it's";
    QTest::newRow("double quotes") << "\"/a \\\"b\\\" \\\\c\"" << true << "/a \"b\" \\c";
    QTest::newRow("backslash") << "/a\\ b -x" << true << "/a b";
    QTest::newRow("open single quote") << "'/a b" << false << "";
    QTest::newRow("open double quote") << "\"/a b" << false << "";
    QTest::newRow("trailing backslash") << "/a\\" << false << "";
    QTest::newRow("empty") << "   " << false << "";
}

void tst_Automation_Registration::firstWord()
{
    QFETCH(QString, commandLine);
    QFETCH(bool, ok);
    QFETCH(QString, word);
    QString result;
    QCOMPARE(Automation_Registration::firstWord(commandLine, result), ok);
    if (ok)
        QCOMPARE(result, word);
}

QTEST_GUILESS_MAIN(tst_Automation_Registration)
#include "tst_Automation_Registration.moc"
