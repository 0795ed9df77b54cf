#include "profile/frmGraphSettings.h"

#include "core/Globals.h"
#include "core/LangClient.h"
#include "core/WindowRegistry.h"
#include "platform/error/VbError.h"
#include "platform/ui/Prompt.h"
#include "profile/DrawingFrame.h"
#include "profile/ProfileRenderer.h"
#include "profile/frmAltimetria.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

int32_t ColourNumber(const QColor &c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

// The controls each check box enables while it is checked.
struct Enabling {
    const char *check;
    std::initializer_list<const char *> controls;
};
const Enabling EnablingTable[] = {
    {"chkHeightMode", {"frmQMax"}},
    {"chkIcon", {"frameIcon"}},
    {"chkMarkLine", {"cmdMarkLineColor", "optMarkLineWidth(0)", "optMarkLineWidth(1)"}},
    {"chkNote", {"frameNote"}},
    {"chkBmp", {"frmWall"}},
    {"chkTitle", {"lblName"}},
    {"chkLegend", {"lblLegend"}},
    {"chkPend", {"lblPend"}},
    {"chkQRif", {"cmdQRifColor", "optGlines(0)", "optGlines(1)"}},
    {"chkAlt", {"cmdRifAlt"}},
};

const char *const TabKeys[4] = {"graph", "details", "axes", "backtype"};

} // namespace

// ---------------------------------------------------------------------------
// The value-holding controls

ColorButton::ColorButton(QWidget *parent) : QPushButton(parent)
{
    setFixedSize(44, 24);
    setFocusPolicy(Qt::StrongFocus);
}

void ColorButton::SetColor(int32_t color)
{
    m_color = color;
    update();
}

void ColorButton::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    QPainter p(this);
    const QRect face = rect().adjusted(5, 5, -5, -5);
    p.fillRect(face, ColourOf(m_color));
    p.setPen(isEnabled() ? palette().color(QPalette::WindowText) : palette().color(QPalette::Mid));
    p.drawRect(face.adjusted(0, 0, -1, -1));
    if (!isEnabled())
        p.fillRect(face, QBrush(palette().color(QPalette::Window), Qt::Dense4Pattern));
}

