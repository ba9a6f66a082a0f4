import QtQuick
import QtQuick.Controls
import "../../support/qml"

// Instead of the app while its data cannot be opened: what is wrong and what to do on the left, a
// "Probeer opnieuw" button, and the information page with the technical help's contact on the right.
Rectangle {
    id: view
    required property var controller
    color: Theme.background

    Rectangle {
        id: message
        objectName: "storeFailureMessage"
        x: Theme.spacing * 2
        y: Theme.spacing * 2
        width: parent.width * 0.5 - Theme.spacing * 3
        height: parent.height - Theme.spacing * 4
        radius: Theme.radius
        color: Theme.panel
        border.color: Theme.separator

        Column {
            x: Theme.spacing * 2
            y: Theme.spacing * 2
            width: parent.width - Theme.spacing * 4
            spacing: Theme.spacing * 1.5

            Rectangle {
                width: 64
                height: 64
                radius: 32
                color: Theme.danger
                Text {
                    anchors.centerIn: parent
                    text: "!"
                    color: "white"
                    font.pixelSize: 40
                    font.bold: true
                }
            }
            Text {
                objectName: "storeFailureTitle"
                width: parent.width
                text: view.controller ? view.controller.title : ""
                color: Theme.ink
                font.pixelSize: Theme.fontTitle
                font.bold: true
                wrapMode: Text.Wrap
            }
            Text {
                objectName: "storeFailureCause"
                width: parent.width
                text: view.controller ? view.controller.cause : ""
                color: Theme.ink
                font.pixelSize: Theme.fontLarge
                wrapMode: Text.Wrap
            }
            Text {
                objectName: "storeFailureAdvice"
                width: parent.width
                text: view.controller ? view.controller.advice : ""
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontNormal
                wrapMode: Text.Wrap
            }
            Rectangle {
                objectName: "storeFailureHelp"
                width: parent.width
                height: help.implicitHeight + Theme.spacing * 2
                visible: view.controller ? view.controller.helpName.length > 0 : false
                radius: Theme.radius
                color: Theme.highlight
                Column {
                    id: help
                    x: Theme.spacing
                    y: Theme.spacing
                    width: parent.width - Theme.spacing * 2
                    spacing: 4
                    Text {
                        width: parent.width
                        text: view.controller ? view.controller.helpName : ""
                        color: Theme.ink
                        font.pixelSize: Theme.fontNormal
                        font.bold: true
                        wrapMode: Text.Wrap
                    }
                    Text {
                        width: parent.width
                        visible: text.length > 0
                        text: view.controller && view.controller.helpPhone.length > 0
                              ? qsTr("Telefoon: %1").arg(view.controller.helpPhone) : ""
                        color: Theme.ink
                        font.pixelSize: Theme.fontNormal
                    }
                    ItemDelegate {
                        objectName: "storeFailureHelpEmail"
                        width: parent.width
                        height: Theme.touchTarget - 16
                        visible: view.controller ? view.controller.helpEmail.length > 0 : false
                        leftPadding: 0
                        text: view.controller ? view.controller.helpEmail : ""
                        font.pixelSize: Theme.fontNormal
                        palette.text: Theme.accent
                        background: Item {}
                        onClicked: if (view.controller) view.controller.mailHelp()
                    }
                }
            }
            TouchButton {
                objectName: "probeerOpnieuwButton"
                primary: true
                text: qsTr("Probeer opnieuw")
                onClicked: if (view.controller) view.controller.probeerOpnieuw()
            }
            Text {
                objectName: "storeFailureAttempts"
                width: parent.width
                visible: view.controller ? view.controller.attempts > 0 : false
                text: view.controller ? qsTr("Opnieuw geprobeerd (%1 keer): het lukt nog niet.")
                                        .arg(view.controller.attempts) : ""
                color: Theme.danger
                font.pixelSize: Theme.fontNormal
                wrapMode: Text.Wrap
            }
        }
    }

    Loader {
        objectName: "storeFailureInfo"
        x: message.x + message.width + Theme.spacing * 2
        y: message.y
        width: parent.width - x - Theme.spacing * 2
        height: message.height
        clip: true
        active: view.controller !== null && view.controller.info !== null
        sourceComponent: InfoView {
            controller: view.controller.info
        }
    }
}
