#include "athletes/frmDatiPers.h"

#include "athletes/GearPicture.h"
#include "athletes/logic/AthletePrint.h"
#include "athletes/logic/GearCalculator.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "core/RecordCounts.h"
#include "core/RecordsetHelpers.h"
#include "core/Validators.h"
#include "core/WindowInterfaces.h"
#include "core/WindowRegistry.h"
#include "platform/data/DataControl.h"
#include "platform/data/DatePicker.h"
#include "platform/print/Printer.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Prompt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
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

bool OnRow(const dao::RecordsetPtr &rs)
{
    try {
        return rs && rs->IsOpen() && !rs->AtEOF() && !rs->BOF();
    } catch (const VbError &) {
        return false;
    }
}
}

template <class T> T *frmDatiPers::make(const QString &name, QWidget *parent)
{
    T *w = new T(parent);
    w->setObjectName(name);
    m_controls.insert(name, w);
    return w;
}

frmDatiPers::frmDatiPers(QWidget *parent) : QWidget(parent)
{
    setObjectName(Section);
    setAttribute(Qt::WA_DeleteOnClose);
    build();
    qApp->installEventFilter(this);
    Form_Load();
}

frmDatiPers::~frmDatiPers()
{
    qApp->removeEventFilter(this);
    if (!m_unloaded)
        Form_Unload();
}

