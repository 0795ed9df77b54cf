#include "records/CardWindow.h"

#include "core/CourseFile.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/Validators.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "core/ProfileGlobals.h"
#include "core/WindowRegistry.h"
#include "core/XmlRaces.h"
#include "platform/data/DataControl.h"
#include "platform/data/RecordsetModel.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Prompt.h"
#include "records/CardNumbers.h"
#include "records/CardPrint.h"
#include "records/ClimbFigures.h"
#include "records/ProfileHandoff.h"
#include "records/SampleChecks.h"
#include "records/TextProfile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

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

// ---------------------------------------------------------------------------
// Link addresses and colours

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

QColor ColorFromValue(qint64 value)
{
    const quint32 v = static_cast<quint32>(value);
    if (v & 0x80000000u) {
        const QPalette pal = QApplication::palette();
        switch (v & 0xFFu) {
        case 5: return pal.color(QPalette::Base);       // window background
        case 8: return pal.color(QPalette::Text);       // window text
        case 18: return pal.color(QPalette::ButtonText);
        default: return pal.color(QPalette::Button);    // 15: button face
        }
    }
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

qint64 ValueFromColor(const QColor &color)
{
    return qint64(color.red()) | (qint64(color.green()) << 8) | (qint64(color.blue()) << 16);
}

namespace {

constexpr qint64 ButtonFace = -2147483633;   // the system's button-face colour

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
constexpr int TwipsPerPixel = 15;

void SetTextColour(QWidget *w, quint32 vbColour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, ColorFromValue(vbColour));
    p.setColor(QPalette::Text, ColorFromValue(vbColour));
    w->setPalette(p);
}

void SetBackColour(QWidget *w, qint64 vbColour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, ColorFromValue(vbColour));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// A text read as a whole number (locale form first, halves to the even
// neighbour), or nothing when it is not a number.
std::optional<qint64> WholeNumber(const QString &text)
{
    const QString v = text.trimmed();
    if (v.isEmpty())
        return std::nullopt;
    bool ok = false;
    double d = QLocale().toDouble(v, &ok);
    if (!ok)
        d = QLocale::c().toDouble(v, &ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return static_cast<qint64>(CardNumbers::RoundHalfEven(d));
}

// The whole number a setting holds, or nothing.
std::optional<qint64> SettingNumber(const QString &section, const QString &key)
{
    return WholeNumber(GetSetting(AppName, section, key, QString()));
}

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

template <class T> T *CardWindow::make(const QString &name, QWidget *parent)
{
    T *w = new T(parent);
    w->setObjectName(name);
    m_controls.insert(name, w);
    return w;
}

QLabel *CardWindow::label(const QString &name, QWidget *parent)
{
    return make<QLabel>(name, parent);
}

QLineEdit *CardWindow::field(const QString &name, const QString &dbField, int maxLength, QWidget *parent)
{
    auto *e = make<QLineEdit>(name, parent);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    m_byField.insert(dbField, e);
    return e;
}

QSlider *CardWindow::slider(const QString &name, int min, int max, int position, QWidget *parent)
{
    auto *s = make<QSlider>(name, parent);
    s->setOrientation(Qt::Vertical);
    s->setInvertedAppearance(true);     // the smallest position at the top
    s->setInvertedControls(true);
    s->setRange(min, max);
    s->setValue(position);
    s->setTickPosition(QSlider::TicksRight);
    s->setMinimumHeight(150);
    return s;
}

namespace {
// The number cells of the sample grid take only what the decimal filter lets
// through; the keypad's decimal key types the user's separator.
class SampleDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        auto *line = qobject_cast<QLineEdit *>(editor);
        if (line && (index.column() == SampleChecks::DistanceColumn || index.column() == SampleChecks::HeightColumn))
            FieldValidator::Install(line, FieldValidator::Decimal);
        return editor;
    }
};

// A column of scale captions beside a slider, largest at the top.
QWidget *Scale(const QStringList &captions, QWidget *parent)
{
    auto *w = new QWidget(parent);
    auto *l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < captions.size(); ++i) {
        auto *lab = new QLabel(captions[i], w);
        QFont f = lab->font();
        f.setPointSizeF(f.pointSizeF() * 0.8);
        lab->setFont(f);
        l->addWidget(lab);
        if (i + 1 < captions.size())
            l->addStretch(1);
    }
    return w;
}
}

void CardWindow::buildClimbCard(QWidget *host)
{
    auto *frame = make<QGroupBox>(QStringLiteral("Frame1(8)"), host);
    auto *g = new QGridLayout(frame);
    auto row = [&](int r, int col, const char *lbl, QWidget *w, int span = 1) {
        g->addWidget(label(QLatin1String(lbl), frame), r, col);
        g->addWidget(w, r, col + 1, 1, span);
    };
    m_txt[0] = field(QStringLiteral("txtFields(0)"), QStringLiteral("IDPercorso"), 250, frame);
    m_txt[1] = field(QStringLiteral("txtFields(1)"), QStringLiteral("Lunghezza"), 0, frame);
    m_txt[2] = field(QStringLiteral("txtFields(2)"), QStringLiteral("Quotainiziale"), 0, frame);
    m_txt[3] = field(QStringLiteral("txtFields(3)"), QStringLiteral("Quotafinale"), 0, frame);
    row(0, 0, "lblLabels(0)", m_txt[0], 3);
    row(1, 0, "lblLabels(1)", m_txt[1]);
    row(2, 0, "lblLabels(2)", m_txt[2]);
    row(2, 2, "lblLabels(3)", m_txt[3]);
    row(3, 0, "lblLabels(4)", field(QStringLiteral("Text2(0)"), QStringLiteral("Regione"), 250, frame));
    row(3, 2, "lblLabels(5)", field(QStringLiteral("Text2(1)"), QStringLiteral("Provincia"), 50, frame));
    row(4, 0, "lblLabels(6)", field(QStringLiteral("Text2(2)"), QStringLiteral("Località"), 250, frame));
    auto *cmb = make<QComboBox>(QStringLiteral("cmbState"), frame);
    cmb->setEditable(true);
    cmb->setInsertPolicy(QComboBox::NoInsert);
    m_byField.insert(QStringLiteral("Stato"), cmb);
    row(4, 2, "lblLabels(7)", cmb);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    host->layout()->addWidget(frame);

    // The climb figures.
    auto *figures = make<QGroupBox>(QStringLiteral("Frame1(7)"), host);
    auto *fl = new QHBoxLayout(figures);
    const char *captions[] = {"Label11(2)", "Label11(0)", "Label11(1)"};
    const char *values[] = {"Label12", "Label6", "Label10"};
    for (int i = 0; i < 3; ++i) {
        fl->addWidget(label(QLatin1String(captions[i]), figures));
        QLabel *v = label(QLatin1String(values[i]), figures);
        v->setText(ClimbFigures::Placeholder());
        v->setAlignment(Qt::AlignCenter);
        v->setFrameShape(QFrame::Panel);
        v->setFrameShadow(QFrame::Sunken);
        v->setMinimumWidth(60);
        QFont f = v->font();
        f.setBold(true);
        v->setFont(f);
        SetBackColour(v, ButtonFace);
        fl->addWidget(v, 1);
    }
    host->layout()->addWidget(figures);
}

