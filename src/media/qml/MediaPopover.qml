import QtQuick
import QtQuick.Controls
import "../../support/qml"

// The popover that holds a photo picker (MediaPickerViewController) while its screen has one: open
// while `picker` is set, its view loaded from the picker's viewUrl. Closed by a tap outside, or when
// the view could not be loaded: dismissed() asks the owner to let the picker go.
Popup {
    id: popover
    property var picker: null
    signal dismissed()

    // The border shows around the picker's own background.
    padding: 1
    modal: false
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    background: Rectangle { radius: Theme.radius; color: Theme.panel; border.color: Theme.separator }

    onPickerChanged: {
        if (picker) {
            open()
            loader.show(picker)
        } else {
            close()
        }
    }
    onClosed: {
        loader.source = ""
        if (picker)
            dismissed()
    }

    contentItem: ScreenLoader {
        id: loader
        objectName: "mediaPopoverContent"
        // Not from inside the change of `picker` that loaded it: closing lets the picker go.
        onFailed: Qt.callLater(popover.close)
    }
}
