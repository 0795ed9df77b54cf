#include "recordings/frmHRate.h"

#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/TimeFormat.h"
#include "core/UserFolders.h"
#include "core/RaceStore.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Shell.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/Prompt.h"
#include "recordings/RecordingImport.h"
#include "recordings/RecordingTableModel.h"
#include "recordings/RecordingWorkbook.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("frmHRate");
constexpr int kTwipsPerPixel = 15;
// Width of the summary's values and lists.
constexpr int kValueWidth = 150;

// New texts of this window.
constexpr int kReadFailed = 15536;       // "%1 could not be read: %2"
constexpr int kNoSamples = 15537;        // "The recording has no samples: there is nothing to import."
constexpr int kExportTitle = 15538;      // "Export to spreadsheet"
constexpr int kExportFilter = 15539;     // "Excel workbook (*.xlsx)|*.xlsx"
constexpr int kWrittenTo = 15540;        // "The workbook was written to %1."
constexpr int kExportFailed = 15541;     // "The workbook could not be written: %1"
constexpr int kNotImported = 15542;      // "Not imported."

int SettingInt(const QString &key, int defaultValue)
{
    bool ok = false;
    const int v = GetSetting(AppName, kSection, key, QString::number(defaultValue)).trimmed().toInt(&ok);
    return ok ? v : defaultValue;
}

QString DocumentsFolder()
{
    const QString personal = SpecialFolders.Personal();
    return personal.isEmpty() ? Shell::HomeFolder() : personal;
}

QString ColumnKey(int c)
{
    return QStringLiteral("MSFlexGrid1 - Col%1Width").arg(c);
}

} // namespace

template <class T> T *frmHRate::add(T *control, const QString &name)
{
    control->setObjectName(name);
    m_controls.insert(name, control);
    return control;
}

frmHRate::frmHRate(QWidget *parent) : QWidget(parent)
{
    build();
    UpdateControls();
    setWindowTitle(GetLangString(15508));
    m_cmdImport->setEnabled(false);
    m_cmdExcel->setEnabled(false);
    m_combo1->clear();
    m_combo1->addItem(GetLangString(15524));
    m_combo1->addItem(GetLangString(15525));
    m_combo1->setCurrentIndex(-1);
    m_cmbFilter->setCurrentIndex(0);

    QStringList headers;
    for (int c = 1; c <= 10; ++c)
        headers << GetLangString(15508 + c);
    m_model->setSamples(nullptr, headers);
    m_grid->horizontalHeader()->setFixedHeight(std::max(1, SettingInt(QStringLiteral("MSFlexGrid1 - RowHeight"), 500) / kTwipsPerPixel));
    fitColumns(false);
}

void frmHRate::fitColumns(bool keepWider)
{
    // Every column is wide enough for the longest word of its header, which
    // wraps onto two lines: a width stored while another language was shown
    // would otherwise cut the words of this one.
    QFont bold = m_grid->horizontalHeader()->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    for (int c = 1; c <= 10; ++c) {
        bool stored = false;
        const int twips = GetSetting(AppName, kSection, ColumnKey(c)).trimmed().toInt(&stored);
        int width = std::max(1, (stored ? twips : 1000) / kTwipsPerPixel);
        for (const QString &word : m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().split(' '))
            width = std::max(width, metrics.horizontalAdvance(word) + 12);
        if (keepWider)
            width = std::max(width, m_grid->columnWidth(c));
        m_grid->setColumnWidth(c, width);
    }
}

frmHRate::~frmHRate() = default;

QSize frmHRate::sizeHint() const
{
    // Wide enough for all eleven columns at their starting widths.
    return QWidget::sizeHint().expandedTo(QSize(760, 600));
}

