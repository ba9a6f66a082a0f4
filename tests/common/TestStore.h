#pragma once
// A throw-away store for one test: its own folder, store file, settings file and query object.
// The query object becomes the shared one when none is registered and gives that up when the
// TemporaryStore goes, so the next test's store is the one the presence rules and Util read.
#include "DataAccessObject.h"
#include "Entities.h"
#include "Store.h"

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

namespace testing {

// A local wall-clock moment in the process's time zone.
QDateTime local(int year, int month, int day, int hour, int minute, int second = 0);
// The 13-digit moment text of a date.
QString moment(const QDateTime& date);

} // namespace testing

class TemporaryStore {
public:
    TemporaryStore();
    ~TemporaryStore();
    TemporaryStore(const TemporaryStore&) = delete;
    TemporaryStore& operator=(const TemporaryStore&) = delete;

    bool isValid() const { return m_store != nullptr; }
    QString storePath() const { return m_path; }
    QString folder() const { return m_dir.path(); }
    std::shared_ptr<Store> store() const { return m_store; }
    DataAccessObject& dao() const { return *m_dao; }
    Context* context() const { return m_store->context(); }
    // Saves the calling thread's context; the error (empty on success) for QVERIFY2.
    QString save();

    // Record builders: they fill the usual attributes and leave everything else absent.
    Organisation* organisation(const QString& id, const QString& timeSwitch = QString(),
                               const QString& timeSwitchInterval = QString(), qint64 exists = 1);
    Entities* location(const QString& id, const QString& name, qint64 activeForiPad = 1, qint64 exists = 1);
    Device* device(const QString& id, const QString& organisationId, const QString& name, qint64 exists = 1);
    Child* child(const QString& id, const QString& firstName, const QString& lastName,
                 const QString& entityId = QStringLiteral("E1"), qint64 exists = 1);
    Users* staff(const QString& userEntityId, const QString& userId, const QString& firstName,
                 const QString& lastName, const QString& entityId = QStringLiteral("E1"),
                 qint64 timeEntryNeeded = 1, qint64 exists = 1, qint64 isAdmin = 0);
    Group* membership(const QString& groupChildId, const QString& groupId, const QString& groupName,
                      const QString& groupType, Child* child, qint64 exists = 1,
                      const QString& entityId = QStringLiteral("E1"));
    // locked: an invalid QVariant leaves it absent.
    Registration* registration(const QString& id, const QString& childId, const QString& time,
                               const QString& type, qint64 exists = 1, const QVariant& locked = QVariant());
    UserRegistration* userRegistration(const QString& id, const QString& userId, const QString& time,
                                       const QString& type, qint64 exists = 1,
                                       const QVariant& locked = QVariant());
    SynchroObject* synchro(const QString& id, qint64 status, const QString& entryDate,
                           const QString& lastTryDate = QString());

private:
    QTemporaryDir m_dir;
    QString m_path;
    std::shared_ptr<Store> m_store;
    std::unique_ptr<DataAccessObject> m_dao;
};