FontSampleLabel::FontSampleLabel(QWidget *parent) : QLabel(parent)
{
    setText(QStringLiteral("Text"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setAlignment(Qt::AlignCenter);
    setFixedSize(96, 34);
    setAutoFillBackground(true);
}

void FontSampleLabel::SetValue(const GraphSettings::FontState &value)
{
    m_value = value;
    QFont f(value.name);
    // The sample only shows the look; a size no label can show keeps to a
    // readable one, while the value itself stays as it was given.
    f.setPointSizeF(qBound(4.0, double(value.size > 0 ? value.size : 8), 48.0));
    f.setBold(value.bold);
    f.setItalic(value.italic);
    f.setStrikeOut(value.strikethru);
    f.setUnderline(value.underline);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ColourOf(value.color));
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void FontSampleLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLabel::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

FillStylePreview::FillStylePreview(QWidget *parent) : QWidget(parent) { setFixedSize(48, 28); }

void FillStylePreview::SetFillStyle(int style)
{
    m_style = style;
    update();
}

void FillStylePreview::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    p.fillRect(r, Qt::white);
    if (m_style != 1)
        p.fillRect(r, QBrush(Qt::black, FillStyleBrush(m_style)));
    p.setPen(Qt::black);
    p.drawRect(r);
}

// ---------------------------------------------------------------------------
// Building

frmGraphSettings::frmGraphSettings(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGraphSettings"));
    setModal(true);
    buildControls();
    Form_Load();
}

frmAltimetria *frmGraphSettings::profileWindow() const
{
    return qobject_cast<frmAltimetria *>(WindowRegistry::Find(QStringLiteral("frmAltimetria")));
}

int frmGraphSettings::TabIndex(const QString &key) const
{
    for (int i = 0; i < m_tabs->count(); ++i)
        if (m_tabs->tabBar()->tabData(i).toString() == key)
            return i;
    return -1;
}

void frmGraphSettings::buildControls()
{
    auto reg = [this](QWidget *w, const QString &name) {
        w->setObjectName(name);
        m_controls.insert(name, w);
        return w;
    };
    auto check = [&](const char *name, QWidget *parent) {
        auto *c = new QCheckBox(parent);
        reg(c, QString::fromLatin1(name));
        connect(c, &QCheckBox::clicked, this, [this, n = QString::fromLatin1(name)] { CheckBox_Click(n); });
        return c;
    };
    auto colour = [&](const QString &name, QWidget *parent) {
        auto *b = new ColorButton(parent);
        reg(b, name);
        connect(b, &QPushButton::clicked, this, [this, name] { ColorButton_Click(name); });
        return b;
    };
    auto fontLabel = [&](const char *name, QWidget *parent) {
        auto *l = new FontSampleLabel(parent);
        reg(l, QString::fromLatin1(name));
        connect(l, &FontSampleLabel::doubleClicked, this, [this, n = QString::fromLatin1(name)] { FontLabel_DblClick(n); });
        return l;
    };
    auto label = [&](const QString &name, QWidget *parent, const QString &text = QString()) {
        auto *l = new QLabel(text, parent);
        reg(l, name);
        return l;
    };
    auto list = [&](const char *name, QWidget *parent, const QStringList &items) {
        auto *c = new QComboBox(parent);
        c->setEditable(false);
        c->addItems(items);
        c->setCurrentIndex(-1);
        reg(c, QString::fromLatin1(name));
        return c;
    };
    auto frame = [&](const char *name, QWidget *parent) {
        auto *f = new QFrame(parent);
        f->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        reg(f, QString::fromLatin1(name));
        return f;
    };
    auto group = [&](const QString &name, QWidget *parent) {
        auto *g = new QGroupBox(parent);
        reg(g, name);
        return g;
    };
    auto scroll = [&](const char *name, Qt::Orientation o, int max, QWidget *parent) {
        auto *s = new QScrollBar(o, parent);
        s->setRange(0, max);
        s->setPageStep(10);
        if (o == Qt::Horizontal)
            s->setMinimumWidth(150);
        else
            s->setMinimumHeight(110);
        reg(s, QString::fromLatin1(name));
        return s;
    };
    // An option pair: elements 0 and 1 in one exclusive group. Element 1 is
    // selected on creation in the pairs whose load only ever touches element 0.
    auto pair = [&](const char *name, QWidget *parent, const QString &text0, const QString &text1, int selected,
                    void (frmGraphSettings::*handler)(int)) {
        auto *g = new QButtonGroup(this);
        g->setObjectName(QString::fromLatin1(name));
        for (int i = 0; i < 2; ++i) {
            auto *b = new QRadioButton(i == 0 ? text0 : text1, parent);
            reg(b, QStringLiteral("%1(%2)").arg(QString::fromLatin1(name)).arg(i));
            g->addButton(b, i);
        }
        g->button(selected)->setChecked(true);
        if (handler)
            connect(g, &QButtonGroup::idClicked, this, handler);
        return g;
    };
    auto at = [&](const char *name, int i) { return Control(QStringLiteral("%1(%2)").arg(QString::fromLatin1(name)).arg(i)); };

    auto *outer = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    reg(m_tabs, QStringLiteral("TabStrip1"));
    outer->addWidget(m_tabs, 1);
    QWidget *pages[4];
    for (int i = 0; i < 4; ++i) {
        pages[i] = reg(new QWidget, QStringLiteral("Frame1(%1)").arg(i));
        m_tabs->addTab(pages[i], QString());
        m_tabs->tabBar()->setTabData(i, QString::fromLatin1(TabKeys[i]));
    }
    connect(m_tabs, &QTabWidget::currentChanged, this, &frmGraphSettings::TabStrip1_Click);

    // --- Tab "graph"
    {
        auto *pageLayout = new QVBoxLayout(pages[0]);
        QWidget *pic = reg(new QWidget(pages[0]), QStringLiteral("Picture3"));
        pageLayout->addWidget(pic);
        auto *v = new QVBoxLayout(pic);
        v->setContentsMargins(0, 0, 0, 0);

        auto *top = new QHBoxLayout;
        top->addWidget(check("chkHeightMode", pic));
        QFrame *qmax = frame("frmQMax", pic);
        auto *ql = new QHBoxLayout(qmax);
        ql->setContentsMargins(4, 2, 4, 2);
        ql->addWidget(list("cmbQMax", qmax, GraphSettings::QMaxItems()));
        top->addWidget(qmax);
        top->addSpacing(16);
        top->addWidget(check("chkIcon", pic));
        QFrame *icon = frame("frameIcon", pic);
        auto *il = new QHBoxLayout(icon);
        il->setContentsMargins(4, 2, 4, 2);
        pair("optIcon", icon, QStringLiteral("16x16"), QStringLiteral("32x32"), 1, nullptr);
        il->addWidget(at("optIcon", 0));
        il->addWidget(at("optIcon", 1));
        top->addWidget(icon);
        top->addStretch(1);
        v->addLayout(top);

        auto *kind = new QHBoxLayout;
        pair("optGraph", pic, QString(), QString(), 0, &frmGraphSettings::optGraph_Click);
        kind->addWidget(at("optGraph", 0));
        kind->addWidget(at("optGraph", 1));
        kind->addStretch(1);
        v->addLayout(kind);

        QFrame *adv = frame("frmAdvance", pic);
        auto *ag = new QGridLayout(adv);
        ag->addWidget(label(QStringLiteral("Label1"), adv), 0, 0);
        auto *fill = list("cmbFillmode", adv, GraphSettings::FillModeItems());
        connect(fill, &QComboBox::currentIndexChanged, this, &frmGraphSettings::cmbFillmode_Click);
        ag->addWidget(fill, 0, 1, 1, 2);
        ag->addWidget(reg(new FillStylePreview(adv), QStringLiteral("shpFillStyle")), 0, 3);
        ag->addWidget(check("chkMarkLine", adv), 1, 0);
        ag->addWidget(colour(QStringLiteral("cmdMarkLineColor"), adv), 1, 1);
        pair("optMarkLineWidth", adv, QString(), QString(), 1, nullptr);
        ag->addWidget(at("optMarkLineWidth", 0), 1, 2);
        ag->addWidget(at("optMarkLineWidth", 1), 1, 3);
        ag->setColumnStretch(4, 1);
        v->addWidget(adv);

        QGroupBox *pend = group(QStringLiteral("framePend"), pic);
        auto *pg = new QGridLayout(pend);
        for (int i = 0; i < 4; ++i) {
            pg->addWidget(colour(QStringLiteral("cmdGraphColor(%1)").arg(i), pend), i / 2, (i % 2) * 2);
            QLabel *l = label(QStringLiteral("Label2(%1)").arg(i), pend);
            if (i == 1)
                l->setText(QStringLiteral("4% - 7%"));
            else if (i == 2)
                l->setText(QStringLiteral("7% - 10%"));
            pg->addWidget(l, i / 2, (i % 2) * 2 + 1);
        }
        pg->setColumnStretch(1, 1);
        pg->setColumnStretch(3, 1);
        v->addWidget(pend);

        auto *notes = new QHBoxLayout;
        notes->addWidget(check("chkNote", pic));
        QFrame *note = frame("frameNote", pic);
        auto *nl = new QHBoxLayout(note);
        nl->setContentsMargins(4, 2, 4, 2);
        pair("optNote", note, QString(), QString(), 0, &frmGraphSettings::optNote_Click);
        nl->addWidget(at("optNote", 0));
        nl->addWidget(at("optNote", 1));
        nl->addWidget(colour(QStringLiteral("cmdFlagColor"), note));
        nl->addWidget(fontLabel("lblNote", note));
        notes->addWidget(note);
        notes->addStretch(1);
        v->addLayout(notes);
        v->addStretch(1);
    }

    // --- Tab "details"
    {
        QWidget *page = pages[1];
        auto *g = new QGridLayout(page);
        g->addWidget(label(QStringLiteral("Label3(6)"), page), 0, 0);
        g->addWidget(list("cmbQInt", page, GraphSettings::QIntItems()), 0, 1, Qt::AlignLeft);
        int row = 1;
        for (auto [chk, lbl] : {std::pair{"chkTitle", "lblName"}, std::pair{"chkLegend", "lblLegend"},
                                std::pair{"chkPend", "lblPend"}}) {
            g->addWidget(check(chk, page), row, 0);
            g->addWidget(fontLabel(lbl, page), row, 1, Qt::AlignLeft);
            ++row;
        }
        g->addWidget(check("chkQRif", page), row, 0);
        auto *lines = new QHBoxLayout;
        pair("optGlines", page, QString(), QString(), 1, nullptr);
        lines->addWidget(at("optGlines", 0));
        lines->addWidget(at("optGlines", 1));
        lines->addWidget(colour(QStringLiteral("cmdQRifColor"), page));
        lines->addStretch(1);
        g->addLayout(lines, row++, 1);
        g->addWidget(check("chkAlt", page), row, 0);
        g->addWidget(colour(QStringLiteral("cmdRifAlt"), page), row++, 1, Qt::AlignLeft);
        g->setColumnStretch(1, 1);
        g->setRowStretch(row, 1);
    }

    // --- Tab "axes"
    {
        auto *pageLayout = new QVBoxLayout(pages[2]);
        QWidget *pic = reg(new QWidget(pages[2]), QStringLiteral("Picture1"));
        pageLayout->addWidget(pic);
        auto *v = new QVBoxLayout(pic);
        v->setContentsMargins(0, 0, 0, 0);
        auto *bars = new QHBoxLayout;
        // Frame2(1): the axial ratio; Frame2(0): the axes origin.
        struct Bars { int frame; const char *h, *v; int hMax, vMax; int hLabel, vLabel; };
        for (const Bars &b : {Bars{1, "scrollX", "scrollY", GraphSettings::ScrollXMax, GraphSettings::ScrollYMax, 4, 5},
                              Bars{0, "scrollCX", "scrollCY", GraphSettings::ScrollCXMax, GraphSettings::ScrollCYMax, 2, 3}}) {
            QGroupBox *f = group(QStringLiteral("Frame2(%1)").arg(b.frame), pic);
            auto *fg = new QGridLayout(f);
            fg->addWidget(label(QStringLiteral("Label3(%1)").arg(b.vLabel), f, QStringLiteral("Y")), 0, 0, Qt::AlignCenter);
            fg->addWidget(scroll(b.v, Qt::Vertical, b.vMax, f), 1, 0, Qt::AlignHCenter);
            fg->addWidget(scroll(b.h, Qt::Horizontal, b.hMax, f), 2, 1);
            fg->addWidget(label(QStringLiteral("Label3(%1)").arg(b.hLabel), f, QStringLiteral("X")), 2, 2);
            fg->setColumnStretch(1, 1);
            bars->addWidget(f);
        }
        v->addLayout(bars);

        auto *g = new QGridLayout;
        g->addWidget(label(QStringLiteral("Label3(10)"), pic), 0, 0);
        g->addWidget(colour(QStringLiteral("cmdYColor"), pic), 0, 1, Qt::AlignLeft);
        g->addWidget(label(QStringLiteral("Label3(7)"), pic), 1, 0);
        auto *tac = new QHBoxLayout;
        tac->addWidget(label(QStringLiteral("Label3(8)"), pic, QStringLiteral("1) - ")));
        tac->addWidget(colour(QStringLiteral("cmdTacColor(0)"), pic));
        tac->addSpacing(12);
        tac->addWidget(label(QStringLiteral("Label3(9)"), pic, QStringLiteral("2) - ")));
        tac->addWidget(colour(QStringLiteral("cmdTacColor(1)"), pic));
        tac->addStretch(1);
        g->addLayout(tac, 1, 1);
        g->addWidget(label(QStringLiteral("Label3(1)"), pic), 2, 0);
        g->addWidget(list("cmbTacInt", pic, GraphSettings::TacIntItems()), 2, 1, Qt::AlignLeft);
        g->addWidget(label(QStringLiteral("Label3(11)"), pic), 3, 0);
        g->addWidget(fontLabel("lblAy", pic), 3, 1, Qt::AlignLeft);
        g->addWidget(label(QStringLiteral("Label3(0)"), pic), 4, 0);
        g->addWidget(fontLabel("lblAx", pic), 4, 1, Qt::AlignLeft);
        g->setColumnStretch(1, 1);
        v->addLayout(g);
        v->addStretch(1);
    }

    // --- Tab "backtype"
    {
        auto *pageLayout = new QVBoxLayout(pages[3]);
        QWidget *pic = reg(new QWidget(pages[3]), QStringLiteral("Picture2"));
        pageLayout->addWidget(pic);
        auto *v = new QVBoxLayout(pic);
        v->setContentsMargins(0, 0, 0, 0);

        QGroupBox *svg = group(QStringLiteral("Frame3"), pic);
        auto *sg = new QHBoxLayout(svg);
        sg->addWidget(label(QStringLiteral("Label2(8)"), svg));
        sg->addWidget(colour(QStringLiteral("cmdSVGColor1(0)"), svg));
        sg->addSpacing(16);
        sg->addWidget(label(QStringLiteral("Label2(7)"), svg));
        sg->addWidget(colour(QStringLiteral("cmdSVGColor1(1)"), svg));
        sg->addStretch(1);
        v->addWidget(svg);

        v->addWidget(check("chkBmp", pic));
        QFrame *wall = frame("frmWall", pic);
        auto *wg = new QGridLayout(wall);
        pair("optWall", wall, QString(), QString(), 1, &frmGraphSettings::optWall_Click);
        wg->addWidget(at("optWall", 0), 0, 0);
        auto *grad = new QHBoxLayout;
        grad->addWidget(label(QStringLiteral("Label2(5)"), wall));
        grad->addWidget(colour(QStringLiteral("cmdGColor1(0)"), wall));
        grad->addSpacing(12);
        grad->addWidget(label(QStringLiteral("Label2(6)"), wall));
        grad->addWidget(colour(QStringLiteral("cmdGColor1(1)"), wall));
        grad->addStretch(1);
        wg->addLayout(grad, 0, 1);
        wg->addWidget(at("optWall", 1), 1, 0);
        auto *pic2 = new QHBoxLayout;
        auto *pick = new QPushButton(QStringLiteral("..."), wall);
        pick->setFixedWidth(32);
        reg(pick, QStringLiteral("cmdbackPic"));
        connect(pick, &QPushButton::clicked, this, &frmGraphSettings::cmdbackPic_Click);
        pic2->addWidget(pick);
        QLabel *path = label(QStringLiteral("lblBmp"), wall);
        path->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        path->setFixedWidth(300);
        path->setTextFormat(Qt::PlainText);
        pic2->addWidget(path);
        pic2->addStretch(1);
        wg->addLayout(pic2, 1, 1);
        wg->setColumnStretch(1, 1);
        v->addWidget(wall);

        auto *bkg = new QHBoxLayout;
        bkg->addWidget(label(QStringLiteral("Label2(4)"), pic));
        bkg->addWidget(colour(QStringLiteral("cmdBkgColor"), pic));
        bkg->addStretch(1);
        v->addLayout(bkg);
        v->addStretch(1);
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (const char *name : {"cmdApply", "Command2", "Command1"}) {
        auto *b = new QPushButton(this);
        reg(b, QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    connect(Get<QPushButton>(QStringLiteral("cmdApply")), &QPushButton::clicked, this, &frmGraphSettings::cmdApply_Click);
    connect(Get<QPushButton>(QStringLiteral("Command1")), &QPushButton::clicked, this, &frmGraphSettings::Command1_Click);
    connect(Get<QPushButton>(QStringLiteral("Command2")), &QPushButton::clicked, this, &frmGraphSettings::Command2_Click);
    outer->addLayout(buttons);
}

// ---------------------------------------------------------------------------
// Texts

void frmGraphSettings::UpdateControls()
{
    auto text = [this](const QString &name, int id) {
        QWidget *w = Control(name);
        const QString t = GetLangString(id);
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            b->setText(t);
        else if (auto *l = qobject_cast<QLabel *>(w))
            l->setText(t);
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            g->setTitle(t);
    };
    auto tip = [this](const QString &name, int id) { Control(name)->setToolTip(GetLangString(id)); };
    setWindowTitle(GetLangString(13000));
    text(QStringLiteral("chkHeightMode"), 13001);
    text(QStringLiteral("chkIcon"), 13002);
    text(QStringLiteral("optGraph(1)"), 13003);
    text(QStringLiteral("optGraph(0)"), 13004);
    text(QStringLiteral("chkMarkLine"), 13005);
    tip(QStringLiteral("cmdMarkLineColor"), 13006);
    text(QStringLiteral("optMarkLineWidth(0)"), 13007);
    text(QStringLiteral("optMarkLineWidth(1)"), 13008);
    text(QStringLiteral("Label1"), 13009);
    text(QStringLiteral("optNote(0)"), 13010);
    text(QStringLiteral("optNote(1)"), 13011);
    tip(QStringLiteral("cmdFlagColor"), 13012);
    tip(QStringLiteral("lblNote"), 13013);
    text(QStringLiteral("framePend"), 13014);
    text(QStringLiteral("Label2(3)"), 13015);
    text(QStringLiteral("Label2(0)"), 13016);
    text(QStringLiteral("chkNote"), 13017);
    text(QStringLiteral("Frame3"), 13018);
    text(QStringLiteral("Label2(8)"), 13019);
    text(QStringLiteral("Label2(7)"), 13020);
    text(QStringLiteral("optWall(1)"), 13021);
    text(QStringLiteral("optWall(0)"), 13022);
    text(QStringLiteral("Label2(6)"), 13023);
    text(QStringLiteral("Label2(5)"), 13024);
    text(QStringLiteral("chkBmp"), 13025);
    tip(QStringLiteral("cmdBkgColor"), 13026);
    text(QStringLiteral("Label2(4)"), 13027);
    text(QStringLiteral("chkTitle"), 13028);
    tip(QStringLiteral("chkTitle"), 13029);
    text(QStringLiteral("chkLegend"), 13030);
    tip(QStringLiteral("chkLegend"), 13031);
    text(QStringLiteral("chkPend"), 13032);
    tip(QStringLiteral("chkPend"), 13033);
    text(QStringLiteral("optGlines(1)"), 13034);
    text(QStringLiteral("optGlines(0)"), 13035);
    tip(QStringLiteral("cmdQRifColor"), 13036);
    tip(QStringLiteral("cmdRifAlt"), 13037);
    text(QStringLiteral("chkAlt"), 13038);
    tip(QStringLiteral("chkAlt"), 13039);
    text(QStringLiteral("chkQRif"), 13040);
    tip(QStringLiteral("chkQRif"), 13041);
    text(QStringLiteral("Label3(6)"), 13042);
    tip(QStringLiteral("lblName"), 13043);
    tip(QStringLiteral("lblLegend"), 13044);
    tip(QStringLiteral("lblPend"), 13045);
    text(QStringLiteral("cmdApply"), 13046);
    text(QStringLiteral("Command1"), 13047);
    text(QStringLiteral("Command2"), 13048);
    text(QStringLiteral("Frame2(1)"), 13049);
    tip(QStringLiteral("Frame2(1)"), 13050);
    text(QStringLiteral("Frame2(0)"), 13051);
    tip(QStringLiteral("Frame2(0)"), 13052);
    tip(QStringLiteral("cmdYColor"), 13053);
    tip(QStringLiteral("cmdTacColor(0)"), 13054);
    tip(QStringLiteral("cmdTacColor(1)"), 13055);
    tip(QStringLiteral("cmbTacInt"), 13056);
    text(QStringLiteral("Label3(11)"), 13057);
    tip(QStringLiteral("lblAy"), 13058);
    text(QStringLiteral("Label3(10)"), 13059);
    text(QStringLiteral("Label3(7)"), 13060);
    text(QStringLiteral("Label3(1)"), 13061);
    text(QStringLiteral("Label3(0)"), 13062);
    tip(QStringLiteral("lblAx"), 13063);
    for (int k = 0; k < 4; ++k) {
        const int i = TabIndex(QString::fromLatin1(TabKeys[k]));
        m_tabs->setTabText(i, GetLangString(13064 + 2 * k));
        m_tabs->setTabToolTip(i, GetLangString(13065 + 2 * k));
    }
}

// ---------------------------------------------------------------------------
// Loading and applying

void frmGraphSettings::Form_Load()
{
    using namespace GraphSettings;
    ProfileOptions options;
    int32_t bkg = ProfileSettings::DefaultBkgColor;
    if (frmAltimetria *w = profileWindow()) {
        options = w->Options;
        bkg = ColourNumber(w->Picture1()->BackColor());
    }
    const State s = GraphSettings::Load(options, bkg);
    auto setCheck = [this](const char *name, int value) {
        Get<QCheckBox>(QString::fromLatin1(name))->setChecked(value != 0);
        CheckBox_Click(QString::fromLatin1(name));
    };
    auto select = [this](const char *pair, int element) {
        Get<QRadioButton>(QStringLiteral("%1(%2)").arg(QString::fromLatin1(pair)).arg(element))->setChecked(true);
    };
    auto setColour = [this](const QString &name, int32_t value) { Get<ColorButton>(name)->SetColor(value); };

    UpdateControls();
    m_tabs->setCurrentIndex(0);
    TabStrip1_Click();

    Get<QScrollBar>(QStringLiteral("scrollX"))->setValue(s.scrollX);
    Get<QScrollBar>(QStringLiteral("scrollY"))->setValue(s.scrollY);
    Get<QScrollBar>(QStringLiteral("scrollCX"))->setValue(s.scrollCX);
    Get<QScrollBar>(QStringLiteral("scrollCY"))->setValue(s.scrollCY);

    setBmpPath(s.lblBmp);

    // The enabled states of the gradient and picture controls follow the
    // selected element whatever it is.
    select("optWall", s.optWall);
    optWall_Click(s.optWall);
    setCheck("chkBmp", s.chkBmp);
    setCheck("chkMarkLine", s.chkMarkLine);
    select("optMarkLineWidth", s.optMarkLineWidth);
    setCheck("chkQRif", s.chkQRif);
    select("optGlines", s.optGlines);
    setCheck("chkAlt", s.chkAlt);
    setCheck("chkLegend", s.chkLegend);
    setCheck("chkTitle", s.chkTitle);
    setCheck("chkPend", s.chkPend);
    setCheck("chkNote", s.chkNote);
    setCheck("chkIcon", s.chkIcon);
    select("optIcon", s.optIcon);
    select("optNote", s.optNote);
    optNote_Click(s.optNote);

    setColour(QStringLiteral("cmdYColor"), s.cmdYColor);
    setColour(QStringLiteral("cmdMarkLineColor"), s.cmdMarkLineColor);
    setColour(QStringLiteral("cmdQRifColor"), s.cmdQRifColor);
    setColour(QStringLiteral("cmdRifAlt"), s.cmdRifAlt);
    setColour(QStringLiteral("cmdBkgColor"), s.cmdBkgColor);
    setColour(QStringLiteral("cmdFlagColor"), s.cmdFlagColor);

    Get<QComboBox>(QStringLiteral("cmbFillmode"))->setCurrentIndex(s.cmbFillmode);
    cmbFillmode_Click();
    Get<QComboBox>(QStringLiteral("cmbTacInt"))->setCurrentIndex(s.cmbTacInt);
    Get<QComboBox>(QStringLiteral("cmbQInt"))->setCurrentIndex(s.cmbQInt);
    setCheck("chkHeightMode", s.chkHeightMode);
    Get<QComboBox>(QStringLiteral("cmbQMax"))->setCurrentIndex(s.cmbQMax);
    select("optGraph", s.optGraph);
    optGraph_Click(s.optGraph);

    Get<FontSampleLabel>(QStringLiteral("lblLegend"))->SetValue(s.lblLegend);
    Get<FontSampleLabel>(QStringLiteral("lblName"))->SetValue(s.lblName);
    Get<FontSampleLabel>(QStringLiteral("lblPend"))->SetValue(s.lblPend);
    Get<FontSampleLabel>(QStringLiteral("lblNote"))->SetValue(s.lblNote);
    Get<FontSampleLabel>(QStringLiteral("lblAx"))->SetValue(s.lblAx);
    Get<FontSampleLabel>(QStringLiteral("lblAy"))->SetValue(s.lblAy);

    for (int i = 0; i < 2; ++i) {
        setColour(QStringLiteral("cmdTacColor(%1)").arg(i), s.cmdTacColor[i]);
        setColour(QStringLiteral("cmdGColor1(%1)").arg(i), s.cmdGColor1[i]);
        setColour(QStringLiteral("cmdSVGColor1(%1)").arg(i), s.cmdSVGColor1[i]);
    }
    for (int i = 0; i < 4; ++i)
        setColour(QStringLiteral("cmdGraphColor(%1)").arg(i), s.cmdGraphColor[i]);
}

GraphSettings::State frmGraphSettings::CurrentState() const
{
    GraphSettings::State s;
    auto checked = [this](const char *name) { return Get<QCheckBox>(QString::fromLatin1(name))->isChecked() ? 1 : 0; };
    auto element = [this](const char *pair) {
        return Get<QRadioButton>(QStringLiteral("%1(0)").arg(QString::fromLatin1(pair)))->isChecked() ? 0 : 1;
    };
    auto bar = [this](const char *name) { return Get<QScrollBar>(QString::fromLatin1(name))->value(); };
    auto index = [this](const char *name) { return Get<QComboBox>(QString::fromLatin1(name))->currentIndex(); };
    auto colour = [this](const QString &name) { return Get<ColorButton>(name)->Color(); };
    auto font = [this](const char *name) { return Get<FontSampleLabel>(QString::fromLatin1(name))->Value(); };

    s.chkBmp = checked("chkBmp");
    s.chkMarkLine = checked("chkMarkLine");
    s.chkQRif = checked("chkQRif");
    s.chkAlt = checked("chkAlt");
    s.chkLegend = checked("chkLegend");
    s.chkTitle = checked("chkTitle");
    s.chkPend = checked("chkPend");
    s.chkNote = checked("chkNote");
    s.chkIcon = checked("chkIcon");
    s.chkHeightMode = checked("chkHeightMode");
    s.optWall = element("optWall");
    s.optMarkLineWidth = element("optMarkLineWidth");
    s.optGlines = element("optGlines");
    s.optIcon = element("optIcon");
    s.optNote = element("optNote");
    s.optGraph = element("optGraph");
    s.scrollX = bar("scrollX");
    s.scrollY = bar("scrollY");
    s.scrollCX = bar("scrollCX");
    s.scrollCY = bar("scrollCY");
    s.cmbFillmode = index("cmbFillmode");
    s.cmbTacInt = index("cmbTacInt");
    s.cmbQInt = index("cmbQInt");
    s.cmbQMax = index("cmbQMax");
    s.cmdYColor = colour(QStringLiteral("cmdYColor"));
    s.cmdMarkLineColor = colour(QStringLiteral("cmdMarkLineColor"));
    s.cmdQRifColor = colour(QStringLiteral("cmdQRifColor"));
    s.cmdRifAlt = colour(QStringLiteral("cmdRifAlt"));
    s.cmdFlagColor = colour(QStringLiteral("cmdFlagColor"));
    s.cmdBkgColor = colour(QStringLiteral("cmdBkgColor"));
    for (int i = 0; i < 2; ++i) {
        s.cmdTacColor[i] = colour(QStringLiteral("cmdTacColor(%1)").arg(i));
        s.cmdGColor1[i] = colour(QStringLiteral("cmdGColor1(%1)").arg(i));
        s.cmdSVGColor1[i] = colour(QStringLiteral("cmdSVGColor1(%1)").arg(i));
    }
    for (int i = 0; i < 4; ++i)
        s.cmdGraphColor[i] = colour(QStringLiteral("cmdGraphColor(%1)").arg(i));
    s.lblAy = font("lblAy");
    s.lblAx = font("lblAx");
    s.lblPend = font("lblPend");
    s.lblLegend = font("lblLegend");
    s.lblNote = font("lblNote");
    s.lblName = font("lblName");
    s.lblBmp = Get<QLabel>(QStringLiteral("lblBmp"))->text();
    return s;
}

void frmGraphSettings::cmdApply_Click()
{
    frmAltimetria *w = profileWindow();
    if (!w)
        return;
    int32_t bkg = ColourNumber(w->Picture1()->BackColor());
    GraphSettings::Apply(CurrentState(), w->Options, bkg);
    w->Picture1()->SetBackColor(ColourOf(bkg));
    w->Picture1_Resize();
}

void frmGraphSettings::Command1_Click() { reject(); }

void frmGraphSettings::Command2_Click()
{
    cmdApply_Click();
    accept();
}

// ---------------------------------------------------------------------------
// What the controls do between loading and applying

void frmGraphSettings::TabStrip1_Click()
{
    const int selected = m_tabs->currentIndex();
    for (int i = 0; i < 4; ++i)
        Control(QStringLiteral("Frame1(%1)").arg(i))->setVisible(i == selected);
}

void frmGraphSettings::CheckBox_Click(const QString &name)
{
    const bool on = Get<QCheckBox>(name)->isChecked();
    for (const Enabling &e : EnablingTable)
        if (name == QLatin1String(e.check))
            for (const char *c : e.controls)
                Control(QString::fromLatin1(c))->setEnabled(on);
}

void frmGraphSettings::optGraph_Click(int index)
{
    Control(QStringLiteral("frmAdvance"))->setEnabled(index != 0);
}

void frmGraphSettings::optNote_Click(int index)
{
    Control(QStringLiteral("cmdFlagColor"))->setEnabled(index == 0);
    Control(QStringLiteral("lblNote"))->setEnabled(index != 0);
}

void frmGraphSettings::optWall_Click(int)
{
    const bool gradient = Get<QRadioButton>(QStringLiteral("optWall(0)"))->isChecked();
    Control(QStringLiteral("cmdGColor1(0)"))->setEnabled(gradient);
    Control(QStringLiteral("cmdGColor1(1)"))->setEnabled(gradient);
    Control(QStringLiteral("lblBmp"))->setEnabled(!gradient);
    Control(QStringLiteral("cmdbackPic"))->setEnabled(!gradient);
}

void frmGraphSettings::cmbFillmode_Click()
{
    Get<FillStylePreview>(QStringLiteral("shpFillStyle"))
        ->SetFillStyle(Get<QComboBox>(QStringLiteral("cmbFillmode"))->currentIndex());
}

void frmGraphSettings::setBmpPath(const QString &path)
{
    QLabel *l = Get<QLabel>(QStringLiteral("lblBmp"));
    l->setText(path);
    // A path wider than the label can be read whole in its tooltip.
    l->setToolTip(fontMetrics().horizontalAdvance(path) > l->width() ? path : QString());
}

void frmGraphSettings::ColorButton_Click(const QString &name)
{
    ColorButton *b = Get<ColorButton>(name);
    try {
        // A second pick starts from the colour the button shows, applied or not.
        cmDlg1.Color = b->Color();
        cmDlg1.Flags = 0;
        cmDlg1.CancelError = true;
        cmDlg1.ShowColor();
        b->SetColor(cmDlg1.Color);
    } catch (const VbError &) {
        // Cancelled or failed: the button keeps its colour.
    }
}

void frmGraphSettings::FontLabel_DblClick(const QString &name)
{
    FontSampleLabel *l = Get<FontSampleLabel>(name);
    GraphSettings::FontState f = l->Value();
    cmDlg1.FontBold = f.bold;
    cmDlg1.FontItalic = f.italic;
    cmDlg1.FontName = f.name;
    cmDlg1.FontSize = f.size;
    cmDlg1.FontStrikethru = f.strikethru;
    cmDlg1.FontUnderline = f.underline;
    cmDlg1.Color = f.color;
    // Notes are drawn rotated, which needs a scalable face.
    cmDlg1.Flags = name == QLatin1String("lblNote") ? 262401 : 257;
    cmDlg1.CancelError = true;
    try {
        cmDlg1.ShowFont();
    } catch (const VbError &) {
        return;   // cancelled: the label keeps its font
    }
    f.bold = cmDlg1.FontBold;
    f.italic = cmDlg1.FontItalic;
    f.name = cmDlg1.FontName;
    f.size = float(cmDlg1.FontSize);
    f.strikethru = cmDlg1.FontStrikethru;
    f.underline = cmDlg1.FontUnderline;
    f.color = cmDlg1.Color;
    l->SetValue(f);
}

void frmGraphSettings::cmdbackPic_Click()
{
    try {
        cmDlg1.DialogTitle = GetLangString(13500);
        cmDlg1.Flags = 4100;
        cmDlg1.Filter = GetLangString(13501) + QStringLiteral("Bitmap (*.bmp;*.dib)|*.bmp;*.dib|") + GetLangString(13502)
                        + GetLangString(13503) + QStringLiteral("Metafile (*.wmf;*.emf)|*.wmf;*.emf|")
                        + GetLangString(13504) + GetLangString(13505);
        cmDlg1.FilterIndex = 1;
        cmDlg1.CancelError = true;
        cmDlg1.ShowOpen();
        setBmpPath(cmDlg1.FileName);
    } catch (const VbError &) {
        // Cancelled or failed: the path stays.
    }
}
