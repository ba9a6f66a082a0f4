#include "LeerlingenDetailViewController.h"

#include "ClockingUndo.h"
#include "DataAccessObject.h"
#include "Entities.h"
#include "ImageCache.h"
#include "MainSynchroObject.h"
#include "NotificationCenter.h"
#include "ProductStore.h"
#include "Resources.h"
#include "SelectieLijst.h"
#include "Translations.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QTime>

namespace {

const QString kOpgeslagenState = QStringLiteral("opgeslagenState");

// The short day name, the date: "di 12/03/2024".
QString dayText(const QDateTime& moment) {
    return Translations::dateText(moment, QStringLiteral("ddd dd/MM/yyyy"));
}

} // namespace

LeerlingenDetailViewController::LeerlingenDetailViewController(ManagedObject* leerling,
                                                               SelectieLijst* selectie, DataAccessObject* dao,
                                                               MainSynchroObject* engine, QObject* parent,
                                                               const ClockingSubject& subject)
    : ScreenController(Resources::qmlUrl(QStringLiteral("children/qml/LeerlingenDetailView.qml")), QString(),
                       parent)
    , m_subject(subject)
    , m_selectielijst(selectie)
    , m_dao(dao)
    , m_engine(engine)
    , m_inklokken(subject, dao, engine)
    , m_clockChoice(new ClockChoice(this))
    , m_table(new DetailTableModel(this))
    , m_selectieModel(new PersonenModel(this))
    , m_suggestiesModel(new PersonenModel(this)) {
    m_animation.setSingleShot(true);
    m_animation.setInterval(kAnimationMs);
    connect(&m_animation, &QTimer::timeout, this, &LeerlingenDetailViewController::finishAnimation);

    const qint64 saved = UserDefaults::standard().integerForKey(kOpgeslagenState);
    m_state = saved == kExtra || saved == kBoodschappen ? int(saved) : kRegistraties;

    NotificationCenter& center = NotificationCenter::defaultCenter();
    for (const QString& name :
         {QStringLiteral("addSelectieNotification"), QStringLiteral("removeSelectieNotification")})
        center.addObserver(this, name, [this](const Notification&) { refreshShownData(); });
    // A refresh or an undo changed registrations; this panel's own changes are drawn already.
    center.addObserver(this, QStringLiteral("reloadKindjesData"), [this](const Notification& n) {
        if (n.object != this)
            registrationsChangedElsewhere();
    });
    if (m_selectielijst && m_selectielijst->count() == 0)
        m_selectielijst->addObject(leerling);

    if (leerling) {
        m_naam = m_subject.firstName(leerling) + QLatin1Char(' ') + m_subject.lastName(leerling);
        m_volledigeNaam = m_naam;
        m_groepen = m_subject.groupsLine(m_dao, leerling);
        m_photo = photoUrl(m_subject.image(leerling));
        loadRegistrations(leerling);
        refreshDataVanDeLeerling(leerling);
    }
    refreshShownData();
}

LeerlingenDetailViewController::~LeerlingenDetailViewController() = default;

int LeerlingenDetailViewController::selectionCount() const {
    return m_selectielijst ? m_selectielijst->count() : 0;
}

QString LeerlingenDetailViewController::editButtonTitle() const {
    return m_messageIsEditable ? tr("Lees boodschap") : tr("Verwijder boodschap");
}

// ------------------------------------------------------------------ clocking

int LeerlingenDetailViewController::determineWarningMessageFromDayPart(const QString& day,
                                                                       const QString& time) const {
    return Inklokken::determineWarningMessageFromDayPart(day, time);
}

void LeerlingenDetailViewController::schrijfKindInMetCheck() {
    checkAndClock(Type::In);
}

void LeerlingenDetailViewController::schrijfKindUitMetCheck() {
    checkAndClock(Type::Out);
}

