#pragma once
// The group picker: the location's group types as sections with their groups, and last the section
// "Geen Selectie" with the single row "Wis Selectie". A choice goes to the delegate's groupSelected
// (an empty row for "Wis Selectie"), and not at all once the delegate is gone.
// Main thread; lives as long as the popover that shows it (its QObject parent or whoever opened it).
#include <QAbstractListModel>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class DataAccessObject;

// One row per group, in section order; the section of a row is its group type.
class GroupSelectorModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Roles { SectionRole = Qt::UserRole + 1, GroupNameRole, ClearRole };
    struct Row {
        QString section;
        QString groupName;
        QVariantMap group; // empty for "Wis Selectie"
    };

    explicit GroupSelectorModel(QObject* parent = nullptr);
    void setRows(QList<Row> rows);
    const QList<Row>& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<Row> m_rows;
};

class GroupSelectorViewController : public QObject {
    Q_OBJECT
    Q_PROPERTY(GroupSelectorModel* model READ model CONSTANT)
public:
    // Reads the groups of location entityId; the choice goes to delegate's groupSelected(QVariantMap).
    GroupSelectorViewController(const DataAccessObject& dao, const QString& entityId, QObject* delegate,
                                QObject* parent = nullptr);

    // The group types followed by "Geen Selectie".
    QStringList groupTypes() const { return m_groupTypes; }
    // For each group type, at the same index, its rows {groupName, image, groupId}.
    QList<QList<QVariantMap>> groups() const { return m_groups; }
    GroupSelectorModel* model() const { return m_model; }

    // A tap on a row: its group, or nothing for "Wis Selectie".
    Q_INVOKABLE void didSelectRow(int row);

private:
    QStringList m_groupTypes;
    QList<QList<QVariantMap>> m_groups;
    GroupSelectorModel* m_model;
    QPointer<QObject> m_delegate;
};
