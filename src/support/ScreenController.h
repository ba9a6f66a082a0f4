#pragma once
// Base of every screen controller: names the QML view that draws it, carries its title, the screen
// it is embedded in (if any) and its dialog requests. The panel stack and the QML shell use only this.
// Main thread; ownership by the QObject parent (the panel stack adopts parentless screens).
#include "DialogRequests.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class ScreenController : public QObject {
    Q_OBJECT
    Q_PROPERTY(QUrl viewUrl READ viewUrl CONSTANT)
    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)
    Q_PROPERTY(QObject* parentScreen READ parentScreen WRITE setParentScreen NOTIFY parentScreenChanged)
    Q_PROPERTY(DialogRequests* dialogs READ dialogs CONSTANT)
public:
    // viewUrl: the QML view, e.g. Resources::qmlUrl("app/qml/InfoView.qml"); the view gets this
    // controller as its required property `controller`.
    explicit ScreenController(const QUrl& viewUrl, const QString& title = QString(),
                              QObject* parent = nullptr);

    QUrl viewUrl() const { return m_viewUrl; }
    QString title() const { return m_title; }
    void setTitle(const QString& title);
    // The screen this one is drawn inside of, or nullptr for a screen of its own.
    QObject* parentScreen() const { return m_parentScreen; }
    void setParentScreen(QObject* screen);
    DialogRequests* dialogs() const { return m_dialogs; }

    // The answer to an alert this controller asked for through dialogs(); the base ignores it.
    Q_INVOKABLE virtual void alertViewClickedButtonAtIndex(int tag, int index);

    // The idle lock waits while a screen is in the middle of something a person started (a clocking,
    // a photo being taken); it asks again later.
    virtual bool holdsIdleLock() const { return false; }
    // Called just before the idle lock takes the screen away: keep what must survive it.
    virtual void prepareForIdleLock() {}

signals:
    void titleChanged();
    void parentScreenChanged();

private:
    QUrl m_viewUrl;
    QString m_title;
    QPointer<QObject> m_parentScreen;
    DialogRequests* m_dialogs;
};