void frmHRate::build()
{
    resize(760, 600);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(3, 0, 3, 0);
    outer->setSpacing(4);

    m_menuBar = add(new QMenuBar(this), QStringLiteral("MenuBar"));
    m_mnuHRFile = m_menuBar->addMenu(QString());
    m_mnuHRFile->setObjectName(QStringLiteral("mnuHRFile"));
    m_mnuHROpen = m_mnuHRFile->addAction(QString(), this, &frmHRate::mnuHROpen_Click);
    m_mnuHROpen->setObjectName(QStringLiteral("mnuHROpen"));
    m_mnuHROpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_mnuHROpen->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_mnuHRFile->addSeparator()->setObjectName(QStringLiteral("mnuHrmSep"));
    m_mnuFileCopy = m_mnuHRFile->addAction(QString(), this, &frmHRate::mnuFileCopy_Click);
    m_mnuFileCopy->setObjectName(QStringLiteral("mnuFileCopy"));
    m_mnuFileCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    m_mnuFileCopy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(m_mnuHROpen);
    addAction(m_mnuFileCopy);
    outer->setMenuBar(m_menuBar);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("mnuHrmPopUp"));
    m_mnuHrmCopy = m_popup->addAction(QString(), this, &frmHRate::mnuHrmCopy_Click);
    m_mnuHrmCopy->setObjectName(QStringLiteral("mnuHrmCopy"));

    m_tab = add(new QTabWidget(this), QStringLiteral("TabStrip1"));
    auto *frame = add(new QFrame, QStringLiteral("Frame1"));
    m_tab->addTab(frame, QString());
    auto *grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    for (int i = 0; i < 8; ++i) {
        m_label1[i] = add(new QLabel, QStringLiteral("Label1(%1)").arg(i));
        grid->addWidget(m_label1[i], i, 0);
    }
    auto boxed = [&](const char *name) {
        auto *l = add(new QLabel, QLatin1String(name));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setFixedWidth(kValueWidth);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    m_txtName = add(new QLineEdit, QStringLiteral("txtName"));
    m_txtName->setMinimumWidth(2 * kValueWidth);
    grid->addWidget(m_txtName, 0, 1, 1, 2);
    m_lblLunghezza = boxed("lblLunghezza");
    m_lblTime = boxed("lblTime");
    m_lblStartHeight = boxed("lblStartHeight");
    m_lblEndHeight = boxed("lblEndHeight");
    grid->addWidget(m_lblLunghezza, 1, 1);
    grid->addWidget(m_lblTime, 2, 1);
    grid->addWidget(m_lblStartHeight, 3, 1);
    grid->addWidget(m_lblEndHeight, 4, 1);
    m_combo1 = add(new QComboBox, QStringLiteral("Combo1"));
    m_combo1->setFixedWidth(kValueWidth);
    grid->addWidget(m_combo1, 5, 1);
    m_lblAdj = boxed("lblAdj");
    auto *adj = new QHBoxLayout;
    adj->setSpacing(2);
    m_lblAdj->setFixedWidth(kValueWidth - 26);
    adj->addWidget(m_lblAdj);
    auto *nudges = new QVBoxLayout;
    nudges->setSpacing(0);
    m_cmdAdjP = add(new QPushButton(QStringLiteral("+")), QStringLiteral("cmdAdjP"));
    m_cmdAdjM = add(new QPushButton(QStringLiteral("-")), QStringLiteral("cmdAdjM"));
    for (QPushButton *b : {m_cmdAdjP, m_cmdAdjM}) {
        b->setFixedSize(22, 12);
        b->setFocusPolicy(Qt::NoFocus);
        nudges->addWidget(b);
    }
    adj->addLayout(nudges);
    adj->addStretch(1);
    grid->addLayout(adj, 6, 1);
    connect(m_cmdAdjP, &QPushButton::clicked, this, &frmHRate::cmdAdjP_Click);
    connect(m_cmdAdjM, &QPushButton::clicked, this, &frmHRate::cmdAdjM_Click);
    m_cmbFilter = add(new QComboBox, QStringLiteral("cmbFilter"));
    m_cmbFilter->addItems(FilterItems());
    m_cmbFilter->setFixedWidth(kValueWidth);
    grid->addWidget(m_cmbFilter, 7, 1);
    grid->setColumnStretch(2, 1);
    outer->addWidget(m_tab);

    m_grid = add(new QTableView, QStringLiteral("MSFlexGrid1"));
    m_model = new RecordingTableModel(this);
    m_grid->setModel(m_model);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    m_grid->setColumnWidth(0, 50);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_popup->popup(m_grid->viewport()->mapToGlobal(pos)); });
    outer->addWidget(m_grid, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cmdExcel = add(new QPushButton, QStringLiteral("cmdExcel"));
    m_cmdImport = add(new QPushButton, QStringLiteral("cmdImport"));
    for (QPushButton *b : {m_cmdExcel, m_cmdImport}) {
        b->setMinimumSize(1575 / kTwipsPerPixel, 465 / kTwipsPerPixel);
        buttons->addWidget(b);
    }
    connect(m_cmdExcel, &QPushButton::clicked, this, &frmHRate::cmdExcel_Click);
    connect(m_cmdImport, &QPushButton::clicked, this, &frmHRate::cmdImport_Click);
    outer->addLayout(buttons);

    m_statusBar = add(new QStatusBar(this), QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    m_statusText = add(new QLabel, QStringLiteral("txt"));
    m_statusBar->addWidget(m_statusText, 1);
    m_progress = add(new QProgressBar, QStringLiteral("ProgressBar1"));
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(150);
    m_progress->hide();
    m_statusBar->addPermanentWidget(m_progress);
    outer->addWidget(m_statusBar);
}

void frmHRate::UpdateControls()
{
    m_statusText->setText(GetLangString(15000));
    m_cmbFilter->setToolTip(GetLangString(15002));
    m_cmdAdjP->setToolTip(GetLangString(15003));
    m_cmdAdjM->setToolTip(GetLangString(15004));
    for (int i = 7; i >= 0; --i)
        m_label1[i]->setText(GetLangString(15005 + (7 - i)));
    m_lblAdj->setToolTip(GetLangString(15013));
    m_cmdImport->setText(GetLangString(15014));
    m_tab->setTabText(0, GetLangString(15015));
    m_mnuHRFile->setTitle(GetLangString(15016));
    m_mnuHROpen->setText(GetLangString(15017));
    m_mnuFileCopy->setText(GetLangString(15018));
    m_popup->setTitle(GetLangString(15019));
    m_mnuHrmCopy->setText(GetLangString(15020));
    m_cmdExcel->setText(GetLangString(15021));
}

ColSamplePtr frmHRate::RecordingSamples() const
{
    if (m_DataKind == QLatin1String("hrm"))
        return m_HrmData ? m_HrmData->Samples() : nullptr;
    if (m_DataKind == QLatin1String("tur"))
        return m_TurData ? m_TurData->Samples() : nullptr;
    return nullptr;
}

QString frmHRate::RecordingName() const
{
    if (m_DataKind == QLatin1String("hrm"))
        return m_HrmData ? m_HrmData->Note() : QString();
    return m_TurData ? m_TurData->TurName() : QString();
}

void frmHRate::setStatusText(const QString &text)
{
    m_statusText->setText(text);
    m_statusBar->repaint();
}

void frmHRate::showProgress(int maximum)
{
    m_progress->setRange(0, std::max(1, maximum));
    m_progress->setValue(0);
    m_progress->show();
    m_statusBar->repaint();
}

void frmHRate::setProgress(int value)
{
    if (value == m_progress->maximum() || value % std::max(1, m_progress->maximum() / 100) == 0) {
        m_progress->setValue(value);
        m_progress->repaint();
    }
}

void frmHRate::hideProgress()
{
    m_progress->hide();
}

// ---- opening -------------------------------------------------------------------

void frmHRate::mnuHROpen_Click()
{
    QString path;
    int filterIndex = 1;
    try {
        cmDlg1.CancelError = true;
        cmDlg1.InitDir = GetSetting(AppName, kSection, QStringLiteral("HRateDir"), DocumentsFolder());
        cmDlg1.DefaultExt = GetSetting(AppName, kSection, QStringLiteral("HRateExt"), QStringLiteral("hrm"));
        cmDlg1.DialogTitle = GetLangString(15520);
        cmDlg1.FileName = QString();
        cmDlg1.Filter = QStringLiteral("Polar (*.hrm)|*.hrm|Tour (*.tur)|*.tur");
        cmDlg1.FilterIndex = std::clamp(SettingInt(QStringLiteral("HRateFilter"), 1), 1, 2);
        cmDlg1.Flags = 0x81404;
        cmDlg1.ShowOpen();
        path = cmDlg1.FileName;
        filterIndex = cmDlg1.FilterIndex;
        SaveSetting(AppName, kSection, QStringLiteral("HRateDir"), QFileInfo(path).absolutePath());
        SaveSetting(AppName, kSection, QStringLiteral("HRateFilter"), QString::number(filterIndex));
        SaveSetting(AppName, kSection, QStringLiteral("HRateExt"), cmDlg1.DefaultExt);
    } catch (const VbError &err) {
        if (err.Number() != 32755)
            ShowDataError(err);
        setStatusText(GetLangString(15523));
        return;
    }
    repaint();
    OpenRecording(path, filterIndex);
}

bool frmHRate::OpenRecording(const QString &path, int filterIndex)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    const bool asHrm = ext == QLatin1String("hrm") || (ext != QLatin1String("tur") && filterIndex == 1);
    const bool asTur = !asHrm && (ext == QLatin1String("tur") || filterIndex == 2);
    if (!asHrm && !asTur) {
        setStatusText(GetLangString(15523));
        return false;
    }
    bool shown = false;
    ReadFailure failure;
    {
        BusyCursor busy;
        setStatusText(GetLangString(asHrm ? 15521 : 15522));
        // "Ready." again however the reading ends, an error that reaches the
        // safety net included.
        const auto ready = qScopeGuard([this] { setStatusText(GetLangString(15523)); });
        try {
            if (asHrm) {
                // The reader replaces the one shown only once it has read the file.
                auto reader = std::make_shared<Hrm>();
                if (reader->ReadHRM(path) > 0) {
                    m_HrmData = reader;
                    LoadHRM();
                    shown = true;
                } else {
                    failure = reader->Failure();
                }
            } else {
                auto reader = std::make_shared<Tur>();
                if (reader->ReadTur(path) > 0) {
                    m_TurData = reader;
                    LoadTur();
                    shown = true;
                } else {
                    failure = reader->Failure();
                }
            }
        } catch (const VbError &err) {
            ShowDataError(err);
        }
        if (shown) {
            m_cmdImport->setEnabled(true);
            m_cmdExcel->setEnabled(true);
        }
    }
    if (failure.failed())
        MsgBox(FormatLangString(GetLangString(kReadFailed), {QFileInfo(path).fileName(), failure.Text()}),
               Vb::Exclamation);
    return shown;
}

