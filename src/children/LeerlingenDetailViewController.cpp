#include "LeerlingenDetailViewController.h"

#include "DataAccessObject.h"
#include "Entities.h"
#include "MainSynchroObject.h"
#include "NotificationCenter.h"
#include "Resources.h"
#include "SelectieLijst.h"
#include "UserDefaults.h"
#include "Util.h"

#include <QLocale>

namespace {

const QString kOpgeslagenState = QStringLiteral("opgeslagenState");
const QString kLastChoiceTime = QStringLiteral("cc_lastChoiceTime");
const QString kLastChoiceDay = QStringLiteral("cc_lastChoiceDay");

// The short day name, the date: "di 12/03/2024".
QString dayText(qint64 ms) {
    return QLocale().toString(QDateTime::fromMSecsSinceEpoch(ms), QStringLiteral("ddd dd/MM/yyyy"));
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
    , m_dayTitle(Inklokken::vandaag())
    , m_timeTitle(Inklokken::nu())
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
    if (m_selectielijst && m_selectielijst->count() == 0)
        m_selectielijst->addObject(leerling);

    if (leerling) {
        m_naam = m_subject.firstName(leerling) + QLatin1Char(' ') + m_subject.lastName(leerling);
        m_photo = photoUrl(m_subject.image(leerling));
        loadRegistrations(leerling);
    }
    const QString lastTime = UserDefaults::standard().stringForKey(kLastChoiceTime);
    if (!lastTime.isNull() && lastTime != Inklokken::nu())
        userDidEnterBeginTime(lastTime, QStringLiteral(":"), -1);
    const QString lastDay = UserDefaults::standard().stringForKey(kLastChoiceDay);
    if (!lastDay.isNull() && dayButtonVisible())
        m_dayTitle = lastDay;
    refreshShownData();
}

LeerlingenDetailViewController::~LeerlingenDetailViewController() = default;

int LeerlingenDetailViewController::selectionCount() const {
    return m_selectielijst ? m_selectielijst->count() : 0;
}

bool LeerlingenDetailViewController::dayButtonVisible() const {
    return Users::sharedUserInfo().isAdmin;
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
    const QString question = m_inklokken.confirmation(type, selectionCount(), m_dayTitle, m_timeTitle);
    if (question.isEmpty()) {
        startAnimation(type);
        return;
    }
    dialogs()->alert(tr("Opgepast"), question, {tr("Annuleer"), tr("Bevestig")},
                     type == Type::In ? kInklokTag : kUitklokTag);
}

void LeerlingenDetailViewController::schrijfKindInMetAnimation() {
    startAnimation(Type::In);
}

void LeerlingenDetailViewController::schrijfKindUitMetAnimation() {
    startAnimation(Type::Out);
}

void LeerlingenDetailViewController::startAnimation(Type type) {
    if (m_activity != Activity::None)
        return;
    setActivity(type == Type::In ? Activity::In : Activity::Out, false);
    // The indicator is drawn before the run blocks the event loop.
    QTimer::singleShot(0, this, [this, type] { clock(type); });
}

void LeerlingenDetailViewController::schrijfKindIn() {
    clock(Type::In);
}

void LeerlingenDetailViewController::schrijfKindUit() {
    clock(Type::Out);
}

void LeerlingenDetailViewController::clock(Type type) {
    setState(kRegistraties);
    const QList<ManagedObject*> selection =
        m_selectielijst ? m_selectielijst->geselecteerden() : QList<ManagedObject*>();
    const Inklokken::Run run = m_inklokken.clock(type, selection, m_dayTitle, m_timeTitle);
    if (run.refusedFor) {
        setActivity(Activity::None, false);
        dialogs()->alert(tr("Opgepast"), m_subject.guardMessage(type, run.refusedFor), {tr("OK")});
        return;
    }
    if (m_selectielijst)
        m_selectielijst->removeAllObjects();
    // The table keeps showing its child: with the registrations just made.
    reloadData();
    if (m_activity == Activity::None)
        setActivity(type == Type::In ? Activity::In : Activity::Out, true);
    else
        setActivity(m_activity, true);
    m_animation.start();
}

void LeerlingenDetailViewController::finishAnimation() {
    setActivity(Activity::None, false);
    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.post(QStringLiteral("reloadKindjesData"), this);
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

void LeerlingenDetailViewController::userDidEnterBeginTime(const QString& begin, const QString& /*end*/,
                                                           int index) {
    if (index < 0) {
        if (begin == m_timeTitle)
            return;
        m_timeTitle = begin;
        UserDefaults::standard().setString(kLastChoiceTime, begin);
        emit choiceChanged();
        return;
    }
    ManagedObject* registration = m_mijnRegistraties.value(index);
    if (!registration || !m_inklokken.changeTime(registration, begin))
        return;
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
    setState(tab);
}

void LeerlingenDetailViewController::showOptions(int tableViewTag, int row) {
    QStringList texts;
    if (tableViewTag == kMainTable && m_state == kRegistraties && single() && row >= 0 &&
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
    closeOptions();
    m_options = new OptionsPopoverController(texts, row, tableViewTag, this, this);
    emit optionsChanged();
}

void LeerlingenDetailViewController::closeOptions() {
    if (!m_options)
        return;
    m_options->deleteLater();
    m_options = nullptr;
    emit optionsChanged();
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
    Q_UNUSED(row)
}

void LeerlingenDetailViewController::suggestieTapped(int row) {
    if (ManagedObject* child = relatedChild(m_suggestiesArray.value(row)); child && m_selectielijst)
        m_selectielijst->addObject(child);
}

void LeerlingenDetailViewController::alertViewClickedButtonAtIndex(int tag, int index) {
    ManagedObject* registration = tag >= 0 ? m_pendingDeletions.take(tag) : nullptr;
    if (index != 1)
        return;
    if (tag == kInklokTag) {
        schrijfKindInMetAnimation();
    } else if (tag == kUitklokTag) {
        schrijfKindUitMetAnimation();
    } else if (registration) {
        m_inklokken.remove(registration);
        reloadData();
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
        m_photo = photoUrl(m_subject.image(person));
    } else {
        m_shown = Shown::Several;
        m_shownPerson = nullptr;
        m_naam = QStringLiteral("%1 %2").arg(count).arg(m_subject.pluralWord());
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
    QList<DetailTableModel::Row> rows;
    if (m_shown != Shown::Several && m_state == kRegistraties) {
        const qint64 endOfDay = Util::getEndOfTheDay().toLongLong();
        for (ManagedObject* registration : std::as_const(m_mijnRegistraties)) {
            const QString time = registration->valueForKey(QStringLiteral("time")).toString();
            const QString type = registration->valueForKey(QStringLiteral("type")).toString();
            const qint64 ms = time.toLongLong();
            DetailTableModel::Row row;
            row.kind = DetailTableModel::Registratie;
            row.day = dayText(ms);
            row.time = time.isEmpty() || time == QLatin1String("0")
                           ? QStringLiteral("00:00")
                           : QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm"));
            row.isIn = type == QLatin1String("In");
            row.type = row.isIn ? tr("In") : type == QLatin1String("Out") ? tr("Out") : type;
            row.warning = ms > endOfDay;
            rows << row;
        }
    }
    m_table->setRows(rows);
}

QUrl LeerlingenDetailViewController::photoUrl(const QString& image) const {
    if (image.trimmed().isEmpty())
        return {};
    const QUrl address(image);
    if (!address.isRelative())
        return address;
    const QUrl base = m_engine && m_engine->objectManager() ? m_engine->objectManager()->baseUrl() : QUrl();
    return base.isValid() ? base.resolved(address) : address;
}
