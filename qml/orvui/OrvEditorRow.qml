import QtQuick 2.14
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// One row of the configuration editor: a section heading, an information
// line, or a setting with its transfer mark and the one control its value
// needs. Only that control is created. Which control, what a field takes,
// whether typed text is a value and whether it marks the setting is the
// item's to say (ConfItem.control, inputPattern, editValue, problem, note).
Row {
    id: outerrow
    objectName: "editorRow" + rowIndex

    property int rowIndex: -1
    property var item: null
    // Width beyond the editor's narrowest, shared by names and controls.
    property real extraWidth: 0
    // The editor's search and view: a row they do not show takes no room.
    property ItemFilter filter: null
    property EditHistory history: null
    readonly property bool shown: !filter || (filter.revision, filter.shows(item))
    visible: shown
    // The gap between rows is the row's own, so hidden rows leave none.
    height: shown ? implicitHeight + 2 : 0

    // A setting whose value is no longer the one read from the device (or
    // file) stands out, with that value on a button that brings it back.
    readonly property bool changed: editable && item !== null && item.changedFromRead
    // After a check of the device: the device's value under the field, and
    // a setting the device holds otherwise (or lacks) in red.
    readonly property string deviceText: item ? item.deviceText : ""
    readonly property bool compared: deviceText !== ""
    readonly property bool differs: item ? item.differsFromDevice : false

    readonly property int menuLevel: item ? item.menuLayer : 1
    // The kind of entry: "section", "info" or a setting.
    readonly property string type: item ? item.type : ""
    readonly property bool editable: item ? item.editable : false
    readonly property int control: item ? item.control : ConfItem.NoControl
    readonly property string tooltip: item ? item.tooltip : ""
    // Why an entry is shown but never opened on the device; empty otherwise.
    readonly property string note: item ? item.note : ""
    readonly property real nameWidth: Math.min(250, 280 - 30 * (menuLevel - 1)) + extraWidth / 2
    readonly property real valueWidth: 210 + extraWidth / 2 - (changed ? resetWidth + 10 : 0)
    readonly property real resetWidth: 70
    readonly property bool skipped: item ? item.readOutSkipped : false
    readonly property bool heading: type === "section"
    readonly property bool infoLine: type === "info"
    // A setting, shown with its name, that the editor cannot change: its
    // value stands as text in the column of the value controls.
    readonly property bool fixedSetting: !editable && !heading && !infoLine
                                         && (control === ConfItem.ValueText || note !== "")
    // An information line with the second line of its screen as its value.
    readonly property bool infoWithValue: infoLine && control === ConfItem.ValueText

    // Settings sit one level deeper than the headings above them. A setting
    // on the top level of the menu gets no negative indentation, which would
    // push its check box out of sight; its check box is narrower instead, so
    // its value control stays in the column.
    leftPadding: Math.max(0, editable ? 30 * (menuLevel - 2) : 30 * (menuLevel - 1))

    Rectangle {
        id: rowBand
        objectName: "rowBand"
        width: thisrow.width + 5
        height: thisrow.height
        color: outerrow.heading ? "#0071BB" : outerrow.differs ? "#FFC4C4"
               : outerrow.changed ? "#FFD9B3"
               : (outerrow.tooltip !== "" ? "#FFF1C6" : "#FFFFFF")

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
                               : (outerrow.heading || outerrow.infoLine || outerrow.fixedSetting)
                                 ? nameLabelComponent : null
            }

            // The value's control and, after a check of the device, what
            // the device holds for it below.
            Column {
                id: valueColumn
                anchors.verticalCenter: parent.verticalCenter

                Loader {
                    id: valueLoader
                    sourceComponent: {
                        switch (outerrow.control) {
                        case ConfItem.ChoiceBox: return selectorComponent
                        case ConfItem.NumberField: return numberFieldComponent
                        case ConfItem.TimeField: return timeFieldComponent
                        case ConfItem.PcTimeField: return systemTimeComponent
                        case ConfItem.PcDateField: return systemDateComponent
                        // A blocked setting's value comes with its note.
                        case ConfItem.ValueText: return outerrow.note !== "" ? fixedValueComponent
                                                                              : valueTextComponent
                        }
                        if (outerrow.fixedSetting)
                            return fixedValueComponent
                        if (outerrow.heading && outerrow.note !== "")
                            return noteComponent
                        return null
                    }
                }

                Label {
                    id: deviceLine
                    objectName: "deviceValue"
                    width: outerrow.valueWidth
                    visible: outerrow.compared
                    leftPadding: 8
                    text: outerrow.deviceText
                    color: outerrow.differs ? "#B00000" : "#555555"
                    font.bold: outerrow.differs
                    font.pointSize: Qt.application.font.pointSize > 0 ? Qt.application.font.pointSize * 0.85 : 8
                    elide: Text.ElideRight
                }
            }

            Loader {
                id: resetLoader
                anchors.verticalCenter: parent.verticalCenter
                active: outerrow.changed
                sourceComponent: resetComponent
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
        id: resetComponent
        Button {
            objectName: "resetButton"
            width: outerrow.resetWidth
            flat: true
            text: "↺ " + outerrow.item.initValue
            font.pointSize: Qt.application.font.pointSize > 0 ? Qt.application.font.pointSize * 0.85 : 8
            onClicked: outerrow.item.resetToRead()
            ToolTip.visible: hovered
            ToolTip.delay: 300
            ToolTip.text: "Gelesener Wert: " + outerrow.item.initValue + " – zurücksetzen"
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
                // ends where the check boxes of settings end
                if (outerrow.fixedSetting || outerrow.infoWithValue)
                    return outerrow.nameWidth + Math.max(0, 30 * (level - 2)) - 30 * (level - 1) - 5
                if (outerrow.heading)
                    return 465 - 30 * (level - 1) + outerrow.extraWidth
                           - (outerrow.note !== "" ? outerrow.valueWidth + 10 : 0)
                return 200 - 30 * (level - 1) + outerrow.extraWidth
            }
            // Headings and information lines may run past their band as
            // they always did; a setting's name must leave its value room.
            elide: outerrow.fixedSetting || outerrow.infoWithValue ? Text.ElideRight : Text.ElideNone
            text: outerrow.item.menuName
            color: outerrow.heading ? "white" : "black"
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
                if (selector.currentIndex >= 0)
                    outerrow.item.editValue(outerrow.item.options[selector.currentIndex])
            }
        }
    }

    Component {
        id: numberFieldComponent
        OrvValueField {
            objectName: "numberField"
            width: outerrow.valueWidth
            item: outerrow.item
            history: outerrow.history
        }
    }

    Component {
        id: timeFieldComponent
        OrvValueField {
            objectName: "timeField"
            width: outerrow.valueWidth
            item: outerrow.item
            history: outerrow.history
        }
    }

    // Read from the device for the technician to see (serial number,
    // firmware, the second line of an information screen, ...); never
    // transferred.
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

    // What the device holds for an entry LUM never opens (taken from a
    // file or an earlier read-out), with the reason it stays as it is.
    Component {
        id: fixedValueComponent
        Column {
            width: outerrow.valueWidth
            Label {
                objectName: "valueText"
                width: parent.width
                leftPadding: 8
                text: outerrow.item.value
                elide: Text.ElideRight
                visible: text !== ""
            }
            Label {
                objectName: "noteText"
                width: parent.width
                leftPadding: 8
                text: outerrow.note
                font.italic: true
                font.pointSize: Qt.application.font.pointSize > 0 ? Qt.application.font.pointSize * 0.85 : 8
                color: "#666666"
                elide: Text.ElideRight
                ToolTip.visible: truncated && noteHover.containsMouse
                ToolTip.text: text
                MouseArea {
                    id: noteHover
                    anchors.fill: parent
                    hoverEnabled: true
                    acceptedButtons: Qt.NoButton
                }
            }
        }
    }

    Component {
        id: noteComponent
        Label {
            objectName: "noteText"
            width: outerrow.valueWidth
            leftPadding: 8
            text: outerrow.note
            font.italic: true
            color: "white"
            elide: Text.ElideRight
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
