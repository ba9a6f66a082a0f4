import QtQuick
import QtQuick.Controls
import "../../support/qml"

// Relatives of the chosen child, offered for a tap that adds them to the selection.
Item {
    id: part
    required property var controller
    readonly property int count: controller ? controller.suggesties.count : 0
    implicitHeight: count > 0 ? 104 : 0
    visible: count > 0
    clip: true

    Text {
        x: Theme.spacing
        y: 6
        text: qsTr("Suggesties")
        color: Theme.inkSecondary
        font.pixelSize: Theme.fontSmall
    }
    ListView {
        id: tableSuggesties
        objectName: "tableSuggesties"
        x: Theme.spacing
        y: 28
        width: parent.width - 2 * Theme.spacing
        height: 72
        orientation: ListView.Horizontal
        spacing: 10
        model: part.controller ? part.controller.suggesties : null
        delegate: ItemDelegate {
            required property int index
            required property string name
            required property url photo
            width: 64
            height: 72
            padding: 0
            focusPolicy: Qt.NoFocus
            background: null
            onClicked: if (part.controller) part.controller.suggestieTapped(index)
            contentItem: Column {
                spacing: 2
                PhotoImage {
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: 48
                    height: 48
                    source: photo
                }
                Text {
                    width: 64
                    text: name
                    horizontalAlignment: Text.AlignHCenter
                    elide: Text.ElideRight
                    color: Theme.ink
                    font.pixelSize: Theme.fontSmall - 2
                }
            }
        }
    }
}
