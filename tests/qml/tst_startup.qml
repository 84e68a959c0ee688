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
        verify(control("mainForm").width <= 1024, "the form fits the smallest window")
    }

    function test_controlsConfigurationIsTheUncompressedStyleFile() {
        compare(deviceSim.resourceSize(":/qtquickcontrols2.conf"), 218)
        var text = deviceSim.resourceText(":/qtquickcontrols2.conf")
        var lines = text.split("\r\n")
        compare(lines[0], "; This file can be edited to change the style of the application")
        compare(lines[4], "[Controls]")
        compare(lines[5], "Style=Default")
        compare(text.replace(/\r\n/g, "").indexOf("\n"), -1, "every line ends with CR LF")
    }

    function test_freshWindowShowsOnlyTheHintAndDisablesFileSaving() {
        openWindow()
        compare(rowCount(), 1)
        compare(rowControl(0, "nameLabel").text, "Bitte Konfiguration öffnen oder auslesen...")
        verify(rowControl(0, "nameLabel").visible)
        verify(!rowControl(0, "markBox").visible)
        verify(!control("parentBox").enabled, "Alle")
        verify(!control("saveButton").enabled, "save")
        verify(control("openButton").enabled, "open")
    }

    function test_aboutBoxShowsVersionAndMakerAndClosesWithOk() {
        openWindow()
        mouseClick(control("aboutLabel"))
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
        var save = control("saveToFileDialog")
        var load = control("loadFromFileDialog")
        compare(save.nameFilters, ["LUM Configuration (*.lumc)"])
        compare(load.nameFilters, ["LUM Configuration (*.lumc)"])
        compare(save.defaultSuffix, "lumc")
        compare(save.selectExisting, false)
        compare(load.selectExisting, true)
        verify(save.folder.toString().indexOf("/Kestrom LUM") > 0, save.folder)
        verify(save.folder.toString().indexOf("\\") < 0, "no backslash in a URL")
        compare(load.folder, save.folder)
    }

    function test_fileErrorOpensMessageWithTheProfilesText() {
        openWindow()
        deviceProfile.loadFromFile("/nonexistent-folder/missing.lumc")
        var dialog = control("messageDialog")
        tryCompare(dialog, "visible", true, 5000)
        verify(deviceProfile.lastErrorString() !== "", "profile keeps an error text")
        compare(dialog.text, deviceProfile.lastErrorString())
        dialog.close()
    }
}
