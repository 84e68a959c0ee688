import QtQuick 2.12

// A half-transparent red disc over the keypad while the menu robot runs.
// A plain disc, made only while it shows: the window's first frame needs no
// busy indicator of the style, and the software scene keeps a picture of
// every round shape it holds, a hidden one too (170 pixels square here).
Item {
    id: indicator

    property bool running: false

    // The loader gives the disc its size, as the style's indicator would
    // draw it, inside its padding.
    Loader {
        anchors.centerIn: parent
        width: Math.min(indicator.width, indicator.height) - 12
        height: width
        active: indicator.running
        sourceComponent: Rectangle {
            objectName: "busyDisc"
            radius: width / 2
            color: "#ff0000"
            opacity: 0.5
        }
    }
}
