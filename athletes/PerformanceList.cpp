#include "athletes/PerformanceList.h"

#include "athletes/GridTimeDelegate.h"
#include "athletes/KeyPreview.h"
#include "athletes/RecordKeys.h"

#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/ListCommands.h"
#include "core/MDIfrmBike.h"
#include "core/RecordCounts.h"
#include "core/WindowRegistry.h"
#include "platform/data/DataControl.h"
#include "platform/data/RecordsetModel.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>
#include <QTime>

using AthleteLists::Kind;

namespace {
struct Col { const char *field; int text; };
const Col kTrainingCols[] = {{"IDPercorso", 19006}, {"Data", 19007}, {"Distanza", 19008}, {"Tempo", 19009},
                             {"Velocità media", 19010}, {"Potenza", 19011}, {"PotenzaPeso", 19012}};
const Col kClimbCols[] = {{"IDPercorso", 24006}, {"Data", 24007}, {"Lunghezza", 24008}, {"Quotainiziale", 24009},
                          {"Quotafinale", 24010}, {"Dislivello", 24011}, {"Pendenza media", 24012}, {"Tempo", 24013},
                          {"VAM", 24014}, {"Velocità", 24015}, {"Pedalate", 24016}, {"Anteriore", 24017},
                          {"Posteriore", 24018}, {"Anteriore consigliato", 24019}, {"Posteriore consigliato", 24020},
                          {"Velocità media ideale", 24021}, {"Potenza", 24022}, {"PotenzaPeso", 24023}};
const char *const kCommands[] = {"Print", "Find", "Filter", "DataFilter", "RemoveFilter", "SortAsc", "SortDes",
                                 "mnuPrint", "mnuTool"};
}

PerformanceList::PerformanceList(Kind kind, QWidget *parent) : QWidget(parent), m_kind(kind)
{
    const bool climbs = kind == Kind::Climbs;
    setObjectName(climbs ? QStringLiteral("frmAngolo") : QStringLiteral("frmPrestAll"));
    auto *grid = new QGridLayout(this);
    static const char *const fieldNames[] = {"IDPersonale", "Cognome", "Nome"};
    m_athletes = new data::DataControl(this);
    m_athletes->setObjectName(QStringLiteral("dataAtleta"));
    for (int i = 0; i < 3; ++i) {
        m_labels[i] = new QLabel(this);
        m_labels[i]->setObjectName(QStringLiteral("%1(%2)").arg(climbs ? "lblflds" : "lblfields").arg(i));
        m_fields[i] = new QLineEdit(this);
        m_fields[i]->setObjectName(QStringLiteral("txtFields(%1)").arg(i));
        m_fields[i]->setReadOnly(true);
        grid->addWidget(m_labels[i], i, 0);
        grid->addWidget(m_fields[i], i, 1, 1, 3);
    }
    m_data2 = new data::DataControl(this);
    m_data2->setObjectName(QStringLiteral("Data2"));
    m_data2->hide();
    m_model = new data::RecordsetModel(this);
    QList<data::RecordsetModel::Column> cols;
    for (const Col &c : climbs ? QList<Col>(std::begin(kClimbCols), std::end(kClimbCols))
                               : QList<Col>(std::begin(kTrainingCols), std::end(kTrainingCols)))
        cols.push_back({QString::fromUtf8(c.field), QString()});
    m_model->setColumns(cols);
    m_grid = new QTableView(this);
    m_grid->setObjectName(climbs ? QStringLiteral("DBGridScalatore") : QStringLiteral("DBGridPrestAll"));
    m_grid->setModel(m_model);
    m_grid->setItemDelegate(new GridTimeDelegate(m_grid));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_grid->horizontalHeader()->setSectionsClickable(true);
    m_grid->viewport()->installEventFilter(this);
    m_grid->horizontalHeader()->viewport()->installEventFilter(this);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, &PerformanceList::headClick);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &, const QModelIndex &) { closeChart(); });
    connect(m_grid, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (MDIfrmBike *main = MDIfrmBike::instance())
            if (QMenu *menu = main->Menu(m_kind == Kind::Climbs ? QStringLiteral("mnuPopUp")
                                                                : QStringLiteral("mnuGraficoVelocita")))
                menu->popup(m_grid->viewport()->mapToGlobal(pos));
    });
    grid->addWidget(m_grid, 3, 0, 1, 4);
    grid->setRowStretch(3, 1);
    m_label1 = new QLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_numero = new QLabel(this);
    m_numero->setObjectName(QStringLiteral("lblNumero"));
    grid->addWidget(m_label1, 4, 0);
    grid->addWidget(m_athletes, 4, 1);
    grid->addWidget(m_numero, 4, 2);
    grid->setColumnStretch(3, 1);

    // Load.
    new KeyPreview(this, [this](int key) { navigate(key); });
    UpdateControls();
    resize(sizeHint());
    m_statsHead = AthleteLists::StatsSqlHead(kind);
    StatsSqlHead = m_statsHead;
    for (int i = 0; i < 3; ++i)
        m_athletes->bind(m_fields[i], QString::fromLatin1(fieldNames[i]));
    connect(m_athletes, &data::DataControl::Reposition, this, &PerformanceList::athleteChanged);
    connect(m_athletes, &data::DataControl::Error, this, [](int, const QString &, int *response) {
        ShowDataError();
        *response = 0;
    });
    try {
        AthletesRs = CurrentDb->OpenRecordset(QStringLiteral("Dati Personali"));
        m_athletes->setDatabase(CurrentDb);
        m_athletes->setRecordSource(QStringLiteral("Dati Personali"));
        m_athletes->Refresh();
        m_count = CountRecords(m_athletes->recordset());
    } catch (const VbError &e) {
        ShowDataError(e);
    }
    ShowCount();
    if (MDIfrmBike *main = MDIfrmBike::instance()) {
        for (const char *key : kCommands)
            main->EnableCommand(QString::fromLatin1(key), true);
    }
}

