#include "records/CardWindow.h"

#include "core/CourseFile.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/Validators.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "core/ProfileExport.h"
#include "core/ProfileGlobals.h"
#include "core/WindowRegistry.h"
#include "core/XmlRaces.h"
#include "platform/data/DataControl.h"
#include "platform/data/RecordsetModel.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Shell.h"
#include "platform/ui/DeferredMessage.h"
#include "platform/ui/Prompt.h"
#include "records/CardNumbers.h"
#include "records/CardPrint.h"
#include "records/ClimbFigures.h"
#include "records/ProfileHandoff.h"
#include "records/SampleChecks.h"
#include "records/SamplePanel.h"
#include "records/SimulatorPanels.h"
#include "records/TextProfile.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>
#include <optional>
#include <functional>

// ---------------------------------------------------------------------------
// Configurations

CardConfig CardConfig::Climbs()
{
    CardConfig c;
    c.climb = true;
    c.formName = QStringLiteral("frmDatiSal");
    c.table = QStringLiteral("Dati Salite");
    c.samplesTable = QStringLiteral("CampioniSalite");
    c.exportKind = QStringLiteral("climb");
    c.requiredFields = 4;
    c.deleteQuestion = 9500;
    c.emptyOnAdd = 9502;
    c.emptyOnModify = 9502;
    c.duplicateName = 9504;
    c.infoRefused = 9501;
    c.exportRefused = 9533;
    c.noAssociation = 9526;
    c.outOfMemory = 9527;
    c.shellError = 9528;
    c.saveAsTitle = 9531;
    c.profileFilter = 9532;
    c.textExportRefused = 9533;
    c.sampleDuplicate = SampleChecks::DuplicateTextClimb;
    c.sampleEmptyDistance = SampleChecks::EmptyFieldTextClimb;
    c.sampleEmptyHeight = SampleChecks::EmptyFieldTextClimb;
    c.sampleDeleteQuestion = 9535;
    c.outOfRange = SampleChecks::OutOfRangeTextClimb;
    c.infoFrame = QStringLiteral("FrameInfo");
    c.infoClose = QStringLiteral("Command1");
    c.texts = {
        {9000, "", 'C'}, {9001, "FrameInfo", 'C'}, {9002, "Command1", 'C'}, {9003, "Command1", 'T'},
        {9004, "txtLink(0)", 'T'}, {9005, "txtLink(1)", 'T'}, {9006, "lblLink(4)", 'C'},
        {9007, "lblLink(3)", 'C'}, {9008, "lblLink(2)", 'C'}, {9009, "lblLink(1)", 'C'},
        {9010, "lblLink(0)", 'C'}, {9011, "cmdShowAlti", 'C'}, {9012, "cmdShowAlti", 'T'},
        {9013, "cmdpct1Close", 'C'}, {9014, "Label8", 'C'}, {9015, "Frame1(8)", 'C'},
        {9016, "Text2(1)", 'T'}, {9017, "txtFields(2)", 'T'}, {9018, "txtFields(3)", 'T'},
        {9019, "cmdAltim", 'C'}, {9020, "cmdDesc", 'C'}, {9021, "cmdDesc", 'T'},
        {9022, "txtFields(1)", 'T'}, {9023, "txtFields(0)", 'T'}, {9024, "lblLabels(7)", 'C'},
        {9025, "lblLabels(6)", 'C'}, {9026, "lblLabels(5)", 'C'}, {9027, "lblLabels(4)", 'C'},
        {9028, "lblLabels(2)", 'C'}, {9029, "lblLabels(3)", 'C'}, {9030, "lblLabels(1)", 'C'},
        {9031, "lblLabels(0)", 'C'}, {9032, "Frame1(4)", 'C'}, {9033, "Frame1(2)", 'C'},
        {9034, "Slider3", 'T'}, {9035, "Label11(2)", 'C'}, {9036, "Label12", 'T'},
        {9037, "Label11(1)", 'C'}, {9038, "Label11(0)", 'C'}, {9039, "Label10", 'T'},
        {9040, "Label6", 'T'}, {9041, "Frame1(6)", 'C'}, {9042, "Label7(1)", 'C'},
        {9043, "Label7(0)", 'C'}, {9044, "Frame1(5)", 'C'}, {9045, "Frame1(5)", 'T'},
        {9046, "Option1(1)", 'C'}, {9047, "Option1(0)", 'C'}, {9048, "Frame1(3)", 'C'},
        {9049, "Slider2", 'T'}, {9050, "Frame1(1)", 'C'}, {9051, "Label5(12)", 'C'},
        {9052, "Label5(11)", 'T'}, {9053, "Label5(9)", 'T'}, {9054, "Label5(8)", 'C'},
        {9055, "Label5(7)", 'C'}, {9056, "Label5(6)", 'T'}, {9057, "Label5(4)", 'C'},
        {9058, "Label5(2)", 'C'}, {9059, "Label5(0)", 'C'}, {9060, "Frame1(0)", 'C'},
        {9061, "Slider1", 'T'}, {9062, "cmdModify", 'C'}, {9063, "cmdClose", 'C'},
        {9064, "cmdUpdate", 'C'}, {9065, "cmdRefresh", 'C'}, {9066, "cmdDelete", 'C'},
        {9067, "cmdAdd", 'C'}, {9068, "Label2", 'C'}, {9069, "Label1", 'C'},
        {9070, "DBGrid1.0", 'C'}, {9071, "DBGrid1.1", 'C'}, {9072, "DBGrid1.2", 'C'},
        {9073, "DBGrid1.3", 'C'}};
    return c;
}

