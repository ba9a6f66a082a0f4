// The staff member's own page: what it shows, the new own photo, the recomputation, and the two wipes
// with their confirmations. The database wipe runs against the reference server, through the shell's
// logout, so what reached the server afterwards is checked too.
#include "Clock.h"
#include "ImageCache.h"
#include "MenuViewController.h"
#include "ProfilePageViewController.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "SelectieLijst.h"
#include "StackScrollViewAppDelegate.h"
#include "Tablet.h"
#include "TestStore.h"
#include "UserDefaults.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Alert {
    QString title;
    QString message;
    QStringList buttons;
    int tag = -1;
};

Alert lastAlert(const QSignalSpy& spy) {
    if (spy.isEmpty())
        return {};
    const QList<QVariant> a = spy.last();
    return {a[0].toString(), a[1].toString(), a[2].toStringList(), a[3].toInt()};
}

const QString kRefusal = QStringLiteral("Deze functionaliteit is enkel toegangkelijk als alle uitgaande "
                                        "wijzigingen gesynchroniseerd zijn met de centrale databank!");
const QStringList kConfirmButtons{QStringLiteral("Annuleer"), QStringLiteral("Verwijder")};

RootViewController::LoginFactory plainLogin() {
    return [](RootViewController*) { return new ScreenController(QUrl(), QStringLiteral("Aanmelden")); };
}

void addQueueRecord(Context* context, const QString& id, qint64 status, qint64 lastTryMs) {
    auto* r = context->insertNew<SynchroObject>();
    r->setIdSynchroObject(id);
    r->setEntryDate(Util::millisText(lastTryMs ? lastTryMs : Clock::nowMs()));
    r->setStatus(status);
    r->setHttpType(QStringLiteral("POST"));
    r->setObjectType(QStringLiteral("Registration"));
    r->setObjectId(id + QStringLiteral("-object"));
    if (lastTryMs)
        r->setLastTryDate(Util::millisText(lastTryMs));
}
} // namespace

