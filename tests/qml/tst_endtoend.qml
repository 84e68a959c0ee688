import QtQuick 2.12
import QtTest 1.12
import com.orv.lum.test 1.0

// A technician's whole session against the simulated demo device: connect,
// read out, change a choice and a number, transfer.
WindowTestCase {
    name: "EndToEnd"

    function indexOfPath(path) {
        for (var i = 0; i < rowCount(); ++i) {
            if (item(i).menuPath.join("/") === path)
                return i
        }
        verify(false, path)
    }

    // Runs the job behind `button` to its end; the line under the keypad
    // then says how it ended.
    function runJob(button, outcome) {
        mouseClick(control(button))
        verify(lumBot.isEnabled && control("abortButton").visible, "job running")
        tryCompare(lumBot, "isEnabled", false, 300000)
        verify(!dialogShown("messageDialog"), "no error: " + lumBot.lastErrorString())
        verify(control("outcomeLabel").visible && outcome.test(control("outcomeLabel").text), control("outcomeLabel").text)
    }

    function test_readOutEditAndTransfer() {
        openWindow()
        connectToSimulator()
        runJob("downloadButton", /^\d+ Einträge gelesen \(\d\d:\d\d\)$/)
        verify(rowCount() > 40 && rowCount() === deviceProfile.confItemList.length, "rows: " + rowCount())
        // Read-only settings show what the device said; settings the
        // read-out leaves closed show what is known of them and why.
        compare(rowControl(indexOfPath("Kommunikation/IMEI"), "valueText").text, "356938035643809")
        var blocked = indexOfPath("Kommunikation/Netzbetreiber")
        verify(item(blocked).note !== "", "blocked setting explained")
        compare([rowControl(blocked, "valueText").text, rowControl(blocked, "noteText").text],
                [item(blocked).value, item(blocked).note])
        control("editorList").positionViewAtIndex(indexOfPath("Kommunikation/Service-Center"), ListView.Beginning)
        waitForLayout()
        TestDevice.saveWindowImageIfAsked(win)

        var choice = indexOfPath("Einstellungen/Notruf/Notrufende")
        var number = indexOfPath("Einstellungen/Notruf/Rufversuche")
        compare([item(choice).value, item(number).value], ["Gegenstelle", "5"])
        verify(!control("uploadButton").enabled, "nothing marked yet")

        // The technician picks the next choice with the keyboard and types a
        // new number over the old one.
        var selector = rowControl(choice, "selector")
        selector.forceActiveFocus()
        keyClick(Qt.Key_Down)
        compare(selector.currentText, "Zeitablauf")
        var field = rowControl(number, "numberField")
        field.forceActiveFocus()
        field.selectAll()
        keyClick(Qt.Key_7)
        verify(item(choice).active && item(number).active, "both marked")
        runJob("uploadButton", /^2 Einstellungen übertragen \(\d\d:\d\d\)$/)
        // The unmarked call time stays as it was.
        compare(["Notrufende", "Rufversuche", "Gesprächsdauer"].map(function(name) {
            return TestDevice.value(["Einstellungen", "Notruf", name]) }), ["Zeitablauf", "7", "180"])
    }
}
