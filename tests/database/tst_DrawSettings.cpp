// The process-wide table of overlay draw styles.

#include "DrawSettings.h"

#include <QtTest>

class tst_DrawSettings : public QObject {
    Q_OBJECT
private slots:
    void defaults_data();
    void defaults();
    void outOfRangePositions();
    void oneTable();
};

void tst_DrawSettings::defaults_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("color");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("width");
    const char* const rows[][3] = {
        {"green", "margin", "1"},      {"red", "margin", "3"},       {"cyan", "arial", "6"},
        {"white", "margin", "1"},      {"green", "margin", "1"},     {"green", "margin", "1"},
        {"red", "margin", "1"},        {"red", "margin", "1"},       {"magenta", "margin", "1"},
        {"cadet blue", "arial", "6"},  {"orange", "margin", "1"},    {"blue", "margin", "1"},
        {"magenta", "margin", "1"},    {"yellow", "fill", "1"},      {"blue", "fill", "1"},
        {"cadet blue", "fill", "1"},   {"dark green", "fill", "1"},  {"red", "margin", "1"},
        {"red", "margin", "1"},        {"blue", "margin", "1"},      {"light blue", "margin", "1"},
        {"blue", "margin", "2"},       {"green", "margin", "2"},     {"red", "margin", "1"},
        {"light blue", "margin", "1"}, {"light blue", "arial", "4"},
    };
    static_assert(sizeof(rows) / sizeof(rows[0]) == DrawSettings::Count);
    for (int i = 0; i < DrawSettings::Count; ++i)
        QTest::addRow("%d", i) << i << rows[i][0] << rows[i][1] << QString::fromLatin1(rows[i][2]).toInt();
}

void tst_DrawSettings::defaults()
{
    QFETCH(int, position);
    QFETCH(QString, color);
    QFETCH(QString, mode);
    QFETCH(int, width);
    const DrawStyle& style = DrawSettings::instance()[position];
    QCOMPARE(QString::fromStdString(style.color), color);
    QCOMPARE(QString::fromStdString(style.mode), mode);
    QCOMPARE(style.width, width);
}

void tst_DrawSettings::outOfRangePositions()
{
    for (int position : {-1, 26, 1000}) {
        const DrawStyle& style = DrawSettings::instance().at(position);
        QCOMPARE(style, DrawStyle());
    }
    QCOMPARE(DrawSettings::instance().at(DrawSettings::Colonies_PickOrder_Label),
             DrawStyle("light blue", "arial", 4));
}

void tst_DrawSettings::oneTable()
{
    QCOMPARE(&DrawSettings::instance(), &DrawSettings::instance());
    QCOMPARE(DrawSettings::count(), 26);
}

QTEST_GUILESS_MAIN(tst_DrawSettings)
#include "tst_DrawSettings.moc"
