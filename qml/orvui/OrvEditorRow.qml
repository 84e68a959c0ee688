import QtQuick 2.14
import QtQuick.Controls 2.12

// One row of the configuration editor: a section heading, an information
// line, or a setting with its transfer mark and the one control its value
// type needs. Only that control is created.
Row {
    id: outerrow
    objectName: "editorRow" + rowIndex

    property int rowIndex: -1
    property var item: null
    // Width beyond the editor's narrowest, shared by names and controls.
    property real extraWidth: 0

    readonly property int menuLevel: item ? item.menuLayer : 1
    readonly property string type: item ? item.type : ""
    readonly property bool editable: item ? item.editable : false
    readonly property string tooltip: item ? item.tooltip : ""
    readonly property real nameWidth: Math.min(250, 280 - 30 * (menuLevel - 1)) + extraWidth / 2
    readonly property real valueWidth: 210 + extraWidth / 2
    readonly property bool skipped: item ? item.readOutSkipped : false
    // Whether the row is a setting, shown with its name, that the editor
    // cannot change: its value (or why it has none) stands as text in the
    // column of the value controls.
    readonly property bool fixedSetting: type === "readonly" || type === "blocked"

    // Settings sit one level deeper than the headings above them. A setting
    // on the top level of the menu gets no negative indentation, which would
    // push its check box out of sight; its check box is narrower instead, so
    // its value control stays in the column.
    leftPadding: Math.max(0, editable ? 30 * (menuLevel - 2) : 30 * (menuLevel - 1))

    // A setting whose value changes (in its field, or from anywhere else)
    // to something other than what was read is marked for transfer. Marks
    // are only ever set here; the check box and "Alle" clear them.
    Connections {
        target: outerrow.editable ? outerrow.item : null
        function onValueChanged() {
            if (outerrow.item.value !== outerrow.item.initValue)
                outerrow.item.active = true
        }
    }

    Rectangle {
        id: rowBand
        objectName: "rowBand"
        width: thisrow.width + 5
        height: thisrow.height
        color: outerrow.type === "section" ? "#0071BB" : (outerrow.tooltip !== "" ? "#FFF1C6" : "#FFFFFF")

        Row {
            id: thisrow
            spacing: 10
            topPadding: 5
            bottomPadding: 5
            leftPadding: outerrow.editable ? 10 : 15

            Loader {
                id: leadLoader
                anchors.verticalCenter: parent.verticalCenter
                sourceComponent: outerrow.editable ? markBoxComponent
                               : (outerrow.type === "section" || outerrow.type === "info" || outerrow.fixedSetting)
                                 ? nameLabelComponent : null
            }

            Loader {
                id: valueLoader
                anchors.verticalCenter: parent.verticalCenter
                sourceComponent: {
                    switch (outerrow.type) {
                    case "selection": return selectorComponent
                    case "inputnum": return numberFieldComponent
                    case "inputtime_hhmm": return timeFieldComponent
                    case "inputsystemtime": return systemTimeComponent
                    case "inputsystemdate": return systemDateComponent
                    case "readonly": return valueTextComponent
                    default: return outerrow.skipped ? skippedHintComponent : null
                    }
                }
            }
        }

        // Explains a setting when the pointer rests on its band; clicks go
        // through to the controls.
        Loader {
            anchors.fill: parent
            active: outerrow.tooltip !== ""
            sourceComponent: MouseArea {
                id: tooltipMouseArea
                objectName: "tooltipMouseArea"
                hoverEnabled: true
                propagateComposedEvents: true
                onPressed: function(mouse) { mouse.accepted = false }
                onReleased: function(mouse) { mouse.accepted = false }
                onClicked: function(mouse) { mouse.accepted = false }
                ToolTip.visible: containsMouse
                ToolTip.delay: 500
                ToolTip.text: outerrow.tooltip
            }
        }
    }

    Component {
        id: markBoxComponent
        CheckBox {
            id: markBox
            objectName: "markBox"
            width: outerrow.nameWidth
            text: outerrow.item.menuName
            checked: outerrow.item.active
            onCheckedChanged: {
                if (outerrow.item.active !== checked)
                    outerrow.item.active = checked
            }
        }
    }

    Component {
        id: nameLabelComponent
        Label {
            id: nameLabel
            objectName: "nameLabel"
            width: {
                var level = outerrow.menuLevel
                if (outerrow.fixedSetting) // ends where the check boxes of settings end
                    return outerrow.nameWidth + Math.max(0, 30 * (level - 2)) - 30 * (level - 1) - 5
                if (outerrow.type === "section")
                    return 465 - 30 * (level - 1) + outerrow.extraWidth
                           - (outerrow.skipped ? outerrow.valueWidth + 10 : 0)
                return 200 - 30 * (level - 1) + outerrow.extraWidth
            }
            // Headings and information lines may run past their band as
            // they always did; a setting's name must leave its value room.
            elide: outerrow.fixedSetting ? Text.ElideRight : Text.ElideNone
            text: outerrow.item.menuName
            color: outerrow.type === "section" ? "white" : "black"
        }
    }

    Component {
        id: selectorComponent
        ComboBox {
            id: selector
            objectName: "selector"
            width: outerrow.valueWidth
            model: outerrow.item.options
            // Reading the model ties the index back to the value after a new
            // option list reset it.
            currentIndex: {
                selector.model
                return outerrow.item.valueIndex
            }
            // Only a choice made on the selector counts: the control itself
            // moves its index when its option list is exchanged, and that
            // must neither mark nor overwrite a value.
            onActivated: {
                var it = outerrow.item
                var chosen = selector.currentIndex
                var inRange = chosen >= 0 && chosen < it.options.length
                var option = inRange ? it.options[chosen] : undefined
                if (option !== it.initValue)
                    it.active = true
                if (inRange && it.value !== option)
                    it.value = option
            }
        }
    }

    Component {
        id: numberFieldComponent
        OrvValueField {
            objectName: "numberField"
            width: outerrow.valueWidth
            item: outerrow.item
            // What may be typed comes from the core, like the judgement.
            validator: RegularExpressionValidator {
                regularExpression: new RegExp("^(?:" + (outerrow.item ? outerrow.item.inputPattern : "") + ")$")
            }
        }
    }

    Component {
        id: timeFieldComponent
        OrvValueField {
            objectName: "timeField"
            width: outerrow.valueWidth
            item: outerrow.item
            validator: RegularExpressionValidator {
                regularExpression: new RegExp("^(?:" + (outerrow.item ? outerrow.item.inputPattern : "") + ")$")
            }
        }
    }

    // Read from the device for the technician to see (serial number,
    // firmware, signal strength, ...); never transferred.
    Component {
        id: valueTextComponent
        Label {
            objectName: "valueText"
            width: outerrow.valueWidth
            leftPadding: 8
            text: outerrow.item.value
            elide: Text.ElideRight
        }
    }

    Component {
        id: skippedHintComponent
        Label {
            objectName: "skippedHint"
            width: outerrow.valueWidth
            leftPadding: 8
            text: "wird nicht ausgelesen"
            font.italic: true
            color: outerrow.type === "section" ? "white" : "#666666"
        }
    }

    Component {
        id: systemTimeComponent
        TextField {
            objectName: "systemTimeField"
            width: outerrow.valueWidth
            text: "auf PC-Zeit setzen"
            enabled: false
        }
    }

    Component {
        id: systemDateComponent
        TextField {
            objectName: "systemDateField"
            width: outerrow.valueWidth
            text: "auf PC-Datum setzen"
            enabled: false
        }
    }
}
