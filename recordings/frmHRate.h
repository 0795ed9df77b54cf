#pragma once
// The recording window: opens one .hrm or tour-file recording at a time,
// shows its summary (name, length, duration, start and end altitude, a
// guessed type) and its samples as a table, copies parts of the table,
// imports the recording as a new route or climb and exports it as a
// spreadsheet workbook with a chart.
#include "recordings/Hrm.h"
#include "recordings/Tur.h"

#include <QHash>
#include <QString>
#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableView;
class RecordingTableModel;

class frmHRate : public QWidget {
    Q_OBJECT
public:
    // Form_Load.
    explicit frmHRate(QWidget *parent = nullptr);
    ~frmHRate() override;

    // The recording state.
    const QString &DataKind() const { return m_DataKind; }
    const std::shared_ptr<Hrm> &HrmData() const { return m_HrmData; }
    const std::shared_ptr<Tur> &TurData() const { return m_TurData; }
    int16_t StartAltitude() const { return m_StartAltitude; }
    int16_t EndAltitude() const { return m_EndAltitude; }
    float TourLength() const { return m_TourLength; }
    // The samples of the recording shown (null before the first one).
    ColSamplePtr RecordingSamples() const;
    QString RecordingName() const;

    // A control by its name ("txtName", "Combo1", "MSFlexGrid1", "Label1(3)" ...).
    QWidget *Control(const QString &name) const { return m_controls.value(name); }
    RecordingTableModel *TableModel() const { return m_model; }
    QMenu *PopUpMenu() const { return m_popup; }

    // Reads a recording file and shows it: the reader follows the extension
    // (.hrm, .tur, any case); for other names filterIndex chooses (1 .hrm,
    // 2 tour file). A failure is told with its reason and leaves the recording
    // shown before. Returns true when the file was read and shown.
    bool OpenRecording(const QString &path, int filterIndex);

    // The guessed type of a recording: 0 climb, 1 route.
    static int GuessedType(int16_t startAltitude, int16_t endAltitude, float length);

public slots:
    void UpdateControls();
    void LoadHRM();
    void LoadTur();
    void ExportExcel();

    void mnuHROpen_Click();
    void mnuFileCopy_Click();
    void mnuHrmCopy_Click();
    void cmdImport_Click();
    void cmdAdjM_Click();
    void cmdAdjP_Click();
    void cmdExcel_Click();

    QSize sizeHint() const override;

protected:
    void closeEvent(QCloseEvent *event) override;   // Form_Unload

private:
    void build();
    void loadCommon(const QString &name, float length, const ColSamplePtr &samples);
    void fillGrid(const ColSamplePtr &samples);
    void fitColumns(bool keepWider);
    void copySelection();
    void nudgeAdj(int delta);
    void setStatusText(const QString &text);
    void showProgress(int maximum);
    void setProgress(int value);
    void hideProgress();
    void saveGridSettings();
    template <class T> T *add(T *control, const QString &name);

    QHash<QString, QWidget *> m_controls;
    QMenuBar *m_menuBar = nullptr;
    QMenu *m_mnuHRFile = nullptr;
    QMenu *m_popup = nullptr;
    QAction *m_mnuHROpen = nullptr;
    QAction *m_mnuFileCopy = nullptr;
    QAction *m_mnuHrmCopy = nullptr;
    QTabWidget *m_tab = nullptr;
    QLabel *m_label1[8] = {};
    QLineEdit *m_txtName = nullptr;
    QLabel *m_lblLunghezza = nullptr, *m_lblTime = nullptr, *m_lblStartHeight = nullptr,
           *m_lblEndHeight = nullptr, *m_lblAdj = nullptr;
    QComboBox *m_combo1 = nullptr, *m_cmbFilter = nullptr;
    QPushButton *m_cmdAdjP = nullptr, *m_cmdAdjM = nullptr, *m_cmdExcel = nullptr, *m_cmdImport = nullptr;
    QTableView *m_grid = nullptr;
    RecordingTableModel *m_model = nullptr;
    QStatusBar *m_statusBar = nullptr;
    QLabel *m_statusText = nullptr;
    QProgressBar *m_progress = nullptr;

    std::shared_ptr<Hrm> m_HrmData;
    std::shared_ptr<Tur> m_TurData;
    QString m_DataKind;
    int16_t m_StartAltitude = 0, m_EndAltitude = 0;
    float m_TourLength = 0;
    // The text this window last put on the clipboard.
    QString m_copied;
    bool m_unloaded = false;
};
