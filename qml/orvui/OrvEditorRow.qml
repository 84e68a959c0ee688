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

    // The editor's list makes a row for each item of the configuration
    // that comes into view, and hands it what every row takes from the
    // editor (OrvEditor: rowExtraWidth, rowFilter, rowHistory).
    required property int index
    required property var modelData
    readonly property var list: ListView.view

    readonly property int rowIndex: index
    readonly property var item: modelData
    // Width beyond the editor's narrowest, shared by names and controls.
    readonly property real extraWidth: list ? list.rowExtraWidth : 0
    // The editor's search and view: a row they do not show takes no room.
    readonly property ItemFilter filter: list ? list.rowFilter : null
    readonly property EditHistory history: list ? list.rowHistory : null
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
                onLoaded: leadLoader.item.row = outerrow
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
                    onLoaded: valueLoader.item.row = outerrow
                }

                Loader {
                    id: deviceLineLoader
                    active: outerrow.compared
                    sourceComponent: deviceLineComponent
                    onLoaded: deviceLineLoader.item.row = outerrow
                }
            }

            Loader {
                id: resetLoader
                anchors.verticalCenter: parent.verticalCenter
                active: outerrow.changed
                sourceComponent: resetComponent
                onLoaded: resetLoader.item.row = outerrow
            }
        }

        // Explains a setting when the pointer rests on its band; clicks go
        // through to the controls.
        Loader {
            id: tooltipLoader
            anchors.fill: parent
            active: outerrow.tooltip !== ""
            onLoaded: tooltipLoader.item.row = outerrow
            sourceComponent: MouseArea {
                id: tooltipMouseArea
                objectName: "tooltipMouseArea"
                property var row: null
                hoverEnabled: true
                propagateComposedEvents: true
                onPressed: function(mouse) { mouse.accepted = false }
                onReleased: function(mouse) { mouse.accepted = false }
                onClicked: function(mouse) { mouse.accepted = false }
                ToolTip.visible: containsMouse
                ToolTip.delay: 500
                ToolTip.text: tooltipMouseArea.row ? tooltipMouseArea.row.tooltip : ""
            }
        }
    }

    // The controls below are made by the loaders above, which hand each the
    // row it belongs to (row) once it is made: until then it shows nothing.
    Component {
        id: resetComponent
        Button {
            id: resetButton
            property var row: null
            objectName: "resetButton"
            width: resetButton.row ? resetButton.row.resetWidth : 0
            flat: true
            text: resetButton.row ? "↺ " + resetButton.row.item.initValue : ""
            font.pointSize: Qt.application.font.pointSize > 0 ? Qt.application.font.pointSize * 0.85 : 8
            onClicked: resetButton.row.item.resetToRead()
            ToolTip.visible: hovered
            ToolTip.delay: 300
            ToolTip.text: resetButton.row ? "Gelesener Wert: " + resetButton.row.item.initValue + " – zurücksetzen" : ""
        }
    }

    Component {
        id: deviceLineComponent
        Label {
            id: deviceLine
            property var row: null
            objectName: "deviceValue"
            width: deviceLine.row ? deviceLine.row.valueWidth : 0
            leftPadding: 8
            text: deviceLine.row ? deviceLine.row.deviceText : ""
            color: deviceLine.row && deviceLine.row.differs ? "#B00000" : "#555555"
            font.bold: deviceLine.row ? deviceLine.row.differs : false
            font.pointSize: Qt.application.font.pointSize > 0 ? Qt.application.font.pointSize * 0.85 : 8
            elide: Text.ElideRight
        }
    }

    Component {
        id: markBoxComponent
        OrvCheckBox {
            id: markBox
            property var row: null
            objectName: "markBox"
            width: markBox.row ? markBox.row.nameWidth : 0
            text: markBox.row ? markBox.row.item.menuName : ""
            checked: markBox.row ? markBox.row.item.active : false
            onCheckedChanged: {
                if (markBox.row && markBox.row.item.active !== checked)
                    markBox.row.item.active = checked
            }
        }
    }

    Component {
        id: nameLabelComponent
        Label {
            id: nameLabel
            property var row: null
            objectName: "nameLabel"
            width: {
                var row = nameLabel.row
                if (!row)
                    return 0
                var level = row.menuLevel
                // ends where the check boxes of settings end
                if (row.fixedSetting || row.infoWithValue)
                    return row.nameWidth + Math.max(0, 30 * (level - 2)) - 30 * (level - 1) - 5
                if (row.heading)
                    return 465 - 30 * (level - 1) + row.extraWidth
                           - (row.note !== "" ? row.valueWidth + 10 : 0)
                return 200 - 30 * (level - 1) + row.extraWidth
            }
            // Headings and information lines may run past their band as
            // they always did; a setting's name must leave its value room.
            elide: nameLabel.row && (nameLabel.row.fixedSetting || nameLabel.row.infoWithValue)
                   ? Text.ElideRight : Text.ElideNone
            text: nameLabel.row ? nameLabel.row.item.menuName : ""
            color: nameLabel.row && nameLabel.row.heading ? "white" : "black"
        }
    }

    Component {
        id: selectorComponent
        OrvComboBox {
            id: selector
            property var row: null
            objectName: "selector"
            width: selector.row ? selector.row.valueWidth : 0
            model: selector.row ? selector.row.item.options : []
            // Reading the model ties the index back to the value after a new
            // option list reset it.
            currentIndex: {
                selector.model
                return selector.row ? selector.row.item.valueIndex : -1
            }
            // Only a choice made on the selector counts: the control itself
            // moves its index when its option list is exchanged, and that
            // must neither mark nor overwrite a value.
            onActivated: {
                if (selector.currentIndex >= 0)
                    selector.row.item.editValue(selector.row.item.options[selector.currentIndex])
            }
        }
    }

    Component {
        id: numberFieldComponent
        OrvValueField {
            id: numberField
            property var row: null
            objectName: "numberField"
            width: numberField.row ? numberField.row.valueWidth : 0
            item: numberField.row ? numberField.row.item : null
            history: numberField.row ? numberField.row.history : null
        }
    }

    Component {
        id: timeFieldComponent
        OrvValueField {
            id: timeField
            property var row: null
            objectName: "timeField"
            width: timeField.row ? timeField.row.valueWidth : 0
            item: timeField.row ? timeField.row.item : null
            history: timeField.row ? timeField.row.history : null
        }
    }

    // Read from the device for the technician to see (serial number,
    // firmware, the second line of an information screen, ...); never
    // transferred.
    Component {
        id: valueTextComponent
        Label {
            id: valueText
            property var row: null
            objectName: "valueText"
            width: valueText.row ? valueText.row.valueWidth : 0
            leftPadding: 8
            text: valueText.row ? valueText.row.item.value : ""
            elide: Text.ElideRight
        }
    }

    // What the device holds for an entry LUM never opens (taken from a
    // file or an earlier read-out), with the reason it stays as it is.
    Component {
        id: fixedValueComponent
        Column {
            id: fixedValue
            property var row: null
            width: fixedValue.row ? fixedValue.row.valueWidth : 0
            Label {
                objectName: "valueText"
                width: parent.width
                leftPadding: 8
                text: fixedValue.row ? fixedValue.row.item.value : ""
                elide: Text.ElideRight
                visible: text !== ""
            }
            Label {
                objectName: "noteText"
                width: parent.width
                leftPadding: 8
                text: fixedValue.row ? fixedValue.row.note : ""
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
            id: headingNote
            property var row: null
            objectName: "noteText"
            width: headingNote.row ? headingNote.row.valueWidth : 0
            leftPadding: 8
            text: headingNote.row ? headingNote.row.note : ""
            font.italic: true
            color: "white"
            elide: Text.ElideRight
        }
    }

    Component {
        id: systemTimeComponent
        TextField {
            id: systemTimeField
            property var row: null
            objectName: "systemTimeField"
            width: systemTimeField.row ? systemTimeField.row.valueWidth : 0
            text: "auf PC-Zeit setzen"
            enabled: false
        }
    }

    Component {
        id: systemDateComponent
        TextField {
            id: systemDateField
            property var row: null
            objectName: "systemDateField"
            width: systemDateField.row ? systemDateField.row.valueWidth : 0
            text: "auf PC-Datum setzen"
            enabled: false
        }
    }
}
