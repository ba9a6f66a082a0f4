#include "ProductRemoverViewController.h"

#include "ProductStore.h"
#include "Resources.h"
#include "UserDefaults.h"

#include <QPointer>

ProductRemoverViewController::ProductRemoverViewController(const Product& product,
                                                           ProductremoverDelegate* delegate, QObject* parent,
                                                           const QStringList& ids, UserDefaults* defaults)
    : ScreenController(Resources::qmlUrl(QStringLiteral("children/qml/ProductRemoverView.qml")), QString(),
                       parent)
    , m_product(product)
    , m_delegate(delegate)
    , m_ids(ids.isEmpty() ? QStringList{product.kind_id} : ids)
    , m_defaults(defaults) {}

int ProductRemoverViewController::verwijder() {
    ProductStore store(m_defaults ? *m_defaults : UserDefaults::standard());
    int removed = 0;
    for (const QString& id : std::as_const(m_ids)) {
        Product stored = m_product;
        stored.kind_id = id;
        removed += store.removeProduct(stored);
    }
    const QPointer<ProductRemoverViewController> alive(this); // the delegate closes the popover
    if (m_delegate)
        m_delegate->deleteProduct(m_product);
    if (alive)
        emit productDeleted(m_product);
    return removed;
}
