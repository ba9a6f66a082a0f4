#pragma once
// The panel stack: the screens shown side by side to the right of the menu, oldest first. Each row of
// this model is one screen controller (a QObject, normally a ScreenController); QML draws them with
// StackScrollView.qml. Geometry lives here so the rules are testable: each panel is half the area
// wide (the whole area on an upright screen: panelsInView 1), at rest the newest ones are fully visible
// and older ones lie under them at the left edge; viewXPosition scrolls the row of panels and is what
// a drag changes.
// Main thread. Screens without a QObject parent are adopted when added and deleted when removed.
#include <QAbstractListModel>
#include <QList>
#include <QObject>
#include <QPointer>

class StackScrollViewController : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(qreal viewWidth READ viewWidth WRITE setViewWidth NOTIFY geometryChanged)
    Q_PROPERTY(qreal panelWidth READ panelWidth NOTIFY geometryChanged)
    Q_PROPERTY(qreal viewXPosition READ viewXPosition WRITE setViewXPosition NOTIFY viewXPositionChanged)
    Q_PROPERTY(qreal maxViewXPosition READ maxViewXPosition NOTIFY geometryChanged)
    Q_PROPERTY(int panelsInView READ panelsInView WRITE setPanelsInView NOTIFY geometryChanged)
    // Whether a panel lies left or right of the ones in view (the way back, and forward again).
    Q_PROPERTY(bool canGoBack READ canGoBack NOTIFY navigationChanged)
    Q_PROPERTY(bool canGoForward READ canGoForward NOTIFY navigationChanged)
public:
    // PanelXRole follows viewXPosition and the geometry, so delegates move without extra bindings.
    enum Roles { ScreenRole = Qt::UserRole + 1, ViewUrlRole, TitleRole, PanelXRole };

    explicit StackScrollViewController(QObject* parent = nullptr);
    ~StackScrollViewController() override;

    // Shows screen as a panel. With isStackStartView every panel goes first. Otherwise, once two or
    // more panels are open, the panels after the invoker (or after the screen the invoker is embedded
    // in) go, so the new panel follows its invoker; an invoker not in the stack keeps every panel.
    // A screen already in the stack is moved to the end. Scrolls so the new panel is in view.
    Q_INVOKABLE void addViewInSlider(QObject* screen, QObject* invoker, bool isStackStartView);
    // Removes the panels after screen (or after the screen it is embedded in); none when it is absent.
    Q_INVOKABLE void removeLastSubViewByController(QObject* screen);
    Q_INVOKABLE void removeAll();

    const QList<QObject*>& viewControllersStack() const { return m_stack; }
    int count() const { return int(m_stack.size()); }
    Q_INVOKABLE QObject* screenAt(int index) const { return m_stack.value(index); }
    Q_INVOKABLE int indexOfScreen(QObject* screen) const;

    qreal viewWidth() const { return m_viewWidth; }
    void setViewWidth(qreal width);
    qreal panelWidth() const { return m_viewWidth / m_panelsInView; }
    int panelsInView() const { return m_panelsInView; }
    // 1 or 2. The newest panels come into view: after a turn the user sees what was opened last.
    void setPanelsInView(int panels);
    bool canGoBack() const;
    bool canGoForward() const;
    // One panel back or forward, the panels already open staying open (their state with them).
    Q_INVOKABLE void goBack();
    Q_INVOKABLE void goForward();
    qreal viewXPosition() const { return m_viewXPosition; }
    // Any value while dragging (outside [0, maxViewXPosition] the panels stretch away and bounce back).
    void setViewXPosition(qreal x);
    // The resting position that shows the newest panels.
    qreal maxViewXPosition() const;
    // The x of a panel's left edge for the current viewXPosition: panels older than the ones in view
    // stop at the left edge, under the newer ones.
    Q_INVOKABLE qreal panelX(int index) const;
    // Where a released drag settles: the nearest panel boundary inside the allowed range, one step
    // further in the direction of a fast flick (velocity in pixels per second, positive = leftwards).
    Q_INVOKABLE qreal settledPosition(qreal position, qreal velocity) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();
    void geometryChanged();
    void viewXPositionChanged();
    void navigationChanged();

private:
    int lookUp(QObject* screen) const;
    void removeFrom(int first);
    void release(QObject* screen);
    void screenDestroyed(QObject* screen);
    void panelsMoved();

    QList<QObject*> m_stack;
    QList<QObject*> m_owned;
    qreal m_viewWidth = 824;
    qreal m_viewXPosition = 0;
    int m_panelsInView = 2;
};
