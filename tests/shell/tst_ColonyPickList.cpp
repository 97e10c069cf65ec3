#include "ColonyPickList.h"
#include "InstrumentSettings.h"
#include "ShellRackFixture.h"

#include <QtTest>

#include <limits>

using namespace ShellRackFixture;

namespace {

// Per channel "container:Y" or "0" for a channel without colony, blank-separated.
QString assignmentText(const ColonyPickList::HandOut& out)
{
    QStringList channels;
    for (qsizetype i = 0; i < out.colonyIds.size(); ++i) {
        if (out.colonyIds.at(i).toInt() == -1)
            channels.append(QStringLiteral("0"));
        else
            channels.append(QStringLiteral("%1:%2").arg(out.channelToContainer.at(i).toInt()).arg(out.positionY_mm.at(i).toDouble()));
    }
    return channels.join(QLatin1Char(' '));
}

QVariantList maxima(const QList<int>& values)
{
    QVariantList list;
    for (const int value : values)
        list.append(value);
    return list;
}

} // namespace

class tst_ColonyPickList : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void assignment_data();
    void assignment();
    void positionsCorrectedByTheServedChannelsOffsets();
    void equalPlacesKeepTheirOrder();
    void maximaThatCountAsZero_data();
    void maximaThatCountAsZero();
    void refusedArguments_data();
    void refusedArguments();
    void refusedArgumentsKeepTheHandOut();
    void sameArgumentsAnswerWithoutTheDatabase();
    void resetReadsTheDatabaseAgain();
    void changedArgumentsStartAfresh_data();
    void changedArgumentsStartAfresh();
    void failedRebuild_data();
    void failedRebuild();

private:
    Errors::Type_Error call(Database::ID rack, const QVariantList& maxima, int sortMode, const QString& pattern);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DatabaseTestSupport::OpenDatabase> m_db;
    std::unique_ptr<InstrumentSettings> m_offsets;
    ColonyPickList m_list;
    ColonyPickList::HandOut m_out;
};

void tst_ColonyPickList::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = DatabaseTestSupport::createDatabase(*m_dir);
    QCOMPARE(int(m_db->createResult), 0);
    m_offsets = std::make_unique<InstrumentSettings>();
    m_list.reset();
    m_out = ColonyPickList::HandOut();
}

void tst_ColonyPickList::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

Errors::Type_Error tst_ColonyPickList::call(Database::ID rack, const QVariantList& maxima, int sortMode,
                                            const QString& pattern)
{
    return m_list.retrieve(m_db->holder.get(), *m_offsets, rack, maxima, sortMode, pattern, m_out);
}

