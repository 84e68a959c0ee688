import QtQuick 2.12
import QtQuick.Dialogs 1.3
import com.orv.lum 1.0

// Opens and saves configuration files, starting in the maker's folder under
// the technician's documents (created when missing, so the dialog lists it
// and not the working folder).
FileDialog {
    id: fileDialog
    // The configuration whose files are opened and saved: its documents
    // folder is where the dialog starts.
    property DeviceProfile profile: null
    folder: profile ? profile.documentsFolderUrl() : ""
    nameFilters: ["LUM Configuration (*.lumc)"]
    // Wide enough for the filter box to show "LUM Configuration (*.lumc)"
    // beside the buttons.
    onVisibleChanged: {
        if (visible && fileDialog.width < 720)
            fileDialog.width = 720
        // Qt's widget dialog (the fallback without a native one) takes the
        // folder only once it is shown.
        if (visible && profile)
            fileDialog.folder = profile.documentsFolderUrl()
    }
}
