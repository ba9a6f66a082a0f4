#pragma once
// The lists of the detail screen, as plain values copied from the records when the screen redraws, so
// a view never reaches into the store. Main thread.
#include <QAbstractListModel>
#include <QList>
#include <QUrl>

// The main table: the rows of the tab shown. Registration rows, or a tab's leading button row followed
// by its products or messages.
class DetailTableModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ rowCount NOTIFY countChanged)
public:
    enum Kind { Registratie, ProductKnop, Product, BoodschapKnoppen, Boodschap };
    Q_ENUM(Kind)
    struct Row {
        Kind kind = Registratie;
        QString day;  // "EEE dd/MM/yyyy"
        QString time; // registrations: "HH:mm", "00:00" without a time
        QString type; // registrations: "In", "Out"
        bool isIn = false;
        bool warning = false; // after the coming midnight
        QString door;         // products and messages: who recorded it
        QString title;        // product name or message subject
        QString text;         // messages: what the message says
    };
    enum Roles {
        KindRole = Qt::UserRole + 1,
        DayRole,
        TimeRole,
        TypeRole,
        IsInRole,
        WarningRole,
        DoorRole,
        TitleRole,
        TextRole
    };

    explicit DetailTableModel(QObject* parent = nullptr);
    void setRows(const QList<Row>& rows);
    const QList<Row>& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();

private:
    QList<Row> m_rows;
};

// People shown by photo and name: the selected children, the suggested relatives.
class PersonenModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ rowCount NOTIFY countChanged)
public:
    struct Person {
        QString name;
        QUrl photo;
    };
    enum Roles { NameRole = Qt::UserRole + 1, PhotoRole };

    explicit PersonenModel(QObject* parent = nullptr);
    void setPeople(const QList<Person>& people);
    const QList<Person>& people() const { return m_people; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();

private:
    QList<Person> m_people;
};