void LeerlingenDetailViewController::checkAndClock(Type type) {
    if (m_activity != Activity::None)
        return; // one run at a time: its selection is emptied at the end
    const QString question = m_inklokken.confirmation(type, selectionCount(), dayTitle(), timeTitle());
    if (question.isEmpty()) {
        startAnimation(type);
        return;
    }
    m_confirming = true;
    dialogs()->alert(tr("Opgepast"), question, {tr("Annuleer"), tr("Bevestig")},
                     type == Type::In ? kInklokTag : kUitklokTag);
}

bool LeerlingenDetailViewController::holdsIdleLock() const {
    return m_confirming || m_activity != Activity::None;
}

void LeerlingenDetailViewController::schrijfKindInMetAnimation() {
    startAnimation(Type::In);
}

void LeerlingenDetailViewController::schrijfKindUitMetAnimation() {
    startAnimation(Type::Out);
}

void LeerlingenDetailViewController::startAnimation(Type type, bool skipRefused) {
    if (m_activity != Activity::None)
        return;
    setActivity(type == Type::In ? Activity::In : Activity::Out, false);
    // The indicator is drawn before the run blocks the event loop.
    QTimer::singleShot(0, this, [this, type, skipRefused] { clock(type, skipRefused); });
}

void LeerlingenDetailViewController::schrijfKindIn() {
    clock(Type::In);
}

void LeerlingenDetailViewController::schrijfKindUit() {
    clock(Type::Out);
}

void LeerlingenDetailViewController::clock(Type type, bool skipRefused) {
    setState(kRegistraties);
    const QList<ManagedObject*> selection =
        m_selectielijst ? m_selectielijst->geselecteerden() : QList<ManagedObject*>();
    const Inklokken::Run run = m_inklokken.clock(type, selection, dayTitle(), timeTitle(), skipRefused);
    if (run.refusedFor) {
        setActivity(Activity::None, false);
        // At a group's door one child already in must not hold up the others.
        if (run.othersClockable) {
            m_confirming = true;
            dialogs()->alert(tr("Opgepast"), run.refusal, {tr("OK"), tr("Sla over en klok de anderen")},
                             type == Type::In ? kSkipInTag : kSkipOutTag);
        } else {
            dialogs()->alert(tr("Opgepast"), run.refusal, {tr("OK")});
        }
        return;
    }
    if (!run.stored) {
        // The selection stays, so the same run can be tried again.
        setActivity(Activity::None, false);
        reloadData();
        alertNotStored();
        return;
    }
    if (ClockingUndo* undo = ClockingUndo::shared())
        undo->offer(m_subject, type, run.clocked, run.registrations);
    if (m_selectielijst)
        m_selectielijst->removeAllObjects();
    // The table keeps showing its child: with the registrations just made.
    reloadData();
    if (m_activity == Activity::None)
        setActivity(type == Type::In ? Activity::In : Activity::Out, true);
    else
        setActivity(m_activity, true);
    m_animation.start();
    if (!run.skipped.isEmpty()) {
        QStringList names;
        for (const ManagedObject* person : run.skipped)
            names << m_subject.firstName(person) + QLatin1Char(' ') + m_subject.lastName(person);
        m_namingSkipped = true;
        dialogs()->alert(tr("Opgepast"),
                         (type == Type::In ? tr("Niet ingeklokt: %1") : tr("Niet uitgeklokt: %1"))
                             .arg(names.join(QStringLiteral(", "))),
                         {tr("OK")}, kSkippedTag);
    }
}

void LeerlingenDetailViewController::alertNotStored() {
    dialogs()->alert(tr("Opgepast"), Inklokken::notStoredMessage(), {tr("OK")});
}

void LeerlingenDetailViewController::finishAnimation() {
    setActivity(Activity::None, false);
    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.post(QStringLiteral("reloadKindjesData"), this);
    // The emptied selection closes this panel in some lists, and its alert with it.
    if (!m_namingSkipped)
        center.post(QStringLiteral("removeSelectieNotification"), this);
}

