import QtQuick
import QtQuick.Controls
import "../../support/qml"
import "../../media/qml"
import "../../overview/qml"

// The new-child form: photo (a tap opens the photo picker), first and family name, remarks, group and
// "Bewaar". Everything is the controller's; the view binds and forwards. Its alerts are drawn by the
// panel stack.
Rectangle {
    id: view
    required property var controller
    color: Theme.background

    function syncPopovers() {
        if (view.controller && view.controller.groupSelector) groupPopover.open(); else groupPopover.close()
    }
    Connections {
        target: view.controller
        function onPopoversChanged() { view.syncPopovers() }
    }

    NavigationBar {
        id: bar
        width: parent.width
        title: view.controller ? view.controller.title : ""
    }

    // Enter goes from field to field; the remarks take several lines, so "Bewaar" saves.
    FormFlickable {
        objectName: "form"
        anchors.top: bar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        contentHeight: form.height + 2 * Theme.spacing
        keepVisible: saveButton

        Column {
            id: form
            x: 2 * Theme.spacing
            y: 2 * Theme.spacing
            width: Math.min(560, view.width - 4 * Theme.spacing)
            spacing: 8

            Rectangle {
                id: photoFrame
                objectName: "imageView"
                width: 140
                height: 140
                radius: 14
                clip: true
                color: Theme.panel
                border.color: Theme.separator
                PhotoImage {
                    anchors.fill: parent
                    anchors.margins: 4
                    source: view.controller ? view.controller.photo : ""
                }
                TapHandler {
                    onTapped: if (view.controller) view.controller.changeAvatar()
                }
            }

            Label {
                objectName: "voorNaamLabel"
                text: qsTr("Voornaam")
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontSmall
            }
            TextField {
                id: voorNaam
                objectName: "voorNaamTextField"
                width: parent.width
                height: Theme.touchTarget - 8
                font.pixelSize: Theme.fontNormal
                placeholderText: qsTr("Voornaam")
                inputMethodHints: Qt.ImhNoPredictiveText
                text: view.controller ? view.controller.voorNaam : ""
                onTextChanged: if (view.controller && text !== view.controller.voorNaam) view.controller.voorNaam = text
                onAccepted: familieNaam.forceActiveFocus()
            }
            Label {
                objectName: "familieNaamLabel"
                text: qsTr("Familienaam")
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontSmall
            }
            TextField {
                id: familieNaam
                objectName: "familieNaamTextField"
                width: parent.width
                height: Theme.touchTarget - 8
                font.pixelSize: Theme.fontNormal
                placeholderText: qsTr("Familienaam")
                inputMethodHints: Qt.ImhNoPredictiveText
                text: view.controller ? view.controller.familieNaam : ""
                onTextChanged: if (view.controller && text !== view.controller.familieNaam) view.controller.familieNaam = text
                onAccepted: extraInfo.forceActiveFocus()
            }
            Label {
                objectName: "extraInfoLabel"
                text: qsTr("Extra Info")
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontSmall
            }
            TextArea {
                id: extraInfo
                objectName: "extraInfoTextView"
                width: parent.width
                // Lower while the keyboard is up for another field: the field and "Bewaar" fit above it.
                height: KeyboardArea.shown && !activeFocus ? 60 : 120
                wrapMode: TextEdit.Wrap
                font.pixelSize: Theme.fontNormal
                text: view.controller ? view.controller.extraInfo : ""
                onTextChanged: if (view.controller && text !== view.controller.extraInfo) view.controller.extraInfo = text
                background: Rectangle {
                    color: Theme.panel
                    border.color: Theme.separator
                    radius: 6
                }
            }
            TouchButton {
                id: groupButton
                objectName: "groupButton"
                width: parent.width
                text: view.controller && view.controller.groupName !== "" ? view.controller.groupName
                                                                          : qsTr("Kies een groep")
                onClicked: if (view.controller) view.controller.chooseGroup()
            }
            // "Bewaar": white bold title on the bar picture.
            AbstractButton {
                id: saveButton
                objectName: "saveButton"
                width: parent.width
                height: Theme.touchTarget
                focusPolicy: Qt.NoFocus
                onClicked: if (view.controller) view.controller.saveUser()
                background: BorderImage {
                    source: Theme.asset("bar.png")
                    border { left: 10; right: 10; top: 10; bottom: 10 }
                    opacity: saveButton.down ? 0.8 : 1
                }
                contentItem: Text {
                    text: qsTr("Bewaar")
                    color: "white"
                    font.bold: true
                    font.pixelSize: Theme.fontNormal
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }
            }
        }
    }

    MediaPopover {
        objectName: "mediaPopover"
        x: 2 * Theme.spacing
        y: bar.height + 2 * Theme.spacing + photoFrame.height + 8
        picker: view.controller ? view.controller.mediaPicker : null
        onDismissed: view.controller.closeMediaPopOver()
    }

    Popup {
        id: groupPopover
        objectName: "groupPopover"
        x: 2 * Theme.spacing
        y: Math.max(bar.height, view.height - height - Theme.spacing)
        width: Math.min(420, view.width - 4 * Theme.spacing)
        height: Math.min(440, view.height - bar.height - 2 * Theme.spacing)
        padding: 0
        modal: false
        onClosed: if (view.controller && view.controller.groupSelector) view.controller.closeGroupSelector()
        background: Rectangle { radius: Theme.radius; color: Theme.panel; border.color: Theme.separator }
        contentItem: Loader {
            active: view.controller !== null && view.controller.groupSelector !== null
            sourceComponent: GroupSelectorView { controller: view.controller.groupSelector }
        }
    }
}
