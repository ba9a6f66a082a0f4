import QtQuick
import "../../support/qml"
import "../../children/qml"
import "../../roll/qml"

// The root screen: the login screen full-screen while nobody is logged in; after login the 200-point
// menu column on the left and the panel stack in the rest of the width. The login screen slides up out
// of view after a login; after a logout a new one fades in.
Item {
    id: root
    required property var controller
    readonly property bool loggedIn: controller ? controller.loggedIn : false

    Item {
        id: mainView
        objectName: "mainView"
        anchors.fill: parent
        visible: root.loggedIn

        MenuView {
            id: menuView
            objectName: "menuView"
            width: 200
            height: parent.height
            controller: root.controller ? root.controller.menuViewController : null
        }
        StackScrollView {
            objectName: "stackScrollView"
            x: menuView.width
            width: parent.width - menuView.width
            height: parent.height
            controller: root.controller ? root.controller.stackScrollViewController : null
        }
        UndoBar {
            x: menuView.width + (parent.width - menuView.width - width) / 2
            y: parent.height - height - Theme.spacing
            width: Math.min(parent.width - menuView.width - 2 * Theme.spacing, 640)
            undo: root.controller ? root.controller.clockingUndo : null
        }
    }

    // The emergency roll over everything while it is open.
    Loader {
        id: rollLoader
        objectName: "rollLoader"
        anchors.fill: parent
        z: 2
        readonly property var roll: root.controller && root.controller.menuViewController
                                    ? root.controller.menuViewController.emergencyRoll : null
        active: roll !== null
        sourceComponent: EmergencyRollView {
            objectName: "emergencyRollView"
            controller: rollLoader.roll
        }
    }

    ScreenLoader {
        id: login
        objectName: "loginLoader"
        width: root.width
        height: root.height
        // Keeps the login view in front of the main view while it slides away.
        z: 1
    }

    NumberAnimation {
        id: slideUp
        target: login
        property: "y"
        to: -root.height
        duration: 350
        easing.type: Easing.InCubic
        onStopped: {
            if (!root.controller || !root.controller.loginViewController)
                login.source = ""
        }
    }
    NumberAnimation {
        id: fadeIn
        target: login
        property: "opacity"
        from: 0
        to: 1
        duration: 350
    }

    property bool _shownBefore: false
    property var _shownScreen: null

    function _syncLogin() {
        const screen = controller ? controller.loginViewController : null
        if (screen === _shownScreen && (!screen || login.item))
            return
        _shownScreen = screen
        if (screen) {
            slideUp.stop()
            login.y = 0
            login.setSource(screen.viewUrl, { controller: screen })
            if (_shownBefore) {
                login.opacity = 0
                fadeIn.restart()
            }
            _shownBefore = true
        } else if (login.item) {
            slideUp.restart()
        }
    }

    Connections {
        target: root.controller
        ignoreUnknownSignals: true
        function onLoginViewControllerChanged() { root._syncLogin() }
    }
    // The root controller comes later when the store opened only after "Probeer opnieuw".
    onControllerChanged: _syncLogin()
    Component.onCompleted: _syncLogin()
}
