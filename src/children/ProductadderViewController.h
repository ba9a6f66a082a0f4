#pragma once
// The product choice: a short list "Maaltijd", "Koek", "Frisdrank". Choosing a row notes that product
// at the current moment for every id the screen applies to (each id's list gets its own copy), then
// tells the delegate. Main thread; owned by its QObject parent; the delegate is not owned.
#include "Product.h"
#include "ScreenController.h"

#include <QAbstractListModel>
#include <QStringList>

class UserDefaults;

class ProductadderDelegate {
public:
    virtual ~ProductadderDelegate() = default;
    // The product is already stored for every id; `product` is the copy of the first id, for the
    // screen to show (switch to "Extra", append, close the popover). Not to be stored again.
    virtual void saveProduct(const Product& product) = 0;
};

// The rows of the product choice, in their fixed order.
class ProductChoiceModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Roles { NameRole = Qt::UserRole + 1, ProductnaamRole };
    explicit ProductChoiceModel(QObject* parent = nullptr);
    // The stored names, untranslated.
    static QStringList productnamen();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
};

class ProductadderViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(ProductChoiceModel* choices READ choices CONSTANT)
public:
    // ids: the childIds of the selection (or one staff member's userId); door: the author's
    // last_name, or a null text for the logged-in staff member's at the moment of choosing.
    ProductadderViewController(const QStringList& ids, ProductadderDelegate* delegate = nullptr,
                               QObject* parent = nullptr, const QString& door = QString(),
                               UserDefaults* defaults = nullptr);

    ProductChoiceModel* choices() const { return m_choices; }
    QStringList ids() const { return m_ids; }
    void setDelegate(ProductadderDelegate* delegate) { m_delegate = delegate; }

    // Notes the product of that row for every id; false (nothing stored, no delegate call) for a
    // row out of range or when there is no id.
    Q_INVOKABLE bool chooseRow(int row);

signals:
    // After the delegate: the copies stored, one per id.
    void productsSaved(const QList<Product>& copies);

private:
    QStringList m_ids;
    ProductadderDelegate* m_delegate;
    QString m_door;
    UserDefaults* m_defaults;
    ProductChoiceModel* m_choices;
};

// The author of a new product or message: the logged-in staff member's last_name (empty when
// nobody is logged in).
QString loggedInLastName();