void frmDatiPers::build()
{
    auto *top = new QVBoxLayout(this);

    // The counter line.
    auto *counter = new QHBoxLayout;
    counter->addWidget(make<QLabel>(QStringLiteral("Label1"), this));
    m_data = make<data::DataControl>(QStringLiteral("DataDPers"), this);
    m_data->setMinimumWidth(180);
    counter->addWidget(m_data);
    counter->addWidget(make<QLabel>(QStringLiteral("Label2"), this));
    m_lblNumero = make<QLabel>(QStringLiteral("lblNumero"), this);
    m_lblNumero->setMinimumWidth(50);
    m_lblNumero->setFrameShape(QFrame::StyledPanel);
    counter->addWidget(m_lblNumero);
    counter->addStretch(1);
    top->addLayout(counter);

    auto *middle = new QHBoxLayout;
    top->addLayout(middle, 1);

    // The record.
    auto *fields = new QGridLayout;
    for (int i = 0; i < 10; ++i) {
        const QString label = QStringLiteral("lblLabels(%1)").arg(i);
        fields->addWidget(make<QLabel>(label, this), i, 0);
        const QString field = QLatin1String(FieldNames[i]);
        if (i == 3) {
            m_date = make<data::DatePicker>(QStringLiteral("ccrpDtp1"), this);
            m_data->bind(m_date, field);
            fields->addWidget(m_date, i, 1);
            continue;
        }
        m_txt[i] = make<QLineEdit>(QStringLiteral("txtFields(%1)").arg(i), this);
        m_data->bind(m_txt[i], field);
        fields->addWidget(m_txt[i], i, 1);
    }
    m_txt[0]->setMaxLength(50);
    m_txt[1]->setMaxLength(15);
    m_txt[2]->setMaxLength(10);
    FieldValidator::Install(m_txt[0], FieldValidator::MaxLen, 16);
    FieldValidator::Install(m_txt[1], FieldValidator::MaxLen, 16);
    FieldValidator::Install(m_txt[2], FieldValidator::MaxLen, 10);
    for (int i : {4, 7, 8, 9})
        FieldValidator::Install(m_txt[i], FieldValidator::Decimal, 0, FieldValidator::DecimalCheck);
    for (int i : {5, 6})
        FieldValidator::Install(m_txt[i], FieldValidator::Integer, 3, FieldValidator::Numeric);
    fields->setRowStretch(10, 1);
    middle->addLayout(fields, 1);
    m_txt[0]->installEventFilter(this);
    setTabOrder(m_txt[2], m_date);
    setTabOrder(m_date, m_txt[4]);

    // The gear calculator.
    auto *gears = new QGridLayout;
    auto display = [&](const char *name, const char *initial) {
        auto *l = make<QLabel>(QLatin1String(name), this);
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
        return l;
    };
    auto slider = [&](int index, Qt::Orientation o, int min, int max, int start, int tick) {
        auto *s = make<QSlider>(QStringLiteral("Slider%1").arg(index + 1), this);
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
    auto *front = make<QGroupBox>(QStringLiteral("Frame1(0)"), this);
    auto *fl = new QHBoxLayout(front);
    fl->addWidget(slider(0, Qt::Horizontal, Gears::FrontMin, Gears::FrontMax, Gears::FrontStart, 1), 1);
    fl->addWidget(display("Label3", "30"));
    auto *rear = make<QGroupBox>(QStringLiteral("Frame1(1)"), this);
    auto *rl = new QHBoxLayout(rear);
    rl->addWidget(slider(1, Qt::Horizontal, Gears::RearMin, Gears::RearMax, Gears::RearStart, 1), 1);
    rl->addWidget(display("Label4", "16"));
    auto *cad = make<QGroupBox>(QStringLiteral("Frame1(2)"), this);
    auto *cl = new QVBoxLayout(cad);
    // Vertical and read the other way round: moving up raises the cadence.
    QSlider *s3 = slider(2, Qt::Vertical, Gears::CadenceMin, Gears::CadenceMax, Gears::CadenceStart, 10);
    s3->setInvertedAppearance(true);
    s3->setInvertedControls(true);
    cl->addWidget(s3, 1, Qt::AlignHCenter);
    cl->addWidget(display("Label5", "70"));
    m_picture = new GearPicture(this);
    m_picture->setObjectName(QStringLiteral("Picture1"));
    m_controls.insert(QStringLiteral("Picture1"), m_picture);
    auto *readouts = new QHBoxLayout;
    readouts->addWidget(display("Label8", "-----"));
    readouts->addWidget(display("Label6", "-----"));
    readouts->addWidget(display("Label7", "-----"));
    gears->addWidget(front, 0, 0, 1, 2);
    gears->addWidget(rear, 1, 0, 1, 2);
    gears->addWidget(m_picture, 2, 0);
    gears->addWidget(cad, 2, 1);
    gears->addLayout(readouts, 3, 0, 1, 2);
    middle->addLayout(gears);

    // The buttons.
    auto *buttons = new QHBoxLayout;
    for (const char *name : {"cmdAdd", "cmdUpdate", "cmdModify", "cmdRefresh", "cmdDelete", "cmdClose"})
        buttons->addWidget(make<QPushButton>(QLatin1String(name), this));
    top->addLayout(buttons);

    auto button = [this](const char *name) { return static_cast<QPushButton *>(Control(QLatin1String(name))); };
    connect(button("cmdAdd"), &QPushButton::clicked, this, &frmDatiPers::cmdAdd_Click);
    connect(button("cmdUpdate"), &QPushButton::clicked, this, &frmDatiPers::cmdUpdate_Click);
    connect(button("cmdModify"), &QPushButton::clicked, this, &frmDatiPers::cmdModify_Click);
    connect(button("cmdRefresh"), &QPushButton::clicked, this, &frmDatiPers::cmdRefresh_Click);
    connect(button("cmdDelete"), &QPushButton::clicked, this, &frmDatiPers::cmdDelete_Click);
    connect(button("cmdClose"), &QPushButton::clicked, this, &frmDatiPers::cmdClose_Click);
    connect(m_slider[0], &QSlider::valueChanged, this, &frmDatiPers::Slider1_Scroll);
    connect(m_slider[1], &QSlider::valueChanged, this, &frmDatiPers::Slider2_Scroll);
    connect(m_slider[2], &QSlider::valueChanged, this, &frmDatiPers::Slider3_Scroll);
    connect(m_data, &data::DataControl::Reposition, this, &frmDatiPers::DataDPers_Reposition);
    connect(m_data, &data::DataControl::Error, this, [](int number, const QString &description, int *response) {
        *response = 0;
        ShowDataError(VbError(number, description));
    });
}

// ---------------------------------------------------------------------------
// Loading and closing

void frmDatiPers::Form_Load()
{
    auto step = [](auto f) {
        try {
            f();
        } catch (...) {
        }
    };
    step([&] { UpdateControls(); });
    step([&] {
        for (const char *name : {"Label3", "Label4", "Label5", "Label6", "Label7", "Label8"}) {
            QFont f(QStringLiteral("LiquidCrystal"));
            f.setPointSize(16);
            QWidget *display = Control(QLatin1String(name));
            display->setFont(f);
            display->setMinimumHeight(QFontMetrics(f).height() + 8);
        }
    });
    step([&] {
        adjustSize();
        CenterForm(this);
    });
    m_data->setDatabase(CurrentDb);
    step([&] { m_data->setRecordSource(AthletesRs ? AthletesRs->Name() : QStringLiteral("Dati Personali")); });
    m_data->Refresh();
    step([&] { m_recordTotal = CountRecords(m_data->recordset()); });
    setMainCommands(true);
    m_addingNew = false;
    Control(QStringLiteral("cmdUpdate"))->setEnabled(false);
    m_txt[0]->setReadOnly(true);
    showCounter();
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
}

void frmDatiPers::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded)
        Form_Unload();
    event->accept();
}