CardConfig CardConfig::Routes()
{
    CardConfig c;
    c.climb = false;
    c.formName = QStringLiteral("frmDatiPerc");
    c.table = QStringLiteral("Dati Percorsi");
    c.samplesTable = QStringLiteral("CampioniPercorsi");
    c.exportKind = QStringLiteral("tour");
    c.requiredFields = 2;
    c.deleteQuestion = 7500;
    c.emptyOnAdd = 7504;
    c.emptyOnModify = 7503;
    c.duplicateName = 7510;
    c.infoRefused = 7502;
    c.exportRefused = 7501;
    c.noAssociation = 7529;
    c.outOfMemory = 7530;
    c.shellError = 7531;
    c.saveAsTitle = 7507;
    c.profileFilter = 7508;
    c.textExportRefused = 7509;
    c.sampleDuplicate = SampleChecks::DuplicateTextRoute;
    c.sampleEmptyDistance = SampleChecks::EmptyDistanceTextRoute;
    c.sampleEmptyHeight = SampleChecks::EmptyHeightTextRoute;
    c.sampleDeleteQuestion = 7535;
    c.outOfRange = SampleChecks::OutOfRangeTextRoute;
    c.infoFrame = QStringLiteral("Frame5");
    c.infoClose = QStringLiteral("cmdNoInfo");
    c.texts = {
        {7000, "", 'C'}, {7001, "Frame5", 'C'}, {7002, "cmdNoInfo", 'C'}, {7003, "cmdNoInfo", 'T'},
        {7004, "txtLink(1)", 'T'}, {7005, "txtLink(0)", 'T'}, {7006, "Label6(2)", 'C'},
        {7007, "Label6(0)", 'C'}, {7008, "Label6(1)", 'C'}, {7009, "lblLink(1)", 'C'},
        {7010, "lblLink(0)", 'C'}, {7011, "cmdpct1Close", 'C'}, {7012, "cmdShowAlti", 'C'},
        {7013, "Label8", 'C'}, {7014, "Frame4", 'C'}, {7015, "cmdAltim", 'C'},
        {7016, "cmdDesc", 'C'}, {7017, "cmdDesc", 'T'}, {7018, "Text1(2)", 'T'},
        {7019, "txtFields(1)", 'T'}, {7020, "txtFields(0)", 'T'}, {7021, "lblLabels(7)", 'C'},
        {7022, "lblLabels(5)", 'C'}, {7023, "lblLabels(4)", 'C'}, {7024, "lblLabels(3)", 'C'},
        {7025, "lblLabels(2)", 'C'}, {7026, "lblLabels(1)", 'C'}, {7027, "lblLabels(0)", 'C'},
        {7028, "Frame1(0)", 'C'}, {7029, "Frame1(4)", 'C'}, {7030, "Slider3", 'T'},
        {7031, "Frame3", 'C'}, {7032, "Label3(9)", 'C'}, {7033, "Label3(8)", 'C'},
        {7034, "Label3(7)", 'C'}, {7035, "Label3(6)", 'T'}, {7036, "Label3(5)", 'T'},
        {7037, "Label3(4)", 'T'}, {7038, "Label3(2)", 'C'}, {7039, "Label3(0)", 'C'},
        {7040, "Frame2", 'C'}, {7041, "Slider1", 'T'}, {7042, "cmdClose", 'C'},
        {7043, "cmdDelete", 'C'}, {7044, "cmdModify", 'C'}, {7045, "cmdRefresh", 'C'},
        {7046, "cmdUpdate", 'C'}, {7047, "cmdAdd", 'C'}, {7048, "Label2", 'C'},
        {7049, "Label1", 'C'}, {7050, "DBGrid1.0", 'C'}, {7051, "DBGrid1.1", 'C'},
        {7052, "DBGrid1.2", 'C'}, {7053, "DBGrid1.3", 'C'}};
    return c;
}

