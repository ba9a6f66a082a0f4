import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The profile sheet: one row per device profile, a tick on the chosen one, "Bewaar" at the top right.
Rectangle {
    id: view
    required property var controller
    color: Theme.panel
    implicitWidth: 560
    implicitHeight: 600

    NavigationBar {
        id: bar
        width: parent.width
        title: view.controller ? view.controller.title : ""
        TouchButton {
            primary: true
            text: qsTr("Bewaar")
            onClicked: if (view.controller) view.controller.selectProfile()
        }
    }

    ListView {
        anchors.top: bar.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        clip: true
        model: view.controller ? view.controller.deviceArray : null
        ScrollIndicator.vertical: ScrollIndicator {}
        delegate: ListRow {
            required property int index
            required property string name
            required property bool ticked
            showImage: false
            title: name
            selectedRow: ticked
            accessoryText: ticked ? "\u2713" : ""
            onClicked: if (view.controller) view.controller.tableViewDidSelectRow(index)
        }
    }

    AlertDialog { requests: view.controller ? view.controller.dialogs : null }
}
