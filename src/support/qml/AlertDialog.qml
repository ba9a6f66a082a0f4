import QtQuick
import QtQuick.Controls

// A modal alert: title, message and buttons side by side; button i answers index i (the first is the
// cancel button, index 0). Bind `requests` to a controller's DialogRequests to show what it asks for
// and send the answer back; or call show() and handle clicked(tag, index). Alerts asked for while
// one is open wait their turn. Only one alert presents a controller's requests: a second one bound to
// the same requests stays idle (see DialogRequests).
Popup {
    id: alert
    property var requests: null
    signal clicked(int tag, int index)

    property string title
    property string message
    property var buttons: []
    property int tag: 0
    property var _pending: []

    function show(title, message, buttons, tag) {
        _pending.push({ title: title, message: message, buttons: buttons, tag: tag })
        if (!opened && !visible)
            _next()
    }
    function _next() {
        if (_pending.length === 0)
            return
        const a = _pending.shift()
        alert.title = a.title
        alert.message = a.message
        alert.buttons = a.buttons && a.buttons.length > 0 ? a.buttons : [qsTr("OK")]
        alert.tag = a.tag
        open()
    }
    function _answer(index) {
        const answeredTag = alert.tag
        close()
        clicked(answeredTag, index)
        if (_presented)
            _presented.answer(answeredTag, index)
    }

    // The requests this alert presents (claimed), or null.
    property var _presented: null
    function _claim() {
        if (_presented && _presented !== requests)
            _presented.stopPresentingAlerts(alert)
        _presented = requests && requests.presentAlerts(alert) ? requests : null
    }
    onRequestsChanged: _claim()
    Component.onCompleted: _claim()
    Component.onDestruction: if (_presented) _presented.stopPresentingAlerts(alert)

    Connections {
        target: alert._presented
        ignoreUnknownSignals: true
        function onShowAlert(title, message, buttons, tag) { alert.show(title, message, buttons, tag) }
    }
    // Another alert that presented these requests went: this one takes over.
    Connections {
        target: alert._presented ? null : alert.requests
        ignoreUnknownSignals: true
        function onAlertPresenterChanged() { if (!alert.requests.alertPresenter) alert._claim() }
    }

    onClosed: Qt.callLater(_next)

    parent: Overlay.overlay
    x: parent ? Math.round((parent.width - width) / 2) : 0
    y: parent ? Math.round((parent.height - height) / 2) : 0
    width: 440
    modal: true
    dim: true
    closePolicy: Popup.NoAutoClose
    padding: 0

    Overlay.modal: Rectangle { color: "#66000000" }

    background: Rectangle {
        radius: 14
        color: Theme.panel
    }

    contentItem: Column {
        spacing: 0
        Column {
            width: parent.width
            padding: 24
            spacing: 10
            Text {
                width: parent.width - 48
                text: alert.title
                visible: text.length > 0
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                color: Theme.ink
                font.pixelSize: Theme.fontLarge
                font.bold: true
            }
            Text {
                width: parent.width - 48
                text: alert.message
                visible: text.length > 0
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                color: Theme.ink
                font.pixelSize: Theme.fontNormal
            }
        }
        Rectangle {
            width: parent.width
            height: 1
            color: Theme.separator
        }
        Row {
            id: buttonRow
            width: parent.width
            // Every button as tall as the one that needs most.
            height: {
                let h = Theme.touchTarget
                for (let i = 0; i < children.length; ++i)
                    if (children[i].need !== undefined)
                        h = Math.max(h, children[i].need)
                return h
            }
            Repeater {
                model: alert.buttons
                delegate: AbstractButton {
                    required property int index
                    required property string modelData
                    objectName: "alertButton" + index
                    width: alert.width / Math.max(1, alert.buttons.length)
                    // A long choice ("Sla over en klok de anderen") wraps rather than being cut off.
                    readonly property real need: contentItem.implicitHeight + 16
                    height: buttonRow.height
                    leftPadding: 8
                    rightPadding: 8
                    focusPolicy: Qt.NoFocus
                    onClicked: alert._answer(index)
                    contentItem: Text {
                        text: modelData
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        wrapMode: Text.WordWrap
                        color: Theme.accent
                        font.pixelSize: Theme.fontNormal
                        font.bold: index > 0 || alert.buttons.length === 1
                    }
                    background: Rectangle {
                        color: parent.down ? Theme.highlight : "transparent"
                        radius: 14
                        Rectangle {
                            visible: index > 0
                            width: 1
                            height: parent.height
                            color: Theme.separator
                        }
                    }
                }
            }
        }
    }
}
