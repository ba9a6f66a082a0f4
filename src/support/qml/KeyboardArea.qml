pragma Singleton
import QtQuick

// Where the on-screen keyboard covers the window while it is shown: the panel writes it, forms
// (FormFlickable) read it to keep the field being typed and their save button above it.
QtObject {
    property bool shown: false
    // The keyboard's upper edge in window coordinates (meaningful while shown).
    property real top: 0
    // Whether the last press was on the keyboard: a popup that saw a press can tell it was a key's.
    property bool keyPressed: false
}
