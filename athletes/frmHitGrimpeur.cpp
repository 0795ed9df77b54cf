#include "athletes/frmHitGrimpeur.h"

#include "athletes/KeyPreview.h"
#include "athletes/RecordKeys.h"
#include "athletes/GridTimeDelegate.h"
#include "athletes/logic/AthleteLists.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "core/RecordCounts.h"
#include "core/WindowInterfaces.h"
#include "core/WindowRegistry.h"
#include "platform/data/DataControl.h"
#include "platform/data/RecordsetModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const char *const kFields[] = {"IDPersonale", "Data",       "Tempo",   "VAM",        "Velocità",
                               "Anteriore",   "Posteriore", "Potenza", "PotenzaPeso"};
const char *const kCommands[] = {"Print", "Find", "mnuPrint", "mnuTool(0)"};
}

frmHitGrimpeur::frmHitGrimpeur(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmHitGrimpeur"));
    auto *layout = new QVBoxLayout(this);
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("DBGrid1Caption"));
    m_caption->setAlignment(Qt::AlignCenter);
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);
    layout->addWidget(m_caption);
    m_model = new data::RecordsetModel(this);
    QList<data::RecordsetModel::Column> cols;
    for (const char *f : kFields)
        cols.push_back({QString::fromUtf8(f), QString()});
    m_model->setColumns(cols);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setItemDelegate(new GridTimeDelegate(m_grid));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A ranking holds a row or a few per athlete: every heading and value shows whole.
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_grid, 1);

    m_data2 = new data::DataControl(this);
    m_data2->setObjectName(QStringLiteral("Data2"));
    m_data2->hide();
    // The climb's name is read from its bound box; the grid's caption shows it.
    m_txtFields = new QLineEdit(this);
    m_txtFields->setObjectName(QStringLiteral("txtFields"));
    m_txtFields->setReadOnly(true);
    m_txtFields->hide();

    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(6);
    m_label1 = new QLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_data1 = new data::DataControl(this);
    m_data1->setObjectName(QStringLiteral("Data1"));
    m_data1->setMinimumWidth(132);
    m_numero = new QLabel(this);
    m_numero->setObjectName(QStringLiteral("lblNumero"));
    bottom->addWidget(m_label1);
    bottom->addWidget(m_data1);
    bottom->addWidget(m_numero);
    bottom->addStretch(1);
    layout->addLayout(bottom);
    resize(sizeHint());

    // Load.
    new KeyPreview(this, [this](int key) { navigate(key); });
    UpdateControls();
    m_data1->bind(m_txtFields, QStringLiteral("IDPercorso"));
    connect(m_data1, &data::DataControl::Reposition, this, &frmHitGrimpeur::Data1_Reposition);
    connect(m_data1, &data::DataControl::Error, this, [](int, const QString &, int *response) {
        ShowDataError();
        *response = 0;
    });
    try {
        ClimbsRs = CurrentDb->OpenRecordset(QStringLiteral("Dati Salite"));
        m_data1->setDatabase(CurrentDb);
        m_data1->setRecordsetType(dao::dbOpenSnapshot);   // nothing is edited here
        m_data1->setRecordSource(ClimbsRs->Name());
        m_data1->Refresh();
        m_count = CountRecords(m_data1->recordset());
    } catch (const VbError &e) {
        ShowDataError(e);
    }
    m_numero->setText(QStringLiteral(" ") + GetLangString(14502) + QStringLiteral(" ") + QString::number(m_count));
    if (MDIfrmBike *main = MDIfrmBike::instance())
        for (const char *key : kCommands)
            main->EnableCommand(QString::fromLatin1(key), true);
}

frmHitGrimpeur::~frmHitGrimpeur()
{
    CloseRecordset(ClimbsRs);
    WindowRegistry::Unload(QStringLiteral("frmPrint"));
    if (MDIfrmBike *main = MDIfrmBike::instance()) {
        for (const char *key : kCommands)
            main->EnableCommand(QString::fromLatin1(key), false);
        main->SetToolbar2Visible(true);
    }
}

void frmHitGrimpeur::UpdateControls()
{
    setWindowTitle(GetLangString(14000));
    m_label1->setText(GetLangString(14001));
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_model->setColumnCaption(c, GetLangString(14002 + c));
}

QString frmHitGrimpeur::gridCaption() const
{
    return m_caption->text();
}

// A climb change ranks the new climb. A ranking that cannot be read empties
// the grid and is reported: the rows of the climb before never stand under
// the new climb's name.
void frmHitGrimpeur::Data1_Reposition()
{
    const QString climb = m_txtFields->text();
    ListSql = AthleteLists::RankingSql(climb);
    try {
        dao::RecordsetPtr rs = CurrentDb->OpenRecordset(ListSql);
        m_data2->setRecordSource(ListSql);
        m_data2->setRecordset(rs);
        m_model->setRecordset(rs);
    } catch (const VbError &e) {
        m_data2->setRecordSource(QString());
        m_data2->setRecordset(nullptr);
        m_model->setRecordset(nullptr);
        ShowDataError(e);
    }
    m_caption->setText(climb);
    try {
        if (dao::RecordsetPtr rs = m_data1->recordset())
            m_data1->setCaption(QString::number(rs->AbsolutePosition() + 1));
    } catch (const VbError &) {
    }
}

void frmHitGrimpeur::navigate(int key)
{
    MoveByKey(*m_data1, m_count, key);
}

void frmHitGrimpeur::MyPrint()
{
    QString climb;
    try {
        if (dao::RecordsetPtr rs = m_data1->recordset(); rs && !rs->AtEOF() && !rs->BOF())
            climb = rs->Value(QStringLiteral("IDPercorso")).toString();
    } catch (const VbError &) {
    }
    showPrintForm({AthleteLists::RankingPrintSql(m_txtFields->text()),
                   AthleteLists::RankingPrintTitle(climb, GetLangString(14501)),
                   FormatLangString(GetLangString(14500), {windowTitle()})});
}
