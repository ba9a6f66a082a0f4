import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The children of a group: "Selecteer Alle" and "Deselecteer Alle" above the list. The mark of a row
// is its selection button; a press held for a second on a row (followed while the finger moves) is a
// long press. Both go to the controller; a tap elsewhere on a row does nothing.
Rectangle {
    id: view
    required property var controller
    color: Theme.panel

    function longPressAt(item, x, y) {
        if (!view.controller)
            return
        const p = item.mapToItem(list.contentItem, x, y)
        view.controller.handleLongPress(list.indexAt(p.x, p.y))
    }

    NavigationBar {
        id: bar
        width: parent.width
        title: view.controller ? view.controller.title : ""

        BusyIndicator {
            objectName: "activityView"
            width: 36
            height: 36
            running: view.controller ? view.controller.selecting : false
            visible: running
        }
    }

    Rectangle {
        id: header
        anchors.top: bar.bottom
        width: parent.width
        height: buttons.height + 2 * Theme.spacing
        color: Theme.background

        Row {
            id: buttons
            x: Theme.spacing
            y: Theme.spacing
            width: parent.width - 2 * Theme.spacing
            spacing: Theme.spacing
            TouchButton {
                objectName: "selectAllButton"
                width: (buttons.width - buttons.spacing) / 2
                primary: true
                text: qsTr("Selecteer Alle")
                enabled: view.controller ? !view.controller.selecting : false
                onClicked: if (view.controller) view.controller.selectAllWithAnimation()
            }
            TouchButton {
                objectName: "deselectAllButton"
                width: (buttons.width - buttons.spacing) / 2
                text: qsTr("Deselecteer Alle")
                enabled: view.controller ? !view.controller.selecting : false
                onClicked: if (view.controller) view.controller.deselectAll()
            }
        }
        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: Theme.separator
        }
    }

    ListView {
        id: list
        objectName: "leerlingenList"
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        clip: true
        reuseItems: true
        boundsBehavior: Flickable.StopAtBounds
        model: view.controller ? view.controller.model : null
        ScrollIndicator.vertical: ScrollIndicator {}

        delegate: PersonRow {
            id: personRow
            required index
            required name
            required groups
            required time
            required warning
            required presence
            required selected
            required photo
            required syncMark
            selectionButtonOnly: true
            onTapped: if (view.controller) view.controller.doMultiSelect(personRow.index)
            onHeld: (x, y) => view.longPressAt(personRow, x, y)
        }
    }
}
