#include "OnScreenKeyboard.h"
#include "StackScrollViewAppDelegate.h"
#include "Translations.h"

#include <QGuiApplication>

int main(int argc, char* argv[]) {
    QGuiApplication::setOrganizationName(QStringLiteral("Kinderopvang"));
    QGuiApplication::setApplicationName(QStringLiteral("Kinderopvang"));
    // Read before the application object exists: that one loads the input method.
    OnScreenKeyboard::chooseInputMethod(argc, argv);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationVersion(QStringLiteral(CC_APP_VERSION));

    // Dutch unless the tablet is set to a language the app has a catalogue for.
    Translations::install(QLocale::system());

    StackScrollViewAppDelegate delegate;
    if (!delegate.applicationDidFinishLaunchingWithOptions(app.arguments()))
        return 1;
    return app.exec();
}
