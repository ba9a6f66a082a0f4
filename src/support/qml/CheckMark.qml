import QtQuick

// The selection mark of a row: a filled circle with a tick when selected, an empty ring otherwise
// (the pictures "selected.png" and "unselected.png").
Item {
    id: mark
    property bool checked: false
    implicitWidth: 28
    implicitHeight: 28

    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: mark.checked ? Theme.accent : "transparent"
        border.width: mark.checked ? 0 : 2
        border.color: Theme.inkSecondary
    }
    // The tick: two bars meeting at the bottom point.
    Item {
        visible: mark.checked
        anchors.fill: parent
        readonly property real t: Math.max(2, width * 0.11)
        readonly property real vx: width * 0.42
        readonly property real vy: height * 0.68
        Rectangle {
            width: parent.width * 0.26
            height: parent.t
            radius: height / 2
            x: parent.vx - width + height / 2
            y: parent.vy - height / 2
            transformOrigin: Item.Right
            rotation: 45
            color: "white"
        }
        Rectangle {
            width: parent.width * 0.46
            height: parent.t
            radius: height / 2
            x: parent.vx - height / 2
            y: parent.vy - height / 2
            transformOrigin: Item.Left
            rotation: -50
            color: "white"
        }
    }
}
