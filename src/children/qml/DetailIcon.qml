import QtQuick
import "../../support/qml"

// The line icons of the detail panel, drawn here so they scale: "in" (arrow into a door), "out" (arrow
// out of a door), "warning" (triangle with an exclamation mark) and "wrench".
Canvas {
    id: icon
    property string kind: "in"
    property color color: kind === "warning" ? Theme.danger : kind === "out" ? "#b35c1e" : Theme.accent

    implicitWidth: 28
    implicitHeight: 28
    onKindChanged: requestPaint()
    onColorChanged: requestPaint()

    onPaint: {
        const ctx = getContext("2d")
        const s = Math.min(width, height)
        ctx.reset()
        ctx.save()
        ctx.translate((width - s) / 2, (height - s) / 2)
        ctx.scale(s / 24, s / 24)
        ctx.strokeStyle = icon.color
        ctx.fillStyle = icon.color
        ctx.lineWidth = 2
        ctx.lineCap = "round"
        ctx.lineJoin = "round"
        ctx.beginPath()
        if (kind === "in" || kind === "out") {
            // The door: an open frame on the right.
            ctx.moveTo(13, 3); ctx.lineTo(20, 3); ctx.lineTo(20, 21); ctx.lineTo(13, 21)
            if (kind === "in") {
                ctx.moveTo(3, 12); ctx.lineTo(14, 12)
                ctx.moveTo(10, 8); ctx.lineTo(14, 12); ctx.lineTo(10, 16)
            } else {
                ctx.moveTo(15, 12); ctx.lineTo(4, 12)
                ctx.moveTo(8, 8); ctx.lineTo(4, 12); ctx.lineTo(8, 16)
            }
            ctx.stroke()
        } else if (kind === "warning") {
            ctx.moveTo(12, 3); ctx.lineTo(22, 20.5); ctx.lineTo(2, 20.5); ctx.closePath()
            ctx.stroke()
            ctx.beginPath()
            ctx.moveTo(12, 9); ctx.lineTo(12, 14)
            ctx.stroke()
            ctx.beginPath()
            ctx.arc(12, 17.3, 1.2, 0, 2 * Math.PI)
            ctx.fill()
        } else if (kind === "wrench") {
            // A round head with an open jaw at the upper right, on a thick handle.
            ctx.lineWidth = 4
            ctx.moveTo(4.5, 19.5); ctx.lineTo(13, 11)
            ctx.stroke()
            ctx.beginPath()
            ctx.arc(15.5, 8.5, 6, 0, 2 * Math.PI)
            ctx.fill()
            ctx.save()
            ctx.globalCompositeOperation = "destination-out"
            ctx.translate(15.5, 8.5)
            ctx.rotate(Math.PI / 4)
            ctx.fillRect(-2, -9, 4, 8)
            ctx.restore()
        }
        ctx.restore()
    }
}
