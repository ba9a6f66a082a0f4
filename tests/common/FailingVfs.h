#pragma once
// A disk that fails on demand, for tests: a SQLite VFS over the default one, registered as the default
// so that every connection of the app and of its worker threads goes through it. It counts opens,
// writes, syncs, truncations and reads (all threads together) and, once armed, fails the n-th operation
// of one kind and every later one of that kind until it is disarmed ("the disk is back"), or only the
// n-th (a read that fails once).
#include <sqlite3.h>

namespace FailingVfs {

enum class Kind { Open, Write, Sync, Truncate, Read };

struct Counts {
    int opens = 0;
    int writes = 0;
    int syncs = 0;
    int truncates = 0;
    int reads = 0;
    int of(Kind kind) const;
};

// Registers the shim as the default VFS (once; later calls do nothing). Connections opened before
// keep the VFS they had.
void install();
// Counters back to zero, disarmed.
void reset();
Counts counts();
// From now, counting afresh: the n-th operation of kind (1-based) and all later ones of that kind
// fail with code (SQLITE_IOERR_WRITE, SQLITE_IOERR_FSYNC, SQLITE_FULL, ...).
void arm(Kind kind, int n, int code);
// As arm, but only the n-th operation fails.
void armOnce(Kind kind, int n, int code);
void disarm();
// Files opened from now on offer no shared memory (as some network and FUSE disks), so that SQLite
// cannot keep a write-ahead log in them. True again by default and by reset().
void setSharedMemory(bool available);
// Operations failed since the last arm().
int failures();
const char* name(Kind kind);

} // namespace FailingVfs
