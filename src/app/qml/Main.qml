import QtQuick
import QtQuick.Controls
import "qrc:/cc/support/qml"
import "qrc:/cc/app/qml"

// The application's window: a landscape tablet screen showing the root screen, with the alerts and
// the progress overlay the synchronisation engine asks for on top of everything.
ApplicationWindow {
    id: window
    // null while the store cannot be opened: storeFailure says why until "Probeer opnieuw" succeeds.
    required property var controller
    property var storeFailure: null
    // The OnScreenKeyboard: whether and how the keyboard shows; null without one.
    property var keyboard: null
    // A kiosk start (Kiosk): full screen without decorations; closing asks an administrator.
    property var kiosk: null
    width: 1024
    height: 768
    visible: true
    flags: kiosk ? (Qt.Window | Qt.FramelessWindowHint) : Qt.Window
    visibility: kiosk ? Window.FullScreen : Window.AutomaticVisibility
    onClosing: (close) => { if (kiosk && !kiosk.mayClose()) close.accepted = false }
    title: qsTr("Kinderopvang")
    color: Theme.background

    RootView {
        objectName: "rootView"
        anchors.fill: parent
        visible: window.controller !== null
        controller: window.controller
    }
    Loader {
        objectName: "storeFailureLoader"
        anchors.fill: parent
        active: window.storeFailure !== null
        sourceComponent: StoreFailureView {
            objectName: "storeFailureView"
            controller: window.storeFailure
        }
    }
    AlertDialog {
        objectName: "rootAlert"
        requests: window.controller ? window.controller.dialogs : null
    }
    ProgressOverlay {
        objectName: "rootOverlay"
        requests: window.controller ? window.controller.dialogs : null
    }
    // Above the popups' layer, beside it rather than in it: a modal popup's field is typed on it too,
    // and a key's tap is no tap outside that popup.
    Loader {
        objectName: "keyboardLoader"
        parent: Overlay.overlay.parent
        anchors.fill: parent
        z: Overlay.overlay.z + 1
        active: window.keyboard !== null && window.keyboard.available
        Component.onCompleted: setSource("KeyboardPanel.qml", { controller: window.keyboard })
    }
    KioskExitDialog {
        objectName: "kioskExitDialog"
        kiosk: window.kiosk
    }
    Connections {
        target: window.kiosk
        ignoreUnknownSignals: true
        function onLeave() { window.close() }
    }
}
