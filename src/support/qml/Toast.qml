import QtQuick
import QtQuick.Controls

// A short confirmation of what just happened ("Foto's gewist"): a dark pill near the bottom of the
// window that goes by itself and blocks nothing. Bind `requests` to a controller's DialogRequests; it
// shows while toastVisible holds (DialogRequests::confirm).
Popup {
    id: toast
    objectName: "toast"
    property var requests: null
    readonly property string message: requests ? requests.toastText : ""

    visible: requests ? requests.toastVisible : false
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? parent.height - height - 48 : 0
    width: parent ? Math.min(implicitWidth, parent.width - 2 * Theme.spacing) : implicitWidth
    modal: false
    focus: false
    closePolicy: Popup.NoAutoClose
    padding: 14
    leftPadding: 24
    rightPadding: 24

    enter: Transition { NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 150 } }
    exit: Transition { NumberAnimation { property: "opacity"; from: 1; to: 0; duration: 250 } }

    background: Rectangle {
        radius: height / 2
        color: "#e6202a30"
    }
    contentItem: Text {
        objectName: "toastText"
        text: toast.message
        color: "white"
        font.pixelSize: Theme.fontNormal
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
    }
}
