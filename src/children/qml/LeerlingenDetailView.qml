import QtQuick
import QtQuick.Controls
import "../../support/qml"
import "../../media/qml"

// The detail panel of the active selection: photo and name, the clock-in and clock-out buttons with the
// time and day choice, suggested relatives, and either the tabbed table of one child or the pictures and
// "Actieve Selectie" of several. Everything is the controller's; this view binds and forwards taps.
Rectangle {
    id: view
    objectName: "detailView"
    required property var controller
    color: Theme.background

    readonly property bool single: controller ? controller.single : false
    readonly property bool several: controller ? controller.several : false

    // The wrench that opened the options popover, and the row tapped last: the popovers point at them.
    property Item optionsAnchor: null
    property Item rowAnchor: null

    function showOptions(button, tag, row) {
        if (!controller)
            return
        optionsAnchor = button
        controller.showOptions(tag, row)
    }

    // ---------------------------------------------------------------- photo, name, buttons
    Rectangle {
        id: header
        width: parent.width
        height: headerColumn.implicitHeight + 2 * Theme.spacing
        color: Theme.panel

        Column {
            id: headerColumn
            x: Theme.spacing
            y: Theme.spacing
            width: parent.width - 2 * Theme.spacing
            spacing: Theme.spacing

            Row {
                width: parent.width
                spacing: Theme.spacing
                PhotoImage {
                    id: imageView
                    objectName: "imageView"
                    visible: view.single
                    width: 88
                    height: 88
                    source: view.controller ? view.controller.photo : ""
                    // The photo button (overlay): a new photo for the one selected child.
                    TapHandler {
                        enabled: view.controller !== null && view.controller.overlayActive
                        onTapped: view.controller.changeAvatar()
                    }
                }
                Text {
                    id: naamLabel
                    objectName: "naamLabel"
                    width: parent.width - (imageView.visible ? imageView.width + parent.spacing : 0)
                    height: 88
                    verticalAlignment: Text.AlignVCenter
                    text: view.controller ? view.controller.naam : ""
                    color: Theme.ink
                    font.pixelSize: Theme.fontTitle + 4
                    font.bold: true
                    wrapMode: Text.Wrap
                    maximumLineCount: 2
                    elide: Text.ElideRight
                }
            }

            Row {
                id: clockButtons
                width: parent.width
                spacing: Theme.spacing
                Repeater {
                    model: [
                        { name: "enterButton", label: qsTr("Inklokken"), icon: "in", activity: 1 },
                        { name: "exitButton", label: qsTr("Uitklokken"), icon: "out", activity: 2 }
                    ]
                    delegate: Item {
                        id: clockButton
                        required property var modelData
                        readonly property bool busy: view.controller !== null
                                                     && view.controller.activityButton === modelData.activity
                        width: (clockButtons.width - clockButtons.spacing) / 2
                        height: 64
                        TouchButton {
                            objectName: clockButton.modelData.name
                            anchors.fill: parent
                            primary: clockButton.modelData.activity === 1
                            // Room for the drawn icon at the left.
                            leftPadding: 46
                            rightPadding: 8
                            text: clockButton.modelData.label
                            font.pixelSize: Theme.fontLarge - 2
                            font.bold: true
                            enabled: view.controller !== null && (clockButton.modelData.activity === 1
                                                                  ? view.controller.enterEnabled
                                                                  : view.controller.exitEnabled)
                            onClicked: {
                                if (!view.controller)
                                    return
                                if (clockButton.modelData.activity === 1)
                                    view.controller.schrijfKindInMetCheck()
                                else
                                    view.controller.schrijfKindUitMetCheck()
                            }
                        }
                        DetailIcon {
                            x: 14
                            anchors.verticalCenter: parent.verticalCenter
                            width: 30
                            height: 30
                            kind: clockButton.modelData.icon
                            color: clockButton.modelData.activity === 1 ? "white" : Theme.accent
                            visible: !clockButton.busy
                        }
                        BusyIndicator {
                            objectName: clockButton.modelData.name + "Activity"
                            anchors.centerIn: parent
                            width: 44
                            height: 44
                            running: clockButton.busy
                            visible: clockButton.busy
                            opacity: clockButton.busy && view.controller.activityFading ? 0 : 1
                            Behavior on opacity {
                                NumberAnimation { duration: view.controller ? view.controller.animationMs : 700 }
                            }
                        }
                    }
                }
            }

            ClockChoiceButtons {
                id: choiceButtons
                width: parent.width
                choice: view.controller ? view.controller.clockChoice : null
            }
        }
        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: Theme.separator
        }
    }

    // ---------------------------------------------------------------- suggested relatives
    Item {
        id: suggestions
        anchors.top: header.bottom
        width: parent.width
        readonly property int count: view.controller ? view.controller.suggesties.count : 0
        height: count > 0 ? 104 : 0
        visible: count > 0
        clip: true

        Text {
            x: Theme.spacing
            y: 6
            text: qsTr("Suggesties")
            color: Theme.inkSecondary
            font.pixelSize: Theme.fontSmall
        }
        ListView {
            id: tableSuggesties
            objectName: "tableSuggesties"
            x: Theme.spacing
            y: 28
            width: parent.width - 2 * Theme.spacing
            height: 72
            orientation: ListView.Horizontal
            spacing: 10
            model: view.controller ? view.controller.suggesties : null
            delegate: ItemDelegate {
                required property int index
                required property string name
                required property url photo
                width: 64
                height: 72
                padding: 0
                focusPolicy: Qt.NoFocus
                background: null
                onClicked: if (view.controller) view.controller.suggestieTapped(index)
                contentItem: Column {
                    spacing: 2
                    PhotoImage {
                        anchors.horizontalCenter: parent.horizontalCenter
                        width: 48
                        height: 48
                        source: photo
                    }
                    Text {
                        width: 64
                        text: name
                        horizontalAlignment: Text.AlignHCenter
                        elide: Text.ElideRight
                        color: Theme.ink
                        font.pixelSize: Theme.fontSmall - 2
                    }
                }
            }
        }
    }

    // ---------------------------------------------------------------- clocked on another tablet too
    Rectangle {
        id: otherTablet
        objectName: "otherTabletNotice"
        readonly property string notice: view.controller ? view.controller.otherTabletNotice : ""
        anchors.top: suggestions.bottom
        width: parent.width
        visible: notice !== "" && !view.several
        height: visible ? otherTabletColumn.implicitHeight + 2 * Theme.spacing : 0
        color: "#fdf1e4"
        Column {
            id: otherTabletColumn
            x: Theme.spacing
            y: Theme.spacing
            width: parent.width - 2 * Theme.spacing
            spacing: 8
            Text {
                objectName: "otherTabletText"
                width: parent.width
                text: otherTablet.notice
                color: Theme.ink
                font.pixelSize: Theme.fontNormal
                font.bold: true
                wrapMode: Text.Wrap
            }
            TouchButton {
                objectName: "deleteLaterDuplicate"
                width: parent.width
                destructive: true
                text: view.controller ? view.controller.otherTabletRemoveTitle : ""
                onClicked: if (view.controller) view.controller.deleteLaterDuplicate()
            }
        }
        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: Theme.separator
        }
    }

    // ---------------------------------------------------------------- one child: the tabbed table
    Item {
        id: singlePart
        anchors.top: otherTablet.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        visible: !view.several

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
                    readonly property bool current: view.controller !== null
                                                    && view.controller.state === modelData.tag
                    objectName: "tab" + modelData.tag
                    width: (tabs.width - 2 * tabs.spacing) / 3
                    height: 44
                    focusPolicy: Qt.NoFocus
                    onClicked: if (view.controller) view.controller.tabTapped(modelData.tag)
                    background: Rectangle {
                        radius: 4
                        color: tab.current ? "black" : "#9aa3a8"
                    }
                    contentItem: Text {
                        text: tab.modelData.label
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        color: "white"
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
            model: view.controller ? view.controller.table : null
            ScrollIndicator.vertical: ScrollIndicator {}
            delegate: ItemDelegate {
                id: row
                required property int index
                required property int kind
                required property string day
                required property string time
                required property string type
                required property bool isIn
                required property bool warning
                required property string door
                required property string title
                // Kinds as DetailTableModel names them.
                readonly property bool registratie: kind === 0
                readonly property bool buttonRow: kind === 1 || kind === 3
                readonly property bool editing: kind === 4 && view.controller !== null
                                                && view.controller.messageIsEditable
                width: ListView.view.width
                height: 56
                padding: 0
                focusPolicy: Qt.NoFocus
                onClicked: {
                    if (!view.controller || buttonRow || editing)
                        return
                    view.rowAnchor = row
                    view.controller.showPickedTableView(index)
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
                            visible: view.controller ? view.controller.offersRegistrationOptions : true
                            anchors.right: parent.right
                            anchors.rightMargin: 4
                            anchors.verticalCenter: parent.verticalCenter
                            width: 48
                            height: 48
                            padding: 12
                            focusPolicy: Qt.NoFocus
                            onClicked: {
                                view.rowAnchor = row
                                view.showOptions(wrench, -100, row.index)
                            }
                            contentItem: DetailIcon { kind: "wrench"; color: Theme.inkSecondary }
                        }
                    }
                    // ---- the button row of "Extra"
                    TouchButton {
                        objectName: "voegProductToe"
                        visible: row.kind === 1
                        x: Theme.spacing
                        anchors.verticalCenter: parent.verticalCenter
                        height: 44
                        text: qsTr("Voeg product toe")
                        onClicked: if (view.controller) view.controller.showProducts()
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
                            destructive: !(view.controller && view.controller.messageIsEditable)
                            text: view.controller ? view.controller.editButtonTitle : ""
                            onClicked: if (view.controller) view.controller.setTableEditable()
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
                                if (!view.controller)
                                    return
                                view.rowAnchor = row
                                view.controller.createBoodschap()
                            }
                        }
                    }
                    // ---- a product or a message: day, author, what
                    Item {
                        anchors.fill: parent
                        visible: row.kind === 2 || row.kind === 4
                        Text {
                            id: recordDay
                            x: Theme.spacing
                            anchors.verticalCenter: parent.verticalCenter
                            width: 142
                            text: row.day
                            color: Theme.ink
                            font.pixelSize: Theme.fontNormal - 1
                            elide: Text.ElideRight
                        }
                        Text {
                            id: recordDoor
                            anchors.left: recordDay.right
                            anchors.verticalCenter: parent.verticalCenter
                            width: 90
                            text: row.door
                            color: Theme.inkSecondary
                            font.pixelSize: Theme.fontSmall
                            elide: Text.ElideRight
                        }
                        Text {
                            anchors.left: recordDoor.right
                            anchors.leftMargin: 6
                            anchors.right: deleteMessage.visible ? deleteMessage.left : parent.right
                            anchors.rightMargin: Theme.spacing
                            anchors.verticalCenter: parent.verticalCenter
                            text: row.title
                            color: Theme.ink
                            font.pixelSize: Theme.fontNormal
                            font.bold: true
                            elide: Text.ElideRight
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
                            onClicked: if (view.controller) view.controller.deleteBoodschapRow(row.index)
                        }
                    }
                }
            }
        }
    }

    // ---------------------------------------------------------------- several: pictures and the selection
    Item {
        id: severalPart
        anchors.top: suggestions.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        visible: view.several

        ListView {
            id: tableKinderen
            objectName: "tableKinderen"
            x: Theme.spacing
            y: Theme.spacing
            width: parent.width - 2 * Theme.spacing
            height: 64
            orientation: ListView.Horizontal
            spacing: 8
            interactive: view.controller ? view.controller.activityButton === 0 : true
            model: view.controller ? view.controller.selectie : null
            delegate: PhotoImage {
                required property url photo
                width: 64
                height: 64
                source: photo
            }
        }

        Rectangle {
            id: selectionBar
            anchors.top: tableKinderen.bottom
            anchors.topMargin: Theme.spacing
            width: parent.width
            height: 36
            color: "black"
            Text {
                x: Theme.spacing
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Actieve Selectie")
                color: "white"
                font.pixelSize: Theme.fontNormal
                font.bold: true
            }
        }

        ListView {
            id: tableViewSelection
            objectName: "tableViewSelection"
            anchors.top: selectionBar.bottom
            anchors.bottom: parent.bottom
            width: parent.width
            clip: true
            model: view.controller ? view.controller.selectie : null
            ScrollIndicator.vertical: ScrollIndicator {}
            delegate: Rectangle {
                id: member
                required property int index
                required property string name
                required property url photo
                width: ListView.view.width
                height: 60
                color: Theme.panel
                PhotoImage {
                    id: memberPhoto
                    x: Theme.spacing
                    anchors.verticalCenter: parent.verticalCenter
                    width: 44
                    height: 44
                    source: member.photo
                }
                Text {
                    anchors.left: memberPhoto.right
                    anchors.leftMargin: Theme.spacing
                    anchors.right: memberWrench.left
                    anchors.verticalCenter: parent.verticalCenter
                    text: member.name
                    color: Theme.ink
                    font.pixelSize: Theme.fontNormal
                    elide: Text.ElideRight
                }
                AbstractButton {
                    id: memberWrench
                    objectName: "wrenchButton"
                    visible: view.controller ? view.controller.offersDeselect : true
                    anchors.right: parent.right
                    anchors.rightMargin: 4
                    anchors.verticalCenter: parent.verticalCenter
                    width: 48
                    height: 48
                    padding: 12
                    focusPolicy: Qt.NoFocus
                    onClicked: view.showOptions(memberWrench, -96, member.index)
                    contentItem: DetailIcon { kind: "wrench"; color: Theme.inkSecondary }
                }
                Rectangle {
                    anchors.bottom: parent.bottom
                    x: Theme.spacing
                    width: parent.width - Theme.spacing
                    height: 1
                    color: Theme.separator
                }
            }
        }
    }

    // ---------------------------------------------------------------- options popover
    Popup {
        id: optionsPopover
        objectName: "optionsPopover"
        readonly property var options: view.controller ? view.controller.options : null
        parent: Overlay.overlay
        width: options ? options.preferredWidth : 160
        height: options ? options.preferredHeight : 90
        padding: 0
        modal: true
        dim: false
        closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
        // Left of the wrench, its middle level with it.
        x: {
            if (!view.optionsAnchor || !parent)
                return 0
            const p = view.optionsAnchor.mapToItem(parent, 0, 0)
            return Math.max(4, p.x - width - 6)
        }
        y: {
            if (!view.optionsAnchor || !parent)
                return 0
            const p = view.optionsAnchor.mapToItem(parent, 0, view.optionsAnchor.height / 2)
            return Math.min(parent.height - height - 4, Math.max(4, p.y - height / 2))
        }
        onOptionsChanged: if (options) open(); else close()
        onClosed: if (view.controller && options) view.controller.closeOptions()
        background: Rectangle {
            radius: 10
            color: Theme.panel
            border.color: Theme.separator
        }
        contentItem: OptionsPopoverView {
            controller: optionsPopover.options
        }
    }

    // ---------------------------------------------------------------- the other popovers
    // Each is open while the controller holds its screen; a tap outside closes it through the controller.
    component ScreenPopover: Popover {
        property var screen: null
        property Item anchor: null
        property int screenWidth: 160
        property int screenHeight: 200
        signal dismissed()
        onScreenChanged: {
            if (screen)
                openFor(anchor, screen, screenWidth, screenHeight)
            else
                close()
        }
        onClosed: if (screen) dismissed()
    }
    ScreenPopover {
        objectName: "timeChangerPopover"
        anchor: view.rowAnchor
        screen: view.controller ? view.controller.timeChanger : null
        onDismissed: view.controller.closeTimeChanger()
    }
    ScreenPopover {
        objectName: "productAdderPopover"
        anchor: view.rowAnchor
        screen: view.controller ? view.controller.productAdder : null
        screenWidth: 150
        screenHeight: 140
        onDismissed: view.controller.closeProductAdder()
    }
    ScreenPopover {
        objectName: "productRemoverPopover"
        anchor: view.rowAnchor
        screen: view.controller ? view.controller.productRemover : null
        screenWidth: 200
        screenHeight: 40
        onDismissed: view.controller.closeProductRemover()
    }
    ScreenPopover {
        objectName: "creatorPopover"
        anchor: view.rowAnchor
        screen: view.controller ? view.controller.creator : null
        screenWidth: 480
        screenHeight: 420
        // Typed text is not thrown away by a stray tap: the controller asks first.
        guarded: true
        onOutsidePressed: view.controller.popoverControllerShouldDismissPopover()
    }

    // ---------------------------------------------------------------- photo picker
    // Under the header, not over "Inklokken" and "Uitklokken": a clocking stays one tap away.
    MediaPopover {
        objectName: "mediaPopover"
        x: Theme.spacing
        y: header.y + header.height + 4
        picker: view.controller ? view.controller.mediaPicker : null
        onDismissed: view.controller.closeMediaPopOver()
    }
}
