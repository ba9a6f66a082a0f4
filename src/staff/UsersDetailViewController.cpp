#include "UsersDetailViewController.h"

#include "Entities.h"
#include "StaffClockingSubject.h"

UsersDetailViewController::UsersDetailViewController(Users* user, SelectieLijst* selectie,
                                                     DataAccessObject* dao, MainSynchroObject* engine,
                                                     QObject* parent)
    : LeerlingenDetailViewController(user, selectie, dao, engine, parent, StaffClockingSubject::instance()) {}
