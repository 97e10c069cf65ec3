#include "ResultPictureRecovery.h"

#include "ApplicationDatabase.h"
#include "DatabaseTableZelvorinPicturePlan.h"
#include "ErrorCodes.h"
#include "Halcon_PictureSpool.h"
#include "Process_Identity.h"
#include "ResultPictureNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace {

enum class Named { Yes, No, Unknown };

// The file name of a stored path, whichever separator it was written with.
QString fileNameOf(const QString& path)
{
    return path.mid(std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1);
}

// Whether the result row of the picture's key names it. Asked without a report: a row that
// is gone is an answer, not an error.
Named namedByRow(ApplicationDatabase& database, const QString& pictureFile)
{
    const ResultPictureNames::Entry entry = ResultPictureNames::classify(QFileInfo(pictureFile).fileName());
    if (entry.type != ResultPictureNames::Entry::Picture)
        return Named::No;
    Database* connection = database.database();
    const auto quoted = [connection](const char* name) {
        return connection->sqlQuoteBegin() + QLatin1String(name) + connection->sqlQuoteEnd();
    };
    const char* table = entry.kind == ResultPictureNames::Rack       ? "ZelvorinRack"
        : entry.kind == ResultPictureNames::Stitcher                 ? "ZelvorinImageStitcher"
                                                                     : "ZelvorinImageStitcherPicture";
    const char* key = entry.kind == ResultPictureNames::Rack         ? "RackID"
        : entry.kind == ResultPictureNames::Stitcher                 ? "ImageStitcherID"
                                                                     : "ImageStitcherPictureID";
    QSqlQuery query(*connection->getDatabase());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT ") + quoted("PictureFilePath") + QStringLiteral(" FROM ") + quoted(table)
                    + QStringLiteral(" WHERE ") + quoted(key) + QLatin1Char('=') + connection->sqlID(entry.id)))
        return Named::Unknown;
    if (!query.next())
        return Named::No;
    return fileNameOf(query.value(0).toString()) == QFileInfo(pictureFile).fileName() ? Named::Yes : Named::No;
}

// A write of file that was cut off: its name and six random characters.
void removeCutOffWrites(const QString& file)
{
    static const QRegularExpression tail(QStringLiteral("^\\.[A-Za-z0-9]{6}$"));
    const QFileInfo info(file);
    const QDir folder(info.absolutePath());
    for (const QString& name : folder.entryList({info.fileName() + QStringLiteral(".*")}, QDir::Files | QDir::Hidden))
        if (tail.match(name.mid(info.fileName().size())).hasMatch())
            QFile::remove(folder.filePath(name));
}

bool isSpool(const QString& privateFile)
{
    return privateFile.endsWith(QLatin1String(".spool"));
}

// The encoded picture of a private file: itself when the picture was written at once.
QString encodedOf(const QString& privateFile, const QString& pictureFile)
{
    return isSpool(privateFile) ? Halcon_PictureSpool::encodedFileFor(privateFile, pictureFile) : privateFile;
}

void removePrivateFiles(const QString& privateFile)
{
    // The encoded file of a spool is named after the picture's suffix; the pictures are PNG.
    const QString encoded = encodedOf(privateFile, QStringLiteral("picture") + ResultPictureNames::pictureSuffix());
    for (const QString& file : {privateFile, encoded}) {
        QFile::remove(file);
        removeCutOffWrites(file);
    }
}

// The picture takes its name from what the killed save left: 0 also when it had it already.
Errors::Type_Error finish(const QString& privateFile, const QString& pictureFile, bool& named)
{
    named = false;
    const Errors::Type_Error result = isSpool(privateFile) ? Halcon_PictureSpool::promote(privateFile, pictureFile)
                                                           : Halcon_PictureSpool::placeEncoded(privateFile, pictureFile);
    if (result == kFileMissing)
        return kNoError;
    named = result == kNoError;
    return result;
}

} // namespace

Errors::Type_Error ResultPictureRecovery::run(ApplicationDatabase& database, Report* report)
{
    Report counts;
    if (report)
        *report = counts;
    QString key;
    if (const Errors::Type_Error code = database.pictureKey(key); code != kNoError)
        return code;
    DatabaseTableZelvorinPicturePlan* plan = database.tablePicturePlan();
    plan->DeleteFinished(key);
    QList<DatabaseTableZelvorinPicturePlan::Dataset> rows;
    if (const Errors::Type_Error code = plan->SelectAll(rows); code != kNoError)
        return code;

    QHash<QString, Process_Identity::State> owners;
    QList<Database::ID> done;
    for (const DatabaseTableZelvorinPicturePlan::Dataset& row : std::as_const(rows)) {
        auto owner = owners.constFind(row.Owner);
        if (owner == owners.cend())
            owner = owners.insert(row.Owner, Process_Identity::stateOf(row.Owner));
        const ResultPictureNames::Entry entry = ResultPictureNames::classify(QFileInfo(row.PrivateFile).fileName());
        if (owner.value() != Process_Identity::Gone || entry.type != ResultPictureNames::Entry::PrivateFile
            || entry.databaseKey != key) {
            ++counts.kept;
            continue;
        }
        const Named named = row.PictureFile.isEmpty() ? Named::No : namedByRow(database, row.PictureFile);
        if (named == Named::Unknown) {
            ++counts.kept;
            continue;
        }
        if (named == Named::Yes) {
            bool given = false;
            const Errors::Type_Error code = finish(row.PrivateFile, row.PictureFile, given);
            // A damaged spool never becomes a picture; any other failure is tried again later.
            if (code != kNoError && code != kCannotLoad) {
                ++counts.kept;
                continue;
            }
            if (given)
                ++counts.named;
        }
        if (named == Named::No || QFile::exists(row.PrivateFile)) {
            removePrivateFiles(row.PrivateFile);
            ++counts.removed;
        } else {
            removeCutOffWrites(row.PrivateFile);
            removeCutOffWrites(encodedOf(row.PrivateFile, row.PictureFile));
        }
        done.append(row.PlanID);
    }
    plan->Delete(done);
    if (report)
        *report = counts;
    return kNoError;
}
