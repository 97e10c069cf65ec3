#pragma once

#include "Errors.h"

#include <Hobject.h>

#include <QList>
#include <QMetaObject>
#include <QString>

class Automation_Call;
class Camera;
class ImageStitcherGui;
class ImageStitcherSettings;
class ImageStitcherSettingsFiles;
class PictureFileLoader;

// The image stitcher as the automation clients drive it: six camera pictures placed at their
// positions, the stitching started with settings given by name, polled and stored. The
// stitching runs in the Image Stitcher page's worker; these operations return at once, or,
// given an automation call, wait for a running job's stop as part of it (Automation_Call). GUI
// thread; no message boxes.
//
// The placed pictures belong to one plate: they stay for a start during a run, which restarts
// it with them, and are forgotten once a run of them ends with a stitched picture, or by a
// reset, so a later plate never stitches pictures of the one before.
class ImageStitcherOperations {
public:
    static constexpr int PositionsCount = 6;

    // operatorReads: the picture reads of the operator's commands for the page. The page
    // counts as running while one is under way, and a client's start, stop or reset drops it.
    ImageStitcherOperations(ImageStitcherSettingsFiles& settingsFiles, ImageStitcherSettings* settings,
                            Camera* camera, ImageStitcherGui* page, PictureFileLoader* operatorReads);
    ~ImageStitcherOperations();
    ImageStitcherOperations(const ImageStitcherOperations&) = delete;
    ImageStitcherOperations& operator=(const ImageStitcherOperations&) = delete;

    // 200 for a position outside 0..5, 15 without a camera picture (list unchanged).
    Errors::Type_Error assignPicturePosition(int position);
    // 104 for a name that is no plain name, 202 or the cross model's code when its settings
    // do not load (read again only when they are not the current file), else the page's
    // reset or start code (212 unless six pictures were placed).
    Errors::Type_Error start(const QString& settingsName, Automation_Call* call = nullptr);
    // As start, but a named file is always read again and its agar distance replaced in
    // memory by agarHeight_mm; an empty name keeps settings and agar distance.
    Errors::Type_Error start2(const QString& settingsName, double agarHeight_mm, Automation_Call* call = nullptr);
    Errors::Type_Error stop(Automation_Call* call = nullptr);
    Errors::Type_Error reset(Automation_Call* call = nullptr);
    Errors::Type_Error checkRunning(bool& running);
    // stitcherId is -1 unless the result was stored; 104 for a barcode or description longer
    // than the database keeps. With a call the pictures are written as part of it, and
    // stitcherId must live as long as the call.
    Errors::Type_Error saveResult(bool asynchronPictureSave, const QString& barcode, const QString& description,
                                  bool saveInputPictures, bool saveOutputPicture, int& stitcherId,
                                  Automation_Call* call = nullptr);
    Errors::Type_Error checkAsynchronSaveFinish(bool& finished);

    const QList<Halcon::Hobject>& pictures() const { return m_pictures; }

private:
    Errors::Type_Error startPage(Automation_Call* call);

    ImageStitcherSettingsFiles& m_settingsFiles;
    ImageStitcherSettings* m_settings;
    Camera* m_camera;
    ImageStitcherGui* m_page;
    PictureFileLoader* m_operatorReads;
    QList<Halcon::Hobject> m_pictures;
    // A run of the placed pictures is under way: its stitched picture ends their use.
    bool m_started = false;
    QMetaObject::Connection m_stitched;
};
