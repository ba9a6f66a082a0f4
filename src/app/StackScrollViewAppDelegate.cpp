#include "StackScrollViewAppDelegate.h"

#include "DataAccessObject.h"
#include "DialogRequests.h"
#include "IdleLock.h"
#include "Kiosk.h"
#include "ImageCache.h"
#include "Incubator.h"
#include "Log.h"
#include "MainSynchroObject.h"
#include "media/MediaPickerViewController.h"
#include "ObjectManager.h"
#include "OnScreenKeyboard.h"
#include "PrivateFiles.h"
#include "Reachability.h"
#include "Resources.h"
#include "RootViewController.h"
#include "SelectieLijst.h"
#include "ServerAddress.h"
#include "Store.h"
#include "StoreFailureViewController.h"
#include "UserDefaults.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QWindow>

namespace {
StackScrollViewAppDelegate* theInstance = nullptr;
}

StackScrollViewAppDelegate::StackScrollViewAppDelegate(QObject* parent)
    : QObject(parent) {
    theInstance = this;
}

StackScrollViewAppDelegate::~StackScrollViewAppDelegate() {
    m_qml.reset();
    // The screens use the engine and the store: they go first.
    delete m_rootViewController; // with the idle lock it owns
    m_rootViewController = nullptr;
    m_idleLock = nullptr;
    if (MainSynchroObject::sharedMainSynchroObject() == m_engine.get())
        MainSynchroObject::setSharedMainSynchroObject(nullptr);
    m_engine.reset();
    if (ImageCache::shared() == m_imageCache.get())
        ImageCache::setShared(nullptr);
    m_imageCache.reset();
    if (ObjectManager::sharedManager() == m_objectManager.get())
        ObjectManager::setSharedManager(nullptr);
    m_objectManager.reset();
    if (theInstance == this)
        theInstance = nullptr;
}

StackScrollViewAppDelegate* StackScrollViewAppDelegate::instance() {
    return theInstance;
}

SelectieLijst* StackScrollViewAppDelegate::geselecteerdenLijst() {
    if (!theInstance)
        return nullptr;
    if (!theInstance->m_geselecteerden) {
        CC_LOG(QStringLiteral("geselecteerden worden geinitialiseerd "));
        theInstance->m_geselecteerden = new SelectieLijst(theInstance);
    }
    return theInstance->m_geselecteerden;
}

SelectieLijst* StackScrollViewAppDelegate::userGeselecteerdenLijst() {
    if (!theInstance)
        return nullptr;
    if (!theInstance->m_userGeselecteerden) {
        CC_LOG(QStringLiteral("geselecteerden worden geinitialiseerd "));
        theInstance->m_userGeselecteerden = new SelectieLijst(theInstance);
    }
    return theInstance->m_userGeselecteerden;
}

bool StackScrollViewAppDelegate::applicationDidFinishLaunching(const Options& options) {
    m_options = options;
    MediaPickerViewController::setPicturesFolder(options.picturesFolder);

    // The data folder goes to the log first (the HTTP layer logs through the same lines).
    m_storePath = options.storePath.isEmpty() ? Store::defaultPath() : options.storePath;
    Log::bare(QUrl::fromLocalFile(QFileInfo(m_storePath).absolutePath() + QLatin1Char('/')).toString());

    const bool opened = openStore();
    if (opened)
        finishLaunching();
    // Without its window the app would run on unseen: it ends instead, and says why in the log.
    if (options.showWindow && !loadWindow())
        return false;

    // First-run flag, by the app that holds the store only.
    if (m_instanceLock)
        applyEersteKeer();
    return opened || options.showWindow;
}

// A second app on the same store would keep settings of its own in memory and send the same queue.
Store::OpenProblem StackScrollViewAppDelegate::takeInstanceLock(QString* error) {
    if (m_instanceLock)
        return Store::OpenProblem::None;
    PrivateFiles::makeFolder(QFileInfo(m_storePath).absolutePath());
    auto lock = std::make_unique<QLockFile>(m_storePath + QStringLiteral(".lock"));
    // Never stale by age: only when the process that took it is gone (a crash, a power cut).
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError) {
            *error = QStringLiteral("the lock file %1 cannot be made").arg(lock->fileName());
            return Store::OpenProblem::NoAccess;
        }
        qint64 pid = 0;
        QString host, app;
        lock->getLockInfo(&pid, &host, &app);
        *error = QStringLiteral("it is in use by process %1 of this tablet").arg(pid);
        return Store::OpenProblem::InUse;
    }
    PrivateFiles::tighten(lock->fileName());
    m_instanceLock = std::move(lock);
    // The settings are read once the store is ours: the other app may still have been writing them.
    if (!m_options.settingsPath.isEmpty())
        UserDefaults::setStandard(std::make_shared<UserDefaults>(m_options.settingsPath));
    return Store::OpenProblem::None;
}

bool StackScrollViewAppDelegate::openStore() {
    QString error;
    Store::OpenProblem problem = takeInstanceLock(&error);
    if (problem == Store::OpenProblem::None) {
        m_store = Store::open(m_storePath, &error, &problem);
        if (m_store)
            return true;
    }
    CC_LOG(QStringLiteral("the local store cannot be used: %1").arg(error));
    // Said on a screen of its own rather than by vanishing; the file stays as it is.
    if (m_storeFailure) {
        m_storeFailure->retryFailed(problem);
    } else {
        m_storeFailure = new StoreFailureViewController(problem, this);
        connect(m_storeFailure, &StoreFailureViewController::retryRequested, this,
                &StackScrollViewAppDelegate::retryOpeningStore, Qt::QueuedConnection);
    }
    return false;
}