void frmDatiPers::Form_Unload()
{
    m_unloaded = true;
    try {
        // A new athlete that was not confirmed is dropped; edits of a stored
        // one are written as the navigator writes them when it leaves a row.
        if (m_addingNew) {
            if (dao::RecordsetPtr rs = m_data->recordset(); rs && rs->EditMode() != dao::dbEditNone)
                rs->CancelUpdate();
        } else if (m_data->dataChanged() && OnRow(m_data->recordset())) {
            m_data->UpdateRecord();
        }
    } catch (const VbError &e) {
        ShowDataError(e);
    }
    CloseRecordset(AthletesRs);
    try {
        WindowRegistry::Unload(QStringLiteral("frmPrint"));
    } catch (...) {
    }
    setMainCommands(false);
    for (int i = 0; i < 3; ++i)
        SaveSetting(AppName, Section, QStringLiteral("Slider%1").arg(i + 1), QString::number(m_slider[i]->value()));
}

void frmDatiPers::setMainCommands(bool enabled)
{
    MDIfrmBike *main = MDIfrmBike::instance();
    if (!main)
        return;
    for (const char *key : {"Print", "Find", "mnuPrint", "mnuTool(0)"})
        main->EnableCommand(QLatin1String(key), enabled);
    if (!enabled)
        main->SetToolbar2Visible(true);
}

void frmDatiPers::UpdateControls()
{
    setWindowTitle(GetLangString(8000));
    struct T {
        int n;
        const char *control;
        char property;
    };
    static const T texts[] = {
        {8001, "Frame1(2)", 'C'}, {8002, "Slider3", 'T'},   {8003, "Frame1(1)", 'C'}, {8004, "Slider2", 'T'},
        {8005, "Frame1(0)", 'C'}, {8006, "Slider1", 'T'},   {8007, "Label5", 'T'},    {8008, "Label8", 'T'},
        {8009, "Label4", 'T'},    {8010, "Label3", 'T'},    {8011, "Label7", 'T'},    {8012, "Label6", 'T'},
        {8013, "cmdModify", 'C'}, {8014, "cmdRefresh", 'C'}, {8015, "cmdDelete", 'C'}, {8016, "cmdClose", 'C'},
        {8017, "cmdUpdate", 'C'}, {8018, "cmdAdd", 'C'},    {8019, "Label2", 'C'},    {8020, "Label1", 'C'},
        {8021, "lblLabels(9)", 'C'}, {8022, "lblLabels(8)", 'C'}, {8023, "lblLabels(7)", 'C'},
        {8024, "lblLabels(6)", 'C'}, {8025, "lblLabels(5)", 'C'}, {8026, "lblLabels(4)", 'C'},
        {8027, "lblLabels(3)", 'C'}, {8028, "lblLabels(2)", 'C'}, {8029, "lblLabels(1)", 'C'},
        {8030, "lblLabels(0)", 'C'}};
    for (const T &t : texts) {
        QWidget *w = Control(QLatin1String(t.control));
        if (!w)
            continue;
        const QString s = GetLangString(t.n);
        if (t.property == 'T')
            w->setToolTip(s);
        else if (auto *l = qobject_cast<QLabel *>(w))
            l->setText(s);
        else if (auto *b = qobject_cast<QPushButton *>(w))
            b->setText(s);
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            g->setTitle(s);
    }
}

// ---------------------------------------------------------------------------
// Records

void frmDatiPers::showCounter()
{
    m_lblNumero->setText(QString::number(m_recordTotal));
    try {
        m_data->setCaption(QString::number(RecordPosition(m_data->recordset(), m_recordTotal)));
    } catch (const VbError &) {
    }
}

