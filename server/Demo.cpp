#include "Demo.h"

#include "Hashing.h"

#include <QBuffer>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QJsonArray>
#include <QPainter>

namespace server {

namespace {

const QString kOrgId = QStringLiteral("org-demo");
const QString kOrgName = QStringLiteral("Demo Opvang");
const QString kOrgPassword = QStringLiteral("s3cret%");

const char* const kGirls[] = {"Emma",  "Olivia", "Louise", "Mila",  "Nora",  "Elena", "Lena",  "Lotte",
                              "Julia", "Ella",   "Fien",   "Noor",  "Marie", "Anna",  "Sofie", "Lisa",
                              "Hanne", "Lien",   "Elise",  "Amber", "Febe",  "Jana",  "Zoë",   "Chloë",
                              "Anaïs", "Saar",   "Tess",   "Roos",  "Jente", "Liv",   "Mona",  "Fleur"};
const char* const kBoys[] = {"Noah",  "Arthur", "Louis",    "Liam", "Lucas", "Jules",  "Adam",  "Victor",
                             "Mats",  "Finn",   "Lars",     "Daan", "Sem",   "Jasper", "Wout",  "Senne",
                             "Bram",  "Thibo",  "Milan",    "Stan", "Vic",   "Rune",   "Lowie", "Warre",
                             "Ferre", "Seppe",  "Matthias", "Jef",  "Toon",  "Kobe",   "Ruben", "Siebe"};
const char* const kSurnames[] = {
    "Peeters",      "Janssens",        "Maes",       "Jacobs",    "Mertens",   "Willems",  "Claes",
    "Goossens",     "Wouters",         "De Smet",    "Dubois",    "Lambert",   "Dupont",   "Hermans",
    "Vermeulen",    "Van den Bossche", "De Vries",   "Van Dijk",  "Bakker",    "Visser",   "Smits",
    "Vandenberghe", "Desmet",          "Verstraete", "Declercq",  "Van Damme", "Leclercq", "Pauwels",
    "Coppens",      "Van de Velde",    "Martens",    "Aerts",     "De Backer", "Segers",   "Cools",
    "Verhoeven",    "Michiels",        "Hendrickx",  "Van Acker", "Bogaert",   "Dupré",    "Jansen",
    "De Jong",      "Van Leeuwen",     "Mulder",     "Vos",       "Dekker",    "D'Hondt"};
const char* const kRemarks[] = {"Allergie: noten", "Wordt opgehaald door oma", "Lactose-intolerant",
                                "Astma: puffer in de boekentas", "Mag niet met de fiets naar huis"};

struct StaffSeed {
    const char* first;
    const char* last;
    const char* password;
};
const StaffSeed kStaff[] = {
    {"An", "Peeters", "mijn paswoord"}, {"Sofie", "Maes", "welkom"},      {"Tom", "Wouters", "welkom"},
    {"Karen", "Claes", "welkom"},       {"Bart", "Goossens", "welkom"},   {"Inge", "De Smet", "welkom"},
    {"Zoë", "Dupré", "ça va"},          {"Joke", "Verstraete", "welkom"}, {"Pieter", "Aerts", "welkom"},
    {"Lies", "Hermans", "welkom"},      {"Marijke", "Pauwels", "welkom"}, {"Koen", "Segers", "welkom"},
    {"Nathalie", "Coppens", "welkom"},  {"Hilde", "Michiels", "welkom"},  {"Dirk", "Van Acker", "welkom"},
    {"Ilse", "Cools", "welkom"},        {"Griet", "Bogaert", "welkom"},   {"Wim", "Declercq", "welkom"}};

const QColor kPalette[] = {QColor(0xe5, 0x73, 0x73), QColor(0x64, 0xb5, 0xf6), QColor(0x81, 0xc7, 0x84),
                           QColor(0xff, 0xb7, 0x4d), QColor(0xba, 0x68, 0xc8), QColor(0x4d, 0xb6, 0xac),
                           QColor(0xf0, 0x62, 0x92), QColor(0x90, 0xa4, 0xae)};

// A fixed generator, so every demo store holds the same names.
class Random {
public:
    explicit Random(quint64 seed)
        : m_state(seed) {}
    quint32 next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return quint32(m_state >> 11);
    }
    int below(int n) { return int(next() % quint32(n)); }

private:
    quint64 m_state;
};

QString initialsOf(const QString& first, const QString& last) {
    QString s = first.left(1);
    const QStringList parts = last.split(u' ', Qt::SkipEmptyParts);
    s += parts.isEmpty() ? QString() : parts.last().left(1);
    return s.toUpper();
}

QString ms(qint64 v) {
    return QString::number(v);
}

} // namespace

