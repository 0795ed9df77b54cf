#pragma once
// The seams between the windows of different subsystems. A window of one
// subsystem reaches a window of another only through what this header
// declares: small interfaces, found with qobject_cast on the window the
// registry gives (a window that is absent, or lacks the interface, gives
// nullptr and the caller simply does nothing), and the by-name commands the
// main window calls on whichever child window is active.
//
// A window implements an interface by deriving from it and naming it in
// Q_INTERFACES:
//
//     class frmPrint : public QWidget, public PrintFormInterface {
//         Q_OBJECT
//         Q_INTERFACES(PrintFormInterface)
//     public:
//         void setPrintJob(const PrintJob &job) override;
//     };
#include "platform/dao/Dao.h"

#include <QObject>
#include <QString>
#include <QtPlugin>

// ---- by-name commands --------------------------------------------------------------
// Slots without arguments the main window invokes by name (CallByName) on the
// active child window; a window that lacks one simply does not answer.
namespace byname {
inline constexpr char UpdateControls[] = "UpdateControls";   // texts of the current language
inline constexpr char MyPrint[] = "MyPrint";                 // the window's list (or its only print)
inline constexpr char MyPrint1[] = "MyPrint1";               // the current record
inline constexpr char MyPrint2[] = "MyPrint2";               // the samples of the current record
inline constexpr char Export[] = "Export";                   // text profile
inline constexpr char ExportXml[] = "ExportXml";             // XML races file
inline constexpr char ExportCrs[] = "ExportCrs";             // course file
}

// ---- the print form (frmPrint) -----------------------------------------------------
// Prints the rows of a query as a table under a title.
struct PrintJob {
    QString sql;       // the query whose rows are printed
    QString title;     // the printout's title ("name|subtitle" for two lines)
    QString caption;   // the print form's caption
};

class PrintFormInterface {
public:
    virtual ~PrintFormInterface() = default;
    // Takes the job the form prints; the caller shows the form afterwards.
    virtual void setPrintJob(const PrintJob &job) = 0;
};
#define VettaroPrintFormInterface_iid "org.vettaro.PrintFormInterface"
Q_DECLARE_INTERFACE(PrintFormInterface, VettaroPrintFormInterface_iid)

// Loads the print form, gives it the job and its caption and shows it. Does
// nothing when no print form is registered.
void showPrintForm(const PrintJob &job);

// ---- the profile view (frmAltimetria) ----------------------------------------------
// Draws the profile hand-off (ProfileGlobals.h).
class ProfileViewInterface {
public:
    virtual ~ProfileViewInterface() = default;
    // Draws the hand-off anew (it changed while the view was open).
    virtual void redraw() = 0;
};
#define VettaroProfileViewInterface_iid "org.vettaro.ProfileViewInterface"
Q_DECLARE_INTERFACE(ProfileViewInterface, VettaroProfileViewInterface_iid)

// ---- the chart view (frmGrafico) ------------------------------------------------
// Draws the chart hand-off (ChartHandoff.h).
class ChartViewInterface {
public:
    virtual ~ChartViewInterface() = default;
    // Takes the hand-off anew (a chart command ran while the view was open):
    // caption, mode, values and drawing; its size and axis font stay.
    virtual void takeHandoff() = 0;
};
#define VettaroChartViewInterface_iid "org.vettaro.ChartViewInterface"
Q_DECLARE_INTERFACE(ChartViewInterface, VettaroChartViewInterface_iid)

// ---- the browser (frmBrowser) ------------------------------------------------------
class BrowserInterface {
public:
    virtual ~BrowserInterface() = default;
    // The address the browser loads when it is shown.
    virtual void setStartingAddress(const QString &address) = 0;
};
#define VettaroBrowserInterface_iid "org.vettaro.BrowserInterface"
Q_DECLARE_INTERFACE(BrowserInterface, VettaroBrowserInterface_iid)

// ---- the athlete lists (frmPrestAll, frmAngolo) ------------------------------------
// A list of one athlete's times that the Record menu and the RemoveFilter
// button of the main window act on.
class AthleteListInterface {
public:
    virtual ~AthleteListInterface() = default;
    // IDPersonale of the athlete whose list is shown; empty when none.
    virtual QString currentAthlete() const = 0;
    // Whether the list shows a filtered selection.
    virtual bool filterActive() const = 0;
    // Rebuilds the list of the current athlete without a filter (the main
    // window's "remove filter").
    virtual void removeFilter() = 0;
    // The athlete's surname and first name as the list shows them.
    virtual QString athleteSurname() const = 0;
    virtual QString athleteFirstName() const = 0;
    // The grid's rows as it shows them, in a recordset of their own (moving it
    // does not move the grid); nullptr when the list shows nothing.
    virtual dao::RecordsetPtr listRows() const = 0;
};
#define VettaroAthleteListInterface_iid "org.vettaro.AthleteListInterface"
Q_DECLARE_INTERFACE(AthleteListInterface, VettaroAthleteListInterface_iid)

// ---- the Record menu's filter and sort (the athlete lists, the summary) ---------
// A window whose rows the main window's "Filter", "SortAsc" and "SortDes"
// commands narrow or order. Each returns false when it changed nothing (no
// suitable field has the focus, or the database refused the new rows).
class RecordCommandsInterface {
public:
    virtual ~RecordCommandsInterface() = default;
    virtual bool Filter() = 0;
    virtual bool Sort(bool ascending) = 0;
};
#define VettaroRecordCommandsInterface_iid "org.vettaro.RecordCommandsInterface"
Q_DECLARE_INTERFACE(RecordCommandsInterface, VettaroRecordCommandsInterface_iid)

// ---- the record cards (frmDatiSal, frmDatiPerc) ------------------------------------
// A card window with a sample panel: while the panel shows, printing prints
// its samples (MyPrint2) without asking.
class SamplePanelInterface {
public:
    virtual ~SamplePanelInterface() = default;
    virtual bool samplePanelShown() const = 0;
};
#define VettaroSamplePanelInterface_iid "org.vettaro.SamplePanelInterface"
Q_DECLARE_INTERFACE(SamplePanelInterface, VettaroSamplePanelInterface_iid)
