#include "records/SamplePanel.h"

#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/ProfileGlobals.h"
#include "core/Validators.h"
#include "core/WindowRegistry.h"
#include "platform/data/DataControl.h"
#include "platform/data/FieldSizeDelegate.h"
#include "platform/data/RecordsetModel.h"
#include "platform/data/RowCommitOnLeave.h"
#include "platform/settings/Settings.h"
#include "platform/ui/DeferredMessage.h"
#include "platform/ui/Prompt.h"
#include "records/CardNumbers.h"
#include "records/SampleChecks.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStyle>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int TwipsPerPixel = 15;

// The number cells take only what the decimal filter lets through; the
// keypad's decimal key types the user's separator. A note takes no more
// than its field holds (the shared rule of text cells). The icon is picked from
// the icon list, never typed: its cell opens no editor, so a click on it
// leaves the grid's own double-click (the cell's button) to open the list.
class SampleDelegate : public data::FieldSizeDelegate {
public:
    using data::FieldSizeDelegate::FieldSizeDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (index.column() == SampleChecks::IconColumn)
            return nullptr;
        QWidget *editor = data::FieldSizeDelegate::createEditor(parent, option, index);
        auto *line = qobject_cast<QLineEdit *>(editor);
        if (line && (index.column() == SampleChecks::DistanceColumn || index.column() == SampleChecks::HeightColumn))
            FieldValidator::Install(line, FieldValidator::Decimal);
        return editor;
    }
};

}

