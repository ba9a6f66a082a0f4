import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The first start without a known server: its address is typed, checked and saved before the
// organisation login. Everything goes through the step (ServerAddressStep).
Item {
    id: view
    property var step: null
    visible: step !== null

    onVisibleChanged: if (visible) Qt.callLater(() => addressField.forceActiveFocus())
    Component.onCompleted: if (visible) Qt.callLater(() => addressField.forceActiveFocus())

    Rectangle {
        objectName: "serverAddressPanel"
        anchors.centerIn: parent
        anchors.verticalCenterOffset: -80 // leaves room for the on-screen keyboard
        width: 520
        height: column.implicitHeight + 2 * 24
        radius: 16
        color: Theme.panel
        border.color: Theme.separator

        Column {
            id: column
            x: 24
            y: 24
            width: parent.width - 48
            spacing: Theme.spacing

            Text {
                width: parent.width
                text: qsTr("Server van je organisatie")
                horizontalAlignment: Text.AlignHCenter
                color: Theme.ink
                font.pixelSize: Theme.fontTitle
                font.bold: true
            }
            Text {
                width: parent.width
                text: qsTr("Geef het adres van de server in dat je van je organisatie kreeg, bijvoorbeeld https://opvang.example.org.")
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontSmall
            }
            TextField {
                id: addressField
                objectName: "serverAddressField"
                width: parent.width
                height: Theme.touchTarget
                leftPadding: Theme.spacing
                font.pixelSize: Theme.fontNormal
                color: Theme.ink
                enabled: view.step ? !view.step.checking : false
                text: view.step ? view.step.address : ""
                placeholderText: qsTr("https://")
                inputMethodHints: Qt.ImhUrlCharactersOnly | Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                background: Rectangle {
                    radius: Theme.radius
                    color: Theme.panel
                    border.color: addressField.activeFocus ? Theme.accent : Theme.separator
                }
                onTextEdited: if (view.step) view.step.address = text
                onAccepted: if (view.step) view.step.confirm()
            }
            Text {
                objectName: "serverAddressProblem"
                width: parent.width
                visible: text.length > 0
                text: view.step ? view.step.problem : ""
                wrapMode: Text.Wrap
                color: Theme.danger
                font.pixelSize: Theme.fontSmall
            }
            Item {
                width: parent.width
                height: Theme.touchTarget
                BusyIndicator {
                    anchors.left: parent.left
                    anchors.verticalCenter: parent.verticalCenter
                    height: parent.height
                    running: view.step ? view.step.checking : false
                    visible: running
                }
                TouchButton {
                    objectName: "serverAddressButton"
                    anchors.right: parent.right
                    primary: true
                    enabled: view.step ? !view.step.checking : false
                    text: qsTr("Verder")
                    onClicked: if (view.step) view.step.confirm()
                }
            }
        }
    }
}
