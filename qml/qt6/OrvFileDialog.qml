import QtQuick
import QtQuick.Dialogs
import com.orv.lum

// Opens and saves configuration files, starting in the maker's folder under
// the technician's documents. Qt 6's dialog under the names the window and
// its tests use with Qt 5's: selectExisting, folder, fileUrl and the
// selection functions. Qt 6's dialog refuses to preselect a file that does
// not exist yet, so a file named through addSelection() is kept here.
FileDialog {
    property bool selectExisting: true
    // The configuration whose files are opened and saved: its documents
    // folder is where the dialog starts.
    property DeviceProfile profile: null
    property url folder: profile ? profile.documentsFolderUrl() : ""
    property url namedFile
    readonly property url fileUrl: namedFile.toString() !== "" ? namedFile : selectedFile

    function clearSelection() {
        namedFile = ""
    }

    function addSelection(url) {
        namedFile = url
        return true
    }

    fileMode: selectExisting ? FileDialog.OpenFile : FileDialog.SaveFile
    currentFolder: folder
    nameFilters: ["LUM Configuration (*.lumc)"]
}
