#pragma once
// The app's command line: what a start asks for (server, store, settings, kiosk, self-test), or the
// help and version texts. Main thread.
#include "StackScrollViewAppDelegate.h"

#include <QStringList>
#include <optional>

namespace CommandLine {

struct Start {
    StackScrollViewAppDelegate::Options options;
    // Start, show the first screen, say which one and end (an installation check).
    bool selfTest = false;
    // Set when the start ends at once (a mistake, said on stderr already).
    std::optional<int> exitCode;
};

// --help or --version: prints its text on stdout and returns 0. Anything else: nullopt. Needs no
// display, so it runs before the GUI application exists (it makes a core application of its own).
std::optional<int> answerWithoutWindow(int argc, char** argv);
// The start the arguments ask for; the first is the program. Qt's own options must be gone already
// (the GUI application takes them out). An unknown option or a missing value: exitCode 2.
Start parse(const QStringList& arguments);

} // namespace CommandLine
