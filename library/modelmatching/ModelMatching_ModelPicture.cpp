#include "ModelMatching_ModelPicture.h"

#include "Halcon_Helper.h"
#include "ModelMatchingErrors.h"
#include "ModelMatchingPendingFiles.h"

#include <QFile>
#include <QMutexLocker>

using Halcon::Hobject;

namespace {

constexpr Errors::Type_Error kPictureFileMissing = 51;
constexpr Errors::Type_Error kPictureNotSaved = 55;
const QString kSuffix = QStringLiteral(".modelpicture.png");

} // namespace

ModelMatching_ModelPicture::ModelMatching_ModelPicture(ModelMatching* facade, const QString& name, bool loadOnDemand,
                                                       QObject* parent)
    : QObject(parent), m_name(name), m_loadOnDemand(loadOnDemand)
{
    SetMode(ModelMatching::Mode_Analyse);
    if (facade)
        facade->SetModelPictureSource(this);
}

ModelMatching_ModelPicture::~ModelMatching_ModelPicture() = default;

QString ModelMatching_ModelPicture::ModelPictureFileName(const QString& baseName) const
{
    return ModelMatching::ComponentFilePath(QString(), baseName, m_name, kSuffix);
}

QString ModelMatching_ModelPicture::GetModelPictureFile() const
{
    QMutexLocker lock(&m_mutex);
    return m_pictureFile;
}

Errors::Type_Error ModelMatching_ModelPicture::SetMode(int mode)
{
    if (mode != ModelMatching::Mode_Analyse && mode != ModelMatching::Mode_DefineModel)
        return ModelMatchingErrors::GeneralError;
    {
        QMutexLocker lock(&m_mutex);
        if (m_mode == mode)
            return ModelMatchingErrors::NoError;
        m_mode = mode;
    }
    emit signal_ModeChanged(ModelMatching::Enum_Mode(mode));
    return ModelMatchingErrors::NoError;
}

int ModelMatching_ModelPicture::GetMode() const
{
    QMutexLocker lock(&m_mutex);
    return m_mode;
}

Errors::Type_Error ModelMatching_ModelPicture::SetModelPicture(const Hobject& picture)
{
    if (const Errors::Type_Error error = Halcon_Helper::CheckImage(picture); error != 0)
        return error;
    {
        QMutexLocker lock(&m_mutex);
        m_picture = picture;
        m_pictureFile.clear();
    }
    emit signal_SettingChanged();
    return ModelMatchingErrors::NoError;
}

Errors::Type_Error ModelMatching_ModelPicture::loadDueLocked() const
{
    if (m_pictureFile.isEmpty() || Halcon_Helper::CheckImage(m_picture) == 0)
        return ModelMatchingErrors::NoError;
    return Halcon_Helper::LoadImageFile(m_pictureFile, m_picture);
}

Errors::Type_Error ModelMatching_ModelPicture::GetModelPicture(Hobject& picture) const
{
    picture = Hobject();
    QMutexLocker lock(&m_mutex);
    if (const Errors::Type_Error error = loadDueLocked(); error != 0)
        return error;
    if (Halcon_Helper::CheckImage(m_picture) != 0)
        return ModelMatchingErrors::NoModelPicture;
    picture = m_picture;
    return ModelMatchingErrors::NoError;
}

bool ModelMatching_ModelPicture::HasModelPicture() const
{
    Hobject picture;
    return GetModelPicture(picture) == 0;
}

Errors::Type_Error ModelMatching_ModelPicture::LoadFiles(const QString& folder, const QString& baseName)
{
    ModelMatchingLoadedFiles files;
    if (const Errors::Type_Error error = ReadFiles(folder, baseName, files); error != 0) {
        QMutexLocker lock(&m_mutex);
        if (files.pictureFile != m_pictureFile) {
            m_pictureFile.clear();
            m_picture = Hobject();
        }
        return error;
    }
    return TakeFiles(files);
}

Errors::Type_Error ModelMatching_ModelPicture::ReadFiles(const QString& folder, const QString& baseName,
                                                        ModelMatchingLoadedFiles& files) const
{
    files.pictureFile = ModelMatching::ComponentFilePath(folder, baseName, m_name, kSuffix);
    files.picture = Hobject();
    QMutexLocker lock(&m_mutex);
    if (files.pictureFile == m_pictureFile) {
        files.picture = m_picture;
        return ModelMatchingErrors::NoError;
    }
    if (m_loadOnDemand)
        return QFile::exists(files.pictureFile) ? ModelMatchingErrors::NoError : kPictureFileMissing;
    if (const Errors::Type_Error error = Halcon_Helper::LoadImageFile(files.pictureFile, files.picture); error != 0) {
        files.picture = Hobject();
        return error;
    }
    return ModelMatchingErrors::NoError;
}

Errors::Type_Error ModelMatching_ModelPicture::TakeFiles(const ModelMatchingLoadedFiles& files)
{
    {
        QMutexLocker lock(&m_mutex);
        if (files.pictureFile != m_pictureFile) {
            m_pictureFile = files.pictureFile;
            m_picture = files.picture;
        }
    }
    return SetMode(ModelMatching::Mode_Analyse);
}

Errors::Type_Error ModelMatching_ModelPicture::SaveFiles(const QString& folder, const QString& baseName)
{
    ModelMatchingPendingFiles pending;
    if (const Errors::Type_Error error = WriteFiles(folder, baseName, pending); error != 0)
        return error;
    return pending.commit() ? ModelMatchingErrors::NoError : kPictureNotSaved;
}

Errors::Type_Error ModelMatching_ModelPicture::WriteFiles(const QString& folder, const QString& baseName,
                                                         ModelMatchingPendingFiles& pending)
{
    const QString path = ModelMatching::ComponentFilePath(folder, baseName, m_name, kSuffix);
    QMutexLocker lock(&m_mutex);
    if (const Errors::Type_Error error = loadDueLocked(); error != 0)
        return error;
    if (Halcon_Helper::CheckImage(m_picture) != 0)
        return pending.removal(path) ? ModelMatchingErrors::NoError : kPictureNotSaved;
    if (!m_pictureFile.isEmpty() && m_pictureFile == path && QFile::exists(path))
        return ModelMatchingErrors::NoError;
    const QString written = pending.replacement(path);
    if (written.isEmpty())
        return kPictureNotSaved;
    if (const Errors::Type_Error error =
            Halcon_Helper::SaveImageFile(written, m_picture, QStringLiteral("png"), false, false);
        error != 0)
        return error;
    pending.onCommit([this, path] {
        QMutexLocker placed(&m_mutex);
        m_pictureFile = path;
    });
    return ModelMatchingErrors::NoError;
}
