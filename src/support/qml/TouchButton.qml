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
    // A tap never takes the keyboard away from the field being typed in.
    focusPolicy: Qt.NoFocus

    property color tone: destructive ? Theme.danger : Theme.accent
    readonly property color _tone: tone

    // Icon and label as one group in the middle of the button; a label too long for it is elided.
    contentItem: Item {
        id: content
        readonly property bool hasIcon: button.icon.source.toString() !== ""
        readonly property real groupX: Math.max(0, Math.round((width - implicitWidth) / 2))
        implicitWidth: (hasIcon ? glyph.width + 8 : 0) + label.implicitWidth
        implicitHeight: Math.max(hasIcon ? glyph.height : 0, label.implicitHeight)

        Image {
            id: glyph
            x: content.groupX
            anchors.verticalCenter: parent.verticalCenter
            source: button.icon.source
            visible: content.hasIcon
            width: 28
            height: 28
            fillMode: Image.PreserveAspectFit
        }
        Text {
            id: label
            x: content.hasIcon ? glyph.x + glyph.width + 8 : content.groupX
            anchors.verticalCenter: parent.verticalCenter
            width: Math.min(implicitWidth, content.width - x)
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
