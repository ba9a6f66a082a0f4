#pragma once
// The staff detail panel: the child detail panel working on the staff selection with staff members'
// registrations, texts, photos, products and messages. Its members cannot be deselected from here and
// their registrations are not deleted here. Main thread; owned by the panel stack (or its parent).
#include "LeerlingenDetailViewController.h"

class Users;

class UsersDetailViewController : public LeerlingenDetailViewController {
    Q_OBJECT
public:
    // Opens on user (added to the selection when that is empty) and follows selectie, the staff selection.
    UsersDetailViewController(Users* user, SelectieLijst* selectie, DataAccessObject* dao,
                              MainSynchroObject* engine, QObject* parent = nullptr);
};
