import QtQuick
import "../../support/qml"

// The panel stack: draws the screens of a StackScrollViewController side by side, each with a shadow
// strip on its left edge, newer panels over older ones. A horizontal drag scrolls the row of panels;
// released, it settles on a panel boundary with a bounce.
Item {
    id: root
    required property var controller
    // Two panels side by side, or one over the whole width.
    property int panelsInView: 2
    clip: true

    function _syncWidth() {
        if (!controller)
            return
        controller.panelsInView = panelsInView
        if (width > 0)
            controller.viewWidth = width
    }
    onWidthChanged: _syncWidth()
    onPanelsInViewChanged: _syncWidth()
    onControllerChanged: _syncWidth()
    Component.onCompleted: _syncWidth()

    Rectangle {
        anchors.fill: parent
        color: Theme.background
    }

    Repeater {
        model: root.controller
        delegate: Item {
            id: panel
            required property int index
            required property var screen
            required property url viewUrl
            required property real panelX

            z: index
            x: panelX
            width: root.controller ? root.controller.panelWidth : 0
            height: root.height
            Behavior on x {
                enabled: !drag.active && !settle.running
                NumberAnimation { duration: 280; easing.type: Easing.OutCubic }
            }

            Rectangle {
                // The shadow strip along the left edge.
                anchors.right: parent.left
                width: 14
                height: parent.height
                gradient: Gradient {
                    orientation: Gradient.Horizontal
                    GradientStop { position: 0.0; color: "transparent" }
                    GradientStop { position: 1.0; color: Theme.shadow }
                }
            }
            Rectangle {
                anchors.fill: parent
                color: Theme.panel
            }
            ScreenLoader {
                id: view
                anchors.fill: parent
                Component.onCompleted: {
                    if (panel.viewUrl.toString() !== "")
                        setSource(panel.viewUrl, { controller: panel.screen })
                }
            }
            AlertDialog {
                requests: panel.screen ? (panel.screen.dialogs ?? null) : null
            }
            ProgressOverlay {
                requests: panel.screen ? (panel.screen.dialogs ?? null) : null
            }
            Toast {
                requests: panel.screen ? (panel.screen.dialogs ?? null) : null
            }
        }
    }

    property real _dragStart: 0

    DragHandler {
        id: drag
        target: null
        yAxis.enabled: false
        enabled: root.controller !== null && root.controller.count > 0
        onActiveChanged: {
            if (active) {
                settle.stop()
                root._dragStart = root.controller.viewXPosition
            } else {
                settle.to = root.controller.settledPosition(root.controller.viewXPosition, -centroid.velocity.x)
                settle.start()
            }
        }
        onTranslationChanged: {
            if (!active)
                return
            const max = root.controller.maxViewXPosition
            let x = root._dragStart - translation.x
            // Past either end the panels follow at half speed, to bounce back on release.
            if (x < 0)
                x = x / 2
            else if (x > max)
                x = max + (x - max) / 2
            root.controller.viewXPosition = x
        }
    }

    NumberAnimation {
        id: settle
        target: root.controller
        property: "viewXPosition"
        duration: 450
        easing.type: Easing.OutBack
        easing.overshoot: 1.2
    }
}
