#pragma once
// The products and messages of one child (childId) or staff member (userId), kept in the user
// defaults under "producten<id>" and "boodschappen<id>" as the whole ordered list, oldest first
// (a JSON array of archived records). An absent or unreadable entry reads as an empty list.
// Main thread (a save reads, changes and writes back the whole list).
#include "Boodschap.h"
#include "Product.h"

#include <QList>
#include <QStringList>

class UserDefaults;

class ProductStore {
public:
    explicit ProductStore(UserDefaults& defaults);
    // On the shared user defaults.
    ProductStore();

    static QString productenKey(const QString& id);
    static QString boodschappenKey(const QString& id);

    QList<Product> products(const QString& id) const;
    QList<Boodschap> boodschappen(const QString& id) const;

    // Appends the record to the list of its kind_id / about_id (duplicates allowed). False, with
    // nothing stored, when that id is empty.
    bool saveProduct(const Product& product);
    bool saveBoodschap(const Boodschap& boodschap);
    // Removes every stored record equal to the given one from its id's list; the number removed.
    int removeProduct(const Product& product);
    int removeBoodschap(const Boodschap& boodschap);

    // One copy per distinct, non-empty id, with kind_id / about_id set to it, each appended to that
    // id's list; the copies stored, in the order of the ids.
    QList<Product> saveProductForIds(const Product& product, const QStringList& ids);
    QList<Boodschap> saveBoodschapForIds(const Boodschap& boodschap, const QStringList& ids);

private:
    UserDefaults& m_defaults;
};