void CardWindow::buildRouteCard(QWidget *host)
{
    auto *frame = make<QGroupBox>(QStringLiteral("Frame4"), host);
    auto *g = new QGridLayout(frame);
    auto row = [&](int r, int col, const char *lbl, QWidget *w, int span = 1) {
        g->addWidget(label(QLatin1String(lbl), frame), r, col);
        g->addWidget(w, r, col + 1, 1, span);
    };
    m_txt[0] = field(QStringLiteral("txtFields(0)"), QStringLiteral("IDPercorso"), 250, frame);
    m_txt[1] = field(QStringLiteral("txtFields(1)"), QStringLiteral("Lunghezza"), 0, frame);
    row(0, 0, "lblLabels(0)", m_txt[0], 3);
    row(1, 0, "lblLabels(1)", m_txt[1]);
    row(2, 0, "lblLabels(2)", field(QStringLiteral("Text1(0)"), QStringLiteral("Regione"), 250, frame));
    row(2, 2, "lblLabels(4)", field(QStringLiteral("Text1(2)"), QStringLiteral("Provincia"), 50, frame));
    row(3, 0, "lblLabels(3)", field(QStringLiteral("Text1(1)"), QStringLiteral("Località"), 250, frame));
    auto *cmb = make<QComboBox>(QStringLiteral("cmbState"), frame);
    cmb->setEditable(true);
    cmb->setInsertPolicy(QComboBox::NoInsert);
    m_byField.insert(QStringLiteral("Stato"), cmb);
    row(3, 2, "lblLabels(7)", cmb);
    row(4, 0, "lblLabels(5)", field(QStringLiteral("Text1(3)"), QStringLiteral("Periodo"), 250, frame), 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    host->layout()->addWidget(frame);
}

void CardWindow::buildInfoPanel()
{
    m_picInfo = make<QFrame>(QStringLiteral("picInfo"), this);
    static_cast<QFrame *>(m_picInfo)->setFrameShape(QFrame::StyledPanel);
    m_picInfo->setAutoFillBackground(true);
    auto *outer = new QVBoxLayout(m_picInfo);
    auto *frame = make<QGroupBox>(m_cfg.infoFrame, m_picInfo);
    outer->addWidget(frame);
    auto *g = new QGridLayout(frame);
    const bool c = m_cfg.climb;
    auto row = [&](int r, const QString &lbl, QWidget *w) {
        auto *l = label(lbl, frame);
        g->addWidget(l, r, 0, w->inherits("QPlainTextEdit") ? Qt::AlignTop : Qt::Alignment());
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
    auto *desc = make<QPlainTextEdit>(QStringLiteral("txtDesc"), frame);
    desc->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    desc->setTabChangesFocus(true);
    m_byField.insert(QStringLiteral("Descrizione"), desc);
    row(4, c ? QStringLiteral("lblLink(4)") : QStringLiteral("Label6(2)"), desc);
    g->setRowStretch(4, 1);
    auto *close = make<QPushButton>(m_cfg.infoClose, m_picInfo);
    auto *bl = new QHBoxLayout;
    bl->addStretch(1);
    bl->addWidget(close);
    outer->addLayout(bl);
    connect(close, &QPushButton::clicked, this, &CardWindow::cmdNoInfo_Click);
    m_picInfo->hide();
}

void CardWindow::buildSamplePanel()
{
    m_picture1 = make<QFrame>(QStringLiteral("Picture1"), this);
    static_cast<QFrame *>(m_picture1)->setFrameShape(QFrame::StyledPanel);
    m_picture1->setAutoFillBackground(true);
    auto *l = new QVBoxLayout(m_picture1);
    m_gridCaption = label(QStringLiteral("DBGrid1.Caption"), m_picture1);
    m_gridCaption->setAlignment(Qt::AlignCenter);
    m_gridCaption->setFrameShape(QFrame::StyledPanel);
    l->addWidget(m_gridCaption);
    m_grid = make<QTableView>(QStringLiteral("DBGrid1"), m_picture1);
    m_samples = new data::RecordsetModel(this);
    m_samples->setColumns({{QStringLiteral("DistParz"), QString()},
                           {QStringLiteral("Altezza"), QString()},
                           {QStringLiteral("Note"), QString()},
                           {QStringLiteral("image"), QString()}});
    m_grid->setModel(m_samples);
    m_grid->setItemDelegate(new SampleDelegate(m_grid));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    for (int i = 0; i < 4; ++i)
        m_grid->setColumnWidth(i, i == 2 ? 160 : 80);
    l->addWidget(m_grid, 1);
    m_data2 = make<data::DataControl>(QStringLiteral("Data2"), m_picture1);
    m_data2->hide();
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(label(QStringLiteral("Label8"), m_picture1));
    QLabel *count = label(QStringLiteral("Label9"), m_picture1);
    count->setMinimumWidth(40);
    count->setFrameShape(QFrame::Panel);
    count->setFrameShadow(QFrame::Sunken);
    bottom->addWidget(count);
    bottom->addStretch(1);
    auto *show = make<QPushButton>(QStringLiteral("cmdShowAlti"), m_picture1);
    auto *close = make<QPushButton>(QStringLiteral("cmdpct1Close"), m_picture1);
    bottom->addWidget(show);
    bottom->addWidget(close);
    l->addLayout(bottom);
    connect(show, &QPushButton::clicked, this, &CardWindow::cmdShowAlti_Click);
    connect(close, &QPushButton::clicked, this, &CardWindow::cmdpct1Close_Click);

    // The grid's rules.
    m_samples->setCellHook([this](int column, const QString &typed, const QVariant &old, int) {
        data::RecordsetModel::CellResult r;
        if (column == SampleChecks::DistanceColumn || column == SampleChecks::HeightColumn) {
            QList<double> stored;
            for (const QVariant &v : m_samples->columnValues(SampleChecks::DistanceColumn))
                if (!v.isNull())
                    stored.append(v.toDouble());
            const SampleChecks::CellCheck c = column == SampleChecks::DistanceColumn
                                                  ? SampleChecks::CheckDistance(typed, old, stored)
                                                  : SampleChecks::CheckHeight(typed, old);
            if (c.outcome == SampleChecks::CellCheck::Duplicate)
                MsgBox(GetLangString(m_cfg.sampleDuplicate), Vb::Exclamation);
            r.accept = c.outcome == SampleChecks::CellCheck::Accept;
            r.value = c.value;
            return r;
        }
        r.accept = true;
        r.value = typed.isEmpty() ? QVariant() : QVariant(typed);
        return r;
    });
    m_samples->setRowHook([this](QVariantList &values, QVariantMap &extra) {
        const int missing = SampleChecks::MissingColumn(values.value(0), values.value(1));
        if (missing >= 0) {
            const int number = missing == 0 ? m_cfg.sampleEmptyDistance : m_cfg.sampleEmptyHeight;
            const QString caption = m_samples->columns().value(missing).caption;
            MsgBox(FormatLangString(GetLangString(number), {caption}), Vb::Exclamation);
            return false;
        }
        extra.insert(QStringLiteral("IDPercorso"), RecordName(m_data1->recordset()));
        return true;
    });
    connect(m_samples, &data::RecordsetModel::rowInserted, this, [this]() {
        ++m_sampleTotal;
        setLabelText("Label9", QString::number(m_sampleTotal));
    });
    connect(m_samples, &data::RecordsetModel::rowDeleted, this, [this]() {
        --m_sampleTotal;
        setLabelText("Label9", QString::number(m_sampleTotal));
    });
    // A row is written when the grid leaves it; a refused row keeps the grid on it.
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &, const QModelIndex &previous) {
                if (!previous.isValid() || m_samples->pendingRow() != previous.row())
                    return;
                if (!m_samples->CommitRow()) {
                    const QModelIndex back = m_samples->index(previous.row(), previous.column());
                    QMetaObject::invokeMethod(
                        this, [this, back]() { m_grid->setCurrentIndex(back); }, Qt::QueuedConnection);
                }
            });
    m_picture1->hide();
}

