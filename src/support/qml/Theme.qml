pragma Singleton
import QtQuick

// The one look of the app: colours, sizes and type for a 1024 x 768 touch screen.
QtObject {
    readonly property color background: "#f4f1ea"
    readonly property color panel: "#ffffff"
    readonly property color ink: "#2b3a44"
    readonly property color inkSecondary: "#6b7b86"
    readonly property color accent: "#2e7d6b"
    readonly property color accentPressed: "#24614f"
    readonly property color separator: "#dde1e3"
    readonly property color highlight: "#e3f1ec"
    // A field that cannot be edited: greyed ground, secondary ink.
    readonly property color disabledFill: "#eceeef"
    readonly property color danger: "#c0392b"
    // A clocking moment other than the present one: nobody should clock at it by accident.
    readonly property color chosenMoment: "#a14f00"
    readonly property color shadow: "#40000000"

    // Smallest comfortable finger target.
    readonly property int touchTarget: 56
    readonly property int rowHeight: 72
    readonly property int spacing: 12
    readonly property int radius: 8

    readonly property int fontSmall: 15
    readonly property int fontNormal: 18
    readonly property int fontLarge: 22
    readonly property int fontTitle: 24

    function asset(name) { return "qrc:/cc/assets/" + name }
}
