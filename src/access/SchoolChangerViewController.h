#pragma once
// The location list of the login screen: the active locations by name; choosing one hands its name and
// id to the login screen. When none is stored yet the locations are asked for (the list itself stays as
// it was). Main thread; owned by the login screen.
#include "ScreenController.h"

#include <QAbstractListModel>

class DataAccessObject;
class MainSynchroObject;

class SchoolChangerViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(QAbstractListModel* schools READ schools CONSTANT)
    Q_PROPERTY(int count READ count CONSTANT)
public:
    struct School {
        QString name;
        QString idEntity;
    };

    // engine may be null (nothing is asked for then).
    SchoolChangerViewController(DataAccessObject* dao, MainSynchroObject* engine, QObject* parent = nullptr);

    QAbstractListModel* schools() const { return m_model; }
    int count() const { return int(m_schools.size()); }
    const QList<School>& schoolList() const { return m_schools; }

    // Choosing a row: schoolSelected with the location's name and id.
    Q_INVOKABLE void tableViewDidSelectRow(int row);

signals:
    void schoolSelected(const QString& name, const QString& idEntity);

private:
    class Model;
    QAbstractListModel* m_model; // a Model
    QList<School> m_schools;
};
