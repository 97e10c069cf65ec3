#include "Database_SQLite3Watch.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace {

// What the file looks like from outside: any write moves its change time, a new file has
// another inode. Times alone miss a write within the same clock tick; the watch does not.
struct FileState {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modified = 0;
    qint64 changed = 0;

    bool operator==(const FileState& other) const
    {
        return device == other.device && inode == other.inode && size == other.size && modified == other.modified
            && changed == other.changed;
    }
};

// Only stat: a descriptor opened and closed on the file would drop the locks SQLite holds on it.
bool stateOf(const QString& filePath, FileState& state)
{
    struct stat info {};
    if (::stat(QFile::encodeName(filePath).constData(), &info) != 0)
        return false;
    state.device = quint64(info.st_dev);
    state.inode = quint64(info.st_ino);
    state.size = qint64(info.st_size);
    state.modified = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    state.changed = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    return true;
}

// The kernel sees no write made on another machine.
bool onNetworkFileSystem(const QString& filePath)
{
    struct statfs info {};
    if (::statfs(QFile::encodeName(filePath).constData(), &info) != 0)
        return true;
    static const unsigned long long networkTypes[] = {
        0x6969,     // NFS
        0x517B,     // SMB
        0xFF534D42, // CIFS
        0xFE534D42, // SMB2
        0x65735546, // FUSE
        0x01021997, // 9P
        0x00C36400, // Ceph
        0x5346414F, // AFS
        0x564C,     // NCP
    };
    for (const unsigned long long type : networkTypes)
        if (static_cast<unsigned long long>(info.f_type) == type)
            return true;
    return false;
}

QString keyOf(const QString& filePath)
{
    const QString canonical = QFileInfo(filePath).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(filePath).absoluteFilePath() : canonical;
}

} // namespace

struct Database_SQLite3Watch::Record {
    int watch = -1;
    // After the last own commit (or when following began).
    FileState state;
    // Checked, and since then written by own commits only.
    bool sound = false;
    // Written by anything else, or the file gone from its name.
    bool foreign = false;
    // Connections of this process inside a commit: what the watch reports then is theirs.
    int committing = 0;
};

namespace {

using Record = Database_SQLite3Watch::Record;

QMutex g_lock;
QHash<QString, std::shared_ptr<Record>> g_records;
int g_watches = -2;

int watchesLocked()
{
    if (g_watches == -2)
        g_watches = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    return g_watches;
}

void noteEventLocked(int watch, quint32 mask)
{
    constexpr quint32 gone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;
    for (auto it = g_records.begin(); it != g_records.end();) {
        const std::shared_ptr<Record>& record = it.value();
        if ((mask & IN_Q_OVERFLOW) != 0 || (record->watch == watch && (record->committing == 0 || (mask & gone) != 0)))
            record->foreign = true;
        // The kernel dropped the watch (the file is gone): nothing is known of that name any more.
        if (record->watch == watch && (mask & IN_IGNORED) != 0)
            it = g_records.erase(it);
        else
            ++it;
    }
}

// Takes in what the kernel saw since the last call.
void drainLocked()
{
    if (g_watches < 0)
        return;
    alignas(struct inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t length = ::read(g_watches, buffer, sizeof buffer);
        if (length <= 0)
            return;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + at);
            noteEventLocked(event->wd, event->mask);
            at += ssize_t(sizeof(struct inotify_event) + event->len);
        }
    }
}

void forgetLocked(const QString& key)
{
    const std::shared_ptr<Record> record = g_records.take(key);
    if (!record || record->watch < 0)
        return;
    for (const std::shared_ptr<Record>& other : std::as_const(g_records))
        if (other->watch == record->watch)
            return;
    ::inotify_rm_watch(g_watches, record->watch);
}

} // namespace

