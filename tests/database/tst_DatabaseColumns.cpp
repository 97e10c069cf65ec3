// The column list a table describes itself with, on a record of every column kind.

#include "DatabaseTestSupport.h"

#include "DatabaseColumns.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <limits>

using namespace DatabaseTestSupport;

namespace {

struct Sample {
    qint32 Key;
    qint32 Parent;
    qint16 Small;
    qint32 Count;
    double Value;
    bool Flag;
    QDateTime When;
    QString Name;
    QString Code;
    QString Settings;
};

using Kind = DatabaseColumnKind;

constexpr DatabaseColumn<Sample> SampleColumns[] = {
    {Kind::Key, "Key", &Sample::Key},
    {Kind::ForeignKey, "Parent", &Sample::Parent},
    {Kind::Value, "Small", &Sample::Small},
    {Kind::Value, "Count", &Sample::Count},
    {Kind::Value, "Value", &Sample::Value},
    {Kind::Value, "Flag", &Sample::Flag},
    {Kind::Value, "When", &Sample::When},
    {Kind::Text, "Name", &Sample::Name},
    {Kind::IndexedText, "Code", &Sample::Code},
    {Kind::BoundText, "Settings", &Sample::Settings},
};
constexpr DatabaseColumns<Sample> Columns(SampleColumns);

// The schema's column types, as the shipped template gives them to each kind of value.
const QString SampleTable = QStringLiteral(
    "CREATE TABLE [Sample] ([Key] INTEGER PRIMARY KEY AUTOINCREMENT, [Parent] INTEGER NOT NULL, "
    "[Small] INTEGER NOT NULL, [Count] INTEGER NOT NULL, [Value] REAL NOT NULL, [Flag] INTEGER NOT NULL, "
    "[When] DATETIME NOT NULL, [Name] TEXT NOT NULL, [Code] TEXT NOT NULL, [Settings] BLOB)");

Sample sample(int which)
{
    Sample row;
    Columns.clear(row);
    row.Parent = 12;
    row.When = QDateTime(QDate(2016, 10, 17), QTime(9, 30, 5));
    switch (which) {
    case 0:
        row.Small = -1;
        row.Count = -70000;
        row.Value = 1.23456789;
        row.Flag = true;
        row.Name = QStringLiteral("it's 菌 'ü'");
        row.Code = QStringLiteral("A_1%");
        row.Settings = QStringLiteral("<Wert>Ω 🧫</Wert>");
        break;
    case 1:
        row.Value = 1234567.8;
        break;
    case 2:
        row.Value = -1.5e-7;
        row.Small = 32767;
        row.Name = QString(QLatin1String(""));
        row.Settings = QString(QLatin1String(""));
        break;
    }
    return row;
}

QVariantList fields(const Sample& row)
{
    return {row.Parent, int(row.Small), row.Count, row.Value, row.Flag, row.When, row.Name, row.Code, row.Settings};
}

QString names()
{
    QStringList list;
    for (const auto& column : Columns.written())
        list.append(QLatin1Char('[') + QLatin1String(column.name) + QLatin1Char(']'));
    return list.join(QLatin1Char(','));
}

} // namespace

class tst_DatabaseColumns : public QObject {
    Q_OBJECT
private slots:
    void clearGivesEachKindItsEmptyValue();
    void checkNamesTheFirstUnstorableColumn_data();
    void checkNamesTheFirstUnstorableColumn();
    void boundValuesStoreWhatTheLiteralsStore_data();
    void boundValuesStoreWhatTheLiteralsStore();
};

void tst_DatabaseColumns::clearGivesEachKindItsEmptyValue()
{
    Sample row{5, 6, 7, 8, 9.5, true, QDateTime(QDate(2000, 1, 1), QTime(0, 0)), QStringLiteral("n"), QStringLiteral("c"),
               QStringLiteral("s")};
    const QDateTime before = QDateTime::currentDateTime();
    Columns.clear(row);
    const QDateTime after = QDateTime::currentDateTime();
    // Keys are -1 (no row); a number that is no key is 0 whatever its width.
    QCOMPARE(row.Key, -1);
    QCOMPARE(row.Parent, -1);
    QCOMPARE(row.Small, qint16(0));
    QCOMPARE(row.Count, 0);
    QCOMPARE(row.Value, 0.0);
    QCOMPARE(row.Flag, false);
    QVERIFY(row.When >= before && row.When <= after);
    QVERIFY(row.Name.isNull());
    QVERIFY(row.Code.isNull());
    QVERIFY(row.Settings.isNull());
}

