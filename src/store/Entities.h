#pragma once
// The stored entities. Objects belong to the working context that fetched or created them and are
// used on that context's thread only.
#include "ManagedObject.h"

#include <QList>
#include <QString>
#include <functional>

class Group;
class Sessions;
class Relationships;
class Registration;
class UserRegistration;

// Base of the records sent to the server: the extra values every body carries.
class MarlevoManagedObject : public ManagedObject {
public:
    QString ipadVersion() const;
    // The tablet's name; a null QString when the tablet has none yet.
    QString ipadName() const;
    QString timeZone() const;
    QString posts() const;

    // The engine tells how many queued changes are unanswered (absent engine: 0).
    static void setPostsProvider(std::function<qint64()> provider);
};

class Organisation : public ManagedObject {
    CC_ENTITY(Organisation)
    CC_TEXT(organisationId, setOrganisationId)
    CC_TEXT(organisationName, setOrganisationName)
    CC_TEXT(image, setImage)
    CC_NUMBER(exists, setExists)
    CC_TEXT(timeSwitch, setTimeSwitch)
    CC_TEXT(timeSwitchInterval, setTimeSwitchInterval)
};

class Entities : public ManagedObject {
    CC_ENTITY(Entities)
    CC_TEXT(idEntity, setIdEntity)
    CC_TEXT(name, setName)
    CC_NUMBER(activeForiPad, setActiveForiPad)
    CC_NUMBER(exists, setExists)
};

class Scholen : public ManagedObject {
    CC_ENTITY(Scholen)
    CC_TEXT(schoolid, setSchoolid)
    CC_TEXT(school, setSchool)
    CC_TEXT(schoolgroep, setSchoolgroep)
    CC_TEXT(schoolgroepid, setSchoolgroepid)
    CC_TEXT(organisatie, setOrganisatie)
};

class Device : public ManagedObject {
    CC_ENTITY(Device)
    CC_TEXT(idDevice, setIdDevice)
    CC_TEXT(idOrganisation, setIdOrganisation)
    CC_TEXT(name, setName)
    CC_NUMBER(exists, setExists)
};

// What other threads may know of the staff member logged in on the tablet.
struct SharedUserInfo {
    bool present = false;
    QString userEntityId;
    QString userId;
    QString entityId;
    bool isAdmin = false;
};

class Users : public ManagedObject {
    CC_ENTITY(Users)
    CC_TEXT(userEntityId, setUserEntityId)
    CC_TEXT(userId, setUserId)
    CC_TEXT(first_name, setFirst_name)
    CC_TEXT(last_name, setLast_name)
    CC_TEXT(passwordHash, setPasswordHash)
    CC_TEXT(computedhash, setComputedhash)
    CC_TEXT(image, setImage)
    CC_TEXT(entityId, setEntityId)
    CC_NUMBER(exists, setExists)
    CC_NUMBER(resyncFreq, setResyncFreq)
    CC_NUMBER(isAdmin, setIsAdmin)
    CC_NUMBER(isGenericUser, setIsGenericUser)
    CC_NUMBER(timeEntryNeeded, setTimeEntryNeeded)
    CC_TEXT(ingeschrevenStatus, setIngeschrevenStatus)
    CC_TEXT(ingeschrevenTime, setIngeschrevenTime)

public:
    // The staff registrations, newest first (see DataAccessObject::loadRegistrationsForUser).
    QList<UserRegistration*> userRegistrations() const;
    void updateIngeschrevenStatus();
    void updateIngeschrevenStatus(const QString& moment);
    // The same for many records, with one query for all their registrations.
    static void updateIngeschrevenStatuses(const QList<Users*>& users, const QString& moment);
    UserRegistration* latestRegistrationAfterDay(const QString& moment) const;
    int isIngeschreven() const;

    // The staff member logged in on the tablet (main thread); nullptr when nobody is.
    static Users* sharedUsers();
    static void setSharedUsers(Users* user);
    // Thread-safe snapshot of the logged-in staff member.
    static SharedUserInfo sharedUserInfo();
};

class Child : public MarlevoManagedObject {
    CC_ENTITY(Child)
    CC_TEXT(childId, setChildId)
    CC_TEXT(firstName, setFirstName)
    CC_TEXT(lastName, setLastName)
    CC_TEXT(image, setImage)
    CC_TEXT(imageData, setImageData)
    CC_TEXT(photoId, setPhotoId)
    CC_TEXT(extraInfo, setExtraInfo)
    CC_TEXT(entityId, setEntityId)
    CC_TEXT(organisationId, setOrganisationId)
    CC_TEXT(ipadMacId, setIpadMacId)
    CC_NUMBER(exists, setExists)
    CC_TEXT(ingeschrevenStatus, setIngeschrevenStatus)
    CC_TEXT(ingeschrevenTime, setIngeschrevenTime)

public:
    QList<Group*> groups() const;
    QList<Sessions*> sessions() const;
    QList<Relationships*> relationships() const;
    // Makes these records the child's (records no longer listed lose their link).
    void setGroups(const QList<Group*>& groups);
    void setSessions(const QList<Sessions*>& sessions);
    void setRelationships(const QList<Relationships*>& relationships);

