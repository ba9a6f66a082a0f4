import QtQuick
import QtQuick.Controls

// The modal progress overlay: a 200 x 200 box with a spinner, a label and a detail text over a dimmed
// screen. Bind `requests` to a controller's DialogRequests; it is shown while overlayVisible holds.
Popup {
    id: overlay
    property var requests: null
    readonly property string label: requests ? requests.overlayLabel : ""
    readonly property string detail: requests ? requests.overlayDetail : ""
    readonly property bool spinner: requests ? requests.overlaySpinner : false

    visible: requests ? requests.overlayVisible : false
    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    width: 200
    height: 200
    modal: true
    dim: true
    closePolicy: Popup.NoAutoClose
    padding: 16

    Overlay.modal: Rectangle { color: "#4d000000" }

    background: Rectangle {
        radius: 16
        color: "#d9202a30"
    }

    contentItem: Item {
        Column {
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width
            spacing: 10
            Item {
                // Twelve fading spokes turning in steps: drawn here so it is white on the dark box.
                id: spinnerItem
                anchors.horizontalCenter: parent.horizontalCenter
                visible: overlay.spinner
                width: 56
                height: 56
                Repeater {
                    model: 12
                    Rectangle {
                        required property int index
                        x: (spinnerItem.width - width) / 2
                        width: 5
                        height: 15
                        radius: 2.5
                        color: "white"
                        opacity: 0.25 + 0.75 * index / 11
                        transform: Rotation {
                            origin.x: 2.5
                            origin.y: spinnerItem.height / 2
                            angle: index * 30
                        }
                    }
                }
                RotationAnimation on rotation {
                    running: overlay.spinner && overlay.visible
                    from: 0
                    to: 360
                    duration: 1000
                    loops: Animation.Infinite
                }
            }
            Text {
                width: parent.width
                text: overlay.label
                visible: text.length > 0
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                maximumLineCount: overlay.spinner ? 2 : 6
                elide: Text.ElideRight
                color: "white"
                font.pixelSize: Theme.fontNormal
                font.bold: true
            }
            Text {
                width: parent.width
                text: overlay.detail
                visible: text.length > 0
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                maximumLineCount: 3
                elide: Text.ElideRight
                color: "#e0e6ea"
                font.pixelSize: Theme.fontSmall
            }
        }
    }
}