void StackScrollViewAppDelegate::retryOpeningStore() {
    if (m_store || !openStore())
        return;
    applyEersteKeer(); // not done yet when another app held the store at the start
    finishLaunching();
    if (m_qml && !m_qml->rootObjects().isEmpty()) {
        QObject* window = m_qml->rootObjects().first();
        window->setProperty("controller", QVariant::fromValue<QObject*>(m_rootViewController));
        window->setProperty("storeFailure", QVariant::fromValue<QObject*>(nullptr));
    }
    m_storeFailure->deleteLater(); // its button's call is still on the stack
    m_storeFailure = nullptr;
    emit storeOpened();
}

void StackScrollViewAppDelegate::finishLaunching() {
    // The shared query object over the store; the object manager for the base URL over this store
    // (envelope, mappings, routes, JSON bodies and the request time-out are its own); the engine over
    // both, which starts its timer.
    const Options& options = m_options;
    m_dataAccessObject = std::make_unique<DataAccessObject>(m_store);
    m_serverUrl = ServerAddress::configured(options.serverUrl, UserDefaults::standard(),
                                            QStringLiteral(CC_DEFAULT_SERVER_URL));
    m_objectManager = std::make_unique<ObjectManager>(m_store, QUrl(m_serverUrl));
    ObjectManager::setSharedManager(m_objectManager.get());
    m_imageCache =
        std::make_unique<ImageCache>(QFileInfo(m_storePath).absolutePath() + QStringLiteral("/images"));
    ImageCache::setShared(m_imageCache.get());
    if (options.reachability)
        m_reachability = options.reachability;
    else
        m_reachability = new SystemReachability(this);
    m_engine =
        std::make_unique<MainSynchroObject>(m_dataAccessObject.get(), m_objectManager.get(), m_reachability);
    MainSynchroObject::setSharedMainSynchroObject(m_engine.get());
    m_engine->setImageCache(m_imageCache.get()); // new photos are cached under their keys
    if (options.startTimer)
        m_engine->start();

    // The root screen (it shows the login screen); with a window, the lock after idle time.
    m_rootViewController = new RootViewController(m_engine.get(), m_dataAccessObject.get(), this);
    if (options.showWindow)
        m_idleLock = new IdleLock(m_rootViewController, m_rootViewController);

    // A damaged store was replaced by a fresh one: the staff must know what did not reach the server.
    const QString notice = salvageNotice(m_store->salvage());
    if (!notice.isEmpty())
        QTimer::singleShot(0, m_rootViewController, [root = m_rootViewController, notice] {
            root->dialogs()->alert(tr("Beschadigde gegevens"), notice, {tr("Ok")}, kSalvageTag);
        });
}

QString StackScrollViewAppDelegate::salvageNotice(const Store::Salvage& salvage) {
    if (salvage.movedAsideTo.isEmpty())
        return QString();
    QString text = tr("Het bestand met de gegevens van deze tablet was beschadigd en werd opzijgezet als %1.")
                       .arg(QDir::toNativeSeparators(salvage.movedAsideTo));
    if (salvage.unsent == 0)
        return text + QLatin1Char(' ') + tr("Er wachtten geen wijzigingen meer op verzending.");
    text += QLatin1Char(' ') + tr("%1 wijzigingen waren nog niet naar de server verzonden; %2 daarvan "
                                  "worden opnieuw verzonden.")
                                   .arg(salvage.unsent)
                                   .arg(salvage.requeued);
    if (salvage.requeued < salvage.unsent)
        text += QLatin1Char(' ') + tr("De andere konden niet meer gelezen worden: contacteer de technische "
                                      "hulp van je organisatie en bewaar dat bestand.");
    return text;
}

bool StackScrollViewAppDelegate::loadWindow() {
    // The window draws the root screen, or the store's failure screen until the store opens.
    Resources::initCoreResources();
    m_qml = std::make_unique<QQmlApplicationEngine>();
    m_incubator = std::make_unique<Incubator>();
    m_qml->setIncubationController(m_incubator.get());
    m_qml->rootContext()->setContextProperty(QStringLiteral("appDelegate"), this);
    m_qml->addImageProvider(QLatin1String(ThumbnailProvider::kProviderId), new ThumbnailProvider);
    m_onScreenKeyboard = new OnScreenKeyboard(m_options.onScreenKeyboard, this);
    if (m_options.kiosk || Kiosk::isSetIn(UserDefaults::standard()))
        m_kiosk = new Kiosk([this] { return m_dataAccessObject.get(); }, this);
    m_qml->setInitialProperties(
        {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(m_rootViewController)},
         {QStringLiteral("storeFailure"), QVariant::fromValue<QObject*>(m_storeFailure)},
         {QStringLiteral("keyboard"), QVariant::fromValue<QObject*>(m_onScreenKeyboard)},
         {QStringLiteral("kiosk"), QVariant::fromValue<QObject*>(m_kiosk)}});
    m_qml->load(Resources::qmlUrl(QStringLiteral("app/qml/Main.qml")));
    if (m_qml->rootObjects().isEmpty()) {
        CC_LOG(QStringLiteral("the main window could not be loaded"));
        return false;
    }
    auto* window = qobject_cast<QQuickWindow*>(m_qml->rootObjects().constFirst());
    m_onScreenKeyboard->watch(window);
    if (m_kiosk)
        m_kiosk->coverScreen(window);
    return true;
}

void StackScrollViewAppDelegate::applyEersteKeer() {
    UserDefaults& defaults = UserDefaults::standard();
    if (defaults.stringForKey(QStringLiteral("eersteKeer")).isEmpty()) {
        defaults.setString(QStringLiteral("eersteKeer"), QStringLiteral("neen"));
        defaults.synchronize();
    }
}
