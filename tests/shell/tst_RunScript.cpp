#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// scripts/run.sh and scripts/build.sh in a tree of their own, with stand-ins for cmake, the
// package check and the program: the program is built before its first start and after any
// change of what it is built from, and started at once when nothing changed since a build of
// the scripts; a failed build starts nothing.
class tst_RunScript : public QObject {
    Q_OBJECT
private slots:
    void buildsOnlyWhatChanged();

private:
    // Runs scripts/<name> with the stand-ins first on the path; true when it ended with 0.
    bool run(const QString& name, const QStringList& arguments = {});
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

bool tst_RunScript::run(const QString& name, const QStringList& arguments)
{
    QProcess script;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
                       m_tree.filePath(QStringLiteral("stand-ins")) + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
    script.setProcessEnvironment(environment);
    script.start(QStringLiteral("bash"), QStringList{m_tree.filePath(QStringLiteral("scripts/") + name)} + arguments);
    return script.waitForFinished(60000) && script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
}

QStringList tst_RunScript::calls()
{
    QFile log(m_tree.filePath(QStringLiteral("calls.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    // However many processors the machine has.
    static const QRegularExpression parallel(QStringLiteral("--parallel \\d+"));
    const QString text = QString::fromUtf8(log.readAll()).replace(parallel, QStringLiteral("--parallel N"));
    log.remove();
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void tst_RunScript::buildsOnlyWhatChanged()
{
    QVERIFY(m_tree.isValid());
    const QString sourceDir = QString::fromLocal8Bit(qgetenv("ZELVORIN_SOURCE_DIR"));
    for (const char* script : {"scripts/run.sh", "scripts/build.sh"}) {
        QFile source(sourceDir + QLatin1Char('/') + QLatin1String(script));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QVERIFY(write(QLatin1String(script), source.readAll(), true));
    }
    QVERIFY(write(QStringLiteral("scripts/install-deps.sh"), "#!/usr/bin/env bash\n", true));
    for (const char* file : {"CMakeLists.txt", "library/core/Errors.cpp", "application/shell/main.cpp",
                             "manual/zelvorin_Manual.md", "settings/default.AppSettings"})
        QVERIFY(write(QLatin1String(file), "x"));
    // cmake configures and builds the program, unless told to fail; the program says it started.
    QVERIFY(write(QStringLiteral("stand-ins/cmake"),
                  "#!/usr/bin/env bash\necho \"cmake $*\" >> calls.log\n[ -f fail ] && exit 2\n"
                  "if [ \"$1\" = -S ]; then mkdir -p build; touch build/CMakeCache.txt build/Makefile; exit 0; fi\n"
                  "mkdir -p build/bin\n"
                  "printf '#!/usr/bin/env bash\\necho \"started $*\" >> calls.log\\n' > build/bin/zelvorin\n"
                  "chmod +x build/bin/zelvorin\n",
                  true));
    const QString programBuild = QStringLiteral("cmake --build build --parallel N --target zelvorin-program");
    const QStringList start{QStringLiteral("--x")};

    QVERIFY(run(QStringLiteral("run.sh"), start));
    QCOMPARE(calls(), (QStringList{"cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo", programBuild, "started --x"}));
    // Nothing changed: no build, the program at once.
    QVERIFY(run(QStringLiteral("run.sh"), start));
    QCOMPARE(calls(), QStringList{"started --x"});

    // A changed source file, a new one and a changed CMake cache each bring one build.
    for (const char* changed : {"library/core/Errors.cpp", "application/colony/New.cpp", "build/CMakeCache.txt"}) {
        QVERIFY(write(QLatin1String(changed), "y"));
        QVERIFY(run(QStringLiteral("run.sh"), start));
        QCOMPARE(calls(), (QStringList{programBuild, "started --x"}));
        QVERIFY(run(QStringLiteral("run.sh"), start));
        QCOMPARE(calls(), QStringList{"started --x"});
    }
    // The whole build of the tests builds the program too.
    QVERIFY(write(QStringLiteral("manual/zelvorin_Manual.md"), "y"));
    QVERIFY(run(QStringLiteral("build.sh")));
    calls();
    QVERIFY(run(QStringLiteral("run.sh"), start));
    QCOMPARE(calls(), QStringList{"started --x"});

    // A failed build starts nothing and is tried again next time.
    QVERIFY(write(QStringLiteral("library/core/Errors.cpp"), "z"));
    QVERIFY(write(QStringLiteral("fail"), "1"));
    QVERIFY(!run(QStringLiteral("run.sh"), start));
    QCOMPARE(calls(), QStringList{programBuild});
    QVERIFY(QFile::remove(m_tree.filePath(QStringLiteral("fail"))));
    QVERIFY(run(QStringLiteral("run.sh"), start));
    QCOMPARE(calls(), (QStringList{programBuild, "started --x"}));
}

QTEST_GUILESS_MAIN(tst_RunScript)
#include "tst_RunScript.moc"