SamplePanel::SamplePanel(const Setup &setup, QWidget *parent) : QFrame(parent), m_setup(setup)
{
    setObjectName(QStringLiteral("Picture1"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto *l = new QVBoxLayout(this);
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("DBGrid1.Caption"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setFrameShape(QFrame::StyledPanel);
    l->addWidget(m_caption);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_model = new data::RecordsetModel(this);
    m_model->setColumns({{QStringLiteral("DistParz"), QString()},
                         {QStringLiteral("Altezza"), QString()},
                         {QStringLiteral("Note"), QString()},
                         {QStringLiteral("image"), QString()}});
    m_grid->setModel(m_model);
    m_grid->setItemDelegate(new SampleDelegate(m_grid));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    for (int i = 0; i < 4; ++i)
        m_grid->setColumnWidth(i, i == 2 ? 160 : 80);
    m_grid->viewport()->installEventFilter(this);
    l->addWidget(m_grid, 1);
    m_data2 = new data::DataControl(this);
    m_data2->setObjectName(QStringLiteral("Data2"));
    m_data2->hide();
    auto *bottom = new QHBoxLayout;
    auto *label8 = new QLabel(this);
    label8->setObjectName(QStringLiteral("Label8"));
    bottom->addWidget(label8);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("Label9"));
    m_count->setMinimumWidth(40);
    m_count->setFrameShape(QFrame::Panel);
    m_count->setFrameShadow(QFrame::Sunken);
    bottom->addWidget(m_count);
    bottom->addStretch(1);
    m_show = new QPushButton(this);
    m_show->setObjectName(QStringLiteral("cmdShowAlti"));
    m_close = new QPushButton(this);
    m_close->setObjectName(QStringLiteral("cmdpct1Close"));
    bottom->addWidget(m_show);
    bottom->addWidget(m_close);
    l->addLayout(bottom);
    connect(m_show, &QPushButton::clicked, this, &SamplePanel::profileRequested);
    connect(m_close, &QPushButton::clicked, this, &SamplePanel::closeRequested);

    // The grid's rules.
    m_model->setCellHook([this](int column, const QString &typed, const QVariant &old, int) {
        data::RecordsetModel::CellResult r;
        if (column == SampleChecks::DistanceColumn || column == SampleChecks::HeightColumn) {
            QList<double> stored;
            for (const QVariant &v : m_model->columnValues(SampleChecks::DistanceColumn))
                if (!v.isNull())
                    stored.append(v.toDouble());
            const SampleChecks::CellCheck c = column == SampleChecks::DistanceColumn
                                                  ? SampleChecks::CheckDistance(typed, old, stored)
                                                  : SampleChecks::CheckHeight(typed, old);
            // Inside the view's commit of the cell editor: the cell keeps its
            // old value now, and the message follows once the view is done.
            if (c.outcome == SampleChecks::CellCheck::Duplicate)
                tell(GetLangString(m_setup.duplicate));
            if (c.outcome == SampleChecks::CellCheck::OutOfRange)
                tell(FormatLangString(GetLangString(m_setup.outOfRange),
                                      {m_model->columns().value(column).caption, InterfaceNumber(SampleChecks::HeightMin),
                                       InterfaceNumber(SampleChecks::HeightMax)}));
            r.accept = c.outcome == SampleChecks::CellCheck::Accept;
            r.value = c.value;
            return r;
        }
        r.accept = true;
        r.value = typed.isEmpty() ? QVariant() : QVariant(typed);
        return r;
    });
    m_model->setRowHook([this](QVariantList &values, QVariantMap &extra) {
        const int missing = SampleChecks::MissingColumn(values.value(0), values.value(1));
        // The grid's own commit of the same leave, or one made while the
        // message waits or is on screen (its box takes the focus from a cell
        // editor, which hands in its text): the refusal is told once.
        if (missing >= 0 && ((m_rowWriter && m_rowWriter->returning()) || m_teller->busy()))
            return false;
        if (missing >= 0) {
            const int number = missing == 0 ? m_setup.emptyDistance : m_setup.emptyHeight;
            tell(FormatLangString(GetLangString(number), {m_model->columns().value(missing).caption}));
            return false;
        }
        // The row belongs to the card whose samples are shown.
        extra.insert(QStringLiteral("IDPercorso"), m_cardName);
        m_written = values.value(SampleChecks::DistanceColumn);
        return true;
    });
    connect(m_model, &data::RecordsetModel::rowInserted, this, [this]() {
        ++m_sampleTotal;
        showCount();
        // The grid is read again so the rows stay in distance order, with the
        // new row current; once the grid has finished moving off the row.
        const QVariant distance = m_written;
        const QString card = m_cardName;
        QMetaObject::invokeMethod(this, [this, distance, card]() { reloadAt(card, distance); }, Qt::QueuedConnection);
    });
    connect(m_model, &data::RecordsetModel::rowDeleted, this, [this]() {
        --m_sampleTotal;
        showCount();
    });
    m_teller = new DeferredMessage(this);
    // What the database refuses beyond the grid's rules (a rule of the table,
    // a read-only or full file): the row stays to be corrected, and the error
    // is told once the grid is done. The same refusal seen again (the grid
    // put back on the row, the box taking the focus from an editor) is told
    // once; a different one follows it.
    m_model->setFailureHook([this](const VbError &e, const QVariantList &values) {
        QStringList shown;
        for (const QVariant &v : values)
            shown.append(v.toString());
        const QString key =
            QStringLiteral("%1\n%2\n%3").arg(m_model->pendingRow()).arg(e.Number()).arg(shown.join(QLatin1Char('\t')));
        m_teller->tell(key, [e]() { ShowDataError(e); });
    });
    // A row is written when the grid leaves it; a refused row keeps the grid on it.
    m_rowWriter = new data::RowCommitOnLeave(m_grid, m_model);
}

SamplePanel::~SamplePanel()
{
    // The grid and its editor are deleted after this panel's members are gone.
    // An editor still open would be committed then (it loses the focus as it
    // goes) and the model would run the rules below on a panel that no longer
    // exists. The card's closing steps have saved what was typed by now, so the
    // editor is closed without committing and the model refuses any later edit.
    if (QWidget *editor = m_grid->indexWidget(m_grid->currentIndex()))
        emit m_grid->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
    m_model->setCellHook([](int, const QString &, const QVariant &, int) { return data::RecordsetModel::CellResult{}; });
    m_model->setRowHook([](QVariantList &, QVariantMap &) { return false; });
    m_model->setFailureHook({});
    disconnect(m_model, nullptr, this, nullptr);
    disconnect(m_grid->selectionModel(), nullptr, this, nullptr);
}

void SamplePanel::load(const QString &cardName)
{
    dao::RecordsetPtr rs = CurrentDb->OpenRecordset(
        QStringLiteral("SELECT * FROM [%1] WHERE [IDPercorso] = ? ORDER BY [DistParz] ASC").arg(m_setup.samplesTable),
        dao::dbOpenDynaset, 0, {cardName});
    m_cardName = cardName;
    m_model->setRecordset(rs);
    m_data2->setRecordset(rs);
    m_sampleTotal = rs->RecordCount();
    showCount();
    m_caption->setText(cardName);
}

bool SamplePanel::commitPending(Tell when)
{
    // Text still in an open cell editor goes into the row first.
    if (QWidget *editor = m_grid->indexWidget(m_grid->currentIndex())) {
        QAbstractItemDelegate *delegate = m_grid->itemDelegate();
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    // A cell refused with a message (a height out of range, a distance the
    // card has), or any refusal still waiting to be told, keeps the panel on
    // its card as a refused row does: the message belongs to these samples.
    const bool written = !m_teller->busy() && (m_model->pendingRow() < 0 || m_model->CommitRow());
    // The keys go back to the grid, to the cell or row to correct.
    if (!written)
        m_grid->setFocus(Qt::OtherFocusReason);
    if (when == Tell::Now)
        m_teller->showWaiting();
    return written;
}

void SamplePanel::reloadAt(const QString &card, const QVariant &distance)
{
    if (card != m_cardName || m_model->pendingRow() >= 0)
        return;   // the panel has moved on, or a row is being typed
    try {
        load(card);
    } catch (const VbError &) {
        return;
    }
    for (int row = 0; row < m_model->storedRows(); ++row) {
        if (float(m_model->value(row, SampleChecks::DistanceColumn).toDouble()) == float(distance.toDouble())) {
            m_grid->setCurrentIndex(m_model->index(row, SampleChecks::DistanceColumn));
            break;
        }
    }
}

void SamplePanel::tell(const QString &text)
{
    m_teller->tell([text]() { MsgBox(text, Vb::Exclamation); });
}

void SamplePanel::showCount() { m_count->setText(QString::number(m_sampleTotal)); }

void SamplePanel::setColumnCaption(int column, const QString &caption) { m_model->setColumnCaption(column, caption); }

void SamplePanel::restoreWidths(const QString &section)
{
    for (int i = 0; i < m_model->columnCount(); ++i) {
        const qint64 v =
            CardNumbers::ReadSettingNumber(GetSetting(AppName, section, m_model->columns().at(i).caption, QString()))
                .value_or(-1);
        if (v > 0 && v <= 32767)
            m_grid->setColumnWidth(i, int(v / TwipsPerPixel));
    }
}

void SamplePanel::saveWidths(const QString &section) const
{
    for (int i = 0; i < m_model->columnCount(); ++i)
        SaveSetting(AppName, section, m_model->columns().at(i).caption,
                    QString::number(m_grid->columnWidth(i) * TwipsPerPixel));
}

int SamplePanel::neededWidth() const
{
    int columns = 0;
    for (int i = 0; i < m_model->columnCount(); ++i)
        columns += m_grid->columnWidth(i);
    const QMargins m = layout()->contentsMargins();
    return columns + m_grid->verticalHeader()->sizeHint().width() + 2 * m_grid->frameWidth()
           + m_grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + m.left() + m.right() + 2 * frameWidth() + 24;
}

int SamplePanel::neededHeight() const
{
    const QMargins m = layout()->contentsMargins();
    const int spacing = layout()->spacing() * 2;
    return m_caption->sizeHint().height() + m_grid->horizontalHeader()->sizeHint().height()
           + 10 * m_grid->verticalHeader()->defaultSectionSize() + 2 * m_grid->frameWidth()
           + m_grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + m_show->sizeHint().height() + spacing
           + m.top() + m.bottom() + 2 * frameWidth();
}

bool SamplePanel::inGrid(const QWidget *w) const { return w && (w == m_grid || m_grid->isAncestorOf(w)); }

void SamplePanel::pickIcon(const QModelIndex &cell)
{
    // The picker accepts when something was chosen (IconKey: the icon, or empty
    // for Esc); closed with its close box it picks nothing and the cell stays.
    const QString name = QStringLiteral("frmIcons");
    auto *picker = qobject_cast<QDialog *>(WindowRegistry::Load(name));
    if (!picker)
        return;
    QPointer<QDialog> guard(picker);
    // The grid may be read anew while the picker is open (a row written just
    // before is put in its place): the cell is followed, and a cell that went
    // takes nothing.
    const QPersistentModelIndex target(cell);
    const int result = picker->exec();   // deletes the picker when it ends (delete on close)
    if (guard)
        WindowRegistry::Unload(name);
    if (result == QDialog::Accepted && target.isValid())
        m_model->setData(target, IconKey, Qt::EditRole);
}

bool SamplePanel::gridKey(QWidget *target, QKeyEvent *ke)
{
    using SampleChecks::KeyAction;
    const QModelIndex current = m_grid->currentIndex();
    const int col = current.column();
    if (target == m_grid) {
        if (SampleChecks::IconKeyDown(col, VirtualKeyCode(ke)) == KeyAction::ClearIcon) {
            m_model->setData(current, QString(), Qt::EditRole);
            return true;
        }
        if (SampleChecks::IconKeyPress(col, KeyAsciiOf(ke)) == KeyAction::PickIcon) {
            pickIcon(current);
            return true;
        }
        // Escape gives up the row being typed: a stored row gets its values
        // back, a new row goes.
        if (ke->key() == Qt::Key_Escape && m_model->pendingRow() >= 0) {
            m_model->CancelRow();
            return true;
        }
        const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
        if (ke->key() == Qt::Key_Delete && rows.size() == 1) {
            const int row = rows.first().row();
            if (row == m_model->pendingRow() && row >= m_model->storedRows())
                m_model->CancelRow();   // a new row not yet written: it simply goes
            else if (row < m_model->storedRows()
                     && MsgBox(GetLangString(m_setup.deleteQuestion), Vb::OKCancel + Vb::Question + Vb::DefaultButton2)
                            == Vb::OK) {
                VbError failure(0, QString());
                if (!m_model->DeleteRow(row, &failure) && failure.Number())
                    ShowDataError(failure);
            }
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

bool SamplePanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // The icon cell's button.
        const QModelIndex idx = m_grid->indexAt(static_cast<QMouseEvent *>(event)->pos());
        if (idx.isValid() && idx.column() == SampleChecks::IconColumn) {
            pickIcon(idx);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
