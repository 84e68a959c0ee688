#ifndef QTGERMANTEXTS_H
#define QTGERMANTEXTS_H

#include <QObject>

// Qt's own German texts: the buttons, titles and labels of the dialogs Qt
// brings along (the file dialog, message boxes, standard buttons such as
// "Abbrechen"). The window's own texts are German already.
//
// They are installed when the first dialog is made, not with the window:
// none of them is on the window's first screen, and every text Qt looks up
// while the window is built (the name of each shortcut key, among others)
// would go through the catalogues. QML reaches this as the singleton
// QtGermanTexts; install() may be called any number of times.
class QtGermanTexts : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Installs the catalogues into the application, the first time only.
    // Returns whether Qt's German texts are in use (false where the
    // system has no catalogues installed; Qt then speaks English).
    Q_INVOKABLE static bool install();
};

#endif // QTGERMANTEXTS_H