void LeerlingenDetailViewController::setActivity(Activity activity, bool fading) {
    if (activity == m_activity && fading == m_fading)
        return;
    m_activity = activity;
    m_fading = fading;
    emit activityChanged();
}

// ------------------------------------------------------------------ time of a registration

void LeerlingenDetailViewController::userDidEnterBeginTime(const QString& begin, const QString& end,
                                                           int index) {
    if (index < 0) {
        m_clockChoice->userDidEnterBeginTime(begin, end, index);
        return;
    }
    ManagedObject* registration = m_mijnRegistraties.value(index);
    if (!registration)
        return;
    if (!m_inklokken.changeTime(registration, begin)) {
        if (QTime::fromString(begin, QStringLiteral("HH:mm")).isValid()) {
            reloadData();
            alertNotStored();
        }
        return;
    }
    // Rows keep their order while the picker is open, so its index keeps naming this registration.
    redrawTable();
    NotificationCenter::defaultCenter().post(QStringLiteral("reloadKindjesData"), this);
}

// ------------------------------------------------------------------ tabs, options, rows

void LeerlingenDetailViewController::setState(int state) {
    UserDefaults::standard().setInteger(kOpgeslagenState, state);
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged();
    redrawTable();
}

void LeerlingenDetailViewController::tabTapped(int tab) {
    if (tab != kRegistraties && tab != kExtra && tab != kBoodschappen)
        return;
    setMessageIsEditable(false);
    setState(tab);
}

void LeerlingenDetailViewController::setMessageIsEditable(bool editable) {
    if (editable == m_messageIsEditable)
        return;
    m_messageIsEditable = editable;
    emit messageIsEditableChanged();
}

void LeerlingenDetailViewController::showOptions(int tableViewTag, int row) {
    QStringList texts;
    if (tableViewTag == kMainTable && m_state == kRegistraties && !several() && row >= 0 &&
        row < m_mijnRegistraties.size()) {
        texts << tr("Pas aan");
        if (m_subject.offersDeletion())
            texts << tr("Verwijder");
    } else if (tableViewTag == kTableSelection && m_subject.offersDeselect() && row >= 0 &&
               row < selectionCount()) {
        texts << tr("Deselecteer");
    } else {
        return;
    }
    closePopover(m_options);
    m_options = new OptionsPopoverController(texts, row, tableViewTag, this, this);
    emit popoversChanged();
}

template <class T> void LeerlingenDetailViewController::closePopover(QPointer<T>& popover) {
    if (!popover)
        return;
    // Usually closed from inside the popover's own call: it goes once that call has returned.
    popover->deleteLater();
    popover = nullptr;
    emit popoversChanged();
}

void LeerlingenDetailViewController::closeOptions() {
    closePopover(m_options);
}

void LeerlingenDetailViewController::closeTimeChanger() {
    closePopover(m_timeChanger);
}

void LeerlingenDetailViewController::closeProductAdder() {
    closePopover(m_productAdder);
}

void LeerlingenDetailViewController::closeProductRemover() {
    m_productRemoverRow = -1;
    closePopover(m_productRemover);
}

void LeerlingenDetailViewController::closeCreator() {
    closePopover(m_creator);
}

void LeerlingenDetailViewController::optionSelected(int option, int row, int tableViewTag) {
    closeOptions();
    if (tableViewTag == kTableSelection) {
        if (option == 0 && m_selectielijst)
            m_selectielijst->removeObject(m_selectielijst->objectAtIndex(row));
        return;
    }
    if (tableViewTag != kMainTable)
        return;
    if (option == 0) {
        showPickedTableView(row);
    } else if (option == 1 && m_subject.offersDeletion()) {
        ManagedObject* registration = m_mijnRegistraties.value(row);
        if (!registration)
            return;
        // The dialog keeps the registration itself: the rows may change before it is answered.
        m_pendingDeletions.insert(row, registration);
        dialogs()->alert(tr("Opgepast"), tr("Ben je zeker dat je deze registratie wilt verwijderen?"),
                         {tr("Bewaar"), tr("Verwijder")}, row);
    }
}

