import QtQuick
import QtQuick.Controls
import "qrc:/cc/support/qml"

// Closing the kiosk: an administrator's password, or back to the app. Everything goes through the
// kiosk controller (Kiosk).
Popup {
    id: dialog
    property var kiosk: null
    readonly property bool asked: kiosk ? kiosk.exitAsked : false

    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) - 80 : 0 // room for the on-screen keyboard
    width: 480
    modal: true
    dim: true
    closePolicy: Popup.NoAutoClose
    padding: 24
    Overlay.modal: Rectangle { color: "#66000000" }
    background: Rectangle { radius: 16; color: Theme.panel; border.color: Theme.separator }

    // Opened and closed here, so a close from elsewhere never loses a binding on its visibility.
    onAskedChanged: if (asked) open(); else close()
    onOpened: passwordField.forceActiveFocus()

    contentItem: Column {
        spacing: Theme.spacing

        Text {
            width: parent.width
            text: qsTr("Kiosk verlaten")
            horizontalAlignment: Text.AlignHCenter
            color: Theme.ink
            font.pixelSize: Theme.fontTitle
            font.bold: true
        }
        Text {
            width: parent.width
            text: qsTr("Geef het paswoord van een beheerder om de app af te sluiten.")
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            color: Theme.inkSecondary
            font.pixelSize: Theme.fontSmall
        }
        TextField {
            id: passwordField
            objectName: "kioskPasswordField"
            width: parent.width
            height: Theme.touchTarget
            leftPadding: Theme.spacing
            font.pixelSize: Theme.fontNormal
            color: Theme.ink
            echoMode: TextInput.Password
            text: dialog.kiosk ? dialog.kiosk.passwordText : ""
            placeholderText: qsTr("Paswoord")
            inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText | Qt.ImhSensitiveData
            background: Rectangle {
                radius: Theme.radius
                color: Theme.panel
                border.color: passwordField.activeFocus ? Theme.accent : Theme.separator
            }
            onTextEdited: if (dialog.kiosk) dialog.kiosk.passwordText = text
            onAccepted: if (dialog.kiosk) dialog.kiosk.confirmExit()
        }
        Text {
            objectName: "kioskProblem"
            width: parent.width
            visible: text.length > 0
            text: dialog.kiosk ? dialog.kiosk.problem : ""
            wrapMode: Text.Wrap
            color: Theme.danger
            font.pixelSize: Theme.fontSmall
        }
        Row {
            anchors.right: parent.right
            spacing: Theme.spacing
            TouchButton {
                objectName: "kioskCancelButton"
                text: qsTr("Annuleer")
                onClicked: if (dialog.kiosk) dialog.kiosk.cancelExit()
            }
            TouchButton {
                objectName: "kioskLeaveButton"
                primary: true
                text: qsTr("Sluit af")
                onClicked: if (dialog.kiosk) dialog.kiosk.confirmExit()
            }
        }
    }
}
