import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The top of a detail panel: the photo, the name (first and last name, the groups under it), the
// clock-in and clock-out buttons and the time and day choice.
Rectangle {
    id: part
    required property var controller
    readonly property bool single: controller ? controller.single : false
    // The photo, for the photo picker to open under it.
    readonly property alias imageView: imageView

    implicitHeight: headerColumn.implicitHeight + 2 * Theme.spacing
    color: Theme.panel

    Column {
        id: headerColumn
        x: Theme.spacing
        y: Theme.spacing
        width: parent.width - 2 * Theme.spacing
        spacing: Theme.spacing

        Row {
            width: parent.width
            spacing: Theme.spacing
            PhotoImage {
                id: imageView
                objectName: "imageView"
                visible: part.single
                width: 88
                height: 88
                source: part.controller ? part.controller.photo : ""
                // The photo button (overlay): a new photo for the one selected child.
                TapHandler {
                    enabled: part.controller !== null && part.controller.overlayActive
                    onTapped: part.controller.changeAvatar()
                }
            }
            // The whole name (two children may share a first name) and the groups under it.
            Column {
                width: parent.width - (imageView.visible ? imageView.width + parent.spacing : 0)
                height: Math.max(88, implicitHeight)
                spacing: 2
                topPadding: Math.max(0, (88 - naamLabel.implicitHeight - (groepLabel.visible ? groepLabel.implicitHeight + spacing : 0)) / 2)
                Text {
                    id: naamLabel
                    objectName: "naamLabel"
                    width: parent.width
                    text: part.controller ? part.controller.volledigeNaam : ""
                    color: Theme.ink
                    font.pixelSize: Theme.fontTitle + 4
                    font.bold: true
                    wrapMode: Text.Wrap
                    maximumLineCount: 2
                    elide: Text.ElideRight
                }
                Text {
                    id: groepLabel
                    objectName: "groepLabel"
                    width: parent.width
                    visible: text !== ""
                    text: part.controller ? part.controller.groepen : ""
                    color: Theme.inkSecondary
                    font.pixelSize: Theme.fontNormal
                    wrapMode: Text.Wrap
                    maximumLineCount: 2
                    elide: Text.ElideRight
                }
            }
        }

        Row {
            id: clockButtons
            width: parent.width
            spacing: Theme.spacing
            Repeater {
                model: [
                    { name: "enterButton", label: qsTr("Inklokken"), icon: "in", activity: 1 },
                    { name: "exitButton", label: qsTr("Uitklokken"), icon: "out", activity: 2 }
                ]
                delegate: Item {
                    id: clockButton
                    required property var modelData
                    readonly property bool busy: part.controller !== null
                                                 && part.controller.activityButton === modelData.activity
                    width: (clockButtons.width - clockButtons.spacing) / 2
                    height: 64
                    TouchButton {
                        objectName: clockButton.modelData.name
                        anchors.fill: parent
                        primary: clockButton.modelData.activity === 1
                        // Room for the drawn icon at the left.
                        leftPadding: 46
                        rightPadding: 8
                        text: clockButton.modelData.label
                        font.pixelSize: Theme.fontLarge - 2
                        font.bold: true
                        enabled: part.controller !== null && (clockButton.modelData.activity === 1
                                                              ? part.controller.enterEnabled
                                                              : part.controller.exitEnabled)
                        onClicked: {
                            if (!part.controller)
                                return
                            if (clockButton.modelData.activity === 1)
                                part.controller.schrijfKindInMetCheck()
                            else
                                part.controller.schrijfKindUitMetCheck()
                        }
                    }
                    DetailIcon {
                        x: 14
                        anchors.verticalCenter: parent.verticalCenter
                        width: 30
                        height: 30
                        kind: clockButton.modelData.icon
                        color: clockButton.modelData.activity === 1 ? "white" : Theme.accent
                        visible: !clockButton.busy
                    }
                    BusyIndicator {
                        objectName: clockButton.modelData.name + "Activity"
                        anchors.centerIn: parent
                        width: 44
                        height: 44
                        running: clockButton.busy
                        visible: clockButton.busy
                        opacity: clockButton.busy && part.controller.activityFading ? 0 : 1
                        Behavior on opacity {
                            NumberAnimation { duration: part.controller ? part.controller.animationMs : 700 }
                        }
                    }
                }
            }
        }

        ClockChoiceButtons {
            id: choiceButtons
            width: parent.width
            choice: part.controller ? part.controller.clockChoice : null
        }
    }
    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: Theme.separator
    }
}
