import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The option texts of one row, one under the other; a tap hands the option's index to the controller.
Item {
    id: view
    required property var controller
    implicitWidth: controller ? controller.preferredWidth : 160
    implicitHeight: controller ? controller.preferredHeight : 90

    Column {
        anchors.fill: parent
        Repeater {
            model: view.controller ? view.controller.options : []
            delegate: ItemDelegate {
                required property int index
                required property string modelData
                objectName: "option" + index
                width: view.width
                height: view.height / Math.max(1, view.controller ? view.controller.options.length : 1)
                focusPolicy: Qt.NoFocus
                text: modelData
                font.pixelSize: Theme.fontNormal
                palette.text: modelData === qsTr("Verwijder") ? Theme.danger : Theme.ink
                background: Rectangle {
                    color: parent.down ? Theme.highlight : "transparent"
                    Rectangle {
                        visible: index > 0
                        width: parent.width
                        height: 1
                        color: Theme.separator
                    }
                }
                onClicked: if (view.controller) view.controller.select(index)
            }
        }
    }
}
