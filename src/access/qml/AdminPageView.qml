import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The queue screen: a header with the column titles and the full resend, then one row per queue record.
// The panel is narrow, so each row holds its values on up to three lines under the matching titles,
// a long one breaking onto more.
Rectangle {
    id: view
    objectName: "adminPageView"
    required property var controller
    color: Theme.panel

    readonly property int fontSize: 12
    // Three columns and the button: the dates need the room, the status and tries the least.
    readonly property real columns: width - 44 - 4 * 4
    readonly property real firstWidth: columns * 0.37
    readonly property real secondWidth: columns * 0.37
    readonly property real thirdWidth: columns * 0.26

    // Up to three stacked texts in one column of a row or of the header.
    component Cell: Column {
        id: cell
        property var texts: []
        property var names: []
        property bool heading: false
        anchors.verticalCenter: parent.verticalCenter
        Repeater {
            model: cell.texts.length
            Text {
                required property int index
                objectName: cell.names[index] ?? ""
                width: cell.width
                text: cell.texts[index]
                color: cell.heading ? Theme.inkSecondary : index === 0 ? Theme.ink : Theme.inkSecondary
                font.pixelSize: view.fontSize
                font.bold: cell.heading
                // Values break anywhere (identifiers have no spaces) and are read whole.
                wrapMode: cell.heading ? Text.NoWrap : Text.WrapAnywhere
            }
        }
    }

    NavigationBar {
        id: bar
        width: parent.width
        title: view.controller ? view.controller.title : ""
    }

    Rectangle {
        id: header
        objectName: "adminHeader"
        anchors.top: bar.bottom
        width: parent.width
        height: 50
        color: Theme.background
        Row {
            x: 4
            height: parent.height
            spacing: 4
            Cell {
                width: view.firstWidth
                heading: true
                texts: [qsTr("ID"), qsTr("entryDate"), qsTr("Laatste poging")]
            }
            Cell {
                width: view.secondWidth
                heading: true
                texts: [qsTr("objectType"), qsTr("httpType"), ""]
            }
            Cell {
                width: view.thirdWidth
                heading: true
                texts: [qsTr("status"), qsTr("Pogingen")]
            }
            Item {
                objectName: "retryAllButton"
                width: 44
                height: 44
                anchors.verticalCenter: parent.verticalCenter
                Image {
                    anchors.centerIn: parent
                    width: 30
                    height: 30
                    source: Theme.asset("02-redo.png")
                    fillMode: Image.PreserveAspectFit
                }
                TapHandler { onTapped: if (view.controller) view.controller.doRetryAll() }
            }
        }
        Rectangle { anchors.bottom: parent.bottom; width: parent.width; height: 1; color: Theme.separator }
    }

    ListView {
        id: list
        objectName: "adminList"
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        clip: true
        reuseItems: true
        boundsBehavior: Flickable.StopAtBounds
        model: view.controller ? view.controller.syncObjects : null
        ScrollIndicator.vertical: ScrollIndicator {}

        delegate: Item {
            id: row
            required property int index
            required property string synchroObjectId
            required property string entryDate
            required property string objectId
            required property string objectType
            required property string httpType
            required property string nrOfTries
            required property string lastTryDate
            required property string status
            required property bool retried

            width: ListView.view.width
            height: Math.max(50, values.implicitHeight + 8)
            Row {
                id: values
                x: 4
                height: parent.height
                spacing: 4
                Cell {
                    width: view.firstWidth
                    texts: [row.synchroObjectId, row.entryDate, row.lastTryDate]
                    names: ["synchroObjectIdLabel", "entryDateLabel", "lastTryDateLabel"]
                }
                Cell {
                    width: view.secondWidth
                    texts: [row.objectType, row.httpType, row.objectId]
                    names: ["objectTypeLabel", "httpTypeLabel", "objectIdLabel"]
                }
                Cell {
                    width: view.thirdWidth
                    texts: [row.status, row.nrOfTries]
                    names: ["statusLabel", "nrOfTriesLabel"]
                }
                Item {
                    objectName: "retryButton"
                    width: 44
                    height: 44
                    anchors.verticalCenter: parent.verticalCenter
                    property bool retried: row.retried
                    Image {
                        anchors.centerIn: parent
                        width: 28
                        height: 28
                        source: Theme.asset(row.retried ? "56-cloud.png" : "02-redo.png")
                        fillMode: Image.PreserveAspectFit
                    }
                    TapHandler { onTapped: if (view.controller) view.controller.doRetry(row.index) }
                }
            }
            Rectangle { anchors.bottom: parent.bottom; x: 4; width: parent.width - 4; height: 1; color: Theme.separator }
        }
    }
}
