#pragma once
// The on-screen keyboard's C++ side: whether it is wanted (the setting "cc_onscreenKeyboard": "auto",
// "on" or "off", or --keyboard on the command line), whether a keyboard with keys is attached, the
// layout for the language of the texts, and the focus-out after a tap beside the field being typed in.
// The panel itself is QML (app/qml/KeyboardPanel.qml). Main thread; owned by the application delegate.
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QWindow>
#include <QRectF>
#include <QStringList>

class QInputDevice;
class QQuickItem;
class QQuickWindow;

class OnScreenKeyboard : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool available READ available CONSTANT)
    Q_PROPERTY(QString locale READ locale CONSTANT)
    // Where the panel is drawn, in window coordinates; empty while it is hidden (the panel sets it).
    Q_PROPERTY(QRectF panelRect READ panelRect WRITE setPanelRect NOTIFY panelRectChanged)
public:
    enum class Mode { Auto, On, Off };
    static const QString kSettingKey;

    // "on" and "off" (any case); anything else, absent included, is "auto".
    static Mode modeFromText(const QString& text);
    // The value after --keyboard, or a null text.
    static QString modeFromArguments(const QStringList& arguments);
    // Before the application object exists, which loads the input method: ours unless the keyboard is
    // "off" (command line first, then the settings file: --settings or the platform's) or the
    // environment already names another. "off" keeps the system's own (dead keys of a real keyboard).
    static void chooseInputMethod(int argc, char** argv);
    // Whether one of these devices is a keyboard someone types on: X's virtual core and test keyboards
    // do not count, nor the buttons a system lists as keyboards (power, sleep, lid, video, volume...).
    static bool hasTypingKeyboard(const QList<const QInputDevice*>& devices);

    // overrideMode: from the command line; null to follow the setting.
    explicit OnScreenKeyboard(const QString& overrideMode = QString(), QObject* parent = nullptr);

    // The on-screen keyboard's input method is the one loaded.
    static bool available();
    // The command line's mode, else the setting as it is now.
    Mode mode() const;
    // Whether the panel shows for a field that gets the focus now: "on", or "auto" without a typing
    // keyboard among the devices Qt lists at this moment (one plugged in later counts).
    Q_INVOKABLE bool wanted() const;
    // The layout: "nl_NL", or English with the English texts.
    static QString locale();

    QRectF panelRect() const { return m_panelRect; }
    void setPanelRect(const QRectF& rect);
    // Watches the window's taps: one beside the field being typed in (and beside the panel) takes the
    // focus away, so that the keyboard closes.
    void watch(QQuickWindow* window);

signals:
    void panelRectChanged();
    // A finger went down, on the panel or elsewhere (seen before any item or popup gets the press).
    void fingerDown(bool onPanel);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pressed(const QPointF& at);
    void released(const QPointF& at);

    QString m_override;
    QRectF m_panelRect;
    // Held as a QWindow: the filter still sees events while the window is torn down, when it is no
    // QQuickWindow any more.
    QPointer<QWindow> m_window;
    QPointer<QQuickItem> m_typing; // the field that had the focus when the finger went down outside it
    QPointF m_pressedAt;
};
