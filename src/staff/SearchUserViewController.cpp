#include "SearchUserViewController.h"

#include "Entities.h"
#include "MainSynchroObject.h"
#include "SelectieLijst.h"
#include "UsersDetailViewController.h"

namespace {

QString currentLocation() {
    const Users* user = Users::sharedUsers();
    return user ? user->entityId() : QString();
}

} // namespace

SearchUserViewController::SearchUserViewController(DataAccessObject* dao, MainSynchroObject* engine,
                                                   SelectieLijst* selection, StackScrollViewController* stack,
                                                   ImageCache* images, QObject* parent)
    : SearchOverzichtViewController(SearchListDefinition::staff(currentLocation()), dao, selection, stack,
                                    images, parent) {
    QPointer<MainSynchroObject> sync = engine;
    QPointer<SelectieLijst> staff = selection;
    setDetailFactory([dao, sync, staff](ManagedObject* record, bool) -> ScreenController* {
        auto* user = dynamic_cast<Users*>(record);
        return user ? new UsersDetailViewController(user, staff, dao, sync) : nullptr;
    });
}
