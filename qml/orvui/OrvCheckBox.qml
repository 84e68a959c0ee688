import QtQuick 2.12
import QtQuick.Controls 2.12

// The style's check box with its mark drawn as a glyph, for the reason
// given with OrvComboBox: no picture in the window.
CheckBox {
    id: control

    indicator: Rectangle {
        implicitWidth: 28
        implicitHeight: 28
        x: control.text ? (control.mirrored ? control.width - width - control.rightPadding : control.leftPadding)
                        : control.leftPadding + (control.availableWidth - width) / 2
        y: control.topPadding + (control.availableHeight - height) / 2
        color: control.down ? control.palette.light : control.palette.base
        border.width: control.visualFocus ? 2 : 1
        border.color: control.visualFocus ? control.palette.highlight : control.palette.mid

        Text {
            objectName: "checkMark"
            anchors.centerIn: parent
            text: "\u2713"
            font.pixelSize: 20
            color: control.palette.text
            visible: control.checkState === Qt.Checked
        }
        Rectangle {
            objectName: "partialMark"
            anchors.centerIn: parent
            width: 16
            height: 3
            color: control.palette.text
            visible: control.checkState === Qt.PartiallyChecked
        }
    }
}