int frmHRate::GuessedType(int16_t startAltitude, int16_t endAltitude, float length)
{
    if (length == 0)
        return 0;
    const float g = float(float(int32_t(endAltitude) - int32_t(startAltitude)) / 10.0f / length);
    return g > 2.0f ? 0 : 1;
}

void frmHRate::loadCommon(const QString &name, float length, const ColSamplePtr &samples)
{
    const int n = samples ? samples->Count() : 0;
    m_txtName->setText(name);
    m_TourLength = n > 0 ? length : 0.0f;
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    m_lblLunghezza->setText(locale.toString(double(m_TourLength), 'g', 7));
    m_lblTime->setText(FormatSeconds(n > 0 ? samples->Item(n)->Seconds() : 0));
    m_StartAltitude = n > 0 ? samples->Item(1)->Height() : int16_t(0);
    m_lblStartHeight->setText(QString::number(m_StartAltitude));
    m_lblAdj->setText(QString::number(m_StartAltitude));
    m_EndAltitude = n > 0 ? samples->Item(n)->Height() : int16_t(0);
    m_lblEndHeight->setText(QString::number(m_EndAltitude));
    m_combo1->setCurrentIndex(GuessedType(m_StartAltitude, m_EndAltitude, m_TourLength));
    fillGrid(samples);
}

