#pragma once

#include "ModelMatching.h"
#include "ModelMatchingLoadedFiles.h"

#include <Errors.h>
#include <Hobject.h>

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>

class ModelMatchingPendingFiles;

// The template picture a model is made from, its file beside the settings file and the
// mode of the model-matching setup (analyse or define model). The template picture editor
// shows and drives it; creation reads it from the worker thread, so every member is
// guarded by one mutex. Signals are emitted after the lock is released.
class ModelMatching_ModelPicture : public QObject {
    Q_OBJECT
public:
    // name: the word inserted into the picture's file name ("modelmatching" for the
    // stitcher's cross). loadOnDemand: LoadFiles only checks that the file exists and the
    // picture is read when first needed. Registers with the facade when one is given.
    // Starts in analyse mode.
    ModelMatching_ModelPicture(ModelMatching* facade, const QString& name, bool loadOnDemand,
                               QObject* parent = nullptr);
    ~ModelMatching_ModelPicture() override;

    QString GetName() const { return m_name; }
    // baseName, "." and the name when there is one, then ".modelpicture.png".
    QString ModelPictureFileName(const QString& baseName) const;
    // The file the template belongs to; empty while it lives only in memory.
    QString GetModelPictureFile() const;

    // 1 analyse or 2 define model; the same mode changes nothing and announces nothing.
    // 10000 for any other value.
    Errors::Type_Error SetMode(int mode);
    int GetMode() const;

    // The picture becomes the template, living in memory until it is saved. A picture
    // that is not an image is refused with its error (41) and changes nothing.
    Errors::Type_Error SetModelPicture(const Halcon::Hobject& picture);
    // The template (read from its file first when it is due); 10002 when there is none.
    Errors::Type_Error GetModelPicture(Halcon::Hobject& picture) const;
    bool HasModelPicture() const;

    // Takes the template file beside the settings (nothing is read when it is the file
    // already held) and switches to analyse mode. A missing (load on demand) or
    // unreadable file leaves no template and the mode unchanged: 51 or the read error.
    Errors::Type_Error LoadFiles(const QString& folder, const QString& baseName);
    // What LoadFiles would take, read into files without changing anything: 51 or the read
    // error. TakeFiles then takes it and switches to analyse mode.
    Errors::Type_Error ReadFiles(const QString& folder, const QString& baseName, ModelMatchingLoadedFiles& files) const;
    Errors::Type_Error TakeFiles(const ModelMatchingLoadedFiles& files);
    // Writes the template beside the settings as "png" unless that file already holds
    // it. Without a template, a file at that place is removed. A template that cannot be
    // read returns the read error. A failed save leaves the file there as it was.
    Errors::Type_Error SaveFiles(const QString& folder, const QString& baseName);
    // The same, put in place by pending's commit; until then nothing changes.
    Errors::Type_Error WriteFiles(const QString& folder, const QString& baseName, ModelMatchingPendingFiles& pending);

signals:
    void signal_SettingChanged();
    void signal_ModeChanged(ModelMatching::Enum_Mode mode);

private:
    // Reads the template from its file when it is due; the caller holds the lock.
    Errors::Type_Error loadDueLocked() const;

    const QString m_name;
    const bool m_loadOnDemand;
    mutable QMutex m_mutex;
    // Filled on first use from m_pictureFile, hence mutable.
    mutable Halcon::Hobject m_picture;
    QString m_pictureFile;
    int m_mode = 0;
};
