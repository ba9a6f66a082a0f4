import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The time picker: an hour wheel and a minute wheel; a wheel that comes to rest is applied at once.
Rectangle {
    id: view
    required property var controller
    implicitWidth: 160
    implicitHeight: 200
    color: Theme.panel
    radius: Theme.radius

    component Wheel: Tumbler {
        id: wheel
        property int wheelId: 0
        width: 60
        height: view.height - 16
        visibleItemCount: 5
        delegate: Component {
            Text {
                required property var modelData
                required property int index
                text: modelData
                color: Theme.ink
                font.pixelSize: Theme.fontLarge
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                opacity: 1.0 - Math.abs(Tumbler.displacement) / (wheel.visibleItemCount / 2 + 0.5)
            }
        }
        onMovingChanged: if (!moving && view.controller) view.controller.wheelCameToRest(wheelId, currentIndex)

        Rectangle {
            anchors.centerIn: parent
            width: parent.width
            height: parent.height / parent.visibleItemCount
            color: "transparent"
            border.color: Theme.separator
            radius: 4
        }
    }

    Row {
        anchors.centerIn: parent
        Wheel {
            objectName: "hourWheel"
            wheelId: 0
            model: view.controller ? view.controller.hours : []
            currentIndex: view.controller ? view.controller.hourRow : 0
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: 16
            horizontalAlignment: Text.AlignHCenter
            text: ":"
            color: Theme.ink
            font.pixelSize: Theme.fontLarge
        }
        Wheel {
            objectName: "minuteWheel"
            wheelId: 1
            model: view.controller ? view.controller.minutes : []
            currentIndex: view.controller ? view.controller.minuteRow : 0
        }
    }
}
