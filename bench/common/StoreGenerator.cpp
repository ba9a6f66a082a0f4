#include "StoreGenerator.h"

#include "Clock.h"
#include "Entities.h"
#include "Log.h"
#include "Store.h"
#include "Util.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <numeric>
#include <random>

namespace {

const QStringList kFirstNames{"Zoë",     "Noé",    "Anaïs",   "Chloé", "Lucas", "Emma",  "Louis",  "Olivia",
                              "Arthur",  "Mila",   "Jules",   "Lina",  "Noah",  "Nora",  "Finn",   "Elise",
                              "Mohamed", "Ayşe",   "Yasmine", "Ilias", "Liam",  "Ella",  "Victor", "Marie",
                              "Adam",    "Julie",  "Vic",     "Fien",  "Senne", "Lotte", "Wout",   "Hanne",
                              "Bram",    "Amélie", "Kobe",    "Lore",  "Rayan", "Sofia", "Jens",   "Ines"};
const QStringList kLastNames{
    "Peeters", "Janssens", "Maes",      "Jacobs",     "Mertens",   "Willems", "Claes",          "Goossens",
    "Wouters", "De Smet",  "de Smet",   "Dubois",     "Lambert",   "Dupont",  "Martens",        "Vermeulen",
    "Aerts",   "Özdemir",  "van Damme", "Çelik",      "Pauwels",   "Hermans", "Van den Broeck", "Desmet",
    "Leroy",   "Michiels", "Smets",     "Cools",      "Hendrickx", "Stevens", "El Amrani",      "Yilmaz",
    "Bogaert", "Coppens",  "De Backer", "Verstraete", "Renard",    "Lemmens", "Nguyen",         "Baert"};

// Saves and empties the context every so many new objects, so memory and save time stay flat.
class BatchWriter {
public:
    explicit BatchWriter(Context* context)
        : m_context(context) {}
    template <class T> T* create() {
        if (++m_pending > 20000)
            flush();
        return m_context->insertNew<T>();
    }
    void flush() {
        QString error;
        if (!m_context->save(&error))
            CC_LOG(QStringLiteral("error %1").arg(error));
        m_context->reset();
        m_pending = 0;
    }

private:
    Context* m_context;
    int m_pending = 0;
};

} // namespace

