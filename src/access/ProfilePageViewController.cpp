#include "ProfilePageViewController.h"

#include "DataAccessObject.h"
#include "Entities.h"
#include "ImageCache.h"
#include "Log.h"
#include "MainSynchroObject.h"
#include "NotificationCenter.h"
#include "Resources.h"
#include "SelectieLijst.h"
#include "StackScrollViewAppDelegate.h"
#include "UserDefaults.h"
#include "media/MediaPickerViewController.h"

#include <QDir>

ProfilePageViewController::ProfilePageViewController(DataAccessObject* dao, MainSynchroObject* engine,
                                                     ImageCache* cache, QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("access/qml/ProfilePageView.qml")), tr("Medewerker"),
                       parent)
    , m_dao(dao)
    , m_engine(engine)
    , m_cache(cache)
    , m_user(Users::sharedUsers()) {
    if (m_user) {
        m_naamLabel = tr("%1 %2 (id: %3)").arg(m_user->first_name(), m_user->last_name(), m_user->entityId());
        const Entities* school = m_dao ? m_dao->loadEntitiyFromDataStoreById(m_user->entityId()) : nullptr;
        m_schoolLabel = school ? school->name() : tr("School not found...");
        m_image = m_user->image();
    } else {
        m_schoolLabel = tr("School not found...");
    }
    const Organisation* organisation = m_dao ? m_dao->loadOrganisation() : nullptr;
    if (organisation && !organisation->organisationId().isEmpty())
        m_organisatieLabel =
            tr("%1 (id: %2)").arg(organisation->organisationName(), organisation->organisationId());
    m_profielLabel = UserDefaults::standard().stringForKey(QStringLiteral("cc_ipadNaam"));

    m_photo = photoUrl(m_image);
    if (m_engine)
        connect(m_engine, &MainSynchroObject::statussenBerekend, this, [this](int children) {
            // The engine also recomputes on its own after a refresh: only the asked one is confirmed.
            if (!m_recomputeAsked)
                return;
            m_recomputeAsked = false;
            dialogs()->confirm(children == 1
                                   ? tr("Aanwezigheden herberekend voor 1 kind")
                                   : tr("Aanwezigheden herberekend voor %1 kinderen").arg(children));
        });
    if (m_cache)
        connect(m_cache, &ImageCache::imageReady, this, [this](const QString& key) {
            if (key != m_image)
                return;
            m_photo = photoUrl(m_image);
            emit photoChanged();
        });
}

ProfilePageViewController::~ProfilePageViewController() = default;

QString ProfilePageViewController::versionLabel() const {
    return QStringLiteral(CC_APP_VERSION);
}

QUrl ProfilePageViewController::photoUrl(const QString& image) const {
    return ImageCache::viewUrl(m_cache, image);
}

void ProfilePageViewController::Logout() {
    NotificationCenter::defaultCenter().post(QStringLiteral("logout"), this);
}

void ProfilePageViewController::herberekenStatussen() {
    if (!m_engine)
        return;
    m_recomputeAsked = true;
    m_engine->berekenStussenVisueel();
}

void ProfilePageViewController::deleteImages() {
    dialogs()->alert(
        tr("Opgepast"),
        tr("Deze functionaliteit verwijdert alle fotos van de kindjes van de ipad. Om terug fotos "
           "in de app te zien zal je een connectie naar de centrale server nodig hebben."),
        {tr("Annuleer"), tr("Verwijder")}, kDeleteImagesTag);
}

bool ProfilePageViewController::mayDeleteDB() const {
    // Any change without an answer, however recently sent, would go with the store: a send that
    // failed after the wipe could never be repeated.
    return m_dao && m_dao->loadSynchroInProgressSynchroObjects().isEmpty();
}

void ProfilePageViewController::refuseDeleteDB() {
    dialogs()->alert(tr("Sorry"),
                     tr("Deze functionaliteit is enkel toegangkelijk als alle uitgaande wijzigingen "
                        "gesynchroniseerd zijn met de centrale databank!"),
                     {tr("OK")}, kRefusedTag);
}

void ProfilePageViewController::deleteDB() {
    if (!mayDeleteDB()) {
        refuseDeleteDB();
        return;
    }
    dialogs()->alert(tr("Opgepast"),
                     tr("Dit zal alle gegevens uit de lokale databank van de ipad wissen. De ipad zal pas "
                        "terug actief kunnen worden na dat de gegevens opnieuw van de server zijn "
                        "gedownload."),
                     {tr("Annuleer"), tr("Verwijder")}, kDeleteDBTag);
}