class TestProfilePage : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ReferenceServer> m_server;
    std::unique_ptr<StackScrollViewAppDelegate> m_delegate; // the two selection lists

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Belgium));
        m_server = std::make_unique<ReferenceServer>();
        QVERIFY(m_server->isRunning());
    }

    void init() {
        Tablet::useFreshSettings(m_dir);
        QVERIFY(m_server->clearFaults());
        Clock::reset();
        m_delegate = std::make_unique<StackScrollViewAppDelegate>();
    }

    void cleanup() {
        Users::setSharedUsers(nullptr);
        m_delegate.reset();
    }

    void showsWhoIsLoggedInOnWhichTablet_data() {
        QTest::addColumn<QString>("entityId");
        QTest::addColumn<QString>("organisationId");
        QTest::addColumn<QString>("school");
        QTest::addColumn<QString>("organisation");
        QTest::newRow("known location") << "E1"
                                        << "O7"
                                        << "De Speelvogel"
                                        << "Demo Opvang (id: O7)";
        QTest::newRow("location gone, organisation without id") << "E9"
                                                                << ""
                                                                << "School not found..."
                                                                << "";
    }
    void showsWhoIsLoggedInOnWhichTablet() {
        QFETCH(QString, entityId);
        QFETCH(QString, organisationId);
        TemporaryStore s;
        s.organisation(organisationId)->setOrganisationName("Demo Opvang");
        s.location("E1", "De Speelvogel");
        Users* els = s.staff("UE1", "U1", "Els", "Janssens", entityId);
        QVERIFY2(s.save().isEmpty(), qPrintable(s.save()));
        Users::setSharedUsers(els);
        UserDefaults::standard().setString("cc_ipadNaam", "Tablet Onthaal");

        ProfilePageViewController page(&s.dao(), nullptr, nullptr);
        QCOMPARE(page.versionLabel(), QString("3.2.0"));
        QCOMPARE(page.naamLabel(), "Els Janssens (id: " + entityId + ")");
        QTEST(page.schoolLabel(), "school");
        QTEST(page.organisatieLabel(), "organisation");
        QCOMPARE(page.profielLabel(), QString("Tablet Onthaal"));
        QCOMPARE(page.title(), QString("Medewerker"));
    }

    // Any change without an answer blocks the wipe, however recently it was sent.
    void wipeIsRefusedWhileAChangeIsUnanswered_data() {
        QTest::addColumn<qint64>("status");
        QTest::addColumn<qint64>("sentSecondsAgo"); // 0: never sent
        QTest::newRow("queued, never sent") << qint64(0) << qint64(0);
        QTest::newRow("sent a moment ago") << qint64(1) << qint64(5);
        QTest::newRow("sent long ago") << qint64(1) << qint64(3600);
        QTest::newRow("failed") << qint64(2) << qint64(60);
        QTest::newRow("failed a year ago") << qint64(2) << qint64(365 * 86400);
    }
    void wipeIsRefusedWhileAChangeIsUnanswered() {
        QFETCH(qint64, status);
        QFETCH(qint64, sentSecondsAgo);
        TemporaryStore s;
        s.organisation("O7");
        s.child("C1", "Lotte", "Peeters");
        addQueueRecord(s.context(), "answered", 3, Clock::nowMs() - 60000);
        addQueueRecord(s.context(), "open", status,
                       sentSecondsAgo ? Clock::nowMs() - sentSecondsAgo * 1000 : 0);
        QVERIFY(s.save().isEmpty());
        UserDefaults::standard().setString("geselecteerdeschoolId", "E1");

        ProfilePageViewController page(&s.dao(), nullptr, nullptr);
        QSignalSpy alerts(page.dialogs(), &DialogRequests::showAlert);
        QVERIFY(!page.mayDeleteDB());
        page.deleteDB();
        QCOMPARE(alerts.count(), 1);
        const Alert refused = lastAlert(alerts);
        QCOMPARE(refused.title, QString("Sorry"));
        QCOMPARE(refused.message, kRefusal);
        QCOMPARE(refused.buttons, QStringList{"OK"});
        page.dialogs()->answer(refused.tag, 0);
        // A confirmation that arrives while a change is open is refused just the same.
        page.dialogs()->answer(ProfilePageViewController::kDeleteDBTag, 1);
        QCOMPARE(lastAlert(alerts).title, QString("Sorry"));
        QVERIFY(s.dao().loadChild("C1"));
        QCOMPARE(s.dao().loadAllSynchroObjects().size(), 2);
        QCOMPARE(UserDefaults::standard().stringForKey("geselecteerdeschoolId"), QString("E1"));
    }

    void annuleerLeavesEverythingAndVerwijderEmptiesThePictures() {
        TemporaryStore s;
        s.organisation("O7");
        s.child("C1", "Lotte", "Peeters");
        addQueueRecord(s.context(), "answered", 3, Clock::nowMs() - 60000);
        QVERIFY(s.save().isEmpty());
        UserDefaults::standard().setString("geselecteerdeschoolId", "E1");
        ImageCache cache(s.folder() + "/pictures");
        cache.storeImage("http://server/images/child.jpg", "child picture");
        cache.storeImage("imageABC1733580000000", "own photo");

        ProfilePageViewController page(&s.dao(), nullptr, &cache);
        QSignalSpy alerts(page.dialogs(), &DialogRequests::showAlert);
        QVERIFY(page.mayDeleteDB());
        page.deleteDB();
        Alert confirm = lastAlert(alerts);
        QCOMPARE(confirm.title, QString("Opgepast"));
        QCOMPARE(
            confirm.message,
            QString("Dit zal alle gegevens uit de lokale databank van de ipad wissen. De ipad zal pas "
                    "terug actief kunnen worden na dat de gegevens opnieuw van de server zijn gedownload."));
        QCOMPARE(confirm.buttons, kConfirmButtons);
        page.dialogs()->answer(confirm.tag, 0);

        page.deleteImages();
        confirm = lastAlert(alerts);
        QCOMPARE(confirm.title, QString("Opgepast"));
        QVERIFY(confirm.message.startsWith("Deze functionaliteit verwijdert alle fotos van de kindjes"));
        QCOMPARE(confirm.buttons, kConfirmButtons);
        page.dialogs()->answer(confirm.tag, 0);

        QVERIFY(s.dao().loadChild("C1"));
        QCOMPARE(UserDefaults::standard().stringForKey("geselecteerdeschoolId"), QString("E1"));
        QCOMPARE(cache.imageData("imageABC1733580000000"), QByteArray("own photo"));
        QVERIFY(cache.contains("http://server/images/child.jpg"));

        // "Verwijder": every picture goes, from memory and from disk.
        page.deleteImages();
        page.dialogs()->answer(lastAlert(alerts).tag, 1);
        QVERIFY(!cache.contains("imageABC1733580000000"));
        QVERIFY(cache.imageData("imageABC1733580000000").isEmpty());
        QVERIFY(!cache.contains("http://server/images/child.jpg"));
        QVERIFY(QDir(cache.folder()).entryList(QDir::Files).isEmpty());
        QVERIFY(s.dao().loadChild("C1"));
    }

    void aNewOwnPhotoIsShownCachedAndQueued() {
        Tablet t(m_server->url());
        t.reachability->setReachable(false);
        auto* org = t.dao->context()->insertNew<Organisation>();
        org->setOrganisationId("O7");
        auto* me = t.dao->context()->insertNew<Users>();
        me->setUserId("U1");
        me->setUserEntityId("UE1");
        me->setFirst_name("Els");
        me->setLast_name("Janssens");
        me->setEntityId("E1");
        me->setImage("http://127.0.0.1:1/images/els.jpg");
        t.dao->context()->save();
        Users::setSharedUsers(me);
        QTemporaryDir pictures;
        ImageCache cache(pictures.path());
        t.engine->setImageCache(&cache);

        ProfilePageViewController page(t.dao.get(), t.engine.get(), &cache);
        page.changeAvatar();
        QVERIFY(page.mediaPicker());
        page.closeMediaPopOver();
        QVERIFY(!page.mediaPicker());

        const QByteArray jpeg("\xff\xd8\xff\xe0 own photo", 15);
        page.userDidEnterInfo(QByteArray()); // nothing picked
        QCOMPARE(me->image(), QString("http://127.0.0.1:1/images/els.jpg"));
        QSignalSpy photo(&page, &ProfilePageViewController::photoChanged);
        page.userDidEnterInfo(jpeg);
        QCOMPARE(photo.count(), 1);
        QVERIFY(me->image().startsWith("image"));
        QCOMPARE(cache.imageData(me->image()), jpeg);
        QCOMPARE(page.photo(), QUrl::fromLocalFile(cache.fileFor(me->image())));
        const QList<SynchroObject*> queue = t.queue();
        QCOMPARE(queue.size(), 1);
        QCOMPARE(queue[0]->objectType(), QString("ObjectImageUpload"));
        QCOMPARE(queue[0]->httpType(), QString("POST"));
        const ObjectImageUpload* upload = t.dao->loadObjectImageUpload(queue[0]->objectId());
        QVERIFY(upload);
        QCOMPARE(upload->type(), QString("User"));
        QCOMPARE(upload->typeId(), QString("U1"));
        QCOMPARE(upload->lastName(), QString("Els"));
        QCOMPARE(QByteArray::fromBase64(upload->image().toLatin1()), jpeg);
    }

    void recomputationRunsBehindTheOverlay() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        Child* child = t.dao->loadChildrenforEntity(t.entityId).first();
        const QString childId = child->childId();
        const QString before = child->ingeschrevenStatus();
        child->setIngeschrevenStatus(before == "In" ? "Out" : "In"); // a status no registration explains
        t.dao->context()->save();

        ProfilePageViewController page(t.dao.get(), t.engine.get(), nullptr);
        QSignalSpy shown(t.engine.get(), &MainSynchroObject::overlayRequested);
        QSignalSpy hidden(t.engine.get(), &MainSynchroObject::overlayHidden);
        page.herberekenStatussen();
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown[0][0].toString(), QString("Aanwezigheidsstatus berekenen"));
        QVERIFY(t.engine->waitForIdle(60000));
        QCOMPARE(hidden.count(), 1);
        // What the recomputation stored, read by a context of its own (a reset of this one would leave
        // the logged-in member's record dangling).
        const std::unique_ptr<Context> reader = t.store->newContext();
        QCOMPARE(reader->find<Child>(childId)->ingeschrevenStatus(), before);
    }

    // A refresh still on its way when the store goes must not land in the new one: its answer would set
    // the refresh token, and the next check would no longer ask for everything.
    void aRefreshUnderWayIsDroppedByTheWipe() {
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        QVERIFY(t.dao->loadSynchroInProgressSynchroObjects().isEmpty());
        QVERIFY(m_server->setFaults({{"delay", 1.0}, {"delayMs", 1500}, {"paths", QJsonArray{"/child"}}}));
        t.engine->getChildrenForEntity(t.entityId);
        QCOMPARE(t.engine->aantalGets(), QString("1"));

        ProfilePageViewController page(t.dao.get(), t.engine.get(), nullptr);
        page.deleteDB();
        page.dialogs()->answer(ProfilePageViewController::kDeleteDBTag, 1);
        QTest::qWait(2500); // past the held-back answer
        QVERIFY(t.engine->waitForIdle(60000));
        QVERIFY(m_server->clearFaults());
        QCOMPARE(t.engine->aantalGets(), QString("0"));
        QVERIFY(t.dao->loadChildrenforEntity(t.entityId).isEmpty());
        QCOMPARE(t.dao->context()->count(FetchRequest::of<GetSynchroObject>()), 0);
    }

    // The wipe through the real shell: the organisation stays, the rest goes, the staff member's
    // clock-out still reaches the server, and the next download brings everything back.
    void wipeKeepsTheOrganisationAndStillClocksOut() {
        const qint64 start = Clock::nowMs();
        Tablet t(m_server->url());
        QVERIFY(t.couple(false));
        UserDefaults& defaults = UserDefaults::standard();
        defaults.setString("geselecteerdeschoolId", t.entityId);
        defaults.setString("geselecteerdeschoolNaam", "De Speelvogel");
        Organisation* org = t.dao->loadOrganisation();
        org->setTimeSwitch("15:30");
        org->setTimeSwitchInterval("4");
        t.dao->context()->save();
        const QString orgId = org->organisationId(), orgName = org->organisationName(), logo = org->image();
        QVERIFY(!orgName.isEmpty() && !logo.isEmpty());
        const qsizetype children = t.dao->loadChildrenforEntity(t.entityId).size();
        const QString userId = Users::sharedUsers()->userId();

        RootViewController root(t.engine.get(), t.dao.get(), nullptr, plainLogin());
        root.doLoginForUser(Users::sharedUsers());
        QVERIFY(t.engine->waitForIdle(60000)); // the clock-in answered: nothing blocks the wipe
        root.menuViewController()->tableViewDidSelectRowAtIndexPath(MenuViewController::Medewerker);
        QPointer<ProfilePageViewController> page =
            qobject_cast<ProfilePageViewController*>(root.stackScrollViewController()->screenAt(0));
        QVERIFY(page);
        StackScrollViewAppDelegate::geselecteerdenLijst()->addObject(
            t.dao->loadChildrenforEntity(t.entityId)[0]);
        StackScrollViewAppDelegate::userGeselecteerdenLijst()->addObject(Users::sharedUsers());

        QSignalSpy alerts(page->dialogs(), &DialogRequests::showAlert);
        page->deleteDB();
        QCOMPARE(lastAlert(alerts).title, QString("Opgepast"));
        page->dialogs()->answer(lastAlert(alerts).tag, 1);

        // Logged out, nothing left pointing into the old store.
        QVERIFY(!root.isLoggedIn());
        QVERIFY(!Users::sharedUsers());
        QCOMPARE(StackScrollViewAppDelegate::geselecteerdenLijst()->count(), 0);
        QCOMPARE(StackScrollViewAppDelegate::userGeselecteerdenLijst()->count(), 0);
        // The organisation kept, the location to be chosen again, the tablet still coupled.
        const Organisation* kept = t.dao->loadOrganisation();
        QVERIFY(kept);
        QCOMPARE(kept->organisationId(), orgId);
        QCOMPARE(kept->organisationName(), orgName);
        QCOMPARE(kept->image(), logo);
        QCOMPARE(kept->timeSwitch(), QString("15:30"));
        QCOMPARE(kept->timeSwitchInterval(), QString("4"));
        QCOMPARE(kept->exists(), 1);
        QVERIFY(!defaults.contains("geselecteerdeschoolId"));
        QVERIFY(!defaults.contains("geselecteerdeschoolNaam"));
        QVERIFY(!defaults.stringForKey("cc_ipadNaam").isEmpty());
        QVERIFY(!defaults.stringForKey("cc_coupleHash").isEmpty());
        // Everything else gone: the only record is the clock-out, queued in the new store.
        QVERIFY(t.dao->loadChildrenforEntity(t.entityId).isEmpty());
        QVERIFY(t.dao->loadUsers().isEmpty());
        QCOMPARE(t.dao->context()->count(FetchRequest::of<GetSynchroObject>()), 0);
        const QList<SynchroObject*> queue = t.queue();
        QCOMPARE(queue.size(), 1);
        QCOMPARE(queue[0]->objectType(), QString("UserRegistration"));
        const UserRegistration* out = t.dao->loadUserRegistration(queue[0]->objectId());
        QCOMPARE(out->type(), QString("Out"));
        QCOMPARE(out->userId(), userId);
        QCOMPARE(out->entityId(), t.entityId);
        QCOMPARE(out->organisationId(), orgId);

        // The server received the clock-out.
        QVERIFY(t.engine->waitForIdle(60000));
        QCOMPARE(t.queue()[0]->status(), 3);
        QStringList types;
        for (const QJsonValue& v :
             m_server->get("/_test/records?kind=userTimeEntry").value("records").toArray())
            if (v["userId"].toString() == userId && v["time"].toVariant().toLongLong() >= start)
                types << v["type"].toString();
        types.sort();
        QCOMPARE(types, (QStringList{"In", "Out"}));

        // The next download starts from scratch and brings every child back.
        QVERIFY(t.couple(false));
        QCOMPARE(t.dao->loadChildrenforEntity(t.entityId).size(), children);
        QTRY_VERIFY(!page); // the panel went with the main view
    }
};

QTEST_MAIN(TestProfilePage)
#include "tst_profilepage.moc"
