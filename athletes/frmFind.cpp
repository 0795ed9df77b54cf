#include "athletes/frmFind.h"

#include "athletes/logic/FindSearch.h"
#include "core/DbFile.h"
#include "core/FindTarget.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/WindowRegistry.h"
#include "platform/data/DataControl.h"
#include "platform/error/VbError.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Prompt.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr int TwipsPerPixel = StoredPlace::TwipsPerPixel;
const QString Section = QStringLiteral("Settings");
}

frmFind::frmFind(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmFind"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *grid = new QGridLayout(this);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo2 = new QComboBox(this);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->addItems(FindSearch::ModeItems());
    Command1 = new QPushButton(this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command3 = new QPushButton(this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Text1->setMinimumWidth(220);
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(Text1, 0, 1);
    grid->addWidget(Command1, 0, 2);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(Combo1, 1, 1);
    grid->addWidget(Command2, 1, 2);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(Combo2, 2, 1);
    grid->addWidget(Command3, 2, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(Text1, Combo1);
    setTabOrder(Combo1, Combo2);
    setTabOrder(Combo2, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    connect(Command1, &QPushButton::clicked, this, &frmFind::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmFind::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmFind::Command3_Click);
    Text1->installEventFilter(this);
    Form_Load();
    Text1->setFocus();
}

frmFind::~frmFind()
{
    Form_Unload();
}

void frmFind::UpdateControls()
{
    setWindowTitle(GetLangString(10000));
    Command3->setText(GetLangString(10001));
    Command2->setText(GetLangString(10002));
    Combo2->setToolTip(GetLangString(10003));
    Combo1->setToolTip(GetLangString(10004));
    Command1->setText(GetLangString(10005));
    Text1->setToolTip(GetLangString(10006));
    Label3->setText(GetLangString(10007));
    Label2->setText(GetLangString(10008));
    Label1->setText(GetLangString(10009));
}

void frmFind::Form_Load()
{
    UpdateControls();
    const auto left = FindSearch::StoredPosition(GetSetting(AppName, Section, QStringLiteral("frmFindleft"), QStringLiteral("225")), true);
    const auto top = FindSearch::StoredPosition(GetSetting(AppName, Section, QStringLiteral("frmFindtop"), QStringLiteral("2025")), true);
    m_place.load(this, left, top);

    const auto served = FindSearch::ServedWindow(DataFormName);
    QWidget *window = served ? WindowRegistry::Find(DataFormName) : nullptr;
    if (auto *target = window ? qobject_cast<FindTarget *>(window) : nullptr) {
        m_data = target->findDataControl();
        const bool adding = served->editGuard && target->findAdding();
        try {
            if (m_data && adding) {
                // Back to browsing, from the first record, before anything is searched.
                m_data->setEnabled(true);
                m_data->Refresh();
            }
            if (m_data && m_data->recordset()) {
                TmpObj = m_data->recordset()->Clone();
                // A clone stands on no row: the search starts from the first one.
                if (TmpObj->RecordCount() > 0)
                    TmpObj->MoveFirst();
            }
        } catch (const VbError &) {
            TmpObj.reset();
        }
        Combo1->addItems(served->fields);
        Combo1->setCurrentIndex(0);
    }
    Combo2->setCurrentIndex(FindSearch::PartOfField);
}

void frmFind::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    SaveSetting(AppName, Section, QStringLiteral("frmFindleft"), QString::number(x() * TwipsPerPixel));
    SaveSetting(AppName, Section, QStringLiteral("frmFindtop"), QString::number(y() * TwipsPerPixel));
    if (TmpObj) {
        try {
            TmpObj->Close();
        } catch (const VbError &) {
        }
        TmpObj.reset();
    }
}

void frmFind::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_place.shown(this);
}

void frmFind::done(int r)
{
    Form_Unload();
    QDialog::done(r);
}

void frmFind::Command1_Click() { find(false); }
void frmFind::Command2_Click() { find(true); }
void frmFind::Command3_Click() { close(); }

void frmFind::find(bool next)
{
    if (Combo1->currentText().isEmpty())
        return;
    if (!TmpObj || TmpObj->AtEOF()) {
        Combo1->setFocus();
        return;
    }
    QByteArray found;
    try {
        const QByteArray before = TmpObj->Bookmark();
        found = FindSearch::Search(TmpObj, Combo1->currentText(), Text1->text(), Combo2->currentIndex(), next);
        if (found.isEmpty()) {
            TmpObj->SetBookmark(before);
        } else if (m_data && m_data->recordset()) {
            // The window first settles what is typed on its record (a sample
            // row): a refusal is told there, and the window and the search
            // stay where they were.
            if (!m_data->mayLeave()) {
                TmpObj->SetBookmark(before);
                return;
            }
            m_data->recordset()->SetBookmark(found);
        }
    } catch (const VbError &e) {
        // The served window stays where it was.
        ShowDataError(e);
        return;
    }
    if (!found.isEmpty())
        return;
    const int answer = Prompts().messageBox(FormatLangString(GetLangString(10500), {QStringLiteral("\n")}),
                                            Vb::YesNo + Vb::Information, GetLangString(10501));
    if (answer == Vb::Yes)
        Text1->setFocus();
    else
        close();
}

bool frmFind::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Command2->setFocus();
            Command1_Click();
            return true;
        }
        if (key->text() == QLatin1String("\"")) {
            QApplication::beep();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmFind::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}
