import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The photo picker: its title and one row per offered source. The photo grid opens over the window
// when the controller opens a photo folder; the camera source shows a shutter.
Rectangle {
    id: view
    objectName: "mediaPickerView"
    required property var controller
    readonly property int openSource: controller ? controller.openSource : -1

    implicitWidth: 300
    implicitHeight: 44 + Math.max(1, list.count) * Theme.touchTarget
    color: Theme.panel
    radius: Theme.radius

    Component.onCompleted: if (controller) controller.viewDidLoad()

    Text {
        id: titleText
        objectName: "pickerTitle"
        width: parent.width
        height: 44
        text: view.controller ? view.controller.title : ""
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        color: Theme.ink
        font.pixelSize: Theme.fontNormal
        font.bold: true
    }

    ListView {
        id: list
        objectName: "sourceList"
        anchors.top: titleText.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        clip: true
        visible: view.openSource !== 0
        model: view.controller ? view.controller.sources : null
        delegate: ItemDelegate {
            id: row
            required property int index
            required property string title
            objectName: "source" + index
            width: ListView.view.width
            height: Theme.touchTarget
            focusPolicy: Qt.NoFocus
            enabled: !(view.controller && view.controller.busy)
            onClicked: if (view.controller) view.controller.didSelectRow(row.index)
            contentItem: Text {
                text: row.title
                color: Theme.ink
                font.pixelSize: Theme.fontNormal
                verticalAlignment: Text.AlignVCenter
            }
            background: Rectangle { color: row.down ? Theme.highlight : Theme.panel }
        }
    }

    // The camera is open: no preview on this platform, a shutter and a way back.
    Row {
        anchors.top: titleText.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: Theme.spacing
        visible: view.openSource === 0
        TouchButton {
            objectName: "shutter"
            primary: true
            text: qsTr("Neem een foto")
            onClicked: if (view.controller) view.controller.capturePhoto()
        }
        TouchButton {
            text: qsTr("Annuleer")
            onClicked: if (view.controller) view.controller.imagePickerControllerDidCancel()
        }
    }

    BusyIndicator {
        anchors.centerIn: parent
        running: view.controller !== null && view.controller.busy
        visible: running
    }

    PhotoGrid {
        picker: view.controller
        visible: view.openSource === 1 || view.openSource === 2
    }

    AlertDialog { requests: view.controller ? view.controller.dialogs : null }
}
