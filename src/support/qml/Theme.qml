pragma Singleton
import QtQuick

// The one look of the app: colours, sizes and type for a touch screen, upright or landscape, in
// logical pixels (a screen with a higher pixel ratio draws the same layout sharper).
QtObject {
    readonly property color background: "#f4f1ea"
    readonly property color panel: "#ffffff"
    readonly property color menuBackground: "#ebe7de"
    readonly property color ink: "#2b3a44"
    readonly property color inkSecondary: "#56646e"
    readonly property color accent: "#276b5c"
    readonly property color accentPressed: "#1f5346"
    readonly property color separator: "#dde1e3"
    readonly property color highlight: "#e3f1ec"
    // A chosen row of a list; a row ticked off on the emergency roll.
    readonly property color selectedRow: "#e8e8e8"
    readonly property color checkedRow: "#eef6f3"
    // A field that cannot be edited: greyed ground, secondary ink.
    readonly property color disabledFill: "#eceeef"
    readonly property color danger: "#c0392b"
    // Behind words in danger ink: people not yet ticked off.
    readonly property color dangerGround: "#fdecea"
    // A clocking moment other than the present one: nobody should clock at it by accident.
    readonly property color chosenMoment: "#a14f00"
    // A notice that asks for attention (a clocking also made on another tablet).
    readonly property color notice: "#fdf1e4"
    // The detail panel's tabs: white words on a dark tab, the chosen one black.
    readonly property color tabIdle: "#56646e"
    readonly property color tabChosen: "#000000"
    readonly property color onDark: "#ffffff"
    readonly property color shadow: "#40000000"

    // Every text colour with every ground it is drawn on: each pair must read at 4.5:1 or better.
    readonly property var contrastPairs: [
        ["ink", "background"], ["ink", "panel"], ["ink", "menuBackground"], ["ink", "highlight"],
        ["ink", "selectedRow"], ["ink", "disabledFill"], ["ink", "notice"],
        ["inkSecondary", "background"], ["inkSecondary", "panel"], ["inkSecondary", "menuBackground"],
        ["inkSecondary", "highlight"], ["inkSecondary", "selectedRow"], ["inkSecondary", "disabledFill"],
        ["inkSecondary", "notice"], ["ink", "checkedRow"], ["inkSecondary", "checkedRow"],
        ["danger", "dangerGround"], ["accentPressed", "checkedRow"],
        ["accent", "background"], ["accent", "panel"], ["accent", "menuBackground"], ["accent", "highlight"],
        ["accentPressed", "highlight"], ["danger", "panel"], ["danger", "background"],
        ["chosenMoment", "panel"], ["chosenMoment", "background"],
        ["onDark", "accent"], ["onDark", "accentPressed"], ["onDark", "danger"], ["onDark", "chosenMoment"],
        ["onDark", "tabIdle"], ["onDark", "tabChosen"]
    ]
    // The colours that are drawn as text on the grounds above.
    readonly property var textColours: ["ink", "inkSecondary", "accent", "accentPressed", "danger",
                                        "chosenMoment", "onDark"]

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
