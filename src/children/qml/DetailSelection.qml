import QtQuick
import QtQuick.Controls
import "../../support/qml"

// Several people chosen: their pictures in a row, and "Actieve Selectie" with a wrench per person.
Item {
    id: part
    required property var controller
    // The panel: the options popover points at a wrench through it.
    property Item detail: null

    ListView {
        id: tableKinderen
        objectName: "tableKinderen"
        x: Theme.spacing
        y: Theme.spacing
        width: parent.width - 2 * Theme.spacing
        height: 64
        orientation: ListView.Horizontal
        spacing: 8
        interactive: part.controller ? part.controller.activityButton === 0 : true
        model: part.controller ? part.controller.selectie : null
        delegate: PhotoImage {
            required property url photo
            width: 64
            height: 64
            source: photo
        }
    }

    Rectangle {
        id: selectionBar
        anchors.top: tableKinderen.bottom
        anchors.topMargin: Theme.spacing
        width: parent.width
        height: 36
        color: "black"
        Text {
            x: Theme.spacing
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("Actieve Selectie")
            color: "white"
            font.pixelSize: Theme.fontNormal
            font.bold: true
        }
    }

    ListView {
        id: tableViewSelection
        objectName: "tableViewSelection"
        anchors.top: selectionBar.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        clip: true
        model: part.controller ? part.controller.selectie : null
        ScrollIndicator.vertical: ScrollIndicator {}
        delegate: Rectangle {
            id: member
            required property int index
            required property string name
            required property url photo
            width: ListView.view.width
            height: 60
            color: Theme.panel
            PhotoImage {
                id: memberPhoto
                x: Theme.spacing
                anchors.verticalCenter: parent.verticalCenter
                width: 44
                height: 44
                source: member.photo
            }
            Text {
                anchors.left: memberPhoto.right
                anchors.leftMargin: Theme.spacing
                anchors.right: memberWrench.left
                anchors.verticalCenter: parent.verticalCenter
                text: member.name
                color: Theme.ink
                font.pixelSize: Theme.fontNormal
                elide: Text.ElideRight
            }
            AbstractButton {
                id: memberWrench
                objectName: "wrenchButton"
                visible: part.controller ? part.controller.offersDeselect : true
                anchors.right: parent.right
                anchors.rightMargin: 4
                anchors.verticalCenter: parent.verticalCenter
                width: 48
                height: 48
                padding: 12
                focusPolicy: Qt.NoFocus
                onClicked: part.detail.showOptions(memberWrench, -96, member.index)
                contentItem: DetailIcon { kind: "wrench"; color: Theme.inkSecondary }
            }
            Rectangle {
                anchors.bottom: parent.bottom
                x: Theme.spacing
                width: parent.width - Theme.spacing
                height: 1
                color: Theme.separator
            }
        }
    }
}
