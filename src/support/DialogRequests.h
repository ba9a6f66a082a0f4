#pragma once
// What a controller asks the UI to show: alerts and the progress overlay. A controller owns one
// DialogRequests and calls it; the shared QML components AlertDialog and ProgressOverlay (src/support/qml)
// bind to it and draw. Tests spy on the signals and properties instead of drawing anything.
//
//   C++:  dialogs()->alert(tr("Sorry"), text, {tr("OK")}, kTagMail);
//         connect(dialogs(), &DialogRequests::answered, this, [](int tag, int index) { ... });
//         dialogs()->showOverlay(label, detail); ... dialogs()->hideOverlay();
//         dialogs()->showMessage(text, 3000);      // text only, hides itself
//         dialogs()->showNotice(tr("Foto bewaard")); // a short toast; the screen stays usable
//   QML:  AlertDialog { requests: controller ? controller.dialogs : null }
//         ProgressOverlay { requests: controller ? controller.dialogs : null }
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
    // The short confirmation shown now (Toast), or empty.
    Q_PROPERTY(QString notice READ notice NOTIFY noticeChanged)
    // The alert view that shows this object's alerts, or null.
    Q_PROPERTY(QObject* alertPresenter READ alertPresenter NOTIFY alertPresenterChanged)
public:
    explicit DialogRequests(QObject* parent = nullptr);

    // Asks for an alert; the answer comes back as answered(tag, index). Alerts asked while one is
    // shown are shown one after the other.
    void alert(const QString& title, const QString& message, const QStringList& buttons, int tag = 0);

    // Shows the modal overlay with a spinner until hideOverlay(); calling it again updates the texts.
    void showOverlay(const QString& label, const QString& detail = QString());
    // Shows a text-only overlay that hides itself after msecs.
    void showMessage(const QString& label, int msecs);
    void hideOverlay();
    // A confirmation that shows for kNoticeMs without blocking anything; a newer one replaces it.
    void showNotice(const QString& text);
    static constexpr int kNoticeMs = 2500;
    QString notice() const { return m_notice; }

    bool overlayVisible() const { return m_overlayVisible; }
    QString overlayLabel() const { return m_overlayLabel; }
    QString overlayDetail() const { return m_overlayDetail; }
    bool overlaySpinner() const { return m_overlaySpinner; }

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
    void alertPresenterChanged();
    void noticeChanged();

private:
    void setOverlay(bool visible, const QString& label, const QString& detail, bool spinner);

    bool m_overlayVisible = false;
    QString m_overlayLabel;
    QString m_overlayDetail;
    bool m_overlaySpinner = false;
    QTimer m_messageTimer;
    QString m_notice;
    QTimer m_noticeTimer;
    QPointer<QObject> m_alertPresenter;
};