Database_SQLite3Watch::Database_SQLite3Watch(QSqlDatabase& connection, const QString& filePath, bool provenSound)
    : m_filePath(filePath)
{
    const QVariant handle = connection.driver() ? connection.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        m_handle = *static_cast<sqlite3* const*>(handle.constData());
    const QString key = keyOf(filePath);

    QMutexLocker locker(&g_lock);
    drainLocked();
    int watch = -1;
    if (m_handle && watchesLocked() >= 0 && !onNetworkFileSystem(filePath))
        watch = ::inotify_add_watch(g_watches, QFile::encodeName(filePath).constData(),
                                    IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF);
    std::shared_ptr<Record> record = g_records.value(key);
    if (!record || record->watch != watch || record->foreign || watch < 0) {
        if (record && record->watch != watch)
            forgetLocked(key);
        record = std::make_shared<Record>();
        record->watch = watch;
        record->foreign = watch < 0;
        g_records.insert(key, record);
    }
    record->sound = record->sound && provenSound;
    FileState state;
    if (stateOf(filePath, state))
        record->state = state;
    else
        record->foreign = true;
    m_record = record;
    if (m_handle) {
        sqlite3_commit_hook(m_handle, &Database_SQLite3Watch::commitStarts, this);
        sqlite3_trace_v2(m_handle, SQLITE_TRACE_PROFILE, &Database_SQLite3Watch::statementEnded, this);
    }
}

Database_SQLite3Watch::~Database_SQLite3Watch()
{
    unhook();
}

void Database_SQLite3Watch::unhook()
{
    if (!m_handle)
        return;
    sqlite3_commit_hook(m_handle, nullptr, nullptr);
    sqlite3_trace_v2(m_handle, 0, nullptr, nullptr);
    m_handle = nullptr;
}

int Database_SQLite3Watch::commitStarts(void* watch)
{
    auto* self = static_cast<Database_SQLite3Watch*>(watch);
    QMutexLocker locker(&g_lock);
    // Whatever wrote the file before this commit was not this connection.
    drainLocked();
    if (!self->m_inCommit) {
        self->m_inCommit = true;
        ++self->m_record->committing;
    }
    return 0;
}

int Database_SQLite3Watch::statementEnded(unsigned type, void* watch, void*, void*)
{
    auto* self = static_cast<Database_SQLite3Watch*>(watch);
    // A commit that could not take its lock keeps the transaction open and is tried again.
    if (type != SQLITE_TRACE_PROFILE || !self->m_inCommit || !self->m_handle || !sqlite3_get_autocommit(self->m_handle))
        return 0;
    QMutexLocker locker(&g_lock);
    drainLocked();
    self->m_inCommit = false;
    --self->m_record->committing;
    FileState state;
    if (stateOf(self->m_filePath, state))
        self->m_record->state = state;
    else
        self->m_record->foreign = true;
    return 0;
}

void Database_SQLite3Watch::checked()
{
    QMutexLocker locker(&g_lock);
    drainLocked();
    if (!m_record->foreign)
        m_record->sound = true;
}

void Database_SQLite3Watch::leaving()
{
    unhook();
    const QString key = keyOf(m_filePath);
    QMutexLocker locker(&g_lock);
    drainLocked();
    if (m_inCommit) {
        // Cut off inside a commit: what it wrote is not known.
        m_inCommit = false;
        --m_record->committing;
        m_record->foreign = true;
    }
    FileState now;
    const bool asLeft =
        m_record->sound && !m_record->foreign && stateOf(m_filePath, now) && now == m_record->state;
    if (!asLeft && g_records.value(key) == m_record)
        forgetLocked(key);
}

bool Database_SQLite3Watch::untouched(const QString& filePath)
{
    QMutexLocker locker(&g_lock);
    drainLocked();
    const std::shared_ptr<Record> record = g_records.value(keyOf(filePath));
    if (!record || !record->sound || record->foreign || record->committing > 0)
        return false;
    FileState now;
    return stateOf(filePath, now) && now == record->state;
}
