import QtQuick

// Where a person's registrations stand with the server: 1 a small clock (not answered yet), 2 an
// attention mark (the send failed); nothing for 0.
Item {
    id: mark
    property int kind: 0
    implicitWidth: 22
    implicitHeight: 22
    visible: kind === 1 || kind === 2

    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: mark.kind === 2 ? "#c0392b" : "white"
        border.width: mark.kind === 2 ? 0 : 2
        border.color: "#7d8b95"
    }
    // The clock's hands: to twelve and to three.
    Rectangle {
        visible: mark.kind === 1
        x: parent.width / 2 - width / 2
        y: parent.height * 0.22
        width: 2
        height: parent.height * 0.3
        radius: 1
        color: "#5b6b76"
    }
    Rectangle {
        visible: mark.kind === 1
        x: parent.width / 2 - 1
        y: parent.height / 2 - height / 2
        width: parent.width * 0.26
        height: 2
        radius: 1
        color: "#5b6b76"
    }
    // The exclamation mark.
    Rectangle {
        visible: mark.kind === 2
        anchors.horizontalCenter: parent.horizontalCenter
        y: parent.height * 0.2
        width: Math.max(2, parent.width * 0.13)
        height: parent.height * 0.4
        radius: width / 2
        color: "white"
    }
    Rectangle {
        visible: mark.kind === 2
        anchors.horizontalCenter: parent.horizontalCenter
        y: parent.height * 0.67
        width: Math.max(2, parent.width * 0.14)
        height: width
        radius: width / 2
        color: "white"
    }
}
