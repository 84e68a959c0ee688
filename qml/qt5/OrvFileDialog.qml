import QtQuick 2.12
import QtQuick.Dialogs 1.3

// Opens and saves configuration files, starting in the maker's folder under
// the technician's documents.
FileDialog {
    folder: shortcuts.documents + "/Kestrom LUM"
    nameFilters: ["LUM Configuration (*.lumc)"]
}
