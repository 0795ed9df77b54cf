#include "core/RecordCard.h"

#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/MDIfrmBike.h"
#include "core/RecordCounts.h"
#include "core/WindowRegistry.h"
#include "platform/data/DataControl.h"
#include "platform/ui/DeferredMessage.h"
#include "platform/ui/Prompt.h"

#include <QAbstractButton>
#include <QChildEvent>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

RecordCard::RecordCard(const Setup &setup, QWidget *parent) : QWidget(parent), m_setup(setup)
{
    setObjectName(m_setup.formName);
    m_teller = new DeferredMessage(this);
    setWindowFlags(windowFlags() & ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    auto *main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);
    // Counter row: card number n of m.
    auto *title = new QHBoxLayout;
    auto *label1 = new QLabel(this);
    label1->setObjectName(QStringLiteral("Label1"));
    title->addWidget(label1);
    m_data1 = new data::DataControl(this);
    m_data1->setObjectName(QStringLiteral("Data1"));
    m_data1->setMinimumWidth(170);
    title->addWidget(m_data1);
    auto *label2 = new QLabel(this);
    label2->setObjectName(QStringLiteral("Label2"));
    title->addWidget(label2);
    m_lblNumero = new QLabel(this);
    m_lblNumero->setObjectName(QStringLiteral("lblNumero"));
    m_lblNumero->setMinimumWidth(50);
    m_lblNumero->setFrameShape(QFrame::Panel);
    m_lblNumero->setFrameShadow(QFrame::Sunken);
    m_lblNumero->setAlignment(Qt::AlignCenter);
    title->addWidget(m_lblNumero);
    title->addStretch(1);

    auto *body = new QHBoxLayout;
    m_card = new QWidget(this);
    m_card->setObjectName(QStringLiteral("CardArea"));
    auto *cardLayout = new QVBoxLayout(m_card);
    cardLayout->setContentsMargins(0, 0, 0, 0);
    m_fields = new QWidget(m_card);
    m_fields->setObjectName(QStringLiteral("FieldArea"));
    auto *fieldLayout = new QVBoxLayout(m_fields);
    fieldLayout->setContentsMargins(0, 0, 0, 0);
    cardLayout->addWidget(m_fields);
    cardLayout->addStretch(1);
    m_buttons = new QGridLayout;
    cardLayout->addLayout(m_buttons);
    body->addWidget(m_card, 1);
    m_side = new QWidget(this);
    m_side->setObjectName(QStringLiteral("SideArea"));
    auto *sideLayout = new QVBoxLayout(m_side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    body->addWidget(m_side);

    if (m_setup.counterBelow) {
        main->addLayout(body);
        main->addLayout(title);
    } else {
        main->addLayout(title);
        main->addLayout(body);
    }

    m_cmdAdd = addButton(QStringLiteral("cmdAdd"));
    m_cmdUpdate = addButton(QStringLiteral("cmdUpdate"));
    if (m_setup.modify)
        m_cmdModify = addButton(QStringLiteral("cmdModify"));
    m_cmdDelete = addButton(QStringLiteral("cmdDelete"));
    m_cmdRefresh = addButton(QStringLiteral("cmdRefresh"));
    m_cmdClose = addButton(QStringLiteral("cmdClose"));
    connect(m_cmdAdd, &QPushButton::clicked, this, &RecordCard::cmdAdd_Click);
    connect(m_cmdUpdate, &QPushButton::clicked, this, &RecordCard::cmdUpdate_Click);
    if (m_cmdModify)
        connect(m_cmdModify, &QPushButton::clicked, this, &RecordCard::cmdModify_Click);
    connect(m_cmdDelete, &QPushButton::clicked, this, &RecordCard::cmdDelete_Click);
    connect(m_cmdRefresh, &QPushButton::clicked, this, &RecordCard::cmdRefresh_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &RecordCard::cmdClose_Click);
    connect(m_data1, &data::DataControl::Reposition, this, &RecordCard::Data1_Reposition);
    connect(m_data1, &data::DataControl::Error, this, [](int number, const QString &description, int *response) {
        // The shared message instead of the control's own.
        ShowDataError(VbError(number, description));
        *response = 0;
    });
}

RecordCard::~RecordCard()
{
    // The card class has run its closing steps (unloadOnce) by now; what is
    // left is a window deleted before it was loaded.
    m_unloaded = true;
}

QWidget *RecordCard::Control(const QString &name) const
{
    if (name == objectName())
        return const_cast<RecordCard *>(this);
    return findChild<QWidget *>(name);
}

QPushButton *RecordCard::addButton(const QString &name)
{
    const int index = m_buttons->count();
    auto *b = new QPushButton(m_card);
    b->setObjectName(name);
    m_buttons->addWidget(b, index / 4, index % 4);
    return b;
}

void RecordCard::addPanel(QWidget *panel)
{
    panel->setParent(this);
    panel->hide();
    m_panels.push_back(panel);
}

void RecordCard::bindField(QLineEdit *edit, const QString &field)
{
    m_bound.emplace_back(field, edit);
    m_data1->bind(edit, field);
}

void RecordCard::bindField(QComboBox *combo, const QString &field)
{
    m_bound.emplace_back(field, combo);
    m_data1->bind(combo, field);
}

void RecordCard::bindField(QPlainTextEdit *edit, const QString &field)
{
    m_bound.emplace_back(field, edit);
    m_data1->bind(edit, field);
}

QWidget *RecordCard::boundControl(const QString &field) const
{
    for (const auto &[name, w] : m_bound)
        if (name == field)
            return w;
    return nullptr;
}

QString RecordCard::shownText(const QWidget *w)
{
    if (auto *l = qobject_cast<const QLabel *>(w))
        return l->text();
    if (auto *e = qobject_cast<const QLineEdit *>(w))
        return e->text();
    if (auto *c = qobject_cast<const QComboBox *>(w))
        return c->currentText();
    if (auto *p = qobject_cast<const QPlainTextEdit *>(w))
        return p->toPlainText();
    return QString();
}

QString RecordCard::fieldText(const QString &field) const { return shownText(boundControl(field)); }

void RecordCard::placePanels()
{
    // The panels lie over the card, beside the counter row.
    const QRect r = m_card->geometry();
    for (QWidget *p : m_panels) {
        p->setGeometry(r);
        p->raise();
    }
}

void RecordCard::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placePanels();
    fitFrame();   // a new language may have changed the card's size
}

