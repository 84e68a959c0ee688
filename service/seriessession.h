#ifndef SERIESSESSION_H
#define SERIESSESSION_H

#include <QObject>
#include <QString>
#include <QVariantList>

#include "seriesstatus.h"
#include "seriestable.h"

class DeviceProfile;
class LumBot;

// A series in the window ("Serie"): a template and a table of lifts, the
// lifts with what became of each (the status beside the table), the lift
// chosen (the one of the connected device's serial number once a check or
// read-out has shown it), and that lift's configuration put into the
// editor, its row's settings marked. The lift's configuration is a file of
// its own, named after the lift, in a folder beside the table ("anlagen.csv"
// -> "anlagen Anlagen/Aufzug 7.lumc"), so that saving it never overwrites
// the template and what is saved stays with the table; loading the lift
// again makes it anew from the template and the row. When the robot has transferred it (or a check found the device
// holding it already), the outcome goes into the status file and the next
// open lift is chosen.
class SeriesSession : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isOpen READ isOpen NOTIFY openedChanged)
    Q_PROPERTY(QString templateFile READ templateFile NOTIFY openedChanged)
    Q_PROPERTY(QString tableFile READ tableFile NOTIFY openedChanged)
    // Why the last action was refused (the table's problems with row and
    // column, a lift of another device); empty when it went through.
    Q_PROPERTY(QString problemText READ problemText NOTIFY problemTextChanged)
    // One map per lift: name, serialNumber, outcome (the status file's
    // word, "offen" when nothing is recorded), done, time, note.
    Q_PROPERTY(QVariantList lifts READ lifts NOTIFY liftsChanged)
    Q_PROPERTY(QString summary READ summary NOTIFY liftsChanged)
    Q_PROPERTY(int currentIndex READ currentIndex WRITE setCurrentIndex NOTIFY currentIndexChanged)
    // The lift whose configuration is in the editor; -1 for none.
    Q_PROPERTY(int loadedIndex READ loadedIndex NOTIFY loadedIndexChanged)
    // The connected device's serial number as the last check or read-out
    // showed it; empty when not known.
    Q_PROPERTY(QString deviceSerialNumber READ deviceSerialNumber NOTIFY deviceSerialNumberChanged)

public:
    SeriesSession(DeviceProfile *profile, LumBot *bot, QObject *parent = nullptr);

    bool isOpen() const { return m_open; }
    QString templateFile() const { return m_templateFile; }
    QString tableFile() const { return m_tableFile; }
    QString problemText() const { return m_problemText; }
    QVariantList lifts() const;
    QString summary() const;
    int currentIndex() const { return m_currentIndex; }
    void setCurrentIndex(int index);
    int loadedIndex() const { return m_loadedIndex; }
    QString deviceSerialNumber() const { return m_deviceSerialNumber; }

    // Opens a template and a table (paths or file: URLs). False, with the
    // problems in problemText, when the table does not fit the template.
    Q_INVOKABLE bool open(const QString &templateFile, const QString &tableFile);
    Q_INVOKABLE void close();
    // Puts the chosen lift's configuration into the editor. Refused when
    // the connected device's serial number is known and belongs to another
    // row, or the chosen row is tied to another device.
    Q_INVOKABLE bool loadLift();
    // The first lift after the chosen one (round the end) that is not done;
    // -1 when every lift is.
    Q_INVOKABLE int nextOpenLift() const;
    // The path of the file the lift's configuration is written to.
    QString liftFilePath(int index) const;

signals:
    void openedChanged();
    void problemTextChanged();
    void liftsChanged();
    void currentIndexChanged();
    void loadedIndexChanged();
    void deviceSerialNumberChanged();

private:
    void takeJobResult();
    void recordOutcome(SeriesStatus::Outcome outcome, const QString &note);
    void setProblemText(const QString &text);
    void setLoadedIndex(int index);
    void setDeviceSerialNumber(const QString &serialNumber);
    void chooseLiftOfDevice();
    bool loadedLiftIsOnScreen() const;

    DeviceProfile *m_profile;
    LumBot *m_bot;
    bool m_open = false;
    QString m_templateFile;
    QString m_tableFile;
    SeriesTable m_table;
    SeriesStatus m_status;
    QString m_problemText;
    int m_currentIndex = -1;
    int m_loadedIndex = -1;
    QString m_loadedFile;
    QString m_deviceSerialNumber;
};

#endif // SERIESSESSION_H
