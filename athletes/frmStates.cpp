#include "athletes/frmStates.h"

#include "athletes/logic/StatesFile.h"
#include "platform/data/RowCommitOnLeave.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "platform/data/FieldSizeDelegate.h"
#include "platform/data/RecordsetModel.h"
#include "platform/data/TextLimits.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/shell/PaintNowAndThen.h"
#include "platform/shell/ReadLimits.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/DeferredMessage.h"
#include "platform/ui/Prompt.h"

#include <QAbstractItemDelegate>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <optional>

namespace {
const QString Section = QStringLiteral("frmStates");
}

frmStates::frmStates(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmStates"));
    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);
    mnuFileStates = m_menuBar->addMenu(QString());
    mnuFileStates->setObjectName(QStringLiteral("mnuFileStates"));
    mnuStates = mnuFileStates->addAction(QString());
    mnuStates->setObjectName(QStringLiteral("mnuStates"));
    connect(mnuStates, &QAction::triggered, this, &frmStates::mnuStates_Click);
    l->setMenuBar(m_menuBar);
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("dbGridStatesCaption"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setFrameShape(QFrame::StyledPanel);
    l->addWidget(m_caption);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("dbGridStates"));
    m_model = new data::RecordsetModel(this);
    m_model->setColumns({{QStringLiteral("State"), QString()}});
    m_model->setRowHook([this](QVariantList &values, QVariantMap &) { return checkRow(values); });
    // What the table refuses beyond the checks (a rule of its own, a full
    // disk) is told as they are.
    m_model->setFailureHook([this](const VbError &e, const QVariantList &values) { refuse(e, values); });
    m_grid->setModel(m_model);
    // A name typed or pasted takes at most what the field holds.
    m_grid->setItemDelegate(new data::FieldSizeDelegate(m_grid));
    // Typing, F2 or a click starts an edit; merely moving onto a cell does
    // not, so leaving a refused row does not send a second, untouched row.
    m_grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->installEventFilter(this);
    // A row is written when the grid leaves it; a refused row (told once by
    // checkRow) keeps the grid on it.
    new data::RowCommitOnLeave(m_grid, m_model);
    m_teller = new DeferredMessage(this);
    l->addWidget(m_grid, 1);
    UpdateControls();
    refresh();
    resize(360, 420);
}

void frmStates::UpdateControls()
{
    setWindowTitle(GetLangString(27000));
    mnuFileStates->setTitle(GetLangString(27001));
    mnuStates->setText(GetLangString(27002));
    m_caption->setText(GetLangString(27003));
    m_model->setColumnCaption(0, GetLangString(27004));
}

void frmStates::refresh()
{
    if (!CurrentDb || !CurrentDb->IsOpen())
        return;
    try {
        m_model->setRecordset(CurrentDb->OpenRecordset(QStringLiteral("States"), dao::dbOpenDynaset));
    } catch (const VbError &e) {
        ShowDataError(e);
    }
}

// The table's own rules, checked before the row is written so that the grid
// can say why it keeps the row: no empty name, no name twice.
bool frmStates::refuse(const VbError &error, const QVariantList &values)
{
    // Inside the grid's commit or its move off the row: the row stays, and
    // the message follows once the grid is done. The same refusal seen again
    // is told once; another one (the row typed anew before the first message
    // showed) is told after it, so no row is given up untold.
    const int row = m_model->pendingRow();
    const QString key = QStringLiteral("%1\n%2\n%3").arg(row).arg(error.Number()).arg(values.value(0).toString());
    m_teller->tell(key, [error]() { ShowDataError(error); });
    m_toldRow = row;
    m_toldValue = values.value(0);
    return false;
}

bool frmStates::checkRow(QVariantList &values)
{
    const QVariantList typed = values;
    const QString name = values.value(0).toString().trimmed();
    if (name.isEmpty())
        return refuse(VbError(dao::JetErr::ZeroLengthString, QStringLiteral("Field 'States.State' cannot be a zero-length string.")),
                      typed);
    const int size = m_model->textSize(0);
    if (size > 0 && data::TextChars(name) > size)
        return refuse(VbError(dao::JetErr::FieldTooSmall,
                              QStringLiteral("The field is too small to accept the amount of data you attempted to add.")),
                      typed);
    values[0] = name;
    // A stored row renamed only in its letter case keeps its own name; the
    // name it is compared with is the stored one, not the one typed.
    const int row = m_model->pendingRow();
    if (row >= 0 && row < m_model->storedRows()
        && m_model->storedValue(row, 0).toString().compare(name, Qt::CaseInsensitive) == 0)
        return true;
    try {
        dao::RecordsetPtr count = CurrentDb->OpenRecordset(
            QStringLiteral("SELECT COUNT(*) AS [Exist] FROM States WHERE State = ?"), dao::dbOpenSnapshot, 0, {name});
        const int exist = count->Value(QStringLiteral("Exist")).toInt();
        count->Close();
        if (exist > 0)
            return refuse(VbError(dao::JetErr::DuplicateKey,
                                  QStringLiteral("The changes you requested to the table were not successful because they "
                                                 "would create duplicate values in the index, primary key, or relationship.")),
                          typed);
    } catch (const VbError &e) {
        return refuse(e, typed);
    }
    m_toldRow = -1;
    return true;
}