void frmHRate::LoadHRM()
{
    m_DataKind = QStringLiteral("hrm");
    const ColSamplePtr samples = m_HrmData->Samples();
    const int n = samples ? samples->Count() : 0;
    loadCommon(m_HrmData->Note(), n > 0 ? samples->Item(n)->Distance() : 0.0f, samples);
}

void frmHRate::LoadTur()
{
    m_DataKind = QStringLiteral("tur");
    loadCommon(m_TurData->TurName(), m_TurData->TotalDistance(), m_TurData->Samples());
}

void frmHRate::fillGrid(const ColSamplePtr &samples)
{
    QStringList headers;
    for (int c = 1; c <= 10; ++c)
        headers << GetLangString(15508 + c);
    m_model->setSamples(samples, headers);
    fitColumns(true);
    m_grid->scrollToTop();
}

// ---- copying -------------------------------------------------------------------

void frmHRate::copySelection()
{
    BusyCursor busy;
    QModelIndexList cells = m_grid->selectionModel()->selectedIndexes();
    const QModelIndex current = m_grid->currentIndex();
    if (cells.isEmpty() && current.isValid())
        cells << current;
    if (cells.isEmpty())
        return;
    int top = cells.first().row(), bottom = top, left = cells.first().column(), right = left;
    for (const QModelIndex &i : cells) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    m_copied = m_model->rangeText(top, left, bottom, right);
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_copied);
}

