#include "VfsShim.h"

namespace {

sqlite3_vfs* real(sqlite3_vfs* shim) {
    return static_cast<sqlite3_vfs*>(shim->pAppData);
}

int xOpen(sqlite3_vfs* v, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    return real(v)->xOpen(real(v), name, file, flags, outFlags);
}
int xDelete(sqlite3_vfs* v, const char* name, int syncDir) {
    return real(v)->xDelete(real(v), name, syncDir);
}
int xAccess(sqlite3_vfs* v, const char* name, int flags, int* out) {
    return real(v)->xAccess(real(v), name, flags, out);
}
int xFullPathname(sqlite3_vfs* v, const char* name, int n, char* out) {
    return real(v)->xFullPathname(real(v), name, n, out);
}
void* xDlOpen(sqlite3_vfs* v, const char* name) {
    return real(v)->xDlOpen(real(v), name);
}
void xDlError(sqlite3_vfs* v, int n, char* out) {
    real(v)->xDlError(real(v), n, out);
}
void (*xDlSym(sqlite3_vfs* v, void* handle, const char* symbol))(void) {
    return real(v)->xDlSym(real(v), handle, symbol);
}
void xDlClose(sqlite3_vfs* v, void* handle) {
    real(v)->xDlClose(real(v), handle);
}
int xRandomness(sqlite3_vfs* v, int n, char* out) {
    return real(v)->xRandomness(real(v), n, out);
}
int xSleep(sqlite3_vfs* v, int us) {
    return real(v)->xSleep(real(v), us);
}
int xCurrentTime(sqlite3_vfs* v, double* out) {
    return real(v)->xCurrentTime(real(v), out);
}
int xGetLastError(sqlite3_vfs* v, int n, char* out) {
    return real(v)->xGetLastError ? real(v)->xGetLastError(real(v), n, out) : 0;
}
int xCurrentTimeInt64(sqlite3_vfs* v, sqlite3_int64* out) {
    return real(v)->xCurrentTimeInt64(real(v), out);
}

sqlite3_file* real(sqlite3_file* f) {
    return reinterpret_cast<VfsShim::File*>(f)->real;
}

int xClose(sqlite3_file* f) {
    const int rc = real(f)->pMethods ? real(f)->pMethods->xClose(real(f)) : SQLITE_OK;
    f->pMethods = nullptr;
    return rc;
}
int xRead(sqlite3_file* f, void* p, int n, sqlite3_int64 off) {
    return real(f)->pMethods->xRead(real(f), p, n, off);
}
int xWrite(sqlite3_file* f, const void* p, int n, sqlite3_int64 off) {
    return real(f)->pMethods->xWrite(real(f), p, n, off);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 size) {
    return real(f)->pMethods->xTruncate(real(f), size);
}
int xSync(sqlite3_file* f, int flags) {
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

} // namespace

namespace VfsShim {

sqlite3_io_methods forwardingMethods(int version) {
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

sqlite3_vfs wrapDefault(const char* name, int extraFileBytes) {
    sqlite3_vfs* base = sqlite3_vfs_find(nullptr);
    sqlite3_vfs shim{};
    shim.iVersion = 2; // no system-call overrides: the real VFS keeps its own
    shim.szOsFile = extraFileBytes + base->szOsFile;
    shim.mxPathname = base->mxPathname;
    shim.zName = name;
    shim.pAppData = base;
    shim.xOpen = xOpen;
    shim.xDelete = xDelete;
    shim.xAccess = xAccess;
    shim.xFullPathname = xFullPathname;
    shim.xDlOpen = xDlOpen;
    shim.xDlError = xDlError;
    shim.xDlSym = xDlSym;
    shim.xDlClose = xDlClose;
    shim.xRandomness = xRandomness;
    shim.xSleep = xSleep;
    shim.xCurrentTime = xCurrentTime;
    shim.xGetLastError = xGetLastError;
    shim.xCurrentTimeInt64 = base->iVersion >= 2 && base->xCurrentTimeInt64 ? xCurrentTimeInt64 : nullptr;
    return shim;
}

} // namespace VfsShim
