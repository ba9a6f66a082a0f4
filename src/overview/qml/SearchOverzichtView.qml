import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The overview: search field, presence filter with its counts, group filter, and the list with its
// A–Z index. A tap on a row and a long press (1 s, followed while the finger moves) go to the
// controller; so do the index letters and the group picker's choice.
Rectangle {
    id: view
    required property var controller
    color: Theme.panel

    // The row under a point of item, or -1.
    function rowAt(item, x, y) {
        const p = item.mapToItem(list.contentItem, x, y)
        return list.indexAt(p.x, p.y)
    }
    function longPressAt(item, x, y) {
        if (view.controller)
            view.controller.handleLongPress(rowAt(item, x, y))
    }
    function scrollTo(row) {
        const from = list.contentY
        list.positionViewAtIndex(row, ListView.Beginning)
        const to = list.contentY
        scrollAnimation.stop()
        list.contentY = from
        scrollAnimation.from = from
        scrollAnimation.to = to
        scrollAnimation.start()
    }
    // Brings the row the controller names into sight, moving the list no more than needed.
    function reveal() {
        const row = view.controller ? view.controller.revealRow : -1
        if (row < 0 || row >= list.count)
            return
        scrollAnimation.stop()
        list.positionViewAtIndex(row, ListView.Contain)
    }
    function syncGroupPopover() {
        if (view.controller && view.controller.groupSelector)
            groupPopover.open()
        else
            groupPopover.close()
    }

    // A new search result starts at its top.
    Connections {
        target: list.model
        ignoreUnknownSignals: true
        function onListReplaced() {
            scrollAnimation.stop()
            if (!list.atYBeginning)
                list.positionViewAtBeginning()
        }
    }
    Connections {
        target: view.controller
        ignoreUnknownSignals: true
        function onScrollToRow(row) { view.scrollTo(row) }
        function onKeyboardDismissed() { view.forceActiveFocus() }
        function onGroupSelectorChanged() { view.syncGroupPopover() }
        function onRevealRowChanged() { Qt.callLater(view.reveal) }
    }
    Component.onCompleted: Qt.callLater(view.reveal)

    // ---------------------------------------------------------------- header band
    Rectangle {
        id: header
        width: parent.width
        height: headerColumn.implicitHeight + 2 * Theme.spacing
        color: Theme.background

        Column {
            id: headerColumn
            x: Theme.spacing
            y: Theme.spacing
            width: parent.width - 2 * Theme.spacing
            spacing: Theme.spacing / 2

            // Where the queue stands; a tap explains it, or opens the queue for administrators.
            Item {
                id: syncLine
                objectName: "syncStateLine"
                readonly property var syncState: view.controller ? view.controller.syncState : null
                visible: syncState !== null && syncState !== undefined
                width: parent.width
                height: 26
                Row {
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 6
                    SyncMark {
                        objectName: "syncStateMark"
                        anchors.verticalCenter: parent.verticalCenter
                        implicitWidth: 18
                        implicitHeight: 18
                        kind: syncLine.syncState ? syncLine.syncState.headerMark : 0
                    }
                    Text {
                        objectName: "syncStateText"
                        anchors.verticalCenter: parent.verticalCenter
                        text: syncLine.syncState ? syncLine.syncState.headerText : ""
                        color: Theme.inkSecondary
                        font.pixelSize: Theme.fontSmall
                    }
                }
                MouseArea {
                    anchors.fill: parent
                    anchors.topMargin: -Theme.spacing
                    anchors.bottomMargin: -6
                    onClicked: if (view.controller) view.controller.syncStateTapped()
                }
            }

            Item {
                width: parent.width
                height: search.implicitHeight
                SearchField {
                    id: search
                    objectName: "searchField"
                    width: parent.width - (cancel.visible ? cancel.width + Theme.spacing / 2 : 0)
                    text: view.controller ? view.controller.searchText : ""
                    onSearched: (text) => { if (view.controller) view.controller.searchBarTextDidChange(text) }
                    onActiveFocusChanged: if (activeFocus && view.controller) view.controller.searchBarTextDidBeginEditing()
                    onAccepted: if (view.controller) view.controller.searchBarSearchButtonClicked()
                }
                TouchButton {
                    id: cancel
                    objectName: "cancelButton"
                    anchors.right: parent.right
                    anchors.verticalCenter: search.verticalCenter
                    implicitWidth: 110
                    leftPadding: 8
                    rightPadding: 8
                    visible: view.controller ? view.controller.cancelButtonShown : false
                    text: qsTr("Annuleer")
                    onClicked: if (view.controller) view.controller.searchBarCancelButtonClicked()
                }
            }

            SegmentedControl {
                id: presence
                objectName: "presenceFilter"
                width: parent.width
                titles: view.controller ? view.controller.segmentTitles : []
                current: view.controller ? view.controller.presenceSegment : 0
                enabled: view.controller ? !view.controller.searching : true
                onSegmentClicked: (index) => { if (view.controller) view.controller.didClickSegmentationFilterInOut(index) }

                BusyIndicator {
                    anchors.centerIn: parent
                    width: 36
                    height: 36
                    running: view.controller ? view.controller.searching : false
                    visible: running
                }
            }

            SegmentedControl {
                id: groupFilter
                objectName: "groupFilter"
                width: parent.width
                visible: view.controller ? view.controller.groupFilterShown : false
                titles: [view.controller ? view.controller.groupFilterTitle : qsTr("Filter op groep")]
                current: view.controller && view.controller.groupFilterSelected ? 0 : -1
                enabled: view.controller ? !view.controller.searching : true
                onSegmentClicked: if (view.controller) view.controller.didClickSegmentationFilterGroups()
            }
        }
        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: Theme.separator
        }
    }

    // ---------------------------------------------------------------- list
    ListView {
        id: list
        objectName: "overviewList"
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        anchors.right: strip.left
        clip: true
        reuseItems: true
        boundsBehavior: Flickable.StopAtBounds
        model: view.controller ? view.controller.model : null
        ScrollIndicator.vertical: ScrollIndicator {}

        NumberAnimation {
            id: scrollAnimation
            target: list
            property: "contentY"
            duration: 250
            easing.type: Easing.OutCubic
        }

        delegate: PersonRow {
            id: personRow
            required index
            required name
            required groups
            required time
            required warning
            required presence
            required selected
            required photo
            required syncMark
            onTapped: if (view.controller) view.controller.doMultiSelect(personRow.index)
            onHeld: (x, y) => view.longPressAt(personRow, x, y)
        }
    }

    IndexStrip {
        id: strip
        objectName: "indexStrip"
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        anchors.right: parent.right
        anchors.topMargin: 4
        anchors.bottomMargin: 4
        titles: view.controller ? view.controller.sectionIndexTitles : []
        onLetterChosen: (title, index) => { if (view.controller) view.controller.sectionForSectionIndexTitle(title, index) }
    }

    // ---------------------------------------------------------------- group picker
    Popup {
        id: groupPopover
        objectName: "groupPopover"
        x: Theme.spacing
        width: view.width - 2 * Theme.spacing
        height: Math.min(440, view.height - y - Theme.spacing)
        padding: 0
        modal: false
        onAboutToShow: y = groupFilter.mapToItem(view, 0, groupFilter.height).y + 12
        onClosed: if (view.controller && view.controller.groupSelector) view.controller.closeGroupSelector()

        background: Rectangle {
            radius: Theme.radius
            color: Theme.panel
            border.color: Theme.separator
            // Points up at the group filter.
            Rectangle {
                x: parent.width / 2 - width / 2
                y: -height / 2
                width: 18
                height: 18
                rotation: 45
                color: Theme.panel
                border.color: Theme.separator
                z: -1
            }
        }
        contentItem: GroupSelectorView {
            controller: view.controller ? view.controller.groupSelector : null
            clip: true
        }
    }
}
