import QtQuick 2.12
import QtQuick.Controls 2.12

// One layer of the device's display: two lines of 16 characters in a
// fixed-pitch font, without a background, so layers stack on one another.
TextArea {
    anchors.centerIn: parent
    implicitHeight: 70
    readOnly: true
    // The device's screen is read, not edited: Tab passes it by.
    activeFocusOnTab: false
    background: null
    // Two lines of a fixed-pitch font whose line spacing differs between
    // systems: no padding, so both lines stay inside the 70 pixels.
    topPadding: 0
    bottomPadding: 0
    font.family: "Courier New"
    font.pointSize: 18
    color: "#333333"
}
