import QtQuick
import QtQuick.Controls
import "../../support/qml"
import "../../media/qml"

// The staff member's own page: photo (a tap picks a new one), who is logged in where, and the upkeep
// buttons. Everything is the controller's; the view binds and forwards taps.
Rectangle {
    id: view
    objectName: "profilePageView"
    required property var controller
    color: Theme.background

    NavigationBar {
        id: bar
        width: parent.width
        title: view.controller ? view.controller.title : ""
    }

    Flickable {
        anchors.top: bar.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        contentHeight: content.implicitHeight + 2 * Theme.spacing
        clip: true
        boundsBehavior: Flickable.StopAtBounds

        Column {
            id: content
            x: Theme.spacing
            y: Theme.spacing
            width: parent.width - 2 * Theme.spacing
            spacing: Theme.spacing

            Row {
                width: parent.width
                spacing: Theme.spacing
                RoundedPhoto {
                    id: imageView
                    objectName: "imageView"
                    width: 120
                    height: 120
                    cornerRadius: 10
                    source: view.controller ? view.controller.photo : ""
                    // The transparent button over the photo.
                    TapHandler {
                        onTapped: if (view.controller) view.controller.changeAvatar()
                    }
                }
                Column {
                    width: parent.width - imageView.width - parent.spacing
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 6
                    Text {
                        objectName: "naamLabel"
                        width: parent.width
                        text: view.controller ? view.controller.naamLabel : ""
                        color: Theme.ink
                        font.pixelSize: Theme.fontLarge
                        font.bold: true
                        wrapMode: Text.Wrap
                    }
                    Text {
                        objectName: "schoolLabel"
                        width: parent.width
                        text: view.controller ? view.controller.schoolLabel : ""
                        color: Theme.ink
                        font.pixelSize: Theme.fontNormal
                        wrapMode: Text.Wrap
                    }
                    Text {
                        objectName: "organisatieLabel"
                        width: parent.width
                        visible: text.length > 0
                        text: view.controller ? view.controller.organisatieLabel : ""
                        color: Theme.inkSecondary
                        font.pixelSize: Theme.fontSmall
                        wrapMode: Text.Wrap
                    }
                    Text {
                        objectName: "profielLabel"
                        width: parent.width
                        visible: text.length > 0
                        text: view.controller ? view.controller.profielLabel : ""
                        color: Theme.inkSecondary
                        font.pixelSize: Theme.fontSmall
                        wrapMode: Text.Wrap
                    }
                }
            }

            Rectangle { width: parent.width; height: 1; color: Theme.separator }

            TouchButton {
                objectName: "logoutButton"
                width: parent.width
                primary: true
                text: qsTr("Afmelden")
                onClicked: if (view.controller) view.controller.Logout()
            }
            TouchButton {
                objectName: "recomputeStatusButton"
                width: parent.width
                text: qsTr("Aanwezigheden herberekenen")
                onClicked: if (view.controller) view.controller.herberekenStatussen()
            }
            TouchButton {
                objectName: "deletePicturesButton"
                width: parent.width
                destructive: true
                text: qsTr("Foto's wissen")
                onClicked: if (view.controller) view.controller.deleteImages()
            }
            TouchButton {
                objectName: "deleteDataButton"
                width: parent.width
                destructive: true
                text: qsTr("Lokale databank wissen")
                onClicked: if (view.controller) view.controller.deleteDB()
            }
            Text {
                objectName: "versionLabel"
                width: parent.width
                horizontalAlignment: Text.AlignRight
                text: view.controller ? qsTr("Versie %1").arg(view.controller.versionLabel) : ""
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontSmall
            }
        }
    }

    // ---------------------------------------------------------------- photo picker
    MediaPopover {
        objectName: "mediaPopover"
        x: Theme.spacing
        y: imageView.mapToItem(view, 0, imageView.height).y + 8
        width: 300
        picker: view.controller ? view.controller.mediaPicker : null
        onDismissed: view.controller.closeMediaPopOver()
    }
}
