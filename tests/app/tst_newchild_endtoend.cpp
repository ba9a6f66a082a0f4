// A new child through the real window, offscreen, against the reference server: the form filled by key
// presses, a photo chosen by taps in the pictures folder's grid (one picture turned by its orientation
// tag), saved ("Succes" in one alert, answered once), shown in the children overview with its photo and
// its panel open, and clocked in; a new photo from the panel. A picker whose view cannot be loaded gives
// an alert and leaves the typed form. Screenshots go to <build>/screenshots/newchild-<n>-<state>.png;
// no QML warning may appear but the broken view's.
#include "AppSession.h"
#include "ExifJpeg.h"
#include "Clock.h"
#include "MainSynchroObject.h"
#include "NotificationCenter.h"
#include "ReferenceServer.h"
#include "Resources.h"
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

    QTemporaryDir m_dir;
    std::unique_ptr<AppSession> m_session;
    QStringList m_expectedWarnings;
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
        writePictures(m_session->picturesFolder());
    }

    void cleanupTestCase() {
        const QStringList warnings = m_session->finish(m_expectedWarnings);
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

        // 2. A tap on the photo: the picker with its sources; "Foto gallerij" opens the grid of the
        // pictures folder, newest first, in cells well over a fingertip.
        QVERIFY(tapItem("imageView"));
        QTRY_VERIFY(item("mediaPickerView") && text("Foto gallerij"));
        QVERIFY(text("Kies een foto") && text("Neem een foto"));
        shoot("newchild-2-picker");
        QVERIFY(m_session->tapText("Foto gallerij"));
        QTRY_VERIFY(item("photoGrid") && item("photoCell0"));
        QTRY_COMPARE(item("photoGridView")->property("count").toInt(), kFillers + 3);
        QVERIFY(text("Annuleer"));
        QQuickItem* turned = item("photoCell0"); // the newest
        QCOMPARE(turned->property("path").toString(), m_session->picturesFolder() + "/gedraaid.jpg");
        QQuickItem* thumb = findItem(turned, "thumbnail");
        QTRY_COMPARE(thumb->property("status").toInt(), 1); // Image.Ready
        // The turned picture stands upright in its cell: red above, blue below.
        for (const QSize& size : {QSize(1024, 768), QSize(768, 1024), QSize(1280, 800)}) {
            m_window->resize(size);
            QTRY_VERIFY(item("photoGrid")->width() > size.width() - 60 &&
                        item("photoGrid")->width() < size.width());
            QTRY_VERIFY(item("photoCell0") && findItem(item("photoCell0"), "thumbnail")->property("status").toInt() == 1);
            const QRect cell = sceneRect(item("photoCell0"));
            QVERIFY2(cell.width() >= 120 && cell.height() >= 120, qPrintable(QString::number(cell.width())));
            QVERIFY(QRect(QPoint(), size).contains(sceneRect(item("photoGridCancel"))));
            QVERIFY(sceneRect(item("photoGridCancel")).height() >= 44);
            shoot(QString("newchild-grid-%1x%2").arg(size.width()).arg(size.height()));
            const QImage shot = m_window->grabWindow();
            const QColor top = shot.pixelColor(cell.center().x(), cell.top() + cell.height() / 4);
            const QColor bottom = shot.pixelColor(cell.center().x(), cell.bottom() - cell.height() / 4);
            QVERIFY2(top.red() > 180 && top.blue() < 90, qPrintable(top.name()));
            QVERIFY2(bottom.blue() > 180 && bottom.red() < 90, qPrintable(bottom.name()));
        }
        m_window->resize(1024, 768);
        QTRY_VERIFY(sceneRect(item("photoGridCancel")).right() < 1024);

        // "Annuleer": back to the sources, the form as it was typed.
        QVERIFY(tapItem("photoGridCancel"));
        QTRY_VERIFY(!item("photoGrid"));
        QVERIFY(item("mediaPickerView") && text("Foto gallerij"));
        QCOMPARE(item("voorNaamTextField")->property("text").toString(), QString("Mila"));
        QCOMPARE(item("familieNaamTextField")->property("text").toString(), QString("Zwartjes"));

        // A tap on the turned picture chooses it: the picker closes, the form shows it.
        QVERIFY(m_session->pickFromGallery("gedraaid.jpg"));
        QTRY_VERIFY(!item("mediaPickerView"));
        QVERIFY(!item("photoGrid"));
        QQuickItem* imageView = item("imageView");
        QTRY_VERIFY(findItem(imageView, "photo", false) && findItem(imageView, "photo", false)->isVisible());
        QCOMPARE(item("voorNaamTextField")->property("text").toString(), QString("Mila"));
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
        // Stored upright: the orientation tag was applied before encoding.
        const QImage first = servedPicture(childId);
        QCOMPARE(first.size(), QSize(600, 900));
        QVERIFY(qRed(first.pixel(300, 200)) > 180 && qBlue(first.pixel(300, 200)) < 90);
        QVERIFY(qBlue(first.pixel(300, 700)) > 180 && qRed(first.pixel(300, 700)) < 90);

        // 6. A new photo from the detail panel, the oldest of the folder (scrolled to): its picker leaves
        // "Inklokken" and "Uitklokken" free; the photo is shown there at once, confirmed and uploaded.
        QVERIFY(tap(m_window, overviewRow("Zwartjes Mila")));
        QTRY_VERIFY(item("enterButton") && item("naamLabel")->property("text").toString() == "Mila Zwartjes");
        QVERIFY(tapItem("imageView"));
        QTRY_VERIFY(item("mediaPickerView") && text("Foto gallerij"));
        const QRect picker = sceneRect(item("mediaPickerView"));
        QVERIFY(!picker.intersects(sceneRect(item("enterButton"))));
        QVERIFY(!picker.intersects(sceneRect(item("exitButton"))));
        shoot("newchild-7-panel-picker");
        QVERIFY(m_session->pickFromGallery("mila.jpg"));
        QTRY_VERIFY(!item("mediaPickerView"));
        QTRY_VERIFY(text("Foto bewaard"));
        QTRY_VERIFY(item("imageView")->property("source").toUrl().isLocalFile() &&
                    findItem(item("imageView"), "photo", false)->isVisible());
        shoot("newchild-8-new-photo");
        QTRY_VERIFY_WITH_TIMEOUT(!text("Foto bewaard"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(servedPicture(childId).size() == QSize(1024, 768), 20000);
        QVERIFY(qBlue(servedPicture(childId).pixel(512, 384)) > 150); // scaled down by the picker
    }

    // A picker whose view cannot be made (a module missing on the tablet): one alert, the typed form
    // stays, and the next picker opens as usual.
    void aViewThatCannotLoadLeavesTheForm() {
        const QString broken = m_dir.filePath("MediaPickerView.qml");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("import QtQuick\nimport Qt.labs.nergens\nItem { required property var controller }\n");
        file.close();
        m_expectedWarnings = {QUrl::fromLocalFile(broken).toString(), "view not loaded"};
        Resources::setQmlUrl("media/qml/MediaPickerView.qml", QUrl::fromLocalFile(broken));

        QVERIFY(tapItem("menuEntry2"));
        QTRY_VERIFY(item("voorNaamTextField") && item("saveButton"));
        QVERIFY(typeInto("voorNaamTextField", "Noor"));
        QVERIFY(typeInto("familieNaamTextField", "Vermeulen"));
        QVERIFY(tapItem("imageView"));
        QTRY_VERIFY(text("Dit scherm kon niet geladen worden."));
        QTRY_VERIFY(!item("mediaPopoverContent"));
        shoot("newchild-9-view-not-loaded");
        QVERIFY(tapItem("alertButton0"));
        QTRY_VERIFY(!text("Dit scherm kon niet geladen worden."));
        QCOMPARE(item("voorNaamTextField")->property("text").toString(), QString("Noor"));
        QCOMPARE(item("familieNaamTextField")->property("text").toString(), QString("Vermeulen"));

        Resources::setQmlUrl("media/qml/MediaPickerView.qml", QUrl());
        QVERIFY(tapItem("imageView"));
        QTRY_VERIFY(item("mediaPickerView") && text("Foto gallerij"));
        QVERIFY(m_session->pickFromGallery("groen.png"));
        QTRY_VERIFY(!item("mediaPickerView"));
        QTRY_VERIFY(findItem(item("imageView"), "photo", false)->isVisible());
        QCOMPARE(item("voorNaamTextField")->property("text").toString(), QString("Noor"));
    }

private:
    static constexpr int kFillers = 40;

    // The grid's pictures: many fillers, the newest one stored on its side with a tag that turns it
    // upright (red above, blue below), and the oldest a large one.
    static void writePictures(const QString& folder) {
        QVERIFY(QDir().mkpath(folder));
        const QDateTime now = QDateTime::currentDateTime();
        auto place = [&](const QString& name, const QImage& picture, int minutesAgo, int orientation = 0) {
            if (orientation) {
                QFile jpeg(folder + "/" + name);
                QVERIFY(jpeg.open(QIODevice::WriteOnly) && jpeg.write(ExifJpeg::encode(picture, orientation)) > 0);
            } else {
                QVERIFY(picture.save(folder + "/" + name));
            }
            QFile file(folder + "/" + name);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(now.addSecs(-60 * minutesAgo), QFileDevice::FileModificationTime));
        };
        for (int i = 0; i < kFillers; ++i) {
            QImage filler(480, 360, QImage::Format_RGB32);
            filler.fill(QColor::fromHsv(i * 9, 90, 230));
            place(QString("vulling-%1.jpg").arg(i, 2, 10, QChar('0')), filler, 10 + i);
        }
        QImage upright(600, 900, QImage::Format_RGB32);
        upright.fill(QColor(220, 30, 30));
        for (int y = 450; y < 900; ++y)
            for (int x = 0; x < 600; ++x)
                upright.setPixel(x, y, qRgb(30, 40, 220));
        // Stored a quarter turn to the left; its Exif tag (6) says to turn it right to show it.
        place("gedraaid.jpg", upright.transformed(QTransform().rotate(-90)), 1, 6);
        QImage big(1600, 1200, QImage::Format_RGB32);
        big.fill(QColor(230, 120, 40));
        for (int y = 300; y < 900; ++y)
            for (int x = 500; x < 1100; ++x)
                big.setPixel(x, y, qRgb(40, 90, 200));
        place("mila.jpg", big, 24 * 60);
        QImage green(400, 300, QImage::Format_RGB32);
        green.fill(QColor(30, 180, 60));
        place("groen.png", green, 5);
    }

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
