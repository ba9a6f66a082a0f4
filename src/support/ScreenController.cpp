#include "ScreenController.h"

ScreenController::ScreenController(const QUrl& viewUrl, const QString& title, QObject* parent)
    : QObject(parent)
    , m_viewUrl(viewUrl)
    , m_title(title)
    , m_dialogs(new DialogRequests(this)) {
    connect(m_dialogs, &DialogRequests::answered, this, &ScreenController::alertViewClickedButtonAtIndex);
}

void ScreenController::setTitle(const QString& title) {
    if (title == m_title)
        return;
    m_title = title;
    emit titleChanged();
}

void ScreenController::setParentScreen(QObject* screen) {
    if (screen == m_parentScreen)
        return;
    m_parentScreen = screen;
    emit parentScreenChanged();
}

void ScreenController::alertViewClickedButtonAtIndex(int, int) {}
