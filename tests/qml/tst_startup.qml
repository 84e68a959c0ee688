import QtQuick 2.12
import QtTest 1.12

WindowTestCase {
    name: "Startup"

    function test_mainDocumentGivesTitledWindowWithMinimumSize() {
        openWindow()
        compare(win.title, "ORV Programmiersoftware 4.1.3")
        compare(win.minimumWidth, 1024)
        compare(win.minimumHeight, 640)
        verify(win.visible)
        win.width = 1024
        tryVerify(function() { return control("mainForm").width <= 1024 }, 5000, "the form fits the smallest window")
    }

    function test_freshWindowShowsOnlyTheHintAndDisablesFileSaving() {
        openWindow()
        compare(rowCount(), 1)
        compare(rowControl(0, "nameLabel").text, "Bitte Konfiguration öffnen oder auslesen...")
        compare(rowControlOrNull(0, "markBox"), null)
        verify(!control("parentBox").enabled, "Alle")
        verify(!control("saveButton").enabled, "save")
        verify(control("openButton").enabled, "open")
    }

    function test_aboutBoxShowsVersionAndMakerAndClosesWithOk() {
        openWindow()
        mouseClick(control("aboutLabel"))
        tryVerify(function() { return dialogShown("messageAbout") }, 5000, "about box shown")
        var about = control("messageAbout")
        tryCompare(about, "opened", true, 5000)
        compare(about.title, "Info über LUM")
        var text = control("aboutText").text
        verify(text.indexOf("<p>LUM v4.1.3") === 0, text)
        verify(text.indexOf("Diese Software verwendet Qt 5, unter LGPL v3.0.") > 0)
        verify(text.indexOf("Tel.: ") > 0 && text.indexOf("E-Mail: ") > 0 && text.indexOf("Website: ") > 0)
        about.accept()
        tryCompare(about, "visible", false, 5000)
    }

    function test_fileDialogsFilterLumcFromTheMakersDocumentsFolder() {
        openWindow()
        verify(control("saveToFileDialogLoader").item === null, "created only when first opened")
        var save = dialog("saveToFileDialog")
        var load = dialog("loadFromFileDialog")
        compare(save.nameFilters, ["LUM Configuration (*.lumc)"])
        compare(load.nameFilters, ["LUM Configuration (*.lumc)"])
        compare(save.title, "Konfiguration speichern unter")
        compare(load.title, "Konfiguration öffnen")
        compare(save.defaultSuffix, "lumc")
        compare(save.selectExisting, false)
        compare(load.selectExisting, true)
        verify(/\/Kestrom%20LUM$|\/Kestrom LUM$/.test(save.folder.toString()), save.folder)
        compare(load.folder, save.folder)
        verify(deviceProfile.fileExists(save.folder.toString()), "folder created")
    }

    // The buttons open the dialogs, and a file chosen in them is what the
    // profile saves to and loads from.
    function test_fileChosenInTheDialogsIsSavedAndLoaded() {
        openWindow()
        loadFixture("editor.lumc")
        var saved = settings()
        var url = deviceSim.scratchFileUrl("gewaehlt.lumc")

        mouseClick(control("saveButton"))
        tryVerify(function() { return dialogShown("saveToFileDialog") }, 5000, "save dialog shown")
        var save = dialog("saveToFileDialog")
        save.clearSelection()
        verify(save.addSelection(url), url)
        save.accept()
        verify(!dialogShown("saveToFileDialog"))

        loadFixture("editor-reordered.lumc")
        verify(settings() !== saved, "another configuration in between")
        mouseClick(control("openButton"))
        tryVerify(function() { return dialogShown("loadFromFileDialog") }, 5000, "open dialog shown")
        var load = dialog("loadFromFileDialog")
        load.clearSelection()
        verify(load.addSelection(url), url)
        load.accept()
        tryVerify(function() { return settings() === saved }, 5000, "the saved configuration is back")
        verify(!dialogShown("messageDialog"), "no file error")
    }

    function settings() {
        var lines = []
        for (var i = 0; i < deviceProfile.confItemList.length; ++i) {
            var item = deviceProfile.confItemList[i]
            lines.push(item.menuPath.join("/") + "=" + item.value)
        }
        return lines.join("|")
    }

    function test_fileErrorOpensMessageWithTheProfilesText() {
        openWindow()
        deviceProfile.loadFromFile("/nonexistent-folder/missing.lumc")
        tryVerify(function() { return dialogShown("messageDialog") }, 5000, "message shown")
        var box = dialog("messageDialog")
        verify(deviceProfile.lastErrorString() !== "", "profile keeps an error text")
        compare(box.text, deviceProfile.lastErrorString())
        box.close()
    }
}
