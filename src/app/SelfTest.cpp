#include "SelfTest.h"

#include "RootViewController.h"
#include "Translations.h"

#include <QCoreApplication>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>
#include <cstdio>

SelfTest::SelfTest(StackScrollViewAppDelegate::Options& options, QObject* parent)
    : QObject(parent) {
    if (options.storePath.isEmpty())
        options.storePath = m_dir.filePath(QStringLiteral("RKCoreDataExample.sqlite"));
    if (options.settingsPath.isEmpty())
        options.settingsPath = m_dir.filePath(QStringLiteral("settings.ini"));
}

void SelfTest::watch(StackScrollViewAppDelegate& delegate, int timeoutMs) {
    m_delegate = &delegate;
    QQmlApplicationEngine* qml = delegate.qmlEngine();
    if (!qml || qml->rootObjects().isEmpty()) {
        // The window itself did not load: its QML warnings went to the log already.
        QTimer::singleShot(0, this, [this] { finish(1, QStringLiteral("none (the window did not load)")); });
        return;
    }
    connect(qml, &QQmlEngine::warnings, this, [this](const QList<QQmlError>& warnings) {
        for (const QQmlError& w : warnings)
            m_warnings << w.toString();
    });
    m_window = qobject_cast<QQuickWindow*>(qml->rootObjects().constFirst());
    if (!m_window) {
        QTimer::singleShot(0, this, [this] { finish(1, QStringLiteral("none (no window)")); });
        return;
    }
    connect(m_window, &QQuickWindow::frameSwapped, this, &SelfTest::frameDrawn, Qt::QueuedConnection);
    QTimer::singleShot(timeoutMs, this, [this] { finish(1, QStringLiteral("none (nothing drawn in time)")); });
}

void SelfTest::frameDrawn() {
    if (m_done)
        return;
    if (m_delegate->storeFailure()) {
        finish(1, QStringLiteral("storeFailure"));
        return;
    }
    // The login screen is drawn once its loader holds the view (it may be made over several frames).
    auto* loader = m_window->findChild<QQuickItem*>(QStringLiteral("loginLoader"));
    const QVariant item = loader ? loader->property("item") : QVariant();
    if (!item.value<QObject*>())
        return;
    QObject* login = m_delegate->rootViewController()->loginViewController();
    const QString state = login ? login->property("stateName").toString() : QString();
    finish(m_warnings.isEmpty() ? 0 : 1, QStringLiteral("login (%1)").arg(state));
}

void SelfTest::finish(int code, const QString& screen) {
    if (m_done)
        return;
    m_done = true;
    const QString catalogue = Translations::installedFile();
    std::printf("first screen: %s\ncatalogue: %s\n", qPrintable(screen),
                catalogue.isEmpty() ? "none (Dutch)" : qPrintable(catalogue));
    for (const QString& w : std::as_const(m_warnings))
        std::printf("QML warning: %s\n", qPrintable(w));
    std::printf("selftest %s\n", code == 0 ? "passed" : "FAILED");
    std::fflush(stdout);
    QCoreApplication::exit(code);
}
