import QtQuick
import QtQuick.Controls

// A table row: picture, title and detail text, an optional text at the right and a disclosure mark.
ItemDelegate {
    id: row
    property alias imageSource: picture.source
    property alias placeholder: picture.placeholder
    property bool showImage: true
    property string title
    property string detail
    property string accessoryText
    property bool disclosure: false
    property bool selectedRow: false

    implicitHeight: Theme.rowHeight
    width: ListView.view ? ListView.view.width : implicitWidth
    padding: 0

    background: Rectangle {
        color: row.down ? Theme.separator : row.selectedRow ? Theme.highlight : Theme.panel
        Rectangle {
            anchors.bottom: parent.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.leftMargin: Theme.spacing
            height: 1
            color: Theme.separator
        }
    }

    contentItem: Item {
        PhotoImage {
            id: picture
            visible: row.showImage
            x: Theme.spacing
            anchors.verticalCenter: parent.verticalCenter
            width: Theme.rowHeight - 16
            height: width
            fillMode: Image.PreserveAspectFit
        }
        Column {
            anchors.left: row.showImage ? picture.right : parent.left
            anchors.leftMargin: Theme.spacing
            anchors.right: accessory.left
            anchors.rightMargin: Theme.spacing
            anchors.verticalCenter: parent.verticalCenter
            spacing: 2
            Text {
                width: parent.width
                text: row.title
                color: Theme.ink
                font.pixelSize: Theme.fontNormal
                elide: Text.ElideRight
            }
            Text {
                width: parent.width
                text: row.detail
                visible: text.length > 0
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontSmall
                elide: Text.ElideRight
            }
        }
        Row {
            id: accessory
            anchors.right: parent.right
            anchors.rightMargin: Theme.spacing
            anchors.verticalCenter: parent.verticalCenter
            spacing: 8
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: row.accessoryText
                visible: text.length > 0
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontSmall
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "\u203A"
                visible: row.disclosure
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontLarge + 6
            }
        }
    }
}
