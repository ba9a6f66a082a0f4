import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The emergency roll, full-screen: a red bar with the location, when the list was drawn, how fresh the
// tablet's data is, and "PDF" and "Sluit"; the count of people not yet ticked off pinned below it, and
// one large row per person present (photo, name, group, since when) with a box; a tap anywhere on a row
// ticks it. Everything is the controller's.
Rectangle {
    id: view
    required property var controller
    color: Theme.background

    // Nothing behind the roll may take a tap.
    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
    }

    Rectangle {
        id: bar
        width: parent.width
        height: 108
        color: Theme.danger
        Column {
            x: Theme.spacing * 2
            anchors.verticalCenter: parent.verticalCenter
            width: buttons.x - x - Theme.spacing
            Text {
                objectName: "rollTitle"
                width: parent.width
                text: view.controller ? view.controller.title : ""
                color: "white"
                font.pixelSize: 32
                font.bold: true
                elide: Text.ElideRight
            }
            Text {
                objectName: "rollSubtitle"
                width: parent.width
                text: view.controller ? view.controller.subtitle : ""
                color: "white"
                font.pixelSize: Theme.fontNormal
                elide: Text.ElideRight
            }
            // Offline, the list is only as good as the last refresh: that must stand out.
            Text {
                objectName: "rollFreshness"
                width: parent.width
                text: view.controller ? view.controller.freshness : ""
                color: "white"
                font.pixelSize: Theme.fontNormal
                font.bold: view.controller !== null && view.controller.offline
                elide: Text.ElideRight
            }
        }
        Row {
            id: buttons
            anchors.right: parent.right
            anchors.rightMargin: Theme.spacing * 2
            anchors.verticalCenter: parent.verticalCenter
            spacing: Theme.spacing
            Repeater {
                model: [
                    { name: "rollPdfButton", label: qsTr("PDF") },
                    { name: "rollCloseButton", label: qsTr("Sluit") }
                ]
                delegate: Button {
                    id: barButton
                    required property var modelData
                    required property int index
                    objectName: modelData.name
                    implicitWidth: 130
                    implicitHeight: Theme.touchTarget
                    focusPolicy: Qt.NoFocus
                    onClicked: {
                        if (!view.controller)
                            return
                        if (index === 0)
                            view.controller.writePdf()
                        else
                            view.controller.requestClose()
                    }
                    contentItem: Text {
                        text: barButton.modelData.label
                        color: barButton.down ? Theme.danger : "white"
                        font.pixelSize: 22
                        font.bold: true
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                    }
                    background: Rectangle {
                        radius: Theme.radius
                        color: barButton.down ? "white" : "transparent"
                        border.color: "white"
                        border.width: 2
                    }
                }
            }
        }
    }

    // The count stays in view whatever the list scrolls to.
    Rectangle {
        id: countBand
        anchors.top: bar.bottom
        width: parent.width
        height: 64
        color: view.controller && view.controller.uncheckedCount === 0 ? Theme.highlight : Theme.dangerGround
        Text {
            objectName: "rollCount"
            x: Theme.spacing * 2
            width: parent.width - 2 * x
            anchors.verticalCenter: parent.verticalCenter
            text: view.controller ? view.controller.countText : ""
            color: view.controller && view.controller.uncheckedCount === 0 ? Theme.accentPressed : Theme.danger
            font.pixelSize: 30
            font.bold: true
            elide: Text.ElideRight
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
        objectName: "rollList"
        anchors.top: countBand.bottom
        anchors.bottom: pdfLine.visible ? pdfLine.top : parent.bottom
        width: parent.width
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: view.controller ? view.controller.people : null
        ScrollIndicator.vertical: ScrollIndicator {}

        delegate: Rectangle {
            id: row
            required property int index
            required property string name
            required property string group
            required property string since
            required property url photo
            required property bool checked
            objectName: "rollRow"
            width: ListView.view.width
            height: 96
            color: rowTap.pressed ? Theme.highlight : row.checked ? Theme.checkedRow : Theme.panel

            TapHandler {
                id: rowTap
                onTapped: if (view.controller) view.controller.toggle(row.index)
            }

            Rectangle {
                id: box
                objectName: "rollBox"
                x: Theme.spacing * 2
                anchors.verticalCenter: parent.verticalCenter
                width: 52
                height: 52
                radius: 6
                color: row.checked ? Theme.accent : "white"
                border.width: row.checked ? 0 : 3
                border.color: Theme.ink
                CheckMark {
                    anchors.centerIn: parent
                    width: 44
                    height: 44
                    checked: row.checked
                    visible: row.checked
                }
            }
            PhotoImage {
                id: picture
                anchors.left: box.right
                anchors.leftMargin: Theme.spacing * 2
                anchors.verticalCenter: parent.verticalCenter
                width: 76
                height: 76
                source: row.photo
            }
            Column {
                anchors.left: picture.right
                anchors.leftMargin: Theme.spacing * 2
                anchors.right: sinceText.left
                anchors.rightMargin: Theme.spacing
                anchors.verticalCenter: parent.verticalCenter
                spacing: 2
                Text {
                    objectName: "rollName"
                    width: parent.width
                    text: row.name
                    color: row.checked ? Theme.inkSecondary : Theme.ink
                    font.pixelSize: 30
                    font.bold: true
                    font.strikeout: row.checked
                    elide: Text.ElideRight
                }
                Text {
                    width: parent.width
                    text: row.group
                    color: Theme.inkSecondary
                    font.pixelSize: Theme.fontLarge
                    elide: Text.ElideRight
                }
            }
            Text {
                id: sinceText
                anchors.right: parent.right
                anchors.rightMargin: Theme.spacing * 2
                anchors.verticalCenter: parent.verticalCenter
                width: 150
                horizontalAlignment: Text.AlignRight
                text: qsTr("sinds %1").arg(row.since)
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontLarge
            }
            Rectangle {
                anchors.bottom: parent.bottom
                width: parent.width
                height: 1
                color: Theme.separator
            }
        }
    }

    Rectangle {
        id: pdfLine
        anchors.bottom: parent.bottom
        width: parent.width
        height: 44
        visible: view.controller !== null && view.controller.pdfPath.length > 0
        color: Theme.panel
        Text {
            objectName: "rollPdfPath"
            x: Theme.spacing * 2
            width: parent.width - 2 * x
            anchors.verticalCenter: parent.verticalCenter
            text: view.controller ? qsTr("PDF bewaard in %1").arg(view.controller.pdfPath) : ""
            color: Theme.ink
            font.pixelSize: Theme.fontSmall
            elide: Text.ElideMiddle
        }
    }

    AlertDialog {
        objectName: "rollAlert"
        requests: view.controller ? view.controller.dialogs : null
    }
}
