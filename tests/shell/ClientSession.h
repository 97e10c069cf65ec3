#pragma once

// The command-line automation client as a control program uses it, for the end-to-end tests.

#include "ProgramUnderTest.h"

#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QtTest>

namespace ClientSessions {

// The command-line client with one automation object, fed one call a line, as a control
// program works: every call's out arguments read back before the next call is written.
class ClientSession {
public:
    explicit ClientSession(const QProcessEnvironment& environment)
    {
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(QStringLiteral(ZELVORIN_CLIENT), {QStringLiteral("--stdin")});
    }

    ~ClientSession()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(ProgramUnderTest::TimeoutMs))
            m_process.kill();
    }

    bool started() { return m_process.waitForStarted(ProgramUnderTest::TimeoutMs); }

    // The out arguments by name ("result" first); empty when the call got no answer.
    QMap<QString, QString> call(const QString& line, int outputs)
    {
        m_process.write(line.toUtf8() + '\n');
        QMap<QString, QString> answer;
        while (answer.size() < outputs + 1) {
            while (!m_process.canReadLine()) {
                if (!m_process.waitForReadyRead(ProgramUnderTest::TimeoutMs)) {
                    qWarning("%s: no answer; %s", qPrintable(line), m_process.readAllStandardError().constData());
                    return {};
                }
            }
            const QString text = QString::fromUtf8(m_process.readLine()).chopped(1);
            const qsizetype colon = text.indexOf(QStringLiteral(": "));
            answer.insert(text.left(colon), text.mid(colon + 2));
        }
        return answer;
    }

    // Writes a call without reading its answer: for a call that waits, as a dialog does.
    bool send(const QString& line)
    {
        m_process.write(line.toUtf8() + '\n');
        return m_process.waitForBytesWritten(ProgramUnderTest::TimeoutMs);
    }

    // Ends the client as a crash does: no release, its connection to the bus just drops.
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(ProgramUnderTest::TimeoutMs);
    }

    int exitCode() { return m_process.waitForFinished(ProgramUnderTest::TimeoutMs) ? m_process.exitCode() : -1; }
    void finish() { m_process.closeWriteChannel(); }

private:
    QProcess m_process;
};

// Calls a method with one out flag until the flag differs from whileValue (or the time is up);
// the last answer. A call that fails ends the polling.
inline QMap<QString, QString> pollWhile(ClientSession& client, const QString& method, const QString& flag,
                                        const QString& whileValue, int timeoutMs = 300000)
{
    QMap<QString, QString> answer;
    QElapsedTimer timer;
    timer.start();
    do {
        // A control program polls at intervals; a flood of calls would only crowd the server.
        QTest::qWait(10);
        answer = client.call(method, 1);
    } while (answer.value(QStringLiteral("result")) == QLatin1String("0") && answer.value(flag) == whileValue
             && timer.elapsed() < timeoutMs);
    return answer;
}

inline QStringList listOf(const QString& text)
{
    QString inner = text;
    inner.remove(0, 1).chop(1);
    return inner.split(QStringLiteral(", "), Qt::SkipEmptyParts);
}

} // namespace ClientSessions
