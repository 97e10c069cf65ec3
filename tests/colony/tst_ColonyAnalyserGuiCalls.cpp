// The page's entry points serving an automation call: they wait as part of the call instead of
// in a nested event loop, a client's reset or save waits (bounded) for another client's save,
// reset or edit, and a rack picture for a client is made on another thread.

#include "Automation_Call.h"
#include "ColonyAnalyserExport.h"
#include "ColonyAnalyserGui.h"
#include "ColonyAnalyserGuiFixture.h"
#include "ColonyEditorGui.h"
#include "CorrectionInfo.h"
#include "DatabaseTableZelvorinRack.h"
#include "Errors.h"
#include "Halcon_Helper.h"
#include "MessageBox_Helper.h"

#include <PlateSceneSettings.h>
#include <PlateScenes.h>

#include <QApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

using namespace ColonyAnalyserGuiFixture;

namespace {

constexpr int kRunTimeoutMs = 300000;

// A client's call whose final code the test reads; code stays Pending until it has one.
struct ClientCall {
    std::shared_ptr<Automation_Call> call;
    int code = Automation_Call::Pending;

    explicit ClientCall(const void* owner)
        : call(Automation_Call::create(owner))
    {
    }
    // What the entry point answered now; a Pending answer is finished later.
    void started(int answer)
    {
        if (answer == Automation_Call::Pending)
            call->setFinished([this](int finished) { code = finished; });
        else
            code = answer;
    }
    bool done() const { return code != Automation_Call::Pending; }
};

// The editor a call opened, shown without a loop of its own.
ColonyEditorGui* openEditor()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* editor = qobject_cast<ColonyEditorGui*>(widget); editor && editor->isVisible())
            return editor;
    }
    return nullptr;
}

PlateScenes::Scene plate(int seed)
{
    PlateScenes::Options options;
    options.labware = PlateScenes::Labware::Wells96;
    options.seed = seed;
    return PlateScenes::generate(options);
}

} // namespace

class tst_ColonyAnalyserGuiCalls : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void saveWaitsForTheRunWithoutALoop();
    void resetWaitsForAnotherClientsSave();
    void waitForOtherWorkIsBounded();
    void editorOfAReleasedClientIsRejected();
    void rackPictureIsMadeElsewhere();
    void rackPictureBeyondTheBoundIsRefused();

private:
    int m_owners[3] = {};
};

void tst_ColonyAnalyserGuiCalls::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void tst_ColonyAnalyserGuiCalls::cleanup()
{
    Automation_Call::endAll();
    CorrectionInfo::resetCurrent();
}

void tst_ColonyAnalyserGuiCalls::saveWaitsForTheRunWithoutALoop()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    QCOMPARE(page.Analyse(picture(400, 300)), Errors::Type_Error(0));
    // Every report of the run still queued: the page is busy until they are taken.
    QVERIFY(waitForIdleWorker(page));
    const int queued = page.pendingUpdates().available();
    QVERIFY(queued > 0);

    ClientCall save(&m_owners[0]);
    int rackId = 5;
    save.started(page.SaveResult(false, QStringLiteral("BC"), QString(), -1, rackId, nullptr, save.call.get()));
    QVERIFY(!save.done());
    // Nothing ran in between: no report was taken, and the rack is not stored yet.
    QCOMPARE(page.pendingUpdates().available(), queued);
    QCOMPARE(rackId, -1);
    QVERIFY(page.isSaving());

    QTRY_VERIFY_WITH_TIMEOUT(save.done(), kRunTimeoutMs);
    QCOMPARE(save.code, 0);
    QVERIFY(rackId > 0);
    QVERIFY(!page.isSaving());
    bool running = true;
    const Errors::Type_Error runError = page.CheckRunning(running);
    QVERIFY(!running);
    DatabaseTableZelvorinRack::ShortDataset stored;
    QCOMPARE(p.database->tableRack()->SelectShort(rackId, stored), Errors::Type_Error(0));
    QCOMPARE(stored.ErrorCode, runError);
}

void tst_ColonyAnalyserGuiCalls::resetWaitsForAnotherClientsSave()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    QCOMPARE(page.Analyse(picture(400, 300)), Errors::Type_Error(0));
    QVERIFY(waitForIdleWorker(page));

    ClientCall save(&m_owners[0]);
    int rackId = -1;
    save.started(page.SaveResult(false, QStringLiteral("FIRST"), QString(), -1, rackId, nullptr, save.call.get()));
    QVERIFY(!save.done());
    // Without a call the save would lie beneath the reset: busy at once.
    QCOMPARE(page.Reset(), ColonyAnalyserGui::ErrorBusy);
    ClientCall reset(&m_owners[1]);
    int resetAnswered = -1;
    reset.started(page.Reset(reset.call.get()));
    reset.call->setFinished([&](int code) {
        reset.code = code;
        // The save had its turn first, with the run on screen.
        resetAnswered = save.done() ? save.code : -1;
    });
    QVERIFY(!reset.done());
    // Neither has taken a report of the run yet.
    QVERIFY(page.pendingUpdates().available() > 0);

    QTRY_VERIFY_WITH_TIMEOUT(reset.done(), kRunTimeoutMs);
    QCOMPARE(reset.code, 0);
    QCOMPARE(resetAnswered, 0);
    QVERIFY(rackId > 0);
    QCOMPARE(p.count(QStringLiteral("ZelvorinRack")), 1);
    // The saved rack has the run's picture; the page has none after the reset.
    DatabaseTableZelvorinRack::ShortDataset stored;
    QCOMPARE(p.database->tableRack()->SelectShort(rackId, stored), Errors::Type_Error(0));
    QVERIFY(QFileInfo::exists(stored.PictureFilePath));
    QVERIFY(Halcon_Helper::CheckImage(page.rack().picture) != 0);
}