void ProfilePageViewController::alertViewClickedButtonAtIndex(int tag, int index) {
    if (index != 1)
        return;
    if (tag == kDeleteImagesTag) {
        qsizetype removed = 0;
        if (m_cache) {
            removed = QDir(m_cache->folder()).entryList(QDir::Files).size();
            m_cache->removeAll();
        }
        m_photo = photoUrl(m_image);
        emit photoChanged();
        dialogs()->confirm(removed == 0   ? tr("Er waren geen foto's om te wissen")
                           : removed == 1 ? tr("1 foto gewist")
                                          : tr("%1 foto's gewist").arg(removed));
    } else if (tag == kDeleteDBTag) {
        // A change may have been queued while the question was open.
        if (mayDeleteDB())
            deleteEverything();
        else
            refuseDeleteDB();
    }
}

void ProfilePageViewController::deleteEverything() {
    if (!m_dao)
        return;
    // a. The organisation as plain values: its record goes with the store.
    QString organisationId, organisationName, image, timeSwitch, timeSwitchInterval;
    const Organisation* o = m_dao->loadOrganisation();
    if (o) {
        organisationId = o->organisationId();
        organisationName = o->organisationName();
        image = o->image();
        timeSwitch = o->timeSwitch();
        timeSwitchInterval = o->timeSwitchInterval();
    }
    // b.
    UserDefaults& defaults = UserDefaults::standard();
    defaults.removeObjectForKey(QStringLiteral("geselecteerdeschoolId"));
    defaults.removeObjectForKey(QStringLiteral("geselecteerdeschoolNaam"));
    defaults.synchronize();

    // Nothing may point into the store that is about to go.
    closeMediaPopOver();
    m_user = nullptr;
    if (SelectieLijst* children = StackScrollViewAppDelegate::geselecteerdenLijst())
        children->removeAllObjects();
    if (SelectieLijst* staff = StackScrollViewAppDelegate::userGeselecteerdenLijst())
        staff->removeAllObjects();

    // c. d. The organisation is written in the wipe's own transaction: a wipe the disk refuses leaves
    // the store as it was, never an emptied store without its organisation.
    const auto keepOrganisation = [&] {
        if (!o)
            return;
        auto* organisation = m_dao->context()->insertNew<Organisation>();
        organisation->setOrganisationId(organisationId);
        organisation->setOrganisationName(organisationName);
        organisation->setImage(image);
        organisation->setTimeSwitch(timeSwitch);
        organisation->setTimeSwitchInterval(timeSwitchInterval);
        organisation->setExists(1);
    };
    const bool wiped = m_engine ? m_engine->deleteEverythingFromLocalStorage(keepOrganisation)
                                : m_dao->deleteEverythingFromLocalStorage(keepOrganisation);
    if (!wiped) {
        dialogs()->alert(tr("Opgepast"),
                         tr("De wijziging kon niet op de tablet bewaard worden. Probeer opnieuw."),
                         {tr("OK")});
        return;
    }
    // e. The shell clocks out the staff member it logged in, into the new store's queue.
    Logout();
}

void ProfilePageViewController::changeAvatar() {
    if (m_mediaPicker || !m_user)
        return;
    m_mediaPicker = new MediaPickerViewController(this, this);
    m_mediaPicker->setSources(true, false, true);
    connect(m_mediaPicker, &MediaPickerViewController::finished, this,
            &ProfilePageViewController::closeMediaPopOver);
    emit mediaPickerChanged();
}

void ProfilePageViewController::closeMediaPopOver() {
    if (!m_mediaPicker)
        return;
    MediaPickerViewController* picker = m_mediaPicker;
    m_mediaPicker = nullptr;
    picker->dismiss();
    emit mediaPickerChanged();
}

void ProfilePageViewController::userDidEnterInfo(const QByteArray& data) {
    if (data.isEmpty() || !m_user || !m_engine)
        return;
    if (m_engine->uploadNewPhoto(data, m_user))
        dialogs()->confirm(tr("Foto bewaard"));
    m_image = m_user->image();
    m_photo = photoUrl(m_image);
    emit photoChanged();
}
