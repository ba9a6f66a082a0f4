#pragma once
// The staff member's own page: who is logged in on which tablet, a new own photo, and the upkeep of
// the tablet: log out, recompute every presence status, wipe the pictures, wipe the local database.
// Main thread; owned by the panel stack.
#include "ScreenController.h"
#include "media/MediaPickerViewController.h"

#include <QPointer>
#include <QUrl>

class DataAccessObject;
class ImageCache;
class MainSynchroObject;
class Users;

class ProfilePageViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(QString versionLabel READ versionLabel CONSTANT)
    Q_PROPERTY(QUrl photo READ photo NOTIFY photoChanged)
    Q_PROPERTY(QString naamLabel READ naamLabel CONSTANT)
    Q_PROPERTY(QString schoolLabel READ schoolLabel CONSTANT)
    Q_PROPERTY(QString organisatieLabel READ organisatieLabel CONSTANT)
    Q_PROPERTY(QString profielLabel READ profielLabel CONSTANT)
    Q_PROPERTY(MediaPickerViewController* mediaPicker READ mediaPicker NOTIFY mediaPickerChanged)
public:
    enum Tag { kDeleteImagesTag = 1, kDeleteDBTag = 2, kRefusedTag = 3 };

    // The page of the logged-in staff member (Users::sharedUsers()); engine and cache may be absent.
    ProfilePageViewController(DataAccessObject* dao, MainSynchroObject* engine, ImageCache* cache,
                              QObject* parent = nullptr);
    ~ProfilePageViewController() override;

    QString versionLabel() const;
    QUrl photo() const { return m_photo; }
    QString naamLabel() const { return m_naamLabel; }
    QString schoolLabel() const { return m_schoolLabel; }
    QString organisatieLabel() const { return m_organisatieLabel; }
    QString profielLabel() const { return m_profielLabel; }
    MediaPickerViewController* mediaPicker() const { return m_mediaPicker; }

    // Posts "logout", on which the shell logs the staff member out.
    Q_INVOKABLE void Logout();
    // Every presence status recomputed behind the engine's overlay; a confirmation says for how many
    // children once it is done.
    Q_INVOKABLE void herberekenStatussen();
    // Asks "Opgepast" first; "Verwijder" empties the picture cache, in memory and on disk, and a
    // confirmation says how many pictures went.
    Q_INVOKABLE void deleteImages();
    // Refused with "Sorry" while any change is unanswered; otherwise asks "Opgepast" first.
    Q_INVOKABLE void deleteDB();
    // The photo picker for a new own photo.
    Q_INVOKABLE void changeAvatar();
    Q_INVOKABLE void closeMediaPopOver();
    // A new own photo: shown, cached and queued for upload.
    Q_INVOKABLE void userDidEnterInfo(const QByteArray& data);

    void alertViewClickedButtonAtIndex(int tag, int index) override;

    // True when no queued change waits for an answer (status 0, 1 or 2): only then may the store go.
    bool mayDeleteDB() const;

signals:
    void photoChanged();
    void mediaPickerChanged();

private:
    // The wipe itself, after "Verwijder": the organisation kept, the location to be chosen again,
    // the selections emptied, the store made anew, then the logout (which clocks the staff member out).
    void deleteEverything();
    void refuseDeleteDB();
    QUrl photoUrl(const QString& image) const;

    DataAccessObject* m_dao;
    QPointer<MainSynchroObject> m_engine;
    QPointer<ImageCache> m_cache;
    Users* m_user = nullptr; // gone with a wiped store: cleared before the wipe
    QString m_image;
    QUrl m_photo;
    QString m_naamLabel;
    QString m_schoolLabel;
    QString m_organisatieLabel;
    QString m_profielLabel;
    QPointer<MediaPickerViewController> m_mediaPicker;
    bool m_recomputeAsked = false; // the next statussenBerekend answers this page's button
};
