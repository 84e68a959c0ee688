import QtQuick 2.12
import QtQuick.Controls 2.12

// A setting's value as text: shows the item's value and writes every change
// back (the row marks the setting).
TextField {
    id: field

    property var item: null

    text: item ? item.value : ""
    selectByMouse: true
    onTextChanged: {
        if (item && item.value !== text)
            item.value = text
    }
}
