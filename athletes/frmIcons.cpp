#include "athletes/frmIcons.h"

#include "athletes/logic/FindSearch.h"
#include "core/DataGlobals.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/ProfileGlobals.h"
#include "platform/settings/Settings.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPixmap>
#include <QVBoxLayout>

namespace {
constexpr int TwipsPerPixel = StoredPlace::TwipsPerPixel;
const QString Section = QStringLiteral("frmIcons");
}

frmIcons::frmIcons(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmIcons"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(m_list);
    setFixedSize(200, 260);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this]() { pickSelected(); });
    m_list->installEventFilter(this);
    Form_Load();
}

frmIcons::~frmIcons()
{
    Form_Unload();
}

void frmIcons::UpdateControls()
{
    setWindowTitle(GetLangString(16000));
}

void frmIcons::Form_Load()
{
    UpdateControls();
    // A stored position outside 16 bits, or not a whole number, leaves that
    // coordinate where the window opens.
    const auto left = FindSearch::StoredPosition(GetSetting(AppName, Section, QStringLiteral("Left")), true);
    const auto top = FindSearch::StoredPosition(GetSetting(AppName, Section, QStringLiteral("Top")), true);
    m_place.load(this, left, top);

    m_list->setIconSize(QSize(ImageList2.ImageWidth(), ImageList2.ImageHeight()));
    for (const ImageList::Item &item : ImageList2.Items())
        new QListWidgetItem(QIcon(QPixmap::fromImage(item.picture)), item.key, m_list);
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
}

void frmIcons::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    SaveSetting(AppName, Section, QStringLiteral("Left"), QString::number(x() * TwipsPerPixel));
    SaveSetting(AppName, Section, QStringLiteral("Top"), QString::number(y() * TwipsPerPixel));
}

void frmIcons::pickSelected()
{
    QListWidgetItem *item = m_list->currentItem();
    if (!item)
        return;   // an empty list: nothing to pick, the picker stays open
    IconKey = item->text();
    accept();
}

void frmIcons::clearIcon()
{
    IconKey.clear();
    accept();
}

bool frmIcons::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            pickSelected();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            clearIcon();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmIcons::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        clearIcon();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;   // only the list picks
    QDialog::keyPressEvent(event);
}

void frmIcons::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_place.shown(this);
}

void frmIcons::done(int r)
{
    Form_Unload();
    QDialog::done(r);
}
