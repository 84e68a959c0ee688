import QtQuick 2.12
import QtTest 1.12

// Saving and opening as a technician does it in the dialogs: typed names,
// existing files, unsaved changes and the window title that tells of them.
WindowTestCase {
    name: "Files"

    function init() {
        openWindow()
        loadFixture("editor.lumc")
    }

    function scratchFolder() {
        var url = deviceSim.scratchFileUrl("x")
        return url.substring(0, url.length - 2)
    }

    function question() {
        tryVerify(function() { return dialogShown("confirmation") }, 5000, "question shown")
        return dialog("confirmation")
    }

    // The technician's answer; yes is the question's accept on either Qt.
    function answer(box, yes) {
        if (yes)
            box.accept()
        else
            box.reject()
    }

    // Types `url` into the save dialog as the dialog hands it over.
    function saveInDialog(url) {
        mouseClick(control("saveButton"))
        tryVerify(function() { return dialogShown("saveToFileDialog") }, 5000, "save dialog shown")
        var save = dialog("saveToFileDialog")
        save.folder = scratchFolder()
        save.clearSelection()
        verify(save.addSelection(url), url)
        save.accept()
    }

    function test_bareNameLandsInTheDialogsFolderWithTheEnding() {
        saveInDialog("file:anlage1")
        verify(deviceProfile.fileExists(scratchFolder() + "/anlage1.lumc"), "file in the dialog's folder")
        verify(!dialogShown("confirmation"), "a new file needs no question")
        compare(win.title, "ORV Programmiersoftware 4.1.3 – anlage1.lumc")
        deviceProfile.confItemList[3].value = "112"
        compare(win.title, "ORV Programmiersoftware 4.1.3 – anlage1.lumc *")
    }

    function test_savingOverAnExistingFileAsksFirst_data() {
        return [
            { tag: "no keeps the old file", yes: false, saved: false },
            { tag: "yes replaces it", yes: true, saved: true }
        ]
    }

    function test_savingOverAnExistingFileAsksFirst(data) {
        saveInDialog("file:vorhanden")
        deviceProfile.confItemList[3].value = "112"
        verify(deviceProfile.modified)
        saveInDialog("file:vorhanden.lumc")
        answer(question(), data.yes)
        compare(deviceProfile.modified, !data.saved, "saved")
        deviceProfile.loadFromFile(scratchFolder() + "/vorhanden.lumc")
        compare(deviceProfile.confItemList[3].value, data.saved ? "112" : "0301234567")
    }

    function test_openingAndReadingOutOverUnsavedChangesAsk_data() {
        return [
            { tag: "open, no", button: "openButton", yes: false },
            { tag: "open, yes", button: "openButton", yes: true },
            { tag: "read-out, no", button: "downloadButton", yes: false },
            { tag: "read-out, yes", button: "downloadButton", yes: true }
        ]
    }

    function test_openingAndReadingOutOverUnsavedChangesAsk(data) {
        if (data.button === "downloadButton")
            connectToSimulator()
        deviceProfile.confItemList[3].value = "112"
        mouseClick(control(data.button))
        var box = question()
        verify(!dialogShown("loadFromFileDialog"), "nothing opened before the answer")
        verify(!lumBot.isEnabled, "no read-out before the answer")
        answer(box, data.yes)
        var yes = data.yes
        if (data.button === "openButton") {
            compare(dialogShown("loadFromFileDialog"), yes, "open dialog")
            if (yes)
                dialog("loadFromFileDialog").reject()
        } else {
            compare(lumBot.isEnabled, yes, "read-out started")
        }
        compare(deviceProfile.confItemList.length > 1 && deviceProfile.confItemList[3].value === "112", !yes || data.button === "openButton",
                "changes kept until something replaces them")
    }

    function test_withoutChangesNothingIsAsked() {
        mouseClick(control("openButton"))
        tryVerify(function() { return dialogShown("loadFromFileDialog") }, 5000, "open dialog shown")
        verify(!dialogShown("confirmation"))
        dialog("loadFromFileDialog").reject()
    }
}
