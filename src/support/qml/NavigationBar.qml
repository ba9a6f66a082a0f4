import QtQuick

// The title bar on top of a panel; children go to the right-hand side (buttons).
Rectangle {
    id: bar
    property string title
    default property alias actions: actionRow.data

    implicitHeight: Theme.touchTarget + 8
    color: Theme.panel

    Text {
        anchors.left: parent.left
        anchors.leftMargin: Theme.spacing + 4
        anchors.right: actionRow.left
        anchors.rightMargin: Theme.spacing
        anchors.verticalCenter: parent.verticalCenter
        text: bar.title
        color: Theme.ink
        font.pixelSize: Theme.fontTitle
        font.bold: true
        elide: Text.ElideRight
    }
    Row {
        id: actionRow
        anchors.right: parent.right
        anchors.rightMargin: Theme.spacing
        anchors.verticalCenter: parent.verticalCenter
        spacing: Theme.spacing
    }
    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: Theme.separator
    }
}
