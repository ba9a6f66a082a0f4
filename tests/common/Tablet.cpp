#include "Tablet.h"

#include "Clock.h"
#include "SecurityCentral.h"
#include "Store.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QDir>
#include <QTest>

Tablet::Tablet(const QUrl& server, const QString& storePath) {
    store = Store::open(storePath.isEmpty() ? m_dir.filePath(QStringLiteral("tablet.sqlite")) : storePath);
    // The first query object of the process is the shared one; later tablets keep their own.
    dao = std::make_unique<DataAccessObject>(store);
    manager = std::make_unique<ObjectManager>(store, server);
    reachability = std::make_unique<ManualReachability>(true);
    engine = std::make_unique<MainSynchroObject>(dao.get(), manager.get(), reachability.get());
}

Tablet::~Tablet() {
    engine.reset();
    manager.reset();
    if (Users::sharedUsers() && Users::sharedUsers()->context()->store() == store.get())
        Users::setSharedUsers(nullptr);
    dao.reset();
}

bool Tablet::check(int timeoutMs) {
    engine->checkForUpdates();
    return engine->waitForIdle(timeoutMs);
}

bool Tablet::download() {
    const QString organisation = QStringLiteral("Demo Opvang");
    const QString hash = SecurityCentral::getHashForAdminWithNick(organisation, QStringLiteral("s3cret%"));
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setString(QStringLiteral("cc_coupleLogin"), organisation);
    defaults.setString(QStringLiteral("cc_coupleHash"), hash);
    engine->getOrganisationForUser(organisation, hash);
    if (!engine->waitForIdle(30000) || !dao->loadOrganisation())
        return false;
    defaults.setString(QStringLiteral("cc_ipadNaam"), QStringLiteral("Tablet Onthaal"));
    engine->getEntities();
    return engine->waitForIdle(60000) && !dao->loadSchoolsFromDataStore().isEmpty();
}

void Tablet::useFreshSettings(const QTemporaryDir& dir) {
    UserDefaults::setStandard(std::make_shared<UserDefaults>(
        dir.filePath(QStringLiteral("%1.ini").arg(QString::fromLatin1(QTest::currentTestFunction())))));
}

bool Tablet::couple(bool admin) {
    return download() && resume(admin) && check() && !dao->loadChildrenforEntity(entityId).isEmpty();
}

bool Tablet::resume(bool admin) {
    const auto locations = dao->loadSchoolsFromDataStore();
    if (locations.isEmpty())
        return false;
    entityId = locations.first()->idEntity();
    Users* chosen = nullptr;
    for (Users* u : dao->getUsersForEntity(entityId))
        if ((u->isAdmin() == 1) == admin && u->isGenericUser() != 1)
            chosen = u;
    if (!chosen)
        return false;
    Users::setSharedUsers(chosen);
    return true;
}

Registration* Tablet::clock(Child* child, const QString& type, qint64 atMs) {
    Context* c = store->context();
    auto* r = c->insertNew<Registration>();
    const QString time = Util::millisText(atMs ? atMs : Clock::nowMs());
    r->setTime(time);
    r->setRegistrationId(time + Util::getUUID());
    r->setChildId(child->childId());
    r->setEntityId(child->entityId());
    r->setOrganisationId(dao->loadOrganisation() ? dao->loadOrganisation()->organisationId() : QString());
    r->setUserId(Users::sharedUserInfo().userId);
    r->setType(type);
    r->setExists(1);
    r->setIpadMacId(Util::uniqueGlobalDeviceIdentifier());
    engine->postObject(r);
    child->updateIngeschrevenStatus();
    c->save();
    return r;
}

QList<SynchroObject*> Tablet::queue() const {
    return dao->loadAllSynchroObjects();
}

int Tablet::countWithStatus(int status) const {
    int n = 0;
    for (SynchroObject* s : queue())
        if (s->status() == status)
            ++n;
    return n;
}