void tst_DatabaseColumns::checkNamesTheFirstUnstorableColumn_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("reason");
    QTest::newRow("storable") << 0 << "";
    QTest::newRow("not a number") << 1 << "Column Value: the number is not finite";
    QTest::newRow("infinite") << 2 << "Column Value: the number is not finite";
    QTest::newRow("invalid date") << 3 << "Column When: the date and time is not valid";
    QTest::newRow("indexed text over 255") << 4 << "Column Code: the text has 256 characters, at most 255 can be stored";
    QTest::newRow("other text of 256") << 5 << "";
    QTest::newRow("zero in a bound text") << 6 << "Column Settings: the text contains a zero character";
    QTest::newRow("two faults: column order") << 7 << "Column Value: the number is not finite";
}

void tst_DatabaseColumns::checkNamesTheFirstUnstorableColumn()
{
    QFETCH(int, fault);
    QFETCH(QString, reason);
    Sample row = sample(0);
    switch (fault) {
    case 1: row.Value = std::numeric_limits<double>::quiet_NaN(); break;
    case 2: row.Value = -std::numeric_limits<double>::infinity(); break;
    case 3: row.When = QDateTime(); break;
    case 4: row.Code = QString(256, QLatin1Char('c')); break;
    case 5: row.Name = QString(256, QLatin1Char('n')); break;
    case 6: row.Settings = QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b"); break;
    case 7:
        row.Name = QStringLiteral("a") + QChar(u'\0');
        row.Value = std::numeric_limits<double>::quiet_NaN();
        break;
    }
    QCOMPARE(Columns.check(row), reason);
}

// A table that inserts with a prepared statement (the colonies of a result) must store what
// its literal statement stores: the same values, of the same storage type.
void tst_DatabaseColumns::boundValuesStoreWhatTheLiteralsStore_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("six digits, negative numbers, unicode texts") << 0;
    QTest::newRow("exponent notation, null texts") << 1;
    QTest::newRow("small exponent, empty texts") << 2;
}

void tst_DatabaseColumns::boundValuesStoreWhatTheLiteralsStore()
{
    QFETCH(int, which);
    const Sample row = sample(which);
    const QString connection = QStringLiteral("columns-%1").arg(which);
    {
        QSqlDatabase sql = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        sql.setDatabaseName(QStringLiteral(":memory:"));
        QVERIFY(sql.open());
        QSqlQuery query(sql);
        QVERIFY(query.exec(SampleTable));
        SeamDatabase dialect(nullptr, QStringLiteral("columns-dialect"), nullptr);
        dialect.setTextDialect(Database::KindSQLite3);

        const QString insert = QStringLiteral("INSERT INTO [Sample] (") + names() + QStringLiteral(") VALUES (");
        QVERIFY(query.prepare(insert + Columns.literals(dialect, row).join(QLatin1Char(',')) + QLatin1Char(')')));
        const QStringList bound = Columns.boundTexts(row);
        for (int i = 0; i < bound.size(); ++i)
            query.bindValue(i, QVariant(bound.at(i).toUtf8()));
        QVERIFY2(query.exec(), qPrintable(query.lastError().text()));

        QVERIFY(query.prepare(insert + QStringList(Columns.written().size(), QStringLiteral("?")).join(QLatin1Char(','))
                              + QLatin1Char(')')));
        Columns.bind(query, dialect, row);
        QVERIFY2(query.exec(), qPrintable(query.lastError().text()));

        QVERIFY(query.exec(QStringLiteral("SELECT [Key],") + names() + QStringLiteral(" FROM [Sample] ORDER BY [Key]")));
        Sample literal;
        Sample prepared;
        DatabaseTableSupport::DateTimeReader dates;
        QVERIFY(query.next());
        Columns.read(query, literal, dates);
        QVERIFY(query.next());
        Columns.read(query, prepared, dates);
        QCOMPARE(fields(prepared), fields(literal));
        QCOMPARE(literal.When, row.When);
        QCOMPARE(literal.Name, row.Name);
        QCOMPARE(literal.Settings, row.Settings);

        QStringList types;
        for (const auto& column : Columns.written())
            types.append(QStringLiteral("typeof([%1])").arg(QLatin1String(column.name)));
        QVERIFY(query.exec(QStringLiteral("SELECT ") + types.join(QLatin1Char(',')) + QStringLiteral(" FROM [Sample] ORDER BY [Key]")));
        QVERIFY(query.next());
        QStringList literalTypes;
        for (int i = 0; i < types.size(); ++i)
            literalTypes.append(query.value(i).toString());
        QVERIFY(query.next());
        for (int i = 0; i < types.size(); ++i)
            QCOMPARE(query.value(i).toString(), literalTypes.at(i));
    }
    QSqlDatabase::removeDatabase(connection);
}

QTEST_GUILESS_MAIN(tst_DatabaseColumns)
#include "tst_DatabaseColumns.moc"