void CardWindow::buildClimbSimulator(QWidget *host)
{
    auto *sim = make<QGroupBox>(QStringLiteral("Frame1(2)"), host);
    auto *sl = new QGridLayout(sim);
    auto sliderBox = [&](const QString &frameName, QSlider *s, const QStringList &scale, QWidget *extra) {
        auto *f = make<QGroupBox>(frameName, sim);
        auto *h = new QGridLayout(f);
        h->addWidget(s, 0, 0);
        h->addWidget(Scale(scale, f), 0, 1);
        if (extra)
            h->addWidget(extra, 1, 0, 1, 2, Qt::AlignCenter);
        return f;
    };
    QStringList rateScale, cadScale;
    for (int v = 1800; v >= 300; v -= 100)
        rateScale << QString::number(v);
    for (int v = 90; v >= 50; v -= 10)
        cadScale << QString::number(v);
    m_slider1 = slider(QStringLiteral("Slider1"), 300, 1800, 1500, sim);
    m_slider2 = slider(QStringLiteral("Slider2"), 50, 90, 70, sim);
    m_slider3 = slider(QStringLiteral("Slider3"), 30, 130, 90, sim);
    m_slider1->setTickInterval(100);
    m_slider2->setTickInterval(10);
    m_slider3->setTickInterval(10);
    QLabel *weight = label(QStringLiteral("Label5(10)"), sim);
    weight->setText(QStringLiteral("--"));
    weight->setAlignment(Qt::AlignCenter);
    sl->addWidget(sliderBox(QStringLiteral("Frame1(0)"), m_slider1, rateScale, nullptr), 0, 0, 2, 1);
    sl->addWidget(sliderBox(QStringLiteral("Frame1(3)"), m_slider2, cadScale, nullptr), 0, 1, 2, 1);
    sl->addWidget(sliderBox(QStringLiteral("Frame1(4)"), m_slider3, {QStringLiteral("130"), QStringLiteral("30")}, weight),
                  0, 2, 2, 1);

    auto *perf = make<QGroupBox>(QStringLiteral("Frame1(1)"), sim);
    auto *pg = new QGridLayout(perf);
    const char *pairs[][2] = {{"Label5(0)", "Label5(1)"}, {"Label5(2)", "Label5(3)"}, {"Label5(4)", "Label5(5)"},
                              {"Label5(7)", "Label5(6)"}, {"Label5(12)", "Label5(9)"}, {"Label5(8)", "Label5(11)"}};
    for (int i = 0; i < 6; ++i) {
        pg->addWidget(label(QLatin1String(pairs[i][0]), perf), i, 0);
        QLabel *v = label(QLatin1String(pairs[i][1]), perf);
        v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        v->setMinimumWidth(70);
        pg->addWidget(v, i, 1);
    }
    sl->addWidget(perf, 0, 3);

    auto *kind = make<QGroupBox>(QStringLiteral("Frame1(5)"), sim);
    auto *kl = new QVBoxLayout(kind);
    m_option[0] = make<QRadioButton>(QStringLiteral("Option1(0)"), kind);
    m_option[1] = make<QRadioButton>(QStringLiteral("Option1(1)"), kind);
    m_option[0]->setChecked(true);
    kl->addWidget(m_option[0]);
    kl->addWidget(m_option[1]);
    auto *gears = make<QGroupBox>(QStringLiteral("Frame1(6)"), sim);
    auto *gl = new QGridLayout(gears);
    gl->addWidget(label(QStringLiteral("Label7(0)"), gears), 0, 0);
    gl->addWidget(label(QStringLiteral("Label7(2)"), gears), 0, 1);
    gl->addWidget(label(QStringLiteral("Label7(1)"), gears), 1, 0);
    gl->addWidget(label(QStringLiteral("Label7(3)"), gears), 1, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(kind);
    right->addWidget(gears);
    sl->addLayout(right, 1, 3);
    host->layout()->addWidget(sim);
    showReadouts();

    connect(m_slider1, &QSlider::valueChanged, this, &CardWindow::Slider1_Scroll);
    connect(m_slider2, &QSlider::valueChanged, this, &CardWindow::Slider2_Scroll);
    connect(m_slider3, &QSlider::valueChanged, this, &CardWindow::Slider3_Scroll);
    connect(m_option[0], &QRadioButton::clicked, this, [this]() { Option1_Click(0); });
    connect(m_option[1], &QRadioButton::clicked, this, [this]() { Option1_Click(1); });
}

void CardWindow::buildRouteSimulator(QWidget *host)
{
    auto *sim = make<QGroupBox>(QStringLiteral("Frame1(0)"), host);
    auto *sl = new QGridLayout(sim);
    m_slider1 = slider(QStringLiteral("Slider1"), 1, 8000, 6000, sim);
    m_slider3 = slider(QStringLiteral("Slider3"), 30, 130, 90, sim);
    m_slider1->setTickInterval(2000);
    m_slider3->setTickInterval(10);
    auto *speed = make<QGroupBox>(QStringLiteral("Frame2"), sim);
    auto *sp = new QGridLayout(speed);
    sp->addWidget(m_slider1, 0, 0);
    sp->addWidget(Scale({QStringLiteral("80"), QStringLiteral("60"), QStringLiteral("40"), QStringLiteral("20"),
                         QStringLiteral("0 km/h")},
                        speed),
                  0, 1);
    auto *weightBox = make<QGroupBox>(QStringLiteral("Frame1(4)"), sim);
    auto *wl = new QGridLayout(weightBox);
    wl->addWidget(m_slider3, 0, 0);
    wl->addWidget(Scale({QStringLiteral("130"), QStringLiteral("30")}, weightBox), 0, 1);
    QLabel *weight = label(QStringLiteral("Label5(10)"), weightBox);
    weight->setText(QStringLiteral("--"));
    weight->setAlignment(Qt::AlignCenter);
    wl->addWidget(weight, 1, 0, 1, 2);
    auto *perf = make<QGroupBox>(QStringLiteral("Frame3"), sim);
    auto *pg = new QGridLayout(perf);
    const char *pairs[][2] = {{"Label3(0)", "Label3(1)"}, {"Label3(2)", "Label3(3)"}, {"Label3(7)", "Label3(4)"},
                              {"Label3(8)", "Label3(5)"}, {"Label3(9)", "Label3(6)"}};
    for (int i = 0; i < 5; ++i) {
        pg->addWidget(label(QLatin1String(pairs[i][0]), perf), i, 0);
        QLabel *v = label(QLatin1String(pairs[i][1]), perf);
        v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        v->setMinimumWidth(70);
        pg->addWidget(v, i, 1);
    }
    pg->setRowStretch(5, 1);
    sl->addWidget(speed, 0, 0);
    sl->addWidget(weightBox, 0, 1);
    sl->addWidget(perf, 0, 2);
    host->layout()->addWidget(sim);
    showReadouts();
    connect(m_slider1, &QSlider::valueChanged, this, &CardWindow::Slider1_Scroll);
    connect(m_slider3, &QSlider::valueChanged, this, &CardWindow::Slider3_Scroll);
}

CardWindow::CardWindow(const CardConfig &config, QWidget *parent) : QWidget(parent), m_cfg(config)
{
    setObjectName(m_cfg.formName);
    setWindowFlags(windowFlags() & ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    auto *main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    // Title row: card number n of m.
    auto *title = new QHBoxLayout;
    title->addWidget(label(QStringLiteral("Label1"), this));
    m_data1 = make<data::DataControl>(QStringLiteral("Data1"), this);
    m_data1->setMinimumWidth(170);
    title->addWidget(m_data1);
    title->addWidget(label(QStringLiteral("Label2"), this));
    m_lblNumero = label(QStringLiteral("lblNumero"), this);
    m_lblNumero->setMinimumWidth(50);
    m_lblNumero->setFrameShape(QFrame::Panel);
    m_lblNumero->setFrameShadow(QFrame::Sunken);
    m_lblNumero->setAlignment(Qt::AlignCenter);
    title->addWidget(m_lblNumero);
    title->addStretch(1);
    main->addLayout(title);

    auto *body = new QHBoxLayout;
    m_card = new QWidget(this);
    m_card->setObjectName(QStringLiteral("CardArea"));
    auto *cardLayout = new QVBoxLayout(m_card);
    cardLayout->setContentsMargins(0, 0, 0, 0);
    if (m_cfg.climb)
        buildClimbCard(m_card);
    else
        buildRouteCard(m_card);
    cardLayout->addStretch(1);
    // Command buttons.
    auto *buttons = new QGridLayout;
    const char *names[] = {"cmdAdd", "cmdUpdate", "cmdModify", "cmdDelete", "cmdRefresh", "cmdClose", "cmdAltim", "cmdDesc"};
    for (int i = 0; i < 8; ++i) {
        auto *b = make<QPushButton>(QLatin1String(names[i]), m_card);
        buttons->addWidget(b, i / 4, i % 4);
    }
    cardLayout->addLayout(buttons);
    body->addWidget(m_card, 1);

    auto *simHost = new QWidget(this);
    simHost->setObjectName(QStringLiteral("Picture2"));
    m_controls.insert(QStringLiteral("Picture2"), simHost);
    auto *simLayout = new QVBoxLayout(simHost);
    simLayout->setContentsMargins(0, 0, 0, 0);
    if (m_cfg.climb)
        buildClimbSimulator(simHost);
    else
        buildRouteSimulator(simHost);
    body->addWidget(simHost);
    main->addLayout(body);

    buildInfoPanel();
    buildSamplePanel();

    // Bindings of the card's fields.
    for (auto it = m_byField.cbegin(); it != m_byField.cend(); ++it) {
        if (auto *e = qobject_cast<QLineEdit *>(it.value()))
            m_data1->bind(e, it.key());
        else if (auto *c = qobject_cast<QComboBox *>(it.value()))
            m_data1->bind(c, it.key());
        else if (auto *p = qobject_cast<QPlainTextEdit *>(it.value()))
            m_data1->bind(p, it.key());
    }

    // Key filters of the required fields; Enter moves on through them too.
    FieldValidator::Install(m_txt[0], FieldValidator::MaxLen, 250);
    FieldValidator::Install(m_txt[1], FieldValidator::Decimal, 0, FieldValidator::DecimalCheck);
    if (m_cfg.climb) {
        FieldValidator::Install(m_txt[2], FieldValidator::Integer, 4, FieldValidator::Numeric);
        FieldValidator::Install(m_txt[3], FieldValidator::Integer, 4, FieldValidator::Numeric);
    }

    auto button = [this](const char *name) { return static_cast<QPushButton *>(Control(QLatin1String(name))); };
    connect(button("cmdAdd"), &QPushButton::clicked, this, &CardWindow::cmdAdd_Click);
    connect(button("cmdUpdate"), &QPushButton::clicked, this, &CardWindow::cmdUpdate_Click);
    connect(button("cmdModify"), &QPushButton::clicked, this, &CardWindow::cmdModify_Click);
    connect(button("cmdDelete"), &QPushButton::clicked, this, &CardWindow::cmdDelete_Click);
    connect(button("cmdRefresh"), &QPushButton::clicked, this, &CardWindow::cmdRefresh_Click);
    connect(button("cmdClose"), &QPushButton::clicked, this, &CardWindow::cmdClose_Click);
    connect(button("cmdAltim"), &QPushButton::clicked, this, &CardWindow::cmdAltim_Click);
    connect(button("cmdDesc"), &QPushButton::clicked, this, &CardWindow::cmdDesc_Click);
    connect(m_data1, &data::DataControl::Reposition, this, &CardWindow::Data1_Reposition);
    connect(m_data1, &data::DataControl::Error, this, [](int number, const QString &description, int *response) {
        // Data1_Error: the shared message instead of the control's own.
        ShowDataError(VbError(number, description));
        *response = 0;
    });

    // Key preview: the window sees every key before the control that has the focus.
    qApp->installEventFilter(this);

    Form_Load();
}

CardWindow::~CardWindow()
{
    qApp->removeEventFilter(this);
    if (!m_unloaded)
        Form_Unload();
}

void CardWindow::placePanels()
{
    // The panels lie over the card, below the title row.
    const QRect r = m_card->geometry();
    for (QWidget *p : {m_picInfo, m_picture1}) {
        if (p) {
            p->setGeometry(r);
            p->raise();
        }
    }
}

void CardWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placePanels();
}

// ---------------------------------------------------------------------------
// Loading and closing

void CardWindow::Form_Load()
{
    UpdateControls();
    adjustSize();
    placePanels();
    try {
        CenterForm(this);
    } catch (...) {
    }
    fillStates();
    if (m_cfg.climb) {
        const auto gap = SettingNumber(m_cfg.formName, QStringLiteral("RGB_Gap"));
        const auto slope = SettingNumber(m_cfg.formName, QStringLiteral("RGB_Slope"));
        const auto diff = SettingNumber(m_cfg.formName, QStringLiteral("RGB_Diff"));
        // A value that is not a number keeps the designed colour.
        m_gapColor = gap.value_or(ButtonFace);
        m_slopeColor = slope.value_or(ButtonFace);
        m_diffColor = diff.value_or(ButtonFace);
        SetBackColour(Control(QStringLiteral("Label12")), m_gapColor);
        SetBackColour(Control(QStringLiteral("Label6")), m_slopeColor);
        SetBackColour(Control(QStringLiteral("Label10")), m_diffColor);
    }
    try {
        if (CurrentDb)
            ClimbsRs = CurrentDb->OpenRecordset(m_cfg.table, dao::dbOpenTable);
    } catch (const VbError &) {
    }
    m_data1->setDatabase(CurrentDb);
    m_data1->setRecordSource(m_cfg.table);
    m_data1->setRecordsetType(dao::dbOpenTable);
    m_data1->Refresh();
    try {
        m_recordTotal = m_data1->recordset() ? m_data1->recordset()->RecordCount() : 0;
    } catch (const VbError &) {
        m_recordTotal = 0;
    }
    setMainCommands(true);
    m_addMode = false;
    Control(QStringLiteral("cmdUpdate"))->setEnabled(false);
    showCounter();
    if (m_cfg.climb) {
        UpdateDislivello();
        UpdatePendenza();
        UpdateDifficolta();
    }
    restoreSettings();
}

void CardWindow::fillStates()
{
    auto *cmb = static_cast<QComboBox *>(Control(QStringLiteral("cmbState")));
    try {
        if (!CurrentDb)
            return;
        dao::RecordsetPtr rs = CurrentDb->OpenRecordset(QStringLiteral("States"), dao::dbOpenTable);
        while (!rs->AtEOF()) {
            cmb->addItem(rs->Value(QStringLiteral("State")).toString());
            rs->MoveNext();
        }
        rs->Close();
    } catch (const VbError &) {
    }
    cmb->setEditText(QString());
}

void CardWindow::restoreSettings()
{
    const QString section = m_cfg.formName;
    const auto showWeight = [this]() {
        setLabelText("Label5(10)", QString::number(m_slider3->minimum() + m_slider3->maximum() - m_slider3->value()));
    };
    auto restore = [&](QSlider *s) {
        if (!s)
            return;
        const auto v = SettingNumber(section, s->objectName());
        if (v && *v >= s->minimum() && *v <= s->maximum()) {
            const QSignalBlocker block(s);
            s->setValue(int(*v));
        }
    };
    if (m_cfg.climb) {
        restore(m_slider1);
        Slider1_Scroll();
        restore(m_slider2);
        Slider2_Scroll();
        restore(m_slider3);
        Slider3_Scroll();
        showWeight();
        // Road unless the stored kind is a number of 0 or less, or no number at all.
        const auto kind = WholeNumber(GetSetting(AppName, section, QStringLiteral("Option1"), QStringLiteral("1")));
        const int index = kind && *kind > 0 ? 0 : 1;
        m_option[index]->setChecked(true);
        Option1_Click(index);
    } else {
        restore(m_slider3);
        Slider3_Scroll();
        showWeight();
        restore(m_slider1);
        Slider1_Scroll();
    }
    // Column widths are keyed by the captions in the current language.
    for (int i = 0; i < m_samples->columnCount(); ++i) {
        const auto v = SettingNumber(section, m_samples->columns().at(i).caption);
        if (v && *v > 0 && *v <= 32767)
            m_grid->setColumnWidth(i, int(*v / TwipsPerPixel));
    }
}

void CardWindow::saveSettings()
{
    const QString section = m_cfg.formName;
    if (m_cfg.climb) {
        SaveSetting(AppName, section, QStringLiteral("RGB_Gap"), QString::number(m_gapColor));
        SaveSetting(AppName, section, QStringLiteral("RGB_Slope"), QString::number(m_slopeColor));
        SaveSetting(AppName, section, QStringLiteral("RGB_Diff"), QString::number(m_diffColor));
        SaveSetting(AppName, section, QStringLiteral("Slider1"), QString::number(m_slider1->value()));
        SaveSetting(AppName, section, QStringLiteral("Slider2"), QString::number(m_slider2->value()));
        SaveSetting(AppName, section, QStringLiteral("Slider3"), QString::number(m_slider3->value()));
        SaveSetting(AppName, section, QStringLiteral("Option1"),
                    m_option[0]->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    } else {
        SaveSetting(AppName, section, QStringLiteral("Slider1"), QString::number(m_slider1->value()));
        SaveSetting(AppName, section, QStringLiteral("Slider3"), QString::number(m_slider3->value()));
    }
    for (int i = 0; i < m_samples->columnCount(); ++i)
        SaveSetting(AppName, section, m_samples->columns().at(i).caption,
                    QString::number(m_grid->columnWidth(i) * TwipsPerPixel));
}

void CardWindow::setMainCommands(bool enabled)
{
    MDIfrmBike *main = MDIfrmBike::instance();
    if (!main)
        return;
    const QStringList keys = m_cfg.climb
        ? QStringList{"Print", "Find", "mnuPrint", "mnuExportTxt", "mnuSaveXML", "mnuSaveCrs", "XmlExport",
                      "CrsExport", "TxtExport", "mnuTool(0)"}
        : QStringList{"Print", "Find", "mnuPrint", "mnuExportTxt", "mnuSaveXML", "mnuSaveCrs", "XmlExport",
                      "TxtExport", "CrsExport", "mnuTool(0)"};
    for (const QString &k : keys)
        main->EnableCommand(k, enabled);
    if (!enabled)
        main->SetToolbar2Visible(true);
}

void CardWindow::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded)
        Form_Unload();
    event->accept();
}

