import QtQuick 2.12
import QtQuick.Controls 2.12

// The style's combo box with its arrow drawn as a glyph. The style draws
// it from a picture, and the first picture a Qt Quick window loads makes Qt
// load every image format plugin it has (with the SVG and JPEG libraries
// behind them): half a megabyte and some milliseconds of the start, for a
// window that shows no other picture.
ComboBox {
    id: control

    indicator: Text {
        x: control.mirrored ? control.padding : control.width - width - control.padding
        y: control.topPadding + (control.availableHeight - height) / 2
        text: "\u25BE"
        font.pixelSize: 16
        color: control.palette.dark
        opacity: control.enabled ? 1 : 0.3
    }
}
