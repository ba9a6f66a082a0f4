#pragma once
// The device profile sheet of the coupling: lists the organisation's profiles, one can be ticked, and
// "Bewaar" hands the ticked profile's name to the login screen. Main thread; owned by the login screen.
#include "ScreenController.h"

#include <QAbstractListModel>
#include <QStringList>

class DataAccessObject;

class DeviceSelectionViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(QAbstractListModel* deviceArray READ deviceArray CONSTANT)
    Q_PROPERTY(int selected READ selected NOTIFY selectedChanged)
public:
    static constexpr int kInvalidSelectionTag = 1;

    // Lists the stored organisation's profiles (by name, case ignored); nothing is ticked.
    explicit DeviceSelectionViewController(DataAccessObject* dao, QObject* parent = nullptr);

    QAbstractListModel* deviceArray() const { return m_model; }
    QStringList names() const { return m_names; }
    // Index of the ticked row, -1 while none is.
    int selected() const { return m_selected; }

    // Ticks the row (only one at a time).
    Q_INVOKABLE void tableViewDidSelectRow(int row);
    // "Bewaar": the ticked profile goes to deviceSelected; without a valid tick, the
    // "Geen geldig selectie" alert.
    Q_INVOKABLE void selectProfile();

signals:
    void selectedChanged();
    void deviceSelected(const QString& name);

private:
    class Model;
    QAbstractListModel* m_model; // a Model
    QStringList m_names;
    int m_selected = -1;
};
