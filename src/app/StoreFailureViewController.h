#pragma once
// The full screen shown instead of the app when its store cannot be opened: what is wrong, what to
// do (the organisation's technical help, whose contact the information page beside it lists) and a
// "Probeer opnieuw" button. The file itself is left as it is. Main thread.
#include "InfoViewController.h"
#include "ScreenController.h"
#include "Store.h"

class StoreFailureViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(QString cause READ cause NOTIFY problemChanged)
    Q_PROPERTY(QString advice READ advice NOTIFY problemChanged)
    Q_PROPERTY(int attempts READ attempts NOTIFY problemChanged)
    Q_PROPERTY(InfoViewController* info READ info CONSTANT)
    Q_PROPERTY(QString helpName READ helpName CONSTANT)
    Q_PROPERTY(QString helpPhone READ helpPhone CONSTANT)
    Q_PROPERTY(QString helpEmail READ helpEmail CONSTANT)
public:
    explicit StoreFailureViewController(Store::OpenProblem problem, QObject* parent = nullptr);

    Store::OpenProblem problem() const { return m_problem; }
    // What is wrong, and what the staff can do about it, in Dutch.
    QString cause() const;
    QString advice() const;
    // How often "Probeer opnieuw" failed too.
    int attempts() const { return m_attempts; }
    InfoViewController* info() const { return m_info; }
    // The information page's technical help (the contact named "Technische hulp ..."), empty without one.
    QString helpName() const { return help().name; }
    QString helpPhone() const { return help().phone; }
    QString helpEmail() const { return help().email; }
    // A tap on the help's address: the mail client, as on the information page.
    Q_INVOKABLE void mailHelp();

    // "Probeer opnieuw": asks the start-up to open the store again.
    Q_INVOKABLE void probeerOpnieuw();
    // The new attempt failed as well (the cause may have changed).
    void retryFailed(Store::OpenProblem problem);

signals:
    void retryRequested();
    void problemChanged();

private:
    InfoContactsModel::Contact help() const;

    Store::OpenProblem m_problem;
    int m_helpRow = -1;
    int m_attempts = 0;
    InfoViewController* m_info;
};
