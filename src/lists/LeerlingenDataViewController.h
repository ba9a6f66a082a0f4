#pragma once
// The children of one group, next to the group list: the selection button of a row, "Selecteer Alle",
// "Deselecteer Alle" and the long press build the shared selection; the detail panel opened from here
// follows it and closes when it empties. A tap elsewhere on a row does nothing.
// Main thread. Rows are plain values named by child id; records are looked up when acted on. Owned by
// the panel stack.
#include "ScreenController.h"
#include "SearchOverzichtModel.h"

#include <QPointer>
#include <QVariantMap>
#include <functional>

class Child;
class DataAccessObject;
class ImageCache;
class ManagedObject;
class SelectieLijst;
class StackScrollViewController;

class LeerlingenDataViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(SearchOverzichtModel* model READ model CONSTANT)
    // While "Selecteer Alle" runs: a small indicator turns.
    Q_PROPERTY(bool selecting READ selecting NOTIFY selectingChanged)
public:
    // Makes the detail screen for a child (needsrefresh as asked); the stack adopts it.
    using DetailFactory = std::function<ScreenController*(ManagedObject* child, bool needsrefresh)>;

    // klas: a group row {groupName, image, groupId}; entityId: the current location. selection: the
    // shared selection; stack: where the detail panel opens (may be null); images: the picture cache.
    LeerlingenDataViewController(const QVariantMap& klas, const QString& entityId, DataAccessObject* dao,
                                 SelectieLijst* selection, StackScrollViewController* stack,
                                 ImageCache* images = nullptr, QObject* parent = nullptr);
    ~LeerlingenDataViewController() override;

    // Used when a selection gesture opens the detail panel; unset: no panel opens.
    void setDetailFactory(DetailFactory factory) { m_detailFactory = std::move(factory); }

    SearchOverzichtModel* model() const { return m_model; }
    bool selecting() const { return m_selecting; }
    QVariantMap klas() const { return m_klas; }
    // The children shown, in list order: each live child of the group once.
    QList<Child*> leerlingen() const;
    // The detail panel opened from here, until the selection empties.
    ScreenController* dataViewController() const { return m_dataViewController; }

    // The row's selection button: removes its child from the selection or adds it, opening the detail
    // panel when none is open.
    Q_INVOKABLE void doMultiSelect(int row);
    // Shows the indicator; selectAll follows on the next pass of the event loop.
    Q_INVOKABLE void selectAllWithAnimation();
    // The selection becomes exactly the group's children, in list order, announced once.
    void selectAll();
    // Empties the selection and announces it (the detail panel closes).
    Q_INVOKABLE void deselectAll();
    // A long press (now) over row; -1 when not over a row. A row acts once until another row does.
    Q_INVOKABLE void handleLongPress(int row);
    // Selects the row's child (alone when needsrefresh) and opens its detail panel.
    Q_INVOKABLE void gaNaarPersoonlijkDetailVeld(int row, bool needsrefresh);
    // Reads the group's children again, keeping the list's place ("reloadKindjesData").
    void reloadData();

signals:
    void selectingChanged();

private:
    void load(bool keepPlace);
    Child* childAt(int row) const;
    void openDetail(Child* child, bool needsrefresh);
    // "removeSelectieNotification": an empty selection closes the panels after this list.
    void selectionRemoved();
    void setSelecting(bool selecting);

    QVariantMap m_klas;
    QString m_entityId;
    DataAccessObject* m_dao;
    QPointer<SelectieLijst> m_selection;
    QPointer<StackScrollViewController> m_stack;
    SearchOverzichtModel* m_model;
    DetailFactory m_detailFactory;
    QPointer<ScreenController> m_dataViewController;
    int m_vorigeIndex = -1; // no row before the first long press
    int m_loadedGeneration = -1;
    bool m_selecting = false;
};