    QList<Registration*> registrations() const;
    void updateIngeschrevenStatus();
    void updateIngeschrevenStatus(const QString& moment);
    // The same for many children, with one query for all their registrations.
    static void updateIngeschrevenStatuses(const QList<Child*>& children, const QString& moment);
    Registration* latestRegistrationAfterDay(const QString& moment) const;
    int isIngeschreven() const;
};

class Group : public ManagedObject {
    CC_ENTITY(Group)
    CC_TEXT(groupChildId, setGroupChildId)
    CC_TEXT(groupId, setGroupId)
    CC_TEXT(groupName, setGroupName)
    CC_TEXT(groupType, setGroupType)
    CC_TEXT(image, setImage)
    CC_TEXT(childId, setChildId)
    CC_TEXT(entityId, setEntityId)
    CC_NUMBER(exists, setExists)

public:
    Child* child() const;
    void setChild(Child* child);
};

class Sessions : public ManagedObject {
    CC_ENTITY(Sessions)
    CC_TEXT(sessionId, setSessionId)
    CC_TEXT(childId, setChildId)
    CC_TEXT(entityId, setEntityId)
    CC_TEXT(sessionDay, setSessionDay)
    CC_TEXT(timeIn, setTimeIn)
    CC_TEXT(timeOut, setTimeOut)

public:
    Child* child() const;
    void setChild(Child* child);
};

class Relationships : public ManagedObject {
    CC_ENTITY(Relationships)
    CC_TEXT(relationShipId, setRelationShipId)
    CC_TEXT(relationId, setRelationId)

public:
    Child* child() const;
    void setChild(Child* child);
};

class Registration : public MarlevoManagedObject {
    CC_ENTITY(Registration)
    CC_TEXT(registrationId, setRegistrationId)
    CC_TEXT(childId, setChildId)
    CC_TEXT(entityId, setEntityId)
    CC_TEXT(organisationId, setOrganisationId)
    CC_TEXT(userId, setUserId)
    CC_TEXT(time, setTime)
    CC_TEXT(type, setType)
    CC_NUMBER(exists, setExists)
    CC_NUMBER(locked, setLocked)
    CC_TEXT(ipadMacId, setIpadMacId)

public:
    // The day of the moment as the short day name and "dd/MM/yyyy" in local time.
    QString getMyDay() const;
};

class UserRegistration : public MarlevoManagedObject {
    CC_ENTITY(UserRegistration)
    CC_TEXT(userRegistrationId, setUserRegistrationId)
    CC_TEXT(userId, setUserId)
    CC_TEXT(entityId, setEntityId)
    CC_TEXT(organisationId, setOrganisationId)
    CC_TEXT(time, setTime)
    CC_TEXT(type, setType)
    CC_NUMBER(exists, setExists)
    CC_NUMBER(locked, setLocked)
    CC_TEXT(ipadMacId, setIpadMacId)

public:
    QString getMyDay() const;
};

class SynchroObject : public MarlevoManagedObject {
    CC_ENTITY(SynchroObject)
    CC_TEXT(idSynchroObject, setIdSynchroObject)
    CC_TEXT(entryDate, setEntryDate)
    CC_NUMBER(status, setStatus)
    CC_TEXT(httpType, setHttpType)
    CC_TEXT(objectType, setObjectType)
    CC_TEXT(objectId, setObjectId)
    CC_TEXT(lastTryDate, setLastTryDate)
    CC_NUMBER(nrOfTries, setNrOfTries)
};

class ObjectImageUpload : public MarlevoManagedObject {
    CC_ENTITY(ObjectImageUpload)
    CC_TEXT(objectImageUploadId, setObjectImageUploadId)
    CC_TEXT(firstName, setFirstName)
    CC_TEXT(lastName, setLastName)
    CC_TEXT(type, setType)
    CC_TEXT(typeId, setTypeId)
    CC_TEXT(photoId, setPhotoId)
    CC_TEXT(image, setImage)
    CC_NUMBER(locked, setLocked)
};

class GetSynchroObject : public ManagedObject {
    CC_ENTITY(GetSynchroObject)
    CC_TEXT(idGetSynchroObject, setIdGetSynchroObject)
    CC_TEXT(lastSyncTime, setLastSyncTime)
    CC_TEXT(inProgressSyncTime, setInProgressSyncTime)
    CC_NUMBER(status, setStatus)
};
