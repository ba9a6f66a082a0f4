#include "ProductStore.h"

#include "Log.h"
#include "UserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

template <class Record> QList<Record> readList(const UserDefaults& defaults, const QString& key) {
    const QVariant stored = defaults.objectForKey(key);
    if (!stored.isValid())
        return {};
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(stored.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        CC_LOG(QStringLiteral("%1 cannot be read and counts as empty").arg(key));
        return {};
    }
    QList<Record> records;
    const QJsonArray array = document.array();
    for (const QJsonValue& value : array) {
        if (const std::optional<Record> record = Record::fromArchive(value))
            records.append(*record);
        else
            CC_LOG(QStringLiteral("%1 holds an entry that is no record; it is skipped").arg(key));
    }
    return records;
}

template <class Record>
void writeList(UserDefaults& defaults, const QString& key, const QList<Record>& records) {
    QJsonArray array;
    for (const Record& record : records)
        array.append(record.toArchive());
    defaults.setString(key, QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)));
}

template <class Record>
bool append(UserDefaults& defaults, const QString& id, const QString& key, const Record& record) {
    if (id.isEmpty()) {
        CC_LOG(QStringLiteral("a record without an id is not stored"));
        return false;
    }
    QList<Record> records = readList<Record>(defaults, key);
    records.append(record);
    writeList(defaults, key, records);
    return true;
}

template <class Record> int remove(UserDefaults& defaults, const QString& key, const Record& record) {
    QList<Record> records = readList<Record>(defaults, key);
    const int removed = int(records.removeAll(record));
    if (removed > 0) // an unreadable entry stays as it is
        writeList(defaults, key, records);
    return removed;
}

// The lists are kept nowhere else: each change goes to the disk before the screen moves on. A write the
// disk refuses stays pending in the defaults and is tried again.
void persist(UserDefaults& defaults) {
    if (!defaults.synchronize())
        CC_LOG(QStringLiteral("products and messages are not on the disk yet; tried again later"));
}

QStringList distinctIds(const QStringList& ids) {
    QStringList out;
    for (const QString& id : ids)
        if (!id.isEmpty() && !out.contains(id))
            out << id;
    return out;
}

} // namespace

ProductStore::ProductStore(UserDefaults& defaults)
    : m_defaults(defaults) {}

ProductStore::ProductStore()
    : m_defaults(UserDefaults::standard()) {}

QString ProductStore::productenKey(const QString& id) {
    return QStringLiteral("producten") + id;
}

QString ProductStore::boodschappenKey(const QString& id) {
    return QStringLiteral("boodschappen") + id;
}

QList<Product> ProductStore::products(const QString& id) const {
    return readList<Product>(m_defaults, productenKey(id));
}

QList<Boodschap> ProductStore::boodschappen(const QString& id) const {
    return readList<Boodschap>(m_defaults, boodschappenKey(id));
}

bool ProductStore::saveProduct(const Product& product) {
    if (!append(m_defaults, product.kind_id, productenKey(product.kind_id), product))
        return false;
    persist(m_defaults);
    return true;
}

bool ProductStore::saveBoodschap(const Boodschap& boodschap) {
    if (!append(m_defaults, boodschap.about_id, boodschappenKey(boodschap.about_id), boodschap))
        return false;
    persist(m_defaults);
    return true;
}

int ProductStore::removeProduct(const Product& product) {
    const int removed = remove(m_defaults, productenKey(product.kind_id), product);
    if (removed > 0)
        persist(m_defaults);
    return removed;
}

int ProductStore::removeBoodschap(const Boodschap& boodschap) {
    const int removed = remove(m_defaults, boodschappenKey(boodschap.about_id), boodschap);
    if (removed > 0)
        persist(m_defaults);
    return removed;
}

QList<Product> ProductStore::saveProductForIds(const Product& product, const QStringList& ids) {
    QList<Product> copies;
    for (const QString& id : distinctIds(ids)) {
        Product copy = product;
        copy.kind_id = id;
        if (append(m_defaults, id, productenKey(id), copy))
            copies << copy;
    }
    if (!copies.isEmpty())
        persist(m_defaults); // once for the whole group
    return copies;
}

QList<Boodschap> ProductStore::saveBoodschapForIds(const Boodschap& boodschap, const QStringList& ids) {
    QList<Boodschap> copies;
    for (const QString& id : distinctIds(ids)) {
        Boodschap copy = boodschap;
        copy.about_id = id;
        if (append(m_defaults, id, boodschappenKey(id), copy))
            copies << copy;
    }
    if (!copies.isEmpty())
        persist(m_defaults); // once for the whole group
    return copies;
}
