#pragma once
// The detail panel of the active selection: clock-in and clock-out of every selected child at the chosen
// moment; for one child its photo, registrations, products and messages; for several the list
// "Actieve Selectie"; suggested relatives in both. It follows the selection for its whole life.
// Main thread; owned by the panel stack (or its QObject parent); owns its popovers.
#include "Boodschap.h"
#include "ClockChoice.h"
#include "CreateBoodschapViewController.h"
#include "DoubleClocking.h"
#include "Inklokken.h"
#include "LeerlingenDetailModels.h"
#include "OptionsPopoverController.h"
#include "Product.h"
#include "ProductRemoverViewController.h"
#include "ProductadderViewController.h"
#include "ScreenController.h"
#include "TimeChangerViewController.h"
#include "media/MediaPickerViewController.h"

#include <QPointer>
#include <QTimer>

class DataAccessObject;
class MainSynchroObject;
class ManagedObject;
class SelectieLijst;

class LeerlingenDetailViewController : public ScreenController,
                                       public OptionsPopoverDelegate,
                                       public TimeChangerDelegate,
                                       public ProductadderDelegate,
                                       public ProductremoverDelegate,
                                       public CreateBoodschapDelegate {
    Q_OBJECT
    Q_PROPERTY(int state READ state NOTIFY stateChanged)
    Q_PROPERTY(QString naam READ naam NOTIFY shownDataChanged)
    // The name line of the panel: first and last name of one person (naam for several), and the
    // groups of one child under it.
    Q_PROPERTY(QString volledigeNaam READ volledigeNaam NOTIFY shownDataChanged)
    Q_PROPERTY(QString groepen READ groepen NOTIFY shownDataChanged)
    Q_PROPERTY(QUrl photo READ photo NOTIFY shownDataChanged)
    Q_PROPERTY(int selectionCount READ selectionCount NOTIFY shownDataChanged)
    // Exactly one shown: photo, photo button and the tabbed table. Several: pictures and "Actieve Selectie".
    Q_PROPERTY(bool single READ single NOTIFY shownDataChanged)
    Q_PROPERTY(bool several READ several NOTIFY shownDataChanged)
    Q_PROPERTY(bool overlayActive READ single NOTIFY shownDataChanged)
    Q_PROPERTY(ClockChoice* clockChoice READ clockChoice CONSTANT)
    Q_PROPERTY(bool enterEnabled READ enterEnabled NOTIFY activityChanged)
    Q_PROPERTY(bool exitEnabled READ exitEnabled NOTIFY activityChanged)
    // The progress indicator: on the clock-in (1) or clock-out (2) button, or nowhere (0); fading while
    // the run's closing animation plays.
    Q_PROPERTY(int activityButton READ activityButton NOTIFY activityChanged)
    Q_PROPERTY(bool activityFading READ activityFading NOTIFY activityChanged)
    Q_PROPERTY(int animationMs READ animationMs CONSTANT)
    Q_PROPERTY(DetailTableModel* table READ table CONSTANT)
    Q_PROPERTY(PersonenModel* selectie READ selectie CONSTANT)
    Q_PROPERTY(PersonenModel* suggesties READ suggesties CONSTANT)
    // Wrenches: "Deselecteer" on the rows of "Actieve Selectie"; options of a registration row.
    Q_PROPERTY(bool offersDeselect READ offersDeselect CONSTANT)
    Q_PROPERTY(bool offersRegistrationOptions READ offersRegistrationOptions CONSTANT)
    // The messages tab in delete mode, and its button's title.
    Q_PROPERTY(bool messageIsEditable READ messageIsEditable NOTIFY messageIsEditableChanged)
    Q_PROPERTY(QString editButtonTitle READ editButtonTitle NOTIFY messageIsEditableChanged)
    // The open popovers, or null.
    Q_PROPERTY(OptionsPopoverController* options READ options NOTIFY popoversChanged)
    Q_PROPERTY(TimeChangerViewController* timeChanger READ timeChanger NOTIFY popoversChanged)
    Q_PROPERTY(int timeChangerRow READ timeChangerRow NOTIFY popoversChanged)
    Q_PROPERTY(ProductadderViewController* productAdder READ productAdder NOTIFY popoversChanged)
    Q_PROPERTY(ProductRemoverViewController* productRemover READ productRemover NOTIFY popoversChanged)
    Q_PROPERTY(int productRemoverRow READ productRemoverRow NOTIFY popoversChanged)
    Q_PROPERTY(CreateBoodschapViewController* creator READ creator NOTIFY popoversChanged)
    Q_PROPERTY(MediaPickerViewController* mediaPicker READ mediaPicker NOTIFY popoversChanged)
    // The shown child was clocked the same way here and on another tablet ("Twee keer ingeklokt: ..."):
    // empty when not; and the title of the button that removes the later of the two.
    Q_PROPERTY(QString otherTabletNotice READ otherTabletNotice NOTIFY otherTabletChanged)
    Q_PROPERTY(QString otherTabletRemoveTitle READ otherTabletRemoveTitle NOTIFY otherTabletChanged)

public:
    // Tabs of the main table, tables and dialogs.
    static constexpr int kRegistraties = -1000;
    static constexpr int kExtra = -999;
    static constexpr int kBoodschappen = -998;
    static constexpr int kMainTable = -100;
    static constexpr int kTableKinderen = -98;
    static constexpr int kTableSuggesties = -97;
    static constexpr int kTableSelection = -96;
    static constexpr int kInklokTag = -2;
    static constexpr int kUitklokTag = -3;
    static constexpr int kBoodschapTag = -1;
    // A refusal of a clocking of several, offering "Sla over en klok de anderen".
    static constexpr int kSkipInTag = -4;
    static constexpr int kSkipOutTag = -5;
    // The people a clocking skipped, named after it.
    static constexpr int kSkippedTag = -6;
    static constexpr int kAnimationMs = 700;

    // Opens on leerling (added to the selection when that is empty) and follows selectie.
    LeerlingenDetailViewController(ManagedObject* leerling, SelectieLijst* selectie, DataAccessObject* dao,
                                   MainSynchroObject* engine, QObject* parent = nullptr,
                                   const ClockingSubject& subject = ChildClockingSubject::instance());
    ~LeerlingenDetailViewController() override;

    int state() const { return m_state; }
    QString naam() const { return m_naam; }
    QString volledigeNaam() const { return m_volledigeNaam; }
    QString groepen() const { return m_groepen; }
    QUrl photo() const { return m_photo; }
    int selectionCount() const;
    bool single() const { return m_shown == Shown::One; }
    bool several() const { return m_shown == Shown::Several; }
    ClockChoice* clockChoice() const { return m_clockChoice; }
    QString dayTitle() const { return m_clockChoice->dayTitle(); }
    QString timeTitle() const { return m_clockChoice->timeTitle(); }
    bool enterEnabled() const { return m_activity != Activity::In; }
    bool exitEnabled() const { return m_activity != Activity::Out; }
    int activityButton() const { return int(m_activity); }
    bool activityFading() const { return m_fading; }
    int animationMs() const { return kAnimationMs; }
    DetailTableModel* table() const { return m_table; }
    PersonenModel* selectie() const { return m_selectieModel; }
    PersonenModel* suggesties() const { return m_suggestiesModel; }
    bool messageIsEditable() const { return m_messageIsEditable; }
    bool offersDeselect() const { return m_subject.offersDeselect(); }
    // Without deletion the only option would repeat a tap on the row.
    bool offersRegistrationOptions() const { return m_subject.offersDeletion(); }
    QString editButtonTitle() const;
    OptionsPopoverController* options() const { return m_options; }
    TimeChangerViewController* timeChanger() const { return m_timeChanger; }
    int timeChangerRow() const { return m_timeChanger ? m_timeChanger->index() : -1; }
    ProductadderViewController* productAdder() const { return m_productAdder; }
    ProductRemoverViewController* productRemover() const { return m_productRemover; }
    int productRemoverRow() const { return m_productRemoverRow; }
    CreateBoodschapViewController* creator() const { return m_creator; }
    SelectieLijst* selectielijst() const { return m_selectielijst; }
    const QList<ManagedObject*>& mijnRegistraties() const { return m_mijnRegistraties; }
    const QList<Product>& mijnProducten() const { return m_mijnProducten; }
    const QList<Boodschap>& mijnBoodschappen() const { return m_mijnBoodschappen; }
    // Relationships records proposed for the selection.
    const QList<ManagedObject*>& suggestiesArray() const { return m_suggestiesArray; }

    // The clock-in and clock-out buttons: confirm when needed, then clock the whole selection.
    Q_INVOKABLE void schrijfKindInMetCheck();
    Q_INVOKABLE void schrijfKindUitMetCheck();
    // The progress indicator on the button first; the clocking on the next pass of the event loop.
    void schrijfKindInMetAnimation();
    void schrijfKindUitMetAnimation();
    void schrijfKindIn();
    void schrijfKindUit();
    int determineWarningMessageFromDayPart(const QString& day, const QString& time) const;

    // The time picker: index -1 is the clocking time, 0 and above a registration row to move.
    void userDidEnterBeginTime(const QString& begin, const QString& end, int index) override;

    Q_INVOKABLE void tabTapped(int tab);
    // The wrench of a registration row (kMainTable) or of a row of "Actieve Selectie" (kTableSelection).
    Q_INVOKABLE void showOptions(int tableViewTag, int row);
    void optionSelected(int option, int row, int tableViewTag) override;
    // A tap on a row of the main table: a registration's time picker, a product's "Verwijder", a
    // message read-only.
    Q_INVOKABLE void showPickedTableView(int row);
    // A tap on a suggested relative: the child joins the selection.
    Q_INVOKABLE void suggestieTapped(int row);

    // Products and messages of the shown child.
    void refreshDataVanDeLeerling(ManagedObject* person);
    Q_INVOKABLE void showProducts();
    void saveProduct(const Product& product) override;
    void deleteProduct(const Product& product) override;
    Q_INVOKABLE void createBoodschap();
    void saveBoodschap(const Boodschap& boodschap) override;
    // "Verwijder boodschap" / "Lees boodschap": delete mode of the messages tab on and off.
    Q_INVOKABLE void setTableEditable();
    // Delete mode: the message of that row goes, from the list and from storage.
    Q_INVOKABLE void deleteBoodschapRow(int row);
    // A tap outside the message editor: false (it stays) while typed text would be lost; the dialog
    // then asks whether to keep it.
    Q_INVOKABLE bool popoverControllerShouldDismissPopover();
    // The other popovers were closed by a tap outside.
    Q_INVOKABLE void closeOptions();
    Q_INVOKABLE void closeTimeChanger();
    Q_INVOKABLE void closeProductAdder();
    Q_INVOKABLE void closeProductRemover();

    // A new photo: the photo picker (photo library and camera) opens on a tap on the photo of the one
    // child shown; the picture it delivers is that child's, whoever is selected or shown by then: it is
    // cached and uploaded for that child, and shown when the panel still shows it.
    Q_INVOKABLE void changeAvatar();
    Q_INVOKABLE void closeMediaPopOver();
    Q_INVOKABLE void userDidEnterInfo(const QByteArray& data);
    MediaPickerViewController* mediaPicker() const { return m_mediaPicker; }

    QString otherTabletNotice() const;
    QString otherTabletRemoveTitle() const;
    // The notice's button: the later registration of the pair goes (this tablet's or the other's),
    // through the usual question and the usual deletion.
    Q_INVOKABLE void deleteLaterDuplicate();

    void alertViewClickedButtonAtIndex(int tag, int index) override;
    // A clocking asked to be confirmed, running or showing its result: the idle lock waits for it.
    bool holdsIdleLock() const override;

    // Rebuilds everything for the current selection (also on every selection notification).
    void refreshShownData();
    // Reloads the shown child's registrations and redraws the main table.
    void reloadData();

signals:
    void stateChanged();
    void shownDataChanged();
    void activityChanged();
    void messageIsEditableChanged();
    void popoversChanged();
    void otherTabletChanged();

private:
    enum class Shown { Nothing, One, Several };
    enum class Activity { None = 0, In = 1, Out = 2 };
    using Type = ClockingSubject::Type;

    void checkAndClock(Type type);
    void startAnimation(Type type, bool skipRefused = false);
    void clock(Type type, bool skipRefused = false);
    void finishAnimation();
    // A change the disk refused: the user is told to try again.
    void alertNotStored();
    void setState(int state);
    void setActivity(Activity activity, bool fading);
    void setMessageIsEditable(bool editable);
    void rebuildSuggestions();
    void loadRegistrations(ManagedObject* person);
    void redrawTable();
    void redrawSelection();
    QUrl photoUrl(const QString& image) const;
    ManagedObject* relatedChild(const ManagedObject* relation) const;
    // The ids new products and messages are stored for: the selection, or the child still shown.
    QStringList recordIds() const;
    // Element count - row of a tab's list (row 0 is the button row); -1 when there is none.
    static int newestFirst(int row, qsizetype count);
    void closeCreator();
    // Looks for a double clocking of the shown child among its registrations.
    void updateOtherTablet(const QList<ManagedObject*>& registrations);
    // Registrations of the shown child changed elsewhere (a refresh, an undo).
    void registrationsChangedElsewhere();
    template <class T> void closePopover(QPointer<T>& popover);

    const ClockingSubject& m_subject;
    SelectieLijst* m_selectielijst;
    DataAccessObject* m_dao;
    QPointer<MainSynchroObject> m_engine;
    Inklokken m_inklokken;
    ClockChoice* m_clockChoice;

    int m_state = kRegistraties;
    Shown m_shown = Shown::Nothing;
    ManagedObject* m_shownPerson = nullptr; // the one child the table belongs to
    QString m_naam;
    QString m_volledigeNaam;
    QString m_groepen;
    QUrl m_photo;
    Activity m_activity = Activity::None;
    bool m_fading = false;
    QTimer m_animation;
    bool m_messageIsEditable = false;
    bool m_confirming = false; // a clock-in or clock-out confirmation awaits its answer
    bool m_namingSkipped = false; // the skipped are named: the panel stays until that is read

    QList<ManagedObject*> m_mijnRegistraties;
    QList<Product> m_mijnProducten;
    QList<Boodschap> m_mijnBoodschappen;
    QList<ManagedObject*> m_suggestiesArray;
    QHash<int, ManagedObject*> m_pendingDeletions; // dialog tag (row) -> registration
    DetailTableModel* m_table;
    PersonenModel* m_selectieModel;
    PersonenModel* m_suggestiesModel;
    QPointer<OptionsPopoverController> m_options;
    QPointer<MediaPickerViewController> m_mediaPicker;
    QString m_photoFor; // personId of the child the photo picker was opened for
    QPointer<TimeChangerViewController> m_timeChanger;
    QPointer<ProductadderViewController> m_productAdder;
    QPointer<ProductRemoverViewController> m_productRemover;
    int m_productRemoverRow = -1;
    QPointer<CreateBoodschapViewController> m_creator;
    bool m_askingToKeepText = false;
    std::optional<DoubleClocking> m_double;
};