void CardWindow::Form_Unload()
{
    m_unloaded = true;
    // A changed card is saved as the data control saves it when it is left;
    // an unsaved new card is dropped.
    if (!m_addMode && m_data1->dataChanged()) {
        try {
            m_data1->UpdateRecord();
        } catch (const VbError &e) {
            ShowDataError(e);
        }
    }
    m_samples->CommitRow();
    try {
        WindowRegistry::Unload(QStringLiteral("frmAltimetria"));
        WindowRegistry::Unload(QStringLiteral("frmPrint"));
    } catch (...) {
    }
    CloseRecordset(ClimbsRs);
    setMainCommands(false);
    saveSettings();
}

// ---------------------------------------------------------------------------
// Texts

void CardWindow::UpdateControls()
{
    for (const CardConfig::Text &t : m_cfg.texts) {
        const QString s = GetLangString(t.number);
        const QString name = QLatin1String(t.control);
        if (name.isEmpty()) {
            setWindowTitle(s);
            continue;
        }
        if (name.startsWith(QLatin1String("DBGrid1."))) {
            m_samples->setColumnCaption(name.mid(8).toInt(), s);
            continue;
        }
        QWidget *w = Control(name);
        if (!w)
            continue;
        if (t.property == 'T') {
            w->setToolTip(s);
        } else if (auto *l = qobject_cast<QLabel *>(w)) {
            l->setText(s);
        } else if (auto *g = qobject_cast<QGroupBox *>(w)) {
            g->setTitle(s);
        } else if (auto *b = qobject_cast<QAbstractButton *>(w)) {
            b->setText(s);
        }
    }
}

