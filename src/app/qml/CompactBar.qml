import QtQuick
import "../../support/qml"

// The bar over the panels on an upright screen: the menu button (the menu is a drawer there), and
// the way back to the panel under the one in view and forward again; what was chosen stays chosen.
Rectangle {
    id: bar
    property var stack: null
    signal menuTapped()

    implicitHeight: Theme.touchTarget + Theme.spacing
    color: Theme.menuBackground

    TouchButton {
        id: menuButton
        objectName: "menuButton"
        x: Theme.spacing / 2
        anchors.verticalCenter: parent.verticalCenter
        implicitWidth: Math.max(Theme.touchTarget, contentItem.implicitWidth + leftPadding + rightPadding)
        leftPadding: 12
        rightPadding: 14
        text: qsTr("Menu")
        icon.source: Theme.asset("menu.png")
        onClicked: bar.menuTapped()
    }
    TouchButton {
        objectName: "backButton"
        anchors.left: menuButton.right
        anchors.leftMargin: Theme.spacing
        anchors.verticalCenter: parent.verticalCenter
        leftPadding: 12
        rightPadding: 14
        visible: bar.stack !== null && bar.stack.canGoBack
        text: qsTr("Terug")
        icon.source: Theme.asset("back.png")
        onClicked: bar.stack.goBack()
    }
    TouchButton {
        objectName: "forwardButton"
        anchors.right: parent.right
        anchors.rightMargin: Theme.spacing / 2
        anchors.verticalCenter: parent.verticalCenter
        leftPadding: 14
        rightPadding: 12
        visible: bar.stack !== null && bar.stack.canGoForward
        text: qsTr("Verder")
        icon.source: Theme.asset("forward.png")
        onClicked: bar.stack.goForward()
    }
    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: Theme.separator
    }
}
