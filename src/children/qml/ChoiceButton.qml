import QtQuick
import "../../support/qml"

// The time or day button of the clocking choice: a tap opens its picker; a press of a second (and for
// the time also a double tap) puts the choice back to "Nu" / "Vandaag".
Rectangle {
    id: button
    property string title    // what the choice holds
    property string shown    // what the button reads
    property bool resetOnDoubleTap: false
    signal tapped()
    signal reset()

    implicitHeight: Theme.touchTarget
    radius: Theme.radius
    color: taps.pressed ? Theme.highlight : "transparent"
    border.width: 1.5
    border.color: Theme.accent

    Text {
        anchors.centerIn: parent
        width: parent.width - 16
        horizontalAlignment: Text.AlignHCenter
        text: button.shown
        color: Theme.accent
        font.pixelSize: Theme.fontNormal
        elide: Text.ElideRight
    }

    TapHandler {
        id: taps
        longPressThreshold: 1.0
        onLongPressed: button.reset()
        // Without the double tap, a tap needs no wait for a second one.
        onSingleTapped: if (button.resetOnDoubleTap) button.tapped()
        onTapped: if (!button.resetOnDoubleTap) button.tapped()
        onDoubleTapped: if (button.resetOnDoubleTap) button.reset()
    }
}
