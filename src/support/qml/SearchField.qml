import QtQuick
import QtQuick.Controls

// A search bar: magnifier, text and a clear button. `searched(text)` follows every change, cleared
// included. Enter is "done": the field lets go of the focus, so the on-screen keyboard closes.
TextField {
    id: field
    signal searched(string text)

    implicitHeight: Theme.touchTarget
    leftPadding: 48
    rightPadding: clear.visible ? 48 : 12
    font.pixelSize: Theme.fontNormal
    placeholderText: qsTr("Zoeken")
    inputMethodHints: Qt.ImhNoPredictiveText
    color: Theme.ink
    onTextChanged: searched(text)
    onAccepted: focus = false

    background: Rectangle {
        radius: height / 2
        color: Theme.panel
        border.width: field.activeFocus ? 2 : 1
        border.color: field.activeFocus ? Theme.accent : Theme.separator
    }

    Image {
        anchors.left: parent.left
        anchors.leftMargin: 14
        anchors.verticalCenter: parent.verticalCenter
        width: 26
        height: 26
        source: Theme.asset("06-magnify.png")
        opacity: 0.7
    }

    // The clear button is a full finger target though it looks small.
    AbstractButton {
        id: clear
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        width: Theme.touchTarget
        height: Theme.touchTarget
        visible: field.text.length > 0
        onClicked: field.clear()
        contentItem: Item {}
        background: Rectangle {
            anchors.centerIn: parent
            width: 24
            height: 24
            radius: 12
            color: clear.down ? Theme.ink : Theme.inkSecondary
            Text {
                anchors.centerIn: parent
                text: "\u00D7"
                color: "white"
                font.pixelSize: 18
            }
        }
    }
}
