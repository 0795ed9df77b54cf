#pragma once
// The card of a route or a climb, shared by the climbs window (frmDatiSal) and
// the routes window (frmDatiPerc): the record-card frame (core/RecordCard) with
// the name and length fields, the information panel with its link fields, the
// altitude-sample panel, a simulator panel beside the card, the XML, course and
// text profile exports and the print layouts. What differs between the two
// lies in a CardConfig and in what each window class builds into the card.
#include "core/RecordCard.h"
#include "core/WindowInterfaces.h"
#include "platform/dao/Dao.h"
#include "records/CardColours.h"
#include "records/ProfileHandoff.h"

#include <QString>

#include <vector>

class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class SamplePanel;
class SimulatorPanel;
namespace CardPrint {
struct CardData;
}

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
    int sampleDeleteQuestion = 0;
    int outOfRange = 0;      // a number beyond what its field holds
    QString infoFrame;       // "FrameInfo" / "Frame5"
    QString infoClose;       // "Command1" / "cmdNoInfo"
    using Text = RecordCard::Text;
    std::vector<Text> texts;

    static CardConfig Climbs();
    static CardConfig Routes();
    // The frame's part of it.
    RecordCard::Setup Setup() const;
};

class CardWindow : public RecordCard, public SamplePanelInterface {
    Q_OBJECT
    Q_INTERFACES(SamplePanelInterface)
public:
    ~CardWindow() override;

    const CardConfig &config() const { return m_cfg; }
    int SampleTotal() const;
    data::DataControl *Data2() const;
    data::RecordsetModel *SampleModel() const;
    QWidget *Picture1() const;
    bool samplePanelShown() const override;
    QWidget *picInfo() const { return m_picInfo; }

public slots:
    // By-name commands of the main window.
    void Export();
    void ExportXml();
    void ExportCrs();
    void MyPrint();
    void MyPrint1();
    void MyPrint2();

    // Buttons and panels.
    void cmdDesc_Click();
    void cmdNoInfo_Click();
    void cmdAltim_Click();
    void cmdpct1Close_Click();
    void cmdShowAlti_Click();
    void txtLink_DblClick(int index);

protected:
    // The window class builds its fields into fieldArea() (through field() and
    // label()), sets m_txt, calls setSimulator(), then load().
    CardWindow(const CardConfig &config, QWidget *parent);
    QLabel *label(const QString &name, QWidget *parent);
    QLineEdit *field(const QString &name, const QString &dbField, int maxLength, QWidget *parent);
    // The state list cmbState, bound to Stato.
    class QComboBox *stateField(QWidget *parent);
    // The group of the card's fields in fieldArea(): a grid of captions and
    // fields, four columns, that opens with the name (m_txt[0], across the
    // row) and the length (m_txt[1]).
    class FieldGrid {
    public:
        FieldGrid(CardWindow *card, const QString &name);
        QGroupBox *frame() const { return m_frame; }
        // The caption lbl in column col of row r, its field w beside it.
        void row(int r, int col, const char *lbl, QWidget *w, int span = 1);
        // Lays the group into the field area, the field columns taking the width.
        void place();

    private:
        CardWindow *m_card;
        QGroupBox *m_frame;
        QGridLayout *m_grid;
    };
    void setSimulator(SimulatorPanel *panel);
    // The text of a label or field of the window by its name.
    QString text(const QString &name) const;
    // The climbs window adds its mean gradient to the profile legend and the print.
    virtual void completeLegend(ProfileHandoff::Legend &legend) const { Q_UNUSED(legend); }
    virtual void completePrint(CardPrint::CardData &card) const;

    // Frame hooks.
    void loadSteps() override;
    void restoreSettings() override;
    void saveSettings() override;
    void onReposition(bool onRow) override;
    void onAddStateChanged(bool adding) override;
    bool applyText(const QString &control, const QString &text) override;
    bool previewKey(QWidget *target, QKeyEvent *key) override;
    void onUnload() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    QLineEdit *m_txt[4] = {nullptr, nullptr, nullptr, nullptr};

private:
    void buildInfoPanel();
    void fillStates();
    bool canExport() const;
    void loadSamples();
    void exportCard(void (*writer)(const QString &id, const QString &kind));
    bool isRequiredField(const QWidget *w) const;
    QString cardName() const;

    CardConfig m_cfg;
    QWidget *m_picInfo = nullptr;
    QGroupBox *m_infoFrame = nullptr;
    QLineEdit *m_link[2] = {nullptr, nullptr};
    class QComboBox *m_cmbState = nullptr;
    SamplePanel *m_samplePanel = nullptr;
    SimulatorPanel *m_simulator = nullptr;
};

// The address a link field opens: a text with a scheme as it stands, an e-mail
// address as "mailto:", anything else as a web address. Empty for a blank text.
QString LinkAddress(const QString &text);
