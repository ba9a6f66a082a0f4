#pragma once
// The new-child form: first and family name, remarks, a group and an optional photo. Saving stores the
// child, makes it the only selected child and queues it for the server.
// Main thread; owned by the panel stack; owns its open pickers.
#include "GroupSelectorViewController.h"
#include "ScreenController.h"
#include "media/MediaPickerViewController.h"

#include <QByteArray>
#include <QImage>
#include <QPointer>
#include <QVariantMap>
#include <memory>

class QTemporaryFile;

class DataAccessObject;
class ImageCache;
class MainSynchroObject;
class SelectieLijst;

class CreateChildViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(QString voorNaam MEMBER m_voorNaam NOTIFY formChanged)
    Q_PROPERTY(QString familieNaam MEMBER m_familieNaam NOTIFY formChanged)
    Q_PROPERTY(QString extraInfo MEMBER m_extraInfo NOTIFY formChanged)
    Q_PROPERTY(QString groupName READ groupName NOTIFY formChanged)
    Q_PROPERTY(bool pictureLoaded READ pictureLoaded NOTIFY pictureChanged)
    // The shown photo (a file of the picture cache's folder), empty for "user.png".
    Q_PROPERTY(QUrl photo READ photo NOTIFY pictureChanged)
    Q_PROPERTY(MediaPickerViewController* mediaPicker READ mediaPicker NOTIFY popoversChanged)
    Q_PROPERTY(GroupSelectorViewController* groupSelector READ groupSelector NOTIFY popoversChanged)
public:
    enum Tags { kTagFoutje = 1, kTagSucces = 2 };

    CreateChildViewController(DataAccessObject* dao, MainSynchroObject* engine, SelectieLijst* selectie,
                              ImageCache* images, QObject* parent = nullptr);
    ~CreateChildViewController() override;

    QString groupName() const { return m_group.value(QStringLiteral("groupName")).toString(); }
    bool pictureLoaded() const { return m_pictureLoaded; }
    QUrl photo() const { return m_photo; }
    MediaPickerViewController* mediaPicker() const { return m_mediaPicker; }
    GroupSelectorViewController* groupSelector() const { return m_groupSelector; }
    void setForm(const QString& voorNaam, const QString& familieNaam, const QString& extraInfo = QString());

    // Opens the photo picker (camera and photo library) with this screen as its delegate.
    Q_INVOKABLE void changeAvatar();
    // Closes the photo picker (the picker calls it once it has a picture).
    Q_INVOKABLE void closeMediaPopOver();
    // New picture data from the picker: shown at once; empty data changes nothing.
    Q_INVOKABLE void userDidEnterInfo(const QByteArray& data);
    // Opens and closes the group picker; its choice arrives in groupSelected (empty: no group).
    Q_INVOKABLE void chooseGroup();
    Q_INVOKABLE void closeGroupSelector();
    Q_INVOKABLE void groupSelected(const QVariantMap& group);
    // Validates and stores the child; "Foutje" without both names, "Succes" once queued.
    Q_INVOKABLE void saveUser();
    // "Succes" answered: back to the children overview, which opens the new child's panel.
    void alertViewClickedButtonAtIndex(int tag, int index) override;

signals:
    void formChanged();
    void pictureChanged();
    void popoversChanged();

private:
    DataAccessObject* m_dao;
    QPointer<MainSynchroObject> m_engine;
    QPointer<SelectieLijst> m_selectie;
    QPointer<ImageCache> m_images;
    QString m_voorNaam;
    QString m_familieNaam;
    QString m_extraInfo;
    QVariantMap m_group;
    QString m_savedChildId;
    bool m_pictureLoaded = false;
    QImage m_picture;
    QUrl m_photo;
    std::unique_ptr<QTemporaryFile> m_preview; // the shown picture until it is saved
    QPointer<MediaPickerViewController> m_mediaPicker;
    QPointer<GroupSelectorViewController> m_groupSelector;
};