PerformanceList::~PerformanceList()
{
    closeChart();
    WindowRegistry::Unload(QStringLiteral("frmPrint"));
    if (AthletesRs)
        AthletesRs.reset();
    if (MDIfrmBike *main = MDIfrmBike::instance()) {
        for (int p = 2; p <= 5; ++p)
            main->SetStatusPanelText(p, QString());
        SetStatus(QString());
        for (const char *key : kCommands)
            main->EnableCommand(QString::fromLatin1(key), false);
        main->SetButtonValue(QStringLiteral("RemoveFilter"), 0);
        main->SetToolbar2Visible(true);
    }
}

// Wide enough for every column of the trainings; the eighteen climb columns
// would pass a screen's width, so that list scrolls beyond 1100 pixels.
QSize PerformanceList::sizeHint() const
{
    int width = m_grid->verticalHeader()->sizeHint().width() + 2 * m_grid->frameWidth()
        + m_grid->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < m_model->columnCount(); ++c)
        width += m_grid->columnWidth(c);
    const QMargins margins = layout()->contentsMargins();
    width += margins.left() + margins.right();
    return QSize(qBound(700, width, 1100), 440);
}

void PerformanceList::UpdateControls()
{
    const int base = m_kind == Kind::Climbs ? 24000 : 19000;
    setWindowTitle(GetLangString(base));
    m_data2->setCaption(GetLangString(base + 1));
    m_label1->setText(GetLangString(base + 2));
    for (int i = 0; i < 3; ++i)
        m_labels[i]->setText(GetLangString(base + 5 - i));
    QHeaderView *head = m_grid->horizontalHeader();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        m_model->setColumnCaption(c, GetLangString(base + 6 + c));
        // Every heading shows whole, in any language.
        m_grid->setColumnWidth(c, qMax(head->defaultSectionSize(), head->sectionSizeHint(c)));
    }
    // After a change of language the count and the statistics of the shown
    // list speak the new one too.
    ShowCount();
    if (!m_listSql.isEmpty())
        ShowStats();
}

void PerformanceList::ShowCount()
{
    m_numero->setText(QStringLiteral(" ") + GetLangString(m_kind == Kind::Climbs ? 24500 : 19500)
                      + QStringLiteral(" ") + QString::number(m_count));
}

// Every step of an athlete change is tried on its own: no athlete, an empty
// list or a query that fails leaves the later steps to run.
void PerformanceList::athleteChanged()
{
    const QString code = m_fields[0]->text();
    m_listSql = AthleteLists::ListSql(m_kind, code);
    m_filtered = false;
    ListSql = m_listSql;
    if (showSource(m_listSql)) {
        ShowStats();
    } else {
        // The new athlete's list cannot be read: nothing of the athlete before
        // stays in the grid, the status bar, the print or the chart.
        m_data2->setRecordSource(QString());
        m_data2->setRecordset(nullptr);
        m_model->setRecordset(nullptr);
        if (MDIfrmBike *main = MDIfrmBike::instance())
            for (int p = 1; p <= 5; ++p)
                main->SetStatusPanelText(p, QString());
    }
    if (MDIfrmBike *main = MDIfrmBike::instance())
        main->SetButtonValue(QStringLiteral("RemoveFilter"), 0);
    try {
        if (m_athletes->recordset())
            m_athletes->setCaption(QString::number(m_athletes->recordset()->AbsolutePosition() + 1));
    } catch (const VbError &) {
    }
}

