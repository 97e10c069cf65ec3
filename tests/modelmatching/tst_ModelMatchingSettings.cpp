#include "ModelMatchingSetup.h"

#include <ModelMatchingErrors.h>
#include <ModelMatchingSettings.h>

#include <FileMutations.h>
#include <SettingsFileMutations.h>
#include <XML_Settings.h>

#include <QDomDocument>
#include <QtTest>

namespace {

// The record written under a "Settings" root, as text.
QString written(const ModelMatchingSettings& settings)
{
    QDomDocument document;
    document.appendChild(document.createElement(QStringLiteral("Settings")));
    XML_Settings_Element root(document.documentElement());
    settings.WriteXml(root);
    return document.toString();
}

// Reads the "ModelMatching" element of a document text into the record.
bool readInto(const QString& text, ModelMatchingSettings& settings)
{
    QDomDocument document;
    if (!document.setContent(text))
        return false;
    XML_Settings_Element root(document.documentElement());
    return !settings.ReadXml(root).isNull();
}

// A record unlike the defaults in every group, with two regions.
ModelMatchingSettings changed()
{
    ModelMatchingSettings s;
    s.SearchPosition = {12.5, 7.25, 40.0, 33.0, -15.0};
    s.SearchTolerance = {false, 4.5, 0.08, 45};
    s.Filter.Median = {true, 5};
    s.Filter.Shock = {true, 9};
    s.Filter.Emphasize = {true, 1};
    s.Analyse = {4, 0.55};
    s.Picture.MinContrast = 12;
    s.Model.ContrastLow = 10;
    s.Model.ContrastHigh = 30;
    s.Model.MinElementSize = 5;
    s.Model.MatchMetric = 2;
    s.Model.ROI = {{1, 30.0, 17.5, 40.0, 40.0, 0.0}, {2, 5.0, 6.0, 7.0, 8.0, 12.0}};
    return s;
}

int unitCount(const QDomElement& element)
{
    int count = element.hasAttribute(QStringLiteral("Unit")) ? 1 : 0;
    for (QDomElement e = element.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        count += unitCount(e);
    return count;
}

QString withModel(const QString& inner)
{
    return QStringLiteral("<Settings><ModelMatching>%1</ModelMatching></Settings>").arg(inner);
}

// The record in a file of its own, as its owner embeds it: a "ModelMatching" element under
// the root of a settings document.
struct ModelMatchingFile {
    ModelMatchingSettings settings;
    XML_Settings document{QStringLiteral("zelvorin"), QStringLiteral("1.1.0"), QStringLiteral("Settings"),
                          QStringLiteral("1.0"), QStringLiteral(".modelmatching"), nullptr};

    QString text()
    {
        XML_Settings_Element root = document.createDocument();
        settings.WriteXml(root);
        return document.toString();
    }
    bool save(const QString& path)
    {
        text();
        return document.save(path);
    }
    bool load(const QString& path)
    {
        QString text, version;
        if (!document.readFile(text, path))
            return false;
        XML_Settings_Element root = document.parse(text, version);
        bool accepted = false;
        return !root.isNull() && !settings.ReadXml(root, &accepted).isNull() && accepted;
    }
};

// What the stitcher does next with a record it read: the cross model made from the template
// with it, then searched in a view of the cross. A model that is made must be found, or be
// refused at once; one never found would keep each search waiting for its time-out.
QString crossSearch(const ModelMatchingSettings& read, bool* found = nullptr)
{
    ModelMatchingSetup setup;
    {
        const auto lock = setup.facade->LockSettings();
        setup.settings = read;
    }
    if (setup.createCrossModel() != 0)
        return QString();
    static const Halcon::Hobject view = CrossScenes::view({{300.0, 400.0}});
    ModelMatchingSearchResult result;
    const Errors::Type_Error code = setup.facade->SearchModel(
        ModelMatchingSetup::stitcherSearch(view, CrossScenes::searchArea(150, 250, 450, 550)), result);
    if (found)
        *found = code == 0 && result.Found;
    return code == ModelMatchingErrors::FindTimeout ? QStringLiteral("the cross search ran into its time-out") : QString();
}

} // namespace

Q_DECLARE_METATYPE(ModelMatchingSettings)
Q_DECLARE_METATYPE(MutationLoop::Mutation)

class tst_ModelMatchingSettings : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void valuesReadBackExactly();
    void elementTree();
    void partialFiles_data();
    void partialFiles();
    void regionCountIsBounded_data();
    void regionCountIsBounded();
    void regionsWithoutAreaAreRefused_data();
    void regionsWithoutAreaAreRefused();
    void missingElementChangesNothing();
    void defaultsClearRegions();
    void mutatedFiles_data();
    void mutatedFiles();
};

