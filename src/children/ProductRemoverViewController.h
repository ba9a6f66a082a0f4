#pragma once
// The one-row popover "Verwijder" of a product row: removes the product, and every product equal
// to it, from the lists of the ids it applies to, then tells the delegate.
// Main thread; owned by its QObject parent; the delegate is not owned.
#include "Product.h"
#include "ScreenController.h"

#include <QStringList>

class UserDefaults;

class ProductremoverDelegate {
public:
    virtual ~ProductremoverDelegate() = default;
    // The product is already removed from storage; the screen drops it (and its equals) from what
    // it shows and closes the popover.
    virtual void deleteProduct(const Product& product) = 0;
};

class ProductRemoverViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(Product product READ product CONSTANT)
public:
    // ids: the lists to remove it from; empty means the product's own kind_id.
    explicit ProductRemoverViewController(const Product& product, ProductremoverDelegate* delegate = nullptr,
                                          QObject* parent = nullptr, const QStringList& ids = {},
                                          UserDefaults* defaults = nullptr);

    Product product() const { return m_product; }
    void setDelegate(ProductremoverDelegate* delegate) { m_delegate = delegate; }

    // "Verwijder": the number of stored products removed (0 when none was stored; the delegate is
    // told all the same, so that the screen does not keep showing it).
    Q_INVOKABLE int verwijder();

signals:
    void productDeleted(const Product& product);

private:
    Product m_product;
    ProductremoverDelegate* m_delegate;
    QStringList m_ids;
    UserDefaults* m_defaults;
};
