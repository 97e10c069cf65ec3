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

// Picture names, with the spool name (".<picture>.spool") and the name of a write that was
// cut off (the picture's name and six random characters) around them; private files, also
// cut off while written.
struct Patterns {
    QString applicationName;
    QRegularExpression picture;
    QRegularExpression privateFile;

    explicit Patterns(const QString& name)
        : applicationName(name)
    {
        const QString application = QRegularExpression::escape(name);
        picture.setPattern(QStringLiteral("^(\\.)?(%1_(\\d{8,10})_(Rack|Stitcher|StitcherPicture)\\.png)"
                                          "(\\.spool|\\.[A-Za-z0-9]{6})?$")
                               .arg(application));
        privateFile.setPattern(
            QStringLiteral("^\\.%1_(Rack|Stitcher)_[0-9a-f]{32}\\.(png|spool)(\\.[A-Za-z0-9]{6})?$").arg(application));
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

QString ResultPictureNames::privatePrefix(Kind kind)
{
    // The stitched picture and the position pictures share theirs.
    return QStringLiteral(".%1_%2_").arg(AppSettings::applicationName(),
                                         QLatin1String(kind == Rack ? "Rack" : "Stitcher"));
}

QString ResultPictureNames::pictureSuffix()
{
    return QStringLiteral(".png");
}

ResultPictureNames::Entry ResultPictureNames::classify(const QString& name)
{
    const Patterns patterns = patternsOf(AppSettings::applicationName());
    Entry entry;
    if (patterns.privateFile.match(name).hasMatch()) {
        entry.type = Entry::PrivateFile;
        return entry;
    }
    const QRegularExpressionMatch match = patterns.picture.match(name);
    if (!match.hasMatch())
        return entry;
    const bool hidden = !match.captured(1).isEmpty();
    const QString tail = match.captured(5);
    bool ok = false;
    const qlonglong id = match.captured(3).toLongLong(&ok);
    if (!ok || id < 0 || id > std::numeric_limits<Database::ID>::max())
        return entry;
    if (hidden != (tail == QLatin1String(".spool")))
        return entry;
    entry.type = hidden ? Entry::Spool : tail.isEmpty() ? Entry::Picture : Entry::UnfinishedPicture;
    const QString kind = match.captured(4);
    entry.kind = kind == QLatin1String("Rack") ? Rack : kind == QLatin1String("Stitcher") ? Stitcher : StitcherPicture;
    entry.id = Database::ID(id);
    entry.pictureName = match.captured(2);
    // "%08ld" of the key: the name of another key is no name of ours.
    if (entry.pictureName != fileName(entry.kind, entry.id))
        return Entry();
    return entry;
}
