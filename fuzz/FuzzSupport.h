#pragma once
// What every fuzz target shares: one application object for the run, a scratch folder, and a loud failure
// (abort, so libFuzzer keeps the input) when a property the app relies on does not hold.
#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzz {

// The offscreen platform, the tests' time zone and locale: findings reproduce as tests would see them.
inline void prepareEnvironment() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "Europe/Brussels");
    qputenv("LC_ALL", "C.UTF-8");
    // One run, many inputs: the app's log lines would drown libFuzzer's.
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.info=false;*.warning=false");
}

// A folder for the run's files, in memory where the machine has /dev/shm (store commits sync the disk).
inline QTemporaryDir& scratch() {
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/cc-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/cc-fuzz-XXXXXX"));
    return dir;
}

[[noreturn]] inline void fail(const char* what, const QString& detail = QString()) {
    std::fprintf(stderr, "FUZZ PROPERTY FAILED: %s %s\n", what, qPrintable(detail));
    std::abort();
}

inline void check(bool condition, const char* what, const QString& detail = QString()) {
    if (!condition)
        fail(what, detail);
}

} // namespace fuzz
