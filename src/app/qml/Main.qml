import QtQuick
import QtQuick.Controls
import "qrc:/cc/support/qml"
import "qrc:/cc/app/qml"

// The application's window: a landscape tablet screen showing the root screen, with the alerts and
// the progress overlay the synchronisation engine asks for on top of everything.
ApplicationWindow {
    id: window
    required property var controller
    width: 1024
    height: 768
    visible: true
    title: qsTr("Kinderopvang")
    color: Theme.background

    RootView {
        objectName: "rootView"
        anchors.fill: parent
        controller: window.controller
    }
    AlertDialog {
        objectName: "rootAlert"
        requests: window.controller ? window.controller.dialogs : null
    }
    ProgressOverlay {
        objectName: "rootOverlay"
        requests: window.controller ? window.controller.dialogs : null
    }
}
