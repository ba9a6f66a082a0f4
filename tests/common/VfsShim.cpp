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

} // namespace

namespace VfsShim {

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