void frmStates::commitPending()
{
    // Called from a menu command or the window closing: a refusal is told
    // before the grid is read anew or the window goes.
    struct TellAtEnd {
        DeferredMessage *teller;
        ~TellAtEnd() { teller->showWaiting(); }
    } tellAtEnd{m_teller};
    // Text still in an open cell editor goes into the row first.
    if (QWidget *editor = m_grid->indexWidget(m_grid->currentIndex())) {
        QAbstractItemDelegate *delegate = m_grid->itemDelegate();
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    const int row = m_model->pendingRow();
    if (row < 0)
        return;
    // A refused row left as it was has been told: it goes quietly.
    if (row == m_toldRow && m_model->value(row, 0) == m_toldValue)
        m_model->CancelRow();
    else
        m_model->CommitRow();
    m_toldRow = -1;
}

void frmStates::deleteSelectedRows()
{
    QList<int> rows;
    for (const QModelIndex &i : m_grid->selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int row : rows) {
        if (row < m_model->storedRows()) {
            VbError failure(0, QString());
            if (!m_model->DeleteRow(row, &failure) && failure.Number()) {
                ShowDataError(failure);
                return;   // the rows left stay selected as they were
            }
        }
        else if (row == m_model->pendingRow())
            m_model->CancelRow();   // a new row not yet written simply goes
    }
}

bool frmStates::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape && m_model->pendingRow() >= 0) {
            m_model->CancelRow();   // a stored row gets its name back, a new row goes
            m_toldRow = -1;
            return true;
        }
        if (key == Qt::Key_Delete && !m_grid->selectionModel()->selectedRows().isEmpty()) {
            deleteSelectedRows();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmStates::closeEvent(QCloseEvent *event)
{
    // What was typed is written before the window goes; a refused row that
    // has been told and not changed since is dropped with the window, untold.
    commitPending();
    QWidget::closeEvent(event);
}

void frmStates::mnuStates_Click()
{
    if (!CurrentDb || !CurrentDb->IsOpen())
        return;
    commitPending();   // the grid is read anew after the import
    FileDialogRequest request;
    request.initDir = GetSetting(AppName, Section, QStringLiteral("InitDir"), AppPath);
    request.title = GetLangString(27500);
    request.defaultExt = QStringLiteral("txt");
    request.filter = GetLangString(27501);
    request.flags = 0x81404;
    const auto chosen = Prompts().fileDialog(request);
    if (!chosen || chosen->fileName.isEmpty())
        return;
    SaveSetting(AppName, Section, QStringLiteral("InitDir"), QFileInfo(chosen->fileName).absolutePath());

    // Busy from the reading to the last name stored; messages come after.
    std::optional<BusyCursor> busy(std::in_place);
    QByteArray bytes;
    const readlimits::ReadResult read = readlimits::ReadWholeFile(chosen->fileName, readlimits::MaxStatesFileBytes, bytes);
    const StatesFile::NameList list = StatesFile::DistinctNames(bytes, readlimits::MaxStatesFileNames);
    bytes.clear();
    const QString fileName = QFileInfo(chosen->fileName).fileName();
    if (read != readlimits::ReadResult::Ok || list.tooMany) {
        busy.reset();
        if (read == readlimits::ReadResult::TooLarge)
            MsgBox(fileName + QLatin1Char('\n')
                       + FormatLangString(GetLangString(171), {readlimits::Megabytes(readlimits::MaxStatesFileBytes)}),
                   Vb::Exclamation);
        else if (read == readlimits::ReadResult::CannotOpen)
            ShowDataError(VbError(dao::JetErr::FileNotFound, QStringLiteral("Could not read '%1'.").arg(chosen->fileName)));
        else
            MsgBox(fileName + QLatin1Char('\n')
                       + FormatLangString(GetLangString(180), {InterfaceNumber(readlimits::MaxStatesFileNames)}),
                   Vb::Exclamation);
        return;
    }
    // The window repaints now and then while the names are stored; what the
    // user types or clicks waits for the end.
    PaintNowAndThen paint;
    const StatesFile::ImportResult r = StatesFile::Import(CurrentDb, list.names, [&paint] { paint(); });
    busy.reset();
    if (!r.ok)
        ShowDataError(VbError(r.error, r.description));
    refresh();
}
