#include "DeviceSelectionViewController.h"

#include "DataAccessObject.h"
#include "Resources.h"

// Rows of profile names with their tick; reads the controller's state.
class DeviceSelectionViewController::Model : public QAbstractListModel {
public:
    enum Roles { NameRole = Qt::UserRole + 1, TickedRole };

    explicit Model(DeviceSelectionViewController* owner)
        : QAbstractListModel(owner)
        , m_owner(owner) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(m_owner->m_names.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
            return {};
        if (role == NameRole || role == Qt::DisplayRole)
            return m_owner->m_names.at(index.row());
        if (role == TickedRole)
            return index.row() == m_owner->m_selected;
        return {};
    }
    QHash<int, QByteArray> roleNames() const override { return {{NameRole, "name"}, {TickedRole, "ticked"}}; }
    void tickChanged(int row) {
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row), index(row), {TickedRole});
    }

private:
    DeviceSelectionViewController* m_owner;
};

DeviceSelectionViewController::DeviceSelectionViewController(DataAccessObject* dao, QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("access/qml/DeviceSelectionView.qml")),
                       tr("Selecteer een profiel"), parent)
    , m_model(new Model(this)) {
    if (dao)
        for (Device* device : dao->loadAllDevices())
            m_names << device->name();
}

void DeviceSelectionViewController::tableViewDidSelectRow(int row) {
    if (row < 0 || row >= m_names.size() || row == m_selected)
        return;
    const int previous = m_selected;
    m_selected = row;
    static_cast<Model*>(m_model)->tickChanged(previous);
    static_cast<Model*>(m_model)->tickChanged(row);
    emit selectedChanged();
}

void DeviceSelectionViewController::selectProfile() {
    if (m_selected < 0 || m_selected >= m_names.size()) {
        dialogs()->alert(tr("Geen geldig selectie"),
                         tr("Gelieve een profiel te kiezen voor je op bewaren klikt"), {tr("Ok")},
                         kInvalidSelectionTag);
        return;
    }
    emit deviceSelected(m_names.at(m_selected));
}