// ---------------------------------------------------------------------------
// Records

QString CardWindow::text(const QString &name) const
{
    QWidget *w = Control(name);
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    if (auto *p = qobject_cast<QPlainTextEdit *>(w))
        return p->toPlainText();
    return QString();
}

QString CardWindow::fieldText(const QString &dbField) const
{
    QWidget *w = m_byField.value(dbField);
    return w ? text(w->objectName()) : QString();
}

int CardWindow::recordPosition() const
{
    dao::RecordsetPtr rs = m_data1->recordset();
    try {
        if (!rs || m_recordTotal == 0 || rs->AtEOF() || rs->BOF())
            return 0;
        return rs->AbsolutePosition() + 1;
    } catch (const VbError &) {
        return 0;
    }
}

void CardWindow::showCounter()
{
    m_lblNumero->setText(QString::number(m_recordTotal));
    m_data1->setCaption(QString::number(recordPosition()));
}

bool CardWindow::requiredFilled() const
{
    // A name or number of blanks is as empty as no text at all.
    for (int i = 0; i < m_cfg.requiredFields; ++i)
        if (m_txt[i]->text().trimmed().isEmpty())
            return false;
    return true;
}

bool CardWindow::nameExists(const QString &name) const
{
    if (!CurrentDb || name.isEmpty())
        return false;
    // Bound, and compared as the key compares names: without regard to case.
    dao::RecordsetPtr rs = CurrentDb->OpenRecordset(
        QStringLiteral("SELECT [IDPercorso] FROM [%1] WHERE [IDPercorso] = ?").arg(m_cfg.table), dao::dbOpenSnapshot, 0,
        {name});
    const bool found = rs->RecordCount() > 0;
    rs->Close();
    return found;
}

