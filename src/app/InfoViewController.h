#pragma once
// The information page: the organisation's useful contacts from a bundled data file. Tapping an
// e-mail address opens the mail client, a website the browser; when no mail client can take the
// address, an alert says so. Main thread.
#include "ScreenController.h"

#include <QAbstractListModel>
#include <QList>
#include <QUrl>
#include <functional>

// One contact per row, in the order of the data file.
class InfoContactsModel : public QAbstractListModel {
    Q_OBJECT
public:
    struct Contact {
        QString name;
        QString logo; // file name under assets/info/
        QString phone;
        QString email;
        QString website;
    };
    enum Roles { NameRole = Qt::UserRole + 1, LogoUrlRole, PhoneRole, EmailRole, WebsiteRole };

    explicit InfoContactsModel(QObject* parent = nullptr);
    // Reads the JSON array of {name, logo, phone, email, website}; entries without a name are skipped.
    // False (and an empty model) when the file cannot be read or is not such an array.
    bool load(const QString& path);
    const QList<Contact>& contacts() const { return m_contacts; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<Contact> m_contacts;
};

class InfoViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(InfoContactsModel* contacts READ contacts CONSTANT)
public:
    using UrlOpener = std::function<bool(const QUrl&)>;
    static constexpr int kMailAlertTag = 1;

    // opener: hands a mailto:/https: URL to the platform (QDesktopServices::openUrl when empty).
    explicit InfoViewController(QObject* parent = nullptr, const QString& dataFile = defaultDataFile(),
                                UrlOpener opener = {});
    static QString defaultDataFile();

    InfoContactsModel* contacts() const { return m_contacts; }

    // Opens a mail to the row's address; when that fails, asks for the "Sorry" alert.
    Q_INVOKABLE void openEmail(int row);
    // Opens the row's website in the browser (https:// is assumed when the address has no scheme).
    Q_INVOKABLE void openWebsite(int row);

private:
    InfoContactsModel* m_contacts;
    UrlOpener m_opener;
};
