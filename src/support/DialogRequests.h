#pragma once
// What a controller asks the UI to show: alerts and the progress overlay. A controller owns one
// DialogRequests and calls it; the shared QML components AlertDialog and ProgressOverlay (src/support/qml)
// bind to it and draw. Tests spy on the signals and properties instead of drawing anything.
//
//   C++:  dialogs()->alert(tr("Sorry"), text, {tr("OK")}, kTagMail);
//         connect(dialogs(), &DialogRequests::answered, this, [](int tag, int index) { ... });
//         dialogs()->showOverlay(label, detail); ... dialogs()->hideOverlay();
//         dialogs()->showMessage(text, 3000);      // text only, hides itself
//         dialogs()->confirm(tr("Foto's gewist"));  // a short confirmation that blocks nothing
//   QML:  AlertDialog { requests: controller ? controller.dialogs : null }
//         ProgressOverlay { requests: controller ? controller.dialogs : null }
//         Toast { requests: controller ? controller.dialogs : null }
//
// Buttons: buttons[0] is the cancel button (index 0), the others follow with indexes 1, 2, ...
// One AlertDialog presents a controller's alerts: the panel stack draws one for every panel, so a view
// drawn there must not add its own. Should two be bound anyway, the first keeps the alerts and the other
// stays idle, so that no request is shown twice or answered twice.
// Main thread only; owned by its controller.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

class DialogRequests : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool overlayVisible READ overlayVisible NOTIFY overlayChanged)
    Q_PROPERTY(QString overlayLabel READ overlayLabel NOTIFY overlayChanged)
    Q_PROPERTY(QString overlayDetail READ overlayDetail NOTIFY overlayChanged)
    Q_PROPERTY(bool overlaySpinner READ overlaySpinner NOTIFY overlayChanged)
    // The short confirmation (Toast.qml): shown while toastVisible, for kToastMs.
    Q_PROPERTY(bool toastVisible READ toastVisible NOTIFY toastChanged)
    Q_PROPERTY(QString toastText READ toastText NOTIFY toastChanged)
    // The alert view that shows this object's alerts, or null.
    Q_PROPERTY(QObject* alertPresenter READ alertPresenter NOTIFY alertPresenterChanged)
public:
    static constexpr int kToastMs = 3500;

    explicit DialogRequests(QObject* parent = nullptr);

    // Asks for an alert; the answer comes back as answered(tag, index). Alerts asked while one is
    // shown are shown one after the other.
    void alert(const QString& title, const QString& message, const QStringList& buttons, int tag = 0);

    // Shows the modal overlay with a spinner until hideOverlay(); calling it again updates the texts.
    void showOverlay(const QString& label, const QString& detail = QString());
    // Shows a text-only overlay that hides itself after msecs.
    void showMessage(const QString& label, int msecs);
    void hideOverlay();
    // Tells what just happened, without asking anything and without blocking the screen; a newer
    // confirmation replaces the one shown.
    void confirm(const QString& text, int msecs = kToastMs);
    void hideToast();

    bool overlayVisible() const { return m_overlayVisible; }
    QString overlayLabel() const { return m_overlayLabel; }
    QString overlayDetail() const { return m_overlayDetail; }
    bool overlaySpinner() const { return m_overlaySpinner; }
    bool toastVisible() const { return m_toastVisible; }
    QString toastText() const { return m_toastText; }

    QObject* alertPresenter() const { return m_alertPresenter; }
    // An alert view offers to show the alerts: true when it is (or already was) the one that does,
    // false while another one does.
    Q_INVOKABLE bool presentAlerts(QObject* view);
    // The view no longer shows them (it goes, or is bound elsewhere); another may take over.
    Q_INVOKABLE void stopPresentingAlerts(QObject* view);

public slots:
    // Called by the alert when a button is pressed.
    void answer(int tag, int index);

signals:
    void showAlert(const QString& title, const QString& message, const QStringList& buttons, int tag);
    void answered(int tag, int index);
    void overlayChanged();
    void toastChanged();
    void alertPresenterChanged();

private:
    void setOverlay(bool visible, const QString& label, const QString& detail, bool spinner);

    bool m_overlayVisible = false;
    QString m_overlayLabel;
    QString m_overlayDetail;
    bool m_overlaySpinner = false;
    QTimer m_messageTimer;
    bool m_toastVisible = false;
    QString m_toastText;
    QTimer m_toastTimer;
    QPointer<QObject> m_alertPresenter;
};