void tst_ModelMatchingSettings::roundTrip_data()
{
    QTest::addColumn<ModelMatchingSettings>("settings");
    QTest::newRow("defaults") << ModelMatchingSettings();
    QTest::newRow("every group changed, two regions") << changed();
}

void tst_ModelMatchingSettings::roundTrip()
{
    QFETCH(ModelMatchingSettings, settings);
    // Read over a record that differs everywhere, so every field must come from the file.
    ModelMatchingSettings read = settings == ModelMatchingSettings() ? changed() : ModelMatchingSettings();
    read.Model.ROI = {{2, 1.0, 1.0, 1.0, 1.0, 1.0}};
    QVERIFY(readInto(written(settings), read));
    if (settings.Model.ROI.isEmpty())
        read.Model.ROI.clear(); // a file without regions keeps the record's own
    QCOMPARE(read, settings);
}

void tst_ModelMatchingSettings::valuesReadBackExactly()
{
    ModelMatchingSettings s;
    s.SearchTolerance.ScaleTolerance = 0.05;
    s.SearchPosition.PositionX = 12.345678;
    s.Analyse.MinimumScore = 0.1 + 0.2;
    const QString text = written(s);
    QVERIFY(text.contains(QStringLiteral("<ScaleTolerance>0.05</ScaleTolerance>")));
    ModelMatchingSettings read;
    QVERIFY(readInto(text, read));
    QCOMPARE(read.SearchTolerance.ScaleTolerance, 0.05);
    QCOMPARE(read.SearchPosition.PositionX, 12.345678);
    QCOMPARE(read.Analyse.MinimumScore, 0.1 + 0.2);
}