void RecordCard::fitFrame()
{
    auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (!sub)
        return;
    sub->setMinimumSize(0, 0);
    sub->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    sub->setFixedSize(sub->sizeHint());
}

bool RecordCard::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange) {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()); sub && !sub->isVisible())
            sub->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    }
    return QWidget::event(event);
}

void RecordCard::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (m_placed || !sub || !sub->mdiArea())
        return;
    // The first showing: centred in the workspace, at the card's size.
    m_placed = true;
    fitFrame();
    const QSize area = sub->mdiArea()->viewport()->size();
    sub->move(qMax(0, (area.width() - sub->width()) / 2), qMax(0, (area.height() - sub->height()) / 2));
}

// ---------------------------------------------------------------------------
// Loading and closing

void RecordCard::load()
{
    // Key preview: every widget of this window, including those created later
    // (a grid's cell editor), shows its keys to the window first.
    watch(this);

    UpdateControls();
    adjustSize();
    placePanels();
    try {
        CenterForm(this);
    } catch (const VbError &) {
    }
    loadSteps();
    m_data1->setDatabase(CurrentDb);
    m_data1->setRecordSource(m_setup.recordSource);
    m_data1->setRecordsetType(m_setup.recordsetType);
    m_data1->Refresh();
    try {
        m_recordTotal = CountRecords(m_data1->recordset());
    } catch (const VbError &) {
        m_recordTotal = 0;
    }
    setMainCommands(true);
    m_addMode = false;
    m_cmdUpdate->setEnabled(false);
    showCounter();
    m_counted = true;
    afterCount();
    restoreSettings();
    m_loaded = true;
}

void RecordCard::watch(QObject *object)
{
    object->installEventFilter(this);
    for (QObject *child : object->children())
        if (child->isWidgetType())
            watch(child);
}

void RecordCard::setMainCommands(bool enabled)
{
    MDIfrmBike *main = MDIfrmBike::instance();
    if (!main)
        return;
    for (const QString &k : m_setup.mainCommands)
        main->EnableCommand(k, enabled);
    if (!enabled)
        main->SetToolbar2Visible(true);
}

void RecordCard::closeEvent(QCloseEvent *event)
{
    unloadOnce();
    event->accept();
}

void RecordCard::unloadOnce()
{
    if (m_unloaded || !m_loaded)
        return;
    m_unloaded = true;
    // A changed card is saved as the data control saves it when it is left;
    // an unsaved new card is dropped.
    if (!m_addMode && m_data1->dataChanged()) {
        try {
            beforeSave(false);
            m_data1->UpdateRecord();
        } catch (const VbError &e) {
            ShowDataError(e);
        }
    }
    onUnload();
    for (const QString &window : m_setup.closeWith) {
        try {
            WindowRegistry::Unload(window);
        } catch (const VbError &) {
        }
    }
    setMainCommands(false);
    saveSettings();
}