void tst_ColonyPickList::assignment_data()
{
    QTest::addColumn<RackSpec>("rack");
    QTest::addColumn<QList<int>>("maximum");
    QTest::addColumn<int>("sortMode");
    QTest::addColumn<QStringList>("patterns");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("total");

    const RackSpec one = {{1, 0, coloniesAtY({10, 15, 30, 35})}};
    QTest::newRow("spacing skips a close colony, the next call gets it")
        << one << QList<int>{4} << 0 << QStringList{"1011", "1011", "1011"}
        << QStringList{"1:10 0 1:30 1:35", "1:15 0 0 0", "0 0 0 0"} << 4;
    QTest::newRow("too few spaced colonies: the last ones serve the rest")
        << RackSpec{{1, 0, coloniesAtY({10, 15, 18, 40})}} << QList<int>{4} << 0 << QStringList{"1111"}
        << QStringList{"1:10 1:15 1:18 1:40"} << 4;
    QTest::newRow("no colony far enough: the next ones in Y")
        << RackSpec{{1, 0, coloniesAtY({10, 12, 14, 16})}} << QList<int>{4} << 0 << QStringList{"11", "11"}
        << QStringList{"1:10 1:12", "1:14 1:16"} << 4;
    // Database order: pick order ascending, the positions say nothing.
    const RackSpec unordered = {{1, 0, {{0, 30, 1}, {0, 10, 2}, {0, 20, 3}}}};
    QTest::newRow("sort mode 1 keeps the database order, no spacing")
        << unordered << QList<int>{3} << 1 << QStringList{"111"} << QStringList{"1:30 1:10 1:20"} << 3;
    QTest::newRow("maximum takes the first of the database order, then by Y")
        << unordered << QList<int>{2} << 0 << QStringList{"111"} << QStringList{"1:10 1:30 0"} << 2;
    QTest::newRow("equal pick order: the higher score first")
        << RackSpec{{1, 0, {{0, 10, 1, true, false, 20.0}, {0, 20, 1, true, false, 80.0}}}} << QList<int>{2} << 1
        << QStringList{"11"} << QStringList{"1:20 1:10"} << 2;
    QTest::newRow("rejected and excluded colonies are not handed out")
        << RackSpec{{1, 0, {{0, 10, 1, false}, {0, 20, 2, true, true}, {0, 30, 3}}}} << QList<int>{5} << 0
        << QStringList{"111"} << QStringList{"1:30 0 0"} << 1;
    const RackSpec two = {{1, 2, coloniesAtY({5})}, {2, 1, coloniesAtY({7, 50})}};
    QTest::newRow("containers in their pick order, one call mixes them")
        << two << QList<int>{5, 5} << 0 << QStringList{"111"} << QStringList{"2:7 2:50 1:5"} << 3;
    QTest::newRow("a container is served only after the earlier ones are empty")
        << two << QList<int>{5, 5} << 0 << QStringList{"1", "1", "1", "1"} << QStringList{"2:7", "2:50", "1:5", "0"}
        << 3;
    QTest::newRow("maximum 0 leaves the container out")
        << two << QList<int>{0, 5} << 0 << QStringList{"111"} << QStringList{"2:7 2:50 0"} << 2;
    QTest::newRow("fewer maxima than containers: only those containers")
        << RackSpec{{1, 0, coloniesAtY({5})}, {2, 0, coloniesAtY({9})}} << QList<int>{5} << 0 << QStringList{"11"}
        << QStringList{"1:5 0"} << 1;
    QTest::newRow("16 channels")
        << RackSpec{{1, 0, coloniesAtY({0, 20, 40, 60, 80, 100, 120, 140, 160, 180})}, {2, 1, coloniesAtY({3, 33, 63, 93, 123, 153, 183})}}
        << QList<int>{10, 10} << 0 << QStringList{"1111111111111111", "1111111111111111"}
        << QStringList{"1:0 1:20 1:40 1:60 1:80 1:100 1:120 1:140 1:160 1:180 2:3 2:33 2:63 2:93 2:123 2:153",
                       "2:183 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"}
        << 17;
    QTest::newRow("no ready channel hands out nothing")
        << one << QList<int>{4} << 0 << QStringList{"0000000000000000", "1"}
        << QStringList{"0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0", "1:10"} << 4;
    QTest::newRow("empty pattern") << one << QList<int>{3} << 0 << QStringList{""} << QStringList{""} << 3;
    QTest::newRow("empty maximum list") << one << QList<int>{} << 0 << QStringList{"11"} << QStringList{"0 0"} << 0;
}

void tst_ColonyPickList::assignment()
{
    QFETCH(RackSpec, rack);
    QFETCH(QList<int>, maximum);
    QFETCH(int, sortMode);
    QFETCH(QStringList, patterns);
    QFETCH(QStringList, expected);
    QFETCH(int, total);

    const StoredRack stored = storeRack(*m_db->holder, rack);
    QVERIFY(stored.rackId > 0);
    for (qsizetype i = 0; i < patterns.size(); ++i) {
        QCOMPARE(int(call(stored.rackId, maxima(maximum), sortMode, patterns.at(i))), 0);
        QCOMPARE(assignmentText(m_out), expected.at(i));
        QCOMPARE(m_out.totalNumberOfColonies, total);
        QCOMPARE(m_out.usedNumberOfColonies, int(expected.at(i).count(QLatin1Char(':'))));
        QString used;
        for (const QVariant& id : m_out.colonyIds)
            used.append(id.toInt() == -1 ? QLatin1Char('0') : QLatin1Char('1'));
        QCOMPARE(m_out.usedChannelPattern, used);
        QCOMPARE(m_out.positionX_mm.size(), patterns.at(i).size());
    }
}

