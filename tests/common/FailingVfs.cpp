#include "FailingVfs.h"
#include "VfsShim.h"

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

using File = VfsShim::File;

sqlite3_file* real(sqlite3_file* f) {
    return reinterpret_cast<File*>(f)->real;
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

// One table per version of the real file's methods, so SQLite sees what the real file offers.
sqlite3_io_methods makeMethods(int version) {
    sqlite3_io_methods m = VfsShim::forwardingMethods(version);
    m.xRead = xRead;
    m.xWrite = xWrite;
    m.xTruncate = xTruncate;
    m.xSync = xSync;
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
        g_shim = VfsShim::wrapDefault("failingdisk", int(sizeof(File)));
        g_real = static_cast<sqlite3_vfs*>(g_shim.pAppData);
        g_shim.xOpen = xOpen;
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
