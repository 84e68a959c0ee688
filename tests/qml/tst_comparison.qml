import QtQuick 2.12
import QtTest 1.12
import com.orv.lum.test 1.0

// "Vergleichen" against the simulated demo device: a file that holds one
// value the device holds otherwise, one the device does not have and the
// rest as the device holds them; and the question before a file of another
// device is written.
WindowTestCase {
    name: "Comparison"

    // The one setting of data/demo-part.lumc whose value the demo device
    // holds otherwise, and the one it does not have at all.
    readonly property string differing: "Einstellungen/Notruf/Sprachansage/Wiederholungen"
    readonly property string missing: "Einstellungen/Notruf/Nachlaufzeit"

    function init() {
        openWindow()
    }

    function indexOfPath(path) {
        for (var i = 0; i < rowCount(); ++i) {
            if (item(i).menuPath.join("/") === path)
                return i
        }
        verify(false, path)
    }

    function viewName() {
        var filter = deviceProfile.itemFilter
        return filter.viewNames[filter.view]
    }

    function deviceValue(path) { return TestDevice.value(path.split("/")) }

    // Runs the job behind `button` to its end, without an error; the line
    // under the keypad then says how it ended.
    function runJob(button, outcome) {
        mouseClick(control(button))
        verify(lumBot.isEnabled, "job running")
        tryCompare(lumBot, "isEnabled", false, 300000)
        verify(!dialogShown("messageDialog"), "no error: " + lumBot.lastErrorString())
        verify(outcome.test(control("outcomeLabel").text), control("outcomeLabel").text)
    }

    function compareWithDevice() {
        verify(control("compareButton").enabled, "Vergleichen enabled")
        runJob("compareButton", /^\d+ Einstellungen verglichen \(\d\d:\d\d\)/)
        verify(deviceProfile.hasComparison, "comparison shown")
        // A check writes nothing: its count is of settings compared.
        verify(/^(\d+) von \1 Einstellungen verglichen$/.test(lumBot.progressText), lumBot.progressText)
    }

    function editablePaths() {
        var paths = []
        for (var i = 0; i < rowCount(); ++i) {
            if (item(i).editable)
                paths.push(item(i).menuPath.join("/"))
        }
        return paths
    }

    function markedPaths() {
        return editablePaths().filter(function(path) { return item(indexOfPath(path)).active })
    }

    // The button asks for a connected device, an idle robot and settings.
    function test_compareButtonNeedsDeviceAndSettings() {
        var button = control("compareButton")
        verify(!button.enabled, "no device, no configuration")
        loadFixture("demo-part.lumc")
        verify(!button.enabled, "no device")
        connectToSimulator()
        verify(button.enabled, "device and configuration")
        mouseClick(button)
        verify(lumBot.isEnabled && !button.enabled, "not twice at once")
        tryCompare(lumBot, "isEnabled", false, 300000)
    }

    // After the check each setting shows the device's value under its own;
    // exactly the settings the device holds otherwise are marked and stand
    // out, the equal ones are unmarked, and the one the device lacks is
    // listed as such, unmarked.
    function test_compareMarksExactlyTheDifferences() {
        loadFixture("demo-part.lumc")
        connectToSimulator()
        verify(item(indexOfPath("Einstellungen/Notruf/Rufversuche")).active, "an equal setting marked in the file")
        compareWithDevice()

        var differences = editablePaths().filter(function(path) {
            var onDevice = deviceValue(path)
            return onDevice !== "" && onDevice !== item(indexOfPath(path)).value
        })
        compare(differences, [differing], "the file's one value the device holds otherwise")
        compare(markedPaths(), [differing])
        compare(deviceProfile.differenceCount, 2, "the differing and the missing setting")

        var same = indexOfPath("Einstellungen/Notruf/Gesprächsdauer")
        var differs = indexOfPath(differing)
        var gone = indexOfPath(missing)
        compare(rowControl(differs, "deviceValue").text, "Gerät: " + deviceValue(differing))
        compare(rowControl(same, "deviceValue").text, "Gerät: " + deviceValue("Einstellungen/Notruf/Gesprächsdauer"))
        compare(rowControl(gone, "deviceValue").text, "nicht im Gerät")
        verify(rowControl(differs, "deviceValue").visible && rowControl(same, "deviceValue").visible, "device values shown")
        verify(!item(gone).active, "a setting the device lacks cannot be written")

        // Copies: a colour read from a property follows the property.
        var differingBand = String(rowControl(differs, "rowBand").color)
        var sameBand = String(rowControl(same, "rowBand").color)
        verify(!Qt.colorEqual(differingBand, sameBand) && !Qt.colorEqual(differingBand, "white"),
               "the differing setting stands out: " + differingBand)
        verify(Qt.colorEqual(rowControl(gone, "rowBand").color, differingBand), "so does the missing one")

        // The serial number is compared (it names the device) but never
        // marked and never counted as a difference.
        var serial = indexOfPath("Geräteinfo/Seriennummer")
        compare([item(serial).active, item(serial).differsFromDevice], [false, false])
        compare(rowControl(serial, "deviceValue").text, "Gerät: 4711-0815")

        compare(control("comparisonSummary").text, "Verglichen: 2 Einstellungen weichen ab (markiert).")

        // An edit after the check is judged against the device's value.
        var field = rowControl(same, "numberField")
        field.forceActiveFocus()
        field.selectAll()
        keyClick(Qt.Key_9)
        verify(item(same).differsFromDevice, "edited away from the device's value")
        compare(deviceProfile.differenceCount, 3)
        verify(!Qt.colorEqual(rowControl(same, "rowBand").color, sameBand), "now it stands out")
        keyClick(Qt.Key_Backspace)
        keyClick(Qt.Key_1); keyClick(Qt.Key_8); keyClick(Qt.Key_0)
        verify(!item(same).differsFromDevice, "back to the device's value")
        compare(deviceProfile.differenceCount, 2)
    }

    // "nur Unterschiede" shows the differing settings alone, one click away;
    // the transfer then writes exactly those, and the device compares equal.
    function test_onlyDifferencesAndTransferThem() {
        loadFixture("demo-part.lumc")
        connectToSimulator()
        var before = deviceValue(differing)
        compareWithDevice()
        var box = control("onlyDifferencesBox")
        verify(box.visible && !box.checked, "offered, not forced")
        mouseClick(box)
        compare(viewName(), "Unterschiede")
        compare(deviceProfile.itemFilter.shownSettings, 2)
        waitForLayout()
        var list = control("editorList")
        var shown = []
        for (var i = 0; i < rowCount(); ++i) {
            list.positionViewAtIndex(i, ListView.Contain)
            var row = list.itemAtIndex(i)
            if (row && row.visible && item(i).editable)
                shown.push(item(i).menuPath.join("/"))
        }
        compare(shown, [missing, differing])

        TestDevice.clearRecords()
        runJob("uploadButton", /^1 Einstellung übertragen \(\d\d:\d\d\)/)
        compare(deviceValue(differing), "4")
        compare(deviceValue("Einstellungen/Notruf/Rufversuche"), "5")
        // The values shown from the device are history once written.
        verify(!deviceProfile.hasComparison && control("comparisonBarLoader").item === null, "comparison ended, its line gone")
        compare(viewName(), "alle")

        deviceProfile.setAllMarked(false)
        compareWithDevice()
        compare(markedPaths(), [])
        compare(deviceProfile.differenceCount, 1, "only the setting the device lacks")
        compare(rowControl(indexOfPath(differing), "deviceValue").text, "Gerät: 4")

        // The device gets its value back for the other cases.
        var field = rowControl(indexOfPath(differing), "numberField")
        field.forceActiveFocus()
        field.selectAll()
        for (var c = 0; c < before.length; ++c)
            keyClick(before.charAt(c))
        runJob("uploadButton", /^1 Einstellung übertragen/)
        compare(deviceValue(differing), before)
    }

    // A file of another device is written only when the technician says
    // so; "Nein" sends no key. A template, and the device's own file, are
    // written without a question. The serial number of the device on the
    // line is known once a check has looked at it.
    function test_otherDeviceIsAskedAbout_data() {
        return [
            { tag: "other type, no", file: "other-type.lumc", compareFirst: false, yes: false,
              question: "Datei von ORV-NR4100 V2.48, Nr. 4711-0815; angeschlossen: ORV-NR4000 V2.31" },
            { tag: "other type, yes", file: "other-type.lumc", compareFirst: false, yes: true,
              question: "Datei von ORV-NR4100 V2.48, Nr. 4711-0815; angeschlossen: ORV-NR4000 V2.31" },
            { tag: "other serial number, compared, no", file: "other-serial.lumc", compareFirst: true, yes: false,
              question: "Datei von ORV-NR4000 V2.31, Nr. 9999-0001; angeschlossen: ORV-NR4000 V2.31, Nr. 4711-0815" },
            // The port closed: another lift of the type may be on the line.
            { tag: "other serial number, compared, reconnected", file: "other-serial.lumc",
              compareFirst: true, reconnect: true, question: "" },
            { tag: "template of the type", file: "template.lumc", compareFirst: true, question: "" },
            { tag: "the device's own file", file: "demo-part.lumc", compareFirst: true, question: "" },
        ]
    }

    function test_otherDeviceIsAskedAbout(data) {
        loadFixture(data.file)
        connectToSimulator()
        if (data.compareFirst) {
            compareWithDevice()
            compare(session.connectedSerialNumber, "4711-0815")
        }
        if (data.reconnect) {
            mouseClick(control("disconnectButton"))
            tryCompare(kelHandler, "terminalIsReady", false, 5000)
            compare(session.connectedSerialNumber, "")
            connectToSimulator()
        }
        if (data.question === "") {
            verify(session.fileFitsDevice(), "fits")
            compare(session.otherDeviceQuestion(), "")
            return
        }
        verify(!session.fileFitsDevice(), "another device")
        // Whatever the check left marked: "Nein" must send none of it.
        if (!data.yes)
            deviceProfile.setAllMarked(true)
        verify(control("uploadButton").enabled, "something marked")
        TestDevice.clearRecords()
        mouseClick(control("uploadButton"))
        var box = shownDialog("confirmation")
        verify(box.text.indexOf(data.question) >= 0, box.text)
        verify(!lumBot.isEnabled, "nothing started before the answer")
        if (!data.yes) {
            box.reject()
            verify(!lumBot.isEnabled, "no transfer")
            compare(TestDevice.receivedKeysText, "", "no key sent")
            return
        }
        box.accept()
        verify(lumBot.isEnabled, "transfer started")
        tryCompare(lumBot, "isEnabled", false, 300000)
        verify(/^2 Einstellungen übertragen/.test(control("outcomeLabel").text), control("outcomeLabel").text)
    }

    // "übertragen" with a file of one lift and no read-out or check on this
    // connection: only the serial number can tell whether the lift on the
    // line is the file's, so the robot walks to it first (the editor's marks
    // and values stay, nothing is compared), then asks or transfers. "Nein"
    // leaves the device as it was: the walk's keys and nothing after them.
    function test_transferReadsTheSerialNumberFirst_data() {
        var question = "Datei von ORV-NR4000 V2.31, Nr. 9999-0001; angeschlossen: ORV-NR4000 V2.31, Nr. 4711-0815"
        return [
            { tag: "another lift's file, no", file: "other-serial.lumc", yes: false, question: question },
            { tag: "another lift's file, yes", file: "other-serial.lumc", yes: true, question: question },
            { tag: "the lift's own file", file: "demo-part.lumc", question: "" },
        ]
    }

    function test_transferReadsTheSerialNumberFirst(data) {
        loadFixture(data.file)
        connectToSimulator()
        compare(session.connectedSerialNumber, "", "not read on this connection")
        // A transfer writes a value the device holds already; "Nein" must
        // send none of every setting marked.
        var kept = "Einstellungen/Notruf/Rufversuche"
        deviceProfile.setAllMarked(data.question !== "" && !data.yes)
        item(indexOfPath(kept)).active = true
        compare(item(indexOfPath(kept)).value, deviceValue(kept))
        var marked = markedPaths()
        var valuesBefore = editablePaths().map(deviceValue)
        TestDevice.clearRecords()
        mouseClick(control("uploadButton"))
        if (data.question !== "") {
            var box = shownDialog("confirmation")
            verify(box.text.indexOf(data.question) >= 0, box.text)
            verify(!lumBot.isEnabled, "nothing started before the answer")
            compare(session.connectedSerialNumber, "4711-0815")
            verify(!deviceProfile.hasComparison, "nothing compared")
            compare(markedPaths(), marked, "the marks as they were")
            // Along the lists and into the serial number's own section, no
            // setting opened, no value keyed in.
            var keys = TestDevice.receivedKeysText
            verify(/^[+\r\u001b]+$/.test(keys), JSON.stringify(keys))
            var sections = item(indexOfPath("Geräteinfo/Seriennummer")).menuPath.length - 1
            compare(keys.split("\r").length - 1, sections, "OK only into sections: " + JSON.stringify(keys))
            compare(control("outcomeLabel").text.indexOf("Seriennummer 4711-0815 gelesen"), 0,
                    control("outcomeLabel").text)
            if (!data.yes) {
                box.reject()
                verify(!lumBot.isEnabled, "no transfer")
                compare(TestDevice.receivedKeysText, keys, "nothing sent after the answer")
                compare(editablePaths().map(deviceValue), valuesBefore)
                return
            }
            box.accept()
            verify(lumBot.isEnabled, "transfer started")
        }
        // The check, then the transfer: done once the transfer's line is there.
        tryVerify(function() { return !lumBot.isEnabled && /^1 Einstellung übertragen/.test(control("outcomeLabel").text) },
                  300000, "transferred")
        verify(!dialogShown("messageDialog"), "no error: " + lumBot.lastErrorString())
        compare(session.connectedSerialNumber, "4711-0815")
        compare(editablePaths().map(deviceValue), valuesBefore)
        // The protocol names the lift the check found.
        tryVerify(function() { return session.record.lastProtocolFile !== "" }, 5000, "transfer protocol")
        verify(session.record.lastProtocolFile.indexOf("SN 4711-0815") > 0, session.record.lastProtocolFile)
    }
}