// Opens the rows of a source into Data2 and the grid. On failure the list,
// Data2's record source and the grid stay as they were.
bool PerformanceList::showSource(const QString &source)
{
    dao::RecordsetPtr rs;
    try {
        rs = CurrentDb->OpenRecordset(source, dao::dbOpenSnapshot);
    } catch (const VbError &) {
        return false;
    }
    m_data2->setRecordSource(source);
    m_data2->setRecordset(rs);
    m_model->setRecordset(rs);
    closeChart();
    return true;
}

// A chart drawn from the rows of this list no longer matches once the list
// moves: a new list, a sort, a filter or another row of the grid.
void PerformanceList::closeChart()
{
    WindowRegistry::Unload(QStringLiteral("frmGrafico"));
}

void PerformanceList::ShowStats()
{
    if (m_kind == Kind::Climbs)
        ShowClimbStats(m_statsHead, m_listSql);
    else
        ShowTrainingStats(m_statsHead, m_listSql);
}

bool PerformanceList::ApplyCondition(const QString &condition)
{
    if (condition.isEmpty())
        return false;
    const QString grown = m_listSql + condition;
    if (!showSource(grown))
        return false;
    m_listSql = grown;
    m_filtered = true;
    ListSql = m_listSql;
    ShowStats();
    if (MDIfrmBike *main = MDIfrmBike::instance())
        main->SetButtonValue(QStringLiteral("RemoveFilter"), 1);
    return true;
}

bool PerformanceList::Filter()
{
    const QModelIndex cur = m_grid->currentIndex();
    if (focusWidget() != m_grid || !cur.isValid())
        return false;
    const QString field = m_model->columns().value(cur.column()).field;
    return ApplyCondition(AthleteLists::FilterCondition(field, m_model->value(cur.row(), cur.column())));
}

bool PerformanceList::Sort(bool ascending)
{
    if (focusWidget() == m_grid) {
        const int col = m_grid->currentIndex().isValid() ? m_grid->currentIndex().column() : -1;
        if (col < 0)
            return false;
        return showSource(m_listSql + AthleteLists::SortClause(m_model->columns().value(col).field, ascending));
    }
    for (int i = 0; i < 3; ++i) {
        if (focusWidget() == m_fields[i]) {
            static const char *const names[] = {"IDPersonale", "Cognome", "Nome"};
            try {
                m_athletes->setRecordSource(AthleteLists::SummarySortSql(QStringLiteral("Dati Personali"),
                                                                         QString::fromLatin1(names[i]), ascending));
                m_athletes->Refresh();
                return true;
            } catch (const VbError &) {
                return false;
            }
        }
    }
    return false;
}

void PerformanceList::headClick(int column)
{
    const bool desc = m_mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    m_mods = {};
    showSource(m_listSql + AthleteLists::HeadClickSortClause(m_model->columns().value(column).field, desc));
}

bool PerformanceList::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonPress)
        m_mods = static_cast<QMouseEvent *>(event)->modifiers();
    return QWidget::eventFilter(watched, event);
}

void PerformanceList::navigate(int key)
{
    MoveByKey(*m_athletes, m_count, key);
}

void PerformanceList::MyPrint()
{
    const bool climbs = m_kind == Kind::Climbs;
    QString title;
    try {
        dao::RecordsetPtr rs = m_athletes->recordset();
        title = AthleteLists::PrintTitle(rs->Value(QStringLiteral("Cognome")).toString(),
                                         rs->Value(QStringLiteral("Nome")).toString(),
                                         GetLangString(climbs ? 24502 : 19502));
    } catch (const VbError &) {
    }
    const QString sql = AthleteLists::PrintSql(m_kind, m_data2->recordSource());
    if (sql.isEmpty())
        return;   // no list shown
    showPrintForm({sql, title,
                   FormatLangString(GetLangString(climbs ? 24501 : 19501), {windowTitle()})});
}

QString PerformanceList::currentAthlete() const
{
    dao::RecordsetPtr rs = m_athletes ? m_athletes->recordset() : nullptr;
    if (!rs || rs->EOF_() || rs->BOF())
        return QString();
    return rs->Value(QStringLiteral("IDPersonale")).toString();
}

bool PerformanceList::filterActive() const
{
    return m_filtered;
}

void PerformanceList::removeFilter()
{
    dao::RecordsetPtr rs = m_athletes ? m_athletes->recordset() : nullptr;
    if (rs)
        rs->SetBookmark(rs->Bookmark());
}

QString PerformanceList::athleteSurname() const { return m_fields[1]->text(); }
QString PerformanceList::athleteFirstName() const { return m_fields[2]->text(); }

dao::RecordsetPtr PerformanceList::listRows() const
{
    const dao::RecordsetPtr rs = m_data2->recordset();
    return rs ? rs->Clone() : nullptr;
}