void LeerlingenDetailViewController::showPickedTableView(int row) {
    if (several())
        return;
    if (m_state == kRegistraties) {
        ManagedObject* registration = m_mijnRegistraties.value(row);
        if (!registration)
            return;
        closePopover(m_timeChanger);
        m_timeChanger = new TimeChangerViewController(this, row, this);
        m_timeChanger->setBeginTime(m_table->rows().value(row).time);
        emit popoversChanged();
    } else if (m_state == kExtra) {
        const int i = newestFirst(row, m_mijnProducten.size());
        if (i < 0)
            return; // the button row opens nothing
        closeProductRemover();
        m_productRemover = new ProductRemoverViewController(m_mijnProducten.at(i), this, this);
        m_productRemoverRow = row;
        emit popoversChanged();
    } else if (m_state == kBoodschappen && !m_messageIsEditable) {
        const int i = newestFirst(row, m_mijnBoodschappen.size());
        if (i < 0)
            return;
        closeCreator();
        m_creator = new CreateBoodschapViewController(recordIds(), this, this);
        m_creator->setIngeladenBoodschap(m_mijnBoodschappen.at(i));
        emit popoversChanged();
    }
}

int LeerlingenDetailViewController::newestFirst(int row, qsizetype count) {
    return row >= 1 && row <= count ? int(count) - row : -1;
}

// ------------------------------------------------------------------ products and messages

void LeerlingenDetailViewController::refreshDataVanDeLeerling(ManagedObject* person) {
    const ProductStore store;
    const QString id = person ? m_subject.personId(person) : QString();
    m_mijnProducten = id.isEmpty() ? QList<Product>() : store.products(id);
    m_mijnBoodschappen = id.isEmpty() ? QList<Boodschap>() : store.boodschappen(id);
}

QStringList LeerlingenDetailViewController::recordIds() const {
    QStringList ids;
    if (m_selectielijst)
        for (ManagedObject* person : m_selectielijst->geselecteerden())
            ids << m_subject.personId(person);
    // After a clocking the panel still shows its child: what is noted there is that child's.
    if (ids.isEmpty() && m_shownPerson)
        ids << m_subject.personId(m_shownPerson);
    return ids;
}

void LeerlingenDetailViewController::showProducts() {
    closePopover(m_productAdder);
    m_productAdder = new ProductadderViewController(recordIds(), this, this);
    emit popoversChanged();
}

void LeerlingenDetailViewController::saveProduct(const Product& /*product: stored for every id already*/) {
    refreshDataVanDeLeerling(m_shownPerson);
    if (m_state == kExtra)
        redrawTable();
    setState(kExtra);
    closeProductAdder();
}

void LeerlingenDetailViewController::deleteProduct(const Product& product) {
    m_mijnProducten.removeAll(product);
    redrawTable();
    closeProductRemover();
}

void LeerlingenDetailViewController::createBoodschap() {
    closeCreator();
    m_creator = new CreateBoodschapViewController(recordIds(), this, this);
    emit popoversChanged();
}

void LeerlingenDetailViewController::saveBoodschap(const Boodschap& /*boodschap: stored already*/) {
    refreshDataVanDeLeerling(m_shownPerson);
    redrawTable();
    closeCreator();
}

void LeerlingenDetailViewController::setTableEditable() {
    setMessageIsEditable(!m_messageIsEditable);
}

void LeerlingenDetailViewController::deleteBoodschapRow(int row) {
    const int i = newestFirst(row, m_mijnBoodschappen.size());
    if (!m_messageIsEditable || m_state != kBoodschappen || i < 0)
        return;
    const Boodschap boodschap = m_mijnBoodschappen.at(i);
    ProductStore().removeBoodschap(boodschap);
    m_mijnBoodschappen.removeAll(boodschap);
    redrawTable();
}

