#include "FailingVfs.h"

#include <atomic>
#include <mutex>

namespace FailingVfs {
namespace {

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_shim;
std::once_flag g_once;

std::atomic<int> g_counts[5];
std::atomic<int> g_armedKind{-1}; // -1: disarmed
std::atomic<int> g_armedAt{0};
std::atomic<bool> g_single{false}; // only the operation at g_armedAt fails
std::atomic<int> g_code{SQLITE_IOERR};
std::atomic<int> g_failures{0};
std::atomic<bool> g_sharedMemory{true};

// Counts one operation of kind; true when it must fail.
bool fails(Kind kind) {
    const int n = ++g_counts[int(kind)];
    if (g_armedKind.load() != int(kind) || n < g_armedAt.load() || (g_single.load() && n != g_armedAt.load()))
        return false;
    ++g_failures;
    return true;
}

struct File {
    sqlite3_file base;
    sqlite3_file* real; // follows this struct in the same allocation
};

sqlite3_file* real(sqlite3_file* f) {
    return reinterpret_cast<File*>(f)->real;
}

int xClose(sqlite3_file* f) {
    const int rc = real(f)->pMethods ? real(f)->pMethods->xClose(real(f)) : SQLITE_OK;
    f->pMethods = nullptr;
    return rc;
}
int xRead(sqlite3_file* f, void* p, int n, sqlite3_int64 off) {
    if (fails(Kind::Read))
        return g_code.load();
    return real(f)->pMethods->xRead(real(f), p, n, off);
}
int xWrite(sqlite3_file* f, const void* p, int n, sqlite3_int64 off) {
    if (fails(Kind::Write))
        return g_code.load();
    return real(f)->pMethods->xWrite(real(f), p, n, off);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 size) {
    if (fails(Kind::Truncate))
        return g_code.load();
    return real(f)->pMethods->xTruncate(real(f), size);
}
int xSync(sqlite3_file* f, int flags) {
    if (fails(Kind::Sync))
        return g_code.load();
    return real(f)->pMethods->xSync(real(f), flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* size) {
    return real(f)->pMethods->xFileSize(real(f), size);
}
int xLock(sqlite3_file* f, int lock) {
    return real(f)->pMethods->xLock(real(f), lock);
}
int xUnlock(sqlite3_file* f, int lock) {
    return real(f)->pMethods->xUnlock(real(f), lock);
}
int xCheckReservedLock(sqlite3_file* f, int* out) {
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int xFileControl(sqlite3_file* f, int op, void* arg) {
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int xSectorSize(sqlite3_file* f) {
    return real(f)->pMethods->xSectorSize(real(f));
}
int xDeviceCharacteristics(sqlite3_file* f) {
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int xShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
    return real(f)->pMethods->xShmMap(real(f), page, size, extend, out);
}
int xShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void xShmBarrier(sqlite3_file* f) {
    real(f)->pMethods->xShmBarrier(real(f));
}
int xShmUnmap(sqlite3_file* f, int deleteFlag) {
    return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
}
int xFetch(sqlite3_file* f, sqlite3_int64 off, int n, void** out) {
    return real(f)->pMethods->xFetch(real(f), off, n, out);
}
int xUnfetch(sqlite3_file* f, sqlite3_int64 off, void* p) {
    return real(f)->pMethods->xUnfetch(real(f), off, p);
}

// One table per version of the real file's methods, so SQLite sees what the real file offers.
sqlite3_io_methods makeMethods(int version) {
    sqlite3_io_methods m{};
    m.iVersion = version;
    m.xClose = xClose;
    m.xRead = xRead;
    m.xWrite = xWrite;
    m.xTruncate = xTruncate;
    m.xSync = xSync;
    m.xFileSize = xFileSize;
    m.xLock = xLock;
    m.xUnlock = xUnlock;
    m.xCheckReservedLock = xCheckReservedLock;
    m.xFileControl = xFileControl;
    m.xSectorSize = xSectorSize;
    m.xDeviceCharacteristics = xDeviceCharacteristics;
    if (version >= 2) {
        m.xShmMap = xShmMap;
        m.xShmLock = xShmLock;
        m.xShmBarrier = xShmBarrier;
        m.xShmUnmap = xShmUnmap;
    }
    if (version >= 3) {
        m.xFetch = xFetch;
        m.xUnfetch = xUnfetch;
    }
    return m;
}

const sqlite3_io_methods g_methods[3] = {makeMethods(1), makeMethods(2), makeMethods(3)};

int xOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    auto* file = reinterpret_cast<File*>(f);
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    file->base.pMethods = nullptr;
    if (fails(Kind::Open))
        return g_code.load();
    const int rc = g_real->xOpen(g_real, name, file->real, flags, outFlags);
    if (file->real->pMethods) {
        const int version = file->real->pMethods->iVersion;
        file->base.pMethods = !g_sharedMemory.load() ? &g_methods[0]
                                                     : &g_methods[version < 1   ? 0
                                                                  : version > 3 ? 2
                                                                                : version - 1];
    }
    return rc;
}

int xDelete(sqlite3_vfs*, const char* name, int syncDir) {
    return g_real->xDelete(g_real, name, syncDir);
}
int xAccess(sqlite3_vfs*, const char* name, int flags, int* out) {
    return g_real->xAccess(g_real, name, flags, out);
}
int xFullPathname(sqlite3_vfs*, const char* name, int n, char* out) {
    return g_real->xFullPathname(g_real, name, n, out);
}
void* xDlOpen(sqlite3_vfs*, const char* name) {
    return g_real->xDlOpen(g_real, name);
}
void xDlError(sqlite3_vfs*, int n, char* out) {
    g_real->xDlError(g_real, n, out);
}
void (*xDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
    return g_real->xDlSym(g_real, handle, symbol);
}
void xDlClose(sqlite3_vfs*, void* handle) {
    g_real->xDlClose(g_real, handle);
}
int xRandomness(sqlite3_vfs*, int n, char* out) {
    return g_real->xRandomness(g_real, n, out);
}
int xSleep(sqlite3_vfs*, int us) {
    return g_real->xSleep(g_real, us);
}
int xCurrentTime(sqlite3_vfs*, double* out) {
    return g_real->xCurrentTime(g_real, out);
}
int xGetLastError(sqlite3_vfs*, int n, char* out) {
    return g_real->xGetLastError ? g_real->xGetLastError(g_real, n, out) : 0;
}
int xCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
    return g_real->xCurrentTimeInt64(g_real, out);
}

} // namespace

int Counts::of(Kind kind) const {
    switch (kind) {
    case Kind::Open:
        return opens;
    case Kind::Write:
        return writes;
    case Kind::Sync:
        return syncs;
    case Kind::Truncate:
        return truncates;
    case Kind::Read:
        return reads;
    }
    return 0;
}

void install() {
    std::call_once(g_once, [] {
        g_real = sqlite3_vfs_find(nullptr);
        g_shim = sqlite3_vfs{};
        g_shim.iVersion = 2; // no system-call overrides: the real VFS keeps its own
        g_shim.szOsFile = int(sizeof(File)) + g_real->szOsFile;
        g_shim.mxPathname = g_real->mxPathname;
        g_shim.zName = "failingdisk";
        g_shim.xOpen = xOpen;
        g_shim.xDelete = xDelete;
        g_shim.xAccess = xAccess;
        g_shim.xFullPathname = xFullPathname;
        g_shim.xDlOpen = xDlOpen;
        g_shim.xDlError = xDlError;
        g_shim.xDlSym = xDlSym;
        g_shim.xDlClose = xDlClose;
        g_shim.xRandomness = xRandomness;
        g_shim.xSleep = xSleep;
        g_shim.xCurrentTime = xCurrentTime;
        g_shim.xGetLastError = xGetLastError;
        g_shim.xCurrentTimeInt64 =
            g_real->iVersion >= 2 && g_real->xCurrentTimeInt64 ? xCurrentTimeInt64 : nullptr;
        sqlite3_vfs_register(&g_shim, 1);
    });
}

void reset() {
    disarm();
    for (auto& c : g_counts)
        c = 0;
    g_failures = 0;
    g_sharedMemory = true;
}

void setSharedMemory(bool available) {
    g_sharedMemory = available;
}

Counts counts() {
    Counts c;
    c.opens = g_counts[int(Kind::Open)].load();
    c.writes = g_counts[int(Kind::Write)].load();
    c.syncs = g_counts[int(Kind::Sync)].load();
    c.truncates = g_counts[int(Kind::Truncate)].load();
    c.reads = g_counts[int(Kind::Read)].load();
    return c;
}

namespace {
void armFor(Kind kind, int n, int code, bool single) {
    disarm();
    for (auto& c : g_counts)
        c = 0;
    g_failures = 0;
    g_code = code;
    g_armedAt = n;
    g_single = single;
    g_armedKind = int(kind);
}
} // namespace

void arm(Kind kind, int n, int code) {
    armFor(kind, n, code, false);
}

void armOnce(Kind kind, int n, int code) {
    armFor(kind, n, code, true);
}

void disarm() {
    g_armedKind = -1;
}

int failures() {
    return g_failures.load();
}

const char* name(Kind kind) {
    switch (kind) {
    case Kind::Open:
        return "open";
    case Kind::Write:
        return "write";
    case Kind::Sync:
        return "sync";
    case Kind::Truncate:
        return "truncate";
    case Kind::Read:
        return "read";
    }
    return "?";
}

} // namespace FailingVfs
