import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The message editor: subject, text and a save button; a stored message is shown read-only
// without the button. After saving the fields fade out and the spinner in.
Rectangle {
    id: view
    required property var controller
    readonly property bool readOnly: !controller || controller.readOnly
    readonly property bool saved: controller !== null && controller.saved
    implicitWidth: 480
    implicitHeight: 420
    color: Theme.panel
    radius: Theme.radius

    // The editor scrolls the subject or the text being typed, and "Bewaar", above the keyboard.
    FormFlickable {
        objectName: "form"
        anchors.fill: parent
        contentHeight: height
        interactive: false
        keepVisible: saveButton

        Column {
            id: fields
            objectName: "fields"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.bottom: toolbar.visible ? toolbar.top : parent.bottom
            anchors.margins: Theme.spacing
            spacing: 6
            opacity: view.saved ? 0 : 1
            Behavior on opacity { NumberAnimation { duration: 700 } }

            Label {
                objectName: "onderwerpLabel"
                text: qsTr("Onderwerp")
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontSmall
            }
            TextField {
                id: onderwerpField
                objectName: "onderwerpField"
                width: parent.width
                height: Theme.touchTarget - 8
                font.pixelSize: Theme.fontNormal
                readOnly: view.readOnly || view.saved
                text: view.controller ? view.controller.onderwerp : ""
                onTextChanged: if (view.controller && text !== view.controller.onderwerp)
                                   view.controller.onderwerp = text
                onAccepted: textView.forceActiveFocus()
            }
            Label {
                objectName: "boodschapLabel"
                text: qsTr("Boodschap")
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontSmall
            }
            ScrollView {
                width: parent.width
                height: parent.height - y
                TextArea {
                    id: textView
                    objectName: "textView"
                    wrapMode: TextEdit.Wrap
                    font.pixelSize: Theme.fontNormal
                    readOnly: view.readOnly || view.saved
                    text: view.controller ? view.controller.text : ""
                    onTextChanged: if (view.controller && text !== view.controller.text)
                                       view.controller.text = text
                    background: Rectangle {
                        color: textView.readOnly ? Theme.disabledFill : Theme.panel
                        border.color: Theme.separator
                        radius: 4
                    }
                }
            }
        }
        Item {
            id: toolbar
            objectName: "toolbar"
            visible: !view.readOnly
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            height: Theme.touchTarget + Theme.spacing
            TouchButton {
                id: saveButton
                objectName: "saveButton"
                anchors.right: parent.right
                anchors.rightMargin: Theme.spacing
                anchors.verticalCenter: parent.verticalCenter
                primary: true
                text: qsTr("Bewaar")
                enabled: view.controller !== null && view.controller.canSave
                onClicked: view.controller.save()
            }
        }
    }

    BusyIndicator {
        objectName: "activityIndicator"
        anchors.centerIn: parent
        running: view.saved
        opacity: view.saved ? 1 : 0
        Behavior on opacity { NumberAnimation { duration: 700 } }
    }
}
