#include "SchoolChangerViewController.h"

#include "DataAccessObject.h"
#include "MainSynchroObject.h"
#include "Resources.h"

class SchoolChangerViewController::Model : public QAbstractListModel {
public:
    enum Roles { NameRole = Qt::UserRole + 1, IdEntityRole };

    explicit Model(SchoolChangerViewController* owner)
        : QAbstractListModel(owner)
        , m_owner(owner) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(m_owner->m_schools.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
            return {};
        const School& s = m_owner->m_schools.at(index.row());
        if (role == NameRole || role == Qt::DisplayRole)
            return s.name;
        if (role == IdEntityRole)
            return s.idEntity;
        return {};
    }
    QHash<int, QByteArray> roleNames() const override {
        return {{NameRole, "name"}, {IdEntityRole, "idEntity"}};
    }

private:
    SchoolChangerViewController* m_owner;
};

SchoolChangerViewController::SchoolChangerViewController(DataAccessObject* dao, MainSynchroObject* engine,
                                                         QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("access/qml/SchoolChangerView.qml")),
                       tr("Kies een school"), parent)
    , m_model(new Model(this)) {
    if (dao)
        for (Entities* e : dao->loadSchoolsFromDataStore())
            m_schools.append({e->name(), e->idEntity()});
    if (m_schools.isEmpty() && engine)
        engine->getEntities();
}

void SchoolChangerViewController::tableViewDidSelectRow(int row) {
    if (row < 0 || row >= m_schools.size())
        return;
    emit schoolSelected(m_schools.at(row).name, m_schools.at(row).idEntity);
}
