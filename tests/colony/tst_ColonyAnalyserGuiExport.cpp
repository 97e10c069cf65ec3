// Colony results export: options, quoting, held and stored racks, refusals and failed writes.

#include "ColonyAnalyserGui.h"
#include "ColonyAnalyserGuiFixture.h"
#include "ColonyResultExport.h"
#include "Errors.h"
#include "FilePlacingRecorder.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtTest>

using namespace ColonyAnalyserGuiFixture;

namespace {

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

// Refuses the write with the given number (counting from 1).
class FailingExport : public ColonyResultExport {
public:
    FailingExport(const QString& fileName, int failAt) : ColonyResultExport(fileName, QString(), false), m_failAt(failAt) {}

protected:
    bool writeBytes(const QByteArray& bytes) override
    {
        if (++m_writes == m_failAt)
            return false;
        return ColonyResultExport::writeBytes(bytes);
    }

private:
    int m_failAt;
    int m_writes = 0;
};

} // namespace

class tst_ColonyAnalyserGuiExport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void options_data();
    void options();
    void quoting_data();
    void quoting();
    void heldResult();
    void storedRackMatchesHeld();
    void colourColumns();
    void refusals();
    void refusedWhileAnalysing();
    void failedWriteLeavesNoPartialFile_data();
    void failedWriteLeavesNoPartialFile();
};

void tst_ColonyAnalyserGuiExport::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void tst_ColonyAnalyserGuiExport::options_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("delimiter");
    QTest::newRow("empty") << QString() << 0 << QStringLiteral(";");
    QTest::newRow("lower case, joined") << QStringLiteral("isgoodcolony=1+tabdelimited") << 2 << QStringLiteral("\t");
    QTest::newRow("tab before comma") << QStringLiteral("Delimited(,) TabDelimited") << 0 << QStringLiteral("\t");
    QTest::newRow("comma") << QStringLiteral("Delimited(,)") << 0 << QStringLiteral(",");
    QTest::newRow("both filters") << QStringLiteral("IsGoodColony=1 IsGoodColony=0") << 1 << QStringLiteral(";");
    QTest::newRow("unknown") << QStringLiteral("Delimited(|)") << 0 << QStringLiteral(";");
}

void tst_ColonyAnalyserGuiExport::options()
{
    QFETCH(QString, options);
    QFETCH(int, filter);
    QFETCH(QString, delimiter);
    const ColonyResultExport writer(QStringLiteral("unused.csv"), options, false);
    QCOMPARE(writer.filter(), filter);
    QCOMPARE(QString(writer.delimiter()), delimiter);
}

void tst_ColonyAnalyserGuiExport::quoting_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QStringLiteral("A1") << QStringLiteral(";") << QStringLiteral("A1");
    QTest::newRow("delimiter") << QStringLiteral("A;1") << QStringLiteral(";") << QStringLiteral("\"A;1\"");
    QTest::newRow("other delimiter") << QStringLiteral("A;1") << QStringLiteral(",") << QStringLiteral("A;1");
    QTest::newRow("tab") << QStringLiteral("A\t1") << QStringLiteral("\t") << QStringLiteral("\"A\t1\"");
    QTest::newRow("quote") << QStringLiteral("A\"1") << QStringLiteral(";") << QStringLiteral("\"A\"\"1\"");
    QTest::newRow("line feed") << QStringLiteral("A\n1") << QStringLiteral(";") << QStringLiteral("\"A\n1\"");
    QTest::newRow("carriage return") << QStringLiteral("A\r1") << QStringLiteral(";") << QStringLiteral("\"A\r1\"");
}

void tst_ColonyAnalyserGuiExport::quoting()
{
    QFETCH(QString, field);
    QFETCH(QString, delimiter);
    QFETCH(QString, expected);
    QCOMPARE(ColonyResultExport::quoteField(field, delimiter.at(0)), expected);
}

void tst_ColonyAnalyserGuiExport::heldResult()
{
    Page p;
    reportRack(*p.page);
    const QString path = p.dir.filePath(QStringLiteral("Colony Positions.csv"));
    {
        // Synced before it takes the name, and the folder after, through the one writer.
        FilePlacingRecorder placing;
        QCOMPARE(p.page->ExportColonyResultsCurrentRack(path, QString()), Errors::Type_Error(0));
        const QString fault = placing.faultPlacing(path);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
    const QStringList lines = readLines(path);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines.at(0).split(QLatin1Char(';')).size(), 22);
    QVERIFY(lines.at(0).startsWith(QStringLiteral("Well Number;Well Name;IsGoodColony;X (px)")));
    // Good first by falling total, then the rejected one; containers in report order.
    QVERIFY(lines.at(1).startsWith(QStringLiteral("1;A1;1;30;40;3;4;")));
    QVERIFY(lines.at(2).startsWith(QStringLiteral("1;A1;1;60;")));
    QVERIFY(lines.at(3).startsWith(QStringLiteral("1;A1;0;45;")));
    QVERIFY(lines.at(4).startsWith(QStringLiteral("2;\"A;2\"\"x\";1;130;")));
    QCOMPARE(lines.at(1).split(QLatin1Char(';')).at(15), QStringLiteral("95.5"));

    QCOMPARE(p.page->ExportColonyResults(-1, path, QStringLiteral("IsGoodColony=0 Delimited(,)")), Errors::Type_Error(0));
    const QStringList rejected = readLines(path);
    QCOMPARE(rejected.size(), 2);
    QVERIFY(rejected.at(1).startsWith(QStringLiteral("1,A1,0,45,70,")));
}

