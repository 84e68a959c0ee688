import QtQuick 2.12
import com.orv.lum 1.0

// The device's character display, green while the line is open.
Rectangle {
    id: displayRect
    objectName: "displayRect"
    width: 295
    height: 70

    // The link whose screen is shown.
    property KelHandler link: null
    color: displayRect.link.terminalIsReady ? "#4df349" : "#c4c4c4"
    Behavior on color {
        ColorAnimation {
            duration: 250
        }
    }

    OrvDisplayText {
        id: termOutput
        objectName: "termOutput"
        text: displayRect.link.displayText
    }

    // Drawn over the display text: its marks fall on the characters beneath
    // because both texts have the same shape and a fixed-pitch font.
    OrvDisplayText {
        id: termCursorOverlay
        objectName: "termCursorOverlay"
        text: displayRect.link.displayCursorOverlay
    }
}
