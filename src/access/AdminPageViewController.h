#pragma once
// The queue screen: every outgoing change record with its state, newest first, as a snapshot taken
// when the screen is made; one record or all of them can be sent again. Main thread; owned by the
// panel stack.
#include "DataAccessObject.h"
#include "ScreenController.h"

#include <QAbstractListModel>
#include <QList>
#include <QLocale>
#include <QPointer>
#include <QSet>

class MainSynchroObject;

// One row per queue record. Rows hold the record's values only; the texts are made when a row is shown.
class AdminPageModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Roles {
        SynchroObjectIdRole = Qt::UserRole + 1,
        EntryDateRole,
        ObjectIdRole,
        ObjectTypeRole,
        HttpTypeRole,
        NrOfTriesRole,
        LastTryDateRole,
        StatusRole,
        RetriedRole
    };

    explicit AdminPageModel(QObject* parent = nullptr);
    void setEntries(QList<SynchroObjectEntry> entries);
    const QList<SynchroObjectEntry>& entries() const { return m_entries; }
    // The row's button shows the cloud from now on.
    void setRetried(int row);
    bool isRetried(int row) const { return m_retried.contains(row); }

    // "Wachtrij", "Verstuurd", "Mislukt", "Succes", or "N/A".
    static QString statusText(qint64 status);
    // A millisecond text as "EEE dd/MM/yy HH:mm" in local time; an absent moment is the moment 0. The
    // rows use the texts' locale (Translations::locale()).
    static QString dateText(const QString& moment, const QLocale& locale = QLocale());

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<SynchroObjectEntry> m_entries;
    QSet<int> m_retried;
    QLocale m_locale;
};

class AdminPageViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(AdminPageModel* syncObjects READ syncObjects CONSTANT)
public:
    // Loads the snapshot of every queue record at once.
    AdminPageViewController(DataAccessObject* dao, MainSynchroObject* engine, QObject* parent = nullptr);

    AdminPageModel* syncObjects() const { return m_syncObjects; }

    // The header's button: every record sent again behind the engine's overlay; a confirmation says
    // how many once they went.
    Q_INVOKABLE void doRetryAll();
    // A row's button: one more attempt for that record, whatever its status; the button turns into
    // the cloud, and a confirmation says what was sent. The row's texts stay as they were.
    Q_INVOKABLE void doRetry(int row);

private:
    DataAccessObject* m_dao;
    QPointer<MainSynchroObject> m_engine;
    AdminPageModel* m_syncObjects;
    bool m_resendAllAsked = false;
};
