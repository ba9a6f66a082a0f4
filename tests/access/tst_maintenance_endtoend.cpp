// The queue screen and the own page of the real app, offscreen, against the reference server with its
// demo data, driven by taps only: an administrator looks at the queue, sends one record and then all of
// them again, recomputes the statuses, picks a new own photo, wipes the pictures, is refused the database
// wipe while the photo's upload failed, and wipes it once the upload is through; afterwards the tablet
// asks for its location, and the clock-out is on the server. Screenshots go to
// <build>/screenshots/maintenance-<n>-<state>.png; no QML warning may appear on the way.
#include "AppSession.h"
#include "Clock.h"
#include "DataAccessObject.h"
#include "ImageCache.h"
#include "MainSynchroObject.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "StackScrollViewAppDelegate.h"
#include "UserDefaults.h"
#include "WindowDriver.h"

#include <QDir>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace WindowDriver;

class TestMaintenanceEndToEnd : public QObject {
    Q_OBJECT

    std::unique_ptr<AppSession> m_session;
    QQuickWindow* m_window = nullptr;

    StackScrollViewAppDelegate* app() const { return m_session->app(); }
    QQuickItem* item(const QString& name) const { return m_session->item(name); }
    QQuickItem* text(const QString& shown) const { return m_session->text(shown); }
    bool tapItem(const QString& name) const { return m_session->tapItem(name); }
    void shoot(const QString& name) { QVERIFY(m_session->shoot(name)); }

    // The queue rows in view, top to bottom.
    QList<QQuickItem*> queueRows() const {
        QList<QQuickItem*> rows;
        QQuickItem* list = item("adminList");
        for (int i = 0; list && i < list->property("count").toInt(); ++i) {
            QQuickItem* row = nullptr;
            QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, row), Q_ARG(int, i));
            if (row && row->isVisible())
                rows << row;
        }
        return rows;
    }
    QString label(QQuickItem* row, const QString& name) const {
        QQuickItem* t = row ? findItem(row, name, false) : nullptr;
        return t ? t->property("text").toString() : QString("?");
    }
    // The staff member's registrations on the server since the test began, as "type".
    QStringList staffRegistrationsOnServer(const QString& userId, qint64 since) const {
        QStringList types;
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=userTimeEntry").value("records").toArray())
            if (v["userId"].toString() == userId && v["time"].toVariant().toLongLong() >= since)
                types << v["type"].toString();
        types.sort();
        return types;
    }

