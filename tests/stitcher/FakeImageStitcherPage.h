#pragma once

// A stitcher page for the worker that records every call in order, keeps every report as the
// real page would queue it, and owns the viewers the worker draws on (hidden, never shown).
// The worker calls it on its own thread; everything recorded is guarded by one mutex.

#include <Hobject_View_Gui.h>
#include <IImageStitcherPage.h>
#include <PictureCross.h>
#include <StitcherResult.h>

#include <Hobject.h>

#include <QDateTime>
#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class FakeImageStitcherPage : public IImageStitcherPage {
public:
    // One result report, in the order the worker emitted it.
    struct Report {
        enum Kind { Reset, Crosses, OpticalAxis, StitchedPicture } kind = Reset;
        int pictureIndex = -1;
        Halcon::Hobject picture;
        PictureCross cross1;
        PictureCross cross2;
        double row = 0.0;
        double column = 0.0;
    };

    FakeImageStitcherPage()
        : m_modelView(std::make_unique<Hobject_View_Gui>(nullptr, QStringLiteral("Cross Model")))
        , m_resultView(std::make_unique<Hobject_View_Gui>(nullptr, QStringLiteral("Image Stitcher Result")))
    {
        for (int i = 1; i <= 6; ++i)
            m_pictureViews.push_back(
                std::make_unique<Hobject_View_Gui>(nullptr, QStringLiteral("Image Stitcher %1").arg(i)));
    }

    // Called on the worker thread after a crosses report was recorded, outside the lock: lets a
    // test hold the worker at a known point.
    std::function<void(int pictureIndex)> onCrossesReported;

    // Released once by every emitAnalyserStopped.
    QSemaphore stopped;

    // ---- IImageStitcherPage ----
    void emitAnalyserStarted() override { record(QStringLiteral("emitAnalyserStarted")); }
    void emitAnalyserStopped() override
    {
        record(QStringLiteral("emitAnalyserStopped"));
        stopped.release(1);
    }
    void emitStateSetText(const QString& text) override
    {
        QMutexLocker lock(&m_mutex);
        m_calls << QStringLiteral("emitStateSetText:") + text;
        m_states << text;
    }
    void emitReset() override { report(QStringLiteral("emitReset"), Report{}); }
    void emitAddStitchedPicture(const Halcon::Hobject& picture) override
    {
        Report r;
        r.kind = Report::StitchedPicture;
        r.picture = picture;
        report(QStringLiteral("emitAddStitchedPicture"), r);
    }
    void emitAddPictureCrosses(int pictureIndex, const Halcon::Hobject& picture, const PictureCross& cross1,
                               const PictureCross& cross2) override
    {
        Report r;
        r.kind = Report::Crosses;
        r.pictureIndex = pictureIndex;
        r.picture = picture;
        r.cross1 = cross1;
        r.cross2 = cross2;
        report(QStringLiteral("emitAddPictureCrosses:%1").arg(pictureIndex), r);
        if (onCrossesReported)
            onCrossesReported(pictureIndex);
    }
    void emitAddOpticalAxis(int pictureIndex, double rowOpticalAxis, double colOpticalAxis) override
    {
        Report r;
        r.kind = Report::OpticalAxis;
        r.pictureIndex = pictureIndex;
        r.row = rowOpticalAxis;
        r.column = colOpticalAxis;
        report(QStringLiteral("emitAddOpticalAxis:%1").arg(pictureIndex), r);
    }
    Hobject_View_Gui* getHobjectView() override { return m_modelView.get(); }
    Hobject_View_Gui* getResultView() override { return m_resultView.get(); }
    QList<Hobject_View_Gui*> getPictureViews() override
    {
        QList<Hobject_View_Gui*> views;
        for (const auto& view : m_pictureViews)
            views << view.get();
        return views;
    }
    void clearAllViews(bool update) override
    {
        record(QStringLiteral("clearAllViews:%1").arg(update));
        for (const auto& view : m_pictureViews)
            view->clear(update);
        m_modelView->clear(update);
    }
    void updateAllViews(bool onlyIfChanged) override
    {
        record(QStringLiteral("updateAllViews:%1").arg(onlyIfChanged));
    }
    void removePicturesFromAllViews(const QString& prefix, bool update) override
    {
        record(QStringLiteral("removePicturesFromAllViews:%1").arg(prefix));
        for (const auto& view : m_pictureViews)
            view->removePictures(prefix, update);
        m_modelView->removePictures(prefix, update);
    }
    void removeObjectsFromAllViews(const QString& prefix, bool update) override
    {
        record(QStringLiteral("removeObjectsFromAllViews:%1").arg(prefix));
        for (const auto& view : m_pictureViews)
            view->removeObjects(prefix, update);
        m_modelView->removeObjects(prefix, update);
    }

    // ---- What was recorded (any thread) ----
    QStringList calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }
    QStringList states() const
    {
        QMutexLocker lock(&m_mutex);
        return m_states;
    }
    std::vector<Report> reports() const
    {
        QMutexLocker lock(&m_mutex);
        return m_reports;
    }
    std::vector<Report> reports(Report::Kind kind) const
    {
        std::vector<Report> selected;
        for (const Report& r : reports())
            if (r.kind == kind)
                selected.push_back(r);
        return selected;
    }
    void clearRecords()
    {
        QMutexLocker lock(&m_mutex);
        m_calls.clear();
        m_states.clear();
        m_reports.clear();
    }

    // The reports handed to a stitcher result in emission order, as the page's slots do.
    void replayInto(StitcherResult& result, const ImageStitcherSettingsData& settings,
                    std::vector<Errors::Type_Error>* stitchedCodes = nullptr) const
    {
        for (const Report& r : reports()) {
            switch (r.kind) {
            case Report::Reset:
                result.reset(QDateTime::currentDateTime(), QString());
                break;
            case Report::Crosses:
                result.addPictureCrosses(r.pictureIndex, r.picture, r.cross1, r.cross2);
                break;
            case Report::OpticalAxis:
                result.addOpticalAxis(r.pictureIndex, r.row, r.column);
                break;
            case Report::StitchedPicture: {
                const Errors::Type_Error code = result.addStitchedPicture(r.picture, settings);
                if (stitchedCodes)
                    stitchedCodes->push_back(code);
                break;
            }
            }
        }
    }

private:
    void record(const QString& call)
    {
        QMutexLocker lock(&m_mutex);
        m_calls << call;
    }
    void report(const QString& call, const Report& r)
    {
        QMutexLocker lock(&m_mutex);
        m_calls << call;
        m_reports.push_back(r);
    }

    mutable QMutex m_mutex;
    QStringList m_calls;
    QStringList m_states;
    std::vector<Report> m_reports;
    std::unique_ptr<Hobject_View_Gui> m_modelView;
    std::unique_ptr<Hobject_View_Gui> m_resultView;
    std::vector<std::unique_ptr<Hobject_View_Gui>> m_pictureViews;
};
