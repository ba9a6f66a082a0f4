#pragma once
// Creates the views' list rows that are made ahead of need (outside the visible area) in short slices
// between the other events, so that a frame, a tap or a timer never waits long behind them. The
// window's own controller gives them up to 10 ms at a time when frames are drawn on the main thread.
// Main thread; set on the QML engine before the window is loaded.
#include <QObject>
#include <QQmlIncubationController>
#include <QTimer>

class Incubator : public QObject, public QQmlIncubationController {
public:
    static constexpr int kSliceMs = 3;

    explicit Incubator(QObject* parent = nullptr);

protected:
    void incubatingObjectCountChanged(int count) override;

private:
    QTimer m_timer;
};
