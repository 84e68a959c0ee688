import QtQuick 2.12
import QtTest 1.12

WindowTestCase {
    name: "Startup"

    function init() {
        openWindow()
    }

    function test_freshWindowShowsOnlyTheHint() {
        compare(win.title, "ORV Programmiersoftware 4.1.3")
        compare(rowCount(), 1)
        compare(rowControl(0, "nameLabel").text, "Bitte Konfiguration öffnen oder auslesen...")
        compare(rowControlOrNull(0, "markBox"), null)
        verify(!control("parentBox").enabled && !control("saveButton").enabled, "Alle, save")
        verify(control("openButton").enabled, "open")
    }

    function test_aboutBoxShowsVersionAndMakerAndClosesWithOk() {
        mouseClick(control("aboutLabel"))
        var about = shownDialog("messageAbout")
        compare(about.title, "Info über LUM")
        var text = control("aboutText").text
        verify(text.indexOf("<p>LUM v4.1.3") === 0, text)
        verify(text.indexOf("Tel.: ") > 0 && text.indexOf("E-Mail: ") > 0 && text.indexOf("Website: ") > 0, text)
        about.accept()
        tryCompare(about, "visible", false, 5000)
    }

    // Both file dialogs show configuration files in the maker's folder of
    // the documents, which is made when missing.
    function test_fileDialogsFilterLumcFromTheMakersDocumentsFolder() {
        verify(control("saveToFileDialogLoader").item === null, "created only when first opened")
        var save = control("saveToFileDialogLoader").dialog()
        var load = control("loadFromFileDialogLoader").dialog()
        compare(save.nameFilters, ["LUM Configuration (*.lumc)"])
        compare(load.nameFilters, save.nameFilters)
        compare([save.title, save.defaultSuffix, save.selectExisting, load.title, load.selectExisting],
                ["Konfiguration speichern unter", "lumc", false, "Konfiguration öffnen", true])
        verify(/\/Kestrom%20LUM$|\/Kestrom LUM$/.test(save.folder.toString()), save.folder)
        compare(load.folder, save.folder)
        verify(deviceProfile.fileExists(save.folder.toString()), "folder created")
    }

    function test_fileErrorOpensMessageWithTheProfilesText() {
        deviceProfile.loadFromFile("/nonexistent-folder/missing.lumc")
        var box = shownDialog("messageDialog")
        verify(deviceProfile.lastErrorString() !== "", "profile keeps an error text")
        compare(box.text, deviceProfile.lastErrorString())
        box.close()
    }
}
