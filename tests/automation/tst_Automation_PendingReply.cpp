#include "Automation_BusNames.h"
#include "Automation_PendingReply.h"
#include "PrivateSessionBus.h"

#include <QDBusArgument>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QMetaMethod>
#include <QtTest>

#include <memory>

namespace {

// Keeps the reply of every call of Take, to be answered by the test.
class Replier : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    std::unique_ptr<Automation_PendingReply> kept;

public slots:
    int Take(int value, QString& text, QVariantList& list)
    {
        Q_UNUSED(value);
        text = QStringLiteral("not this");
        list.clear();
        kept = std::make_unique<Automation_PendingReply>(this, static_cast<QDBusContext&>(*this));
        return -1;
    }
};

} // namespace

// A reply kept past its method's return: it carries the method's out arguments with their
// types, is sent once, and a reply dropped unanswered still tells the client.
class tst_Automation_PendingReply : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void outTypesFollowTheMethod();
    void answerTakesTheMethodsTypesOnce();
    void answerThatDoesNotFitIsAnError_data();
    void answerThatDoesNotFitIsAnError();
    void droppedReplyAnswersAnError();

private:
    QDBusPendingCall take();

    PrivateSessionBus m_bus;
    QDBusConnection m_server{QString()};
    QDBusConnection m_client{QString()};
    Replier m_replier;
    int m_serial = 0;
};

void tst_Automation_PendingReply::initTestCase()
{
    QVERIFY2(m_bus.start(), qPrintable(m_bus.error()));
}

void tst_Automation_PendingReply::init()
{
    const QString serial = QString::number(++m_serial);
    m_server = m_bus.connect(QStringLiteral("server") + serial);
    m_client = m_bus.connect(QStringLiteral("client") + serial);
    QVERIFY(m_server.registerObject(QStringLiteral("/replier"), &m_replier, QDBusConnection::ExportAllSlots));
}

void tst_Automation_PendingReply::cleanup()
{
    m_replier.kept.reset();
    m_server.unregisterObject(QStringLiteral("/replier"));
    QDBusConnection::disconnectFromBus(m_server.name());
    QDBusConnection::disconnectFromBus(m_client.name());
}

QDBusPendingCall tst_Automation_PendingReply::take()
{
    QDBusMessage message = QDBusMessage::createMethodCall(m_server.baseService(), QStringLiteral("/replier"), QString(),
                                                          QStringLiteral("Take"));
    message << 1;
    return m_client.asyncCall(message, 30000);
}

void tst_Automation_PendingReply::outTypesFollowTheMethod()
{
    const QMetaObject& meta = Replier::staticMetaObject;
    const QMetaMethod method = meta.method(meta.indexOfMethod("Take(int,QString&,QVariantList&)"));
    QVERIFY(method.isValid());
    QCOMPARE(Automation_PendingReply::outTypes(method),
             (QList<QMetaType>{QMetaType::fromType<int>(), QMetaType::fromType<QString>(),
                               QMetaType::fromType<QVariantList>()}));
}

void tst_Automation_PendingReply::answerTakesTheMethodsTypesOnce()
{
    const QDBusPendingCall pending = take();
    QTRY_VERIFY(m_replier.kept);
    // The method's own return went nowhere: the bus waits for the kept reply.
    QCoreApplication::processEvents();
    QVERIFY(!pending.isFinished());

    // A wider integer is brought to the method's int.
    const QVariantList list{1, QStringLiteral("a")};
    QVERIFY(m_replier.kept->answer({QVariant(qint64(7)), QStringLiteral("done"), list}));
    QVERIFY(m_replier.kept->isAnswered());
    QVERIFY(!m_replier.kept->answer({8, QStringLiteral("again"), QVariantList{}}));
    QTRY_VERIFY(pending.isFinished());
    const QDBusMessage reply = pending.reply();
    QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    QCOMPARE(reply.signature(), QStringLiteral("isav"));
    QCOMPARE(reply.arguments().at(0).toInt(), 7);
    QCOMPARE(reply.arguments().at(1).toString(), QStringLiteral("done"));
    QCOMPARE(qdbus_cast<QVariantList>(reply.arguments().at(2)), (QVariantList{1, QStringLiteral("a")}));
}

void tst_Automation_PendingReply::answerThatDoesNotFitIsAnError_data()
{
    QTest::addColumn<QVariantList>("outputs");
    QTest::newRow("too few") << QVariantList{0, QStringLiteral("x")};
    QTest::newRow("no number") << QVariantList{QStringLiteral("seven"), QStringLiteral("x"), QVariantList{}};
}

void tst_Automation_PendingReply::answerThatDoesNotFitIsAnError()
{
    QFETCH(QVariantList, outputs);
    const QDBusPendingCall pending = take();
    QTRY_VERIFY(m_replier.kept);
    QVERIFY(!m_replier.kept->answer(outputs));
    QVERIFY(m_replier.kept->isAnswered());
    QTRY_VERIFY(pending.isFinished());
    QVERIFY(pending.isError());
}

void tst_Automation_PendingReply::droppedReplyAnswersAnError()
{
    const QDBusPendingCall pending = take();
    QTRY_VERIFY(m_replier.kept);
    m_replier.kept.reset();
    QTRY_VERIFY(pending.isFinished());
    QCOMPARE(pending.error().name(), Automation_BusNames::errorNotAnswered());
}

QTEST_GUILESS_MAIN(tst_Automation_PendingReply)
#include "tst_Automation_PendingReply.moc"
