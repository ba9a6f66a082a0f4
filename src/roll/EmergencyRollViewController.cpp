#include "EmergencyRollViewController.h"

#include "Clock.h"
#include "DataAccessObject.h"
#include "Entities.h"
#include "ImageCache.h"
#include "Log.h"
#include "MainSynchroObject.h"
#include "NotificationCenter.h"
#include "PrivateFiles.h"
#include "Resources.h"
#include "SearchOverzichtModel.h"
#include "Util.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <numeric>

namespace {

using Person = EmergencyRollModel::Person;

QString clockTime(const QString& millis) {
    return QDateTime::fromMSecsSinceEpoch(millis.toLongLong()).toString(QStringLiteral("HH:mm"));
}

// Only a picture already on the tablet: the roll must not wait for, or depend on, the network.
QUrl cachedPhoto(ImageCache* images, const QString& key) {
    if (!images || key.isEmpty() || !images->contains(key))
        return {};
    return QUrl::fromLocalFile(images->fileFor(key));
}

// Children by group (children without a group after the others), then by name; staff last.
bool rollOrder(const Person& a, const Person& b, const QStringList& aSort, const QStringList& bSort) {
    if (a.staff != b.staff)
        return !a.staff;
    if (!a.staff && a.group.isEmpty() != b.group.isEmpty())
        return !a.group.isEmpty();
    for (int i = 0; i < aSort.size(); ++i)
        if (const int c = QString::localeAwareCompare(aSort[i], bSort[i]))
            return c < 0;
    return false;
}

} // namespace

EmergencyRollViewController::EmergencyRollViewController(const QString& entityId, DataAccessObject* dao,
                                                         MainSynchroObject* engine, ImageCache* images,
                                                         const QString& pdfFolder, QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("roll/qml/EmergencyRollView.qml")), tr("Noodlijst"),
                       parent)
    , m_entityId(entityId)
    , m_dao(dao)
    , m_engine(engine)
    , m_reloadSoon(new QTimer(this))
    , m_images(images)
    , m_pdfFolder(pdfFolder)
    , m_people(new EmergencyRollModel(this)) {
    connect(m_people, &EmergencyRollModel::uncheckedCountChanged, this,
            &EmergencyRollViewController::countsChanged);
    connect(m_people, &EmergencyRollModel::countChanged, this, &EmergencyRollViewController::countsChanged);

    // A refresh or a clocking changed who is here; a burst of them is one reload.
    m_reloadSoon->setSingleShot(true);
    m_reloadSoon->setInterval(0);
    connect(m_reloadSoon, &QTimer::timeout, this, &EmergencyRollViewController::reload);
    for (const char* name : {"reloadKindjesData", "forceSearch"})
        NotificationCenter::defaultCenter().addObserver(
            this, QString::fromLatin1(name), [this](const Notification&) { m_reloadSoon->start(); });
    if (m_engine) {
        connect(m_engine, &MainSynchroObject::lastRefreshDateChanged, this,
                &EmergencyRollViewController::updateFreshness);
        connect(m_engine, &MainSynchroObject::reachabilityChanged, this,
                &EmergencyRollViewController::updateFreshness);
    }
    reload();
}

QString EmergencyRollViewController::defaultPdfFolder() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(base).filePath(QStringLiteral("Noodlijsten"));
}

QString EmergencyRollViewController::countText() const {
    const int all = m_people->count();
    if (all == 0)
        return tr("Niemand aanwezig");
    const int open = m_people->uncheckedCount();
    return open == 0 ? tr("Iedereen afgevinkt (%1)").arg(all)
                     : tr("Nog %1 van %2 niet afgevinkt").arg(open).arg(all);
}

QString EmergencyRollViewController::freshnessText(const QDateTime& lastRefresh, bool offline,
                                                   const QDateTime& now) {
    if (!lastRefresh.isValid() || lastRefresh.toMSecsSinceEpoch() <= 0)
        return offline ? tr("Offline · nog niet bijgewerkt") : tr("Nog niet bijgewerkt");
    const QDateTime local = lastRefresh.toLocalTime();
    const QString when = local.date() == now.toLocalTime().date()
                             ? local.toString(QStringLiteral("HH:mm"))
                             : local.toString(QStringLiteral("dd/MM HH:mm"));
    return offline ? tr("Offline · laatst bijgewerkt %1").arg(when) : tr("Bijgewerkt %1").arg(when);
}

