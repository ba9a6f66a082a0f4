import QtQuick
import QtQuick.Controls

ApplicationWindow {
    id: window
    width: 1024
    height: 768
    visible: true
    title: "Kinderopvang"
    color: "#f4f1ea"

    Column {
        anchors.centerIn: parent
        spacing: 16
        Label {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Kinderopvang"
            font.pixelSize: 48
            color: "#2f4f2f"
        }
        Label {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Server: " + (appDelegate ? appDelegate.serverUrl : "")
            font.pixelSize: 20
        }
    }
}
