#include "ProductadderViewController.h"

#include "Clock.h"
#include "Entities.h"
#include "ProductStore.h"
#include "Resources.h"
#include "UserDefaults.h"

#include <QPointer>
#include <iterator>

namespace {
// Stored untranslated, shown translated.
const char* const kProductnamen[] = {QT_TRANSLATE_NOOP("ProductChoiceModel", "Maaltijd"),
                                     QT_TRANSLATE_NOOP("ProductChoiceModel", "Koek"),
                                     QT_TRANSLATE_NOOP("ProductChoiceModel", "Frisdrank")};
} // namespace

QString loggedInLastName() {
    const Users* user = Users::sharedUsers();
    return user ? user->last_name() : QString();
}

ProductChoiceModel::ProductChoiceModel(QObject* parent)
    : QAbstractListModel(parent) {}

QStringList ProductChoiceModel::productnamen() {
    QStringList namen;
    for (const char* naam : kProductnamen)
        namen << QString::fromUtf8(naam);
    return namen;
}

int ProductChoiceModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(std::size(kProductnamen));
}

QVariant ProductChoiceModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const char* naam = kProductnamen[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return tr(naam);
    case ProductnaamRole:
        return QString::fromUtf8(naam);
    default:
        return {};
    }
}

QHash<int, QByteArray> ProductChoiceModel::roleNames() const {
    return {{NameRole, "name"}, {ProductnaamRole, "productnaam"}};
}

ProductadderViewController::ProductadderViewController(const QStringList& ids, ProductadderDelegate* delegate,
                                                       QObject* parent, const QString& door,
                                                       UserDefaults* defaults)
    : ScreenController(Resources::qmlUrl(QStringLiteral("children/qml/ProductadderView.qml")),
                       tr("Voeg product toe"), parent)
    , m_ids(ids)
    , m_delegate(delegate)
    , m_door(door)
    , m_defaults(defaults)
    , m_choices(new ProductChoiceModel(this)) {}

bool ProductadderViewController::chooseRow(int row) {
    const QStringList namen = ProductChoiceModel::productnamen();
    if (row < 0 || row >= namen.size())
        return false;
    Product product;
    product.productnaam = namen.at(row);
    product.tijdstip = Clock::now();
    product.door = m_door.isNull() ? loggedInLastName() : m_door;
    ProductStore store(m_defaults ? *m_defaults : UserDefaults::standard());
    const QList<Product> copies = store.saveProductForIds(product, m_ids);
    if (copies.isEmpty())
        return false;
    const QPointer<ProductadderViewController> alive(this); // the delegate closes the popover
    if (m_delegate)
        m_delegate->saveProduct(copies.first());
    if (alive)
        emit productsSaved(copies);
    return true;
}