void EmergencyRollViewController::updateFreshness() {
    const bool offline = m_engine && !m_engine->isReachable();
    const QString text =
        freshnessText(m_engine ? m_engine->lastRefreshDate() : QDateTime(), offline, Clock::now());
    if (text == m_freshness && offline == m_offline)
        return;
    m_freshness = text;
    m_offline = offline;
    emit freshnessChanged();
}

void EmergencyRollViewController::reload() {
    m_reloadSoon->stop();
    QList<Person> people;
    QList<QStringList> keys;
    if (m_dao) {
        const QString begin = Util::getBeginRegistrationTime();
        // Clockings entered ahead (for later today, or tomorrow) do not say who is here now.
        const QString now = Util::millisText(Clock::nowMs());

        // Children of the location whose latest live registration of the period is a clock-in.
        const QList<Child*> children = m_dao->loadChildrenforEntity(m_entityId);
        QStringList childIds;
        for (const Child* c : children)
            childIds << c->childId();
        const auto latestChild = m_dao->loadLatestRegistrationsForChildren(childIds, begin, now);
        for (const Child* c : children) {
            const Registration* r = latestChild.value(c->childId());
            if (!r || r->type() != QLatin1String("In"))
                continue;
            Person p;
            p.key = c->childId();
            p.name = QStringLiteral("%1 %2").arg(c->firstName(), c->lastName()).trimmed();
            p.group = ChildRows::groupsLine(*m_dao, c->childId());
            p.since = clockTime(r->time());
            p.photo = cachedPhoto(m_images, c->image());
            people << p;
            keys << QStringList{p.group, c->lastName(), c->firstName()};
        }

        // Staff (one record per person, whatever their locations) last clocked in at this location.
        QList<Users*> staff;
        QSet<QString> seen;
        for (Users* u : m_dao->loadUsers())
            if (!seen.contains(u->userId())) {
                seen.insert(u->userId());
                staff << u;
            }
        const auto latestStaff =
            m_dao->loadLatestRegistrationsForUsers(QStringList(seen.cbegin(), seen.cend()), begin, now);
        for (const Users* u : std::as_const(staff)) {
            const UserRegistration* r = latestStaff.value(u->userId());
            if (!r || r->type() != QLatin1String("In") ||
                (!r->entityId().isEmpty() && r->entityId() != m_entityId))
                continue;
            Person p;
            p.key = u->userId();
            p.name = QStringLiteral("%1 %2").arg(u->first_name(), u->last_name()).trimmed();
            p.group = tr("Medewerker");
            p.since = clockTime(r->time());
            p.staff = true;
            p.photo = cachedPhoto(m_images, u->image());
            people << p;
            keys << QStringList{QString(), u->last_name(), u->first_name()};
        }
    }

    QList<int> order(people.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return rollOrder(people[a], people[b], keys[a], keys[b]); });
    QList<Person> sorted;
    sorted.reserve(people.size());
    for (int i : order)
        sorted << people[i];
    m_people->setPeople(std::move(sorted));

    const Entities* location = m_dao ? m_dao->loadEntitiyFromDataStoreById(m_entityId) : nullptr;
    const QString at = tr("aanwezig om %1").arg(Clock::now().toLocalTime().toString(QStringLiteral("HH:mm")));
    const QString subtitle = location ? QStringLiteral("%1 · %2").arg(location->name(), at) : at;
    if (subtitle != m_subtitle) {
        m_subtitle = subtitle;
        emit subtitleChanged();
    }
    updateFreshness();
    emit countsChanged();
}

void EmergencyRollViewController::toggle(int row) {
    if (row < 0 || row >= m_people->count())
        return;
    m_people->setChecked(row, !m_people->people().at(row).checked);
}

