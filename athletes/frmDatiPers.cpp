#include "athletes/frmDatiPers.h"

#include "athletes/GearPicture.h"
#include "athletes/logic/AthletePrint.h"
#include "athletes/logic/GearCalculator.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "core/Validators.h"
#include "core/WindowInterfaces.h"
#include "core/WindowRegistry.h"
#include "platform/data/DataControl.h"
#include "platform/data/DatePicker.h"
#include "platform/print/Printer.h"
#include "platform/settings/Settings.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {
const QString Section = QStringLiteral("frmDatiPers");

// The fields by index; 3 is the birthday in the date picker.
const char *const FieldNames[10] = {"IDPersonale", "Cognome", "Nome", "Datanascita", "Peso",
                                    "Fqped", "Fcmax", "Pesobici", "Circonfruota", "Kmparziali"};

RecordCard::Setup AthleteSetup()
{
    RecordCard::Setup s;
    s.formName = Section;
    s.recordSource = AthletesRs ? AthletesRs->Name() : QStringLiteral("Dati Personali");
    s.recordsetType = dao::dbOpenDynaset;
    s.keyField = QStringLiteral("IDPersonale");
    s.modify = true;
    s.counterBelow = false;
    s.deleteQuestion = 8500;
    s.emptyOnAdd = 8501;
    s.emptyOnModify = 8501;
    s.duplicateKey = 8502;
    s.mainCommands = {QStringLiteral("Print"), QStringLiteral("Find"), QStringLiteral("mnuPrint"),
                      QStringLiteral("mnuTool(0)")};
    s.closeWith = {QStringLiteral("frmPrint")};
    s.texts = {
        {8000, "", 'C'},
        {8001, "Frame1(2)", 'C'}, {8002, "Slider3", 'T'},   {8003, "Frame1(1)", 'C'}, {8004, "Slider2", 'T'},
        {8005, "Frame1(0)", 'C'}, {8006, "Slider1", 'T'},   {8007, "Label5", 'T'},    {8008, "Label8", 'T'},
        {8009, "Label4", 'T'},    {8010, "Label3", 'T'},    {8011, "Label7", 'T'},    {8012, "Label6", 'T'},
        {8013, "cmdModify", 'C'}, {8014, "cmdRefresh", 'C'}, {8015, "cmdDelete", 'C'}, {8016, "cmdClose", 'C'},
        {8017, "cmdUpdate", 'C'}, {8018, "cmdAdd", 'C'},    {8019, "Label2", 'C'},    {8020, "Label1", 'C'},
        {8021, "lblLabels(9)", 'C'}, {8022, "lblLabels(8)", 'C'}, {8023, "lblLabels(7)", 'C'},
        {8024, "lblLabels(6)", 'C'}, {8025, "lblLabels(5)", 'C'}, {8026, "lblLabels(4)", 'C'},
        {8027, "lblLabels(3)", 'C'}, {8028, "lblLabels(2)", 'C'}, {8029, "lblLabels(1)", 'C'},
        {8030, "lblLabels(0)", 'C'}};
    return s;
}

// The hourglass of the main window for the length of a command.
class Hourglass {
public:
    Hourglass() { Set(11); }
    ~Hourglass() { Set(0); }

private:
    static void Set(int pointer)
    {
        if (MDIfrmBike *m = MDIfrmBike::instance())
            m->SetMousePointer(pointer);
    }
};

QLabel *LabelOf(const RecordCard *card, const char *name)
{
    return qobject_cast<QLabel *>(card->Control(QLatin1String(name)));
}
}

frmDatiPers::frmDatiPers(QWidget *parent) : RecordCard(AthleteSetup(), parent)
{
    Data1()->setObjectName(QStringLiteral("DataDPers"));
    buildFields();
    buildGears();
    load();
}

frmDatiPers::~frmDatiPers() { unloadOnce(); }

void frmDatiPers::buildFields()
{
    auto *box = new QWidget(fieldArea());
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 10; ++i) {
        auto *label = new QLabel(box);
        label->setObjectName(QStringLiteral("lblLabels(%1)").arg(i));
        grid->addWidget(label, i, 0);
        const QString field = QLatin1String(FieldNames[i]);
        if (i == 3) {
            m_date = new data::DatePicker(box);
            m_date->setObjectName(QStringLiteral("ccrpDtp1"));
            Data1()->bind(m_date, field);
            grid->addWidget(m_date, i, 1);
            continue;
        }
        m_txt[i] = new QLineEdit(box);
        m_txt[i]->setObjectName(QStringLiteral("txtFields(%1)").arg(i));
        // The boxes' own limits, before binding: the data control keeps them.
        // A pasted code is cut at 50.
        if (i <= 2)
            m_txt[i]->setMaxLength(i == 0 ? 50 : i == 1 ? 15 : 10);
        bindField(m_txt[i], field);
        addRequired(m_txt[i]);
        grid->addWidget(m_txt[i], i, 1);
    }
    fieldArea()->layout()->addWidget(box);
    setKeyField(m_txt[0]);
    FieldValidator::Install(m_txt[0], FieldValidator::MaxLen, 16);
    FieldValidator::Install(m_txt[1], FieldValidator::MaxLen, 16);
    FieldValidator::Install(m_txt[2], FieldValidator::MaxLen, 10);
    for (int i : {4, 7, 8, 9})
        FieldValidator::Install(m_txt[i], FieldValidator::Decimal, 0, FieldValidator::DecimalCheck);
    for (int i : {5, 6})
        FieldValidator::Install(m_txt[i], FieldValidator::Integer, 3, FieldValidator::Numeric);
    setTabOrder(m_txt[2], m_date);
    setTabOrder(m_date, m_txt[4]);
}

