import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

ApplicationWindow {
    id: window
    visible: true
    title: qsTr("ORV Programmiersoftware ") + Qt.application.version
    minimumWidth: 1024
    minimumHeight: 640
}
