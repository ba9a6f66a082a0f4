import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The menu column: organisation header, entries with a glow mark on the chosen one, the "Welkom"
// button, the synchronisation status panel and the product logo; the red emergency roll button above
// the footer.
Rectangle {
    id: menu
    required property var controller
    readonly property var status: controller ? controller.statusView : null
    // Any entry or button tapped: a drawer holding the menu closes.
    signal chosen()
    color: Theme.menuBackground
    onVisibleChanged: if (controller) controller.setStatusShown(visible)
    onControllerChanged: if (controller) controller.setStatusShown(visible)

    Rectangle {
        // Separates the column from the panels.
        anchors.right: parent.right
        width: 1
        height: parent.height
        color: Theme.separator
        z: 1
    }

    Item {
        id: header
        objectName: "menuHeader"
        width: parent.width
        height: 104
        PhotoImage {
            id: logo
            x: Theme.spacing
            anchors.verticalCenter: parent.verticalCenter
            width: 56
            height: 56
            source: menu.controller ? menu.controller.organisationImage : ""
            placeholder: Theme.asset("Icon-100.png")
            fillMode: Image.PreserveAspectFit
        }
        Text {
            anchors.left: logo.right
            anchors.leftMargin: 10
            anchors.right: parent.right
            anchors.rightMargin: Theme.spacing
            anchors.verticalCenter: parent.verticalCenter
            text: menu.controller ? menu.controller.organisationName : ""
            color: Theme.ink
            font.pixelSize: Theme.fontNormal
            font.bold: true
            wrapMode: Text.Wrap
            maximumLineCount: 4
            elide: Text.ElideRight
        }
        TapHandler {
            onTapped: if (menu.controller) menu.controller.headerTapped()
        }
        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: Theme.separator
        }
    }

    ListView {
        id: entries
        objectName: "menuEntries"
        anchors.top: header.bottom
        anchors.bottom: footer.top
        width: parent.width
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: menu.controller ? menu.controller.cellContents : []
        delegate: ItemDelegate {
            id: entry
            required property int index
            required property var modelData
            readonly property bool chosen: menu.controller !== null && menu.controller.selectedOption === index
            objectName: "menuEntry" + index
            width: ListView.view.width
            // Every entry in sight on a short screen (the administrator's eight above the roll button),
            // never smaller than a finger.
            height: Math.max(44, Math.min(Theme.touchTarget,
                                          Math.floor(ListView.view.height / Math.max(1, ListView.view.count))))
            padding: 0
            onClicked: {
                menu.chosen()
                if (menu.controller)
                    menu.controller.tableViewDidSelectRowAtIndexPath(index)
            }

            background: Rectangle {
                color: entry.down ? Theme.separator : entry.chosen ? Theme.highlight : "transparent"
                Rectangle {
                    // The glow mark of the chosen entry.
                    visible: entry.chosen
                    width: 5
                    height: parent.height
                    color: Theme.accent
                }
            }
            contentItem: Item {
                Image {
                    id: entryIcon
                    x: Theme.spacing
                    anchors.verticalCenter: parent.verticalCenter
                    width: 26
                    height: 26
                    source: entry.modelData.CellImage
                    fillMode: Image.PreserveAspectFit
                    smooth: true
                }
                // The plain text is laid out as narrow as the bold one would be, so choosing an entry
                // never moves its words onto another line.
                TextMetrics {
                    id: boldWidth
                    font.pixelSize: 17
                    font.weight: Font.DemiBold
                    text: entry.modelData.CellText
                }
                TextMetrics {
                    id: plainWidth
                    font.pixelSize: 17
                    text: entry.modelData.CellText
                }
                Text {
                    // Long entries wrap rather than lose their end.
                    objectName: "menuEntryLabel"
                    readonly property real boldExtra: Math.max(0, Math.ceil(boldWidth.advanceWidth - plainWidth.advanceWidth))
                    x: entryIcon.x + entryIcon.width + 10
                    anchors.verticalCenter: parent.verticalCenter
                    width: entry.width - x - 6 - (entry.chosen ? 0 : boldExtra)
                    text: entry.modelData.CellText
                    color: entry.chosen ? Theme.accentPressed : Theme.ink
                    font.pixelSize: 17
                    font.weight: entry.chosen ? Font.DemiBold : Font.Normal
                    wrapMode: Text.Wrap
                    maximumLineCount: 2
                    elide: Text.ElideRight
                }
            }
        }
    }

    Column {
        id: footer
        anchors.bottom: parent.bottom
        width: parent.width
        bottomPadding: 8

        // The emergency roll: one tap, whatever the panels show.
        Button {
            id: rollButton
            objectName: "emergencyRollButton"
            x: Theme.spacing
            width: parent.width - 2 * Theme.spacing
            height: Theme.touchTarget
            focusPolicy: Qt.NoFocus
            onClicked: {
                menu.chosen()
                if (menu.controller)
                    menu.controller.openEmergencyRoll()
            }
            contentItem: Text {
                text: qsTr("Noodlijst")
                color: "white"
                font.pixelSize: Theme.fontNormal
                font.bold: true
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }
            background: Rectangle {
                radius: Theme.radius
                color: rollButton.down ? Qt.darker(Theme.danger, 1.2) : Theme.danger
            }
        }
        Item {
            width: 1
            height: 8
        }
        Rectangle {
            width: parent.width
            height: 1
            color: Theme.separator
        }
        ItemDelegate {
            id: welkom
            objectName: "welkomButton"
            width: parent.width
            height: Theme.touchTarget
            leftPadding: Theme.spacing
            rightPadding: Theme.spacing
            onClicked: {
                menu.chosen()
                if (menu.controller)
                    menu.controller.gaNaarMedewerker()
            }
            contentItem: Text {
                text: menu.controller ? menu.controller.welkomText : ""
                color: Theme.accent
                font.pixelSize: Theme.fontNormal
                font.bold: true
                elide: Text.ElideRight
                verticalAlignment: Text.AlignVCenter
            }
            background: Rectangle {
                color: welkom.down ? Theme.separator : "transparent"
            }
        }

        // The status panel.
        Column {
            x: Theme.spacing
            width: parent.width - 2 * Theme.spacing
            spacing: 4
            Row {
                spacing: 6
                height: 26
                Image {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 22
                    height: 22
                    source: Theme.asset("57-download.png")
                }
                Text {
                    objectName: "getParamsLabel"
                    anchors.verticalCenter: parent.verticalCenter
                    width: 36
                    text: menu.status ? menu.status.getParamsLabel : "0"
                    color: Theme.ink
                    font.pixelSize: Theme.fontSmall
                }
                Image {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 22
                    height: 22
                    source: Theme.asset("56-cloud.png")
                }
                Text {
                    objectName: "postParamsLabel"
                    anchors.verticalCenter: parent.verticalCenter
                    width: 36
                    text: menu.status ? menu.status.postParamsLabel : "0"
                    color: Theme.ink
                    font.pixelSize: Theme.fontSmall
                }
                Rectangle {
                    objectName: "internetView"
                    anchors.verticalCenter: parent.verticalCenter
                    width: 16
                    height: 16
                    radius: 8
                    color: menu.status ? menu.status.internetColor : Qt.rgba(0.8, 0.4, 0, 1)
                }
            }
            Text {
                objectName: "lastSynchTimeLabel"
                width: parent.width
                text: menu.status ? menu.status.lastSynchTimeLabel : ""
                color: Theme.inkSecondary
                font.pixelSize: 13
                wrapMode: Text.Wrap
                maximumLineCount: 3
                elide: Text.ElideRight
            }
            Text {
                width: parent.width
                text: menu.status ? menu.status.synchroIntervalLabel : ""
                color: Theme.inkSecondary
                font.pixelSize: 13
                elide: Text.ElideRight
            }
            Image {
                anchors.horizontalCenter: parent.horizontalCenter
                width: 120
                height: 38
                source: Theme.asset("marlevo.png")
                fillMode: Image.PreserveAspectFit
            }
        }
    }
}