void tst_ModelMatchingSettings::elementTree()
{
    QDomDocument document;
    QVERIFY(document.setContent(written(changed())));
    const QDomElement root = document.documentElement().firstChildElement(QStringLiteral("ModelMatching"));
    QStringList groups;
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        groups << e.tagName();
    QCOMPARE(groups, QStringList({"SearchPosition", "SearchTolerance", "Filter", "Analyse", "Picture", "Model"}));
    const QDomElement check =
        root.firstChildElement(QStringLiteral("SearchTolerance")).firstChildElement(QStringLiteral("CheckTolerance"));
    QCOMPARE(check.text(), QStringLiteral("45"));
    QCOMPARE(check.attribute(QStringLiteral("Unit")), QStringLiteral("%"));
    QCOMPARE(document.elementsByTagName(QStringLiteral("ModelMatching")).size(), 1);
    QCOMPARE(unitCount(root), 1);
    const QDomElement model = root.firstChildElement(QStringLiteral("Model"));
    QStringList leaves;
    for (QDomElement e = model.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        leaves << e.tagName();
    QCOMPARE(leaves, QStringList({"ContrastLow", "ContrastHigh", "MinElementSize", "MatchMetric", "ROI", "ROI"}));
    QStringList filters;
    for (QDomElement e = root.firstChildElement(QStringLiteral("Filter")).firstChildElement(); !e.isNull();
         e = e.nextSiblingElement())
        filters << e.tagName() + QLatin1Char('=') + e.firstChildElement(QStringLiteral("Used")).text();
    QCOMPARE(filters, QStringList({"Median=true", "Shock=true", "Emphasize=true"}));
}

void tst_ModelMatchingSettings::partialFiles_data()
{
    QTest::addColumn<QString>("inner");
    QTest::addColumn<ModelMatchingSettings>("expected");

    const ModelMatchingSettings start = changed();
    QTest::newRow("Model without regions keeps the list")
        << "<Model><ContrastLow>3</ContrastLow></Model>" << [&] {
               ModelMatchingSettings s = start;
               s.Model.ContrastLow = 3;
               return s;
           }();
    QTest::newRow("one region replaces the list")
        << "<Model><ROI><Type>2</Type><PositionX>1</PositionX><PositionY>2</PositionY><SizeX>3</SizeX>"
           "<SizeY>4</SizeY><Angle>5</Angle></ROI></Model>"
        << [&] {
               ModelMatchingSettings s = start;
               s.Model.ROI = {{2, 1.0, 2.0, 3.0, 4.0, 5.0}};
               return s;
           }();
    QTest::newRow("region with its sizes only is a rectangle at the corner")
        << "<Model><ROI><SizeX>9</SizeX><SizeY>3</SizeY></ROI></Model>" << [&] {
               ModelMatchingSettings s = start;
               s.Model.ROI = {{1, 0.0, 0.0, 9.0, 3.0, 0.0}};
               return s;
           }();
    QTest::newRow("unknown region type is kept")
        << "<Model><ROI><Type>7</Type></ROI><ROI><Type>1</Type><SizeX>2</SizeX><SizeY>2</SizeY></ROI></Model>" << [&] {
               ModelMatchingSettings s = start;
               s.Model.ROI = {{7, 0.0, 0.0, 0.0, 0.0, 0.0}, {1, 0.0, 0.0, 2.0, 2.0, 0.0}};
               return s;
           }();
    QTest::newRow("Filter without Shock keeps the shock filter")
        << "<Filter><Median><Used>false</Used><Mode>2</Mode></Median><Emphasize><Used>false</Used></Emphasize></Filter>"
        << [&] {
               ModelMatchingSettings s = start;
               s.Filter.Median = {false, 2};
               s.Filter.Emphasize.Used = false;
               return s;
           }();
    QTest::newRow("TRUE and False are read")
        << "<SearchTolerance><Used>TRUE</Used></SearchTolerance><Filter><Median><Used>False</Used></Median></Filter>"
        << [&] {
               ModelMatchingSettings s = start;
               s.SearchTolerance.Used = true;
               s.Filter.Median.Used = false;
               return s;
           }();
    QTest::newRow("yes is no bool") << "<Filter><Shock><Used>yes</Used><Mode>4</Mode></Shock></Filter>" << [&] {
        ModelMatchingSettings s = start;
        s.Filter.Shock.Mode = 4;
        return s;
    }();
    QTest::newRow("unconvertible numbers keep their values")
        << "<Analyse><PyramidLevels>many</PyramidLevels><MinimumScore>0.9x</MinimumScore></Analyse>" << start;
    QTest::newRow("numbers that are not finite keep their values")
        << "<SearchPosition><PositionX>nan</PositionX><SizeY>inf</SizeY><Angle>-inf</Angle></SearchPosition>"
           "<SearchTolerance><AngleTolerance>nan</AngleTolerance><ScaleTolerance>inf</ScaleTolerance></SearchTolerance>"
           "<Analyse><MinimumScore>-nan</MinimumScore></Analyse>"
           "<Model><ROI><PositionX>inf</PositionX><SizeX>5</SizeX><SizeY>5</SizeY><Angle>nan</Angle></ROI></Model>"
        << [&] {
               ModelMatchingSettings s = start;
               s.Model.ROI = {{1, 0.0, 0.0, 5.0, 5.0, 0.0}};
               return s;
           }();
    // Model creation filled a region a thousand times the picture for 17 s.
    QTest::newRow("regions are cut to the template and its margin")
        << "<Model><ROI><PositionX>-50000</PositionX><PositionY>20</PositionY><SizeX>100000</SizeX>"
           "<SizeY>1e300</SizeY></ROI><ROI><PositionX>50</PositionX><PositionY>105</PositionY><SizeX>5</SizeX>"
           "<SizeY>40</SizeY></ROI></Model>"
        << [&] {
               ModelMatchingSettings s = start;
               s.Model.ROI = {{1, -10.0, 20.0, 120.0, 90.0, 0.0}, {1, 50.0, 105.0, 5.0, 5.0, 0.0}};
               return s;
           }();
    QTest::newRow("regions within the margin keep every bit")
        << "<SearchPosition><PositionX>0.1</PositionX><SizeX>0.7</SizeX></SearchPosition>"
           "<Model><ROI><PositionX>-9.75</PositionX><PositionY>0.1</PositionY><SizeX>119.75</SizeX>"
           "<SizeY>0.7</SizeY></ROI></Model>"
        << [&] {
               ModelMatchingSettings s = start;
               s.SearchPosition.PositionX = 0.1;
               s.SearchPosition.SizeX = 0.7;
               s.Model.ROI = {{1, -9.75, 0.1, 119.75, 0.7, 0.0}};
               return s;
           }();
    QTest::newRow("the search rectangle is cut as well")
        << "<SearchPosition><PositionY>-1e9</PositionY><SizeY>1e9</SizeY></SearchPosition>" << [&] {
               ModelMatchingSettings s = start;
               s.SearchPosition.PositionY = -10.0;
               s.SearchPosition.SizeY = 10.0;
               return s;
           }();
    QTest::newRow("angle tolerance of half a turn")
        << "<SearchTolerance><AngleTolerance>180</AngleTolerance></SearchTolerance>" << [&] {
               ModelMatchingSettings s = start;
               s.SearchTolerance.AngleTolerance = 180.0;
               return s;
           }();
    QTest::newRow("angle tolerance of none") << "<SearchTolerance><AngleTolerance>0</AngleTolerance></SearchTolerance>"
                                             << [&] {
                                                    ModelMatchingSettings s = start;
                                                    s.SearchTolerance.AngleTolerance = 0.0;
                                                    return s;
                                                }();
    // Each would have the search measure the model at angles without end.
    for (const char* tolerance : {"180.5", "2147483647", "1e308", "-3"})
        QTest::newRow(qPrintable(QStringLiteral("angle tolerance %1 is refused").arg(QLatin1String(tolerance))))
            << QStringLiteral("<SearchTolerance><Used>false</Used><AngleTolerance>%1</AngleTolerance>"
                              "<ScaleTolerance>0.06</ScaleTolerance></SearchTolerance>")
                   .arg(QLatin1String(tolerance))
            << [&] {
                   ModelMatchingSettings s = start;
                   s.SearchTolerance.ScaleTolerance = 0.06;
                   return s;
               }();
    QTest::newRow("out-of-range choices are stored as read")
        << "<Filter><Median><Mode>12</Mode></Median></Filter><Model><MatchMetric>9</MatchMetric></Model>" << [&] {
               ModelMatchingSettings s = start;
               s.Filter.Median.Mode = 12;
               s.Model.MatchMetric = 9;
               return s;
           }();
}

void tst_ModelMatchingSettings::partialFiles()
{
    QFETCH(QString, inner);
    QFETCH(ModelMatchingSettings, expected);
    ModelMatchingSettings settings = changed();
    QVERIFY(readInto(withModel(inner), settings));
    QCOMPARE(settings, expected);
}

// A cross model has a handful of regions: a tree with more than a thousand is refused whole
// and the record stays as it was (reading 100,001 took minutes).
void tst_ModelMatchingSettings::regionCountIsBounded_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("one") << 1 << true;
    QTest::newRow("the most a model takes") << ModelMatchingSettings::MaximumRoiCount << true;
    QTest::newRow("one more") << ModelMatchingSettings::MaximumRoiCount + 1 << false;
    QTest::newRow("100001") << 100001 << false;
}