QByteArray drawInitials(const QString& initials, const QColor& colour) {
    QImage image(256, 256, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(4, 4, 248, 248));
    QFont font;
    font.setPixelSize(104);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(image.rect(), Qt::AlignCenter, initials);
    p.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

bool loadDemo(Store& store, QString* error, qint64 nowMs) {
    const qint64 now = nowMs >= 0 ? nowMs : QDateTime::currentMSecsSinceEpoch();
    const QDate today = QDateTime::fromMSecsSinceEpoch(now).date();
    const qint64 midnight = QDateTime(today, QTime(0, 0)).toMSecsSinceEpoch();
    Random rnd(20240901);
    bool ok = true;
    const auto put = [&](Record r) {
        if (ok && store.put(r) < 0)
            ok = false;
    };
    const auto picture = [&](const QString& name, const QString& initials, int colour) {
        if (ok &&
            !store.putImage(name, QStringLiteral("image/png"), drawInitials(initials, kPalette[colour % 8])))
            ok = false;
        return QStringLiteral("/images/") + name;
    };

    const bool committed = store.transaction([&] {
        Record org{
            kind::organisation, kOrgId, kOrgId, {}, {}, 0, 0, couplingHash(kOrgName, kOrgPassword), {}};
        org.body = QJsonObject{
            {QStringLiteral("organisationId"), kOrgId},
            {QStringLiteral("organisationName"), kOrgName},
            {QStringLiteral("image"), picture(QStringLiteral("demo-logo.png"), QStringLiteral("DO"), 1)},
            {QStringLiteral("exists"), 1},
            {QStringLiteral("timeSwitch"), QStringLiteral("0")},
            {QStringLiteral("timeSwitchInterval"), QStringLiteral("0")}};
        put(org);

        const char* const devices[] = {"Tablet Onthaal", "Tablet Refter", "Tablet Speelplaats"};
        for (int i = 0; i < 3; ++i) {
            const QString id = QStringLiteral("dev-%1").arg(i + 1);
            Record d{kind::device, id, kOrgId, {}, {}, 0, 0, {}, {}};
            d.body = QJsonObject{{QStringLiteral("idDevice"), id},
                                 {QStringLiteral("idOrganisation"), kOrgId},
                                 {QStringLiteral("name"), QString::fromUtf8(devices[i])},
                                 {QStringLiteral("exists"), 1}};
            put(d);
        }

        const char* const locations[] = {"De Speelvogel", "Het Kabouterhuis", "Zonnestraal", "De Notelaar"};
        for (int e = 0; e < 4; ++e) {
            const QString entityId = QStringLiteral("ent-%1").arg(e + 1);
            const bool active = e < 3;
            Record ent{kind::entity, entityId, kOrgId, entityId, {}, 0, 0, {}, {}};
            ent.body = QJsonObject{{QStringLiteral("idEntity"), entityId},
                                   {QStringLiteral("name"), QString::fromUtf8(locations[e])},
                                   {QStringLiteral("activeForiPad"), active ? 1 : 0},
                                   {QStringLiteral("exists"), 1}};
            put(ent);
            if (!active)
                continue;

            // Staff: the administrator everywhere, six others per location, one of them not clocking, the
            // shared account and two stand-ins.
            const auto addStaff = [&](const QString& userId, const QString& first, const QString& last,
                                      const QString& password, int isAdmin, int timeEntryNeeded, bool photo,
                                      const QString& k) {
                Record u{k, userId + u'@' + entityId, kOrgId, entityId, userId, 0, 0, {}, {}};
                u.body = QJsonObject{{QStringLiteral("userEntityId"), u.id},
                                     {QStringLiteral("userId"), userId},
                                     {QStringLiteral("firstName"), first},
                                     {QStringLiteral("lastName"), last},
                                     {QStringLiteral("hash"), staffPasswordHash(last, first, password)},
                                     {QStringLiteral("entityId"), entityId},
                                     {QStringLiteral("exists"), 1},
                                     {QStringLiteral("resyncFreq"), 60},
                                     {QStringLiteral("isAdmin"), isAdmin},
                                     {QStringLiteral("isGenericUser"), k == kind::genericUser ? 1 : 0},
                                     {QStringLiteral("timeEntryNeeded"), timeEntryNeeded}};
                if (photo)
                    u.body.insert(QStringLiteral("image"),
                                  picture(QStringLiteral("staff-%1.png").arg(userId), initialsOf(first, last),
                                          int(qHash(userId) % 8)));
                put(u);
            };
            addStaff(QStringLiteral("usr-els"), QStringLiteral("Els"), QStringLiteral("Janssens"),
                     QStringLiteral("geheim"), 1, 1, true, kind::user);
            for (int s = 0; s < 6; ++s) {
                const StaffSeed& seed = kStaff[e * 6 + s];
                addStaff(QStringLiteral("usr-%1").arg(e * 6 + s + 1), QString::fromUtf8(seed.first),
                         QString::fromUtf8(seed.last), QString::fromUtf8(seed.password), 0, s == 5 ? 0 : 1,
                         s % 2 == 0, kind::user);
            }
            addStaff(QStringLiteral("usr-gedeeld"), QStringLiteral("Gedeelde"), QStringLiteral("Account"),
                     QStringLiteral("welkom"), 0, 1, false, kind::genericUser);
            // Stand-ins of the organisation, each at two locations, who clock their working time on the
            // tablets: the organisation's list that asks for time entry.
            const StaffSeed standIns[] = {{"Lotte", "Vermeulen", "welkom"},
                                          {"Jonas", "Wuyts", "welkom"},
                                          {"Ann", "Lambrechts", "welkom"}};
            for (int f = 0; f < 3; ++f)
                if (f != e)
                    addStaff(QStringLiteral("usr-invaller-%1").arg(f + 1),
                             QString::fromUtf8(standIns[f].first), QString::fromUtf8(standIns[f].last),
                             QString::fromUtf8(standIns[f].password), 0, 1, f != 1, kind::genericUser);

            // Groups: an age group and an activity per child.
            const char* const ageGroups[] = {"Kleuters", "Eerste graad", "Tweede graad", "Derde graad"};
            const char* const activities[] = {"Knutselen", "Sport en spel", "Huiswerkklas"};
            // Each group has a picture of its own: its initials on a colour.
            QHash<QString, QString> groupPictures;
            const auto group = [&](const QString& childId, const QString& groupId, const char* name,
                                   const char* type) {
                if (!groupPictures.contains(groupId)) {
                    QStringList words = QString::fromUtf8(name).split(u' ', Qt::SkipEmptyParts);
                    const QString first = words.takeFirst();
                    groupPictures.insert(groupId, picture(groupId + QStringLiteral(".png"),
                                                          initialsOf(first, words.join(u' ')),
                                                          int(groupPictures.size() + 3)));
                }
                return QJsonObject{{QStringLiteral("groupChildId"), groupId + u':' + childId},
                                   {QStringLiteral("groupId"), groupId},
                                   {QStringLiteral("childId"), childId},
                                   {QStringLiteral("groupName"), QString::fromUtf8(name)},
                                   {QStringLiteral("groupType"), QString::fromUtf8(type)},
                                   {QStringLiteral("image"), groupPictures.value(groupId)},
                                   {QStringLiteral("entityId"), entityId},
                                   {QStringLiteral("exists"), 1}};
            };

            // Children in families of one to three, siblings sharing a family name.
            struct Kid {
                QString id, first, last;
                int family;
            };
            std::vector<Kid> kids;
            int family = 0;
            while (kids.size() < 120) {
                const QString last = QString::fromUtf8(kSurnames[rnd.below(int(std::size(kSurnames)))]);
                const int size = std::min<int>(1 + rnd.below(3), 120 - int(kids.size()));
                QStringList taken;
                for (int k = 0; k < size; ++k) {
                    QString first;
                    do {
                        const bool girl = rnd.below(2) == 0;
                        first = QString::fromUtf8(girl ? kGirls[rnd.below(int(std::size(kGirls)))]
                                                       : kBoys[rnd.below(int(std::size(kBoys)))]);
                    } while (taken.contains(first));
                    taken.append(first);
                    kids.push_back({QStringLiteral("kind-%1-%2")
                                        .arg(e + 1)
                                        .arg(kids.size() + 1, 3, 10, QLatin1Char('0')),
                                    first, last, family});
                }
                ++family;
            }
            for (size_t i = 0; i < kids.size(); ++i) {
                const Kid& kid = kids[i];
                QJsonArray groups{group(kid.id, QStringLiteral("grp-%1-age-%2").arg(e + 1).arg(i % 4),
                                        ageGroups[i % 4], "Leeftijdsgroep"),
                                  group(kid.id, QStringLiteral("grp-%1-act-%2").arg(e + 1).arg((i / 4) % 3),
                                        activities[(i / 4) % 3], "Activiteit")};
                QJsonArray relationships;
                for (const Kid& other : kids)
                    if (other.family == kid.family && other.id != kid.id)
                        relationships.append(QJsonObject{{QStringLiteral("RelationShipUserId"),
                                                          QStringLiteral("rel-%1-%2").arg(kid.id, other.id)},
                                                         {QStringLiteral("relationId"), other.id}});
                QJsonArray sessions{
                    QJsonObject{{QStringLiteral("sessionId"), QStringLiteral("ses-%1").arg(kid.id)},
                                {QStringLiteral("childId"), kid.id},
                                {QStringLiteral("entityId"), entityId},
                                {QStringLiteral("sessionDay"), ms(midnight)},
                                {QStringLiteral("timeIn"), QStringLiteral("07:30")},
                                {QStringLiteral("timeOut"), QStringLiteral("18:00")}}};
                Record c{kind::child, kid.id, kOrgId, entityId, {}, 0, 0, {}, {}};
                c.body = QJsonObject{{QStringLiteral("childId"), kid.id},
                                     {QStringLiteral("firstName"), kid.first},
                                     {QStringLiteral("lastName"), kid.last},
                                     {QStringLiteral("entityId"), entityId},
                                     {QStringLiteral("idOrganisation"), kOrgId},
                                     {QStringLiteral("exists"), 1},
                                     {QStringLiteral("groups"), groups},
                                     {QStringLiteral("sessions"), sessions},
                                     {QStringLiteral("relationships"), relationships}};
                if (i % 9 == 4)
                    c.body.insert(QStringLiteral("extraInfo"),
                                  QString::fromUtf8(kRemarks[i % std::size(kRemarks)]));
                if (i % 4 == 1)
                    c.body.insert(QStringLiteral("image"),
                                  picture(QStringLiteral("demo-%1.png").arg(kid.id),
                                          initialsOf(kid.first, kid.last), int(i % 8)));
                put(c);

                // Today so far: most of the first eighty arrived, some already left.
                if (i < 80 && i % 3 != 2) {
                    const auto reg = [&](qint64 t, const char* type) {
                        if (t > now)
                            return;
                        const QString id =
                            QStringLiteral("%1-demo-%2-%3").arg(ms(t), kid.id, QLatin1String(type));
                        Record r{kind::timeEntry, id, kOrgId, entityId, kid.id, t, 0, {}, {}};
                        r.body = QJsonObject{{QStringLiteral("registrationId"), id},
                                             {QStringLiteral("childId"), kid.id},
                                             {QStringLiteral("entityId"), entityId},
                                             {QStringLiteral("orgId"), kOrgId},
                                             {QStringLiteral("userId"), QStringLiteral("usr-els")},
                                             {QStringLiteral("time"), ms(t)},
                                             {QStringLiteral("type"), QString::fromLatin1(type)},
                                             {QStringLiteral("exists"), 1},
                                             {QStringLiteral("ipadMacId"), QStringLiteral("demo")}};
                        put(r);
                    };
                    const qint64 in = midnight + (7 * 60 + qint64(i * 7 % 120)) * 60000;
                    reg(in, "In");
                    if (i % 4 == 0)
                        reg(midnight + (16 * 60 + qint64(i * 5 % 90)) * 60000, "Out");
                }
            }

            // The clocking staff of the location arrived early.
            for (int s = 0; s < 5; ++s) {
                const QString userId = QStringLiteral("usr-%1").arg(e * 6 + s + 1);
                const qint64 t = midnight + (6 * 60 + 45 + s * 10) * 60000;
                if (t > now)
                    continue;
                const QString id = QStringLiteral("%1-demo-%2").arg(ms(t), userId);
                Record r{kind::userTimeEntry, id, kOrgId, entityId, userId, t, 0, {}, {}};
                r.body = QJsonObject{{QStringLiteral("registrationId"), id},
                                     {QStringLiteral("orgId"), kOrgId},
                                     {QStringLiteral("userId"), userId},
                                     {QStringLiteral("entityId"), entityId},
                                     {QStringLiteral("time"), ms(t)},
                                     {QStringLiteral("type"), QStringLiteral("In")},
                                     {QStringLiteral("exists"), 1},
                                     {QStringLiteral("ipadMacId"), QStringLiteral("demo")}};
                put(r);
            }
        }
        return ok;
    });
    if (!committed)
        *error = QStringLiteral("the demo organisation could not be stored");
    return committed;
}

} // namespace server
