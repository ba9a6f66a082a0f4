import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The pictures folder as a grid of large thumbnails over the window: a tap on one chooses it,
// "Annuleer" goes back to the picker's sources. The folder is read and the thumbnails are made in
// C++ off the main thread; cells are recycled, so a folder of hundreds scrolls without a hitch.
Popup {
    id: sheet
    property var picker: null
    readonly property var photos: picker ? picker.photos : null
    readonly property real margin: parent ? Math.min(24, Math.round(parent.width / 40)) : 0

    parent: Overlay.overlay
    x: margin
    y: margin
    width: parent ? parent.width - 2 * margin : 0
    height: parent ? parent.height - 2 * margin : 0
    modal: true
    dim: true
    closePolicy: Popup.NoAutoClose
    padding: 0
    Overlay.modal: Rectangle { color: "#66000000" }
    background: Rectangle { color: Theme.background; radius: Theme.radius }

    contentItem: Item {
        objectName: "photoGrid"
        Rectangle {
            id: header
            width: parent.width
            height: Theme.touchTarget + Theme.spacing
            radius: Theme.radius
            color: Theme.panel
            Text {
                anchors.left: parent.left
                anchors.leftMargin: 2 * Theme.spacing
                anchors.right: cancel.left
                anchors.verticalCenter: parent.verticalCenter
                text: sheet.picker ? sheet.picker.title : ""
                color: Theme.ink
                font.pixelSize: Theme.fontTitle
                font.bold: true
                elide: Text.ElideRight
            }
            TouchButton {
                id: cancel
                objectName: "photoGridCancel"
                anchors.right: parent.right
                anchors.rightMargin: Theme.spacing
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Annuleer")
                onClicked: if (sheet.picker) sheet.picker.imagePickerControllerDidCancel()
            }
        }

        GridView {
            id: grid
            objectName: "photoGridView"
            anchors.top: header.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: Theme.spacing / 2
            clip: true
            // Cells of about 170 px: well over a fingertip, three to seven across.
            readonly property int columns: Math.max(2, Math.floor(width / 170))
            readonly property int thumbEdge: Math.ceil((cellWidth - 8) * Screen.devicePixelRatio)
            cellWidth: Math.floor(width / columns)
            cellHeight: cellWidth
            cacheBuffer: cellHeight * 2
            reuseItems: true
            boundsBehavior: Flickable.StopAtBounds
            model: sheet.photos
            ScrollBar.vertical: ScrollBar { }
            delegate: Item {
                id: cell
                required property int index
                required property string path
                required property url thumbnail
                objectName: "photoCell" + index
                width: grid.cellWidth
                height: grid.cellHeight
                Rectangle {
                    anchors.fill: parent
                    anchors.margins: 4
                    radius: 6
                    color: tap.pressed ? Theme.highlight : Theme.disabledFill
                    border.color: tap.pressed ? Theme.accent : "transparent"
                    border.width: 3
                }
                Image {
                    objectName: "thumbnail"
                    anchors.fill: parent
                    anchors.margins: 7
                    source: cell.thumbnail
                    sourceSize: Qt.size(grid.thumbEdge, grid.thumbEdge)
                    fillMode: Image.PreserveAspectCrop
                    asynchronous: true
                    // The provider keeps its own small cache of thumbnails.
                    cache: false
                    clip: true
                    opacity: tap.pressed ? 0.7 : 1
                }
                TapHandler {
                    id: tap
                    onTapped: if (sheet.picker) sheet.picker.imagePickerDidPickFile(cell.path)
                }
            }
        }

        Text {
            objectName: "photoGridEmpty"
            anchors.centerIn: grid
            width: Math.min(grid.width - 4 * Theme.spacing, 560)
            visible: sheet.photos !== null && !sheet.photos.loading && sheet.photos.count === 0
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            color: Theme.ink
            font.pixelSize: Theme.fontLarge
            text: !sheet.photos ? ""
                : sheet.photos.folderExists
                  ? qsTr("Er staan geen foto's in de fotomap (%1).").arg(sheet.photos.folder)
                  : qsTr("De fotomap (%1) bestaat niet.").arg(sheet.photos.folder)
        }
        BusyIndicator {
            anchors.centerIn: grid
            running: sheet.photos !== null && sheet.photos.loading
            visible: running
        }
    }
}