void CardWindow::checkNameOnLeave()
{
    if (!m_addMode)
        return;
    try {
        if (nameExists(m_txt[0]->text())) {
            m_txt[0]->clear();
            MsgBox(GetLangString(m_cfg.duplicateName), Vb::Exclamation);
        }
    } catch (const VbError &e) {
        ShowDataError(e);
    }
}

void CardWindow::Data1_Reposition()
{
    m_addMode = false;
    dao::RecordsetPtr rs = m_data1->recordset();
    bool onRow = false;
    try {
        onRow = rs && !rs->AtEOF() && !rs->BOF();
    } catch (const VbError &) {
    }
    Control(QStringLiteral("cmdAdd"))->setEnabled(true);
    Control(QStringLiteral("cmdDelete"))->setEnabled(onRow);
    Control(QStringLiteral("cmdUpdate"))->setEnabled(false);
    Control(QStringLiteral("cmdModify"))->setEnabled(true);
    showCounter();
    if (m_cfg.climb) {
        UpdateDislivello();
        UpdatePendenza();
        UpdateDifficolta();
    }
    Slider1_Scroll();
    for (QLineEdit *l : m_link)
        SetTextColour(l, 16711680);
    if (m_picInfo->isVisible())
        static_cast<QGroupBox *>(Control(m_cfg.infoFrame))->setTitle(PlainCaption(RecordName(rs)));
    if (m_picture1->isVisible()) {
        try {
            loadSamples();
            if (AltimetriaOpen)
                cmdShowAlti_Click();
        } catch (const VbError &) {
        }
    }
}

void CardWindow::loadSamples()
{
    const QString name = RecordName(m_data1->recordset());
    dao::RecordsetPtr rs = CurrentDb->OpenRecordset(
        QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = ? ORDER BY [DistParz] ASC").arg(m_cfg.samplesTable),
        dao::dbOpenDynaset, 0, {name});
    m_samples->setRecordset(rs);
    m_data2->setRecordset(rs);
    m_sampleTotal = rs->RecordCount();
    setLabelText("Label9", QString::number(m_sampleTotal));
    m_gridCaption->setText(name);
}

void CardWindow::cmdAdd_Click()
{
    try {
        m_picInfo->hide();
        m_data1->AddNew();
        m_addMode = true;
        m_txt[0]->setFocus();
        Control(QStringLiteral("cmdUpdate"))->setEnabled(true);
        Control(QStringLiteral("cmdDelete"))->setEnabled(false);
        Control(QStringLiteral("cmdModify"))->setEnabled(false);
        Control(QStringLiteral("cmdAdd"))->setEnabled(false);
        m_data1->setEnabled(false);
        m_data1->setCaption(QString::number(m_recordTotal + 1));
        m_lblNumero->setText(QString::number(m_recordTotal + 1));
    } catch (const VbError &e) {
        ShowDataError(e);
        m_data1->setEnabled(true);
        m_data1->Refresh();
    }
}

void CardWindow::cmdUpdate_Click()
{
    if (!m_addMode)
        return;
    if (!requiredFilled()) {
        MsgBox(GetLangString(m_cfg.emptyOnAdd), Vb::Information);
        return;
    }
    // The name check also runs here: the focus may never have left the name.
    try {
        if (nameExists(m_txt[0]->text())) {
            m_txt[0]->clear();
            MsgBox(GetLangString(m_cfg.duplicateName), Vb::Exclamation);
            m_txt[0]->setFocus();
            return;
        }
        m_data1->UpdateRecord();
    } catch (const VbError &e) {
        // Nothing saved: the new card stays on screen to be corrected.
        ShowDataError(e);
        return;
    }
    ++m_recordTotal;
    m_addMode = false;
    Control(QStringLiteral("cmdUpdate"))->setEnabled(false);
    m_data1->setEnabled(true);
    try {
        dao::RecordsetPtr rs = m_data1->recordset();
        rs->SetBookmark(rs->LastModified());   // raises the reposition
    } catch (const VbError &e) {
        ShowDataError(e);
    }
    Control(QStringLiteral("cmdDelete"))->setEnabled(true);
    Control(QStringLiteral("cmdModify"))->setEnabled(true);
    Control(QStringLiteral("cmdAdd"))->setEnabled(true);
}

void CardWindow::cmdModify_Click()
{
    try {
        dao::RecordsetPtr rs = m_data1->recordset();
        if (!rs || rs->AtEOF() || rs->BOF())
            return;
        if (!requiredFilled()) {
            MsgBox(GetLangString(m_cfg.emptyOnModify), Vb::Information);
            return;
        }
        m_data1->UpdateRecord();
        rs->SetBookmark(rs->LastModified());
    } catch (const VbError &e) {
        ShowDataError(e);
    }
}

void CardWindow::cmdDelete_Click()
{
    dao::RecordsetPtr rs = m_data1->recordset();
    try {
        if (!rs || rs->AtEOF() || rs->BOF()) {
            Control(QStringLiteral("cmdDelete"))->setEnabled(false);
            return;
        }
    } catch (const VbError &) {
        return;
    }
    const QString question = FormatLangString(GetLangString(m_cfg.deleteQuestion), {m_txt[0]->text()});
    if (MsgBox(question, Vb::OKCancel + Vb::Question + Vb::DefaultButton2) != Vb::OK)
        return;
    try {
        m_data1->UpdateControls();   // edits of the card being deleted are dropped
        rs->Delete();
        --m_recordTotal;
        m_lblNumero->setText(QString::number(m_recordTotal));
        if (rs->RecordCount() > 0) {
            rs->MoveNext();
            rs->MoveLast();
        } else {
            m_data1->Resync();   // the table is empty: the card shows nothing
        }
    } catch (const VbError &e) {
        ShowDataError(e);
    }
}

void CardWindow::cmdRefresh_Click()
{
    m_data1->setEnabled(true);
    m_data1->Refresh();
}

void CardWindow::cmdClose_Click() { close(); }