void tst_ColonyAnalyserGuiCalls::waitForOtherWorkIsBounded()
{
    const PlateScenes::Scene scene = plate(3);
    Page p(PlateSceneSettings::settingsFor(scene));
    ColonyAnalyserGui& page = *p.page;
    QCOMPARE(analyseAndShow(page, scene.image), Errors::Type_Error(0));
    page.setOtherWorkTimeout(100);

    ClientCall edit(&m_owners[0]);
    edit.started(page.UserEditColonies(edit.call.get()));
    QVERIFY(!edit.done());
    ColonyEditorGui* editor = openEditor();
    QVERIFY(editor);

    ClientCall save(&m_owners[1]);
    int rackId = 9;
    QElapsedTimer clock;
    clock.start();
    save.started(page.SaveResult(false, QString(), QString(), -1, rackId, nullptr, save.call.get()));
    ClientCall reset(&m_owners[2]);
    reset.started(page.Reset(reset.call.get()));
    QVERIFY(!save.done() && !reset.done());
    QTRY_VERIFY_WITH_TIMEOUT(save.done() && reset.done(), 10000);
    QVERIFY(clock.elapsed() >= 100);
    QCOMPARE(save.code, int(ColonyAnalyserGui::ErrorBusy));
    QCOMPARE(reset.code, int(ColonyAnalyserGui::ErrorBusy));
    QCOMPARE(rackId, -1);
    QCOMPARE(p.count(QStringLiteral("ZelvorinRack")), 0);
    // The editor was left alone and still answers its own call.
    QVERIFY(!edit.done());
    QVERIFY(Halcon_Helper::CheckImage(page.rack().picture) == 0);
    editor->reject();
    QTRY_VERIFY(edit.done());
    QCOMPARE(edit.code, 0);
    QTRY_VERIFY(!openEditor());

    // Once the editor is closed, a client's save goes through at once.
    ClientCall later(&m_owners[1]);
    later.started(page.SaveResult(false, QString(), QString(), -1, rackId, nullptr, later.call.get()));
    QCOMPARE(later.code, 0);
    QVERIFY(rackId > 0);
}

void tst_ColonyAnalyserGuiCalls::editorOfAReleasedClientIsRejected()
{
    const PlateScenes::Scene scene = plate(5);
    Page p(PlateSceneSettings::settingsFor(scene));
    ColonyAnalyserGui& page = *p.page;
    QCOMPARE(analyseAndShow(page, scene.image), Errors::Type_Error(0));
    ClientCall edit(&m_owners[0]);
    edit.started(page.UserEditColonies(edit.call.get()));
    QVERIFY(openEditor());
    MessageBox_Helper::rejectDialogsOf(&m_owners[0]);
    QTRY_VERIFY(edit.done());
    QCOMPARE(edit.code, 0);
    QTRY_VERIFY(!openEditor());
    double x = 0.0;
    double y = 0.0;
    QCOMPARE(page.GetLLDPosition(0, x, y), Errors::Type_Error(0));
}

void tst_ColonyAnalyserGuiCalls::rackPictureIsMadeElsewhere()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    reportRack(page, picture(200, 150));
    const QString path = p.dir.filePath(QStringLiteral("export.png"));
    ClientCall exportCall(&m_owners[0]);
    exportCall.started(
        page.ExportRackPicture(-1, false, path, QStringLiteral("png"), false, 50, false, exportCall.call.get()));
    QVERIFY(!exportCall.done());
    QTRY_VERIFY(exportCall.done());
    QCOMPARE(exportCall.code, 0);
    Halcon::Hobject loaded;
    QCOMPARE(Halcon_Helper::LoadImageFile(path, loaded), Errors::Type_Error(0));
    int width = 0;
    int height = 0;
    Halcon_Helper::GetImageSize(loaded, width, height);
    QCOMPARE(width, 100);
    QCOMPARE(height, 75);
}

void tst_ColonyAnalyserGuiCalls::rackPictureBeyondTheBoundIsRefused()
{
    Page p;
    ColonyAnalyserGui& page = *p.page;
    // 2000 x 1500 at 600 % would be 108 megapixels.
    reportRack(page, picture(2000, 1500));
    const QString path = p.dir.filePath(QStringLiteral("large.png"));
    QCOMPARE(page.ExportRackPicture(-1, false, path, QStringLiteral("png"), false, 600, false),
             ColonyAnalyserExport::ErrorPictureTooLarge);
    ClientCall exportCall(&m_owners[0]);
    exportCall.started(
        page.ExportRackPicture(-1, false, path, QStringLiteral("png"), false, 600, false, exportCall.call.get()));
    QTRY_VERIFY(exportCall.done());
    QCOMPARE(exportCall.code, int(ColonyAnalyserExport::ErrorPictureTooLarge));
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_MAIN(tst_ColonyAnalyserGuiCalls)
#include "tst_ColonyAnalyserGuiCalls.moc"
