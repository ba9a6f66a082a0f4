import QtQuick
import "../../support/qml"

// A photo with rounded corners: "user.png" until the picture has loaded, and when it cannot be.
Canvas {
    id: canvas
    property url source
    property url placeholder: Theme.asset("user.png")
    property real cornerRadius: 10
    // Set when the picture (not the placeholder) is drawn.
    property bool loaded: false

    implicitWidth: 120
    implicitHeight: 120

    function _load() {
        loaded = false
        if (source.toString() !== "" && !isImageLoaded(source))
            loadImage(source)
        if (!isImageLoaded(placeholder))
            loadImage(placeholder)
        requestPaint()
    }
    onSourceChanged: _load()
    onImageLoaded: requestPaint()
    Component.onCompleted: _load()

    onPaint: {
        const ctx = getContext("2d")
        ctx.reset()
        const r = Math.min(cornerRadius, width / 2, height / 2)
        ctx.beginPath()
        ctx.roundedRect(0, 0, width, height, r, r)
        ctx.closePath()
        ctx.clip()
        const own = source.toString() !== "" && isImageLoaded(source)
        const picture = own ? source : placeholder
        if (isImageLoaded(picture))
            ctx.drawImage(picture, 0, 0, width, height)
        loaded = own
    }
}