bool EmergencyRollViewController::writePdf() {
    const QDateTime now = Clock::now().toLocalTime();
    const QString path =
        QDir(m_pdfFolder)
            .filePath(
                QStringLiteral("Noodlijst-%1.pdf").arg(now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"))));
    const auto fail = [&] {
        CC_LOG(QStringLiteral("error writing %1").arg(path));
        dialogs()->alert(tr("Opgepast"), tr("De PDF kon niet bewaard worden in %1.").arg(m_pdfFolder),
                         {tr("OK")}, kPdfAlertTag);
        return false;
    };
    // Names of children: the file is the app user's only.
    if (!PrivateFiles::makeFolder(m_pdfFolder) || !PrivateFiles::prepareFile(path))
        return fail();
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(tr("Noodlijst"));
        writer.setCreator(QStringLiteral("Kinderopvang"));
        QPainter painter;
        if (!painter.begin(&writer))
            return fail();

        const QRect page = painter.viewport();
        QFont titleFont = painter.font();
        titleFont.setPointSizeF(16);
        titleFont.setBold(true);
        QFont headFont = painter.font();
        headFont.setPointSizeF(10);
        headFont.setBold(true);
        QFont rowFont = painter.font();
        rowFont.setPointSizeF(12);
        const int rowHeight = QFontMetrics(rowFont, &writer).height() * 2;
        const int box = QFontMetrics(rowFont, &writer).height();
        // Columns: box, name, group, present since.
        const int nameX = box * 2;
        const int groupX = nameX + page.width() * 40 / 100;
        const int sinceX = page.width() - page.width() * 18 / 100;
        const int nameWidth = groupX - nameX - box;
        const int groupWidth = sinceX - groupX - box;

        int y = 0;
        const auto header = [&] {
            painter.setFont(titleFont);
            const int titleHeight = QFontMetrics(titleFont, &writer).height();
            painter.drawText(QRect(0, y, page.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             tr("Noodlijst") + QStringLiteral(" · ") + m_subtitle);
            y += titleHeight * 3 / 2;
            painter.setFont(rowFont);
            const int freshHeight = QFontMetrics(rowFont, &writer).height();
            painter.drawText(QRect(0, y, page.width(), freshHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             m_freshness);
            y += freshHeight * 2;
            painter.setFont(headFont);
            const int headHeight = QFontMetrics(headFont, &writer).height();
            painter.drawText(QRect(nameX, y, nameWidth, headHeight), Qt::AlignLeft, tr("Naam"));
            painter.drawText(QRect(groupX, y, groupWidth, headHeight), Qt::AlignLeft, tr("Groep"));
            painter.drawText(QRect(sinceX, y, page.width() - sinceX, headHeight), Qt::AlignLeft,
                             tr("Aanwezig sinds"));
            y += headHeight + box / 2;
            painter.drawLine(0, y, page.width(), y);
            y += box / 2;
            painter.setFont(rowFont);
        };
        header();
        QPen pen = painter.pen();
        pen.setWidth(std::max(2, box / 12));
        painter.setPen(pen);
        const QFontMetrics rowMetrics(rowFont, &writer);
        for (const Person& p : m_people->people()) {
            if (y + rowHeight > page.height()) {
                if (!writer.newPage())
                    return fail();
                y = 0;
                header();
            }
            const QRect boxRect(0, y + (rowHeight - box) / 2, box, box);
            painter.drawRect(boxRect);
            if (p.checked) {
                painter.drawLine(boxRect.topLeft(), boxRect.bottomRight());
                painter.drawLine(boxRect.topRight(), boxRect.bottomLeft());
            }
            // Elided, never wrapped: one line per person.
            painter.drawText(QRect(nameX, y, nameWidth, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             rowMetrics.elidedText(p.name, Qt::ElideRight, nameWidth));
            painter.drawText(QRect(groupX, y, groupWidth, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             rowMetrics.elidedText(p.group, Qt::ElideRight, groupWidth));
            painter.drawText(QRect(sinceX, y, page.width() - sinceX, rowHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, p.since);
            y += rowHeight;
        }
        if (!painter.end())
            return fail();
    }
    if (QFileInfo(path).size() == 0)
        return fail();
    PrivateFiles::tighten(path);
    m_pdfPath = path;
    emit pdfPathChanged();
    return true;
}

void EmergencyRollViewController::requestClose() {
    if (m_people->uncheckedCount() == m_people->count()) {
        emit closed();
        return;
    }
    dialogs()->alert(tr("Noodlijst sluiten?"), tr("De vinkjes gaan verloren."), {tr("Annuleer"), tr("Sluit")},
                     kCloseAlertTag);
}

void EmergencyRollViewController::alertViewClickedButtonAtIndex(int tag, int index) {
    if (tag == kCloseAlertTag && index == 1)
        emit closed();
}
