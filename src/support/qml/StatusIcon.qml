import QtQuick

// A presence icon: "In" (an arrow entering, green), "Out" (an arrow leaving, orange) or "warning"
// (an exclamation mark); nothing for any other kind. Stands for "icon_In.png", "icon_Out.png" and
// "icon_warning.png".
Item {
    id: icon
    property string kind
    implicitWidth: 28
    implicitHeight: 28
    visible: kind === "In" || kind === "Out" || kind === "warning"

    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: icon.kind === "In" ? "#2e8b57" : icon.kind === "Out" ? "#c8642a" : "#e0a100"
    }
    // The arrow points right for In and left for Out.
    Item {
        visible: icon.kind === "In" || icon.kind === "Out"
        anchors.fill: parent
        rotation: icon.kind === "Out" ? 180 : 0
        readonly property real t: Math.max(2, width * 0.11)
        readonly property real tipX: width * 0.74
        Rectangle {
            x: parent.width * 0.24
            y: (parent.height - height) / 2
            width: parent.tipX - x
            height: parent.t
            radius: height / 2
            color: "white"
        }
        Rectangle {
            width: icon.width * 0.26
            height: parent.t
            radius: height / 2
            x: parent.tipX - width + height / 2
            y: (icon.height - height) / 2
            transformOrigin: Item.Right
            rotation: 40
            color: "white"
        }
        Rectangle {
            width: icon.width * 0.26
            height: parent.t
            radius: height / 2
            x: parent.tipX - width + height / 2
            y: (icon.height - height) / 2
            transformOrigin: Item.Right
            rotation: -40
            color: "white"
        }
    }
    // The exclamation mark.
    Item {
        visible: icon.kind === "warning"
        anchors.fill: parent
        Rectangle {
            anchors.horizontalCenter: parent.horizontalCenter
            y: parent.height * 0.2
            width: Math.max(2, parent.width * 0.13)
            height: parent.height * 0.4
            radius: width / 2
            color: "white"
        }
        Rectangle {
            anchors.horizontalCenter: parent.horizontalCenter
            y: parent.height * 0.67
            width: Math.max(2, parent.width * 0.14)
            height: width
            radius: width / 2
            color: "white"
        }
    }
}