bool LeerlingenDetailViewController::popoverControllerShouldDismissPopover() {
    if (m_creator && m_creator->hasUnsavedText()) {
        // One question at a time: taps while it is shown (on the question itself too) ask nothing more.
        if (!m_askingToKeepText)
            dialogs()->alert(tr("Opgepast"), tr("Wil je de reedsgeschreven text bewaren?"),
                             {tr("Bewaar"), tr("Verwijder")}, kBoodschapTag);
        m_askingToKeepText = true;
        return false;
    }
    closeCreator();
    return true;
}

void LeerlingenDetailViewController::suggestieTapped(int row) {
    if (ManagedObject* child = relatedChild(m_suggestiesArray.value(row)); child && m_selectielijst)
        m_selectielijst->addObject(child);
}

void LeerlingenDetailViewController::alertViewClickedButtonAtIndex(int tag, int index) {
    ManagedObject* registration = tag >= 0 ? m_pendingDeletions.take(tag) : nullptr;
    if (tag == kBoodschapTag)
        m_askingToKeepText = false;
    if (tag == kInklokTag || tag == kUitklokTag || tag == kSkipInTag || tag == kSkipOutTag)
        m_confirming = false;
    if (tag == kSkippedTag) {
        m_namingSkipped = false;
        if (m_activity == Activity::None) // else the animation's end tells
            NotificationCenter::defaultCenter().post(QStringLiteral("removeSelectieNotification"), this);
        return;
    }
    if (index != 1)
        return;
    if (tag == kInklokTag) {
        schrijfKindInMetAnimation();
    } else if (tag == kUitklokTag) {
        schrijfKindUitMetAnimation();
    } else if (tag == kSkipInTag || tag == kSkipOutTag) {
        startAnimation(tag == kSkipInTag ? Type::In : Type::Out, true);
    } else if (tag == kBoodschapTag) {
        if (m_creator)
            m_creator->discard();
        closeCreator();
    } else if (registration) {
        const bool stored = m_inklokken.remove(registration);
        reloadData();
        if (!stored)
            alertNotStored();
        NotificationCenter::defaultCenter().post(QStringLiteral("reloadKindjesData"), this);
    }
}

// ------------------------------------------------------------------ what is shown

void LeerlingenDetailViewController::refreshShownData() {
    rebuildSuggestions();
    const int count = selectionCount();
    if (count == 0)
        return; // the screen keeps what it showed
    if (count == 1) {
        ManagedObject* person = m_selectielijst->objectAtIndex(0);
        m_shown = Shown::One;
        m_shownPerson = person;
        loadRegistrations(person);
        m_naam = m_subject.firstName(person);
        m_volledigeNaam = m_subject.firstName(person) + QLatin1Char(' ') + m_subject.lastName(person);
        m_groepen = m_subject.groupsLine(m_dao, person);
        m_photo = photoUrl(m_subject.image(person));
        refreshDataVanDeLeerling(person);
    } else {
        m_shown = Shown::Several;
        m_shownPerson = nullptr;
        m_naam = QStringLiteral("%1 %2").arg(count).arg(m_subject.pluralWord());
        m_volledigeNaam = m_naam;
        m_groepen.clear();
    }
    redrawSelection();
    redrawTable();
    emit shownDataChanged();
}

void LeerlingenDetailViewController::reloadData() {
    if (m_shown == Shown::One && m_shownPerson)
        loadRegistrations(m_shownPerson);
    redrawTable();
}

void LeerlingenDetailViewController::loadRegistrations(ManagedObject* person) {
    // A picker names its registration by row: the rows may move now.
    closeTimeChanger();
    m_mijnRegistraties = m_subject.registrations(person);
}

