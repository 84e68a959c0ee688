import QtQuick 2.12

// The device's character display, green while the line is open.
Rectangle {
    id: displayRect
    objectName: "displayRect"
    width: 295
    height: 70
    color: kelHandler.terminalIsReady ? "#4df349" : "#c4c4c4"
    Behavior on color {
        ColorAnimation {
            duration: 250
        }
    }

    OrvDisplayText {
        id: termOutput
        objectName: "termOutput"
        text: kelHandler.displayText
    }

    // Drawn over the display text: its marks fall on the characters beneath
    // because both texts have the same shape and a fixed-pitch font.
    OrvDisplayText {
        id: termCursorOverlay
        objectName: "termCursorOverlay"
        text: kelHandler.displayCursorOverlay
    }
}