void tst_ModelMatchingSettings::regionCountIsBounded()
{
    QFETCH(int, count);
    QFETCH(bool, accepted);
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("Settings"));
    document.appendChild(root);
    XML_Settings_Element writer(root);
    XML_Settings_Element model = writer.addElement(QStringLiteral("ModelMatching")).addElement(QStringLiteral("Model"));
    model.addValue(QStringLiteral("ContrastLow"), 17);
    for (int i = 0; i < count; ++i) {
        XML_Settings_Element roi = model.addElement(QStringLiteral("ROI"));
        roi.addValue(QStringLiteral("PositionX"), i % 100);
        roi.addValue(QStringLiteral("SizeX"), 5);
        roi.addValue(QStringLiteral("SizeY"), 5);
    }

    ModelMatchingSettings settings = changed();
    XML_Settings_Element reader(root);
    bool wasAccepted = !accepted;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!settings.ReadXml(reader, &wasAccepted).isNull());
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    QCOMPARE(wasAccepted, accepted);
    if (!accepted) {
        QCOMPARE(settings, changed());
        return;
    }
    QCOMPARE(settings.Model.ContrastLow, 17);
    QCOMPARE(settings.Model.ROI.size(), count);
    QCOMPARE(settings.Model.ROI.last().PositionX, double((count - 1) % 100));
}

