import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The location list: the active locations by name; a tap chooses one.
Rectangle {
    id: view
    required property var controller
    color: "transparent"
    implicitWidth: 480
    implicitHeight: 300

    ListView {
        anchors.fill: parent
        anchors.margins: 1
        clip: true
        model: view.controller ? view.controller.schools : null
        ScrollIndicator.vertical: ScrollIndicator {}
        delegate: ListRow {
            required property int index
            required property string name
            imageSource: Theme.asset("177-building.png")
            placeholder: Theme.asset("177-building.png")
            title: name
            onClicked: if (view.controller) view.controller.tableViewDidSelectRow(index)
        }
    }
}
