import QtQuick

// A short confirmation of what just happened ("Foto bewaard", "Foto's gewist") at the bottom of its
// parent, while the requests' toastVisible holds (DialogRequests::confirm). It takes no touches, so the
// screen under it stays usable, and it goes by itself.
Rectangle {
    id: toast
    objectName: "toast"
    property var requests: null
    readonly property bool showing: requests ? requests.toastVisible : false
    readonly property string message: requests ? requests.toastText : ""

    anchors.horizontalCenter: parent ? parent.horizontalCenter : undefined
    anchors.bottom: parent ? parent.bottom : undefined
    // Clear of the undo bar that the root screen draws under the panels.
    anchors.bottomMargin: 96 + 2 * Theme.spacing
    z: 10
    width: Math.min(label.implicitWidth + 4 * Theme.spacing, parent ? parent.width - 2 * Theme.spacing : 400)
    height: Math.max(Theme.touchTarget, label.implicitHeight + 2 * Theme.spacing)
    radius: height / 2
    color: Theme.ink
    opacity: showing ? 0.95 : 0
    visible: opacity > 0
    Behavior on opacity { NumberAnimation { duration: 200 } }

    Text {
        id: label
        objectName: "toastText"
        anchors.centerIn: parent
        width: Math.min(implicitWidth, toast.width - 4 * Theme.spacing)
        text: toast.message
        color: "white"
        font.pixelSize: Theme.fontNormal
        font.bold: true
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
    }
}
