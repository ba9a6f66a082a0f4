#pragma once
// A kiosk start: the window is full screen without decorations (Main.qml), the screen is kept on, and
// closing the window takes an administrator's password, asked in a dialog of its own. Main thread;
// owned by the application's delegate.
#include <QObject>
#include <functional>

class DataAccessObject;
class ScreenSaverInhibitor;
class UserDefaults;
class QWindow;

class Kiosk : public QObject {
    Q_OBJECT
    // The password dialog is open.
    Q_PROPERTY(bool exitAsked READ exitAsked NOTIFY exitAskedChanged)
    Q_PROPERTY(QString passwordText READ passwordText WRITE setPasswordText NOTIFY passwordTextChanged)
    // Why the last password was refused; empty when none was.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)

public:
    static constexpr const char* kSettingKey = "cc_kiosk";
    // The setting asks for a kiosk start ("true" or "1").
    static bool isSetIn(const UserDefaults& settings);

    // store: the store the administrators are read from (may give nullptr while it cannot be opened).
    explicit Kiosk(std::function<DataAccessObject*()> store, QObject* parent = nullptr);
    ~Kiosk() override;

    bool exitAsked() const { return m_exitAsked; }
    QString passwordText() const { return m_passwordText; }
    void setPasswordText(const QString& text);
    QString problem() const { return m_problem; }
    bool screenKeptOn() const;

    // Makes window cover its whole screen, also without a window manager to honour full screen (a bare
    // X session), and again when the screen's size changes.
    void coverScreen(QWindow* window);

    // The window is about to close: true once an administrator allowed it (or when the store knows no
    // administrator yet, before coupling); otherwise the password dialog opens and false.
    Q_INVOKABLE bool mayClose();
    // The dialog's "Annuleer".
    Q_INVOKABLE void cancelExit();
    // The dialog's "Sluit af": with an administrator's password leave() follows, else the dialog stays.
    Q_INVOKABLE void confirmExit();

signals:
    // An administrator allowed it: the window closes and the app ends.
    void leave();
    void exitAskedChanged();
    void passwordTextChanged();
    void problemChanged();

private:
    bool knowsAdministrators() const;
    bool isAdministratorPassword(const QString& password) const;
    void setExitAsked(bool asked);
    void setProblem(const QString& text);

    std::function<DataAccessObject*()> m_store;
    ScreenSaverInhibitor* m_screenOn;
    bool m_exitAsked = false;
    bool m_allowed = false;
    QString m_passwordText;
    QString m_problem;
};
