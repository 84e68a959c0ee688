import QtQuick 2.12
import QtQuick.Controls 2.12

// The style's check box with its tick drawn from rectangles, for the reason
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

        // The tick: an "L" of a short and a long stroke, turned a quarter
        // to the left.
        Item {
            objectName: "checkMark"
            width: 14
            height: 7
            x: (parent.width - width) / 2
            y: (parent.height - height) / 2 - 2
            rotation: -45
            visible: control.checkState === Qt.Checked

            Rectangle {
                width: 3
                height: parent.height
                antialiasing: true
                color: control.palette.text
            }
            Rectangle {
                y: parent.height - height
                width: parent.width
                height: 3
                antialiasing: true
                color: control.palette.text
            }
        }
        // Some settings marked, not all: a bar.
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
