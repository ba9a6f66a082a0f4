#include "ClockingUndo.h"

#include "Clock.h"
#include "DataAccessObject.h"
#include "DialogRequests.h"
#include "MainSynchroObject.h"
#include "NotificationCenter.h"

namespace {
QPointer<ClockingUndo> sharedUndo;
} // namespace

ClockingUndo::ClockingUndo(DataAccessObject* dao, MainSynchroObject* engine, DialogRequests* dialogs,
                           QObject* parent)
    : QObject(parent)
    , m_dao(dao)
    , m_engine(engine)
    , m_dialogs(dialogs) {
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &ClockingUndo::check);
}

ClockingUndo::~ClockingUndo() = default;

ClockingUndo* ClockingUndo::shared() {
    return sharedUndo;
}

void ClockingUndo::setShared(ClockingUndo* undo) {
    sharedUndo = undo;
}

QString ClockingUndo::buttonTitle() const {
    return tr("Ongedaan maken");
}

void ClockingUndo::offer(const ClockingSubject& subject, ClockingSubject::Type type,
                         const QList<ManagedObject*>& people, const QList<ManagedObject*>& registrations) {
    if (registrations.isEmpty())
        return;
    m_subject = &subject;
    // Kept by key: by the time of the undo the objects may have been refreshed or deleted.
    m_registrations.clear();
    for (const ManagedObject* r : registrations)
        m_registrations << Key{r->entity().name, r->primaryKey()};
    const ClockingTexts texts = subject.texts();
    const bool in = type == ClockingSubject::Type::In;
    if (people.size() == 1) {
        const ManagedObject* person = people.first();
        m_text = (in ? tr("%1 %2 ingeklokt") : tr("%1 %2 uitgeklokt"))
                     .arg(subject.firstName(person), subject.lastName(person));
    } else {
        m_text = (in ? texts.doneInMany : texts.doneOutMany).arg(registrations.size());
    }
    m_untilMs = Clock::nowMs() + kShownMs;
    m_tick.start();
    emit changed();
}

ManagedObject* ClockingUndo::load(const Key& key) const {
    if (key.entity == QLatin1String("Registration"))
        return m_dao->loadRegistration(key.id);
    if (key.entity == QLatin1String("UserRegistration"))
        return m_dao->loadUserRegistration(key.id);
    return nullptr;
}

bool ClockingUndo::undo() {
    if (m_registrations.isEmpty() || !m_subject || !m_dao)
        return false;
    QList<ManagedObject*> registrations;
    for (const Key& key : std::as_const(m_registrations)) {
        ManagedObject* r = load(key);
        // One deleted meanwhile (from the panel) is gone already.
        if (r && r->valueForKey(QStringLiteral("exists")).toLongLong() != 0)
            registrations << r;
    }
    Inklokken inklokken(*m_subject, m_dao, m_engine);
    if (!inklokken.undo(registrations)) {
        // The bar stays for the rest of its time, so the undo can be tried again.
        if (m_dialogs)
            m_dialogs->alert(tr("Opgepast"), Inklokken::notStoredMessage(), {tr("OK")});
        return false;
    }
    dismiss();
    emit undone();
    NotificationCenter::defaultCenter().post(QStringLiteral("reloadKindjesData"), this);
    return true;
}

void ClockingUndo::dismiss() {
    m_tick.stop();
    if (m_registrations.isEmpty())
        return;
    m_registrations.clear();
    m_subject = nullptr;
    m_text.clear();
    emit changed();
}

void ClockingUndo::check() {
    if (shown() && Clock::nowMs() >= m_untilMs)
        dismiss();
}
