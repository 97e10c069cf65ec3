#include "ResultPictureNames.h"

#include "AppSettings.h"

#include <QDir>
#include <QRegularExpression>

#include <QMutex>
#include <QMutexLocker>

#include <limits>

namespace {

const char* kindName(ResultPictureNames::Kind kind)
{
    switch (kind) {
    case ResultPictureNames::Stitcher:
        return "Stitcher";
    case ResultPictureNames::StitcherPicture:
        return "StitcherPicture";
    default:
        return "Rack";
    }
}

// Picture names; private files, also cut off while written.
struct Patterns {
    QString applicationName;
    QRegularExpression picture;
    QRegularExpression privateFile;

    explicit Patterns(const QString& name)
        : applicationName(name)
    {
        const QString application = QRegularExpression::escape(name);
        picture.setPattern(QStringLiteral("^%1_(\\d{8,10})_(Rack|Stitcher|StitcherPicture)\\.png$").arg(application));
        privateFile.setPattern(QStringLiteral("^\\.%1_(Rack|Stitcher)_([0-9a-f]{32})_[0-9a-f]{32}\\.(png|spool)"
                                              "(\\.[A-Za-z0-9]{6})?$")
                                   .arg(application));
    }
};

// Made once per application name: a folder of many pictures is classified file by file. The
// copy shares the compiled patterns.
Patterns patternsOf(const QString& application)
{
    static QMutex lock;
    static Patterns cached{QString()};
    QMutexLocker locker(&lock);
    if (cached.applicationName != application)
        cached = Patterns(application);
    return cached;
}

} // namespace

QString ResultPictureNames::fileName(Kind kind, Database::ID id)
{
    return QStringLiteral("%1_%2_%3.png")
        .arg(AppSettings::applicationName(), QString::asprintf("%08ld", long(id)), QLatin1String(kindName(kind)));
}

QString ResultPictureNames::path(const QString& folder, Kind kind, Database::ID id)
{
    return QDir(folder).filePath(fileName(kind, id));
}

QString ResultPictureNames::privatePrefix(Kind kind, const QString& databaseKey)
{
    // The stitched picture and the position pictures share theirs.
    return QStringLiteral(".%1_%2_%3_").arg(AppSettings::applicationName(),
                                            QLatin1String(kind == Rack ? "Rack" : "Stitcher"), databaseKey);
}

QString ResultPictureNames::pictureSuffix()
{
    return QStringLiteral(".png");
}

bool ResultPictureNames::isDatabaseKey(const QString& key)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-f]{32}$"));
    return pattern.match(key).hasMatch();
}

ResultPictureNames::Entry ResultPictureNames::classify(const QString& name)
{
    const Patterns patterns = patternsOf(AppSettings::applicationName());
    Entry entry;
    if (const QRegularExpressionMatch match = patterns.privateFile.match(name); match.hasMatch()) {
        entry.type = Entry::PrivateFile;
        entry.kind = match.captured(1) == QLatin1String("Rack") ? Rack : Stitcher;
        entry.databaseKey = match.captured(2);
        return entry;
    }
    const QRegularExpressionMatch match = patterns.picture.match(name);
    if (!match.hasMatch())
        return entry;
    bool ok = false;
    const qlonglong id = match.captured(1).toLongLong(&ok);
    if (!ok || id < 0 || id > std::numeric_limits<Database::ID>::max())
        return entry;
    const QString kind = match.captured(2);
    entry.kind = kind == QLatin1String("Rack") ? Rack : kind == QLatin1String("Stitcher") ? Stitcher : StitcherPicture;
    entry.id = Database::ID(id);
    // "%08ld" of the key: the name of another key is no name of ours.
    if (name != fileName(entry.kind, entry.id))
        return Entry();
    entry.type = Entry::Picture;
    return entry;
}
