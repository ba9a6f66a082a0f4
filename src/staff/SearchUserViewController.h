#pragma once
// The staff search list: the children's overview built on the staff members who clock their time,
// one row per member over every location, with name search, presence filter and counts, no group
// filter. A tap or long press builds the staff selection and opens the staff detail panel beside it.
// Main thread; owned by the panel stack.
#include "SearchOverzichtViewController.h"

class MainSynchroObject;

class SearchUserViewController : public SearchOverzichtViewController {
    Q_OBJECT
public:
    // selection: the staff selection; stack: where the detail panel opens (may be null). The current
    // location is the logged-in member's.
    SearchUserViewController(DataAccessObject* dao, MainSynchroObject* engine, SelectieLijst* selection,
                             StackScrollViewController* stack, ImageCache* images = nullptr,
                             QObject* parent = nullptr);
};
