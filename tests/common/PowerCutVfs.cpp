#include "PowerCutVfs.h"
#include "VfsShim.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <map>
#include <mutex>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace PowerCutVfs {
namespace {

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_shim;
std::once_flag g_once;

// What one unsynced write or truncation replaced.
struct Undo {
    sqlite3_int64 offset = 0;
    std::string old; // the bytes that were there (the part inside the file then)
    sqlite3_int64 sizeBefore = 0;
    sqlite3_int64 written = 0; // bytes the write put there
    quint64 sequence = 0;
};

std::mutex g_lock; // every write, sync, truncation and delete of a watched file, and the bookkeeping
std::string g_folder;
std::map<std::string, std::vector<Undo>> g_unsynced;
quint64 g_sequence = 0;
int g_writes = 0;
int g_cutAt = 0;
int g_undone = 0;
std::atomic<bool> g_cut{false};

struct File {
    VfsShim::File head; // the real VFS's file follows this struct in the same allocation
    std::string* path;  // watched files only
};

sqlite3_file* real(sqlite3_file* f) {
    return reinterpret_cast<File*>(f)->head.real;
}
std::string* watchedPath(sqlite3_file* f) {
    return reinterpret_cast<File*>(f)->path;
}
bool isWatched(const char* name) {
    return name && !g_folder.empty() && std::string(name).rfind(g_folder, 0) == 0;
}

int xClose(sqlite3_file* f) {
    const int rc = real(f)->pMethods ? real(f)->pMethods->xClose(real(f)) : SQLITE_OK;
    delete watchedPath(f);
    reinterpret_cast<File*>(f)->path = nullptr;
    f->pMethods = nullptr;
    return rc;
}
int xRead(sqlite3_file* f, void* p, int n, sqlite3_int64 off) {
    return real(f)->pMethods->xRead(real(f), p, n, off);
}
int xWrite(sqlite3_file* f, const void* p, int n, sqlite3_int64 off) {
    std::string* path = watchedPath(f);
    if (!path)
        return real(f)->pMethods->xWrite(real(f), p, n, off);
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_cut || (g_cutAt > 0 && ++g_writes >= g_cutAt)) {
        g_cut = true;
        return SQLITE_IOERR_WRITE;
    }
    if (g_cutAt <= 0)
        ++g_writes;
    Undo u;
    u.offset = off;
    u.written = n;
    u.sequence = ++g_sequence;
    real(f)->pMethods->xFileSize(real(f), &u.sizeBefore);
    if (off < u.sizeBefore) {
        u.old.resize(size_t(std::min<sqlite3_int64>(n, u.sizeBefore - off)));
        real(f)->pMethods->xRead(real(f), u.old.data(), int(u.old.size()), off);
    }
    const int rc = real(f)->pMethods->xWrite(real(f), p, n, off);
    if (rc == SQLITE_OK)
        g_unsynced[*path].push_back(std::move(u));
    return rc;
}
int xTruncate(sqlite3_file* f, sqlite3_int64 size) {
    std::string* path = watchedPath(f);
    if (!path)
        return real(f)->pMethods->xTruncate(real(f), size);
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_cut)
        return SQLITE_IOERR_TRUNCATE;
    Undo u;
    u.offset = size;
    u.sequence = ++g_sequence;
    real(f)->pMethods->xFileSize(real(f), &u.sizeBefore);
    if (size < u.sizeBefore) {
        u.old.resize(size_t(u.sizeBefore - size));
        real(f)->pMethods->xRead(real(f), u.old.data(), int(u.old.size()), size);
    }
    const int rc = real(f)->pMethods->xTruncate(real(f), size);
    if (rc == SQLITE_OK)
        g_unsynced[*path].push_back(std::move(u));
    return rc;
}
int xSync(sqlite3_file* f, int flags) {
    std::string* path = watchedPath(f);
    if (!path)
        return real(f)->pMethods->xSync(real(f), flags);
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_cut)
        return SQLITE_IOERR_FSYNC;
    const int rc = real(f)->pMethods->xSync(real(f), flags);
    if (rc == SQLITE_OK)
        g_unsynced.erase(*path);
    return rc;
}
// No memory-mapped reads or writes: every write must pass through xWrite to be remembered.
sqlite3_io_methods makeMethods(int version) {
    sqlite3_io_methods m = VfsShim::forwardingMethods(version);
    m.xClose = xClose;
    m.xRead = xRead;
    m.xWrite = xWrite;
    m.xTruncate = xTruncate;
    m.xSync = xSync;
    return m;
}

