#include "ResultPictureRecovery.h"

#include "ApplicationDatabase.h"
#include "ErrorCodes.h"
#include "Halcon_PictureSpool.h"
#include "ResultPictureNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace {

constexpr Errors::Type_Error kStatement = 85;
constexpr Errors::Type_Error kDamaged = 54;

// The file name of a stored path, whichever separator it was written with.
QString fileNameOf(const QString& path)
{
    return path.mid(std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1);
}

// File names that rows of the three picture tables name. The names carry the row keys, so a
// file of that name is the row's wherever the row says it lies: a folder moved with its
// pictures keeps them.
Errors::Type_Error namedPictures(ApplicationDatabase& database, QSet<QString>& names)
{
    Database* connection = database.database();
    if (!connection || !connection->isOpen())
        return kStatement;
    const auto quoted = [connection](const char* name) {
        return connection->sqlQuoteBegin() + QLatin1String(name) + connection->sqlQuoteEnd();
    };
    for (const char* table : {"ZelvorinRack", "ZelvorinImageStitcher", "ZelvorinImageStitcherPicture"}) {
        QSqlQuery query(*connection->getDatabase());
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT ") + quoted("PictureFilePath") + QStringLiteral(" FROM ") + quoted(table)))
            return kStatement;
        while (query.next()) {
            const QString name = fileNameOf(query.value(0).toString());
            if (!name.isEmpty())
                names.insert(name);
        }
    }
    return kNoError;
}

} // namespace

Errors::Type_Error ResultPictureRecovery::run(ApplicationDatabase& database, const QString& pictureFolder, Report* report)
{
    Report counts;
    const QString folder = QFileInfo(pictureFolder).canonicalFilePath();
    if (pictureFolder.isEmpty() || folder.isEmpty() || !QFileInfo(folder).isDir()) {
        if (report)
            *report = counts;
        return kNoError;
    }
    QSet<QString> named;
    if (const Errors::Type_Error code = namedPictures(database, named); code != kNoError)
        return code;

    const QDir dir(folder);
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    const auto remove = [&](const QString& name) {
        if (QFile::remove(dir.filePath(name)))
            ++counts.removed;
    };
    const auto pending = [&](const ResultPictureNames::Entry& entry) {
        return Halcon_PictureSpool::isPending(dir.filePath(entry.pictureName));
    };

    // Spools first: a picture they make is named by its row and stays.
    for (const QString& name : files) {
        const ResultPictureNames::Entry entry = ResultPictureNames::classify(name);
        if (entry.type != ResultPictureNames::Entry::Spool || pending(entry))
            continue;
        if (!named.contains(entry.pictureName)) {
            remove(name);
            continue;
        }
        const Errors::Type_Error code = Halcon_PictureSpool::promote(dir.filePath(entry.pictureName));
        if (code == kNoError)
            ++counts.promoted;
        else if (code == kDamaged)
            remove(name); // a damaged spool never becomes a picture
        else
            ++counts.failed;
    }
    for (const QString& name : files) {
        const ResultPictureNames::Entry entry = ResultPictureNames::classify(name);
        switch (entry.type) {
        case ResultPictureNames::Entry::PrivateFile:
            remove(name);
            break;
        case ResultPictureNames::Entry::UnfinishedPicture:
            if (!pending(entry))
                remove(name);
            break;
        case ResultPictureNames::Entry::Picture:
            if (entry.kind != ResultPictureNames::Rack && !named.contains(name) && !pending(entry))
                remove(name);
            break;
        default:
            break;
        }
    }
    if (report)
        *report = counts;
    return kNoError;
}
