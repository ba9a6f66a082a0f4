// A new child through the real window, offscreen, against the reference server: the form filled by key
// presses, a photo picked from a file, saved ("Succes" in one alert, answered once), shown in the
// children overview with its photo and its panel open, and clocked in. Screenshots go to <build>/screenshots/newchild-<n>-<state>.png; no QML warning may appear.
#include "AppSession.h"
#include "Clock.h"
#include "MainSynchroObject.h"
#include "NotificationCenter.h"
#include "ReferenceServer.h"
#include "RootViewController.h"
#include "SelectieLijst.h"
#include "StackScrollViewAppDelegate.h"
#include "WindowDriver.h"

#include <QImageWriter>
#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QQmlApplicationEngine>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace WindowDriver;

class TestNewChildEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir; // pictures to pick
    std::unique_ptr<AppSession> m_session;
    QQuickWindow* m_window = nullptr;

    StackScrollViewAppDelegate* app() const { return m_session->app(); }
    QQuickItem* item(const QString& name) const { return m_session->item(name); }
    QQuickItem* text(const QString& shown) const { return m_session->text(shown); }
    bool tapItem(const QString& name) const { return m_session->tapItem(name); }

    void shoot(const QString& name) { QVERIFY(m_session->shoot(name)); }
    bool typeInto(const QString& field, const QString& keys) { return m_session->typeInto(field, keys); }
    QQuickItem* overviewRow(const QString& name) const {
        QQuickItem* list = item("overviewList");
        for (int i = 0; list && i < list->property("count").toInt(); ++i) {
            QQuickItem* row = nullptr;
            QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, row), Q_ARG(int, i));
            if (row && row->property("name").toString() == name)
                return row;
        }
        return nullptr;
    }

