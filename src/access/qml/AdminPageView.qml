import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The queue screen: a header with the column titles and the full resend, then one row per queue record.
// The panel is narrow, so each row holds its values on two lines under the matching titles.
Rectangle {
    id: view
    objectName: "adminPageView"
    required property var controller
    color: Theme.panel

    readonly property int fontSize: 12
    readonly property real idWidth: (width - 44 - 5 * 4) * 0.33
    readonly property real typeWidth: (width - 44 - 5 * 4) * 0.31
    readonly property real httpWidth: (width - 44 - 5 * 4) * 0.16
    readonly property real statusWidth: (width - 44 - 5 * 4) * 0.20

    // Two stacked texts in one column of a row or of the header.
    component Cell: Column {
        property alias top: topText.text
        property alias bottom: bottomText.text
        property bool heading: false
        property string topName
        property string bottomName
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        Text {
            id: topText
            objectName: parent.topName
            width: parent.width
            color: parent.heading ? Theme.inkSecondary : Theme.ink
            font.pixelSize: view.fontSize
            font.bold: parent.heading
            elide: Text.ElideMiddle
        }
        Text {
            id: bottomText
            objectName: parent.bottomName
            width: parent.width
            color: parent.heading ? Theme.inkSecondary : Theme.ink
            font.pixelSize: view.fontSize
            font.bold: parent.heading
            elide: Text.ElideRight
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
            Cell { width: view.idWidth; heading: true; top: qsTr("ID"); bottom: qsTr("entryDate") }
            Cell { width: view.typeWidth; heading: true; top: qsTr("objectType"); bottom: qsTr("Laatste poging") }
            Cell { width: view.httpWidth; heading: true; top: qsTr("httpType"); bottom: qsTr("Pogingen") }
            Cell { width: view.statusWidth; heading: true; top: qsTr("status"); bottom: "" }
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
            height: 50
            Row {
                x: 4
                height: parent.height
                spacing: 4
                Cell {
                    width: view.idWidth
                    top: row.synchroObjectId
                    topName: "synchroObjectIdLabel"
                    bottom: row.entryDate
                    bottomName: "entryDateLabel"
                }
                Cell {
                    width: view.typeWidth
                    top: row.objectType
                    topName: "objectTypeLabel"
                    bottom: row.lastTryDate
                    bottomName: "lastTryDateLabel"
                }
                Cell {
                    width: view.httpWidth
                    top: row.httpType
                    topName: "httpTypeLabel"
                    bottom: row.nrOfTries
                    bottomName: "nrOfTriesLabel"
                }
                Cell {
                    width: view.statusWidth
                    top: row.status
                    topName: "statusLabel"
                    bottom: row.objectId
                    bottomName: "objectIdLabel"
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