void frmDatiPers::buildGears()
{
    QWidget *side = sideArea();
    auto *gears = new QGridLayout;
    auto display = [&](const char *name, const char *initial) {
        auto *l = new QLabel(side);
        l->setObjectName(QLatin1String(name));
        l->setText(QLatin1String(initial));
        l->setAlignment(Qt::AlignCenter);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(90);
        l->setAutoFillBackground(true);
        QPalette pal = l->palette();
        pal.setColor(QPalette::Window, QColor(200, 214, 190));
        pal.setColor(QPalette::WindowText, QColor(20, 30, 20));
        l->setPalette(pal);
        // The display face the main window installs at start-up.
        QFont f(QStringLiteral("LiquidCrystal"));
        f.setPointSize(16);
        l->setFont(f);
        l->setMinimumHeight(QFontMetrics(f).height() + 8);
        return l;
    };
    auto slider = [&](int index, Qt::Orientation o, int min, int max, int start, int tick) {
        auto *s = new QSlider(side);
        s->setObjectName(QStringLiteral("Slider%1").arg(index + 1));
        s->setOrientation(o);
        s->setRange(min, max);
        s->setValue(start);
        s->setSingleStep(1);
        s->setPageStep(5);
        s->setTickInterval(tick);
        s->setTickPosition(o == Qt::Horizontal ? QSlider::TicksBelow : QSlider::TicksRight);
        m_slider[index] = s;
        return s;
    };
    auto frame = [&](const char *name) {
        auto *g = new QGroupBox(side);
        g->setObjectName(QLatin1String(name));
        return g;
    };
    auto *front = frame("Frame1(0)");
    auto *fl = new QHBoxLayout(front);
    fl->addWidget(slider(0, Qt::Horizontal, Gears::FrontMin, Gears::FrontMax, Gears::FrontStart, 1), 1);
    fl->addWidget(display("Label3", "30"));
    auto *rear = frame("Frame1(1)");
    auto *rl = new QHBoxLayout(rear);
    rl->addWidget(slider(1, Qt::Horizontal, Gears::RearMin, Gears::RearMax, Gears::RearStart, 1), 1);
    rl->addWidget(display("Label4", "16"));
    auto *cad = frame("Frame1(2)");
    auto *cl = new QVBoxLayout(cad);
    // Vertical and read the other way round: moving up raises the cadence.
    QSlider *s3 = slider(2, Qt::Vertical, Gears::CadenceMin, Gears::CadenceMax, Gears::CadenceStart, 10);
    s3->setInvertedAppearance(true);
    s3->setInvertedControls(true);
    cl->addWidget(s3, 1, Qt::AlignHCenter);
    cl->addWidget(display("Label5", "70"));
    m_picture = new GearPicture(side);
    m_picture->setObjectName(QStringLiteral("Picture1"));
    auto *readouts = new QHBoxLayout;
    readouts->addWidget(display("Label8", "-----"));
    readouts->addWidget(display("Label6", "-----"));
    readouts->addWidget(display("Label7", "-----"));
    gears->addWidget(front, 0, 0, 1, 2);
    gears->addWidget(rear, 1, 0, 1, 2);
    gears->addWidget(m_picture, 2, 0);
    gears->addWidget(cad, 2, 1);
    gears->addLayout(readouts, 3, 0, 1, 2);
    static_cast<QVBoxLayout *>(side->layout())->addLayout(gears);

    connect(m_slider[0], &QSlider::valueChanged, this, &frmDatiPers::Slider1_Scroll);
    connect(m_slider[1], &QSlider::valueChanged, this, &frmDatiPers::Slider2_Scroll);
    connect(m_slider[2], &QSlider::valueChanged, this, &frmDatiPers::Slider3_Scroll);
}

// ---------------------------------------------------------------------------
// Hooks of the frame

void frmDatiPers::afterCount()
{
    m_txt[0]->setReadOnly(true);   // the code is typed only on a new card
}

