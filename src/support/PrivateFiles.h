#pragma once
// The app's files hold children's names, photos and the staff's password hashes: they are made for the
// app's own user only (files 0600, folders 0700), whatever the umask, and files of older versions are
// tightened when the app meets them. Never truncates, moves or deletes anything.
#include <QString>

namespace PrivateFiles {
// Makes the folder and its missing parents, each new one 0700. True when the folder is there afterwards.
bool makeFolder(const QString& path);
// Takes every right of group and others away from an existing file or folder; adds none.
void tighten(const QString& path);
// Creates the file empty with 0600 when it is missing; tightens it when it is there. False when it
// is not there afterwards.
bool prepareFile(const QString& path);
} // namespace PrivateFiles
