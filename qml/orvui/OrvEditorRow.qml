import QtQuick 2.12
import QtQuick.Controls 2.12

// One row of the configuration editor for the item at `index` of the
// profile's list: a section heading, an information line or a setting with
// its transfer mark and its value control.
Row {
    id: outerrow
    objectName: "editorRow" + rowIndex

    property int rowIndex: -1
    property var item: deviceProfile.confItemList[rowIndex]

    // Settings sit one level deeper than the headings
    // above them. A setting on the top level of the menu
    // gets no negative indentation, which would push its
    // check box out of sight; its check box is narrower
    // instead, so its value control stays in the column.
    leftPadding: Math.max(0, item.editable ? 30 * (item.menuLayer - 2)
                                           : 30 * (item.menuLayer - 1))

    Rectangle {
        id: rowBand
        objectName: "rowBand"
        width: thisrow.width + 5
        height: thisrow.height
        color: outerrow.item.type === "section" ? "#0071BB"
             : (outerrow.item.tooltip !== "" ? "#FFF1C6" : "#FFFFFF")

        Row {
            id: thisrow
            spacing: 10
            topPadding: 5
            bottomPadding: 5
            leftPadding: outerrow.item.editable ? 10 : 15

            CheckBox {
                id: markBox
                objectName: "markBox"
                visible: outerrow.item.editable
                enabled: outerrow.item.editable
                width: Math.min(250, 280 - 30 * (outerrow.item.menuLayer - 1))
                text: outerrow.item.menuName
                checked: outerrow.item.active
                ButtonGroup.group: outerrow.item.editable ? activeGroup : dummyGroup
                onCheckedChanged: {
                    if (outerrow.item.active !== checked)
                        outerrow.item.active = checked
                }
            }

            Label {
                id: nameLabel
                objectName: "nameLabel"
                anchors.verticalCenter: parent.verticalCenter
                visible: outerrow.item.type === "section" || outerrow.item.type === "info"
                width: outerrow.item.type === "section"
                       ? 465 - 30 * (outerrow.item.menuLayer - 1)
                       : 200 - 30 * (outerrow.item.menuLayer - 1)
                text: outerrow.item.menuName
                color: outerrow.item.type === "section" ? "white" : "black"
            }

            ComboBox {
                id: selector
                objectName: "selector"
                visible: outerrow.item.type === "selection"
                width: 210
                model: outerrow.item.options
                // Reading the model ties the index back to
                // the value after a new option list reset it.
                currentIndex: {
                    selector.model
                    return outerrow.item.valueIndex
                }
                // Only a choice made on the selector counts:
                // the control itself moves its index when
                // its option list is exchanged, and that
                // must neither mark nor overwrite a value.
                onActivated: {
                    var it = outerrow.item
                    var chosen = selector.currentIndex
                    var inRange = chosen >= 0 && chosen < it.options.length
                    var option = inRange ? it.options[chosen] : undefined
                    if (it.type === "selection" && option !== it.initValue)
                        it.active = true
                    if (inRange && it.value !== option)
                        it.value = option
                }
            }

            TextField {
                id: numberField
                objectName: "numberField"
                visible: outerrow.item.type === "inputnum"
                width: 210
                text: outerrow.item.value
                selectByMouse: true
                validator: RegExpValidator {
                    regExp: /[0-9#*]{0,32}/
                }
                onTextChanged: {
                    if (text !== outerrow.item.initValue)
                        outerrow.item.active = true
                    if (outerrow.item.value !== text)
                        outerrow.item.value = text
                }
            }

            TextField {
                id: timeField
                objectName: "timeField"
                visible: outerrow.item.type === "inputtime_hhmm"
                width: 210
                text: outerrow.item.value
                selectByMouse: true
                validator: RegExpValidator {
                    regExp: /[0-9]{2}:[0-9]{2}/
                }
                onTextChanged: {
                    if (text !== outerrow.item.initValue)
                        outerrow.item.active = true
                    if (outerrow.item.value !== text)
                        outerrow.item.value = text
                }
            }

            TextField {
                id: systemTimeField
                objectName: "systemTimeField"
                visible: outerrow.item.type === "inputsystemtime"
                width: 210
                text: "auf PC-Zeit setzen"
                enabled: false
            }

            TextField {
                id: systemDateField
                objectName: "systemDateField"
                visible: outerrow.item.type === "inputsystemdate"
                width: 210
                text: "auf PC-Datum setzen"
                enabled: false
            }
        }

        // Explains a setting when the pointer rests on
        // its band; clicks go through to the controls.
        MouseArea {
            id: tooltipMouseArea
            objectName: "tooltipMouseArea"
            anchors.fill: parent
            enabled: outerrow.item.tooltip !== ""
            hoverEnabled: true
            propagateComposedEvents: true
            onPressed: mouse.accepted = false
            onReleased: mouse.accepted = false
            onClicked: mouse.accepted = false
            ToolTip.visible: containsMouse
            ToolTip.delay: 500
            ToolTip.text: outerrow.item.tooltip
        }
    }
}