void frmDatiPers::restoreSettings()
{
    m_loading = true;
    for (int i = 0; i < 3; ++i) {
        const QString stored = GetSetting(AppName, Section, QStringLiteral("Slider%1").arg(i + 1),
                                          QString::number(m_slider[i]->value()));
        bool ok = false;
        const int v = stored.trimmed().toInt(&ok);
        // A stored value that is not a whole number keeps the position.
        if (ok && v >= -32768 && v <= 32767) {
            const QSignalBlocker block(m_slider[i]);
            m_slider[i]->setValue(v);
        }
        if (i == 0)
            Slider1_Scroll();
        else if (i == 1)
            Slider2_Scroll();
        else
            Slider3_Scroll();
    }
    m_loading = false;
}

void frmDatiPers::saveSettings()
{
    for (int i = 0; i < 3; ++i)
        SaveSetting(AppName, Section, QStringLiteral("Slider%1").arg(i + 1), QString::number(m_slider[i]->value()));
}

void frmDatiPers::onReposition(bool)
{
    m_txt[0]->setReadOnly(true);
    Data1()->setEnabled(true);
    Slider1_Scroll();
}

void frmDatiPers::onAddStateChanged(bool adding)
{
    m_txt[0]->setReadOnly(!adding);
}

QString frmDatiPers::deleteQuestion() const
{
    return FormatLangString(GetLangString(8500), {m_txt[1]->text(), m_txt[2]->text()});
}

void frmDatiPers::onUnload()
{
    CloseRecordset(AthletesRs);
}

// ---------------------------------------------------------------------------
// Gear calculator

bool frmDatiPers::calculatorActive() const
{
    bool ok = false;
    const int total = lblNumero()->text().toInt(&ok);
    return ok && total > 0 && !AddMode();
}

void frmDatiPers::gearChanged(bool sprocket)
{
    const int f = m_slider[0]->value(), r = m_slider[1]->value();
    const int c = Gears::CadenceFromPosition(m_slider[2]->value());
    if (sprocket)
        LabelOf(this, "Label4")->setText(QString::number(r));
    else
        LabelOf(this, "Label3")->setText(QString::number(f));
    m_picture->Draw(f, r);
    const Gears::Result g = Gears::Compute(f, r, c, m_txt[8]->text());
    if (!g.ok) {
        // The chainring ends silently here; the sprocket reports the bad circumference.
        if (sprocket && !m_loading)
            ShowDataError(VbError(13, QStringLiteral("Type mismatch")));
        return;
    }
    LabelOf(this, "Label6")->setText(g.development);
    LabelOf(this, "Label7")->setText(g.speed);
    LabelOf(this, "Label8")->setText(g.ratio);
}

void frmDatiPers::Slider1_Scroll()
{
    if (calculatorActive())
        gearChanged(false);
}

void frmDatiPers::Slider2_Scroll()
{
    if (calculatorActive())
        gearChanged(true);
}

void frmDatiPers::Slider3_Scroll()
{
    if (!calculatorActive())
        return;
    const int c = Gears::CadenceFromPosition(m_slider[2]->value());
    LabelOf(this, "Label5")->setText(QString::number(c));
    float w = 0;
    if (!Gears::ReadCircumference(m_txt[8]->text(), QLocale(), &w)) {
        if (!m_loading)
            ShowDataError(VbError(13, QStringLiteral("Type mismatch")));
        return;
    }
    LabelOf(this, "Label7")->setText(Gears::Speed(m_slider[0]->value(), m_slider[1]->value(), c, w));
}

// ---------------------------------------------------------------------------
// Prints

void frmDatiPers::MyPrint()
{
    const AthletePrint::PrintJob job = AthletePrint::ListJob(windowTitle());
    showPrintForm({job.sql, job.title, job.caption});
}

void frmDatiPers::MyPrint1()
{
    Hourglass busy;
    if (!AthletePrint::PrintAllowed(lblNumero()->text(), cmdUpdate()->isEnabled()))
        return;   // no athlete, or one being entered
    AthletePrint::Athlete a;
    a.code = m_txt[0]->text();
    a.surname = m_txt[1]->text();
    a.name = m_txt[2]->text();
    a.birthday = m_date->isEmpty() ? QString() : QLocale().toString(m_date->date(), QLocale::ShortFormat);
    a.weight = m_txt[4]->text();
    a.cadence = m_txt[5]->text();
    a.maxHeartRate = m_txt[6]->text();
    a.bikeWeight = m_txt[7]->text();
    a.circumference = m_txt[8]->text();
    a.odometer = m_txt[9]->text();
    int orientation = SharedPrinter().Orientation();
    if (cmDlg1.Printer)
        orientation = cmDlg1.Printer->pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    // Without a printer the card goes to a PDF file named after the athlete.
    if (!SharedPrinter().ChooseOutput((a.surname + QLatin1Char(' ') + a.name).trimmed()))
        return;
    try {
        AthletePrint::PrintCard(SharedPrinter(), a, orientation);
    } catch (const VbError &e) {
        if (e.Number() != VbErr::CancelError)
            ShowDataError(e);
    }
}
