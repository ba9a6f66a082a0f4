import QtQuick

// A short confirmation ("Foto bewaard") at the bottom of its parent while the requests' notice is
// set; it takes no touches, so the screen under it stays usable.
Rectangle {
    id: toast
    objectName: "toast"
    property var requests: null
    readonly property string notice: requests ? requests.notice : ""
    property string shown: ""

    onNoticeChanged: if (notice !== "") shown = notice
    anchors.horizontalCenter: parent ? parent.horizontalCenter : undefined
    anchors.bottom: parent ? parent.bottom : undefined
    // Clear of the undo bar that the root screen draws under the panels.
    anchors.bottomMargin: 96 + 2 * Theme.spacing
    z: 10
    width: Math.min(label.implicitWidth + 4 * Theme.spacing, parent ? parent.width - 2 * Theme.spacing : 400)
    height: Math.max(Theme.touchTarget, label.implicitHeight + 2 * Theme.spacing)
    radius: height / 2
    color: Theme.ink
    opacity: notice !== "" ? 0.95 : 0
    visible: opacity > 0
    Behavior on opacity { NumberAnimation { duration: 200 } }

    Text {
        id: label
        objectName: "toastText"
        anchors.centerIn: parent
        width: Math.min(implicitWidth, toast.width - 4 * Theme.spacing)
        text: toast.shown
        color: "white"
        font.pixelSize: Theme.fontNormal
        font.bold: true
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
    }
}
