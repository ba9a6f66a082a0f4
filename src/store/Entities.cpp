#include "Entities.h"

#include "Store.h"
#include "Translations.h"
#include "UserDefaults.h"

#include <QDateTime>
#include <QMutex>
#include <QTimeZone>

namespace {
QMutex providerMutex;
std::function<qint64()> postsProvider;

QMutex sharedUserMutex;
Users* sharedUser = nullptr;
SharedUserInfo sharedInfo;

template <class T> QList<T*> cast(const QList<ManagedObject*>& objects) {
    QList<T*> out;
    out.reserve(objects.size());
    for (ManagedObject* o : objects)
        out.append(static_cast<T*>(o));
    return out;
}

template <class T> QList<ManagedObject*> uncast(const QList<T*>& objects) {
    QList<ManagedObject*> out;
    for (T* o : objects)
        out.append(o);
    return out;
}

QString dayOf(const QString& moment) {
    return Translations::dateText(QDateTime::fromMSecsSinceEpoch(moment.toLongLong()),
                                  QStringLiteral("ddd dd/MM/yyyy")); // the short day name
}
} // namespace

QString MarlevoManagedObject::ipadVersion() const {
    return QStringLiteral(CC_APP_VERSION);
}

QString MarlevoManagedObject::ipadName() const {
    return UserDefaults::standard().stringForKey(QStringLiteral("cc_ipadNaam"));
}

QString MarlevoManagedObject::timeZone() const {
    return QString::fromUtf8(QTimeZone::systemTimeZoneId());
}

QString MarlevoManagedObject::posts() const {
    QMutexLocker lock(&providerMutex);
    return QString::number(postsProvider ? qMax<qint64>(0, postsProvider()) : 0);
}

void MarlevoManagedObject::setPostsProvider(std::function<qint64()> provider) {
    QMutexLocker lock(&providerMutex);
    postsProvider = std::move(provider);
}

Users* Users::sharedUsers() {
    QMutexLocker lock(&sharedUserMutex);
    return sharedUser;
}

void Users::setSharedUsers(Users* user) {
    QMutexLocker lock(&sharedUserMutex);
    sharedUser = user;
    sharedInfo = SharedUserInfo();
    if (user) {
        sharedInfo.present = true;
        sharedInfo.userEntityId = user->userEntityId();
        sharedInfo.userId = user->userId();
        sharedInfo.entityId = user->entityId();
        sharedInfo.isAdmin = user->isAdmin() == 1;
    }
}

SharedUserInfo Users::sharedUserInfo() {
    QMutexLocker lock(&sharedUserMutex);
    return sharedInfo;
}

QList<Group*> Child::groups() const {
    return cast<Group>(context()->toMany(this, QStringLiteral("groups")));
}

QList<Sessions*> Child::sessions() const {
    return cast<Sessions>(context()->toMany(this, QStringLiteral("sessions")));
}

QList<Relationships*> Child::relationships() const {
    return cast<Relationships>(context()->toMany(this, QStringLiteral("relationships")));
}

void Child::setGroups(const QList<Group*>& groups) {
    context()->setToMany(this, QStringLiteral("groups"), uncast(groups));
}

void Child::setSessions(const QList<Sessions*>& sessions) {
    context()->setToMany(this, QStringLiteral("sessions"), uncast(sessions));
}

void Child::setRelationships(const QList<Relationships*>& relationships) {
    context()->setToMany(this, QStringLiteral("relationships"), uncast(relationships));
}

Child* Group::child() const {
    return static_cast<Child*>(context()->referenced(this, QStringLiteral("child")));
}
void Group::setChild(Child* child) {
    context()->setReferenced(this, QStringLiteral("child"), child);
}
Child* Sessions::child() const {
    return static_cast<Child*>(context()->referenced(this, QStringLiteral("child")));
}
void Sessions::setChild(Child* child) {
    context()->setReferenced(this, QStringLiteral("child"), child);
}
Child* Relationships::child() const {
    return static_cast<Child*>(context()->referenced(this, QStringLiteral("child")));
}
void Relationships::setChild(Child* child) {
    context()->setReferenced(this, QStringLiteral("child"), child);
}

QString Registration::getMyDay() const {
    return dayOf(time());
}
QString UserRegistration::getMyDay() const {
    return dayOf(time());
}
