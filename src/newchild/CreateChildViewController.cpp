#include "CreateChildViewController.h"

#include "Clock.h"
#include "DataAccessObject.h"
#include "Entities.h"
#include "GroupSelectorViewController.h"
#include "ImageCache.h"
#include "Log.h"
#include "MainSynchroObject.h"
#include "NotificationCenter.h"
#include "Resources.h"
#include "SelectieLijst.h"
#include "Util.h"
#include "media/MediaPickerViewController.h"

#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryFile>

CreateChildViewController::CreateChildViewController(DataAccessObject* dao, MainSynchroObject* engine,
                                                     SelectieLijst* selectie, ImageCache* images,
                                                     QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("newchild/qml/CreateChildView.qml")),
                       tr("Nieuw kind"), parent)
    , m_dao(dao)
    , m_engine(engine)
    , m_selectie(selectie)
    , m_images(images) {}

CreateChildViewController::~CreateChildViewController() = default;

void CreateChildViewController::setForm(const QString& voorNaam, const QString& familieNaam,
                                        const QString& extraInfo) {
    m_voorNaam = voorNaam;
    m_familieNaam = familieNaam;
    m_extraInfo = extraInfo;
    emit formChanged();
}

void CreateChildViewController::changeAvatar() {
    if (m_mediaPicker)
        return;
    m_mediaPicker = new MediaPickerViewController(this, this);
    m_mediaPicker->setSources(true, false, true);
    connect(m_mediaPicker, &MediaPickerViewController::finished, this,
            &CreateChildViewController::closeMediaPopOver);
    emit popoversChanged();
}

void CreateChildViewController::closeMediaPopOver() {
    if (!m_mediaPicker)
        return;
    MediaPickerViewController* picker = m_mediaPicker;
    m_mediaPicker = nullptr;
    picker->dismiss();
    emit popoversChanged();
}

void CreateChildViewController::userDidEnterInfo(const QByteArray& data) {
    QImage picture;
    if (data.isEmpty() || !picture.loadFromData(data))
        return;
    m_picture = picture;
    // A file of its own per picture, so the view reloads it.
    auto preview = std::make_unique<QTemporaryFile>();
    if (preview->open() && preview->write(data) == data.size() && preview->flush()) {
        m_preview = std::move(preview);
        m_photo = QUrl::fromLocalFile(m_preview->fileName());
    }
    m_pictureLoaded = true;
    emit pictureChanged();
}

void CreateChildViewController::chooseGroup() {
    if (m_groupSelector)
        return;
    const Users* user = Users::sharedUsers();
    m_groupSelector =
        new GroupSelectorViewController(*m_dao, user ? user->entityId() : QString(), this, this);
    emit popoversChanged();
}

void CreateChildViewController::closeGroupSelector() {
    if (!m_groupSelector)
        return;
    m_groupSelector->deleteLater();
    m_groupSelector = nullptr;
    emit popoversChanged();
}

void CreateChildViewController::groupSelected(const QVariantMap& group) {
    m_group = group;
    // The picker's rows leave out their type: it is the section the row was listed in.
    if (m_groupSelector && !group.isEmpty()) {
        const auto groups = m_groupSelector->groups();
        for (int i = 0; i < groups.size(); ++i)
            if (groups.at(i).contains(group))
                m_group.insert(QStringLiteral("groupType"), m_groupSelector->groupTypes().value(i));
    }
    emit formChanged();
    closeGroupSelector();
}

void CreateChildViewController::saveUser() {
    if (m_voorNaam.isEmpty() || m_familieNaam.isEmpty()) {
        dialogs()->alert(tr("Foutje"), tr("Gelieve de voornaam en familienaam van het kind in te vullen."),
                         {tr("Ok")}, kTagFoutje);
        return;
    }
    Context* context = m_dao->context();
    auto* child = context->insertNew<Child>();
    child->setFirstName(m_voorNaam);
    child->setLastName(m_familieNaam);
    const Users* user = Users::sharedUsers();
    child->setEntityId(user ? user->entityId() : QString());
    child->setIpadMacId(Util::uniqueGlobalDeviceIdentifier());
    if (const Organisation* organisation = m_dao->loadOrganisation())
        child->setOrganisationId(organisation->organisationId());

    const QString moment = Util::millisText(Clock::nowMs());
    child->setChildId(moment + Util::getUUID());
    const QString key = QStringLiteral("image") + Util::getUUID() + moment;
    child->setExists(1);
    // The remarks are sent even when empty; a form nobody typed in holds a null text.
    child->setExtraInfo(m_extraInfo.isNull() ? QStringLiteral("") : m_extraInfo);
    if (m_pictureLoaded) {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(100);
        writer.write(m_picture);
        child->setImage(key);
        child->setPhotoId(Util::getUUID() + moment);
        child->setImageData(QString::fromLatin1(jpeg.toBase64()));
        if (m_images)
            m_images->storeImage(key, jpeg);
    } else {
        child->setPhotoId(QStringLiteral("leeg"));
    }
    if (!m_group.isEmpty()) {
        auto* membership = context->insertNew<Group>();
        membership->setGroupChildId(moment + Util::getUUID());
        membership->setGroupId(m_group.value(QStringLiteral("groupId")).toString());
        membership->setGroupName(m_group.value(QStringLiteral("groupName")).toString());
        membership->setGroupType(m_group.value(QStringLiteral("groupType")).toString());
        membership->setImage(m_group.value(QStringLiteral("image")).toString());
        membership->setChildId(child->childId());
        membership->setEntityId(child->entityId());
        membership->setExists(1);
        membership->setChild(child);
        child->setGroups({membership});
    }
    QString error;
    // The child and its queue record in one transaction: a child stored without it would never reach
    // the server, and the request leaves only once both are stored.
    if (!context->performWrite(
            [&] {
                if (m_engine)
                    m_engine->postObject(child);
            },
            &error)) {
        // Not stored, so not "Succes": the form keeps what was typed and can be saved again.
        CC_LOG(QStringLiteral("nieuwe kind aanmaak error %1").arg(error));
        context->rollback(); // the child, its group and its queue record were never stored
        dialogs()->alert(tr("Opgepast"),
                         tr("Het kind kon niet op de tablet bewaard worden. Probeer het opnieuw."),
                         {tr("Ok")}, kTagFoutje);
        return;
    }

    m_savedChildId = child->childId();
    if (m_selectie) {
        m_selectie->removeAllObjects();
        m_selectie->addObject(child);
    }
    dialogs()->alert(tr("Succes"), tr("Het kind is succesvol toegevoegd."), {tr("Ok")}, kTagSucces);
}

void CreateChildViewController::alertViewClickedButtonAtIndex(int tag, int) {
    if (tag != kTagSucces)
        return;
    // Changing the menu entry empties the selection; the new child stays selected so that it can be
    // clocked in right away from the overview.
    NotificationCenter::defaultCenter().post(QStringLiteral("fakeMenuChoice"), this,
                                             {{QStringLiteral("key"), 0}});
    if (Child* child = m_selectie ? m_dao->loadChild(m_savedChildId) : nullptr;
        child && m_selectie->count() == 0)
        m_selectie->addObject(child);
    // The overview shows the child with its panel open, ready to be clocked in.
    NotificationCenter::defaultCenter().post(QStringLiteral("showDetailNotification"), this,
                                             {{QStringLiteral("key"), m_savedChildId}});
}