void tst_ColonyPickList::positionsCorrectedByTheServedChannelsOffsets()
{
    const StoredRack stored = storeRack(*m_db->holder, {{1, 0, {{10.0, 20.0, 1}, {11.0, 40.0, 2}}}});
    for (int channel = 1; channel <= InstrumentSettings::ChannelCount; ++channel) {
        m_offsets->channelOffsetX_mm[channel - 1] = 0.5 * channel;
        m_offsets->channelOffsetY_mm[channel - 1] = -0.25 * channel;
    }
    QCOMPARE(int(call(stored.rackId, maxima({2}), 0, QStringLiteral("0101"))), 0);
    QCOMPARE(m_out.usedChannelPattern, QStringLiteral("0101"));
    QCOMPARE(m_out.colonyIds, (QVariantList{-1, stored.colonyIds[0][0], -1, stored.colonyIds[0][1]}));
    QCOMPARE(m_out.channelToContainer, (QVariantList{0, 1, 0, 1}));
    QCOMPARE(m_out.positionX_mm, (QVariantList{0.0, 10.0 - 1.0, 0.0, 11.0 - 2.0}));
    QCOMPARE(m_out.positionY_mm, (QVariantList{0.0, 20.0 + 0.5, 0.0, 40.0 + 1.0}));
}

void tst_ColonyPickList::equalPlacesKeepTheirOrder()
{
    // Forty colonies on one line and twenty containers of one pick order (enough for a
    // quicksort to reorder them): the database's order and the maximum list's order decide.
    QList<ColonySpec> line;
    for (int i = 1; i <= 40; ++i)
        line.append({double(i), 10.0, i});
    RackSpec rack{{1, 0, line}};
    QVariantList maximum{40};
    for (int number = 2; number <= 21; ++number) {
        rack.append({number, 5, coloniesAtY({double(number)})});
        maximum.append(1);
    }
    const StoredRack stored = storeRack(*m_db->holder, rack);
    QList<double> xs;
    QList<int> containers;
    for (int run = 0; run < 4; ++run) {
        QCOMPARE(int(call(stored.rackId, maximum, 0, QString(16, QLatin1Char('1')))), 0);
        for (qsizetype channel = 0; channel < m_out.colonyIds.size(); ++channel) {
            if (m_out.colonyIds.at(channel).toInt() == -1)
                continue;
            xs.append(m_out.positionX_mm.at(channel).toDouble());
            containers.append(m_out.channelToContainer.at(channel).toInt());
        }
    }
    QList<double> expectedXs;
    QList<int> expectedContainers;
    for (int i = 1; i <= 40; ++i) {
        expectedXs.append(i);
        expectedContainers.append(1);
    }
    for (int number = 2; number <= 21; ++number) {
        expectedXs.append(100.0 + number);
        expectedContainers.append(number);
    }
    QCOMPARE(xs, expectedXs);
    QCOMPARE(containers, expectedContainers);
}

void tst_ColonyPickList::maximaThatCountAsZero_data()
{
    QTest::addColumn<QVariantList>("maximum");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("total");
    QTest::newRow("negative") << QVariantList{-1, 5} << "2:7 2:50 0" << 2;
    QTest::newRow("most negative") << QVariantList{std::numeric_limits<int>::min(), 5} << "2:7 2:50 0" << 2;
    QTest::newRow("no number") << QVariantList{QStringLiteral("two"), 5} << "2:7 2:50 0" << 2;
    QTest::newRow("empty variant") << QVariantList{QVariant(), 5} << "2:7 2:50 0" << 2;
    QTest::newRow("beyond int") << QVariantList{1e12, 5} << "2:7 2:50 0" << 2;
    QTest::newRow("number as text still counts") << QVariantList{QStringLiteral("1"), -3} << "1:5 0 0" << 1;
}

// A maximum that is negative or no number reads nothing for its container and leaves the
// total as the others make it; the same list continues the hand-out.
void tst_ColonyPickList::maximaThatCountAsZero()
{
    QFETCH(QVariantList, maximum);
    QFETCH(QString, expected);
    QFETCH(int, total);
    const StoredRack stored = storeRack(*m_db->holder, {{1, 2, coloniesAtY({5})}, {2, 1, coloniesAtY({7, 50})}});
    QCOMPARE(int(call(stored.rackId, maximum, 0, QStringLiteral("111"))), 0);
    QCOMPARE(assignmentText(m_out), expected);
    QCOMPARE(m_out.totalNumberOfColonies, total);
    QCOMPARE(int(call(stored.rackId, maximum, 0, QStringLiteral("111"))), 0);
    QCOMPARE(m_out.usedNumberOfColonies, 0);
    QCOMPARE(m_out.totalNumberOfColonies, total);
    // The container is still looked up: a list naming one the rack lacks is refused.
    maximum.append(-1);
    QCOMPARE(int(call(stored.rackId, maximum, 0, QStringLiteral("1"))), 122);
}

