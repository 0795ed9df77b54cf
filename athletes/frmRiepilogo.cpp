#include "athletes/frmRiepilogo.h"

#include "athletes/KeyPreview.h"
#include "athletes/RecordKeys.h"
#include "athletes/logic/AthleteLists.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "core/RecordCounts.h"
#include "platform/data/DataControl.h"
#include "platform/print/Printer.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Prompt.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPageLayout>
#include <QPrinter>

namespace {
const char *const kFields[20] = {
    "IDPersonale",       "Cognome",           "Nome",              "ConteggioDiIDPercorso", "SommaDiLunghezzau",
    "SommaDiDislivello", "MaxDiVAMA",         "MinDiVAMA",         "MediaDiVAMA",           "MaxDiLunghezzau",
    "MinDiLunghezzau",   "MediaDiLunghezzau", "MaxDiDislivello",   "MinDiDislivello",       "MediaDiDislivello",
    "ConteggioDiPercorso", "SommaDiDist2",    "MaxDiDist2",        "MinDiDist2",            "MediaDiDist2"};
const char *const kCommands[] = {"Print", "Find", "SortAsc", "SortDes", "mnuPrint",
                                 "mnuTool(0)", "mnuTool(2)", "mnuTool(3)"};

// A summary figure in the user's locale, rounded to at most the given
// decimals with no trailing zeros; empty for a null value.
QString Figure(const QVariant &v, int decimals)
{
    if (v.isNull() || !v.isValid())
        return QString();
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok)
        return v.toString();
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = Shell::NumberText(loc, d, 'f', decimals);
    const QString point = loc.decimalPoint();
    if (decimals > 0 && text.contains(point)) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text;
}

void SetPointer(int pointer)
{
    if (MDIfrmBike *m = MDIfrmBike::instance())
        m->SetMousePointer(pointer);
}
}

