#include "EmergencyRollModel.h"

#include <QSet>

EmergencyRollModel::EmergencyRollModel(QObject* parent)
    : QAbstractListModel(parent) {}

void EmergencyRollModel::setPeople(QList<Person> people) {
    QSet<QString> ticked;
    for (const Person& p : std::as_const(m_people))
        if (p.checked)
            ticked.insert((p.staff ? QLatin1String("s:") : QLatin1String("c:")) + p.key);
    for (Person& p : people)
        p.checked = ticked.contains((p.staff ? QLatin1String("s:") : QLatin1String("c:")) + p.key);
    const int before = count();
    const int uncheckedBefore = uncheckedCount();
    beginResetModel();
    m_people = std::move(people);
    endResetModel();
    if (count() != before)
        emit countChanged();
    if (uncheckedCount() != uncheckedBefore)
        emit uncheckedCountChanged();
}

int EmergencyRollModel::uncheckedCount() const {
    return int(std::count_if(m_people.cbegin(), m_people.cend(), [](const Person& p) { return !p.checked; }));
}

void EmergencyRollModel::setChecked(int row, bool checked) {
    if (row < 0 || row >= count() || m_people[row].checked == checked)
        return;
    m_people[row].checked = checked;
    emit dataChanged(index(row), index(row), {CheckedRole});
    emit uncheckedCountChanged();
}

int EmergencyRollModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant EmergencyRollModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Person& p = m_people.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return p.name;
    case GroupRole:
        return p.group;
    case SinceRole:
        return p.since;
    case StaffRole:
        return p.staff;
    case PhotoRole:
        return p.photo;
    case Qt::CheckStateRole:
        return p.checked ? Qt::Checked : Qt::Unchecked;
    case CheckedRole:
        return p.checked;
    default:
        return {};
    }
}

bool EmergencyRollModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    if (role == CheckedRole)
        setChecked(index.row(), value.toBool());
    else if (role == Qt::CheckStateRole)
        setChecked(index.row(), value.toInt() == Qt::Checked);
    else
        return false;
    return true;
}

Qt::ItemFlags EmergencyRollModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags base = QAbstractListModel::flags(index);
    return index.isValid() ? base | Qt::ItemIsUserCheckable : base;
}

QHash<int, QByteArray> EmergencyRollModel::roleNames() const {
    return {{NameRole, "name"},   {GroupRole, "group"}, {SinceRole, "since"},
            {StaffRole, "staff"}, {PhotoRole, "photo"}, {CheckedRole, "checked"}};
}
