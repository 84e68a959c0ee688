import QtQuick 2.12
import QtQuick.Controls 2.12

// The style's combo box with its arrow drawn from a rectangle. The style
// draws it from a picture, and the first picture a Qt Quick window loads
// makes Qt load every image format plugin it has (with the SVG and JPEG
// libraries behind them): half a megabyte and some milliseconds of the
// start, for a window that shows no other picture. A glyph would cost a
// text layout each.
ComboBox {
    id: control

    // A small triangle pointing down: the lower half of a square turned on
    // its corner.
    indicator: Item {
        x: control.mirrored ? control.padding : control.width - width - control.padding
        y: control.topPadding + (control.availableHeight - height) / 2
        width: 10
        height: 5
        clip: true
        opacity: control.enabled ? 1 : 0.3

        Rectangle {
            width: 7.07
            height: 7.07
            x: (parent.width - width) / 2
            y: -height / 2
            rotation: 45
            antialiasing: true
            color: control.palette.dark
        }
    }
}