const sqlite3_io_methods g_methods[2] = {makeMethods(1), makeMethods(2)};

int xOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    auto* file = reinterpret_cast<File*>(f);
    file->head.real = reinterpret_cast<sqlite3_file*>(file + 1);
    file->path = nullptr;
    file->head.base.pMethods = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        if (isWatched(name)) {
            if (g_cut && (flags & SQLITE_OPEN_CREATE))
                return SQLITE_CANTOPEN;
            file->path = new std::string(name);
        }
    }
    const int rc = g_real->xOpen(g_real, name, file->head.real, flags, outFlags);
    if (file->head.real->pMethods)
        file->head.base.pMethods = &g_methods[file->head.real->pMethods->iVersion >= 2 ? 1 : 0];
    else {
        delete file->path;
        file->path = nullptr;
    }
    return rc;
}

int xDelete(sqlite3_vfs*, const char* name, int syncDir) {
    std::lock_guard<std::mutex> lock(g_lock);
    if (isWatched(name)) {
        if (g_cut)
            return SQLITE_IOERR_DELETE;
        g_unsynced.erase(name);
    }
    return g_real->xDelete(g_real, name, syncDir);
}

} // namespace

void install() {
    std::call_once(g_once, [] {
        g_shim = VfsShim::wrapDefault("powercut", int(sizeof(File)));
        g_real = static_cast<sqlite3_vfs*>(g_shim.pAppData);
        g_shim.xOpen = xOpen;
        g_shim.xDelete = xDelete;
        sqlite3_vfs_register(&g_shim, 1);
    });
}

void watch(const QString& folder) {
    std::lock_guard<std::mutex> lock(g_lock);
    g_folder = QDir(folder).absolutePath().toStdString() + "/";
    g_unsynced.clear();
    g_writes = g_cutAt = 0;
    g_cut = false;
}

void cutAtWrite(int n) {
    std::lock_guard<std::mutex> lock(g_lock);
    g_writes = 0;
    g_cutAt = n;
}

void cut() {
    g_cut = true;
}

bool isCut() {
    return g_cut;
}

int writes() {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_writes;
}

int undoneWrites() {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_undone;
}

void restore(bool tear) {
    std::lock_guard<std::mutex> lock(g_lock);
    quint64 newest = 0;
    for (const auto& [path, undos] : g_unsynced)
        for (const Undo& u : undos)
            newest = std::max(newest, u.written > 0 ? u.sequence : 0);
    g_undone = 0;
    for (auto& [path, undos] : g_unsynced) {
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadWrite))
            continue;
        for (auto it = undos.rbegin(); it != undos.rend(); ++it) {
            ++g_undone;
            // A torn write: its first sectors reached the disk, the rest did not.
            sqlite3_int64 kept = 0;
            if (tear && it->sequence == newest)
                kept = (it->written / 2) / 512 * 512;
            if (sqlite3_int64(it->old.size()) > kept) {
                file.seek(it->offset + kept);
                file.write(it->old.data() + kept, qint64(it->old.size()) - kept);
            }
            file.resize(std::max(it->sizeBefore, kept > 0 ? it->offset + kept : 0));
        }
    }
    g_unsynced.clear();
    // The shared-memory index is not on the disk: the next open rebuilds it from the log.
    const QDir folder(QString::fromStdString(g_folder));
    for (const QFileInfo& shm : folder.entryInfoList({QStringLiteral("*-shm")}, QDir::Files))
        QFile::remove(shm.absoluteFilePath());
    g_cut = false;
    g_cutAt = 0;
    g_writes = 0;
}

} // namespace PowerCutVfs
