import QtQuick 2.14
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// A setting's value as text. Whatever the technician types goes to the
// item (ConfItem.editValue), which completes it, judges it, stores a valid
// value and marks the setting; text it cannot take stays in the field as a
// draft with a red frame and the reason under it, and is neither stored nor
// transferred. The field shows what the item says it shows (editText).
TextField {
    id: field

    property var item: null
    // The configuration's undo and redo: the keys undo the last edit of the
    // configuration, also while a field has the focus, not the field's own
    // typing (which would come back as an edit of its own).
    property EditHistory history: null

    Keys.onPressed: function(event) {
        if (!history)
            return
        if (event.matches(StandardKey.Undo)) {
            history.undo()
            event.accepted = true
        } else if (event.matches(StandardKey.Redo)) {
            history.redo()
            event.accepted = true
        }
    }

    readonly property string problem: item ? item.problem : ""
    readonly property bool acceptable: problem === ""

    text: item ? item.editText : ""
    selectByMouse: true
    // What may be typed at all comes from the item, like the judgement.
    validator: RegularExpressionValidator {
        regularExpression: new RegExp("^(?:" + (field.item ? field.item.inputPattern : "") + ")$")
    }
    // Only the technician's typing: the text the item gives back (a time
    // completed to hh:mm) is not typing.
    onTextEdited: {
        if (item)
            item.editValue(text)
    }

    // The reason sits under the frame, inside the field's own height, so the
    // row makes room for it.
    bottomInset: acceptable ? 0 : problemLine.height
    bottomPadding: padding + bottomInset

    background: Rectangle {
        objectName: "fieldFrame"
        implicitWidth: 200
        implicitHeight: 40
        color: field.enabled ? "white" : "transparent"
        border.width: field.acceptable ? (field.activeFocus ? 2 : 1) : 2
        border.color: !field.acceptable ? "red"
                      : (field.activeFocus ? field.palette.highlight : field.palette.mid)
    }

    Label {
        id: problemLine
        objectName: "problemLine"
        y: field.height - height
        width: field.width
        visible: !field.acceptable
        text: field.problem
        color: "red"
        font.pointSize: field.font.pointSize > 0 ? field.font.pointSize * 0.85 : 8
        elide: Text.ElideRight
    }

    ToolTip.visible: !acceptable && hovered
    ToolTip.delay: 300
    ToolTip.text: problem
}
