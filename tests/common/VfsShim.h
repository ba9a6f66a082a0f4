#pragma once
// The plumbing of a test disk: a VFS over the process's default one that hands every call on unchanged,
// so that a test disk sets only the members whose behaviour it changes (xOpen, xDelete).
#include <sqlite3.h>

namespace VfsShim {

// The head of a test disk's file; the real VFS's file follows the disk's own struct in one allocation.
struct File {
    sqlite3_file base;
    sqlite3_file* real;
};

// File methods of the given version (1 to 3) that hand every call to the real file; a test disk
// replaces those it changes.
sqlite3_io_methods forwardingMethods(int version);

// A VFS named name over the default one; its files hold extraFileBytes of the shim's own before the
// real VFS's file. Every member hands the call on to the default VFS (kept in pAppData).
sqlite3_vfs wrapDefault(const char* name, int extraFileBytes);

} // namespace VfsShim
