#include "GroupSelectorViewController.h"

#include "DataAccessObject.h"

GroupSelectorModel::GroupSelectorModel(QObject* parent)
    : QAbstractListModel(parent) {}

void GroupSelectorModel::setRows(QList<Row> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int GroupSelectorModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant GroupSelectorModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& r = m_rows.at(index.row());
    switch (role) {
    case SectionRole:
        return r.section;
    case GroupNameRole:
    case Qt::DisplayRole:
        return r.groupName;
    case ClearRole:
        return r.group.isEmpty();
    default:
        return {};
    }
}

QHash<int, QByteArray> GroupSelectorModel::roleNames() const {
    return {{SectionRole, "section"}, {GroupNameRole, "groupName"}, {ClearRole, "clear"}};
}

GroupSelectorViewController::GroupSelectorViewController(const DataAccessObject& dao, const QString& entityId,
                                                         QObject* delegate, QObject* parent)
    : QObject(parent)
    , m_model(new GroupSelectorModel(this))
    , m_delegate(delegate) {
    QList<GroupSelectorModel::Row> rows;
    for (const QString& type : dao.loadGroupTypesforEntity(entityId)) {
        const QList<QVariantMap> groups = dao.loadGroupsFromType(type, entityId);
        m_groupTypes << type;
        m_groups << groups;
        for (const QVariantMap& g : groups)
            rows << GroupSelectorModel::Row{type, g.value(QStringLiteral("groupName")).toString(), g};
    }
    const QString none = tr("Geen Selectie");
    m_groupTypes << none;
    m_groups << QList<QVariantMap>();
    rows << GroupSelectorModel::Row{none, tr("Wis Selectie"), {}};
    m_model->setRows(std::move(rows));
}

void GroupSelectorViewController::didSelectRow(int row) {
    if (row < 0 || row >= m_model->rows().size() || !m_delegate)
        return;
    QMetaObject::invokeMethod(m_delegate, "groupSelected", Q_ARG(QVariantMap, m_model->rows().at(row).group));
}