RecordCard::Setup CardConfig::Setup() const
{
    RecordCard::Setup s;
    s.formName = formName;
    s.recordSource = table;
    s.recordsetType = dao::dbOpenTable;
    s.keyField = QStringLiteral("IDPercorso");
    s.deleteQuestion = deleteQuestion;
    s.emptyOnAdd = emptyOnAdd;
    s.emptyOnModify = emptyOnModify;
    s.duplicateKey = duplicateName;
    s.mainCommands = climb ? QStringList{"Print", "Find", "mnuPrint", "mnuExportTxt", "mnuSaveXML", "mnuSaveCrs",
                                         "XmlExport", "CrsExport", "TxtExport", "mnuTool(0)"}
                           : QStringList{"Print", "Find", "mnuPrint", "mnuExportTxt", "mnuSaveXML", "mnuSaveCrs",
                                         "XmlExport", "TxtExport", "CrsExport", "mnuTool(0)"};
    s.closeWith = {QStringLiteral("frmAltimetria"), QStringLiteral("frmPrint")};
    s.texts = texts;
    return s;
}

// ---------------------------------------------------------------------------
// Link addresses

QString LinkAddress(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QString();
    // An address that names its scheme is opened as it stands.
    if (trimmed.contains(QLatin1String("://")) || trimmed.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
        return trimmed;
    if (trimmed.contains(QLatin1Char('@')))
        return QStringLiteral("mailto:") + trimmed;
    return QStringLiteral("http://") + trimmed;
}

namespace {

// The main window's hourglass for the length of a command, whatever path ends it.
class Hourglass {
public:
    Hourglass() { SetPointer(11); }
    ~Hourglass() { SetPointer(0); }
    Hourglass(const Hourglass &) = delete;
    Hourglass &operator=(const Hourglass &) = delete;

private:
    static void SetPointer(int pointer)
    {
        if (MDIfrmBike *main = MDIfrmBike::instance())
            main->SetMousePointer(pointer);
    }
};

QString RecordName(const dao::RecordsetPtr &rs)
{
    try {
        if (rs && !rs->AtEOF() && !rs->BOF())
            return rs->Value(QStringLiteral("IDPercorso")).toString();
    } catch (const VbError &) {
    }
    return QString();
}

// A record's name shown as a caption: an ampersand in it is a character, not a
// keyboard mnemonic.
QString PlainCaption(QString text) { return text.replace(QLatin1Char('&'), QLatin1String("&&")); }

}

// ---------------------------------------------------------------------------
// Building

namespace {
constexpr int AltitudeDigits = 4;

// A label's text as a field's name in a message: no access key, no colon.
QString FieldCaption(const QLabel *label)
{
    QString text = label ? label->text() : QString();
    text.remove(QLatin1Char('&'));
    text = text.trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.trimmed();
}

// Tells, through tell, of a digit typed into a field that holds its most
// digits already, and swallows it. The message follows the key's handling,
// once however many repeats of the key were refused meanwhile.
class DigitLimit : public QObject {
public:
    DigitLimit(QLineEdit *box, int digits, std::function<void()> tell)
        : QObject(box), m_box(box), m_digits(digits), m_tell(std::move(tell)), m_teller(new DeferredMessage(this))
    {
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_box || event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier) || key->text().size() != 1
            || !key->text().at(0).isDigit())
            return false;
        const int kept = int(m_box->text().size() - (m_box->hasSelectedText() ? m_box->selectedText().size() : 0));
        if (kept < m_digits)
            return false;
        m_teller->tell(m_tell);
        return true;
    }

private:
    QLineEdit *m_box;
    int m_digits;
    std::function<void()> m_tell;
    DeferredMessage *m_teller;
};
}

