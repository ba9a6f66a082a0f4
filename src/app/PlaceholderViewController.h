#pragma once
// A panel for a menu entry whose screen is not built yet: it names the screen that will come there and
// what it will do, so the menu never opens an empty panel. Main thread; owned by the panel stack.
#include "ScreenController.h"

class PlaceholderViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(QString screenName READ screenName CONSTANT)
    Q_PROPERTY(QString message READ message CONSTANT)
    Q_PROPERTY(QString description READ description CONSTANT)
    Q_PROPERTY(QUrl iconUrl READ iconUrl CONSTANT)
    Q_PROPERTY(bool offersLogout READ offersLogout CONSTANT)
public:
    // screenName: the menu text of the screen to come; description: one line on what it will do.
    PlaceholderViewController(const QString& screenName, const QString& description, const QUrl& iconUrl,
                              QObject* parent = nullptr);
    // The staff member's own page comes later; until then its panel already offers logging out.
    void setOffersLogout(bool offers) { m_offersLogout = offers; }

    QString screenName() const { return m_screenName; }
    // "Hier komt het scherm ‘<screenName>’."
    QString message() const;
    QString description() const { return m_description; }
    QUrl iconUrl() const { return m_iconUrl; }
    bool offersLogout() const { return m_offersLogout; }

    // Posts "logout", on which the shell logs the staff member out.
    Q_INVOKABLE void logout();

private:
    QString m_screenName;
    QString m_description;
    QUrl m_iconUrl;
    bool m_offersLogout = false;
};
