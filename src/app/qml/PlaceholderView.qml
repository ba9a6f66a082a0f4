import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The panel of a screen still to come: it names the screen and what it will do; the staff member's
// own page already offers logging out.
Rectangle {
    id: view
    required property var controller
    color: Theme.background

    NavigationBar {
        id: bar
        width: parent.width
        title: view.controller ? view.controller.title : ""
    }

    Column {
        anchors.top: bar.bottom
        anchors.topMargin: 72
        x: 32
        width: parent.width - 64
        spacing: 18

        Image {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 96
            height: 96
            source: view.controller ? view.controller.iconUrl : ""
            fillMode: Image.PreserveAspectFit
            opacity: 0.6
        }
        Text {
            objectName: "placeholderMessage"
            width: parent.width
            text: view.controller ? view.controller.message : ""
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            color: Theme.ink
            font.pixelSize: Theme.fontTitle
            font.bold: true
        }
        Text {
            width: parent.width
            text: view.controller ? view.controller.description : ""
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            color: Theme.inkSecondary
            font.pixelSize: Theme.fontNormal
        }
        TouchButton {
            objectName: "logoutButton"
            anchors.horizontalCenter: parent.horizontalCenter
            visible: view.controller ? view.controller.offersLogout : false
            primary: true
            text: qsTr("Afmelden")
            onClicked: if (view.controller) view.controller.logout()
        }
    }
}
