#include "LumoTabPrt/src/ppMain.h"

#include "LumoTabPrt/src/lumoTPrt.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <cmath>

namespace {
// A number as the user's locale writes it, or in the fixed "." form.
bool Numeric(const QString &text, double &value)
{
    bool ok = false;
    value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok)
        value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value);
}

QString Number(double v)
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(v, 'g', 7);
}
}

ppMain::ppMain(QList<lumoTPrt *> selection, QWidget *parent) : QDialog(parent), m_selection(std::move(selection))
{
    setObjectName(QStringLiteral("ppMain"));
    setWindowTitle(QStringLiteral("lumoTabPrt"));
    auto edit = [this](const char *name) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        connect(e, &QLineEdit::textChanged, this, &ppMain::Edited);
        return e;
    };
    auto check = [this](const char *name) {
        auto *c = new QCheckBox(QLatin1String(name).mid(3), this);
        c->setObjectName(QLatin1String(name));
        connect(c, &QCheckBox::clicked, this, &ppMain::Edited);
        return c;
    };
    txtMarginTop = edit("txtMarginTop");
    txtMarginLeft = edit("txtMarginLeft");
    txtMarginRight = edit("txtMarginRight");
    txtMarginBottom = edit("txtMarginBottom");
    txtFontName = edit("txtFontName");
    txtFontSize = edit("txtFontSize");
    chkFontBold = check("chkFontBold");
    chkFontItalic = check("chkFontItalic");
    chkBigCells = check("chkBigCells");
    chkPageNumber = check("chkPageNumber");
    txtPageNumberStart = edit("txtPageNumberStart");
    txtPageNumberText = edit("txtPageNumberText");
    chkDateOnFoot = check("chkDateOnFoot");
    txtDateText = edit("txtDateText");
    txtDateFormat = edit("txtDateFormat");
    txtFootText = edit("txtFootText");

    auto frame = [this](const QString &caption) {
        auto *g = new QGroupBox(caption, this);
        return std::make_pair(g, new QFormLayout(g));
    };
    auto [margins, marginForm] = frame(QStringLiteral("Margin [mm]"));
    marginForm->addRow(QStringLiteral("MarginTop:"), txtMarginTop);
    marginForm->addRow(QStringLiteral("MarginLeft:"), txtMarginLeft);
    marginForm->addRow(QStringLiteral("MarginRight:"), txtMarginRight);
    marginForm->addRow(QStringLiteral("MarginBottom:"), txtMarginBottom);
    auto [font, fontForm] = frame(QStringLiteral("Font"));
    fontForm->addRow(QStringLiteral("FontName:"), txtFontName);
    fontForm->addRow(QStringLiteral("FontSize:"), txtFontSize);
    fontForm->addRow(chkFontBold);
    fontForm->addRow(chkFontItalic);
    fontForm->addRow(chkBigCells);
    auto [page, pageForm] = frame(QStringLiteral("Page Number"));
    pageForm->addRow(chkPageNumber);
    pageForm->addRow(QStringLiteral("PageNumberStart:"), txtPageNumberStart);
    pageForm->addRow(QStringLiteral("PageNumberText:"), txtPageNumberText);
    auto [date, dateForm] = frame(QStringLiteral("Date on foot"));
    dateForm->addRow(chkDateOnFoot);
    dateForm->addRow(QStringLiteral("DateText:"), txtDateText);
    dateForm->addRow(QStringLiteral("DateFormat:"), txtDateFormat);
    auto *foot = new QFormLayout;
    foot->addRow(QStringLiteral("FootText:"), txtFootText);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Apply | QDialogButtonBox::Cancel, this);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this]() {
        PropertyPage_ApplyChanges();
        m_changed = false;
    });
    connect(buttons, &QDialogButtonBox::accepted, this, [this]() {
        PropertyPage_ApplyChanges();
        m_changed = false;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *grid = new QGridLayout;
    grid->addWidget(margins, 0, 0);
    grid->addWidget(font, 0, 1);
    grid->addWidget(page, 1, 0);
    grid->addWidget(date, 1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(foot);
    layout->addWidget(buttons);
    PropertyPage_SelectionChanged();
}

void ppMain::Edited()
{
    if (!m_loading)
        m_changed = true;
}

double ppMain::Val(const QString &text)
{
    static const QRegularExpression lead(QStringLiteral("^\\s*([+-]?(\\d+(\\.\\d*)?|\\.\\d+))"));
    const QRegularExpressionMatch m = lead.match(text);
    return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
}

void ppMain::PropertyPage_SelectionChanged()
{
    if (m_selection.isEmpty() || !m_selection.first())
        return;
    lumoTPrt *c = m_selection.first();
    m_loading = true;
    chkBigCells->setChecked(c->BigCells());
    chkFontItalic->setChecked(c->FontItalic());
    chkFontBold->setChecked(c->FontBold());
    txtFontSize->setText(Number(c->FontSize()));
    txtFontName->setText(c->FontName());
    txtMarginBottom->setText(Number(c->MarginBottom()));
    txtMarginRight->setText(Number(c->MarginRight()));
    txtMarginLeft->setText(Number(c->MarginLeft()));
    txtMarginTop->setText(Number(c->MarginTop()));
    txtFootText->setText(c->FootText());
    txtPageNumberStart->setText(QString::number(c->PageNumberStart()));
    txtPageNumberText->setText(c->PageNumberText());
    chkPageNumber->setChecked(c->PageNumber());
    txtDateFormat->setText(c->DateFormat());
    txtDateText->setText(c->DateText());
    chkDateOnFoot->setChecked(c->DateOnFoot());
    m_loading = false;
}

void ppMain::PropertyPage_ApplyChanges()
{
    if (m_selection.isEmpty() || !m_selection.first())
        return;
    lumoTPrt *c = m_selection.first();
    c->setBigCells(chkBigCells->isChecked());
    c->setFontItalic(chkFontItalic->isChecked());
    c->setFontBold(chkFontBold->isChecked());
    double v = 0;
    // Sizes and margins: a number in range, else the control keeps its value.
    if (Numeric(txtFontSize->text(), v) && v > 0 && v <= 1638)
        c->setFontSize(float(v));
    c->setFontName(txtFontName->text());
    if (Numeric(txtMarginBottom->text(), v) && v >= 0 && v <= 1000)
        c->setMarginBottom(float(v));
    if (Numeric(txtMarginRight->text(), v) && v >= 0 && v <= 1000)
        c->setMarginRight(float(v));
    if (Numeric(txtMarginLeft->text(), v) && v >= 0 && v <= 1000)
        c->setMarginLeft(float(v));
    if (Numeric(txtMarginTop->text(), v) && v >= 0 && v <= 1000)
        c->setMarginTop(float(v));
    c->setFootText(txtFootText->text());
    // The page start takes the leading number; one beyond 16 bits is refused.
    const double start = std::round(Val(txtPageNumberStart->text()));
    if (start >= -32768 && start <= 32767)
        c->setPageNumberStart(int(start));
    c->setPageNumberText(txtPageNumberText->text());
    c->setPageNumber(chkPageNumber->isChecked());
    c->setDateFormat(txtDateFormat->text());
    c->setDateText(txtDateText->text());
    c->setDateOnFoot(chkDateOnFoot->isChecked());
    PropertyPage_SelectionChanged();
    for (const char *name : {"DateText", "BigCells", "FontItalic", "FontBold", "FontSize", "FontName", "MarginBottom",
                             "MarginRight", "MarginLeft", "MarginTop", "FootText", "PageNumberStart",
                             "PageNumberText", "PageNumber", "DateFormat", "DateText", "DateOnFoot"})
        c->MyPropertyChanged(QLatin1String(name));
}