void CardWindow::cmdDesc_Click()
{
    if (!m_txt[0]->text().isEmpty()) {
        static_cast<QGroupBox *>(Control(m_cfg.infoFrame))->setTitle(PlainCaption(m_txt[0]->text()));
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
    const int count = m_lblNumero->text().toInt(&ok);
    return !Control(QStringLiteral("cmdUpdate"))->isEnabled() && ok && count > 0;
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
    } catch (...) {
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
    dlg.FileName = m_txt[0]->text() + QStringLiteral(".txt");
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
            dao::dbOpenSnapshot, 0, {RecordName(m_data1->recordset())});
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
    if (!Control(QStringLiteral("cmdUpdate"))->isEnabled() && m_lblNumero->text().toInt() > 0) {
        try {
            loadSamples();
            placePanels();
            m_picture1->show();
            m_picture1->raise();
        } catch (const VbError &e) {
            ShowDataError(e);
        }
    }
}

void CardWindow::cmdpct1Close_Click()
{
    m_samples->CommitRow();
    try {
        WindowRegistry::Unload(QStringLiteral("frmAltimetria"));
    } catch (...) {
    }
    m_picture1->hide();
}

void CardWindow::cmdShowAlti_Click()
{
    if (m_sampleTotal < 2)
        return;
    const Hourglass busy;
    ProfileHandoff::Legend legend;
    if (m_cfg.climb) {
        legend.time = text(QStringLiteral("Label5(1)"));
        legend.speed = text(QStringLiteral("Label5(3)"));
        legend.climbRate = text(QStringLiteral("Label5(5)"));
        legend.grade = text(QStringLiteral("Label6"));
    } else {
        legend.time = text(QStringLiteral("Label3(1)"));
        legend.speed = text(QStringLiteral("Label3(3)"));
    }
    legend.length = m_txt[1]->text();
    try {
        m_samples->CommitRow();
        const bool filled = ProfileHandoff::Fill(*CurrentDb,
                                                 m_cfg.climb ? ProfileHandoff::Kind::Climb : ProfileHandoff::Kind::Route,
                                                 RecordName(m_data1->recordset()), legend);
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
// Climb figures

namespace {
void ShowFigure(QLabel *label, const ClimbFigures::Figure &f)
{
    if (f.state == ClimbFigures::Figure::Unchanged)
        return;
    label->setText(f.state == ClimbFigures::Figure::Failed ? ClimbFigures::Placeholder() : f.caption);
    SetTextColour(label, f.state == ClimbFigures::Figure::Failed ? ClimbFigures::ColourClass4 : f.colour);
}
}

void CardWindow::showFigure(const char *label,
                            ClimbFigures::Figure (*compute)(const ClimbFigures::CardTexts &, const QLocale &))
{
    if (!m_cfg.climb)
        return;
    const ClimbFigures::CardTexts t{m_txt[1]->text(), m_txt[2]->text(), m_txt[3]->text(), m_lblNumero->text()};
    ShowFigure(static_cast<QLabel *>(Control(QLatin1String(label))), compute(t, QLocale()));
}

void CardWindow::UpdateDislivello() { showFigure("Label12", &ClimbFigures::HeightDifference); }
void CardWindow::UpdatePendenza() { showFigure("Label6", &ClimbFigures::MeanGradient); }
void CardWindow::UpdateDifficolta() { showFigure("Label10", &ClimbFigures::Difficulty); }

void CardWindow::FigureColor_DblClick(int figure)
{
    static const char *names[] = {"Label12", "Label6", "Label10"};
    qint64 *state[] = {&m_gapColor, &m_slopeColor, &m_diffColor};
    QWidget *label = Control(QLatin1String(names[figure]));
    CommonDialog dlg;
    dlg.Color = int(ValueFromColor(label->palette().color(QPalette::Window)));
    dlg.Flags = 0;
    dlg.CancelError = true;
    try {
        dlg.ShowColor();
    } catch (const VbError &) {
        return;
    }
    SetBackColour(label, dlg.Color);
    *state[figure] = dlg.Color;
}

// ---------------------------------------------------------------------------
// Simulator

bool CardWindow::addingCard() const
{
    return Control(QStringLiteral("cmdUpdate"))->isEnabled() && !Control(QStringLiteral("cmdAdd"))->isEnabled();
}

Simulators::ClimbInput CardWindow::climbInput() const
{
    Simulators::ClimbInput in;
    in.length = m_txt[1]->text();
    in.startAltitude = m_txt[2]->text();
    in.endAltitude = m_txt[3]->text();
    in.recordCount = m_lblNumero->text();
    in.adding = addingCard();
    in.rate = {m_slider1->minimum(), m_slider1->maximum(), m_slider1->value()};
    in.cadence = {m_slider2->minimum(), m_slider2->maximum(), m_slider2->value()};
    in.weight = {m_slider3->minimum(), m_slider3->maximum(), m_slider3->value()};
    return in;
}

Simulators::RouteInput CardWindow::routeInput() const
{
    Simulators::RouteInput in;
    in.length = m_txt[1]->text();
    in.recordCount = m_lblNumero->text();
    in.adding = addingCard();
    in.speed = {m_slider1->minimum(), m_slider1->maximum(), m_slider1->value()};
    in.weight = {m_slider3->minimum(), m_slider3->maximum(), m_slider3->value()};
    return in;
}

void CardWindow::setLabelText(const char *name, const QString &text)
{
    static_cast<QLabel *>(Control(QLatin1String(name)))->setText(text);
}

void CardWindow::showReadouts()
{
    const auto show = [this](std::initializer_list<std::pair<const char *, QString>> captions, const char *ramped,
                             bool rampSet, quint32 rampColour) {
        for (const auto &[name, caption] : captions)
            setLabelText(name, caption);
        if (rampSet)
            SetTextColour(Control(QLatin1String(ramped)), rampColour);
    };
    const Simulators::ClimbReadouts &c = m_climbOut;
    const Simulators::RouteReadouts &r = m_routeOut;
    if (m_cfg.climb)
        show({{"Label5(1)", c.time}, {"Label5(3)", c.speed}, {"Label5(5)", c.rate}, {"Label5(6)", c.power},
              {"Label5(9)", c.energy}, {"Label5(11)", c.powerPerKg}, {"Label5(10)", c.weight},
              {"Label7(2)", c.chainring}, {"Label7(3)", c.sprocket}},
             "Label5(5)", c.rateColourSet, c.rateColour);
    else
        show({{"Label3(1)", r.time}, {"Label3(3)", r.speed}, {"Label3(4)", r.power}, {"Label3(5)", r.powerPerKg},
              {"Label3(6)", r.energy}, {"Label5(10)", r.weight}},
             "Label3(3)", r.speedColourSet, r.speedColour);
}

void CardWindow::Slider1_Scroll()
{
    if (m_cfg.climb)
        m_climbSim.RateChanged(climbInput(), m_climbOut);
    else
        Simulators::RouteSpeedChanged(routeInput(), m_routeOut);
    showReadouts();
}

void CardWindow::Slider2_Scroll()
{
    if (!m_cfg.climb)
        return;
    m_climbSim.CadenceChanged(climbInput(), m_climbOut);
    showReadouts();
}

void CardWindow::Slider3_Scroll()
{
    if (m_cfg.climb)
        m_climbSim.WeightChanged(climbInput(), m_climbOut);
    else
        Simulators::RouteWeightChanged(routeInput(), m_routeOut);
    showReadouts();
}

void CardWindow::Option1_Click(int index)
{
    if (!m_cfg.climb)
        return;
    m_climbSim.SetBikeKind(index, climbInput(), m_climbOut);
    showReadouts();
}

// ---------------------------------------------------------------------------
// Printing (the layouts live in CardPrint)

namespace {
// Hands a query and its title to the print form and shows it.
void ShowPrintForm(const CardPrint::PrintJob &job)
{
    QWidget *window = WindowRegistry::Load(QStringLiteral("frmPrint"));
    if (!window)
        return;
    window->setWindowTitle(job.caption);
    if (auto *form = qobject_cast<PrintFormInterface *>(window))
        form->setPrintJob({job.sql, job.title, job.caption});
    WindowRegistry::Show(QStringLiteral("frmPrint"));
}
}

bool CardWindow::samplePanelShown() const { return !m_picture1->isHidden(); }

void CardWindow::MyPrint()
{
    ShowPrintForm(CardPrint::ListPrintJob(!m_cfg.climb, windowTitle()));
}

void CardWindow::MyPrint2()
{
    // Reached from the sample panel; without a current card there is nothing to print.
    const QString name = RecordName(m_data1->recordset());
    if (name.isEmpty())
        return;
    ShowPrintForm(CardPrint::SamplesPrintJob(!m_cfg.climb, name));
}

void CardWindow::MyPrint1()
{
    std::optional<Hourglass> busy(std::in_place);
    if (!CardPrint::CardPrintAllowed(m_lblNumero->text(), Control(QStringLiteral("cmdUpdate"))->isEnabled()))
        return;   // no card, or one being entered: nothing is printed
    CardPrint::CardData card;
    card.route = !m_cfg.climb;
    card.name = fieldText(QStringLiteral("IDPercorso"));
    card.length = fieldText(QStringLiteral("Lunghezza"));
    card.period = fieldText(QStringLiteral("Periodo"));
    card.startAltitude = fieldText(QStringLiteral("Quotainiziale"));
    card.endAltitude = fieldText(QStringLiteral("Quotafinale"));
    card.grade = m_cfg.climb ? text(QStringLiteral("Label6")) : QString();
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
    try {
        CardPrint::PrintCard(SharedPrinter(), card, orientation);
    } catch (const VbError &e) {
        busy.reset();   // the pointer is back before the message shows
        ShowDataError(e);
    }
}

// ---------------------------------------------------------------------------
// Keys and mouse

void CardWindow::keyDown(int key)
{
    if (m_recordTotal <= 1 || m_addMode)
        return;
    const int p = recordPosition();
    auto go = [this](void (data::DataControl::*move)()) {
        Control(QStringLiteral("cmdClose"))->setFocus();   // ends the field's editing first
        (m_data1->*move)();
    };
    switch (key) {
    case Qt::Key_PageUp:
        if (p >= 2)
            go(&data::DataControl::MovePrevious);
        break;
    case Qt::Key_PageDown:
        if (p >= 1 && p < m_recordTotal)
            go(&data::DataControl::MoveNext);
        break;
    case Qt::Key_End:
        go(&data::DataControl::MoveLast);
        break;
    case Qt::Key_Home:
        go(&data::DataControl::MoveFirst);
        break;
    default:
        break;
    }
}

void CardWindow::pickIcon(const QModelIndex &cell)
{
    // The picker leaves the chosen key (empty when it was dismissed) in IconKey.
    if (!WindowRegistry::IsRegistered(QStringLiteral("frmIcons")))
        return;
    WindowRegistry::Show(QStringLiteral("frmIcons"), true);
    m_samples->setData(cell, IconKey, Qt::EditRole);
}

bool CardWindow::gridKeyPress(QWidget *target, QKeyEvent *ke)
{
    using SampleChecks::KeyAction;
    const QModelIndex current = m_grid->currentIndex();
    const int col = current.column();
    if (target == m_grid) {
        if (SampleChecks::IconKeyDown(col, VirtualKeyCode(ke)) == KeyAction::ClearIcon) {
            m_samples->setData(current, QString(), Qt::EditRole);
            return true;
        }
        if (SampleChecks::IconKeyPress(col, KeyAsciiOf(ke)) == KeyAction::PickIcon) {
            pickIcon(current);
            return true;
        }
        const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
        if (ke->key() == Qt::Key_Delete && rows.size() == 1) {
            m_samples->DeleteRow(rows.first().row());
            return true;
        }
    }
    // Enter in a number cell moves on to the next cell, as Tab does.
    if ((col == SampleChecks::DistanceColumn || col == SampleChecks::HeightColumn) && KeyAsciiOf(ke) == 13) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(target, &tab);
        return true;
    }
    return false;
}

bool CardWindow::isRequiredField(const QWidget *w) const
{
    for (int i = 0; i < m_cfg.requiredFields; ++i)
        if (w == m_txt[i])
            return true;
    return false;
}

bool CardWindow::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    auto *w = qobject_cast<QWidget *>(watched);
    if (type == QEvent::KeyRelease)
        m_lastKey = nullptr;   // the press it ends has been seen
    if (type == QEvent::KeyPress && w && (w == this || isAncestorOf(w)) && isVisible()) {
        auto *ke = static_cast<QKeyEvent *>(event);
        // A key travelling up the parents is seen once.
        const bool repeat = event == m_lastKey && ke->timestamp() == m_lastKeyTime;
        m_lastKey = event;
        m_lastKeyTime = ke->timestamp();
        if (!repeat) {
            const int key = ke->key();
            if (key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_Home || key == Qt::Key_End)
                keyDown(key);   // the key then goes on to the control as usual
            if (w == m_grid || m_grid->isAncestorOf(w))
                return gridKeyPress(w, ke);
            // Enter in a field of the card moves on to the next control.
            if ((key == Qt::Key_Return || key == Qt::Key_Enter)
                && (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w))
                && !isRequiredField(w) && !(m_grid->isAncestorOf(w))) {
                focusNextChild();
                return true;
            }
        }
        return false;
    }
    if (watched == m_txt[0] && type == QEvent::FocusOut)
        checkNameOnLeave();
    if (type == QEvent::MouseButtonDblClick) {
        if (watched == m_link[0] || watched == m_link[1]) {
            txtLink_DblClick(watched == m_link[0] ? 0 : 1);
            return true;
        }
        if (m_cfg.climb) {
            if (watched == Control(QStringLiteral("Label12")))
                FigureColor_DblClick(0);
            else if (watched == Control(QStringLiteral("Label6")))
                FigureColor_DblClick(1);
            else if (watched == Control(QStringLiteral("Label10")))
                FigureColor_DblClick(2);
        }
        if (w && m_grid->viewport() == w) {
            // The icon cell's button.
            const QModelIndex idx = m_grid->indexAt(static_cast<QMouseEvent *>(event)->pos());
            if (idx.isValid() && idx.column() == SampleChecks::IconColumn) {
                pickIcon(idx);
                return true;
            }
        }
    }
    return false;
}
