import QtQuick
import QtQuick.Controls
import "../../support/qml"

// A popover for one small screen of the detail panel (a picker, the product choice, the message
// editor): open while `screen` is set, drawing that screen's own view, next to `anchorItem`. A tap
// outside emits dismissRequested; the owner decides (the popover opens again when the screen stays).
Popup {
    id: popover
    property var screen: null
    property Item anchorItem: null
    // Where it appears beside the anchor: "left" or "below".
    property string side: "left"
    signal dismissRequested()

    parent: Overlay.overlay
    padding: 0
    modal: true
    dim: false
    closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape

    x: {
        if (!anchorItem || !parent)
            return 0
        const p = anchorItem.mapToItem(parent, 0, 0)
        const wanted = side === "below" ? p.x + (anchorItem.width - width) / 2 : p.x - width - 6
        return Math.max(4, Math.min(parent.width - width - 4, wanted))
    }
    y: {
        if (!anchorItem || !parent)
            return 0
        const p = anchorItem.mapToItem(parent, 0, 0)
        const wanted = side === "below" ? p.y + anchorItem.height + 6 : p.y + (anchorItem.height - height) / 2
        return Math.max(4, Math.min(parent.height - height - 4, wanted))
    }

    onScreenChanged: {
        if (screen) {
            view.setSource(screen.viewUrl, { controller: screen })
            open()
        } else {
            close()
            view.source = ""
        }
    }
    onClosed: {
        if (!screen)
            return
        dismissRequested()
        if (screen)
            open()
    }

    background: Rectangle {
        radius: 10
        color: Theme.panel
        border.color: Theme.separator
    }
    contentItem: Loader {
        id: view
        clip: true
    }
}
