#include "DialogRequests.h"

DialogRequests::DialogRequests(QObject* parent)
    : QObject(parent) {
    m_messageTimer.setSingleShot(true);
    connect(&m_messageTimer, &QTimer::timeout, this, &DialogRequests::hideOverlay);
    m_noticeTimer.setSingleShot(true);
    connect(&m_noticeTimer, &QTimer::timeout, this, [this] {
        m_notice.clear();
        emit noticeChanged();
    });
}

void DialogRequests::showNotice(const QString& text) {
    m_notice = text;
    m_noticeTimer.start(kNoticeMs);
    emit noticeChanged();
}

void DialogRequests::alert(const QString& title, const QString& message, const QStringList& buttons,
                           int tag) {
    emit showAlert(title, message, buttons, tag);
}

void DialogRequests::showOverlay(const QString& label, const QString& detail) {
    // A spinner overlay stays until hidden, even when a message's timer was running.
    m_messageTimer.stop();
    setOverlay(true, label, detail, true);
}

void DialogRequests::showMessage(const QString& label, int msecs) {
    setOverlay(true, label, QString(), false);
    m_messageTimer.start(msecs);
}

void DialogRequests::hideOverlay() {
    m_messageTimer.stop();
    setOverlay(false, m_overlayLabel, m_overlayDetail, m_overlaySpinner);
}

bool DialogRequests::presentAlerts(QObject* view) {
    if (!view)
        return false;
    if (m_alertPresenter)
        return m_alertPresenter == view;
    m_alertPresenter = view;
    // A view destroyed without saying so frees the alerts for another.
    connect(view, &QObject::destroyed, this, [this, view] { stopPresentingAlerts(view); });
    emit alertPresenterChanged();
    return true;
}

void DialogRequests::stopPresentingAlerts(QObject* view) {
    if (!view || (m_alertPresenter && m_alertPresenter != view))
        return;
    disconnect(view, &QObject::destroyed, this, nullptr);
    m_alertPresenter = nullptr;
    emit alertPresenterChanged();
}

void DialogRequests::answer(int tag, int index) {
    emit answered(tag, index);
}

void DialogRequests::setOverlay(bool visible, const QString& label, const QString& detail, bool spinner) {
    if (visible == m_overlayVisible && label == m_overlayLabel && detail == m_overlayDetail &&
        spinner == m_overlaySpinner)
        return;
    m_overlayVisible = visible;
    m_overlayLabel = label;
    m_overlayDetail = detail;
    m_overlaySpinner = spinner;
    emit overlayChanged();
}