void frmDatiPers::DataDPers_Reposition()
{
    m_addingNew = false;
    Control(QStringLiteral("cmdAdd"))->setEnabled(true);
    m_txt[0]->setReadOnly(true);
    Control(QStringLiteral("cmdDelete"))->setEnabled(OnRow(m_data->recordset()));
    Control(QStringLiteral("cmdUpdate"))->setEnabled(false);
    Control(QStringLiteral("cmdModify"))->setEnabled(true);
    m_data->setEnabled(true);
    showCounter();
    Slider1_Scroll();
}

bool frmDatiPers::complete() const
{
    // A field of blanks is as empty as an empty one.
    for (int i = 0; i < 10; ++i)
        if (i != 3 && m_txt[i]->text().trimmed().isEmpty())
            return false;
    return true;
}

void frmDatiPers::cmdAdd_Click()
{
    try {
        m_data->AddNew();
        m_addingNew = true;
        m_txt[0]->setReadOnly(false);
        m_txt[0]->setFocus();
        Control(QStringLiteral("cmdUpdate"))->setEnabled(true);
        Control(QStringLiteral("cmdDelete"))->setEnabled(false);
        Control(QStringLiteral("cmdModify"))->setEnabled(false);
        Control(QStringLiteral("cmdAdd"))->setEnabled(false);
        m_data->setEnabled(false);
        m_data->setCaption(QString::number(m_recordTotal + 1));
        m_lblNumero->setText(QString::number(m_recordTotal + 1));
    } catch (const VbError &e) {
        ShowDataError(e);
        m_data->setEnabled(true);
        m_data->Refresh();
    }
}

void frmDatiPers::cmdUpdate_Click()
{
    if (!m_addingNew)
        return;
    if (!complete()) {
        MsgBox(GetLangString(8501), Vb::Information);
        return;
    }
    try {
        m_data->UpdateRecord();
    } catch (const VbError &e) {
        // Nothing stored: the new athlete stays on screen to be corrected.
        ShowDataError(e);
        return;
    }
    ++m_recordTotal;
    m_addingNew = false;
    Control(QStringLiteral("cmdUpdate"))->setEnabled(false);
    m_data->setEnabled(true);
    try {
        dao::RecordsetPtr rs = m_data->recordset();
        rs->SetBookmark(rs->LastModified());   // repositions the card
    } catch (const VbError &e) {
        ShowDataError(e);
    }
    m_txt[0]->setReadOnly(true);
    Control(QStringLiteral("cmdDelete"))->setEnabled(true);
    Control(QStringLiteral("cmdModify"))->setEnabled(true);
    Control(QStringLiteral("cmdAdd"))->setEnabled(true);
}

void frmDatiPers::cmdModify_Click()
{
    dao::RecordsetPtr rs = m_data->recordset();
    if (m_addingNew || !OnRow(rs))
        return;
    if (!complete()) {
        MsgBox(GetLangString(8501), Vb::Information);
        return;
    }
    try {
        m_data->UpdateRecord();
        m_addingNew = false;
        rs->SetBookmark(rs->LastModified());
    } catch (const VbError &e) {
        ShowDataError(e);
    }
}

void frmDatiPers::cmdRefresh_Click()
{
    m_data->setEnabled(true);
    m_data->Refresh();
}

void frmDatiPers::cmdDelete_Click()
{
    dao::RecordsetPtr rs = m_data->recordset();
    if (m_addingNew)
        return;
    if (!OnRow(rs)) {
        Control(QStringLiteral("cmdDelete"))->setEnabled(false);
        return;
    }
    const QString question = FormatLangString(GetLangString(8500), {m_txt[1]->text(), m_txt[2]->text()});
    if (MsgBox(question, Vb::OKCancel + Vb::Question + Vb::DefaultButton2) != Vb::OK)
        return;
    try {
        m_data->UpdateControls();   // edits of the athlete being deleted are dropped
        rs->Delete();
    } catch (const VbError &e) {
        ShowDataError(e);
        return;
    }
    --m_recordTotal;
    m_lblNumero->setText(QString::number(m_recordTotal));
    try {
        if (rs->RecordCount() > 0) {
            rs->MoveNext();
            rs->MoveLast();
        } else {
            m_data->Resync();   // none left: the card shows nothing
        }
    } catch (const VbError &e) {
        ShowDataError(e);
    }
}

