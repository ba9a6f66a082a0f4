import QtQuick

// A column of index letters along a list's edge. A tap on a letter, or a finger sliding over the
// letters, reports `letterChosen(title, index)` once per letter reached.
Item {
    id: strip
    property var titles: []
    signal letterChosen(string title, int index)

    // A finger wide, though the letters are small.
    implicitWidth: 44
    property int _last: -1

    function _choose(y) {
        if (titles.length === 0 || height <= 0)
            return
        const i = Math.max(0, Math.min(titles.length - 1, Math.floor(y / (height / titles.length))))
        if (i !== _last) {
            _last = i
            letterChosen(titles[i], i)
        }
    }

    Column {
        anchors.fill: parent
        Repeater {
            model: strip.titles
            delegate: Text {
                required property string modelData
                width: strip.width
                height: strip.height / Math.max(1, strip.titles.length)
                text: modelData
                color: Theme.accent
                font.pixelSize: Math.min(Theme.fontSmall - 2, height - 2)
                font.bold: true
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
        }
    }
    MouseArea {
        anchors.fill: parent
        preventStealing: true
        onPressed: (mouse) => { strip._last = -1; strip._choose(mouse.y) }
        onPositionChanged: (mouse) => strip._choose(mouse.y)
    }
}
