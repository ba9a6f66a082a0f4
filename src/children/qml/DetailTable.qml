import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The tabbed table of one person's detail panel: "Registraties", "Extra" and "Boodschappen", each
// row drawn after its kind; taps go to the controller.
Item {
    id: part
    required property var controller
    // The panel: it keeps the row a popover points at.
    property Item detail: null

    Row {
        id: tabs
        x: Theme.spacing
        y: Theme.spacing
        width: parent.width - 2 * Theme.spacing
        spacing: 2
        Repeater {
            model: [
                { tag: -1000, label: qsTr("Registraties") },
                { tag: -999, label: qsTr("Extra") },
                { tag: -998, label: qsTr("Boodschappen") }
            ]
            delegate: AbstractButton {
                id: tab
                required property var modelData
                readonly property bool current: part.controller !== null
                                                && part.controller.state === modelData.tag
                objectName: "tab" + modelData.tag
                width: (tabs.width - 2 * tabs.spacing) / 3
                height: 44
                focusPolicy: Qt.NoFocus
                onClicked: if (part.controller) part.controller.tabTapped(modelData.tag)
                background: Rectangle {
                    radius: 4
                    color: tab.current ? Theme.tabChosen : Theme.tabIdle
                }
                contentItem: Text {
                    text: tab.modelData.label
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    color: Theme.onDark
                    font.pixelSize: Theme.fontSmall + 1
                    font.bold: tab.current
                    // Bold takes more room: a label that no longer fits gets a little smaller.
                    fontSizeMode: Text.HorizontalFit
                    minimumPixelSize: Theme.fontSmall - 2
                    elide: Text.ElideRight
                }
            }
        }
    }

    ListView {
        id: mainTable
        objectName: "mainTable"
        anchors.top: tabs.bottom
        anchors.topMargin: 6
        anchors.bottom: parent.bottom
        width: parent.width
        clip: true
        model: part.controller ? part.controller.table : null
        ScrollIndicator.vertical: ScrollIndicator {}
        delegate: ItemDelegate {
            id: row
            objectName: kind === 4 ? "messageRow" : kind === 2 ? "productRow" : ""
            required property int index
            required property int kind
            required property string day
            required property string time
            required property string type
            required property bool isIn
            required property bool warning
            required property string door
            required property string title
            required property string body
            // Kinds as DetailTableModel names them.
            readonly property bool registratie: kind === 0
            readonly property bool buttonRow: kind === 1 || kind === 3
            readonly property bool editing: kind === 4 && part.controller !== null
                                            && part.controller.messageIsEditable
            width: ListView.view.width
            height: kind === 2 || kind === 4 ? Math.max(56, record.implicitHeight + 16) : 56
            padding: 0
            focusPolicy: Qt.NoFocus
            onClicked: {
                if (!part.controller || buttonRow || editing)
                    return
                part.detail.rowAnchor = row
                part.controller.showPickedTableView(index)
            }
            background: Rectangle {
                color: row.down && !row.buttonRow ? Theme.highlight : Theme.panel
                Rectangle {
                    anchors.bottom: parent.bottom
                    x: Theme.spacing
                    width: parent.width - Theme.spacing
                    height: 1
                    color: Theme.separator
                }
            }
            contentItem: Item {
                // ---- a registration: day, time, type, warning, wrench
                Item {
                    anchors.fill: parent
                    visible: row.registratie
                    Text {
                        id: dayText
                        x: Theme.spacing
                        anchors.verticalCenter: parent.verticalCenter
                        width: 142
                        text: row.day
                        color: Theme.ink
                        font.pixelSize: Theme.fontNormal - 1
                        elide: Text.ElideRight
                    }
                    Text {
                        id: timeText
                        objectName: "timeText"
                        anchors.left: dayText.right
                        anchors.verticalCenter: parent.verticalCenter
                        width: 58
                        text: row.time
                        color: Theme.ink
                        font.pixelSize: Theme.fontNormal
                        font.bold: true
                    }
                    DetailIcon {
                        id: typeIcon
                        objectName: "typeIcon"
                        anchors.left: timeText.right
                        anchors.verticalCenter: parent.verticalCenter
                        width: 24
                        height: 24
                        kind: row.isIn ? "in" : "out"
                    }
                    Text {
                        anchors.left: typeIcon.right
                        anchors.leftMargin: 4
                        anchors.verticalCenter: parent.verticalCenter
                        text: row.type
                        color: Theme.inkSecondary
                        font.pixelSize: Theme.fontSmall
                    }
                    DetailIcon {
                        objectName: "warningIcon"
                        anchors.right: wrench.left
                        anchors.rightMargin: 4
                        anchors.verticalCenter: parent.verticalCenter
                        width: 24
                        height: 24
                        kind: "warning"
                        visible: row.warning
                    }
                    AbstractButton {
                        id: wrench
                        objectName: "wrenchButton"
                        // Its room stays when the panel's people have no registration options.
                        visible: part.controller ? part.controller.offersRegistrationOptions : true
                        anchors.right: parent.right
                        anchors.rightMargin: 4
                        anchors.verticalCenter: parent.verticalCenter
                        width: 48
                        height: 48
                        padding: 12
                        focusPolicy: Qt.NoFocus
                        onClicked: {
                            part.detail.rowAnchor = row
                            part.detail.showOptions(wrench, -100, row.index)
                        }
                        contentItem: DetailIcon { kind: "wrench"; color: Theme.inkSecondary }
                    }
                }
                // ---- the button row of "Extra"
                TouchButton {
                    id: voegProductToe
                    objectName: "voegProductToe"
                    visible: row.kind === 1
                    x: Theme.spacing
                    anchors.verticalCenter: parent.verticalCenter
                    height: 44
                    text: qsTr("Voeg product toe")
                    onClicked: {
                        if (!part.controller)
                            return
                        // The choice opens at the button, clear of the name and the clock buttons.
                        part.detail.rowAnchor = voegProductToe
                        part.controller.showProducts()
                    }
                }
                // ---- the button row of "Boodschappen": the two buttons share its width
                Row {
                    id: messageButtons
                    visible: row.kind === 3
                    x: Theme.spacing
                    width: parent.width - 2 * Theme.spacing
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: Theme.spacing
                    TouchButton {
                        objectName: "verwijderBoodschap"
                        width: (messageButtons.width - messageButtons.spacing) / 2
                        leftPadding: 8
                        rightPadding: 8
                        font.pixelSize: Theme.fontSmall + 1
                        height: 44
                        destructive: !(part.controller && part.controller.messageIsEditable)
                        text: part.controller ? part.controller.editButtonTitle : ""
                        onClicked: if (part.controller) part.controller.setTableEditable()
                    }
                    TouchButton {
                        objectName: "voegBoodschapToe"
                        width: (messageButtons.width - messageButtons.spacing) / 2
                        leftPadding: 8
                        rightPadding: 8
                        font.pixelSize: Theme.fontSmall + 1
                        height: 44
                        text: qsTr("Voeg boodschap toe")
                        onClicked: {
                            if (!part.controller)
                                return
                            part.detail.rowAnchor = row
                            part.controller.createBoodschap()
                        }
                    }
                }
                // ---- a product or a message: day and author, then what (a message's text in full)
                Item {
                    anchors.fill: parent
                    visible: row.kind === 2 || row.kind === 4
                    Column {
                        id: record
                        x: Theme.spacing
                        anchors.verticalCenter: parent.verticalCenter
                        width: (deleteMessage.visible ? deleteMessage.x - 6 : parent.width - Theme.spacing) - x
                        spacing: 2
                        Row {
                            spacing: Theme.spacing
                            Text {
                                objectName: "recordDay"
                                text: row.day
                                color: Theme.ink
                                font.pixelSize: Theme.fontSmall
                            }
                            Text {
                                objectName: "recordDoor"
                                text: row.door
                                color: Theme.inkSecondary
                                font.pixelSize: Theme.fontSmall
                            }
                        }
                        Text {
                            objectName: "recordTitle"
                            width: parent.width
                            text: row.title
                            color: Theme.ink
                            font.pixelSize: Theme.fontNormal
                            font.bold: true
                            wrapMode: Text.Wrap
                        }
                        Text {
                            objectName: "recordText"
                            width: parent.width
                            visible: text !== ""
                            text: row.body
                            color: Theme.ink
                            font.pixelSize: Theme.fontNormal - 1
                            wrapMode: Text.Wrap
                        }
                    }
                    TouchButton {
                        id: deleteMessage
                        objectName: "deleteMessage"
                        visible: row.editing
                        anchors.right: parent.right
                        anchors.rightMargin: 6
                        anchors.verticalCenter: parent.verticalCenter
                        height: 40
                        implicitWidth: 100
                        primary: true
                        destructive: true
                        text: qsTr("Verwijder")
                        onClicked: if (part.controller) part.controller.deleteBoodschapRow(row.index)
                    }
                }
            }
        }
    }
}