// ---------------------------------------------------------------------------
// Texts

void RecordCard::UpdateControls()
{
    for (const Text &t : m_setup.texts) {
        const QString s = GetLangString(t.number);
        const QString name = QLatin1String(t.control);
        if (name.isEmpty()) {
            setWindowTitle(s);
            continue;
        }
        if (applyText(name, s))
            continue;
        QWidget *w = Control(name);
        if (!w)
            continue;
        if (t.property == 'T')
            w->setToolTip(s);
        else if (auto *l = qobject_cast<QLabel *>(w))
            l->setText(s);
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            g->setTitle(s);
        else if (auto *b = qobject_cast<QAbstractButton *>(w))
            b->setText(s);
    }
}

// ---------------------------------------------------------------------------
// Records

int RecordCard::recordPosition() const
{
    dao::RecordsetPtr rs = m_data1->recordset();
    try {
        if (!rs || m_recordTotal == 0 || rs->AtEOF() || rs->BOF())
            return 0;
        return RecordPosition(rs, m_recordTotal);
    } catch (const VbError &) {
        return 0;
    }
}

void RecordCard::showCounter()
{
    m_lblNumero->setText(QString::number(m_recordTotal));
    m_data1->setCaption(QString::number(recordPosition()));
}

bool RecordCard::findAdding() const
{
    return !m_cmdAdd->isEnabled();
}

bool RecordCard::addingCard() const
{
    return m_cmdUpdate->isEnabled() && !m_cmdAdd->isEnabled();
}

bool RecordCard::requiredFilled() const
{
    // A text of blanks is as empty as no text at all.
    for (QLineEdit *e : m_required)
        if (e->text().trimmed().isEmpty())
            return false;
    return true;
}

bool RecordCard::keyExists(const QString &value) const
{
    if (!CurrentDb || value.isEmpty() || m_setup.keyField.isEmpty())
        return false;
    // Bound, and compared as the key compares: without regard to case.
    dao::RecordsetPtr rs = CurrentDb->OpenRecordset(
        QStringLiteral("SELECT [%1] FROM [%2] WHERE [%1] = ?").arg(m_setup.keyField, m_setup.recordSource),
        dao::dbOpenSnapshot, 0, {value});
    const bool found = rs->RecordCount() > 0;
    rs->Close();
    return found;
}

void RecordCard::checkKeyOnLeave()
{
    if (!m_addMode || !m_keyEdit)
        return;
    // Called as the key field loses the focus: the name is refused now, and
    // told once the focus change has finished.
    try {
        if (keyExists(m_keyEdit->text())) {
            m_keyEdit->clear();
            const QString text = GetLangString(m_setup.duplicateKey);
            m_teller->tell([text]() { MsgBox(text, Vb::Exclamation); });
        }
    } catch (const VbError &e) {
        m_teller->tell([e]() { ShowDataError(e); });
    }
}

void RecordCard::setAddState(bool adding)
{
    m_addMode = adding;
    onAddStateChanged(adding);
}

void RecordCard::Data1_Reposition()
{
    dao::RecordsetPtr rs = m_data1->recordset();
    bool onRow = false;
    try {
        onRow = rs && !rs->AtEOF() && !rs->BOF();
    } catch (const VbError &) {
    }
    setAddState(false);
    m_cmdAdd->setEnabled(true);
    m_cmdDelete->setEnabled(onRow);
    m_cmdUpdate->setEnabled(false);
    if (m_cmdModify)
        m_cmdModify->setEnabled(true);
    showCounter();
    onReposition(onRow);
}

void RecordCard::cmdAdd_Click()
{
    try {
        m_data1->AddNew();
        setAddState(true);
        if (m_keyEdit)
            m_keyEdit->setFocus();
        m_cmdUpdate->setEnabled(true);
        m_cmdDelete->setEnabled(false);
        if (m_cmdModify)
            m_cmdModify->setEnabled(false);
        m_cmdAdd->setEnabled(false);
        m_data1->setEnabled(false);
        m_data1->setCaption(QString::number(m_recordTotal + 1));
        m_lblNumero->setText(QString::number(m_recordTotal + 1));
    } catch (const VbError &e) {
        ShowDataError(e);
        m_data1->setEnabled(true);
        m_data1->Refresh();
    }
}

