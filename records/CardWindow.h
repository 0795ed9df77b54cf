#pragma once
// The card window shared by the climbs window (frmDatiSal) and the routes
// window (frmDatiPerc): one record of the card table at a time, the record
// counter, New / Confirm / Modify / Delete / Refresh / Close, the information
// panel with its link fields, the altitude-sample panel, the simulator and,
// for climbs, the three climb figures. What differs between the two lies in a
// CardConfig; the two window classes only choose theirs.
#include "core/WindowInterfaces.h"
#include "platform/dao/Dao.h"
#include "records/ClimbFigures.h"
#include "records/Simulators.h"

#include <QHash>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QComboBox;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTableView;

namespace data {
class DataControl;
class RecordsetModel;
}

struct CardConfig {
    bool climb = true;
    QString formName;        // window name and settings section
    QString table;           // card table
    QString samplesTable;    // its samples
    QString exportKind;      // "climb" / "tour" for the XML and course files
    int requiredFields = 4;  // txtFields(0 .. n-1)
    // Message texts.
    int deleteQuestion = 0;
    int emptyOnAdd = 0;
    int emptyOnModify = 0;
    int duplicateName = 0;
    int infoRefused = 0;
    int exportRefused = 0;
    int noAssociation = 0;
    int outOfMemory = 0;
    int shellError = 0;
    int saveAsTitle = 0;
    int profileFilter = 0;
    int textExportRefused = 0;
    int sampleDuplicate = 0;
    int sampleEmptyDistance = 0;
    int sampleEmptyHeight = 0;
    QString infoFrame;       // "FrameInfo" / "Frame5"
    QString infoClose;       // "Command1" / "cmdNoInfo"
    // Every caption and tool tip: number, control name, 'C' caption or 'T' tool tip.
    struct Text {
        int number;
        const char *control;
        char property;
    };
    std::vector<Text> texts;

    static CardConfig Climbs();
    static CardConfig Routes();
};

class CardWindow : public QWidget, public SamplePanelInterface {
    Q_OBJECT
    Q_INTERFACES(SamplePanelInterface)
public:
    // Loads the window over CurrentDb (the steps a window runs when it loads).
    CardWindow(const CardConfig &config, QWidget *parent = nullptr);
    ~CardWindow() override;

    const CardConfig &config() const { return m_cfg; }
    int RecordTotal() const { return m_recordTotal; }
    bool AddMode() const { return m_addMode; }
    int SampleTotal() const { return m_sampleTotal; }
    data::DataControl *Data1() const { return m_data1; }
    data::DataControl *Data2() const { return m_data2; }
    data::RecordsetModel *SampleModel() const { return m_samples; }
    QWidget *Picture1() const { return m_picture1; }
    bool samplePanelShown() const override;
    QWidget *picInfo() const { return m_picInfo; }
    // A control by its name ("txtFields(0)", "cmdAdd", "Label5(3)" ...).
    QWidget *Control(const QString &name) const { return m_controls.value(name); }
    // The figure colours of the climbs window (red in the low byte; a value
    // with the high bit set names a system colour).
    qint64 GapColor() const { return m_gapColor; }
    qint64 SlopeColor() const { return m_slopeColor; }
    qint64 DiffColor() const { return m_diffColor; }

public slots:
    // By-name commands of the main window.
    void UpdateControls();
    void Export();
    void ExportXml();
    void ExportCrs();
    void MyPrint();
    void MyPrint1();
    void MyPrint2();

    // Climb figures (climbs window).
    void UpdateDislivello();
    void UpdatePendenza();
    void UpdateDifficolta();

    // Buttons and panels.
    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdModify_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void cmdClose_Click();
    void cmdDesc_Click();
    void cmdNoInfo_Click();
    void cmdAltim_Click();
    void cmdpct1Close_Click();
    void cmdShowAlti_Click();
    void txtLink_DblClick(int index);
    void FigureColor_DblClick(int figure);   // 0 Label12, 1 Label6, 2 Label10

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Building.
    void buildClimbCard(QWidget *host);
    void buildRouteCard(QWidget *host);
    void buildInfoPanel();
    void buildSamplePanel();
    void buildClimbSimulator(QWidget *host);
    void buildRouteSimulator(QWidget *host);
    template <class T> T *make(const QString &name, QWidget *parent);
    QLabel *label(const QString &name, QWidget *parent);
    QLineEdit *field(const QString &name, const QString &dbField, int maxLength, QWidget *parent);
    QSlider *slider(const QString &name, int min, int max, int position, QWidget *parent);
    void placePanels();

    // Loading and closing.
    void Form_Load();
    void Form_Unload();
    void fillStates();
    void restoreSettings();
    void saveSettings();
    void setMainCommands(bool enabled);

    // Records.
    void Data1_Reposition();
    bool requiredFilled() const;
    bool nameExists(const QString &name) const;
    void checkNameOnLeave();
    void showCounter();
    int recordPosition() const;
    bool canExport() const;
    void loadSamples();
    void keyDown(int key);
    bool gridKeyPress(QWidget *target, QKeyEvent *ke);
    void pickIcon(const QModelIndex &cell);
    void exportCard(void (*writer)(const QString &id, const QString &kind));
    bool isRequiredField(const QWidget *w) const;

    // Simulator.
    void Slider1_Scroll();
    void Slider2_Scroll();
    void Slider3_Scroll();
    void Option1_Click(int index);
    bool addingCard() const;
    Simulators::ClimbInput climbInput() const;
    Simulators::RouteInput routeInput() const;
    void showReadouts();
    void showFigure(const char *label, ClimbFigures::Figure (*compute)(const ClimbFigures::CardTexts &, const QLocale &));

    void setLabelText(const char *name, const QString &text);
    QString text(const QString &name) const;
    QString fieldText(const QString &dbField) const;

    CardConfig m_cfg;
    QHash<QString, QWidget *> m_controls;
    QHash<QString, QWidget *> m_byField;   // bound control by field name
    data::DataControl *m_data1 = nullptr;
    data::DataControl *m_data2 = nullptr;
    data::RecordsetModel *m_samples = nullptr;
    QTableView *m_grid = nullptr;
    QLabel *m_gridCaption = nullptr;
    QWidget *m_card = nullptr;       // the area the panels cover
    QWidget *m_picInfo = nullptr;
    QWidget *m_picture1 = nullptr;
    QLabel *m_lblNumero = nullptr;
    QLineEdit *m_txt[4] = {nullptr, nullptr, nullptr, nullptr};
    QLineEdit *m_link[2] = {nullptr, nullptr};
    QSlider *m_slider1 = nullptr, *m_slider2 = nullptr, *m_slider3 = nullptr;
    QRadioButton *m_option[2] = {nullptr, nullptr};

    int m_recordTotal = 0;
    bool m_addMode = false;
    int m_sampleTotal = 0;
    qint64 m_gapColor = 0, m_slopeColor = 0, m_diffColor = 0;
    bool m_unloaded = false;
    const QEvent *m_lastKey = nullptr;
    ulong m_lastKeyTime = 0;

    Simulators::ClimbSimulator m_climbSim;
    Simulators::ClimbReadouts m_climbOut;
    Simulators::RouteReadouts m_routeOut;
};

// The address a link field opens: a text with a scheme as it stands, an e-mail
// address as "mailto:", anything else as a web address. Empty for a blank text.
QString LinkAddress(const QString &text);

// Colour values as the settings hold them (red in the low byte; the high bit
// set names a system colour) to and from QColor.
QColor ColorFromValue(qint64 value);
qint64 ValueFromColor(const QColor &color);
