#pragma once
// The menu column left of the panel stack: the organisation header, the entries, the "Welkom" button
// and the synchronisation status panel. Choosing an entry opens its screen as the only panel of the
// stack, with the menu as invoker; "fakeMenuChoice" chooses an entry as a tap would.
// Main thread; owned by the root screen controller, lives as long as the logged-in main view.
#include "StatusView.h"
#include "roll/EmergencyRollViewController.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QVariantList>

class DataAccessObject;
class MainSynchroObject;
class StackScrollViewController;
class SyncState;
struct Notification;

class MenuViewController : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantList cellContents READ cellContents CONSTANT)
    Q_PROPERTY(int selectedOption READ selectedOption NOTIFY selectedOptionChanged)
    Q_PROPERTY(QString organisationName READ organisationName CONSTANT)
    Q_PROPERTY(QUrl organisationImage READ organisationImage CONSTANT)
    Q_PROPERTY(QString welkomText READ welkomText CONSTANT)
    Q_PROPERTY(StatusView* statusView READ statusView CONSTANT)
    Q_PROPERTY(EmergencyRollViewController* emergencyRoll READ emergencyRoll NOTIFY emergencyRollChanged)
public:
    enum Entry {
        ZoekenOpNaam = 0,
        Lijsten = 1,
        NieuwKind = 2,
        Info = 3,
        ZoekMedewerker = 4,
        Medewerker = 5,
        Admin = 6,
        Afsluiten = 7
    };
    Q_ENUM(Entry)

    // The entries follow the logged-in staff member (Users::sharedUsers) at creation time.
    MenuViewController(MainSynchroObject* engine, DataAccessObject* dao, StackScrollViewController* stack,
                       QObject* parent = nullptr);
    ~MenuViewController() override;

    // One map per entry: {"CellText": text, "CellImage": icon url}; "Admin" and "Dag afsluiten" only for
    // an administrator.
    QVariantList cellContents() const { return m_cellContents; }
    int count() const { return int(m_cellContents.size()); }
    int selectedOption() const { return m_selectedOption; }
    QString organisationName() const { return m_organisationName; }
    QUrl organisationImage() const { return m_organisationImage; }
    QString welkomText() const { return m_welkomText; }
    StatusView* statusView() const { return m_statusView; }
    // The emergency roll while it is open (drawn over everything), else nullptr.
    EmergencyRollViewController* emergencyRoll() const { return m_emergencyRoll; }
    // The queue's state the lists of this view show.
    SyncState* syncState() const { return m_syncState; }

    // Chooses entry index: on a change of entry both selection lists are emptied; the entry's screen
    // becomes the only panel. Out-of-range indexes do nothing.
    Q_INVOKABLE void tableViewDidSelectRowAtIndexPath(int index);
    // Chooses the staff search list (the "Welkom" button).
    Q_INVOKABLE void gaNaarMedewerker();
    // The header: posts "fakeMenuChoice" with key 0.
    Q_INVOKABLE void headerTapped();
    // Opens the emergency roll of the logged-in staff member's location over every screen, whatever
    // the panels show; nothing when it is open already. It goes when it asks to close.
    Q_INVOKABLE void openEmergencyRoll();

    // The view says whether the status line is on screen: a menu folded into a closed drawer lets
    // its clock rest, so an idle tablet draws nothing for it.
    Q_INVOKABLE void setStatusShown(bool shown);

    // Stops the timer and the observers and lets go of the stack: the menu is going (logout).
    void close();

    // A new screen for the entry (the caller owns it), or nullptr for an index without entry.
    QObject* createScreenForEntry(int index) const;

signals:
    void selectedOptionChanged();
    void emergencyRollChanged();

private:
    void fakeMenuChoice(const Notification& notification);

    QPointer<MainSynchroObject> m_engine;
    DataAccessObject* m_dao;
    QPointer<StackScrollViewController> m_stack;
    QVariantList m_cellContents;
    int m_selectedOption = -1;
    QString m_organisationName;
    QUrl m_organisationImage;
    QString m_welkomText;
    StatusView* m_statusView;
    QPointer<EmergencyRollViewController> m_emergencyRoll;
    SyncState* m_syncState;
    QMetaObject::Connection m_fakeMenuChoiceObserver;
    bool m_closed = false;
};
