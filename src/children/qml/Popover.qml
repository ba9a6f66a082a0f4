import QtQuick
import QtQuick.Controls
import "../../support/qml"

// A popover pointing at the item that opened it; it draws a screen controller's view (the
// controller's viewUrl, with the controller). A tap outside closes it, unless `guarded`: then the
// tap only reports outsidePressed() and the owner decides (e.g. unsaved text).
Popup {
    id: popover
    property Item sourceItem: null
    property var controller: null
    property bool guarded: false
    readonly property int arrowSize: 10
    // Where the arrow sits along the top (or bottom) edge, and whether the popover opened above.
    property real arrowX: width / 2
    property bool above: false
    // Moved away from its item for the keyboard: no arrow then.
    property bool shifted: false
    readonly property Item view: loader.item

    signal outsidePressed()

    // The overlay reports presses on the popover too, before they reach its items: a press counts as
    // outside only when, once delivered, it did not reach the popover.
    property bool _pressedInside: false
    function _overlayPressed() {
        // A key of the on-screen keyboard is no tap outside.
        if (!_pressedInside && !KeyboardArea.keyPressed)
            outsidePressed()
    }

    padding: 0
    margins: 8
    modal: true
    dim: false
    closePolicy: guarded ? Popup.NoAutoClose : (Popup.CloseOnPressOutside | Popup.CloseOnEscape)

    // Opens next to `item` with the view of `screen`, content size w x h.
    function openFor(item, screen, w, h) {
        sourceItem = item
        controller = screen
        contentWidth = w
        contentHeight = h
        if (screen && screen.viewUrl)
            loader.setSource(screen.viewUrl, { controller: screen })
        place()
        open()
    }

    function place() {
        const overlay = popover.Overlay.overlay
        if (!sourceItem || !overlay || !parent)
            return
        const w = contentWidth
        const h = contentHeight
        const s = sourceItem.mapToItem(overlay, 0, 0)
        let ox = s.x + sourceItem.width / 2 - w / 2
        ox = Math.max(margins, Math.min(ox, overlay.width - w - margins))
        let oy = s.y + sourceItem.height + arrowSize
        above = oy + h > overlay.height - margins && s.y - arrowSize - h >= margins
        if (above)
            oy = s.y - arrowSize - h
        // Moved up above the on-screen keyboard while it is up: what is typed, and its button, show.
        shifted = KeyboardArea.shown && oy + h > KeyboardArea.top - margins
        if (shifted)
            oy = Math.max(margins, KeyboardArea.top - margins - h)
        arrowX = Math.max(radiusOf(), Math.min(s.x + sourceItem.width / 2 - ox, w - radiusOf()))
        const p = parent.mapFromItem(overlay, ox, oy)
        x = p.x
        y = p.y
    }
    function radiusOf() { return Theme.radius + arrowSize }

    contentItem: ScreenLoader {
        id: loader
        // Not from inside the change that opened it: the owner lets its screen go on close.
        onFailed: Qt.callLater(popover.close)
        // Notes every press on the popover and lets it through to the view below.
        MouseArea {
            anchors.fill: parent
            z: 1
            onPressed: (mouse) => {
                popover._pressedInside = true
                mouse.accepted = false
            }
        }
    }

    background: Rectangle {
        color: Theme.panel
        radius: Theme.radius
        border.color: Theme.separator
        Rectangle {
            width: popover.arrowSize * 1.5
            height: width
            rotation: 45
            visible: !popover.shifted
            x: popover.arrowX - width / 2
            y: popover.above ? parent.height - height / 2 : -height / 2
            color: Theme.panel
            border.color: Theme.separator
            z: -1
        }
    }

    // A turned screen: the popover follows the item it points at.
    Connections {
        target: popover.opened ? popover.Overlay.overlay : null
        function onWidthChanged() { Qt.callLater(popover.place) }
        function onHeightChanged() { Qt.callLater(popover.place) }
    }

    Connections {
        target: popover.visible ? KeyboardArea : null
        function onShownChanged() { popover.place() }
        function onTopChanged() { popover.place() }
    }
    Connections {
        target: popover.opened && popover.guarded ? popover.Overlay.overlay : null
        function onPressed() {
            popover._pressedInside = false
            Qt.callLater(popover._overlayPressed)
        }
    }

    onClosed: {
        loader.source = ""
        controller = null
    }
}