void frmHRate::mnuFileCopy_Click() { copySelection(); }
void frmHRate::mnuHrmCopy_Click() { copySelection(); }

// ---- import --------------------------------------------------------------------

void frmHRate::nudgeAdj(int delta)
{
    bool ok = false;
    const int v = m_lblAdj->text().trimmed().toInt(&ok);
    if (!ok || v + delta < -32768 || v + delta > 32767)
        return;
    m_lblAdj->setText(QString::number(v + delta));
}

void frmHRate::cmdAdjM_Click() { nudgeAdj(-1); }
void frmHRate::cmdAdjP_Click() { nudgeAdj(+1); }

void frmHRate::cmdImport_Click()
{
    const QString name = m_txtName->text();
    switch (CheckRaceName(name)) {
    case NameCheck::Empty:
        MsgBox(GetLangString(15505) + QLatin1Char('\n')
                   + FormatLangString(GetLangString(15506), {InterfaceNumber(kMaxRaceName)}) + QLatin1Char('\n')
                   + GetLangString(15507),
               Vb::Exclamation);
        return;
    case NameCheck::TooLong:
        MsgBox(FormatLangString(GetLangString(15504), {InterfaceNumber(kMaxRaceName)}), Vb::Exclamation);
        return;
    case NameCheck::Ok:
        break;
    }
    const ColSamplePtr samples = RecordingSamples();
    if (!samples || samples->Count() == 0) {
        MsgBox(GetLangString(kNoSamples), Vb::Exclamation);
        return;
    }

    bool stored = false;
    {
        BusyCursor busy;
        try {
            setStatusText(GetLangString(15500));
            bool ok = false;
            const int shown = m_lblAdj->text().trimmed().toInt(&ok);
            if (!ok)
                RaiseError(13, QStringLiteral("Type mismatch"));
            ImportRequest request;
            request.name = name;
            request.raceType = m_combo1->currentIndex() == 0 ? 0 : 1;
            request.length = m_TourLength;
            request.startAltitude = m_StartAltitude;
            request.endAltitude = m_EndAltitude;
            request.offset = shown - m_StartAltitude;
            request.step = StepOfFilter(m_cmbFilter->currentIndex());

            setStatusText(GetLangString(15501));
            showProgress(samples->Count());
            const RacePtr race = BuildImportRace(*samples, request, [this](int i, int) { setProgress(i); });
            hideProgress();
            setStatusText(GetLangString(15502));
            if (!CurrentDb)
                RaiseError(91, QStringLiteral("Object variable or With block variable not set"));
            RaceStore store(*CurrentDb);
            const RaceOutcome outcome = store.save(*race);
            switch (outcome.status) {
            case RaceOutcome::Stored:
                stored = true;
                break;
            case RaceOutcome::AlreadyPresent:
                MsgBox(FormatLangString(GetLangString(549), {name}), Vb::Exclamation);
                break;
            case RaceOutcome::Failed:
                ShowDataError(VbError(outcome.errorNumber, outcome.errorText));
                break;
            }
        } catch (const VbError &err) {
            hideProgress();
            ShowDataError(err);
        }
    }
    // Only a stored race reads as done.
    setStatusText(GetLangString(stored ? 15503 : kNotImported));
}

