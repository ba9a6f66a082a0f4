import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The group picker: one section per group type with its groups, last "Geen Selectie" with
// "Wis Selectie". A tap hands the row to the controller.
Item {
    id: view
    required property var controller

    implicitWidth: 320
    implicitHeight: 420

    ListView {
        id: list
        objectName: "groupList"
        anchors.fill: parent
        clip: true
        model: view.controller ? view.controller.model : null
        ScrollIndicator.vertical: ScrollIndicator {}

        section.property: "section"
        section.delegate: Rectangle {
            required property string section
            width: ListView.view.width
            height: 34
            color: Theme.background
            Text {
                anchors.left: parent.left
                anchors.leftMargin: Theme.spacing
                anchors.verticalCenter: parent.verticalCenter
                text: parent.section
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontSmall
                font.bold: true
            }
        }

        delegate: ItemDelegate {
            id: row
            required property int index
            required property string groupName
            required property bool clear
            width: ListView.view.width
            height: Theme.touchTarget
            focusPolicy: Qt.NoFocus
            onClicked: if (view.controller) view.controller.didSelectRow(row.index)
            contentItem: Text {
                text: row.groupName
                color: row.clear ? Theme.danger : Theme.ink
                font.pixelSize: Theme.fontNormal
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }
            background: Rectangle {
                color: row.down ? Theme.highlight : Theme.panel
                Rectangle {
                    anchors.bottom: parent.bottom
                    x: Theme.spacing
                    width: parent.width - x
                    height: 1
                    color: Theme.separator
                }
            }
        }
    }
}
