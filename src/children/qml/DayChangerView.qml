import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The day picker: one month at a time, any day can be picked; a pick is applied at once.
Rectangle {
    id: view
    required property var controller
    // Every day a finger wide: seven columns and six rows of 48 x 44.
    implicitWidth: 7 * 48 + 12
    implicitHeight: 44 + 20 + 6 * 44 + 12
    color: Theme.panel
    radius: Theme.radius

    function pad(n) { return n < 10 ? "0" + n : "" + n }

    Column {
        anchors.fill: parent
        anchors.margins: 6

        Item {
            width: parent.width
            height: 44
            ToolButton {
                objectName: "previousMonth"
                width: 48
                height: parent.height
                text: "\u2039"
                font.pixelSize: Theme.fontLarge
                focusPolicy: Qt.NoFocus
                onClicked: if (view.controller) view.controller.showPreviousMonth()
            }
            Text {
                anchors.centerIn: parent
                text: view.controller ? view.controller.shownMonthTitle : ""
                color: Theme.ink
                font.pixelSize: Theme.fontNormal
                font.bold: true
            }
            ToolButton {
                objectName: "nextMonth"
                anchors.right: parent.right
                width: 48
                height: parent.height
                text: "\u203A"
                font.pixelSize: Theme.fontLarge
                focusPolicy: Qt.NoFocus
                onClicked: if (view.controller) view.controller.showNextMonth()
            }
        }

        DayOfWeekRow {
            width: parent.width
            height: 20
            locale: grid.locale
            delegate: Text {
                required property string shortName
                text: shortName
                color: Theme.inkSecondary
                font.pixelSize: Theme.fontSmall - 2
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
        }

        MonthGrid {
            id: grid
            objectName: "monthGrid"
            width: parent.width
            height: parent.height - 64
            spacing: 0
            locale: Qt.locale(view.controller ? view.controller.localeName : "nl_BE")
            month: view.controller ? view.controller.shownMonth - 1 : Calendar.January
            year: view.controller ? view.controller.shownYear : 2000
            delegate: Rectangle {
                id: cell
                required property var model
                readonly property bool picked: view.controller !== null && view.controller.dayText
                    === view.pad(model.day) + "/" + view.pad(model.month + 1) + "/" + model.year
                radius: height / 2
                color: picked ? Theme.accent : "transparent"
                Text {
                    anchors.centerIn: parent
                    text: cell.model.day
                    // Days of the months around it in secondary ink, still readable.
                    color: cell.picked ? Theme.onDark : cell.model.month === grid.month ? Theme.ink : Theme.inkSecondary
                    font.pixelSize: Theme.fontSmall
                    font.bold: cell.model.today
                }
                TapHandler {
                    onTapped: if (view.controller)
                        view.controller.pickDay(cell.model.year, cell.model.month + 1, cell.model.day)
                }
            }
        }
    }
}