private slots:
    void initTestCase() {
        // The app's clock runs from 10:00 today: times picked hours earlier or later stay on today.
        m_session = std::make_unique<AppSession>(QTime(10, 0));
    }

    void cleanupTestCase() {
        const QStringList warnings = m_session->finish();
        m_session.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void aNewChildWithAPhotoIsClockedIn() {
        QVERIFY2(m_session->coupleAndLogIn("Els Janssens", "geheim"), qPrintable(m_session->error()));
        m_window = m_session->window();
        RootViewController* root = app()->rootViewController();

        // 1. "Nieuw kind" in the menu: the empty form.
        QVERIFY(tapItem("menuEntry2"));
        QTRY_VERIFY(item("voorNaamTextField") && item("saveButton"));
        QVERIFY(typeInto("voorNaamTextField", "Mila"));
        QVERIFY(typeInto("familieNaamTextField", "Zwartjes"));
        shoot("newchild-1-form");

        // 2. A tap on the photo: the picker with its sources; the photo library hands over a file.
        QVERIFY(tapItem("imageView"));
        QTRY_VERIFY(item("mediaPickerView") && text("Foto gallerij"));
        QVERIFY(text("Kies een foto") && text("Neem een foto"));
        shoot("newchild-2-picker");
        const QString photo = m_dir.filePath("mila.jpg");
        QImage picture(1600, 1200, QImage::Format_RGB32);
        picture.fill(QColor(230, 120, 40));
        for (int y = 300; y < 900; ++y)
            for (int x = 500; x < 1100; ++x)
                picture.setPixel(x, y, qRgb(40, 90, 200));
        QVERIFY(picture.save(photo, "JPG"));
        auto* picker = item("mediaPickerView")->property("controller").value<QObject*>();
        QVERIFY(picker);
        QMetaObject::invokeMethod(picker, "imagePickerDidPickFile", Q_ARG(QString, photo));
        QTRY_VERIFY(!item("mediaPickerView"));
        QQuickItem* imageView = item("imageView");
        QTRY_VERIFY(findItem(imageView, "photo", false) && findItem(imageView, "photo", false)->isVisible());
        shoot("newchild-3-photo");

        // 3. "Bewaar": "Succes" in one alert, whose one "Ok" goes back to the overview, once.
        int menuChoices = 0;
        QObject observer;
        NotificationCenter::defaultCenter().addObserver(&observer, "fakeMenuChoice",
                                                        [&](const Notification&) { ++menuChoices; });
        QVERIFY(tapItem("saveButton"));
        QTRY_VERIFY(text("Succes") && text("Het kind is succesvol toegevoegd."));
        QTest::qWait(200); // a second alert would be open by now
        QCOMPARE(findAll(m_window->contentItem(), "alertButton0").size(), 1);
        shoot("newchild-4-success");
        QVERIFY(tapItem("alertButton0"));
        QTRY_VERIFY(item("searchField") && item("overviewList"));
        QTRY_VERIFY(!item("alertButton0"));
        QCOMPARE(menuChoices, 1);
        QCOMPARE(root->menuViewController()->selectedOption(), 0);

        // 4. The overview opened the new child's panel, ready for "Inklokken"; its row, selected and with
        // its photo, is in sight in the list.
        QTRY_VERIFY(item("enterButton") && item("naamLabel")->property("text").toString() == "Mila Zwartjes");
        QCOMPARE(app()->geselecteerden()->count(), 1);
        QTRY_VERIFY(overviewRow("Zwartjes Mila"));
        QQuickItem* list = item("overviewList");
        QQuickItem* row = overviewRow("Zwartjes Mila");
        QTRY_VERIFY(row->y() >= list->property("contentY").toReal() &&
                    row->y() + row->height() <= list->property("contentY").toReal() + list->height());
        QVERIFY(row->property("selected").toBool());
        QTRY_VERIFY(findItem(row, "photo", false)->isVisible());
        shoot("newchild-5-overview");
        QVERIFY(tapItem("enterButton"));
        QTRY_VERIFY_WITH_TIMEOUT(
            findItem(overviewRow("Zwartjes Mila"), "presenceIcon", false)->property("kind").toString() ==
                "In",
            10000);
        shoot("newchild-6-clocked-in");

        // 5. On the server: the child with its picture, and its registration.
        QVERIFY(app()->engine()->waitForIdle(60000));
        QString childId;
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=child").value("records").toArray())
            if (v.toObject().value("lastName").toString() == "Zwartjes")
                childId = v.toObject().value("childId").toString();
        QVERIFY(!childId.isEmpty());
        bool registered = false;
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=timeEntry").value("records").toArray())
            registered = registered || v.toObject().value("childId").toString() == childId;
        QVERIFY(registered);
        const QImage first = servedPicture(childId);
        QCOMPARE(first.size(), QSize(1024, 768)); // scaled down by the picker
        QVERIFY(qBlue(first.pixel(512, 384)) > 150);

        // 6. A new photo from the detail panel: shown there at once and uploaded.
        QVERIFY(tap(m_window, overviewRow("Zwartjes Mila")));
        QTRY_VERIFY(item("enterButton") && item("naamLabel")->property("text").toString() == "Mila Zwartjes");
        QVERIFY(tapItem("imageView"));
        QTRY_VERIFY(item("mediaPickerView") && text("Foto gallerij"));
        const QString second = m_dir.filePath("mila2.png");
        QImage green(400, 300, QImage::Format_RGB32);
        green.fill(QColor(30, 180, 60));
        QVERIFY(green.save(second));
        QMetaObject::invokeMethod(item("mediaPickerView")->property("controller").value<QObject*>(),
                                  "imagePickerDidPickFile", Q_ARG(QString, second));
        QTRY_VERIFY(!item("mediaPickerView"));
        QTRY_VERIFY(item("imageView")->property("source").toUrl().isLocalFile() &&
                    findItem(item("imageView"), "photo", false)->isVisible());
        shoot("newchild-7-new-photo");
        QTRY_VERIFY_WITH_TIMEOUT(servedPicture(childId).size() == QSize(400, 300), 20000);
        QVERIFY(qGreen(servedPicture(childId).pixel(200, 150)) > 150);
    }

private:
    // The picture the server serves for a child.
    QImage servedPicture(const QString& childId) const {
        for (const QJsonValue& v :
             m_session->server()->get("/_test/records?kind=child").value("records").toArray()) {
            if (v.toObject().value("childId").toString() != childId)
                continue;
            QNetworkAccessManager nam;
            QNetworkReply* reply = nam.get(QNetworkRequest(
                m_session->server()->url().resolved(QUrl(v.toObject().value("image").toString()))));
            QSignalSpy done(reply, &QNetworkReply::finished);
            done.wait(10000);
            reply->deleteLater();
            return QImage::fromData(reply->readAll());
        }
        return {};
    }
};

QTEST_MAIN(TestNewChildEndToEnd)
#include "tst_newchild_endtoend.moc"
