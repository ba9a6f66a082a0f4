import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The one row of a product's popover: "Verwijder".
Rectangle {
    id: view
    required property var controller
    implicitWidth: 200
    implicitHeight: 40
    color: Theme.panel
    radius: Theme.radius

    ItemDelegate {
        objectName: "verwijder"
        anchors.fill: parent
        focusPolicy: Qt.NoFocus
        contentItem: Text {
            text: qsTr("Verwijder")
            color: Theme.danger
            font.pixelSize: Theme.fontNormal
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        onClicked: if (view.controller) view.controller.verwijder()
    }
}
