#pragma once
// The composition root: runs the start-up sequence, owns the store, the shared query object, the
// window and the two selection lists for the life of the process. Main thread.
#include "Store.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class DataAccessObject;
class IdleLock;
class Kiosk;
class ImageCache;
class Incubator;
class MainSynchroObject;
class Reachability;
class ObjectManager;
class OnScreenKeyboard;
class QLockFile;
class QQmlApplicationEngine;
class RootViewController;
class SelectieLijst;
class StoreFailureViewController;

class StackScrollViewAppDelegate : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString serverUrl READ serverUrl CONSTANT)
public:
    struct Options {
        QString storePath;    // empty: the application's data folder
        QString settingsPath; // empty: the platform's per-application settings
        QString serverUrl;    // empty: the saved one, else the build's default (see ServerAddress::configured)
        bool showWindow = true;
        bool kiosk = false; // also when the setting "cc_kiosk" is true
        bool startTimer = true;               // the engine's repeating check
        Reachability* reachability = nullptr; // empty: the platform's
        QString onScreenKeyboard;             // --keyboard auto|on|off; null: the setting
        QString picturesFolder;               // the photo grid's folder; empty: the platform's
    };

    explicit StackScrollViewAppDelegate(QObject* parent = nullptr);
    ~StackScrollViewAppDelegate() override;

    // The application's delegate (the latest one created), or nullptr.
    static StackScrollViewAppDelegate* instance();
    // The children's and the staff's selection lists of instance(), created on first use.
    static SelectieLijst* geselecteerdenLijst();
    static SelectieLijst* userGeselecteerdenLijst();

    // The start-up sequence. When the store cannot be opened, a screen says why (storeFailure()) and its
    // "Probeer opnieuw" continues the sequence once the store opens; false then without a window to
    // show it in. One app per store: while another holds the store, nothing of it or of the settings
    // is touched and the screen says that the app is already running.
    bool applicationDidFinishLaunching(const Options& options);
    void applicationWillResignActive() {}
    void applicationDidBecomeActive() {}
    void applicationWillTerminate() {}
    void applicationDidReceiveMemoryWarning() {}

    SelectieLijst* geselecteerden() const { return m_geselecteerden; }
    SelectieLijst* userGeselecteerden() const { return m_userGeselecteerden; }
    std::shared_ptr<Store> store() const { return m_store; }
    DataAccessObject* dataAccessObject() const { return m_dataAccessObject.get(); }
    ObjectManager* objectManager() const { return m_objectManager.get(); }
    MainSynchroObject* engine() const { return m_engine.get(); }
    ImageCache* imageCache() const { return m_imageCache.get(); }
    // The root screen: login screen, menu and panel stack (created by the start-up sequence).
    RootViewController* rootViewController() const { return m_rootViewController; }
    QQmlApplicationEngine* qmlEngine() const { return m_qml.get(); }
    // The screen shown while the store cannot be opened; nullptr once it is open.
    StoreFailureViewController* storeFailure() const { return m_storeFailure; }
    // Returns to the login grid after a time without touches (with a window only).
    IdleLock* idleLock() const { return m_idleLock; }
    QString serverUrl() const { return m_serverUrl; }
    // Whether and how the on-screen keyboard shows (with a window only).
    OnScreenKeyboard* onScreenKeyboard() const { return m_onScreenKeyboard; }
    // The kiosk start's guard (full screen, screen kept on, closing asks an administrator), or nullptr.
    Kiosk* kiosk() const { return m_kiosk; }

    // Sets "eersteKeer" to "neen" when absent or empty; any other value stays.
    static void applyEersteKeer();

    // The alert's tag in the root screen's dialogs when the store was found damaged and replaced.
    static constexpr int kSalvageTag = 62;
    // What that alert says (in Dutch): where the damaged file is, how many changes had not been sent
    // and how many of them go again. Empty when no damaged file was moved aside.
    static QString salvageNotice(const Store::Salvage& salvage);

signals:
    // The store opened after "Probeer opnieuw" and the app went on to its login screen.
    void storeOpened();

private:
    Store::OpenProblem takeInstanceLock(QString* error);
    bool openStore();
    void finishLaunching();
    bool loadWindow();
    void retryOpeningStore();

    // Declared first: held until everything else using the store is gone.
    std::unique_ptr<QLockFile> m_instanceLock;
    Options m_options;
    QString m_storePath;
    StoreFailureViewController* m_storeFailure = nullptr;
    IdleLock* m_idleLock = nullptr;
    OnScreenKeyboard* m_onScreenKeyboard = nullptr;
    Kiosk* m_kiosk = nullptr;
    std::shared_ptr<Store> m_store;
    std::unique_ptr<DataAccessObject> m_dataAccessObject;
    std::unique_ptr<ObjectManager> m_objectManager;
    std::unique_ptr<ImageCache> m_imageCache;
    Reachability* m_reachability = nullptr;
    std::unique_ptr<MainSynchroObject> m_engine;
    std::unique_ptr<Incubator> m_incubator; // declared first: outlives the engine that uses it
    std::unique_ptr<QQmlApplicationEngine> m_qml;
    RootViewController* m_rootViewController = nullptr;
    SelectieLijst* m_geselecteerden = nullptr;
    SelectieLijst* m_userGeselecteerden = nullptr;
    QString m_serverUrl;
};
