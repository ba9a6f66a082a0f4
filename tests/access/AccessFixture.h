#pragma once
// Shared by the login and coupling tests: a demo tablet coupled the way the coupling screens leave it,
// lookups in the screen's models, and drawing a view offscreen while collecting QML warnings.
#include "LoginViewController.h"
#include "Resources.h"
#include "SecurityCentral.h"
#include "Tablet.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

namespace AccessFixture {

inline const QString kOrganisation = QStringLiteral("Demo Opvang");
inline const QString kOrganisationPassword = QStringLiteral("s3cret%");

// The organisation and its locations and staff in the store, and the defaults of a coupled tablet
// bound to the named location (no location chosen when it is empty). False when something is missing.
inline bool coupleDemoTablet(Tablet& tablet, const QString& location, QString* locationId = nullptr) {
    UserDefaults& d = UserDefaults::standard();
    if (!tablet.download())
        return false;
    if (location.isEmpty())
        return true;
    for (Entities* e : tablet.dao->loadSchoolsFromDataStore())
        if (e->name() == location) {
            d.setString(QStringLiteral("geselecteerdeschoolId"), e->idEntity());
            d.setString(QStringLiteral("geselecteerdeschoolNaam"), e->name());
            if (locationId)
                *locationId = e->idEntity();
            return !tablet.dao->getUsersForEntity(e->idEntity()).isEmpty();
        }
    return false;
}

// The tile names as the grid shows them.
inline QStringList tileNames(const LeerkrachtenModel* model) {
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row).data(LeerkrachtenModel::NameRole).toString();
    return names;
}

inline int rowOf(const LeerkrachtenModel* model, const QString& name) {
    return int(tileNames(model).indexOf(name));
}

inline QStringList& collectedWarnings() {
    static QStringList warnings;
    return warnings;
}

inline void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        collectedWarnings().append(message);
}

// Where the screenshots go: <build>/tests/screenshots.
inline QString screenshotDir() {
    QDir dir(QCoreApplication::applicationDirPath());
    dir.mkpath(QStringLiteral("screenshots"));
    return dir.filePath(QStringLiteral("screenshots"));
}

// Draws the controller's view in a 1024 x 768 window; warnings land in collectedWarnings().
class ViewWindow {
public:
    explicit ViewWindow(ScreenController* controller) {
        Resources::initCoreResources();
        collectedWarnings().clear();
        m_previous = qInstallMessageHandler(collectWarnings);
        m_view.setResizeMode(QQuickView::SizeRootObjectToView);
        m_view.resize(1024, 768);
        m_view.setInitialProperties(
            {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(controller)}});
        m_view.setSource(controller->viewUrl());
        m_view.show();
    }
    ~ViewWindow() { qInstallMessageHandler(m_previous); }
    bool exposed() { return QTest::qWaitForWindowExposed(&m_view); }
    QQuickItem* root() const { return m_view.rootObject(); }
    // Lets fades (1 s) and photo downloads finish, then saves <name>.png; returns the path.
    QString shoot(const QString& name, int settleMs = 1400) {
        QTest::qWait(settleMs);
        const QString path = QDir(screenshotDir()).filePath(name + QStringLiteral(".png"));
        m_view.grabWindow().save(path);
        return path;
    }

private:
    QtMessageHandler m_previous = nullptr;
    QQuickView m_view;
};

} // namespace AccessFixture