frmRiepilogo::frmRiepilogo(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmRiepilogo"));
    auto *grid = new QGridLayout(this);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    QFont heading = font();
    heading.setBold(true);
    heading.setUnderline(true);
    heading.setPointSizeF(heading.pointSizeF() * 9.75 / 8.25);
    for (int i = 0; i < 3; ++i) {
        m_headings[i] = new QLabel(this);
        m_headings[i]->setObjectName(QStringLiteral("Label1(%1)").arg(i));
        m_headings[i]->setFont(heading);
    }
    for (int i = 0; i < 20; ++i) {
        m_labels[i] = new QLabel(this);
        m_labels[i]->setObjectName(QStringLiteral("lblLabels(%1)").arg(i));
        m_fields[i] = new QLineEdit(this);
        m_fields[i]->setObjectName(QStringLiteral("txtfields(%1)").arg(i));
        m_fields[i]->setReadOnly(true);
        // A figure shows whole: an average holds up to 15 digits.
        m_fields[i]->setMinimumWidth(i < 3 ? 180 : 140);
        m_labels[i]->setBuddy(m_fields[i]);
    }
    // Athlete, then climbs in two columns, then trainings.
    int row = 0;
    grid->addWidget(m_headings[0], row++, 0, 1, 4);
    for (int i = 0; i < 3; ++i, ++row) {
        grid->addWidget(m_labels[i], row, 0);
        grid->addWidget(m_fields[i], row, 1, 1, 2);
    }
    grid->setRowMinimumHeight(row++, 8);
    grid->addWidget(m_headings[1], row++, 0, 1, 4);
    for (int i = 3; i < 9; ++i, ++row) {
        grid->addWidget(m_labels[i], row, 0);
        grid->addWidget(m_fields[i], row, 1);
        grid->addWidget(m_labels[i + 6], row, 2);
        grid->addWidget(m_fields[i + 6], row, 3);
    }
    grid->setRowMinimumHeight(row++, 8);
    grid->addWidget(m_headings[2], row++, 0, 1, 4);
    for (int i = 15; i < 20; ++i, ++row) {
        grid->addWidget(m_labels[i], row, 0);
        grid->addWidget(m_fields[i], row, 1);
    }
    grid->setRowMinimumHeight(row++, 8);
    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(6);
    m_label2 = new QLabel(this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_data = new data::DataControl(this);
    m_data->setObjectName(QStringLiteral("dataAtleta"));
    m_data->setMinimumWidth(129);
    m_label3 = new QLabel(this);
    m_label3->setObjectName(QStringLiteral("Label3"));
    m_numero = new QLabel(this);
    m_numero->setObjectName(QStringLiteral("lblNumero"));
    bottom->addWidget(m_label2);
    bottom->addWidget(m_data);
    bottom->addWidget(m_label3);
    bottom->addWidget(m_numero);
    bottom->addStretch(1);
    grid->addLayout(bottom, row++, 0, 1, 4);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(4, 1);

    // Load.
    new KeyPreview(this, [this](int key) { navigate(key); });
    UpdateControls();
    CenterForm(this);
    // The figures are sums and averages: climb rates read as whole metres an
    // hour, as the climb list shows them, the others with at most two decimals,
    // rather than fifteen digits that overflow their boxes and the printed card.
    for (int i = 0; i < 20; ++i) {
        if (i >= 4) {
            const int decimals = i >= 6 && i <= 8 ? 0 : 2;
            m_data->bind(m_fields[i], QString::fromLatin1(kFields[i]),
                         data::TextFormat{[decimals](const QVariant &v) { return Figure(v, decimals); }, {}});
        } else {
            m_data->bind(m_fields[i], QString::fromLatin1(kFields[i]));
        }
    }
    connect(m_data, &data::DataControl::Reposition, this, &frmRiepilogo::dataAtleta_Reposition);
    connect(m_data, &data::DataControl::Error, this, [](int, const QString &, int *response) {
        ShowDataError();
        *response = 0;
    });
    m_data->setDatabase(CurrentDb);
    m_data->setRecordsetType(dao::dbOpenSnapshot);   // nothing is edited here
    m_data->setRecordSource(source());
    m_data->Refresh();
    try {
        m_count = CountRecords(m_data->recordset());
    } catch (const VbError &e) {
        ShowDataError(e);
    }
    m_numero->setText(QString::number(m_count));
    if (MDIfrmBike *main = MDIfrmBike::instance())
        for (const char *key : kCommands)
            main->EnableCommand(QString::fromLatin1(key), true);
}

frmRiepilogo::~frmRiepilogo()
{
    SetPointer(11);
    CloseRecordset(SummaryRs);
    if (MDIfrmBike *main = MDIfrmBike::instance()) {
        for (const char *key : kCommands)
            main->EnableCommand(QString::fromLatin1(key), false);
        main->SetToolbar2Visible(true);
    }
    SetPointer(0);
}

QString frmRiepilogo::source() const
{
    return SummaryRs ? SummaryRs->Name() : QStringLiteral("Riepilogo per Atleta");
}

void frmRiepilogo::UpdateControls()
{
    setWindowTitle(GetLangString(23000));
    m_label3->setText(GetLangString(23001));
    m_label2->setText(GetLangString(23002));
    m_headings[2]->setText(GetLangString(23003));
    m_headings[1]->setText(GetLangString(23004));
    m_headings[0]->setText(GetLangString(23005));
    for (int i = 0; i < 20; ++i)
        m_labels[i]->setText(GetLangString(23025 - i));
}

SummaryPrint::Figures frmRiepilogo::figures() const
{
    SummaryPrint::Figures f;
    for (int i = 0; i < 20; ++i)
        f[i] = m_fields[i]->text();
    return f;
}

void frmRiepilogo::dataAtleta_Reposition()
{
    try {
        if (dao::RecordsetPtr rs = m_data->recordset())
            m_data->setCaption(QString::number(rs->AbsolutePosition() + 1));
    } catch (const VbError &) {
    }
}

bool frmRiepilogo::Sort(bool ascending)
{
    QWidget *focused = focusWidget();
    for (int i = 0; i < 20; ++i) {
        if (m_fields[i] != focused)
            continue;
        m_data->setRecordSource(AthleteLists::SummarySortSql(source(), QString::fromLatin1(kFields[i]), ascending));
        m_data->Refresh();   // a failure goes to the Error handler
        return m_data->recordset() != nullptr;
    }
    return false;
}

void frmRiepilogo::navigate(int key)
{
    MoveByKey(*m_data, m_count, key);
}

// The card of the athlete shown, drawn on the printer in the orientation last
// chosen in the print set-up.
void frmRiepilogo::MyPrint()
{
    SetPointer(11);
    int orientation = SharedPrinter().Orientation();
    if (cmDlg1.Printer)
        orientation = cmDlg1.Printer->pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    // Without a printer the card goes to a PDF file named after the athlete.
    const SummaryPrint::Figures f = figures();
    if (!SharedPrinter().ChooseOutput(SummaryPrint::Title(f).trimmed())) {
        SetPointer(0);
        return;
    }
    try {
        SummaryPrint::PrintCard(SharedPrinter(), f, orientation, SummaryPrint::CurrentPageTexts());
    } catch (const VbError &e) {
        SetPointer(0);
        if (e.Number() != VbErr::CancelError)
            ShowDataError(e);
        return;
    }
    SetPointer(0);
}