void RecordCard::cmdUpdate_Click()
{
    if (!m_addMode)
        return;
    // A name refused as the click took the focus from it is told first; the
    // card stays to be corrected.
    if (m_teller->busy()) {
        m_teller->showWaiting();
        return;
    }
    if (!checkBeforeConfirm())
        return;
    if (!requiredFilled()) {
        MsgBox(GetLangString(m_setup.emptyOnAdd), Vb::Information);
        return;
    }
    // The key check also runs here: the focus may never have left the key field.
    try {
        if (m_keyEdit && keyExists(m_keyEdit->text())) {
            m_keyEdit->clear();
            MsgBox(GetLangString(m_setup.duplicateKey), Vb::Exclamation);
            m_keyEdit->setFocus();
            return;
        }
        beforeSave(true);
        m_data1->UpdateRecord();
    } catch (const VbError &e) {
        // Nothing saved: the new card stays on screen to be corrected.
        ShowDataError(e);
        return;
    }
    ++m_recordTotal;
    setAddState(false);
    m_cmdUpdate->setEnabled(false);
    m_data1->setEnabled(true);
    try {
        dao::RecordsetPtr rs = m_data1->recordset();
        rs->SetBookmark(rs->LastModified());   // raises the reposition
    } catch (const VbError &e) {
        ShowDataError(e);
    }
    m_cmdDelete->setEnabled(true);
    if (m_cmdModify)
        m_cmdModify->setEnabled(true);
    m_cmdAdd->setEnabled(true);
}

void RecordCard::cmdModify_Click()
{
    try {
        dao::RecordsetPtr rs = m_data1->recordset();
        if (!rs || rs->AtEOF() || rs->BOF())
            return;
        if (!requiredFilled()) {
            MsgBox(GetLangString(m_setup.emptyOnModify), Vb::Information);
            return;
        }
        beforeSave(false);
        m_data1->UpdateRecord();
        rs->SetBookmark(rs->LastModified());
    } catch (const VbError &e) {
        ShowDataError(e);
    }
}

QString RecordCard::deleteQuestion() const
{
    return FormatLangString(GetLangString(m_setup.deleteQuestion), {m_keyEdit ? m_keyEdit->text() : QString()});
}

void RecordCard::cmdDelete_Click()
{
    dao::RecordsetPtr rs = m_data1->recordset();
    try {
        if (!rs || rs->AtEOF() || rs->BOF()) {
            m_cmdDelete->setEnabled(false);
            return;
        }
    } catch (const VbError &) {
        return;
    }
    if (MsgBox(deleteQuestion(), Vb::OKCancel + Vb::Question + Vb::DefaultButton2) != Vb::OK)
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

void RecordCard::cmdRefresh_Click()
{
    m_data1->setEnabled(true);
    m_data1->Refresh();
}

void RecordCard::cmdClose_Click() { close(); }

// ---------------------------------------------------------------------------
// Keys

bool RecordCard::Form_KeyDown(int key)
{
    if (m_recordTotal <= 1 || m_addMode)
        return false;
    const int p = recordPosition();
    bool held = false;
    auto go = [this, &held](void (data::DataControl::*move)()) {
        m_cmdClose->setFocus();   // ends the field's editing (and its checks) first
        // What is typed on the card's panels is settled first: a refusal keeps
        // the card, which tells it, and the key goes no further, so that it
        // does not move the control the user is sent back to correct. (The
        // move asks again and finds nothing left to settle.)
        if (!m_data1->mayLeave()) {
            held = true;
            return;
        }
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
    return held;
}

bool RecordCard::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::ChildAdded) {
        // A widget created later (a cell editor) is watched as well.
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child && child->isWidgetType())
            watch(child);
        return false;
    }
    if (type == QEvent::KeyRelease) {
        m_lastKey = nullptr;   // the press it ends has been seen
        return false;
    }
    auto *w = qobject_cast<QWidget *>(watched);
    // A dialog that has the card as its parent is a window of its own.
    if (type == QEvent::KeyPress && w && (w == this || isAncestorOf(w)) && isVisible()) {
        auto *ke = static_cast<QKeyEvent *>(event);
        // A key travelling up the parents is seen once.
        if (event == m_lastKey && ke->timestamp() == m_lastKeyTime)
            return false;
        m_lastKey = event;
        m_lastKeyTime = ke->timestamp();
        const int key = ke->key();
        // The key then goes on to the control as usual, unless the card was
        // kept where it is.
        if ((key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_Home || key == Qt::Key_End)
            && Form_KeyDown(key))
            return true;
        return previewKey(w, ke);
    }
    if (type == QEvent::FocusOut && watched == m_keyEdit)
        checkKeyOnLeave();
    return false;
}