void tst_ModelMatchingSettings::regionsWithoutAreaAreRefused_data()
{
    QTest::addColumn<QString>("inner");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<ModelMatchingSettings>("expected");
    const auto region = [](const QString& type, const QString& sizes) {
        return QStringLiteral("<Model><ROI><Type>%1</Type><PositionX>10</PositionX><PositionY>10</PositionY>%2</ROI></Model>")
            .arg(type, sizes);
    };
    // Each made a model that answered success and was never found: every cross search of a
    // run then waited for its time-out.
    const QList<std::pair<const char*, QString>> refused{
        {"height -1", QStringLiteral("<SizeX>20</SizeX><SizeY>-1</SizeY>")},
        {"height 0", QStringLiteral("<SizeX>20</SizeX><SizeY>0</SizeY>")},
        {"width inf", QStringLiteral("<SizeX>inf</SizeX><SizeY>20</SizeY>")},
        {"width nan", QStringLiteral("<SizeX>nan</SizeX><SizeY>20</SizeY>")},
        {"width true", QStringLiteral("<SizeX>true</SizeX><SizeY>20</SizeY>")},
        {"height missing", QStringLiteral("<SizeX>20</SizeX>")},
        {"no size at all", QString()},
    };
    for (const auto& [name, sizes] : refused) {
        QTest::newRow(qPrintable(QStringLiteral("rectangle, %1").arg(QLatin1String(name))))
            << region(QStringLiteral("1"), sizes) << false << changed();
        QTest::newRow(qPrintable(QStringLiteral("ellipse, %1").arg(QLatin1String(name))))
            << region(QStringLiteral("2"), sizes) << false << changed();
    }
    QTest::newRow("cut to nothing below the template")
        << "<Model><ROI><PositionY>300</PositionY><SizeX>20</SizeX><SizeY>4</SizeY></ROI></Model>" << false << changed();
    QTest::newRow("a good region beside one without area")
        << "<Model><ROI><SizeX>20</SizeX><SizeY>20</SizeY></ROI><ROI><SizeX>20</SizeX></ROI></Model>" << false
        << changed();
    // Read; model creation refuses what has no area in pixels.
    QTest::newRow("tiny height") << region(QStringLiteral("1"), QStringLiteral("<SizeX>20</SizeX><SizeY>0.0000001</SizeY>"))
                                 << true << [] {
                                        ModelMatchingSettings s = changed();
                                        s.Model.ROI = {{1, 10.0, 10.0, 20.0, 0.0000001, 0.0}};
                                        return s;
                                    }();
    QTest::newRow("a type that makes no region needs no size") << region(QStringLiteral("7"), QString()) << true << [] {
        ModelMatchingSettings s = changed();
        s.Model.ROI = {{7, 10.0, 10.0, 0.0, 0.0, 0.0}};
        return s;
    }();
    // The search rectangle has values to keep: a side without extent keeps them.
    QTest::newRow("search rectangle, height -1 keeps its side")
        << "<SearchPosition><PositionX>2</PositionX><PositionY>5</PositionY><SizeY>-1</SizeY></SearchPosition>" << true
        << [] {
               ModelMatchingSettings s = changed();
               s.SearchPosition.PositionX = 2.0;
               return s;
           }();
    QTest::newRow("search rectangle, width cut to nothing keeps its side")
        << "<SearchPosition><PositionX>200</PositionX><SizeX>10</SizeX></SearchPosition>" << true << changed();
}