// ---- export --------------------------------------------------------------------

void frmHRate::cmdExcel_Click() { ExportExcel(); }

void frmHRate::ExportExcel()
{
    const ColSamplePtr samples = RecordingSamples();
    if (m_DataKind.isEmpty())
        return;
    const QString name = RecordingName();
    QString path;
    try {
        cmDlg1.CancelError = true;
        cmDlg1.InitDir = GetSetting(AppName, kSection, QStringLiteral("ExcelDir"), DocumentsFolder());
        cmDlg1.DialogTitle = GetLangString(kExportTitle);
        cmDlg1.Filter = GetLangString(kExportFilter);
        cmDlg1.FilterIndex = 1;
        cmDlg1.DefaultExt = QStringLiteral("xlsx");
        QString proposed = name;
        proposed.replace(QLatin1Char('/'), QLatin1Char('_'));
        cmDlg1.FileName = proposed.trimmed().isEmpty() ? QString() : proposed + QStringLiteral(".xlsx");
        cmDlg1.Flags = 0x80806;   // explorer style, ask before overwriting, no read-only box
        cmDlg1.ShowSave();
        path = cmDlg1.FileName;
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".xlsx");
        SaveSetting(AppName, kSection, QStringLiteral("ExcelDir"), QFileInfo(path).absolutePath());
    } catch (const VbError &err) {
        if (err.Number() != 32755)
            ShowDataError(err);
        return;
    }

    WorkbookTexts texts;
    for (int c = 0; c < 10; ++c)
        texts.headers << GetLangString(15509 + c);
    texts.xAxis = GetLangString(15510);
    texts.yAxis = GetLangString(15511);
    QString error;
    bool written = false;
    {
        BusyCursor busy;
        written = WriteRecordingWorkbook(path, name, samples.get(), texts, &error);
    }
    if (!written) {
        MsgBox(FormatLangString(GetLangString(kExportFailed), {error}), Vb::Exclamation);
        return;
    }
    const QString where = FormatLangString(GetLangString(kWrittenTo), {QDir::toNativeSeparators(path)});
    setStatusText(where);
    if (Shell::OpenDocument(path) <= 32)
        MsgBox(where, Vb::Information);
}

// ---- closing -------------------------------------------------------------------

void frmHRate::saveGridSettings()
{
    SaveSetting(AppName, kSection, QStringLiteral("MSFlexGrid1 - RowHeight"),
                QString::number(m_grid->horizontalHeader()->height() * kTwipsPerPixel));
    for (int c = 1; c <= 10; ++c)
        SaveSetting(AppName, kSection, ColumnKey(c), QString::number(m_grid->columnWidth(c) * kTwipsPerPixel));
}

void frmHRate::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        m_HrmData.reset();
        m_TurData.reset();
        // Only the table's own text is taken off the clipboard; whatever
        // another program put there since stays.
        QClipboard *clipboard = QApplication::clipboard();
        if (!m_copied.isEmpty() && clipboard->text() == m_copied)
            clipboard->clear();
        try {
            saveGridSettings();
        } catch (const VbError &) {
            // Settings that cannot be written do not keep the window open.
        }
    }
    event->accept();
}
