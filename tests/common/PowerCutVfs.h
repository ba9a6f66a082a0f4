#pragma once
// A disk that loses power, for tests: a SQLite VFS over the default one, registered as the default.
// For the files under one watched folder it remembers what each write replaced until the file is
// synced. Once the power is cut (at the n-th write, or on request) every later write, sync, truncation
// and deletion there fails, as on a dead disk; restore() then puts back what the unsynced writes
// replaced, optionally leaving the newest of them half written (a torn write), and forgets the shared
// memory index, so the next open sees what the disk would hold after the power came back. Connections
// must be closed between the cut and restore(). Syncs made outside SQLite (the store's flusher) are
// not seen: they count as not having happened before the cut.
#include <QString>

namespace PowerCutVfs {

// Registers the shim as the default VFS (once; later calls do nothing). Connections opened before
// keep the VFS they had.
void install();
// Files under folder are the ones that lose power; forgets what was remembered of any other folder.
void watch(const QString& folder);
// The power goes at the n-th write (1-based, counted from now) to a watched file; 0: not by count.
void cutAtWrite(int n);
// The power goes now.
void cut();
bool isCut();
// Writes to watched files since watch() or the last restore().
int writes();
// Unsynced writes undone by the last restore().
int undoneWrites();
// After the cut, with every connection closed: the watched files as the disk holds them; the power is
// back. tear: the newest unsynced write keeps its first 512-byte sectors.
void restore(bool tear);

} // namespace PowerCutVfs
