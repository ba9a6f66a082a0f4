#pragma once
// The emergency roll: everyone present at the location now (children and staff whose latest live
// registration of the current period is a clock-in here), full-screen and in large type, ticked off
// one by one at the gathering point, and written to a PDF for paper. Reads the local store only, so it
// works without any network. Main thread; owned by whoever opened it (the menu).
#include "ScreenController.h"
#include "roll/EmergencyRollModel.h"

#include <QString>

class DataAccessObject;
class ImageCache;

class EmergencyRollViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(EmergencyRollModel* people READ people CONSTANT)
    Q_PROPERTY(int uncheckedCount READ uncheckedCount NOTIFY countsChanged)
    Q_PROPERTY(QString countText READ countText NOTIFY countsChanged)
    Q_PROPERTY(QString subtitle READ subtitle NOTIFY subtitleChanged)
    Q_PROPERTY(QString pdfPath READ pdfPath NOTIFY pdfPathChanged)
public:
    static constexpr int kCloseAlertTag = 1;
    static constexpr int kPdfAlertTag = 2;

    // entityId: the location whose people are listed. images: where photos are looked up (cached ones
    // only; nothing is downloaded). pdfFolder: where writePdf puts its files.
    EmergencyRollViewController(const QString& entityId, DataAccessObject* dao, ImageCache* images,
                                const QString& pdfFolder = defaultPdfFolder(), QObject* parent = nullptr);

    // The documents folder, or the application's data folder where there is none.
    static QString defaultPdfFolder();

    EmergencyRollModel* people() const { return m_people; }
    int uncheckedCount() const { return m_people->uncheckedCount(); }
    // "Nog 3 van 12 niet afgevinkt", or "Iedereen afgevinkt (12)".
    QString countText() const;
    // The location's name and the moment the list was read.
    QString subtitle() const { return m_subtitle; }
    // The latest PDF written, empty before the first.
    QString pdfPath() const { return m_pdfPath; }

    // Reads who is present now; ticks of people still present are kept.
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
    void pdfPathChanged();
    // The roll is done with: whoever shows it takes it away.
    void closed();

private:
    QString m_entityId;
    DataAccessObject* m_dao;
    ImageCache* m_images;
    QString m_pdfFolder;
    EmergencyRollModel* m_people;
    QString m_subtitle;
    QString m_pdfPath;
};