void tst_ModelMatchingSettings::regionsWithoutAreaAreRefused()
{
    QFETCH(QString, inner);
    QFETCH(bool, accepted);
    QFETCH(ModelMatchingSettings, expected);
    QDomDocument document;
    QVERIFY(document.setContent(withModel(inner)));
    XML_Settings_Element root(document.documentElement());
    ModelMatchingSettings settings = changed();
    bool wasAccepted = !accepted;
    QVERIFY(!settings.ReadXml(root, &wasAccepted).isNull());
    QCOMPARE(wasAccepted, accepted);
    QCOMPARE(settings, expected);
}

void tst_ModelMatchingSettings::missingElementChangesNothing()
{
    ModelMatchingSettings settings = changed();
    QVERIFY(!readInto(QStringLiteral("<Settings><Other/></Settings>"), settings));
    QCOMPARE(settings, changed());
}

void tst_ModelMatchingSettings::defaultsClearRegions()
{
    ModelMatchingSettings settings = changed();
    settings.Reset();
    QCOMPARE(settings, ModelMatchingSettings());
    QVERIFY(settings.Model.ROI.isEmpty());
    settings = changed();
    settings.SetDefaults();
    QCOMPARE(settings, ModelMatchingSettings());
}

// Seeded damage of a file with the record: each copy is refused without a trace or read
// within the bounds of every reader, what it read comes back exactly after a save, and the
// cross model made and searched with it stays within those bounds.
void tst_ModelMatchingSettings::mutatedFiles_data()
{
    QTest::addColumn<MutationLoop::Mutation>("mutation");
    QTest::newRow("damaged bytes") << MutationLoop::Mutation(&FileMutations::mutated);
    QTest::newRow("damaged values") << MutationLoop::Mutation(&FileMutations::mutatedValues);
}

void tst_ModelMatchingSettings::mutatedFiles()
{
    QFETCH(MutationLoop::Mutation, mutation);
    SettingsFileMutations::Access<ModelMatchingFile> access;
    access.make = [] {
        auto file = std::make_unique<ModelMatchingFile>();
        file->settings = changed();
        return file;
    };
    access.load = [](ModelMatchingFile& file, const QString& path) { return file.load(path); };
    access.save = [](ModelMatchingFile& file, const QString& path) { return file.save(path); };
    access.text = [](ModelMatchingFile& file) { return file.text(); };
    access.equal = [](const ModelMatchingFile& a, const ModelMatchingFile& b) { return a.settings == b.settings; };
    access.use = [](ModelMatchingFile& file) { return crossSearch(file.settings); };
    ModelMatchingFile written;
    written.settings.SearchPosition = {0.1 + 0.2, 12.345678, 99.5, 7.25, -33.333333333};
    written.settings.SearchTolerance = {true, 2.5, 0.0625, 20};
    // One region: damaged, it is the whole model.
    written.settings.Model.ROI = {{1, 30.5, 17.25, 40.125, 40.0, 0.5}};
    bool found = false;
    QVERIFY(crossSearch(written.settings, &found).isEmpty());
    QVERIFY(found);
    const QByteArray valid = SettingsFileMutations::validFile(written, access, QStringLiteral("Damaged.modelmatching"));
    QVERIFY(!valid.isEmpty());
    const QString fault = SettingsFileMutations::run(valid, QStringLiteral("Damaged.modelmatching"), access, MutationLoop::Bounds(), mutation);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QTEST_MAIN(tst_ModelMatchingSettings)
#include "tst_ModelMatchingSettings.moc"
