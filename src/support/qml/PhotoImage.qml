import QtQuick

// A picture that shows "user.png" until its source has loaded (and when it cannot be loaded).
Item {
    id: root
    property url source
    property url placeholder: Theme.asset("user.png")
    property int fillMode: Image.PreserveAspectCrop
    readonly property bool loaded: photo.status === Image.Ready

    implicitWidth: 60
    implicitHeight: 60
    // Decoded at the size it is shown (times the screen's pixel ratio, which Image applies): a camera's
    // picture would otherwise be scaled down again at every frame that draws it.
    readonly property size _shownSize: Qt.size(Math.ceil(width), Math.ceil(height))

    Image {
        anchors.fill: parent
        source: root.placeholder
        fillMode: root.fillMode
        visible: !root.loaded
        asynchronous: true
        sourceSize: root._shownSize
    }
    Image {
        id: photo
        objectName: "photo"
        anchors.fill: parent
        source: root.source
        fillMode: root.fillMode
        visible: root.loaded
        asynchronous: true
        sourceSize: root._shownSize
        clip: true
    }
}
