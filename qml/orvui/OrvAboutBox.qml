import QtQuick 2.12
import QtQuick.Controls 2.12

// The about box: version, maker and the libraries the program uses.
Dialog {
    id: messageAbout
    title: "Info über LUM"
    standardButtons: Dialog.Ok

    Text {
        objectName: "aboutText"
        textFormat: Text.RichText
        text: "<p>LUM v" + Qt.application.version + "</p>"
              + "<p>© 2018-2019 Kestrom Elektronik GmbH. Alle Rechte vorbehalten.</p>"
              + "<p>Kestrom Elektronik GmbH<br>Musterstraße 12<br>12345 Beispielstadt<br>"
              + "Tel.: +49 (0)000 000000-0<br>"
              + "E-Mail: <a href=\"mailto:info@kestrom.example\">info@kestrom.example</a><br>"
              + "Website: <a href=\"https://www.kestrom.example\">https://www.kestrom.example</a></p>"
              + "<p>Diese Software verwendet Qt 5, unter LGPL v3.0.<br>"
              + "<a href=\"https://www.qt.io/\">https://www.qt.io/</a></p>"
        onLinkActivated: function(link) { Qt.openUrlExternally(link) }
    }
}
