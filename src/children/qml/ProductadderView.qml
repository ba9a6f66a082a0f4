import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The product choice: one row per product; choosing one notes it.
Rectangle {
    id: view
    required property var controller
    implicitWidth: 150
    implicitHeight: 140
    color: Theme.panel
    radius: Theme.radius
    clip: true

    ListView {
        id: list
        objectName: "productList"
        anchors.fill: parent
        interactive: false
        model: view.controller ? view.controller.choices : null
        delegate: ItemDelegate {
            required property int index
            required property string name
            width: ListView.view.width
            height: Math.floor(ListView.view.height / Math.max(1, ListView.view.count))
            text: name
            font.pixelSize: Theme.fontNormal
            focusPolicy: Qt.NoFocus
            onClicked: if (view.controller) view.controller.chooseRow(index)
        }
    }
}
