import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The time and day buttons of a detail screen, bound to a ClockChoice. A tap opens the picker in a
// popover at the button; a double tap on the time button, or a press of a second on either button,
// goes back to "Nu" / "Vandaag". Without the day button the time button takes the whole width.
Item {
    id: buttons
    property var choice: null
    readonly property bool dayButtonShown: choice !== null && choice.dayButtonVisible
    readonly property alias popover: popover

    implicitWidth: 2 * 150 + Theme.spacing
    implicitHeight: Theme.touchTarget

    function openTimePicker() {
        if (buttons.choice)
            popover.openFor(timeButton, buttons.choice.selectTime(), 160, 200)
    }
    function openDayPicker() {
        const picker = buttons.choice ? buttons.choice.selectDay() : null
        if (picker)
            popover.openFor(dayButton, picker, 7 * 48 + 12, 44 + 20 + 6 * 44 + 12)
    }

    TouchButton {
        id: timeButton
        objectName: "timeSelectionButton"
        width: buttons.dayButtonShown ? (buttons.width - Theme.spacing) / 2 : buttons.width
        height: buttons.height
        icon.source: Theme.asset("11-clock.png")
        readonly property bool chosen: buttons.choice !== null && buttons.choice.timeTitle !== "Nu"
        text: chosen ? buttons.choice.timeTitle : qsTr("Nu")
        // A chosen time stays after a clocking: filled in its own colour so nobody clocks at it unawares.
        primary: chosen
        tone: chosen ? Theme.chosenMoment : Theme.accent

        // The single tap waits out the double tap, so that a double tap opens nothing.
        Timer {
            id: openLater
            interval: Qt.styleHints.mouseDoubleClickInterval
            onTriggered: buttons.openTimePicker()
        }
        TapHandler {
            longPressThreshold: 1.0
            onSingleTapped: openLater.restart()
            onDoubleTapped: {
                openLater.stop()
                if (buttons.choice)
                    buttons.choice.resetTime()
            }
            onLongPressed: {
                openLater.stop()
                if (buttons.choice)
                    buttons.choice.resetTime()
            }
        }
    }

    TouchButton {
        id: dayButton
        objectName: "dateSelectionButton"
        visible: buttons.dayButtonShown
        x: timeButton.width + Theme.spacing
        width: (buttons.width - Theme.spacing) / 2
        height: buttons.height
        readonly property bool chosen: buttons.choice !== null && buttons.choice.dayTitle !== "Vandaag"
        text: chosen ? buttons.choice.dayTitle : qsTr("Vandaag")
        primary: chosen
        tone: chosen ? Theme.chosenMoment : Theme.accent
        TapHandler {
            longPressThreshold: 1.0
            onTapped: buttons.openDayPicker()
            onLongPressed: if (buttons.choice) buttons.choice.resetDay()
        }
    }

    Popover {
        id: popover
        onClosed: if (buttons.choice) buttons.choice.closePickers()
    }
}
