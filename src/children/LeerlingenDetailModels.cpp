#include "LeerlingenDetailModels.h"

DetailTableModel::DetailTableModel(QObject* parent)
    : QAbstractListModel(parent) {}

void DetailTableModel::setRows(const QList<Row>& rows) {
    const bool countChanges = rows.size() != m_rows.size();
    beginResetModel();
    m_rows = rows;
    endResetModel();
    if (countChanges)
        emit countChanged();
}

int DetailTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant DetailTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& r = m_rows.at(index.row());
    switch (role) {
    case KindRole:
        return int(r.kind);
    case DayRole:
    case Qt::DisplayRole:
        return r.day;
    case TimeRole:
        return r.time;
    case TypeRole:
        return r.type;
    case IsInRole:
        return r.isIn;
    case WarningRole:
        return r.warning;
    case DoorRole:
        return r.door;
    case TitleRole:
        return r.title;
    case TextRole:
        return r.text;
    default:
        return {};
    }
}

QHash<int, QByteArray> DetailTableModel::roleNames() const {
    return {{KindRole, "kind"}, {DayRole, "day"},         {TimeRole, "time"}, {TypeRole, "type"},
            {IsInRole, "isIn"}, {WarningRole, "warning"}, {DoorRole, "door"}, {TitleRole, "title"},
            {TextRole, "body"}};
}

PersonenModel::PersonenModel(QObject* parent)
    : QAbstractListModel(parent) {}

void PersonenModel::setPeople(const QList<Person>& people) {
    const bool countChanges = people.size() != m_people.size();
    beginResetModel();
    m_people = people;
    endResetModel();
    if (countChanges)
        emit countChanged();
}

int PersonenModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_people.size());
}

QVariant PersonenModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Person& p = m_people.at(index.row());
    switch (role) {
    case NameRole:
    case Qt::DisplayRole:
        return p.name;
    case PhotoRole:
        return p.photo;
    default:
        return {};
    }
}

QHash<int, QByteArray> PersonenModel::roleNames() const {
    return {{NameRole, "name"}, {PhotoRole, "photo"}};
}
