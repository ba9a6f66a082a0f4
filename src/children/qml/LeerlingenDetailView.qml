import QtQuick
import QtQuick.Controls
import "../../support/qml"
import "../../media/qml"

// The detail panel of the active selection: photo and name, the clock-in and clock-out buttons with the
// time and day choice, suggested relatives, and either the tabbed table of one child or the pictures and
// "Actieve Selectie" of several, with the popovers these open. Everything is the controller's; this view
// binds and forwards taps.
Rectangle {
    id: view
    objectName: "detailView"
    required property var controller
    color: Theme.background

    readonly property bool single: controller ? controller.single : false
    readonly property bool several: controller ? controller.several : false

    // The wrench that opened the options popover, and the row or button tapped last: the popovers point
    // at them.
    property Item optionsAnchor: null
    property Item rowAnchor: null

    function showOptions(button, tag, row) {
        if (!controller)
            return
        optionsAnchor = button
        controller.showOptions(tag, row)
    }

    DetailHeader {
        id: header
        width: parent.width
        height: implicitHeight
        controller: view.controller
    }
    DetailSuggestions {
        id: suggestions
        anchors.top: header.bottom
        width: parent.width
        height: implicitHeight
        controller: view.controller
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
        color: Theme.notice
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

    DetailTable {
        anchors.top: otherTablet.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        visible: !view.several
        controller: view.controller
        detail: view
    }
    DetailSelection {
        anchors.top: suggestions.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        visible: view.several
        controller: view.controller
        detail: view
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