private slots:
    void initTestCase() {
        // The app's clock runs from 10:00 today: times picked hours earlier or later stay on today.
        m_session = std::make_unique<AppSession>(QTime(10, 0));
        // A device set to German: the app has no German texts, so its dates speak Dutch as its words do.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void cleanupTestCase() {
        const QStringList warnings = m_session->finish();
        m_session.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void anAdministratorLooksAfterTheTablet() {
        const qint64 start = Clock::nowMs();
        QVERIFY2(m_session->coupleAndLogIn("Els Janssens", "geheim"), qPrintable(m_session->error()));
        m_window = m_session->window();
        RootViewController* root = app()->rootViewController();
        MainSynchroObject* engine = app()->engine();
        const QString userId = Users::sharedUsers()->userId();
        QSignalSpy overlays(engine, &MainSynchroObject::overlayRequested);

        // 1. "Admin": the header and the login's clock-in, answered.
        QVERIFY(tapItem("menuEntry6"));
        QTRY_VERIFY(item("adminList") && !queueRows().isEmpty());
        for (const char* title :
             {"ID", "entryDate", "objectType", "httpType", "Pogingen", "Laatste poging", "status"})
            QVERIFY2(text(title), title);
        QQuickItem* first = queueRows().first();
        QCOMPARE(label(first, "objectTypeLabel"), QString("UserRegistration"));
        QCOMPARE(label(first, "statusLabel"), QString("Succes"));
        QCOMPARE(label(first, "nrOfTriesLabel"), QString("1"));
        const QRegularExpression dutchDay("^(ma|di|wo|do|vr|za|zo) \\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d$");
        QVERIFY2(dutchDay.match(label(first, "entryDateLabel")).hasMatch(),
                 qPrintable(label(first, "entryDateLabel")));
        shoot("maintenance-1-queue");

        // 2. Its retry button: the cloud, and the record sent once more.
        QVERIFY(tap(m_window, findItem(first, "retryButton")));
        QTRY_VERIFY(findItem(first, "retryButton")->property("retried").toBool());
        QTRY_VERIFY(text("Opnieuw verstuurd: UserRegistration " + label(first, "httpTypeLabel")));
        QCOMPARE(label(first, "statusLabel"), QString("Succes")); // the row is not refreshed
        QVERIFY(engine->waitForIdle(60000));
        QCOMPARE(app()->dataAccessObject()->loadAllSynchroObjects().first()->nrOfTries(), 2);
        shoot("maintenance-2-retried");

        // 3. The header's button: everything sent again behind the overlay, then how many.
        const qsizetype records = app()->dataAccessObject()->loadAllSynchroObjects().size();
        QVERIFY(records >= 1);
        QTRY_VERIFY(!item("toastText")); // the single resend's confirmation has gone
        QVERIFY(tapItem("retryAllButton"));
        QTRY_VERIFY(text("Volledige resync."));
        QCOMPARE(overlays.last().first().toString(), QString("Volledige resync."));
        QTRY_VERIFY_WITH_TIMEOUT(!text("Volledige resync."), 20000);
        QTRY_VERIFY(text(records == 1 ? QString("1 wijziging opnieuw verstuurd")
                                      : QString("%1 wijzigingen opnieuw verstuurd").arg(records)));
        shoot("maintenance-2b-resent-all");
        QVERIFY(engine->waitForIdle(60000));
        for (SynchroObject* r : app()->dataAccessObject()->loadAllSynchroObjects())
            QCOMPARE(r->nrOfTries(), 1);

        // 4. "Medewerker": the own page.
        QVERIFY(tapItem("menuEntry5"));
        QTRY_VERIFY(item("naamLabel") && item("logoutButton"));
        QVERIFY(text("Versie 3.2.0"));
        QVERIFY(text("De Speelvogel"));
        QVERIFY(text("Tablet Onthaal"));
        QVERIFY(item("organisatieLabel")->property("text").toString().startsWith("Demo Opvang (id: "));
        shoot("maintenance-3-own-page");

        // 5. The statuses recomputed behind their overlay.
        const int before = int(overlays.count());
        QVERIFY(tapItem("recomputeStatusButton"));
        QTRY_COMPARE(int(overlays.count()), before + 1);
        QCOMPARE(overlays.last().first().toString(), QString("Aanwezigheidsstatus berekenen"));
        QTRY_VERIFY_WITH_TIMEOUT(!text("Aanwezigheidsstatus berekenen"), 20000);
        const qsizetype children =
            app()->dataAccessObject()->loadChildrenforEntity(Users::sharedUsers()->entityId()).size();
        QVERIFY(children > 1);
        QTRY_VERIFY(text(QString("Aanwezigheden herberekend voor %1 kinderen").arg(children)));
        shoot("maintenance-3b-recomputed");

        // 6. A new own photo while the server refuses uploads: shown at once, its upload "Mislukt".
        QVERIFY(m_session->server()->setFaults(
            {{"http500", 1.0}, {"paths", QJsonArray{"/image"}}, {"methods", QJsonArray{"POST"}}}));
        // No pictures folder yet: the grid says so, and "Annuleer" goes back.
        QVERIFY(tapItem("imageView"));
        QTRY_VERIFY(item("mediaPickerView") && text("Foto gallerij"));
        QVERIFY(m_session->tapText("Foto gallerij"));
        const QString folder = m_session->picturesFolder();
        QTRY_VERIFY(text(QString("De fotomap (%1) bestaat niet.").arg(folder)));
        shoot("maintenance-4a-no-pictures");
        QVERIFY(tapItem("photoGridCancel"));
        QTRY_VERIFY(!item("photoGrid") && text("Foto gallerij"));
        QVERIFY(QDir().mkpath(folder));
        QImage picture(800, 800, QImage::Format_RGB32);
        picture.fill(QColor(40, 120, 200));
        QVERIFY(picture.save(folder + "/els.jpg", "JPG"));
        QVERIFY(m_session->pickFromGallery("els.jpg"));
        QTRY_VERIFY(!item("mediaPickerView"));
        QTRY_VERIFY(text("Foto bewaard"));
        QTRY_VERIFY(Users::sharedUsers()->image().startsWith("image")); // the new picture's key
        QCOMPARE(item("imageView")->property("source").toUrl(),
                 QUrl::fromLocalFile(app()->imageCache()->fileFor(Users::sharedUsers()->image())));
        QTRY_VERIFY(item("imageView")->property("loaded").toBool());
        QVERIFY(engine->waitForIdle(60000));
        QCOMPARE(app()->dataAccessObject()->loadAllSynchroObjects().first()->status(), 2);
        shoot("maintenance-4-new-photo");

        // 7. The pictures wiped after the warning: the cache is empty.
        QVERIFY(tapItem("deletePicturesButton"));
        QTRY_VERIFY(text("Opgepast") && item("alertButton1"));
        shoot("maintenance-5-wipe-pictures");
        const qsizetype pictures = QDir(app()->imageCache()->folder()).entryList(QDir::Files).size();
        QVERIFY(pictures > 1);
        QVERIFY(tapItem("alertButton1")); // "Verwijder"
        QTRY_VERIFY(!item("alertButton1"));
        QVERIFY(QDir(app()->imageCache()->folder()).entryList(QDir::Files).isEmpty());
        QTRY_VERIFY(text(QString("%1 foto's gewist").arg(pictures)));
        shoot("maintenance-5b-pictures-wiped");

        // 8. The database wipe refused while the upload has no answer.
        QVERIFY(tapItem("deleteDataButton"));
        QTRY_VERIFY(text("Sorry"));
        shoot("maintenance-6-wipe-refused");
        QVERIFY(tapItem("alertButton0"));
        QTRY_VERIFY(!text("Sorry"));
        QVERIFY(root->isLoggedIn());

        // 9. Once the upload is through, the wipe: logged out, the location to be chosen again.
        QVERIFY(m_session->server()->clearFaults());
        engine->checkForUpdates();
        QVERIFY(engine->waitForIdle(60000));
        QCOMPARE(app()->dataAccessObject()->loadSynchroInProgressSynchroObjects().size(), 0);
        QVERIFY(tapItem("deleteDataButton"));
        QTRY_VERIFY(text("Opgepast") && item("alertButton1"));
        shoot("maintenance-7-wipe-database");
        QVERIFY(tapItem("alertButton1"));
        QTRY_VERIFY(!root->isLoggedIn());
        QTRY_VERIFY_WITH_TIMEOUT(text("De Speelvogel"), 60000); // the location list
        QVERIFY(!UserDefaults::standard().contains("geselecteerdeschoolId"));
        QVERIFY(engine->waitForIdle(60000));
        shoot("maintenance-8-choose-location");
        QCOMPARE(staffRegistrationsOnServer(userId, start), (QStringList{"In", "Out"}));

        // 10. The location chosen and logged in again: the children are downloaded anew.
        QVERIFY(tap(m_window, text("De Speelvogel")));
        QTRY_VERIFY_WITH_TIMEOUT(text("Els Janssens"), 60000);
        QTest::qWait(1500); // the grid fades in
        QVERIFY(tap(m_window, text("Els Janssens")));
        QTRY_VERIFY(item("passwordField") && item("passwordField")->hasActiveFocus());
        typeKeys(m_window, "geheim");
        QVERIFY(tapItem("okButton"));
        QTRY_VERIFY(root->isLoggedIn());
        QVERIFY(engine->waitForIdle(60000));
        QTRY_VERIFY_WITH_TIMEOUT(item("overviewList") && item("overviewList")->property("count").toInt() > 3,
                                 30000);
        shoot("maintenance-9-back");
    }
};

QTEST_MAIN(TestMaintenanceEndToEnd)
#include "tst_maintenance_endtoend.moc"
