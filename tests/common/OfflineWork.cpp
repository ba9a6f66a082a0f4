#include "OfflineWork.h"

#include "Clock.h"
#include "ReferenceServer.h"
#include "Store.h"
#include "Tablet.h"
#include "Util.h"

#include <QBuffer>
#include <QImage>
#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>

namespace OfflineWork {

QByteArray jpeg(const QColor& colour) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 100);
    return bytes;
}

Child* newChild(Tablet& t, const QByteArray& picture, const QString& firstName) {
    auto* c = t.store->context()->insertNew<Child>();
    const QString now = Util::millisText(Clock::nowMs());
    c->setChildId(now + Util::getUUID());
    c->setFirstName(firstName);
    c->setLastName(QStringLiteral("Kind"));
    c->setEntityId(t.entityId);
    c->setOrganisationId(t.dao->loadOrganisation()->organisationId());
    c->setExists(1);
    c->setPhotoId(QStringLiteral("image") + Util::getUUID() + now);
    c->setImage(c->photoId());
    c->setImageData(QString::fromLatin1(picture.toBase64()));
    c->setIpadMacId(Util::uniqueGlobalDeviceIdentifier());
    t.engine->postObject(c);
    return c;
}

UserRegistration* staffRegistration(Tablet& t, const QString& userId, const QString& type) {
    auto* r = t.store->context()->insertNew<UserRegistration>();
    const QString time = Util::millisText(Clock::nowMs());
    r->setTime(time);
    r->setIpadMacId(Util::uniqueGlobalDeviceIdentifier());
    r->setUserId(userId);
    r->setEntityId(t.entityId);
    r->setType(type);
    r->setExists(1);
    r->setUserRegistrationId(time + Util::getUUID());
    r->setOrganisationId(t.dao->loadOrganisation()->organisationId());
    t.engine->postObject(r);
    return r;
}

QByteArray pictureOnServer(const ReferenceServer& server, const QString& childId) {
    for (const QJsonValue& v :
         server.get(QStringLiteral("/_test/records?kind=child")).value("records").toArray()) {
        if (v.toObject().value(QStringLiteral("childId")).toString() != childId)
            continue;
        QNetworkAccessManager nam;
        QNetworkReply* reply = nam.get(QNetworkRequest(
            server.url().resolved(QUrl(v.toObject().value(QStringLiteral("image")).toString()))));
        QSignalSpy done(reply, &QNetworkReply::finished);
        done.wait(10000);
        reply->deleteLater();
        return reply->readAll();
    }
    return {};
}

QHash<QString, int> countsOnServer(const ReferenceServer& server, const QString& kind, const QString& idKey) {
    QHash<QString, int> counts;
    for (const QJsonValue& v :
         server.get(QStringLiteral("/_test/records?kind=") + kind).value(QStringLiteral("records")).toArray())
        ++counts[v.toObject().value(idKey).toString()];
    return counts;
}

} // namespace OfflineWork
