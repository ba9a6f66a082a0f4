#include "AdminPageViewController.h"

#include "MainSynchroObject.h"
#include "Resources.h"
#include "Translations.h"

#include <QDateTime>

AdminPageModel::AdminPageModel(QObject* parent)
    : QAbstractListModel(parent)
    , m_locale(Translations::locale()) {}

void AdminPageModel::setEntries(QList<SynchroObjectEntry> entries) {
    beginResetModel();
    m_entries = std::move(entries);
    m_retried.clear();
    endResetModel();
}

void AdminPageModel::setRetried(int row) {
    if (row < 0 || row >= m_entries.size() || m_retried.contains(row))
        return;
    m_retried.insert(row);
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {RetriedRole});
}

QString AdminPageModel::statusText(qint64 status) {
    switch (status) {
    case 0:
        return tr("Wachtrij");
    case 1:
        return tr("Verstuurd");
    case 2:
        return tr("Mislukt");
    case 3:
        return tr("Succes");
    default:
        return tr("N/A");
    }
}

QString AdminPageModel::dateText(const QString& moment, const QLocale& locale) {
    // Whole seconds, as the moment is read; the pattern shows minutes only.
    const qint64 seconds = moment.toLongLong() / 1000;
    return locale.toString(QDateTime::fromSecsSinceEpoch(seconds), QStringLiteral("ddd dd/MM/yy HH:mm"));
}

int AdminPageModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant AdminPageModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const SynchroObjectEntry& e = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case SynchroObjectIdRole:
        return e.idSynchroObject;
    case EntryDateRole:
        return dateText(e.entryDate, m_locale);
    case ObjectIdRole:
        return e.objectId;
    case ObjectTypeRole:
        return e.objectType;
    case HttpTypeRole:
        return e.httpType;
    case NrOfTriesRole:
        return QString::number(e.nrOfTries);
    case LastTryDateRole:
        return dateText(e.lastTryDate, m_locale);
    case StatusRole:
        return statusText(e.status);
    case RetriedRole:
        return m_retried.contains(index.row());
    default:
        return {};
    }
}

QHash<int, QByteArray> AdminPageModel::roleNames() const {
    return {
        {SynchroObjectIdRole, "synchroObjectId"}, {EntryDateRole, "entryDate"}, {ObjectIdRole, "objectId"},
        {ObjectTypeRole, "objectType"},           {HttpTypeRole, "httpType"},   {NrOfTriesRole, "nrOfTries"},
        {LastTryDateRole, "lastTryDate"},         {StatusRole, "status"},       {RetriedRole, "retried"}};
}

AdminPageViewController::AdminPageViewController(DataAccessObject* dao, MainSynchroObject* engine,
                                                 QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("access/qml/AdminPageView.qml")), tr("Admin"), parent)
    , m_dao(dao)
    , m_engine(engine)
    , m_syncObjects(new AdminPageModel(this)) {
    if (m_dao)
        m_syncObjects->setEntries(m_dao->loadAllSynchroObjectEntries());
    if (m_engine)
        connect(m_engine, &MainSynchroObject::resendFinished, this, [this](int records) {
            if (!m_resendAllAsked)
                return;
            m_resendAllAsked = false;
            dialogs()->confirm(records == 0   ? tr("Geen wijzigingen om opnieuw te versturen")
                               : records == 1 ? tr("1 wijziging opnieuw verstuurd")
                                              : tr("%1 wijzigingen opnieuw verstuurd").arg(records));
        });
}

void AdminPageViewController::doRetryAll() {
    if (!m_engine)
        return;
    m_resendAllAsked = true;
    m_engine->retriggerAllOldPosts();
}

void AdminPageViewController::doRetry(int row) {
    const QList<SynchroObjectEntry>& entries = m_syncObjects->entries();
    if (row < 0 || row >= entries.size())
        return;
    const SynchroObjectEntry entry = entries.at(row);
    bool sent = false;
    if (m_engine && m_dao)
        if (SynchroObject* record = m_dao->loadSynchroObject(entry.idSynchroObject))
            sent = m_engine->doRetryForSyncObject(record);
    m_syncObjects->setRetried(row);
    dialogs()->confirm(sent ? tr("Opnieuw verstuurd: %1 %2").arg(entry.objectType, entry.httpType)
                            : tr("Niet verstuurd: %1 %2 bestaat niet meer op de tablet")
                                  .arg(entry.objectType, entry.objectId));
}