void tst_ColonyPickList::refusedArguments_data()
{
    QTest::addColumn<int>("sortMode");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QVariantList>("maximum");
    QTest::addColumn<int>("code");
    const QVariantList good{2};
    QTest::newRow("sort mode 2 before the pattern") << 2 << QStringLiteral("1x") << good << 104;
    QTest::newRow("sort mode -1") << -1 << QStringLiteral("1") << good << 104;
    QTest::newRow("17 characters") << 0 << QString(17, QLatin1Char('1')) << good << 104;
    QTest::newRow("17 characters, also others") << 0 << QStringLiteral("1111111111111111x") << good << 104;
    QTest::newRow("other character") << 0 << QStringLiteral("1x") << good << 106;
    QTest::newRow("blank") << 1 << QStringLiteral("1 1") << good << 106;
}

void tst_ColonyPickList::refusedArguments()
{
    QFETCH(int, sortMode);
    QFETCH(QString, pattern);
    QFETCH(QVariantList, maximum);
    QFETCH(int, code);
    const StoredRack stored = storeRack(*m_db->holder, {{1, 0, coloniesAtY({10, 30})}});
    QCOMPARE(int(call(stored.rackId, maximum, sortMode, pattern)), code);
    QVERIFY(m_out.usedChannelPattern.isEmpty());
    QVERIFY(m_out.colonyIds.isEmpty());
    QVERIFY(m_out.channelToContainer.isEmpty());
    QVERIFY(m_out.positionX_mm.isEmpty());
    QVERIFY(m_out.positionY_mm.isEmpty());
    QCOMPARE(m_out.usedNumberOfColonies, 0);
    QCOMPARE(m_out.totalNumberOfColonies, 0);
    QCOMPARE(m_list.rackId(), -1);
}

void tst_ColonyPickList::refusedArgumentsKeepTheHandOut()
{
    const StoredRack stored = storeRack(*m_db->holder, {{1, 0, coloniesAtY({10, 30, 50})}});
    QCOMPARE(int(call(stored.rackId, maxima({3}), 0, QStringLiteral("1"))), 0);
    QCOMPARE(int(call(stored.rackId, maxima({3}), 0, QStringLiteral("1y"))), 106);
    QCOMPARE(int(call(stored.rackId, maxima({3}), 2, QStringLiteral("1"))), 104);
    QCOMPARE(int(call(stored.rackId, maxima({3}), 0, QStringLiteral("11"))), 0);
    QCOMPARE(assignmentText(m_out), QStringLiteral("1:30 1:50"));
}

void tst_ColonyPickList::sameArgumentsAnswerWithoutTheDatabase()
{
    const StoredRack stored = storeRack(*m_db->holder, {{1, 0, coloniesAtY({10, 30, 50})}});
    QCOMPARE(int(call(stored.rackId, maxima({3}), 0, QStringLiteral("1"))), 0);
    m_db->holder->database()->close();
    // Equal by variant comparison: a double maximum is the same list.
    QCOMPARE(int(call(stored.rackId, QVariantList{3.0}, 0, QStringLiteral("11"))), 0);
    QCOMPARE(assignmentText(m_out), QStringLiteral("1:30 1:50"));
    QCOMPARE(m_out.totalNumberOfColonies, 3);
}

void tst_ColonyPickList::resetReadsTheDatabaseAgain()
{
    const StoredRack stored = storeRack(*m_db->holder, {{1, 0, coloniesAtY({10, 30, 50})}});
    QCOMPARE(int(call(stored.rackId, maxima({3}), 0, QStringLiteral("11"))), 0);
    // A colony edited after the first call: without the reset it would not be seen.
    DatabaseTableZelvorinColony::Dataset edited;
    QCOMPARE(int(m_db->holder->tableColony()->Select(stored.colonyIds[0][2], edited)), 0);
    edited.IsExcluded = true;
    QCOMPARE(int(m_db->holder->tableColony()->Update(edited)), 0);

    m_list.reset();
    QCOMPARE(m_list.rackId(), -1);
    QVERIFY(m_list.groups().isEmpty());
    QCOMPARE(int(call(stored.rackId, maxima({3}), 0, QStringLiteral("111"))), 0);
    QCOMPARE(assignmentText(m_out), QStringLiteral("1:10 1:30 0"));
    QCOMPARE(m_out.totalNumberOfColonies, 2);

    m_list.reset();
    m_db->holder->database()->close();
    QCOMPARE(int(call(stored.rackId, maxima({3}), 0, QStringLiteral("1"))), 84);
}

