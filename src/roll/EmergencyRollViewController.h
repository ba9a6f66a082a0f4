#pragma once
// The emergency roll: everyone present at the location now (children and staff whose latest live
// registration of the current period up to now is a clock-in here), full-screen and in large type,
// ticked off one by one at the gathering point, and written to a PDF for paper. Reads the local store
// only, so it works without any network, and says how fresh that store is. Reads again when a refresh or
// a clocking changes the store. Main thread; owned by whoever opened it (the menu).
#include "ScreenController.h"
#include "roll/EmergencyRollModel.h"

#include <QString>

#include <QDateTime>
#include <QPointer>

class DataAccessObject;
class ImageCache;
class MainSynchroObject;
class QTimer;

class EmergencyRollViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(EmergencyRollModel* people READ people CONSTANT)
    Q_PROPERTY(int uncheckedCount READ uncheckedCount NOTIFY countsChanged)
    Q_PROPERTY(QString countText READ countText NOTIFY countsChanged)
    Q_PROPERTY(QString subtitle READ subtitle NOTIFY subtitleChanged)
    Q_PROPERTY(QString freshness READ freshness NOTIFY freshnessChanged)
    Q_PROPERTY(bool offline READ isOffline NOTIFY freshnessChanged)
    Q_PROPERTY(QString pdfPath READ pdfPath NOTIFY pdfPathChanged)
public:
    static constexpr int kCloseAlertTag = 1;
    static constexpr int kPdfAlertTag = 2;

    // entityId: the location whose people are listed. engine: where the last refresh and the network
    // state are read (may be null: never refreshed). images: where photos are looked up (cached ones
    // only; nothing is downloaded). pdfFolder: where writePdf puts its files.
    EmergencyRollViewController(const QString& entityId, DataAccessObject* dao, MainSynchroObject* engine,
                                ImageCache* images, const QString& pdfFolder = defaultPdfFolder(),
                                QObject* parent = nullptr);

    // The documents folder, or the application's data folder where there is none.
    static QString defaultPdfFolder();

    EmergencyRollModel* people() const { return m_people; }
    int uncheckedCount() const { return m_people->uncheckedCount(); }
    // "Nog 3 van 12 niet afgevinkt", or "Iedereen afgevinkt (12)".
    QString countText() const;
    // The location's name and the moment the list was read.
    QString subtitle() const { return m_subtitle; }
    // How fresh the store is: "Bijgewerkt 14:02", "Offline · laatst bijgewerkt 14:02", "Nog niet bijgewerkt".
    QString freshness() const { return m_freshness; }
    bool isOffline() const { return m_offline; }
    // The freshness line for the last successful refresh (invalid: none) and the network state at now;
    // the date is added when the refresh was on another day.
    static QString freshnessText(const QDateTime& lastRefresh, bool offline, const QDateTime& now);
    // The latest PDF written, empty before the first.
    QString pdfPath() const { return m_pdfPath; }

    // Reads who is present now (registrations up to Clock::now only); ticks of people still present are
    // kept.
    Q_INVOKABLE void reload();
    // Ticks a person off, or back on.
    Q_INVOKABLE void toggle(int row);
    // Writes the list as it stands (ticks included) to a new PDF in the folder: one line per person
    // with name, group, present since and a box. False, with an alert, when the file cannot be written.
    Q_INVOKABLE bool writePdf();
    // Asks to close; with people ticked off, only after a confirmation (the ticks would be lost).
    Q_INVOKABLE void requestClose();

    void alertViewClickedButtonAtIndex(int tag, int index) override;

signals:
    void countsChanged();
    void subtitleChanged();
    void freshnessChanged();
    void pdfPathChanged();
    // The roll is done with: whoever shows it takes it away.
    void closed();

private:
    void updateFreshness();

    QString m_entityId;
    DataAccessObject* m_dao;
    QPointer<MainSynchroObject> m_engine;
    QTimer* m_reloadSoon;
    ImageCache* m_images;
    QString m_pdfFolder;
    EmergencyRollModel* m_people;
    QString m_subtitle;
    QString m_freshness;
    bool m_offline = false;
    QString m_pdfPath;
};
