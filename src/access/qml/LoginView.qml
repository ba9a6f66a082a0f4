import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The login screen: the location button and search bar over a grid of staff tiles, the password
// panel (organisation login or an administrator's password), the profile sheet and the location
// popover of the coupling. Everything it shows and does goes through the controller.
Rectangle {
    id: view
    required property var controller
    readonly property string stateName: controller ? controller.stateName : ""
    readonly property bool gridShown: controller ? controller.gridVisible : false
    readonly property bool panelShown: controller ? controller.panelVisible : false

    color: Theme.background

    function applyFocus() {
        const field = view.controller ? view.controller.focusField : 0
        if (field === 1)
            nameField.forceActiveFocus()
        else if (field === 2)
            passwordField.forceActiveFocus()
        else
            view.forceActiveFocus()
    }

    // The sheet and the popover follow the state; opened and closed here, since a popover closed by a
    // tap outside would lose a binding on its visibility.
    function syncPopups() {
        if (stateName === "deviceSelection") deviceSheet.open(); else deviceSheet.close()
        if (stateName === "locationSelection") schoolPopover.open(); else schoolPopover.close()
    }
    onStateNameChanged: syncPopups()
    // A tile tapped while the new staff fade in: the grid's own fade-out takes over.
    onGridShownChanged: gridFadeIn.stop()

    Connections {
        target: view.controller
        ignoreUnknownSignals: true
        function onFocusFieldChanged() { Qt.callLater(view.applyFocus) }
        function onLocationChosen() { gridFadeIn.restart() }
    }
    Component.onCompleted: {
        syncPopups()
        Qt.callLater(applyFocus)
    }

    // ---------------------------------------------------------------- grid with its bar
    Item {
        id: gridPart
        objectName: "staffGridPart"
        anchors.fill: parent
        opacity: view.gridShown ? 1 : 0
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: 1000 } }

        // The staff of a newly chosen location fade in, even though the grid was already on screen.
        NumberAnimation {
            id: gridFadeIn
            target: gridPart
            property: "opacity"
            from: 0
            to: 1
            duration: 1000
        }

        Rectangle {
            id: topBar
            width: parent.width
            height: Theme.touchTarget + 2 * Theme.spacing
            color: Theme.panel

            TouchButton {
                id: locationButton
                objectName: "locationButton"
                anchors.left: parent.left
                anchors.leftMargin: Theme.spacing
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth, parent.width - search.width - 3 * Theme.spacing)
                text: view.controller ? view.controller.locationButtonTitle : ""
                icon.source: Theme.asset("177-building.png")
                onClicked: if (view.controller) view.controller.showSchools()
            }
            SearchField {
                id: search
                objectName: "staffSearchField"
                anchors.right: parent.right
                anchors.rightMargin: Theme.spacing
                anchors.verticalCenter: parent.verticalCenter
                width: 360
                text: view.controller ? view.controller.searchText : ""
                onSearched: (text) => { if (view.controller) view.controller.searchBarTextDidChange(text) }
            }
            Rectangle {
                anchors.bottom: parent.bottom
                width: parent.width
                height: 1
                color: Theme.separator
            }
        }

        // After the idle lock: why the grid is here instead of the screen that was left.
        Rectangle {
            id: lockNotice
            objectName: "lockNotice"
            anchors.top: topBar.bottom
            width: parent.width
            height: visible ? lockText.implicitHeight + Theme.spacing : 0
            visible: lockText.text.length > 0
            color: Theme.highlight
            Text {
                id: lockText
                objectName: "lockReason"
                anchors.centerIn: parent
                width: parent.width - 2 * Theme.spacing
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                text: view.controller ? view.controller.lockReason : ""
                color: Theme.ink
                font.pixelSize: Theme.fontNormal
            }
        }

        GridView {
            id: grid
            anchors.top: lockNotice.bottom
            anchors.bottom: parent.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.leftMargin: Theme.spacing
            anchors.rightMargin: Theme.spacing
            topMargin: Theme.spacing
            bottomMargin: Theme.spacing
            clip: true
            readonly property int columns: Math.max(1, Math.floor(width / 190))
            cellWidth: Math.floor(width / columns)
            cellHeight: 220
            model: view.controller ? view.controller.leerkrachten : null
            ScrollIndicator.vertical: ScrollIndicator {}

            delegate: Item {
                id: cell
                required property int index
                required property string name
                required property string photo
                required property bool isAdmin
                width: grid.cellWidth
                height: grid.cellHeight

                AbstractButton {
                    id: tile
                    anchors.fill: parent
                    anchors.margins: Theme.spacing / 2
                    onClicked: if (view.controller) view.controller.gridViewDidSelectItemAtIndex(cell.index)

                    background: Rectangle {
                        radius: Theme.radius * 2
                        color: tile.down ? Theme.highlight : Theme.panel
                        border.color: Theme.separator
                    }
                    contentItem: Item {
                        PhotoImage {
                            id: picture
                            anchors.horizontalCenter: parent.horizontalCenter
                            y: 16
                            width: 128
                            height: 128
                            source: cell.photo
                        }
                        // Administrators log in with a password: a small lock on their photo.
                        Rectangle {
                            visible: cell.isAdmin
                            x: picture.x + picture.width - width / 2 - 4
                            y: picture.y - 6
                            width: 34
                            height: 34
                            radius: 17
                            color: Theme.accent
                            border.color: "white"
                            border.width: 2
                            Rectangle {
                                x: 11
                                y: 6
                                width: 12
                                height: 13
                                radius: 6
                                color: "transparent"
                                border.color: "white"
                                border.width: 2.5
                            }
                            Rectangle {
                                x: 9
                                y: 14
                                width: 16
                                height: 12
                                radius: 2
                                color: "white"
                            }
                        }
                        Text {
                            anchors.top: picture.bottom
                            anchors.topMargin: 10
                            anchors.left: parent.left
                            anchors.right: parent.right
                            anchors.leftMargin: 8
                            anchors.rightMargin: 8
                            text: cell.name
                            horizontalAlignment: Text.AlignHCenter
                            wrapMode: Text.Wrap
                            maximumLineCount: 2
                            elide: Text.ElideRight
                            color: Theme.ink
                            font.pixelSize: Theme.fontNormal
                        }
                    }
                }
            }
        }

        BusyIndicator {
            anchors.centerIn: grid
            running: view.controller ? view.controller.busy && grid.count === 0 : false
            visible: running
        }
    }

    // ---------------------------------------------------------------- password panel
    // Scrolled up, not dragged, while the on-screen keyboard would cover the field or "OK".
    FormFlickable {
        id: panelScroller
        objectName: "panelScroller"
        anchors.fill: parent
        contentHeight: height
        interactive: false
        visible: panel.opacity > 0
        keepVisible: okButton

        Rectangle {
            id: panel
            objectName: "passwordPanel"
            anchors.centerIn: parent
            anchors.verticalCenterOffset: -80
            width: 480
            height: panelColumn.implicitHeight + 2 * 24
            radius: 16
            color: Theme.panel
            border.color: Theme.separator
            opacity: view.panelShown ? 1 : 0
            visible: opacity > 0
            Behavior on opacity { NumberAnimation { duration: 1000 } }

            Column {
                id: panelColumn
                x: 24
                y: 24
                width: parent.width - 48
                spacing: Theme.spacing

                Text {
                    width: parent.width
                    visible: text.length > 0
                    text: view.controller ? view.controller.panelTitle : ""
                    horizontalAlignment: Text.AlignHCenter
                    color: Theme.ink
                    font.pixelSize: Theme.fontTitle
                    font.bold: true
                }
                Text {
                    width: parent.width
                    visible: text.length > 0
                    text: view.controller ? view.controller.panelHint : ""
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.Wrap
                    color: Theme.inkSecondary
                    font.pixelSize: Theme.fontSmall
                }

                // The two rows of the panel's table.
                Rectangle {
                    width: parent.width
                    height: 2 * Theme.touchTarget + 1
                    radius: Theme.radius
                    color: Theme.panel
                    border.color: Theme.separator

                    TextField {
                        id: nameField
                        objectName: "nameField"
                        x: 1
                        y: 1
                        width: parent.width - 2
                        height: Theme.touchTarget - 1
                        leftPadding: Theme.spacing
                        font.pixelSize: Theme.fontNormal
                        color: enabled ? Theme.ink : Theme.inkSecondary
                        enabled: view.controller ? view.controller.userNameEditable : false
                        text: view.controller ? view.controller.userName : ""
                        placeholderText: view.controller ? view.controller.userNamePlaceholder : ""
                        inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                        // Greyed while the name is fixed (an administrator's own), rounded like the table's top.
                        background: Rectangle {
                            visible: !nameField.enabled
                            radius: Theme.radius - 1
                            color: Theme.disabledFill
                            Rectangle {
                                anchors.bottom: parent.bottom
                                width: parent.width
                                height: parent.radius
                                color: parent.color
                            }
                        }
                        onTextEdited: if (view.controller) view.controller.userName = text
                        onActiveFocusChanged: if (activeFocus && view.controller) view.controller.textFieldDidBeginEditing(1)
                        onAccepted: passwordField.forceActiveFocus()
                    }
                    Rectangle {
                        y: Theme.touchTarget
                        x: Theme.spacing
                        width: parent.width - Theme.spacing
                        height: 1
                        color: Theme.separator
                    }
                    TextField {
                        id: passwordField
                        objectName: "passwordField"
                        x: 1
                        y: Theme.touchTarget + 1
                        width: parent.width - 2
                        height: Theme.touchTarget
                        leftPadding: Theme.spacing
                        font.pixelSize: Theme.fontNormal
                        color: Theme.ink
                        echoMode: TextInput.Password
                        text: view.controller ? view.controller.passwordText : ""
                        placeholderText: qsTr("Paswoord")
                        inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText | Qt.ImhSensitiveData
                        background: Item {}
                        onTextEdited: if (view.controller) view.controller.passwordText = text
                        onActiveFocusChanged: if (activeFocus && view.controller) view.controller.textFieldDidBeginEditing(2)
                        onAccepted: if (view.controller) view.controller.doLogin()
                    }
                }

                Row {
                    anchors.right: parent.right
                    spacing: Theme.spacing
                    TouchButton {
                        objectName: "cancelButton"
                        text: qsTr("Annuleer")
                        onClicked: if (view.controller) view.controller.cancelLogin()
                    }
                    TouchButton {
                        id: okButton
                        objectName: "okButton"
                        primary: true
                        text: qsTr("OK")
                        onClicked: if (view.controller) view.controller.doLogin()
                    }
                }
            }
        }
    }

    ServerAddressView {
        anchors.fill: parent
        step: view.controller ? view.controller.serverAddress : null
    }

    // ---------------------------------------------------------------- profile sheet
    Popup {
        id: deviceSheet
        parent: Overlay.overlay
        x: parent ? Math.round((parent.width - width) / 2) : 0
        y: parent ? Math.round((parent.height - height) / 2) : 0
        width: 560
        height: 600
        modal: true
        dim: true
        closePolicy: Popup.NoAutoClose
        padding: 0
        Overlay.modal: Rectangle { color: "#66000000" }
        background: Rectangle { radius: 14; color: Theme.panel }
        contentItem: DeviceSelectionView {
            clip: true
            controller: view.controller ? view.controller.deviceSelection : null
        }
    }

    // ---------------------------------------------------------------- location popover
    Popup {
        id: schoolPopover
        parent: Overlay.overlay
        x: Theme.spacing
        y: topBar.height + 6
        width: 480
        height: 300
        modal: true
        dim: false
        closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape
        padding: 0
        onClosed: if (view.controller && view.stateName === "locationSelection") view.controller.closeSchools()
        background: Rectangle {
            radius: 12
            color: Theme.panel
            border.color: Theme.separator
            // The arrow pointing at the location button.
            Rectangle {
                x: 48
                y: -8
                width: 16
                height: 16
                rotation: 45
                color: Theme.panel
                border.color: Theme.separator
                z: -1
            }
        }
        contentItem: SchoolChangerView {
            clip: true
            controller: view.controller ? view.controller.schoolChanger : null
        }
    }

    AlertDialog { requests: view.controller ? view.controller.dialogs : null }
    ProgressOverlay { requests: view.controller ? view.controller.dialogs : null }
}
