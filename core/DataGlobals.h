#pragma once
// Globals of the application core that need no window: the open database and
// the shared recordsets, the program's names and folders, the hand-off values
// between windows and the icon table. Globals.h adds those of the windows.
#include "platform/dao/Dao.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

// The open database. Whether one is open is told by the main window's caption
// (see IsDatabaseOpen), never by this pointer: closing closes it in place.
extern dao::DatabasePtr CurrentDb;

// The shared recordsets the main window opens before it shows a data window.
extern dao::RecordsetPtr AthletesRs;       // [Dati Personali]
extern dao::RecordsetPtr ClimbsRs;         // [Dati Salite], or the card table of the route/climb window
extern dao::RecordsetPtr RoutesRs;         // [Dati Percorsi]
extern dao::RecordsetPtr ClimbTimesRs;     // [Tempi Salita]
extern dao::RecordsetPtr TrainingTimesRs;  // [Tempi Allenamento]
extern dao::RecordsetPtr SummaryRs;        // stored query [Riepilogo per Atleta]

// The executable's base name: the application name of every setting.
extern QString AppName;
// The program folder: templates, icons, languages and help are found here.
extern QString AppPath;

// Name of the data window last opened from the data toolbar.
extern QString DataFormName;
// Key code of the last key pressed in a numeric field (see the validators).
extern int16_t LastKeyCode;
// True (-1) while the profile window is loaded; written only by that window.
extern int16_t AltimetriaOpen;
// Record source of the open athlete list and the aggregate head of its statistics.
extern QString ListSql;
extern QString StatsSqlHead;

// The main window's image list of sample icons, keyed by icon name, in the
// order they were added. Filled when a database opens, cleared when it closes.
class ImageList {
public:
    struct Item {
        QString key;
        QImage picture;
    };
    // Adds a picture under a key. Error 35602 when the key is in use,
    // 35603 when it is not a valid key (empty or purely numeric).
    void Add(const QString &key, const QImage &picture);
    void Clear() { m_items.clear(); }
    int Count() const { return int(m_items.size()); }
    bool Contains(const QString &key) const;
    // Null image when the key is unknown.
    QImage Picture(const QString &key) const;
    QStringList Keys() const;
    const QList<Item> &Items() const { return m_items; }
    // Size of the pictures the list hands out (16 x 16 by default).
    void SetImageSize(int width, int height) { m_width = width; m_height = height; }
    int ImageWidth() const { return m_width; }
    int ImageHeight() const { return m_height; }

private:
    QList<Item> m_items;
    int m_width = 16, m_height = 16;
};
extern ImageList ImageList2;

// The product name that starts the caption; the caption is exactly this text
// when no database is open.
extern const QString ProductCaption;   // "Vettaro "

// Closes a shared recordset (if open) and releases it. Never throws.
void CloseRecordset(dao::RecordsetPtr &rs);
// Closes every shared recordset above.
void CloseSharedRecordsets();
// Puts every global back to its starting value (tests).
void ResetGlobals();