void frmDatiPers::cmdClose_Click() { close(); }

void frmDatiPers::checkDuplicateCode()
{
    if (!m_addingNew || m_txt[0]->text().isEmpty() || !CurrentDb)
        return;
    bool exists = false;
    try {
        // The key compares codes without regard to case, and so does this check.
        exists = TextValueExists(CurrentDb->OpenRecordset(QStringLiteral("SELECT [IDPersonale] FROM [Dati Personali]"),
                                                          dao::dbOpenSnapshot),
                                 QStringLiteral("IDPersonale"), m_txt[0]->text());
    } catch (const VbError &) {
    }
    if (exists) {
        m_txt[0]->clear();
        MsgBox(GetLangString(8502), Vb::Exclamation);
    }
}

void frmDatiPers::keyDown(int key)
{
    // While a new athlete is entered the keys move nothing: leaving the new
    // row would store or lose it behind the user's back.
    if (m_recordTotal <= 1 || m_addingNew)
        return;
    int32_t p = 0;
    try {
        p = RecordPosition(m_data->recordset(), m_recordTotal);
    } catch (const VbError &) {
        return;
    }
    auto go = [this](void (data::DataControl::*move)()) {
        Control(QStringLiteral("cmdClose"))->setFocus();   // ends the field's editing first
        (m_data->*move)();
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
    case Qt::Key_Home:
        go(&data::DataControl::MoveFirst);
        break;
    case Qt::Key_End:
        go(&data::DataControl::MoveLast);
        break;
    default:
        break;
    }
}

bool frmDatiPers::eventFilter(QObject *watched, QEvent *event)
{
    auto *w = qobject_cast<QWidget *>(watched);
    if (event->type() == QEvent::KeyPress && w && (w == this || isAncestorOf(w)) && event != m_lastKey) {
        // A key travelling up the parents is seen once.
        m_lastKey = event;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_Home || key == Qt::Key_End)
            keyDown(key);
    } else if (event->type() == QEvent::KeyRelease) {
        m_lastKey = nullptr;
    }
    if (watched == m_txt[0] && event->type() == QEvent::FocusOut)
        checkDuplicateCode();
    return false;
}

// ---------------------------------------------------------------------------
// Gear calculator

bool frmDatiPers::calculatorActive() const
{
    bool ok = false;
    const int total = m_lblNumero->text().toInt(&ok);
    return ok && total > 0 && !m_addingNew;
}

void frmDatiPers::gearChanged(bool reportErrors)
{
    const int f = m_slider[0]->value(), r = m_slider[1]->value();
    const int c = Gears::CadenceFromPosition(m_slider[2]->value());
    auto set = [this](const char *name, const QString &text) {
        static_cast<QLabel *>(Control(QLatin1String(name)))->setText(text);
    };
    if (reportErrors)
        set("Label4", QString::number(r));
    else
        set("Label3", QString::number(f));
    m_picture->Draw(f, r);
    const Gears::Result g = Gears::Compute(f, r, c, m_txt[8]->text());
    if (!g.ok) {
        // The chainring ends silently here; the others report the bad circumference.
        if (reportErrors)
            ShowDataError(VbError(13, QStringLiteral("Type mismatch")));
        return;
    }
    set("Label6", g.development);
    set("Label7", g.speed);
    set("Label8", g.ratio);
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
    static_cast<QLabel *>(Control(QStringLiteral("Label5")))->setText(QString::number(c));
    float w = 0;
    if (!Gears::ReadCircumference(m_txt[8]->text(), QLocale(), &w)) {
        ShowDataError(VbError(13, QStringLiteral("Type mismatch")));
        return;
    }
    static_cast<QLabel *>(Control(QStringLiteral("Label7")))
        ->setText(Gears::Speed(m_slider[0]->value(), m_slider[1]->value(), c, w));
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
    if (!AthletePrint::PrintAllowed(m_lblNumero->text(), Control(QStringLiteral("cmdUpdate"))->isEnabled()))
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
    try {
        AthletePrint::PrintCard(SharedPrinter(), a, orientation);
    } catch (const VbError &e) {
        ShowDataError(e);
    }
}
