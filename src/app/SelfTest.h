#pragma once
// --selftest: an installation check. The start runs on a store and settings of its own in a temporary
// folder (unless the command line names them); once the window has drawn its first screen it prints
// "first screen: <name>" and the catalogue in use, and the app ends: 0 when the login screen showed
// without a QML warning, 1 otherwise (a missing QML module, the store's failure screen, no frame).
#include "StackScrollViewAppDelegate.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

class QQuickWindow;

class SelfTest : public QObject {
    Q_OBJECT
public:
    // Points options at the temporary folder where they name no store or settings.
    explicit SelfTest(StackScrollViewAppDelegate::Options& options, QObject* parent = nullptr);
    // Watches the delegate's window; ends the application when the first screen was drawn or after
    // timeoutMs without it.
    void watch(StackScrollViewAppDelegate& delegate, int timeoutMs = 30000);

private:
    void frameDrawn();
    void finish(int code, const QString& screen);

    QTemporaryDir m_dir;
    StackScrollViewAppDelegate* m_delegate = nullptr;
    QQuickWindow* m_window = nullptr;
    QStringList m_warnings;
    bool m_done = false;
};
