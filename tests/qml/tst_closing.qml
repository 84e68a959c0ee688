import QtQuick 2.12
import QtTest 1.12
import com.orv.lum.test 1.0

// Closing the real window: unsaved changes and a running job are dealt with
// first, against the simulated demo device.
WindowTestCase {
    name: "Closing"

    // Whether the robot still ran when the window went, and what the
    // service record had written by then. Qt 6 reports the window hidden
    // before it emits visibleChanged, so the cases wait for the handler
    // below to have run (closeSeen), not for the property.
    property bool closeSeen: false
    property bool robotBusyAtClose: false
    property string reportAtClose: ""

    function init() {
        openWindow()
        closeSeen = false
        robotBusyAtClose = false
        reportAtClose = ""
        var thisWindow = win
        thisWindow.visibleChanged.connect(function() {
            if (thisWindow.visible || win !== thisWindow || !lumBot)
                return
            robotBusyAtClose = lumBot.isEnabled
            reportAtClose = session.record.lastReportFile
            closeSeen = true
        })
    }

    function answerJobQuestion(text, yes) {
        var box = shownDialog("jobQuestion")
        compare(box.text, text)
        verify(win.visible && lumBot.isEnabled, "nothing done before the answer")
        yes ? box.accept() : box.reject()
    }

    function indexOfPath(path) {
        for (var i = 0; i < rowCount(); ++i) {
            if (item(i).menuPath.join("/") === path)
                return i
        }
        verify(false, path)
    }

    function test_unsavedChangesAskBeforeClosing_data() {
        return [
            { tag: "cancel keeps the window and the changes", answer: "cancel", visible: true, stored: "0301234567" },
            { tag: "discard closes without saving", answer: "discard", visible: false, stored: "0301234567" },
            { tag: "save writes the file, then closes", answer: "save", visible: false, stored: "112" },
            { tag: "save refused while a field holds no value", answer: "save", invalid: true, visible: true,
              stored: "0301234567" }
        ]
    }

    function test_unsavedChangesAskBeforeClosing(data) {
        loadFixture("editor.lumc")
        var path = TestDevice.scratchFileUrl("schliessen.lumc")
        deviceProfile.saveToFile(path)
        verify(!deviceProfile.modified, "saved copy")
        win.close()
        verify(!win.visible, "nothing unsaved: closes at once")
        win.visible = true

        item(3).value = "112"
        if (data.invalid)
            item(5).editValue("01")
        win.close()
        var box = shownDialog("saveQuestion")
        verify(win.visible, "open before the answer")
        if (data.answer === "cancel")
            box.reject()
        else if (data.answer === "discard")
            box.chooseDiscard()
        else
            box.accept()
        tryCompare(win, "visible", data.visible, 5000)
        if (data.invalid)
            compare(shownDialog("messageDialog").text,
                    "Nicht gespeichert. Bitte zuerst korrigieren:\n" + deviceProfile.invalidSettingsText())
        compare(item(3).value, "112", "changes kept on screen")
        deviceProfile.loadFromFile(path)
        tryCompare(item(3), "value", data.stored)
    }

    // "Nein" keeps the read-out going; "Ja" stops it, and the window goes
    // as soon as the robot is idle (not when the guard gives up waiting).
    function test_closingDuringAReadOutAsksAndClosesWhenTheRobotIsIdle() {
        control("closeGuard").stopTimeoutMs = 3600000
        connectToSimulator()
        mouseClick(control("downloadButton"))
        tryVerify(function() { return lumBot.itemsDone > 2 }, 30000, "reading")
        win.close()
        answerJobQuestion("Das Auslesen läuft noch. Abbrechen und beenden?", false)
        verify(win.visible && lumBot.isEnabled, "still reading")
        win.close()
        answerJobQuestion("Das Auslesen läuft noch. Abbrechen und beenden?", true)
        tryCompare(win, "visible", false, 30000)
        tryVerify(function() { return closeSeen }, 5000, "closing seen")
        verify(!robotBusyAtClose, "closed after the robot went idle")
        verify(!dialogShown("saveQuestion"), "a stopped read-out leaves nothing to save")
    }

    // After the stopped transfer its report is written, and the unsaved
    // edits are still asked about: saved through the save dialog, since a
    // read-out has no file yet.
    function test_closingDuringATransferStopsItWritesTheReportAndSavesTheEdits() {
        connectToSimulator()
        mouseClick(control("downloadButton"))
        tryCompare(lumBot, "isEnabled", false, 300000)
        verify(rowCount() > 40, "read out")
        mouseClick(control("parentBox"))
        verify(deviceProfile.markedCount > 2, "all marked")
        item(indexOfPath("Einstellungen/Notruf/Rufversuche")).value = "7"
        verify(deviceProfile.modified, "edited")
        mouseClick(control("uploadButton"))
        verify(lumBot.isEnabled, "transfer started")
        tryVerify(function() { return lumBot.itemsDone >= 1 && lumBot.itemsTotal > 1 }, 60000, "transferring")
        win.close()
        answerJobQuestion("Die Übertragung läuft noch. Abbrechen und beenden?", true)
        shownDialog("saveQuestion").accept()
        var chooser = shownDialog("saveToFileDialog")
        verify(win.visible && !lumBot.isEnabled, "open while the file is chosen")
        chooser.folder = TestDevice.scratchFileUrl(".")
        chooser.clearSelection()
        verify(chooser.addSelection("file:nach-abbruch"))
        chooser.accept()
        tryCompare(win, "visible", false, 5000)
        tryVerify(function() { return closeSeen }, 5000, "closing seen")
        verify(!robotBusyAtClose, "closed after the robot went idle")
        verify(reportAtClose !== "" && deviceProfile.fileExists(reportAtClose), "report written: " + reportAtClose)
        verify(deviceProfile.fileExists(TestDevice.scratchFileUrl("nach-abbruch.lumc")), "edits saved")
    }
}