GeneratedStore generateStore(const std::shared_ptr<Store>& store, const StoreShape& shape) {
    GeneratedStore out;
    out.entityId = QStringLiteral("E1");
    std::mt19937 random(shape.seed);
    auto pick = [&](const QStringList& list) { return list.at(int(random() % unsigned(list.size()))); };
    auto between = [&](int low, int high) { return low + int(random() % unsigned(high - low + 1)); };

    QElapsedTimer timer;
    timer.start();
    Context* context = store->context();
    BatchWriter writer(context);

    auto* organisation = writer.create<Organisation>();
    organisation->setOrganisationId(QStringLiteral("O1"));
    organisation->setOrganisationName(QStringLiteral("Kinderopvang De Regenboog"));
    organisation->setExists(1);
    for (const QString& id : {QStringLiteral("E1"), QStringLiteral("E2")}) {
        auto* location = writer.create<Entities>();
        location->setIdEntity(id);
        location->setName(QStringLiteral("Locatie ") + id);
        location->setActiveForiPad(1);
        location->setExists(1);
    }

    const QDate today = Clock::now().toLocalTime().date();
    const qint64 now = Clock::nowMs();
    auto momentOn = [&](int daysAgo, int minuteOfDay) {
        const QDateTime t(today.addDays(-daysAgo), QTime(minuteOfDay / 60, minuteOfDay % 60), Qt::LocalTime);
        return t.toMSecsSinceEpoch();
    };

    // Children, each in one of ten care groups and one of ten school groups.
    QStringList childIds;
    for (int i = 0; i < shape.children; ++i) {
        auto* child = writer.create<Child>();
        const QString id = QStringLiteral("K%1").arg(i, 5, 10, QLatin1Char('0'));
        child->setChildId(id);
        child->setFirstName(pick(kFirstNames));
        child->setLastName(pick(kLastNames));
        child->setEntityId(out.entityId);
        child->setOrganisationId(QStringLiteral("O1"));
        child->setImage(QStringLiteral("https://example.invalid/children/%1.jpg").arg(id));
        child->setExists(1);
        childIds << id;
        const int groups[2] = {i % 10, 10 + (i / 10) % 10};
        for (int g : groups) {
            auto* membership = writer.create<Group>();
            const QString groupId = QStringLiteral("G%1").arg(g);
            membership->setGroupChildId(groupId + u'-' + id);
            membership->setGroupId(groupId);
            membership->setGroupName(g < 10 ? QStringLiteral("Opvang %1").arg(g)
                                            : QStringLiteral("Klas %1").arg(g));
            membership->setGroupType(g < 10 ? QStringLiteral("Opvang") : QStringLiteral("School"));
            membership->setImage(QStringLiteral("https://example.invalid/groups/%1.png").arg(groupId));
            membership->setChildId(id);
            membership->setEntityId(out.entityId);
            membership->setExists(1);
            membership->setChild(child);
            ++out.memberships;
        }
    }
    out.children = shape.children;
    out.firstGroupId = QStringLiteral("G0");

    // Staff: most at this location, some also at a second one (same userId).
    QStringList userIds;
    const int atSecond = shape.staffRecords / 8;
    for (int i = 0; i < shape.staffRecords; ++i) {
        const bool second = i >= shape.staffRecords - atSecond;
        const QString userId = QStringLiteral("U%1").arg(second ? i - (shape.staffRecords - atSecond) : i);
        auto* user = writer.create<Users>();
        user->setUserEntityId(userId + (second ? QStringLiteral("-E2") : QStringLiteral("-E1")));
        user->setUserId(userId);
        user->setFirst_name(pick(kFirstNames));
        user->setLast_name(pick(kLastNames));
        user->setEntityId(second ? QStringLiteral("E2") : out.entityId);
        user->setExists(1);
        user->setTimeEntryNeeded(1);
        user->setIsAdmin(i == 0 ? 1 : 0);
        if (!second)
            userIds << userId;
    }
    out.staffRecords = shape.staffRecords;

    // Child registrations: an arrival and a departure on randomly chosen days, today included.
    std::vector<int> days(size_t(shape.days));
    std::iota(days.begin(), days.end(), 0);
    const int perChild = shape.registrations / qMax(1, shape.children);
    int n = 0;
    auto addRegistration = [&](const QString& childId, qint64 time, const char* type) {
        if (time > now)
            return;
        auto* r = writer.create<Registration>();
        const QString t = Util::millisText(time);
        r->setRegistrationId(t + QStringLiteral("-R") + QString::number(++n));
        r->setChildId(childId);
        r->setEntityId(out.entityId);
        r->setOrganisationId(QStringLiteral("O1"));
        r->setUserId(QStringLiteral("U1"));
        r->setTime(t);
        r->setType(QString::fromLatin1(type));
        r->setExists(1);
        r->setLocked(0);
        ++out.registrations;
    };
    for (int c = 0; c < shape.children && out.registrations < shape.registrations; ++c) {
        std::shuffle(days.begin(), days.end(), random);
        for (int d = 0; d < perChild / 2 && d < shape.days; ++d) {
            addRegistration(childIds.at(c), momentOn(days[size_t(d)], between(7 * 60, 9 * 60)), "In");
            addRegistration(childIds.at(c), momentOn(days[size_t(d)], between(15 * 60, 18 * 60)), "Out");
        }
    }
    // Round up to the requested number with extra past clockings.
    while (out.registrations < shape.registrations)
        addRegistration(childIds.at(between(0, shape.children - 1)),
                        momentOn(between(1, shape.days - 1), between(420, 1080)),
                        random() % 2 ? "In" : "Out");

    for (const QString& userId : userIds) {
        std::shuffle(days.begin(), days.end(), random);
        for (int d = 0; d < shape.staffDaysWorked && d < shape.days; ++d) {
            for (const auto& [minute, type] :
                 {std::pair{between(6 * 60, 8 * 60), "In"}, std::pair{between(14 * 60, 18 * 60), "Out"}}) {
                const qint64 time = momentOn(days[size_t(d)], minute);
                if (time > now)
                    continue;
                auto* r = writer.create<UserRegistration>();
                const QString t = Util::millisText(time);
                r->setUserRegistrationId(t + QStringLiteral("-S") + QString::number(++n));
                r->setUserId(userId);
                r->setEntityId(out.entityId);
                r->setOrganisationId(QStringLiteral("O1"));
                r->setTime(t);
                r->setType(QString::fromLatin1(type));
                r->setExists(1);
                r->setLocked(0);
                ++out.staffRegistrations;
            }
        }
    }
    writer.flush();
    out.seconds = timer.nsecsElapsed() / 1e9;
    return out;
}
