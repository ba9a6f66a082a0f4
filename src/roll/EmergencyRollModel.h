#pragma once
// The people on the emergency roll, one row each, with the tick given at the gathering point.
// Main thread; owned by its screen controller.
#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QUrl>

class EmergencyRollModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(int uncheckedCount READ uncheckedCount NOTIFY uncheckedCountChanged)
public:
    struct Person {
        QString key;   // childId or userId
        QString name;  // "first last", as called out at the gathering point
        QString group; // the group line; the staff's own label for staff
        QString since; // "HH:mm" of the clock-in
        bool staff = false;
        QUrl photo; // a cached picture, or empty for the placeholder
        bool checked = false;
    };
    enum Roles {
        NameRole = Qt::UserRole + 1,
        GroupRole,
        SinceRole,
        StaffRole,
        PhotoRole,
        CheckedRole,
    };

    explicit EmergencyRollModel(QObject* parent = nullptr);

    // Replaces the rows; ticks of people still listed (same key and kind) are kept.
    void setPeople(QList<Person> people);
    const QList<Person>& people() const { return m_people; }
    int count() const { return int(m_people.size()); }
    int uncheckedCount() const;
    // Ticks or unticks a row; out-of-range rows do nothing.
    void setChecked(int row, bool checked);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();
    void uncheckedCountChanged();

private:
    QList<Person> m_people;
};
