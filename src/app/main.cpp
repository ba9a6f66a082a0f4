#include "CommandLine.h"
#include "OnScreenKeyboard.h"
#include "RenderBackend.h"
#include "SelfTest.h"
#include "StackScrollViewAppDelegate.h"
#include "Translations.h"

#include <QGuiApplication>
#include <memory>

int main(int argc, char* argv[]) {
    // --help and --version answer without a display.
    if (const std::optional<int> code = CommandLine::answerWithoutWindow(argc, argv))
        return *code;

    QGuiApplication::setOrganizationName(QStringLiteral("Kinderopvang"));
    QGuiApplication::setApplicationName(QStringLiteral("Kinderopvang"));
    // Read before the application object exists: that one loads the input method.
    OnScreenKeyboard::chooseInputMethod(argc, argv);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationVersion(QStringLiteral(CC_APP_VERSION));
    CommandLine::Start start = CommandLine::parse(app.arguments());
    if (start.exitCode)
        return *start.exitCode;

    // Dutch unless the tablet is set to a language the app has a catalogue for.
    Translations::install(QLocale::system());

    RenderBackend::apply(); // before the first window
    std::unique_ptr<SelfTest> selfTest;
    if (start.selfTest)
        selfTest = std::make_unique<SelfTest>(start.options);
    StackScrollViewAppDelegate delegate;
    if (!delegate.applicationDidFinishLaunching(start.options))
        return 1;
    if (selfTest)
        selfTest->watch(delegate);
    return app.exec();
}
