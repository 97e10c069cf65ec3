#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// scripts/run.sh in a tree of its own, with a stand-in for scripts/build.sh and for the program:
// the program is built before its first start and after any change of what it is built from,
// and started at once when nothing changed; a failed build starts nothing.
class tst_RunScript : public QObject {
    Q_OBJECT
private slots:
    void buildsOnlyWhatChanged();

private:
    // Runs the script; true when it ended with 0.
    bool run();
    QStringList calls();
    bool write(const QString& relative, const QByteArray& text, bool executable = false);

    QTemporaryDir m_tree;
};

bool tst_RunScript::write(const QString& relative, const QByteArray& text, bool executable)
{
    const QString path = m_tree.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return false;
    file.close();
    return !executable || file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

bool tst_RunScript::run()
{
    QProcess script;
    script.start(QStringLiteral("bash"), {m_tree.filePath(QStringLiteral("scripts/run.sh")), QStringLiteral("--x")});
    return script.waitForFinished(60000) && script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
}

QStringList tst_RunScript::calls()
{
    QFile log(m_tree.filePath(QStringLiteral("calls.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    log.remove();
    return lines;
}

void tst_RunScript::buildsOnlyWhatChanged()
{
    QVERIFY(m_tree.isValid());
    QFile source(QString::fromLocal8Bit(qgetenv("ZELVORIN_SOURCE_DIR")) + QStringLiteral("/scripts/run.sh"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QVERIFY(write(QStringLiteral("scripts/run.sh"), source.readAll(), true));
    for (const char* file : {"CMakeLists.txt", "library/core/Errors.cpp", "application/shell/main.cpp",
                             "manual/zelvorin_Manual.md", "settings/default.AppSettings"})
        QVERIFY(write(QLatin1String(file), "x"));
    // The build makes the program, unless told to fail; the program says it started.
    QVERIFY(write(QStringLiteral("scripts/build.sh"),
                  "#!/usr/bin/env bash\ncd \"$(dirname \"$0\")/..\"\necho \"build $*\" >> calls.log\n"
                  "[ -f fail ] && exit 2\nmkdir -p build/bin\n"
                  "printf '#!/usr/bin/env bash\\necho \"started $*\" >> calls.log\\n' > build/bin/zelvorin\n"
                  "chmod +x build/bin/zelvorin\necho build\n",
                  true));

    QVERIFY(run());
    QCOMPARE(calls(), (QStringList{"build --program", "started --x"}));
    // Nothing changed: no build, the program at once.
    QVERIFY(run());
    QCOMPARE(calls(), QStringList{"started --x"});

    // A changed source file, a new one and a changed CMake cache each bring one build.
    for (const char* changed : {"library/core/Errors.cpp", "application/colony/New.cpp", "build/CMakeCache.txt"}) {
        QVERIFY(write(QLatin1String(changed), "y"));
        QVERIFY(run());
        QCOMPARE(calls(), (QStringList{"build --program", "started --x"}));
        QVERIFY(run());
        QCOMPARE(calls(), QStringList{"started --x"});
    }

    // A failed build starts nothing and is tried again next time.
    QVERIFY(write(QStringLiteral("library/core/Errors.cpp"), "z"));
    QVERIFY(write(QStringLiteral("fail"), "1"));
    QVERIFY(!run());
    QCOMPARE(calls(), QStringList{"build --program"});
    QVERIFY(QFile::remove(m_tree.filePath(QStringLiteral("fail"))));
    QVERIFY(run());
    QCOMPARE(calls(), (QStringList{"build --program", "started --x"}));
}

QTEST_GUILESS_MAIN(tst_RunScript)
#include "tst_RunScript.moc"
