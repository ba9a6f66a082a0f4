import QtQuick
import "../../support/qml"

// The bar under the panels after a clocking: what was clocked and "Ongedaan maken", for as long as the
// controller (ClockingUndo) offers it.
Rectangle {
    id: bar
    objectName: "undoBar"
    property var undo: null
    readonly property bool shown: undo !== null && undo.shown

    visible: shown
    implicitHeight: 72
    radius: Theme.radius
    color: Theme.ink
    border.color: Theme.shadow

    Text {
        id: label
        objectName: "undoText"
        anchors.left: parent.left
        anchors.leftMargin: Theme.spacing * 2
        anchors.right: button.left
        anchors.rightMargin: Theme.spacing
        anchors.verticalCenter: parent.verticalCenter
        text: bar.undo ? bar.undo.text : ""
        color: "white"
        font.pixelSize: Theme.fontLarge - 2
        elide: Text.ElideRight
    }
    TouchButton {
        id: button
        objectName: "undoButton"
        anchors.right: parent.right
        anchors.rightMargin: Theme.spacing
        anchors.verticalCenter: parent.verticalCenter
        primary: true
        text: bar.undo ? bar.undo.buttonTitle : ""
        font.bold: true
        onClicked: if (bar.undo) bar.undo.undo()
    }
}