QLabel *CardWindow::label(const QString &name, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

QLineEdit *CardWindow::field(const QString &name, const QString &dbField, int maxLength, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    bindField(e, dbField);
    return e;
}

CardWindow::FieldGrid::FieldGrid(CardWindow *card, const QString &name)
    : m_card(card), m_frame(new QGroupBox(card->fieldArea())), m_grid(new QGridLayout(m_frame))
{
    m_frame->setObjectName(name);
    card->m_txt[0] = card->field(QStringLiteral("txtFields(0)"), QStringLiteral("IDPercorso"), 250, m_frame);
    card->m_txt[1] = card->field(QStringLiteral("txtFields(1)"), QStringLiteral("Lunghezza"), 0, m_frame);
}

void CardWindow::FieldGrid::row(int r, int col, const char *lbl, QWidget *w, int span)
{
    m_grid->addWidget(m_card->label(QLatin1String(lbl), m_frame), r, col);
    m_grid->addWidget(w, r, col + 1, 1, span);
}

void CardWindow::FieldGrid::place()
{
    m_grid->setColumnStretch(1, 1);
    m_grid->setColumnStretch(3, 1);
    m_card->fieldArea()->layout()->addWidget(m_frame);
}

QComboBox *CardWindow::stateField(QWidget *parent)
{
    m_cmbState = new QComboBox(parent);
    m_cmbState->setObjectName(QStringLiteral("cmbState"));
    m_cmbState->setEditable(true);
    m_cmbState->setInsertPolicy(QComboBox::NoInsert);
    bindField(m_cmbState, QStringLiteral("Stato"));
    return m_cmbState;
}

void CardWindow::buildInfoPanel()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("picInfo"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    m_picInfo = panel;
    auto *outer = new QVBoxLayout(m_picInfo);
    m_infoFrame = new QGroupBox(m_picInfo);
    m_infoFrame->setObjectName(m_cfg.infoFrame);
    outer->addWidget(m_infoFrame);
    auto *g = new QGridLayout(m_infoFrame);
    const bool c = m_cfg.climb;
    QGroupBox *frame = m_infoFrame;
    auto row = [&](int r, const QString &lbl, QWidget *w) {
        g->addWidget(label(lbl, frame), r, 0, w->inherits("QPlainTextEdit") ? Qt::AlignTop : Qt::Alignment());
        g->addWidget(w, r, 1);
    };
    row(0, c ? QStringLiteral("lblLink(2)") : QStringLiteral("Label6(1)"),
        field(c ? QStringLiteral("Text1(0)") : QStringLiteral("Text2(0)"), QStringLiteral("Telefono"), 250, frame));
    row(1, c ? QStringLiteral("lblLink(3)") : QStringLiteral("Label6(0)"),
        field(c ? QStringLiteral("Text1(1)") : QStringLiteral("Text2(1)"), QStringLiteral("Fax"), 250, frame));
    m_link[0] = field(QStringLiteral("txtLink(0)"), QStringLiteral("E-mail"), 250, frame);
    m_link[1] = field(QStringLiteral("txtLink(1)"), QStringLiteral("Url"), 250, frame);
    row(2, QStringLiteral("lblLink(0)"), m_link[0]);
    row(3, QStringLiteral("lblLink(1)"), m_link[1]);
    auto *desc = new QPlainTextEdit(frame);
    desc->setObjectName(QStringLiteral("txtDesc"));
    desc->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    desc->setTabChangesFocus(true);
    bindField(desc, QStringLiteral("Descrizione"));
    row(4, c ? QStringLiteral("lblLink(4)") : QStringLiteral("Label6(2)"), desc);
    g->setRowStretch(4, 1);
    auto *close = new QPushButton(m_picInfo);
    close->setObjectName(m_cfg.infoClose);
    auto *bl = new QHBoxLayout;
    bl->addStretch(1);
    bl->addWidget(close);
    outer->addLayout(bl);
    connect(close, &QPushButton::clicked, this, &CardWindow::cmdNoInfo_Click);
    addPanel(m_picInfo);
}

CardWindow::CardWindow(const CardConfig &config, QWidget *parent) : RecordCard(config.Setup(), parent), m_cfg(config)
{
    connect(addButton(QStringLiteral("cmdAltim")), &QPushButton::clicked, this, &CardWindow::cmdAltim_Click);
    connect(addButton(QStringLiteral("cmdDesc")), &QPushButton::clicked, this, &CardWindow::cmdDesc_Click);
    buildInfoPanel();
    m_samplePanel = new SamplePanel({m_cfg.samplesTable, m_cfg.sampleDuplicate, m_cfg.sampleEmptyDistance,
                                     m_cfg.sampleEmptyHeight, m_cfg.sampleDeleteQuestion, m_cfg.outOfRange},
                                    this);
    addPanel(m_samplePanel);
    connect(m_samplePanel, &SamplePanel::profileRequested, this, &CardWindow::cmdShowAlti_Click);
    connect(m_samplePanel, &SamplePanel::closeRequested, this, &CardWindow::cmdpct1Close_Click);
    // A sample row typed but not yet written is saved before the card moves
    // away from it, as closing the panel saves it; a row or a cell the grid
    // refuses keeps the card where it is, and its message is told over the
    // card's own samples. Every mover asks: the navigator's buttons, Page
    // Up/Down, Home/End, Refresh and the find dialog.
    Data1()->setLeaveCheck([this]() { return !m_samplePanel->isVisible() || m_samplePanel->commitPending(); });
}

CardWindow::~CardWindow() = default;

void CardWindow::setSimulator(SimulatorPanel *panel)
{
    m_simulator = panel;
    sideArea()->layout()->addWidget(panel);
    panel->setCardSource([this]() {
        SimulatorCard c;
        c.length = m_txt[1] ? m_txt[1]->text() : QString();
        c.startAltitude = m_txt[2] ? m_txt[2]->text() : QString();
        c.endAltitude = m_txt[3] ? m_txt[3]->text() : QString();
        c.recordCount = lblNumero()->text();
        c.adding = addingCard();
        return c;
    });
    // Key filters of the required fields; Enter moves on through them too.
    FieldValidator::Install(m_txt[0], FieldValidator::MaxLen, 250);
    FieldValidator::Install(m_txt[1], FieldValidator::Decimal, 0, FieldValidator::DecimalCheck);
    for (int i = 2; i < m_cfg.requiredFields; ++i) {
        FieldValidator::Install(m_txt[i], FieldValidator::Integer, AltitudeDigits, FieldValidator::Numeric);
        // Heard before the filter: a digit past the field's four says why it is refused.
        auto *label = findChild<QLabel *>(QStringLiteral("lblLabels(%1)").arg(i));
        new DigitLimit(m_txt[i], AltitudeDigits, [this, label]() {
            MsgBox(FormatLangString(GetLangString(m_cfg.outOfRange),
                                    {FieldCaption(label), InterfaceNumber(0), InterfaceNumber(9999)}),
                   Vb::Exclamation);
        });
    }
    for (int i = 0; i < m_cfg.requiredFields; ++i)
        addRequired(m_txt[i]);
    setKeyField(m_txt[0]);
}

int CardWindow::SampleTotal() const { return m_samplePanel->SampleTotal(); }
data::DataControl *CardWindow::Data2() const { return m_samplePanel->Data2(); }
data::RecordsetModel *CardWindow::SampleModel() const { return m_samplePanel->model(); }
QWidget *CardWindow::Picture1() const { return m_samplePanel; }

// ---------------------------------------------------------------------------
// Loading and closing

void CardWindow::loadSteps()
{
    fillStates();
    try {
        if (CurrentDb)
            ClimbsRs = CurrentDb->OpenRecordset(m_cfg.table, dao::dbOpenTable);
    } catch (const VbError &) {
    }
}

void CardWindow::fillStates()
{
    try {
        if (!CurrentDb)
            return;
        dao::RecordsetPtr rs = CurrentDb->OpenRecordset(QStringLiteral("States"), dao::dbOpenTable);
        while (!rs->AtEOF()) {
            m_cmbState->addItem(rs->Value(QStringLiteral("State")).toString());
            rs->MoveNext();
        }
        rs->Close();
    } catch (const VbError &) {
    }
    m_cmbState->setEditText(QString());
}

void CardWindow::restoreSettings()
{
    m_simulator->restoreSettings(m_cfg.formName);
    // Column widths are keyed by the captions in the current language.
    m_samplePanel->restoreWidths(m_cfg.formName);
    // The sample panel covers the card: the card is wide enough for every column.
    cardArea()->setMinimumWidth(m_samplePanel->neededWidth());
    cardArea()->setMinimumHeight(m_samplePanel->neededHeight());
}

void CardWindow::saveSettings()
{
    m_simulator->saveSettings(m_cfg.formName);
    m_samplePanel->saveWidths(m_cfg.formName);
}

void CardWindow::onUnload()
{
    m_samplePanel->commitPending(SamplePanel::Tell::Now);
    CloseRecordset(ClimbsRs);
}

bool CardWindow::applyText(const QString &control, const QString &text)
{
    if (!control.startsWith(QLatin1String("DBGrid1.")))
        return false;
    m_samplePanel->setColumnCaption(control.mid(8).toInt(), text);
    return true;
}

// ---------------------------------------------------------------------------
// Records

QString CardWindow::text(const QString &name) const { return shownText(Control(name)); }

QString CardWindow::cardName() const { return RecordName(Data1()->recordset()); }

void CardWindow::onReposition(bool onRow)
{
    Q_UNUSED(onRow);
    m_simulator->Slider1_Scroll();
    for (QLineEdit *l : m_link)
        SetTextColour(l, 16711680);
    if (m_picInfo->isVisible())
        m_infoFrame->setTitle(PlainCaption(cardName()));
    if (m_samplePanel->isVisible()) {
        // A move made on the records by other code (a find) did not ask: the
        // row is saved for the card it was typed on before the grid reloads.
        m_samplePanel->commitPending();
        try {
            loadSamples();
            if (AltimetriaOpen)
                cmdShowAlti_Click();
        } catch (const VbError &) {
        }
    }
}

void CardWindow::onAddStateChanged(bool adding)
{
    if (adding)
        m_picInfo->hide();
}

void CardWindow::loadSamples() { m_samplePanel->load(cardName()); }

void CardWindow::cmdDesc_Click()
{
    if (!m_txt[0]->text().isEmpty()) {
        m_infoFrame->setTitle(PlainCaption(m_txt[0]->text()));
        placePanels();
        m_picInfo->show();
        m_picInfo->raise();
    } else {
        MsgBox(GetLangString(m_cfg.infoRefused), Vb::Information);
    }
}

void CardWindow::cmdNoInfo_Click() { m_picInfo->hide(); }

void CardWindow::txtLink_DblClick(int index)
{
    QLineEdit *e = m_link[index];
    const QString t = e->text();
    if (t.trimmed().isEmpty())
        return;
    const QString address = LinkAddress(t);
    int result = 0;
    try {
        result = Shell::OpenDocument(address);
    } catch (const VbError &err) {
        ShowDataError(err);
        return;
    }
    if (result > 32) {
        SetTextColour(e, 255);
        return;
    }
    const int number = result == 31 ? m_cfg.noAssociation : result == 0 ? m_cfg.outOfMemory : m_cfg.shellError;
    MsgBox(GetLangString(number), Vb::Critical);
}

bool CardWindow::canExport() const
{
    bool ok = false;
    const int count = lblNumero()->text().toInt(&ok);
    return !cmdUpdate()->isEnabled() && ok && count > 0;
}

void CardWindow::exportCard(void (*writer)(const QString &id, const QString &kind))
{
    if (!canExport()) {
        MsgBox(GetLangString(m_cfg.exportRefused), Vb::Critical);
        return;
    }
    // The writer asks for the file and reads the card and its samples itself;
    // a failure ends the export without a word.
    try {
        writer(m_txt[0]->text(), m_cfg.exportKind);
    } catch (const VbError &) {
    }
}

void CardWindow::ExportXml() { exportCard(&WriteXmlProfile); }
void CardWindow::ExportCrs() { exportCard(&WriteCrsProfile); }

void CardWindow::Export()
{
    if (!canExport()) {
        MsgBox(GetLangString(m_cfg.textExportRefused), Vb::Critical);
        return;
    }
    CommonDialog dlg;
    dlg.InitDir = GetSetting(AppName, m_cfg.formName, QStringLiteral("ExportDir"), Shell::DocumentsFolder());
    dlg.DialogTitle = GetLangString(m_cfg.saveAsTitle);
    dlg.DefaultExt = QStringLiteral("txt");
    dlg.Filter = GetLangString(m_cfg.profileFilter);
    dlg.Flags = 6;
    dlg.FileName = ProposedFileName(m_txt[0]->text()) + QStringLiteral(".txt");
    dlg.CancelError = true;
    try {
        dlg.ShowSave();
    } catch (const VbError &) {
        return;   // cancelled: nothing is written
    }
    QString path = dlg.FileName;
    SaveSetting(AppName, m_cfg.formName, QStringLiteral("ExportDir"), QFileInfo(path).absolutePath());
    // An existing file is replaced only once the new one is complete; a chosen
    // name that gets ".txt" added is left alone.
    if (!path.endsWith(QLatin1String(".txt")))
        path += QStringLiteral(".txt");
    try {
        TextProfileCard card;
        card.isClimb = m_cfg.climb;
        card.idPercorso = fieldText(QStringLiteral("IDPercorso"));
        card.lunghezza = fieldText(QStringLiteral("Lunghezza"));
        card.quotaIniziale = fieldText(QStringLiteral("Quotainiziale"));
        card.quotaFinale = fieldText(QStringLiteral("Quotafinale"));
        card.telefono = fieldText(QStringLiteral("Telefono"));
        card.fax = fieldText(QStringLiteral("Fax"));
        card.stato = fieldText(QStringLiteral("Stato"));
        card.regione = fieldText(QStringLiteral("Regione"));
        card.provincia = fieldText(QStringLiteral("Provincia"));
        card.localita = fieldText(QStringLiteral("Località"));
        card.email = fieldText(QStringLiteral("E-mail"));
        card.url = fieldText(QStringLiteral("Url"));
        QVector<TextProfileSample> samples;
        dao::RecordsetPtr rs = CurrentDb->OpenRecordset(
            QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = ? ORDER BY [DistParz] ASC").arg(m_cfg.samplesTable),
            dao::dbOpenSnapshot, 0, {cardName()});
        while (!rs->AtEOF()) {
            TextProfileSample s;
            s.distParz = static_cast<float>(rs->Value(QStringLiteral("DistParz")).toDouble());
            s.altezza = static_cast<qint16>(rs->Value(QStringLiteral("Altezza")).toInt());
            s.note = rs->Value(QStringLiteral("Note")).toString();
            s.image = rs->Value(QStringLiteral("image")).toString();
            samples.append(s);
            rs->MoveNext();
        }
        rs->Close();
        QString version = QCoreApplication::applicationVersion();
        if (version.isEmpty())
            version = QStringLiteral(VETTARO_VERSION);
        WriteTextProfileFile(path, BuildTextProfile(card, samples, version));
    } catch (const VbError &e) {
        ShowDataError(e);
    }
}

// ---------------------------------------------------------------------------
// Panels

void CardWindow::cmdAltim_Click()
{
    const Hourglass busy;
    if (!cmdUpdate()->isEnabled() && lblNumero()->text().toInt() > 0) {
        try {
            loadSamples();
            placePanels();
            m_samplePanel->show();
            m_samplePanel->raise();
        } catch (const VbError &e) {
            ShowDataError(e);
        }
    }
}

void CardWindow::cmdpct1Close_Click()
{
    m_samplePanel->commitPending(SamplePanel::Tell::Now);
    try {
        WindowRegistry::Unload(QStringLiteral("frmAltimetria"));
    } catch (const VbError &) {
    }
    m_samplePanel->hide();
}

void CardWindow::cmdShowAlti_Click()
{
    // A typed row counts once it is written; a refused one has shown its message.
    if (!m_samplePanel->commitPending(SamplePanel::Tell::Now) || m_samplePanel->SampleTotal() < 2)
        return;
    const Hourglass busy;
    ProfileHandoff::Legend legend;
    m_simulator->fillLegend(legend);
    completeLegend(legend);
    legend.length = m_txt[1]->text();
    try {
        const bool filled = ProfileHandoff::Fill(*CurrentDb,
                                                 m_cfg.climb ? ProfileHandoff::Kind::Climb : ProfileHandoff::Kind::Route,
                                                 cardName(), legend);
        if (!filled)
            return;
        if (AltimetriaOpen) {
            if (QWidget *w = WindowRegistry::Find(QStringLiteral("frmAltimetria"))) {
                w->setWindowTitle(ProfileName);
                if (auto *view = qobject_cast<ProfileViewInterface *>(w))
                    view->redraw();
            }
        } else {
            WindowRegistry::Show(QStringLiteral("frmAltimetria"));
        }
    } catch (const VbError &e) {
        ShowDataError(e);
    }
}

// ---------------------------------------------------------------------------
// Printing (the layouts live in CardPrint)

namespace {
// Hands a query and its title to the print form and shows it.
void ShowPrintForm(const CardPrint::PrintJob &job)
{
    showPrintForm({job.sql, job.title, job.caption});
}
}

bool CardWindow::samplePanelShown() const { return !Picture1()->isHidden(); }

void CardWindow::MyPrint()
{
    ShowPrintForm(CardPrint::ListPrintJob(!m_cfg.climb, windowTitle()));
}

void CardWindow::MyPrint2()
{
    // Reached from the sample panel; without a current card there is nothing to print.
    const QString name = cardName();
    if (name.isEmpty())
        return;
    ShowPrintForm(CardPrint::SamplesPrintJob(!m_cfg.climb, name));
}

void CardWindow::completePrint(CardPrint::CardData &card) const { Q_UNUSED(card); }

void CardWindow::MyPrint1()
{
    std::optional<Hourglass> busy(std::in_place);
    if (!CardPrint::CardPrintAllowed(lblNumero()->text(), cmdUpdate()->isEnabled()))
        return;   // no card, or one being entered: nothing is printed
    CardPrint::CardData card;
    card.route = !m_cfg.climb;
    card.name = fieldText(QStringLiteral("IDPercorso"));
    card.length = fieldText(QStringLiteral("Lunghezza"));
    card.period = fieldText(QStringLiteral("Periodo"));
    card.startAltitude = fieldText(QStringLiteral("Quotainiziale"));
    card.endAltitude = fieldText(QStringLiteral("Quotafinale"));
    completePrint(card);
    card.region = fieldText(QStringLiteral("Regione"));
    card.place = fieldText(QStringLiteral("Località"));
    card.county = fieldText(QStringLiteral("Provincia"));
    card.email = fieldText(QStringLiteral("E-mail"));
    card.url = fieldText(QStringLiteral("Url"));
    card.phone = fieldText(QStringLiteral("Telefono"));
    card.fax = fieldText(QStringLiteral("Fax"));
    card.description = fieldText(QStringLiteral("Descrizione"));
    int orientation = SharedPrinter().Orientation();
    if (cmDlg1.Printer)
        orientation = cmDlg1.Printer->pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    // Without a printer the card goes to a PDF file named after it; giving up
    // the file name gives up the print without a word.
    if (!SharedPrinter().ChooseOutput(card.name))
        return;
    try {
        CardPrint::PrintCard(SharedPrinter(), card, orientation);
    } catch (const VbError &e) {
        busy.reset();   // the pointer is back before the message shows
        if (e.Number() != VbErr::CancelError)
            ShowDataError(e);
    }
}

// ---------------------------------------------------------------------------
// Keys and mouse

bool CardWindow::isRequiredField(const QWidget *w) const
{
    for (int i = 0; i < m_cfg.requiredFields; ++i)
        if (w == m_txt[i])
            return true;
    return false;
}

bool CardWindow::previewKey(QWidget *target, QKeyEvent *ke)
{
    if (m_samplePanel->inGrid(target))
        return m_samplePanel->gridKey(target, ke);
    // Enter in a field of the card moves on to the next control (the required
    // fields do so through their key filters).
    const int key = ke->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter)
        && (qobject_cast<QLineEdit *>(target) || qobject_cast<QComboBox *>(target)) && !isRequiredField(target)) {
        focusNextChild();
        return true;
    }
    return false;
}

bool CardWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick && (watched == m_link[0] || watched == m_link[1])) {
        txtLink_DblClick(watched == m_link[0] ? 0 : 1);
        return true;
    }
    return RecordCard::eventFilter(watched, event);
}
