#pragma once
// One tablet in a test: its own store, query object, object manager, reachability and engine, coupled
// to the demo organisation of a reference server and logged in as a staff member of one location.
#include "DataAccessObject.h"
#include "MainSynchroObject.h"
#include "ObjectManager.h"
#include "Reachability.h"

#include <QTemporaryDir>
#include <memory>

class Tablet {
public:
    // storePath empty: a fresh store in a temporary folder.
    Tablet(const QUrl& server, const QString& storePath = {});
    ~Tablet();

    // Organisation, locations, staff, children and today's registrations; logs in a staff member of the
    // first active location (an administrator when admin is true). False when something did not arrive.
    bool couple(bool admin = false);
    // The organisation, its locations and their staff, as the coupling screens download them; the tablet
    // is named. False when something did not arrive.
    bool download();
    // A fresh settings file for each test function, so no test sees another's defaults.
    static void useFreshSettings(const QTemporaryDir& dir);
    // After a restart on a coupled store: the same location and staff member as couple(), no network.
    bool resume(bool admin = false);
    // One check, waiting until every answer and recomputation is in.
    bool check(int timeoutMs = 60000);
    // A clocking as the attendance screens make it: stored, queued, status recomputed, saved.
    Registration* clock(Child* child, const QString& type, qint64 atMs = 0);
    QList<SynchroObject*> queue() const;
    int countWithStatus(int status) const;

    std::shared_ptr<Store> store;
    std::unique_ptr<DataAccessObject> dao;
    std::unique_ptr<ObjectManager> manager;
    std::unique_ptr<ManualReachability> reachability;
    std::unique_ptr<MainSynchroObject> engine;
    QString entityId;

private:
    QTemporaryDir m_dir;
};
