import QtQuick 2.12
import QtTest 1.12
import com.orv.lum.test 1.0

// Saving and opening as a technician does it in the dialogs: typed names,
// existing files, unsaved changes and the window title that tells of them.
WindowTestCase {
    name: "Files"

    function init() {
        openWindow()
        loadFixture("editor.lumc")
    }

    readonly property string scratchFolder: TestDevice.scratchFileUrl(".")

    // Hands `url` over from the dialog behind `button`, as the dialog does
    // with a typed name.
    function chooseInDialog(button, dialogName, url) {
        mouseClick(control(button))
        var chooser = shownDialog(dialogName)
        chooser.folder = scratchFolder
        chooser.clearSelection()
        verify(chooser.addSelection(url), url)
        chooser.accept()
    }

    // The technician's answer; yes is the question's accept on either Qt.
    function answer(yes) {
        var box = shownDialog("confirmation")
        verify(!dialogShown("loadFromFileDialog") && !lumBot.isEnabled, "nothing done before the answer")
        yes ? box.accept() : box.reject()
    }

    // Both file dialogs open in the maker's folder of the documents, which is
    // made when missing.
    function test_fileDialogsOpenTheMakersDocumentsFolder() {
        var save = control("saveToFileDialogLoader").dialog()
        verify(/\/Kestrom%20LUM$|\/Kestrom LUM$/.test(save.folder.toString()), save.folder)
        compare(control("loadFromFileDialogLoader").dialog().folder, save.folder)
        verify(deviceProfile.fileExists(save.folder.toString()), "folder created")
    }

    function test_fileErrorOpensMessageWithTheProfilesText() {
        deviceProfile.loadFromFile("/nonexistent-folder/missing.lumc")
        verify(deviceProfile.lastErrorString() !== "", "profile keeps an error text")
        compare(shownDialog("messageDialog").text, deviceProfile.lastErrorString())
    }

    // A bare name lands in the dialog's folder with the ending, and the same
    // name in the open dialog brings the saved configuration back.
    function test_bareNameLandsInTheDialogsFolderWithTheEnding() {
        chooseInDialog("saveButton", "saveToFileDialog", "file:anlage1")
        verify(deviceProfile.fileExists(scratchFolder + "/anlage1.lumc"), "file in the dialog's folder")
        verify(!dialogShown("confirmation"), "a new file needs no question")
        compare(win.title, "ORV Programmiersoftware 4.1.3 – anlage1.lumc")
        item(3).value = "112"
        compare(win.title, "ORV Programmiersoftware 4.1.3 – anlage1.lumc *")
        loadFixture("editor-reordered.lumc")
        chooseInDialog("openButton", "loadFromFileDialog", TestDevice.scratchFileUrl("anlage1.lumc"))
        tryCompare(item(2), "value", "Befreiung")
        compare([item(3).value, item(12).value], ["0301234567", "Normal"])
        verify(!dialogShown("messageDialog"), "no file error")
    }

    // Saving over an existing file asks first: no keeps the old file, yes
    // replaces it.
    function test_savingOverAnExistingFileAsksFirst() {
        chooseInDialog("saveButton", "saveToFileDialog", "file:vorhanden")
        item(3).value = "112"
        for (var yes = 0; yes < 2; ++yes) {
            chooseInDialog("saveButton", "saveToFileDialog", "file:vorhanden.lumc")
            answer(yes === 1)
            compare(deviceProfile.modified, yes === 0, "saved")
        }
        deviceProfile.loadFromFile(scratchFolder + "/vorhanden.lumc")
        compare(item(3).value, "112")
    }

    function test_openingAndReadingOutOverUnsavedChangesAsk_data() {
        return [
            { tag: "open, no", button: "openButton", yes: false, opened: false },
            { tag: "open, yes", button: "openButton", yes: true, opened: true },
            { tag: "read-out, no", button: "downloadButton", yes: false, opened: false },
            { tag: "read-out, yes", button: "downloadButton", yes: true, opened: false, reading: true },
            { tag: "open without changes asks nothing", button: "openButton", unchanged: true, opened: true }
        ]
    }

    // Changes stay until something replaces them.
    function test_openingAndReadingOutOverUnsavedChangesAsk(data) {
        if (data.button === "downloadButton")
            connectToSimulator()
        if (!data.unchanged)
            item(3).value = "112"
        mouseClick(control(data.button))
        if (!data.unchanged)
            answer(data.yes)
        compare([dialogShown("loadFromFileDialog"), dialogShown("confirmation"), lumBot.isEnabled],
                [data.opened, false, data.reading === true])
        if (data.opened)
            control("loadFromFileDialogLoader").item.reject()
        compare(rowCount() > 3 && item(3).value === "112", !data.unchanged && !data.reading, "changes kept")
    }
}
