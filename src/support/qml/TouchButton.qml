import QtQuick
import QtQuick.Controls

// A button large enough for a finger. `primary` fills it with the accent colour.
Button {
    id: button
    property bool primary: false
    property bool destructive: false

    implicitHeight: Theme.touchTarget
    implicitWidth: Math.max(120, contentItem.implicitWidth + 2 * Theme.spacing + leftPadding + rightPadding)
    font.pixelSize: Theme.fontNormal
    leftPadding: 20
    rightPadding: 20

    readonly property color _tone: destructive ? Theme.danger : Theme.accent

    contentItem: Row {
        spacing: 8
        Image {
            anchors.verticalCenter: parent.verticalCenter
            source: button.icon.source
            visible: button.icon.source.toString() !== ""
            width: 28
            height: 28
            fillMode: Image.PreserveAspectFit
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: button.text
            font: button.font
            color: !button.enabled ? Theme.inkSecondary : button.primary ? "white" : button._tone
            elide: Text.ElideRight
        }
    }

    background: Rectangle {
        radius: Theme.radius
        color: button.primary ? (button.down ? Theme.accentPressed : button._tone)
                              : (button.down ? Theme.highlight : "transparent")
        border.width: button.primary ? 0 : 1.5
        border.color: button.enabled ? button._tone : Theme.separator
        opacity: button.enabled ? 1 : 0.6
    }
}
