import QtQuick
import QtQuick.Dialogs
import QtCore

// Opens and saves configuration files, starting in the maker's folder under
// the technician's documents. Qt 6's dialog under the names the window and
// its tests use with Qt 5's: selectExisting, folder, fileUrl and the
// selection functions.
FileDialog {
    id: dialog

    property bool selectExisting: true
    property url folder: StandardPaths.writableLocation(StandardPaths.DocumentsLocation) + "/Kestrom LUM"
    readonly property url fileUrl: selectedFile

    function clearSelection() {
        selectedFile = ""
    }

    function addSelection(url) {
        selectedFile = url
        return true
    }

    fileMode: selectExisting ? FileDialog.OpenFile : FileDialog.SaveFile
    currentFolder: folder
    nameFilters: ["LUM Configuration (*.lumc)"]
}
