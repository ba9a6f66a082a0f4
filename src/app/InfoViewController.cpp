#include "InfoViewController.h"

#include "Log.h"
#include "Resources.h"

#include <QDesktopServices>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

InfoContactsModel::InfoContactsModel(QObject* parent)
    : QAbstractListModel(parent) {}

bool InfoContactsModel::load(const QString& path) {
    QList<Contact> contacts;
    QFile file(path);
    bool ok = file.open(QIODevice::ReadOnly);
    QJsonParseError error{};
    const QJsonDocument document = ok ? QJsonDocument::fromJson(file.readAll(), &error) : QJsonDocument();
    ok = ok && error.error == QJsonParseError::NoError && document.isArray();
    if (ok) {
        for (const QJsonValue& value : document.array()) {
            const QJsonObject o = value.toObject();
            Contact c{o.value(QLatin1String("name")).toString(), o.value(QLatin1String("logo")).toString(),
                      o.value(QLatin1String("phone")).toString(), o.value(QLatin1String("email")).toString(),
                      o.value(QLatin1String("website")).toString()};
            if (!c.name.isEmpty())
                contacts.append(c);
        }
    } else {
        CC_LOG(QStringLiteral("the contacts file %1 cannot be read").arg(path));
    }
    beginResetModel();
    m_contacts = contacts;
    endResetModel();
    return ok;
}

int InfoContactsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_contacts.size());
}

QVariant InfoContactsModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Contact& c = m_contacts.at(index.row());
    switch (role) {
    case NameRole:
    case Qt::DisplayRole:
        return c.name;
    case LogoUrlRole:
        return c.logo.isEmpty() ? QUrl() : Resources::assetUrl(QStringLiteral("info/") + c.logo);
    case PhoneRole:
        return c.phone;
    case EmailRole:
        return c.email;
    case WebsiteRole:
        return c.website;
    default:
        return {};
    }
}

QHash<int, QByteArray> InfoContactsModel::roleNames() const {
    return {{NameRole, "name"},
            {LogoUrlRole, "logoUrl"},
            {PhoneRole, "phone"},
            {EmailRole, "email"},
            {WebsiteRole, "website"}};
}

InfoViewController::InfoViewController(QObject* parent, const QString& dataFile, UrlOpener opener)
    : ScreenController(Resources::qmlUrl(QStringLiteral("app/qml/InfoView.qml")), tr("Info"), parent)
    , m_contacts(new InfoContactsModel(this))
    , m_opener(opener ? std::move(opener)
                      : UrlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); })) {
    m_contacts->load(dataFile);
}

QString InfoViewController::defaultDataFile() {
    return Resources::assetPath(QStringLiteral("info/contacts.json"));
}

void InfoViewController::openEmail(int row) {
    const QString address = m_contacts->contacts().value(row).email.trimmed();
    if (address.isEmpty())
        return;
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(address);
    if (!m_opener(url))
        dialogs()->alert(
            tr("Sorry"),
            tr("Sorry, dit lukt enkel als er al een emailadres is ingesteld in de mail applicatie."),
            {tr("OK")}, kMailAlertTag);
}

void InfoViewController::openWebsite(int row) {
    const QString address = m_contacts->contacts().value(row).website.trimmed();
    if (address.isEmpty())
        return;
    QUrl url = QUrl::fromUserInput(address);
    if (url.scheme() == QLatin1String("http") &&
        !address.startsWith(QLatin1String("http:"), Qt::CaseInsensitive))
        url.setScheme(QStringLiteral("https")); // fromUserInput guesses http for bare host names
    if (!m_opener(url))
        CC_LOG(QStringLiteral("the browser could not open %1").arg(url.toString()));
}
