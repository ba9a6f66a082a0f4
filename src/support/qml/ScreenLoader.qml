import QtQuick

// A Loader for screen views. A view that cannot be made (a QML module missing on this tablet, an
// error in its file) leaves it empty and is told once in the window's alert (viewFailedToLoad of the
// window, when it has one); everything already on screen, a typed form included, stays as it is.
Loader {
    id: loader
    // The view could not be made; the owner may close what it opened for it.
    signal failed()

    // Draws screen's view (its viewUrl unless url is given), with the screen as its controller.
    function show(screen, url) {
        const source = url !== undefined ? url : (screen ? screen.viewUrl : "")
        if (screen && source && source.toString() !== "")
            setSource(source, { controller: screen })
        else
            loader.source = ""
    }

    onStatusChanged: {
        if (status !== Loader.Error)
            return
        const window = loader.Window.window
        if (window && typeof window.viewFailedToLoad === "function")
            window.viewFailedToLoad(loader.source)
        failed()
    }
}
