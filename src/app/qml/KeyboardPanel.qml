import QtQuick
import QtQuick.VirtualKeyboard
import QtQuick.VirtualKeyboard.Settings
import "../../support/qml"

// The on-screen keyboard along the bottom of the window, over everything, while a field is being
// typed in and the keyboard is wanted (see OnScreenKeyboard). Only loaded when its input method is.
Item {
    id: root
    required property var controller
    // Decided each time a field asks for the keyboard: one plugged in meanwhile counts.
    property bool wanted: false
    readonly property bool shown: panel.active && wanted
    // Qt's keyboard lays its rows out anew when it is shown again. The layout it made before it was
    // first shown leaves the shift, symbol and Enter keys without width (drawn squeezed against the
    // edges, untappable) until then: so it is shown again once, at the first show.
    property bool relaidOut: false
    onShownChanged: {
        if (shown && !relaidOut && panel.keyboard) {
            relaidOut = true
            panel.keyboard.visible = false
            Qt.callLater(() => { panel.keyboard.visible = true })
        }
    }

    // Wide screens get a keyboard of a sensible height, centred on a bar of its colour.
    Rectangle {
        anchors.left: parent.left
        anchors.right: parent.right
        y: panel.y
        height: panel.height
        visible: panel.visible
        color: "#000000"
    }
    InputPanel {
        id: panel
        objectName: "inputPanel"
        // At most 40% of the height (the style's keyboard is 0.3125 as high as wide).
        width: Math.min(root.width, root.height * 0.4 / 0.3125)
        x: Math.round((root.width - width) / 2)
        y: root.shown ? root.height - height : root.height
        visible: y < root.height
        Behavior on y { NumberAnimation { duration: 120; easing.type: Easing.OutCubic } }
        onActiveChanged: if (active) root.wanted = root.controller !== null && root.controller.wanted()
    }

    // Where forms and the focus-out read it; settled positions only, not the slide.
    readonly property rect area: root.shown ? Qt.rect(panel.x, root.height - panel.height, panel.width, panel.height)
                                           : Qt.rect(0, 0, 0, 0)
    onAreaChanged: {
        KeyboardArea.top = area.y
        KeyboardArea.shown = root.shown
        if (root.controller)
            root.controller.panelRect = root.shown ? Qt.rect(0, area.y, root.width, area.height) : Qt.rect(0, 0, 0, 0)
    }

    Connections {
        target: root.controller
        function onFingerDown(onPanel) { KeyboardArea.keyPressed = onPanel }
    }

    Component.onCompleted: {
        // Plain typing: no word prediction (no dictionaries; names are no words).
        VirtualKeyboardSettings.defaultInputMethodDisabled = true
        const locale = root.controller ? root.controller.locale : "nl_NL"
        VirtualKeyboardSettings.activeLocales = [locale]
        VirtualKeyboardSettings.locale = locale
    }
}