void LeerlingenDetailViewController::rebuildSuggestions() {
    m_suggestiesArray.clear();
    QList<PersonenModel::Person> people;
    const QList<ManagedObject*> selection =
        m_selectielijst ? m_selectielijst->geselecteerden() : QList<ManagedObject*>();
    for (ManagedObject* person : selection) {
        const auto* child = dynamic_cast<const Child*>(person);
        if (!child)
            continue;
        for (Relationships* relation : child->relationships()) {
            if (m_suggestiesArray.contains(relation))
                continue;
            // A relation naming a child this tablet does not know has nothing to offer.
            ManagedObject* related = relatedChild(relation);
            if (!related || m_selectielijst->containsObject(related))
                continue;
            m_suggestiesArray << relation;
            people << PersonenModel::Person{m_subject.firstName(related), photoUrl(m_subject.image(related))};
        }
    }
    m_suggestiesModel->setPeople(people);
}

ManagedObject* LeerlingenDetailViewController::relatedChild(const ManagedObject* relation) const {
    const auto* r = static_cast<const Relationships*>(relation);
    return r && m_dao ? m_dao->loadChild(r->relationId()) : nullptr;
}

void LeerlingenDetailViewController::redrawSelection() {
    QList<PersonenModel::Person> people;
    if (m_selectielijst)
        for (ManagedObject* person : m_selectielijst->geselecteerden())
            people << PersonenModel::Person{m_subject.lastName(person) + QLatin1Char(' ') +
                                                m_subject.firstName(person),
                                            photoUrl(m_subject.image(person))};
    m_selectieModel->setPeople(people);
}

void LeerlingenDetailViewController::redrawTable() {
    updateOtherTablet(m_mijnRegistraties);
    QList<DetailTableModel::Row> rows;
    if (m_shown == Shown::Several) {
        m_table->setRows(rows);
        return;
    }
    if (m_state == kRegistraties) {
        const qint64 endOfDay = Util::getEndOfTheDay().toLongLong();
        for (ManagedObject* registration : std::as_const(m_mijnRegistraties)) {
            const QString time = registration->valueForKey(QStringLiteral("time")).toString();
            const QString type = registration->valueForKey(QStringLiteral("type")).toString();
            const qint64 ms = time.toLongLong();
            DetailTableModel::Row row;
            row.kind = DetailTableModel::Registratie;
            row.day = dayText(QDateTime::fromMSecsSinceEpoch(ms));
            row.time = time.isEmpty() || time == QLatin1String("0")
                           ? QStringLiteral("00:00")
                           : QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm"));
            row.isIn = type == QLatin1String("In");
            row.type = row.isIn ? tr("In") : type == QLatin1String("Out") ? tr("Out") : type;
            row.warning = ms > endOfDay;
            rows << row;
        }
    } else if (m_state == kExtra) {
        rows << DetailTableModel::Row{DetailTableModel::ProductKnop, {}, {}, {}, false, false, {}, {}, {}};
        for (auto p = m_mijnProducten.crbegin(); p != m_mijnProducten.crend(); ++p)
            rows << DetailTableModel::Row{
                DetailTableModel::Product,
                dayText(p->tijdstip),
                {},
                {},
                false,
                false,
                p->door,
                QCoreApplication::translate("ProductChoiceModel", p->productnaam.toUtf8().constData()),
                {}};
    } else {
        rows << DetailTableModel::Row{DetailTableModel::BoodschapKnoppen, {}, {}, {}, false, false, {}, {}, {}};
        for (auto b = m_mijnBoodschappen.crbegin(); b != m_mijnBoodschappen.crend(); ++b)
            rows << DetailTableModel::Row{DetailTableModel::Boodschap,
                                          dayText(b->tijdstip),
                                          {},
                                          {},
                                          false,
                                          false,
                                          b->door,
                                          b->onderwerp,
                                          b->boodschap};
    }
    m_table->setRows(rows);
}

