#include "StackScrollViewController.h"

#include <QUrl>
#include <QVariant>
#include <algorithm>
#include <cmath>

namespace {
// A flick faster than this (pixels per second) moves on by a panel even when released short of halfway.
constexpr qreal kFlickVelocity = 600;
} // namespace

StackScrollViewController::StackScrollViewController(QObject* parent)
    : QAbstractListModel(parent) {
    connect(this, &StackScrollViewController::viewXPositionChanged, this,
            &StackScrollViewController::panelsMoved);
    connect(this, &StackScrollViewController::geometryChanged, this, &StackScrollViewController::panelsMoved);
    connect(this, &StackScrollViewController::viewXPositionChanged, this,
            &StackScrollViewController::navigationChanged);
    connect(this, &StackScrollViewController::geometryChanged, this,
            &StackScrollViewController::navigationChanged);
}

void StackScrollViewController::panelsMoved() {
    if (!m_stack.isEmpty())
        emit dataChanged(index(0), index(int(m_stack.size()) - 1), {PanelXRole});
}

StackScrollViewController::~StackScrollViewController() {
    // Adopted screens are children and go with this object; only stop watching the others.
    for (QObject* screen : std::as_const(m_stack))
        disconnect(screen, nullptr, this, nullptr);
}

void StackScrollViewController::addViewInSlider(QObject* screen, QObject* invoker, bool isStackStartView) {
    if (!screen)
        return;
    if (const int existing = indexOfScreen(screen); existing >= 0) {
        // Re-showing an open screen: it keeps its state but moves to the end.
        beginRemoveRows(QModelIndex(), existing, existing);
        m_stack.removeAt(existing);
        endRemoveRows();
    }
    if (isStackStartView) {
        removeFrom(0);
    } else if (m_stack.size() >= 2) {
        const int at = lookUp(invoker);
        if (at >= 0)
            removeFrom(at + 1);
    }

    if (!screen->parent()) {
        screen->setParent(this);
        m_owned.append(screen);
    }
    connect(screen, &QObject::destroyed, this, &StackScrollViewController::screenDestroyed,
            Qt::UniqueConnection);
    const int row = int(m_stack.size());
    beginInsertRows(QModelIndex(), row, row);
    m_stack.append(screen);
    endInsertRows();
    emit countChanged();
    emit geometryChanged();
    setViewXPosition(maxViewXPosition());
}

void StackScrollViewController::removeLastSubViewByController(QObject* screen) {
    const int at = lookUp(screen);
    if (at >= 0)
        removeFrom(at + 1);
}

void StackScrollViewController::removeAll() {
    removeFrom(0);
}

int StackScrollViewController::indexOfScreen(QObject* screen) const {
    return screen ? int(m_stack.indexOf(screen)) : -1;
}

int StackScrollViewController::lookUp(QObject* screen) const {
    // An embedded screen is not a panel itself: its nearest enclosing screen in the stack counts.
    for (int depth = 0; screen && depth < 16; ++depth) {
        if (const int at = indexOfScreen(screen); at >= 0)
            return at;
        screen = screen->property("parentScreen").value<QObject*>();
    }
    return -1;
}

void StackScrollViewController::removeFrom(int first) {
    if (first >= m_stack.size())
        return;
    beginRemoveRows(QModelIndex(), first, int(m_stack.size()) - 1);
    const QList<QObject*> removed = m_stack.mid(first);
    m_stack.resize(first);
    endRemoveRows();
    for (QObject* screen : removed)
        release(screen);
    emit countChanged();
    emit geometryChanged();
    setViewXPosition(std::min(m_viewXPosition, maxViewXPosition()));
}

void StackScrollViewController::release(QObject* screen) {
    disconnect(screen, &QObject::destroyed, this, &StackScrollViewController::screenDestroyed);
    if (m_owned.removeOne(screen))
        screen->deleteLater(); // later: its view may still be tearing down in this event
}

void StackScrollViewController::screenDestroyed(QObject* screen) {
    m_owned.removeOne(screen);
    const int at = int(m_stack.indexOf(screen));
    if (at < 0)
        return;
    beginRemoveRows(QModelIndex(), at, at);
    m_stack.removeAt(at);
    endRemoveRows();
    emit countChanged();
    emit geometryChanged();
    setViewXPosition(std::min(m_viewXPosition, maxViewXPosition()));
}

void StackScrollViewController::setViewWidth(qreal width) {
    if (width <= 0 || qFuzzyCompare(width, m_viewWidth))
        return;
    // Keep the same panels in view: the position is measured in panel widths.
    const qreal panels = panelWidth() > 0 ? m_viewXPosition / panelWidth() : 0;
    m_viewWidth = width;
    emit geometryChanged();
    setViewXPosition(panels * panelWidth());
}

void StackScrollViewController::setViewXPosition(qreal x) {
    if (qFuzzyCompare(1 + x, 1 + m_viewXPosition))
        return;
    m_viewXPosition = x;
    emit viewXPositionChanged();
}

qreal StackScrollViewController::maxViewXPosition() const {
    return std::max<qreal>(0, qreal(m_stack.size() - m_panelsInView) * panelWidth());
}

void StackScrollViewController::setPanelsInView(int panels) {
    panels = std::clamp(panels, 1, 2);
    if (panels == m_panelsInView)
        return;
    m_panelsInView = panels;
    emit geometryChanged();
    setViewXPosition(maxViewXPosition());
}

bool StackScrollViewController::canGoBack() const {
    return m_viewXPosition > panelWidth() / 2;
}

bool StackScrollViewController::canGoForward() const {
    return m_viewXPosition < maxViewXPosition() - panelWidth() / 2;
}

void StackScrollViewController::goBack() {
    setViewXPosition(settledPosition(m_viewXPosition - panelWidth(), 0));
}

void StackScrollViewController::goForward() {
    setViewXPosition(settledPosition(m_viewXPosition + panelWidth(), 0));
}

qreal StackScrollViewController::panelX(int index) const {
    const qreal x = qreal(index) * panelWidth() - m_viewXPosition;
    return std::max<qreal>(x, 0);
}

qreal StackScrollViewController::settledPosition(qreal position, qreal velocity) const {
    const qreal width = panelWidth();
    if (width <= 0)
        return 0;
    qreal steps = position / width;
    if (velocity > kFlickVelocity)
        steps = std::ceil(steps);
    else if (velocity < -kFlickVelocity)
        steps = std::floor(steps);
    else
        steps = std::round(steps);
    return std::clamp(steps * width, qreal(0), maxViewXPosition());
}

int StackScrollViewController::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_stack.size());
}

QVariant StackScrollViewController::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    QObject* screen = m_stack.at(index.row());
    switch (role) {
    case ScreenRole:
        return QVariant::fromValue(screen);
    case ViewUrlRole:
        return screen->property("viewUrl").toUrl();
    case TitleRole:
    case Qt::DisplayRole:
        return screen->property("title").toString();
    case PanelXRole:
        return panelX(index.row());
    default:
        return {};
    }
}

QHash<int, QByteArray> StackScrollViewController::roleNames() const {
    return {{ScreenRole, "screen"}, {ViewUrlRole, "viewUrl"}, {TitleRole, "title"}, {PanelXRole, "panelX"}};
}
