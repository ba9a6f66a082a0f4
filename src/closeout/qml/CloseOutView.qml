import QtQuick
import QtQuick.Controls
import "../../support/qml"
import "../../children/qml"

// The end of the day: the closing time on two wheels and the button that clocks the children and staff
// still In out at it, then what is still open: children In, staff clocked in, those registered ahead,
// changes not answered yet.
Rectangle {
    id: view
    objectName: "closeOutView"
    required property var controller
    color: Theme.panel

    NavigationBar {
        id: bar
        width: parent.width
        title: view.controller ? view.controller.title : ""
    }

    Rectangle {
        id: top
        anchors.top: bar.bottom
        width: parent.width
        height: topColumn.implicitHeight + 2 * Theme.spacing
        color: Theme.background

        Column {
            id: topColumn
            x: Theme.spacing
            y: Theme.spacing
            width: parent.width - 2 * Theme.spacing
            spacing: Theme.spacing / 2

            Row {
                width: parent.width
                height: 200
                spacing: Theme.spacing
                Text {
                    width: parent.width - wheels.width - Theme.spacing
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("Uur van uitklokken")
                    color: Theme.ink
                    font.pixelSize: Theme.fontNormal
                    wrapMode: Text.WordWrap
                }
                TimeChangerView {
                    id: wheels
                    objectName: "closingTimePicker"
                    width: 160
                    height: parent.height
                    controller: view.controller ? view.controller.timePicker : null
                }
            }
            TouchButton {
                objectName: "clockEveryoneOutButton"
                width: parent.width
                primary: true
                enabled: view.controller ? view.controller.childrenIn + view.controller.staffIn > 0 : false
                text: view.controller ? view.controller.clockOutTitle : ""
                onClicked: if (view.controller) view.controller.clockEveryoneOut()
            }
            Text {
                objectName: "closeOutSummary"
                width: parent.width
                text: view.controller ? view.controller.summary : ""
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontSmall
                wrapMode: Text.WordWrap
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
        objectName: "closeOutList"
        anchors.top: top.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: view.controller ? view.controller.items : null
        ScrollIndicator.vertical: ScrollIndicator {}

        section.property: "section"
        section.delegate: Rectangle {
            required property string section
            width: ListView.view.width
            height: 40
            color: Theme.highlight
            Text {
                x: Theme.spacing
                anchors.verticalCenter: parent.verticalCenter
                text: parent.section
                color: Theme.ink
                font.pixelSize: Theme.fontSmall
                font.bold: true
            }
        }

        delegate: Rectangle {
            id: row
            required property int index
            required property string title
            required property string detail
            required property int mark
            objectName: "closeOutRow" + index
            width: ListView.view.width
            height: 56
            color: Theme.panel
            SyncMark {
                id: markIcon
                x: Theme.spacing
                anchors.verticalCenter: parent.verticalCenter
                kind: row.mark
            }
            Column {
                anchors.left: row.mark > 0 ? markIcon.right : parent.left
                anchors.leftMargin: Theme.spacing
                anchors.right: parent.right
                anchors.rightMargin: Theme.spacing
                anchors.verticalCenter: parent.verticalCenter
                spacing: 2
                Text {
                    width: parent.width
                    text: row.title
                    color: Theme.ink
                    font.pixelSize: Theme.fontNormal
                    elide: Text.ElideRight
                }
                Text {
                    width: parent.width
                    text: row.detail
                    color: Theme.inkSecondary
                    font.pixelSize: Theme.fontSmall
                    elide: Text.ElideRight
                }
            }
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
