import QtQuick 2.12
import QtQuick.Controls 2.12

// A setting's value as text: shows the item's value and writes a change
// back (the row marks the setting). Text that the item's value type does
// not accept (a half-typed time, for instance) is shown with a red frame
// and is not stored, so it neither marks the setting nor reaches a transfer.
TextField {
    id: field

    property var item: null

    // The core judges the text (ConfItem::isValidValue).
    readonly property bool acceptable: accepts(text)

    function accepts(candidate) {
        return !item || item.isValidValue(candidate)
    }

    text: item ? item.value : ""
    selectByMouse: true
    // Judged here on the new text itself: `acceptable` may not have
    // followed the text yet when this handler runs.
    onTextChanged: {
        if (item && accepts(text) && item.value !== text)
            item.value = text
    }

    background: Rectangle {
        objectName: "fieldFrame"
        implicitWidth: 200
        implicitHeight: 40
        color: field.enabled ? "white" : "transparent"
        border.width: field.acceptable ? (field.activeFocus ? 2 : 1) : 2
        border.color: !field.acceptable ? "red"
                      : (field.activeFocus ? field.palette.highlight : field.palette.mid)
    }
}