void tst_ColonyPickList::changedArgumentsStartAfresh_data()
{
    QTest::addColumn<QVariantList>("secondMaximum");
    QTest::addColumn<int>("secondSortMode");
    QTest::addColumn<bool>("otherRack");
    QTest::addColumn<QString>("expected");
    QTest::newRow("same arguments continue") << QVariantList{3} << 0 << false << "1:30";
    QTest::newRow("other maximum") << QVariantList{2} << 0 << false << "1:10";
    QTest::newRow("longer maximum list") << QVariantList{3, 0} << 0 << false << "1:10";
    QTest::newRow("other sort mode") << QVariantList{3} << 1 << false << "1:50";
    QTest::newRow("other rack") << QVariantList{3} << 0 << true << "1:70";
}

void tst_ColonyPickList::changedArgumentsStartAfresh()
{
    QFETCH(QVariantList, secondMaximum);
    QFETCH(int, secondSortMode);
    QFETCH(bool, otherRack);
    QFETCH(QString, expected);
    const StoredRack first = storeRack(*m_db->holder, {{1, 0, {{0, 50, 1}, {0, 10, 2}, {0, 30, 3}}}, {2, 1, {}}});
    const StoredRack second = storeRack(*m_db->holder, {{1, 0, coloniesAtY({70})}}, QStringLiteral("R2"));
    QCOMPARE(int(call(first.rackId, maxima({3}), 0, QStringLiteral("1"))), 0);
    QCOMPARE(assignmentText(m_out), QStringLiteral("1:10"));
    QCOMPARE(int(call(otherRack ? second.rackId : first.rackId, secondMaximum, secondSortMode, QStringLiteral("1"))), 0);
    QCOMPARE(assignmentText(m_out), expected);
}

void tst_ColonyPickList::failedRebuild_data()
{
    QTest::addColumn<QVariantList>("maximum");
    QTest::addColumn<bool>("missingRack");
    QTest::addColumn<int>("code");
    QTest::newRow("more maxima than containers") << QVariantList{1, 1, 1} << false << 122;
    QTest::newRow("container number twice") << QVariantList{1, 1} << false << 122;
    QTest::newRow("rack that does not exist") << QVariantList{1} << true << 87;
}

void tst_ColonyPickList::failedRebuild()
{
    QFETCH(QVariantList, maximum);
    QFETCH(bool, missingRack);
    QFETCH(int, code);
    // Container 2 is stored twice: a damaged rack.
    const StoredRack stored =
        storeRack(*m_db->holder, {{1, 0, coloniesAtY({10})}, {2, 1, coloniesAtY({20})}, {2, 2, coloniesAtY({30})}});
    QCOMPARE(int(call(stored.rackId, maxima({1}), 0, QStringLiteral("1"))), 0);

    QCOMPARE(int(call(missingRack ? stored.rackId + 100 : stored.rackId, maximum, 0, QStringLiteral("101"))), code);
    QCOMPARE(m_out.usedChannelPattern, QStringLiteral("000"));
    QCOMPARE(m_out.colonyIds, (QVariantList{-1, -1, -1}));
    QCOMPARE(m_out.channelToContainer, (QVariantList{0, 0, 0}));
    QCOMPARE(m_out.positionY_mm, (QVariantList{0.0, 0.0, 0.0}));
    QCOMPARE(m_out.usedNumberOfColonies, 0);
    QCOMPARE(m_out.totalNumberOfColonies, 0);
    QCOMPARE(m_list.rackId(), -1);
    QVERIFY(m_list.groups().isEmpty());
    QVERIFY(m_list.maxColoniesPerContainer().isEmpty());
    QCOMPARE(m_list.totalCount(), 0);
    // The next call with the first arguments rebuilds and starts from the beginning.
    QCOMPARE(int(call(stored.rackId, maxima({1}), 0, QStringLiteral("1"))), 0);
    QCOMPARE(assignmentText(m_out), QStringLiteral("1:10"));
}

QTEST_GUILESS_MAIN(tst_ColonyPickList)
#include "tst_ColonyPickList.moc"
