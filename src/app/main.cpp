#include "StackScrollViewAppDelegate.h"

#include <QGuiApplication>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QGuiApplication::setOrganizationName(QStringLiteral("Kinderopvang"));
    QGuiApplication::setApplicationName(QStringLiteral("Kinderopvang"));
    QGuiApplication::setApplicationVersion(QStringLiteral(CC_APP_VERSION));

    StackScrollViewAppDelegate delegate;
    if (!delegate.applicationDidFinishLaunchingWithOptions(app.arguments()))
        return 1;
    return app.exec();
}
