import QtQuick

// A person's row in a list: selection mark, photo with rounded corners, name and groups line, the
// presence time and icons; a light grey ground while selected. A tap reports `tapped()` (with
// `selectionButtonOnly`, only a tap on the mark's button does); a press held for a second reports
// `held(x, y)` and keeps reporting while the finger moves, until it lifts. A small mark before the time
// tells a registration still waiting for the server, or one whose send failed.
Rectangle {
    id: row
    // A list's delegate marks these `required` so that its model's roles fill them.
    property int index: -1
    property string name
    property string groups
    property string time
    property bool warning: false
    property int presence: 0
    property bool selected: false
    property url photo
    property bool selectionButtonOnly: false
    // Where the person's registrations stand with the server (SyncMark's kinds).
    property int syncMark: 0

    signal tapped()
    signal held(real x, real y)

    objectName: "row" + index
    width: ListView.view ? ListView.view.width : implicitWidth
    height: Theme.rowHeight
    color: selected ? Theme.selectedRow : Theme.panel

    // The selection button: the mark and the margin around it, a finger wide.
    Item {
        id: selectionButton
        objectName: "selectionButton"
        width: mark.x + mark.width + Theme.spacing / 2
        height: parent.height
    }
    CheckMark {
        id: mark
        x: Theme.spacing
        anchors.verticalCenter: parent.verticalCenter
        checked: row.selected
    }
    PhotoImage {
        id: picture
        anchors.left: mark.right
        anchors.leftMargin: Theme.spacing
        anchors.verticalCenter: parent.verticalCenter
        width: Theme.rowHeight - 16
        height: width
        source: row.photo
    }
    // Rounds the photo's corners: a frame in the row's colour whose inner edge is the photo. Drawn on
    // the CPU (no GPU), a rounded border is costly: it is drawn once into a picture of its own then.
    Rectangle {
        layer.enabled: GraphicsInfo.api === GraphicsInfo.Software
        x: picture.x - 8
        y: picture.y - 8
        width: picture.width + 16
        height: picture.height + 16
        radius: 16
        color: "transparent"
        border.width: 8
        border.color: row.color
    }
    Column {
        anchors.left: picture.right
        anchors.leftMargin: Theme.spacing
        anchors.right: status.left
        anchors.rightMargin: Theme.spacing / 2
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        Text {
            objectName: "personName"
            width: parent.width
            text: row.name
            color: Theme.ink
            font.pixelSize: Theme.fontNormal
            elide: Text.ElideRight
        }
        Text {
            width: parent.width
            text: row.groups
            visible: text.length > 0
            color: Theme.inkSecondary
            font.pixelSize: Theme.fontSmall - 1
            // Two lines where one is too short: every group stays readable.
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
        }
    }
    Row {
        id: status
        anchors.right: parent.right
        anchors.rightMargin: Theme.spacing / 2
        anchors.verticalCenter: parent.verticalCenter
        spacing: 6
        SyncMark {
            objectName: "syncMark"
            anchors.verticalCenter: parent.verticalCenter
            kind: row.syncMark
        }
        Text {
            objectName: "presenceTime"
            anchors.verticalCenter: parent.verticalCenter
            text: row.time
            visible: text.length > 0
            color: Theme.inkSecondary
            font.pixelSize: Theme.fontSmall
        }
        StatusIcon {
            objectName: "warningIcon"
            anchors.verticalCenter: parent.verticalCenter
            kind: "warning"
            visible: row.warning
        }
        StatusIcon {
            objectName: "presenceIcon"
            anchors.verticalCenter: parent.verticalCenter
            kind: row.presence === 1 ? "In" : row.presence === 2 ? "Out" : ""
        }
    }
    Rectangle {
        anchors.bottom: parent.bottom
        x: picture.x
        width: parent.width - x
        height: 1
        color: Theme.separator
    }

    MouseArea {
        id: touch
        property bool isHeld: false
        anchors.fill: parent
        pressAndHoldInterval: 1000
        onPressed: { isHeld = false; preventStealing = false }
        onClicked: (mouse) => {
            if (!isHeld && (!row.selectionButtonOnly || mouse.x < selectionButton.width))
                row.tapped()
        }
        onPressAndHold: (mouse) => {
            isHeld = true
            preventStealing = true
            row.held(mouse.x, mouse.y)
        }
        onPositionChanged: (mouse) => { if (isHeld) row.held(mouse.x, mouse.y) }
        onReleased: (mouse) => { if (isHeld) row.held(mouse.x, mouse.y) }
    }
}
