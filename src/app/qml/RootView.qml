import QtQuick
import QtQuick.Controls
import "../../support/qml"
import "../../children/qml"
import "../../roll/qml"

// The root screen: the login screen full-screen while nobody is logged in; after login the 200-point
// menu column on the left and the panel stack in the rest of the width. On an upright or narrow
// screen the panels take the whole width one at a time, under a bar with the menu button (the menu
// slides in as a drawer) and the way back. The login screen slides up out of view after a login;
// after a logout a new one fades in.
Item {
    id: root
    required property var controller
    readonly property bool loggedIn: controller ? controller.loggedIn : false
    // Two panels beside a menu column need about 900 points.
    readonly property bool compact: width < height || width < 900
    readonly property var stack: controller ? controller.stackScrollViewController : null

    Item {
        id: mainView
        objectName: "mainView"
        anchors.fill: parent
        visible: root.loggedIn

        MenuView {
            id: menuView
            objectName: "menuView"
            // Moved, not made anew, when the screen turns: its scroll position and state stay.
            parent: root.compact ? drawer.contentItem : mainView
            width: root.compact ? drawer.width : 200
            height: parent ? parent.height : 0
            controller: root.controller ? root.controller.menuViewController : null
            onChosen: drawer.close()
        }

        CompactBar {
            id: compactBar
            objectName: "compactBar"
            visible: root.compact
            width: parent.width
            stack: root.stack
            onMenuTapped: drawer.open()
        }

        StackScrollView {
            objectName: "stackScrollView"
            x: root.compact ? 0 : menuView.width
            y: root.compact ? compactBar.height : 0
            width: parent.width - x
            height: parent.height - y
            panelsInView: root.compact ? 1 : 2
            controller: root.stack
        }
        UndoBar {
            readonly property real leftEdge: root.compact ? 0 : menuView.width
            x: leftEdge + (parent.width - leftEdge - width) / 2
            y: parent.height - height - Theme.spacing
            width: Math.min(parent.width - leftEdge - 2 * Theme.spacing, 640)
            undo: root.controller ? root.controller.clockingUndo : null
        }
    }

    Drawer {
        id: drawer
        objectName: "menuDrawer"
        width: Math.min(320, root.width * 0.8)
        height: root.height
        edge: Qt.LeftEdge
        // A swipe from the edge opens it only where it is a drawer.
        interactive: root.compact && root.loggedIn
        Connections {
            target: root
            function onCompactChanged() { if (!root.compact) drawer.close() }
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
