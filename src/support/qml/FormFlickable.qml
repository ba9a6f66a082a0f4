import QtQuick

// A form that scrolls: while the on-screen keyboard covers part of it, the field being typed in and
// `keepVisible` (the form's "Bewaar" or "OK") are scrolled into the part above the keyboard, the
// field first when both do not fit. Put the form in it as content and set contentHeight.
Flickable {
    id: flick
    property Item keepVisible: null
    // How much of the view's height the keyboard covers now.
    property real covered: 0
    readonly property Item typing: Window.activeFocusItem

    clip: true
    contentWidth: width
    boundsBehavior: Flickable.StopAtBounds
    bottomMargin: covered

    function _inside(item) {
        for (let p = item; p; p = p.parent)
            if (p === flick.contentItem)
                return true
        return false
    }
    function _span(item, margin) {
        const r = item.mapToItem(flick.contentItem, 0, 0, item.width, item.height)
        return { top: r.y - margin, bottom: r.y + r.height + margin }
    }
    // Recomputes the covered part and scrolls what matters into the rest.
    function reveal() {
        if (!KeyboardArea.shown || !flick.visible || flick.height <= 0) {
            flick.covered = 0
            flick.returnToBounds()
            return
        }
        const bottom = flick.mapToItem(null, 0, flick.height).y
        flick.covered = Math.max(0, Math.min(flick.height, bottom - KeyboardArea.top))
        const field = flick.typing
        if (!field || !flick._inside(field))
            return
        const room = flick.height - flick.covered
        let span = flick._span(field, 8)
        // A tall text area: its cursor line is what must show.
        if (span.bottom - span.top > room && field.cursorRectangle !== undefined) {
            const r = field.cursorRectangle
            const c = field.mapToItem(flick.contentItem, r.x, r.y, r.width, r.height)
            span = { top: c.y - 8, bottom: c.y + c.height + 8 }
        }
        if (flick.keepVisible && flick._inside(flick.keepVisible)) {
            const keep = flick._span(flick.keepVisible, 8)
            const both = { top: Math.min(span.top, keep.top), bottom: Math.max(span.bottom, keep.bottom) }
            if (both.bottom - both.top <= room)
                span = both
        }
        let y = flick.contentY
        if (span.bottom > y + room)
            y = span.bottom - room
        if (span.top < y)
            y = span.top
        flick.contentY = Math.max(-flick.topMargin,
                                  Math.min(y, flick.contentHeight + flick.bottomMargin - flick.height))
    }

    onTypingChanged: Qt.callLater(reveal)
    onHeightChanged: Qt.callLater(reveal)
    Connections {
        target: KeyboardArea
        function onShownChanged() { Qt.callLater(flick.reveal) }
        function onTopChanged() { Qt.callLater(flick.reveal) }
    }
    Connections {
        target: flick.typing && flick._inside(flick.typing) ? flick.typing : null
        ignoreUnknownSignals: true
        function onCursorRectangleChanged() { Qt.callLater(flick.reveal) }
    }
}
