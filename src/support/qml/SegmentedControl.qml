import QtQuick
import QtQuick.Controls

// Joined segments in one rounded frame; `current` is the chosen segment (-1: none) and a tap reports
// `segmentClicked(index)`. One title gives a single segment that works as a button with a state.
Item {
    id: control
    property var titles: []
    property int current: -1
    signal segmentClicked(int index)

    implicitWidth: 320
    implicitHeight: 44

    Rectangle {
        anchors.fill: parent
        radius: Theme.radius
        color: Theme.panel
    }
    Row {
        anchors.fill: parent
        Repeater {
            model: control.titles
            delegate: AbstractButton {
                id: segment
                required property int index
                required property string modelData
                readonly property bool chosen: index === control.current
                readonly property bool first: index === 0
                readonly property bool last: index === control.titles.length - 1

                objectName: "segment" + index
                width: control.width / Math.max(1, control.titles.length)
                height: control.height
                focusPolicy: Qt.NoFocus
                onClicked: control.segmentClicked(index)

                background: Item {
                    Rectangle {
                        anchors.fill: parent
                        radius: segment.first || segment.last ? Theme.radius : 0
                        color: segment.chosen ? Theme.accent : segment.down ? Theme.highlight : "transparent"
                    }
                    // Square inner corners where a segment meets its neighbour.
                    Rectangle {
                        visible: segment.first !== segment.last
                        x: segment.first ? parent.width - width : 0
                        width: Theme.radius
                        height: parent.height
                        color: segment.chosen ? Theme.accent : segment.down ? Theme.highlight : "transparent"
                    }
                    Rectangle {
                        visible: !segment.first
                        width: 1.5
                        height: parent.height
                        color: Theme.accent
                    }
                }
                contentItem: Text {
                    text: segment.modelData
                    color: segment.chosen ? "white" : Theme.accent
                    font.pixelSize: Theme.fontSmall
                    font.bold: segment.chosen
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                    leftPadding: 4
                    rightPadding: 4
                }
            }
        }
    }
    Rectangle {
        anchors.fill: parent
        radius: Theme.radius
        color: "transparent"
        border.width: 1.5
        border.color: Theme.accent
    }
}
