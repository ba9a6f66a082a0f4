#include "MainSynchroObject.h"

#include "DataAccessObject.h"
#include "Log.h"

// Kept apart from the queue and the refresh: the wipe only touches the engine's bookkeeping.
bool MainSynchroObject::deleteEverythingFromLocalStorage(const std::function<void()>& refill) {
    // An answer mapped into the empty store would set its refresh token, and the next check would
    // then miss everything the server sent before it.
    m_manager->cancelRequestsForDelegate(this, true);
    m_inFlight.clear();
    m_quietUntil.clear();
    const bool ok = m_dao->deleteEverythingFromLocalStorage(refill);
    if (!ok)
        CC_LOG(QStringLiteral("the local store could not be emptied"));
    updateNrOfPostField();
    emit queueChanged();
    return ok;
}