QUrl LeerlingenDetailViewController::photoUrl(const QString& image) const {
    if (image.trimmed().isEmpty())
        return {};
    // A photo taken on this tablet (or one already fetched) is a file of the picture cache.
    if (ImageCache* cache = ImageCache::shared(); cache && cache->contains(image))
        return QUrl::fromLocalFile(cache->fileFor(image));
    const QUrl address(image);
    if (!address.isRelative())
        return address;
    const QUrl base = m_engine && m_engine->objectManager() ? m_engine->objectManager()->baseUrl() : QUrl();
    return base.isValid() ? base.resolved(address) : address;
}

void LeerlingenDetailViewController::changeAvatar() {
    if (m_mediaPicker || m_shown != Shown::One || !m_shownPerson)
        return;
    m_photoFor = m_subject.personId(m_shownPerson);
    m_mediaPicker = new MediaPickerViewController(this, this);
    m_mediaPicker->setSources(true, false, true);
    connect(m_mediaPicker, &MediaPickerViewController::finished, this,
            &LeerlingenDetailViewController::closeMediaPopOver);
    emit popoversChanged();
}

void LeerlingenDetailViewController::closeMediaPopOver() {
    if (!m_mediaPicker)
        return;
    MediaPickerViewController* picker = m_mediaPicker;
    m_mediaPicker = nullptr;
    picker->dismiss();
    emit popoversChanged();
}

void LeerlingenDetailViewController::userDidEnterInfo(const QByteArray& data) {
    // The picture is made off the main thread: by now the selection or the panel may have moved on.
    // It is the child's the picker was opened for, and nobody else's.
    const QString id = std::exchange(m_photoFor, QString());
    if (data.isEmpty() || id.isEmpty() || !m_engine)
        return;
    ManagedObject* person = m_subject.person(m_dao, id);
    if (!person)
        return;
    if (m_engine->uploadNewPhoto(data, person))
        dialogs()->confirm(tr("Foto bewaard"));
    if (person == m_shownPerson) {
        m_photo = photoUrl(m_subject.image(person));
        emit shownDataChanged();
    }
    NotificationCenter::defaultCenter().post(QStringLiteral("reloadKindjesData"), this);
}

// ------------------------------------------------------------------ another tablet was first

QString LeerlingenDetailViewController::otherTabletNotice() const {
    return m_double ? m_double->notice() : QString();
}

QString LeerlingenDetailViewController::otherTabletRemoveTitle() const {
    return m_double ? m_double->removeTitle() : QString();
}

void LeerlingenDetailViewController::updateOtherTablet(const QList<ManagedObject*>& registrations) {
    std::optional<DoubleClocking> found;
    // Only where this tablet's registration can be deleted from here.
    if (m_shown == Shown::One && m_subject.offersDeletion())
        found = DoubleClocking::find(registrations, Util::getBeginRegistrationTime(),
                                     Util::uniqueGlobalDeviceIdentifier());
    const bool same =
        found.has_value() == m_double.has_value() &&
        (!found || (found->first.record == m_double->first.record && found->first.ms == m_double->first.ms &&
                    found->later.record == m_double->later.record && found->later.ms == m_double->later.ms));
    m_double = found;
    if (!same)
        emit otherTabletChanged();
}

void LeerlingenDetailViewController::registrationsChangedElsewhere() {
    if (m_shown != Shown::One || !m_shownPerson)
        return;
    const QList<ManagedObject*> fresh = m_subject.registrations(m_shownPerson);
    // Reloading closes a time picker: only when the rows are no longer the ones shown.
    if (fresh != m_mijnRegistraties)
        reloadData();
    else
        updateOtherTablet(fresh);
}

void LeerlingenDetailViewController::deleteLaterDuplicate() {
    if (!m_double)
        return;
    const qsizetype row = m_mijnRegistraties.indexOf(m_double->later.record);
    if (row >= 0)
        optionSelected(1, int(row), kMainTable);
}