void tst_ColonyAnalyserGuiExport::storedRackMatchesHeld()
{
    Page p;
    reportRack(*p.page);
    int rackId = -1;
    QCOMPARE(p.page->SaveResult(false, QStringLiteral("BC"), QString(), -1, rackId), Errors::Type_Error(0));
    const QString held = p.dir.filePath(QStringLiteral("held.csv"));
    QCOMPARE(p.page->ExportColonyResults(rackId, held, QString()), Errors::Type_Error(0));
    QCOMPARE(p.page->Reset(), Errors::Type_Error(0));
    QCOMPARE(p.page->rack().row.RackID, Database::ID(-1));
    const QString stored = p.dir.filePath(QStringLiteral("stored.csv"));
    QCOMPARE(p.page->ExportColonyResults(rackId, stored, QString()), Errors::Type_Error(0));
    QStringList a = readLines(held);
    QStringList b = readLines(stored);
    QCOMPARE(a.size(), 5);
    a.sort();
    b.sort();
    QCOMPARE(b, a);
}

void tst_ColonyAnalyserGuiExport::colourColumns()
{
    ColonySettingsData settings = ColonySettingsData::standardDefaults();
    settings.ColorModel = ColonySettingsData::ColorModelRgb;
    Page p(settings);
    reportRack(*p.page);
    const QString path = p.dir.filePath(QStringLiteral("colour.csv"));
    QCOMPARE(p.page->ExportColonyResults(-1, path, QStringLiteral("TabDelimited")), Errors::Type_Error(0));
    const QStringList lines = readLines(path);
    QCOMPARE(lines.at(0).split(QLatin1Char('\t')).size(), 28);
    QCOMPARE(lines.at(1).split(QLatin1Char('\t')).size(), 28);
    QVERIFY(lines.at(0).endsWith(QStringLiteral("Red\tGreen\tBlue\tHue\tSaturation\tIntensity")));
}

void tst_ColonyAnalyserGuiExport::refusals()
{
    Page p;
    const QString path = p.dir.filePath(QStringLiteral("none.csv"));
    QCOMPARE(p.page->ExportColonyResults(4711, path, QString()), ColonyAnalyserGui::ErrorRackNotFound);
    QVERIFY(!QFileInfo::exists(path));
    reportRack(*p.page);
    const QString missing = p.dir.filePath(QStringLiteral("missing/none.csv"));
    QCOMPARE(p.page->ExportColonyResults(-1, missing, QString()), ColonyAnalyserGui::ErrorFileOperation);
    QVERIFY(!QFileInfo::exists(missing));
    QCOMPARE(p.page->ExportColonyResults(-1, QString(), QString()), ColonyAnalyserGui::ErrorFileOperation);
}

void tst_ColonyAnalyserGuiExport::refusedWhileAnalysing()
{
    Page p;
    reportRack(*p.page);
    int rackId = -1;
    QCOMPARE(p.page->SaveResult(false, QString(), QString(), -1, rackId), Errors::Type_Error(0));
    QCOMPARE(p.page->Analyse(picture(400, 300)), Errors::Type_Error(0));
    const QString path = p.dir.filePath(QStringLiteral("busy.csv"));
    // The held rack, a stored rack and the current rack: every way in is refused.
    QCOMPARE(p.page->ExportColonyResults(-1, path, QString()), ColonyAnalyserGui::ErrorBusy);
    QCOMPARE(p.page->ExportColonyResults(rackId, path, QString()), ColonyAnalyserGui::ErrorBusy);
    QCOMPARE(p.page->ExportColonyResultsCurrentRack(path, QString()), ColonyAnalyserGui::ErrorBusy);
    QVERIFY(!QFileInfo::exists(path));
    bool running = true;
    QTRY_VERIFY_WITH_TIMEOUT((p.page->CheckRunning(running), !running), 120000);
    QCOMPARE(p.page->ExportColonyResults(rackId, path, QString()), Errors::Type_Error(0));
}

void tst_ColonyAnalyserGuiExport::failedWriteLeavesNoPartialFile_data()
{
    QTest::addColumn<int>("failAt");
    QTest::newRow("header") << 1;
    QTest::newRow("second row") << 3;
}

void tst_ColonyAnalyserGuiExport::failedWriteLeavesNoPartialFile()
{
    QFETCH(int, failAt);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.csv"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("previous export\n");
    }
    {
        FailingExport writer(path, failAt);
        Errors::Type_Error code = writer.writeHeader();
        DatabaseTableZelvorinContainer::Dataset container;
        container.ContainerNumber = 1;
        container.ContainerName = QStringLiteral("A1");
        QList<DatabaseTableZelvorinColony::Dataset> colonies;
        for (int i = 0; i < 3; ++i) {
            DatabaseTableZelvorinColony::Dataset colony;
            colony.IsGoodColony = true;
            colony.LoadingTotal_pct = 50.0 + i;
            colonies.append(colony);
        }
        if (code == 0)
            code = writer.writeRows(container, colonies);
        QCOMPARE(code, ColonyResultExport::ErrorFileOperation);
        QCOMPARE(writer.close(), ColonyResultExport::ErrorFileOperation);
    }
    QCOMPARE(readLines(path), QStringList{QStringLiteral("previous export")});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.csv")});
}

QTEST_MAIN(tst_ColonyAnalyserGuiExport)
#include "tst_ColonyAnalyserGuiExport.moc"
