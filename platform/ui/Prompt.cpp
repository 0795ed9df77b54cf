#include "Prompt.h"

#include "platform/error/VbError.h"
#include "platform/ui/FontPicker.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QCoreApplication>
#include <QPrinter>

namespace {

QString g_appTitle;
QPointer<QWidget> g_parent;
HelpHandler g_helpHandler;


// A modal dialog takes the keyboard from the window the user was working in.
// Whether that window is active again once the dialog closes is left to the
// window manager, and without one (a bare X server, the offscreen platform)
// it stays inactive: keys then reach no widget, and a cell editor closed in
// the inactive window does not hand the focus back to its grid, so the window
// is left without a focus widget. Each real dialog therefore activates again
// the window that was active before it and gives the focus back to the widget
// that had it. Where a window manager does the same, this changes nothing.
class KeyboardBack {
public:
    KeyboardBack() : m_window(QApplication::activeWindow()), m_focus(QApplication::focusWidget()) {}
    ~KeyboardBack()
    {
        if (!m_window || !m_window->isVisible())
            return;
        if (m_focus && m_focus->window() == m_window && m_focus->isVisible() && m_focus->isEnabled())
            m_focus->setFocus(Qt::ActiveWindowFocusReason);
        if (QApplication::activeWindow() != m_window)
            m_window->activateWindow();
    }
    KeyboardBack(const KeyboardBack &) = delete;
    KeyboardBack &operator=(const KeyboardBack &) = delete;

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_focus;
};

// The real dialogs; a message box takes its icon, buttons and default button
// from the style number.
class QtPromptProvider : public PromptProvider {
public:
    int messageBox(const QString &text, int style, const QString &title) override
    {
        const KeyboardBack keyboardBack;
        QMessageBox box(g_parent);
        box.setText(text);
        box.setWindowTitle(title.isEmpty() ? PromptAppTitle() : title);
        switch (style & 0x70) {
        case Vb::Critical: box.setIcon(QMessageBox::Critical); break;
        case Vb::Question: box.setIcon(QMessageBox::Question); break;
        case Vb::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case Vb::Information: box.setIcon(QMessageBox::Information); break;
        default: box.setIcon(QMessageBox::NoIcon); break;
        }
        struct Btn { QMessageBox::StandardButton qt; int result; };
        std::vector<Btn> buttons;
        switch (style & 0x7) {
        case Vb::OKCancel: buttons = {{QMessageBox::Ok, Vb::OK}, {QMessageBox::Cancel, Vb::Cancel}}; break;
        case Vb::AbortRetryIgnore:
            buttons = {{QMessageBox::Abort, Vb::Abort}, {QMessageBox::Retry, Vb::Retry}, {QMessageBox::Ignore, Vb::Ignore}};
            break;
        case Vb::YesNoCancel:
            buttons = {{QMessageBox::Yes, Vb::Yes}, {QMessageBox::No, Vb::No}, {QMessageBox::Cancel, Vb::Cancel}};
            break;
        case Vb::YesNo: buttons = {{QMessageBox::Yes, Vb::Yes}, {QMessageBox::No, Vb::No}}; break;
        case Vb::RetryCancel: buttons = {{QMessageBox::Retry, Vb::Retry}, {QMessageBox::Cancel, Vb::Cancel}}; break;
        default: buttons = {{QMessageBox::Ok, Vb::OK}}; break;
        }
        QMessageBox::StandardButtons set;
        for (const Btn &b : buttons)
            set |= b.qt;
        box.setStandardButtons(set);
        size_t def = 0;
        if (style & Vb::DefaultButton3)
            def = 2;
        else if (style & Vb::DefaultButton2)
            def = 1;
        if (def >= buttons.size())
            def = 0;
        box.setDefaultButton(buttons[def].qt);
        // Escape answers Cancel (or No, or the only button) as the system box does.
        for (const Btn &b : buttons)
            if (b.result == Vb::Cancel)
                box.setEscapeButton(b.qt);
        box.exec();
        const auto clicked = box.standardButton(box.clickedButton());
        for (const Btn &b : buttons)
            if (b.qt == clicked)
                return b.result;
        // Closed without a button: Cancel when offered, else the last button.
        for (const Btn &b : buttons)
            if (b.result == Vb::Cancel)
                return Vb::Cancel;
        return buttons.back().result;
    }

    std::optional<FileDialogResult> fileDialog(const FileDialogRequest &r) override
    {
        const KeyboardBack keyboardBack;
        QFileDialog dlg(g_parent, r.title);
        ConfigureFileDialog(dlg, r);
        const QStringList filters = QtNameFilters(r.filter);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return std::nullopt;
        FileDialogResult res;
        res.fileName = dlg.selectedFiles().constFirst();
        if (!r.save && (r.flags & MultiSelectFlag))
            res.fileNames = dlg.selectedFiles();
        res.filterIndex = filters.isEmpty() ? r.filterIndex : int(filters.indexOf(dlg.selectedNameFilter())) + 1;
        if (res.filterIndex < 1)
            res.filterIndex = 1;
        return res;
    }

    std::optional<QColor> colorDialog(const QColor &initial) override
    {
        const KeyboardBack keyboardBack;
        const QColor c = QColorDialog::getColor(initial, g_parent);
        if (!c.isValid())
            return std::nullopt;
        return c;
    }

    std::optional<FontDialogResult> fontDialog(const FontDialogRequest &request) override
    {
        const KeyboardBack keyboardBack;
        FontPicker dlg(request, g_parent);
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        return dlg.result();
    }

    bool printerDialog(QPrinter *printer) override
    {
        if (!printer)
            return false;
        const KeyboardBack keyboardBack;
        QPrintDialog dlg(printer, g_parent);
        UseSetupWording(dlg);
        return dlg.exec() == QDialog::Accepted;
    }

    void help(const QString &helpFile, int command, const QString &keyword) override
    {
        if (g_helpHandler)
            g_helpHandler(helpFile, command, keyword);
    }
};

std::shared_ptr<PromptProvider> &Current()
{
    static std::shared_ptr<PromptProvider> current;
    return current;
}

PromptProvider &Default()
{
    static QtPromptProvider provider;
    return provider;
}

[[noreturn]] void RaiseCancel()
{
    RaiseError(VbErr::CancelError, QStringLiteral("Cancel was selected."));
}

// The printer the printer set-up dialog works on when the caller gave none;
// it lives as long as the program.
QPrinter *SharedPrinter()
{
    static QPrinter *printer = new QPrinter(QPrinter::HighResolution);
    return printer;
}

} // namespace

void ConfigureFileDialog(QFileDialog &dlg, const FileDialogRequest &r)
{
    dlg.setWindowTitle(r.title);
    dlg.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // An open dialog that offers to create a missing file must let the user
    // name one; CommonDialog asks whether to create it.
    if (!r.save && (r.flags & MultiSelectFlag))
        dlg.setFileMode(QFileDialog::ExistingFiles);
    else
        dlg.setFileMode(r.save || (r.flags & 0x2000) ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (r.save && !(r.flags & 0x2))
        dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = QtNameFilters(r.filter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        const int idx = qBound(1, r.filterIndex, int(filters.size())) - 1;
        dlg.selectNameFilter(filters.at(idx));
    }
    // A saved name without extension is completed after the dialog, from the
    // filter chosen (CompleteSaveName), not from the default extension.
    if (!r.defaultExt.isEmpty() && !r.save)
        dlg.setDefaultSuffix(r.defaultExt);
    QString dir = r.initDir;
    QString name = r.fileName;
    if (!name.isEmpty()) {
        const QFileInfo fi(name);
        if (name.contains(QLatin1Char('/'))) {
            dir = fi.absolutePath();
            name = fi.fileName();
        }
    }
    if (!dir.isEmpty())
        dlg.setDirectory(dir);
    if (!name.isEmpty())
        dlg.selectFile(name);
}

std::optional<QFont> PromptProvider::fontDialog(const QFont &initial)
{
    FontDialogRequest request;
    request.font = initial;
    request.effects = true;
    const auto res = fontDialog(request);
    if (!res)
        return std::nullopt;
    return res->font;
}

PromptProvider &Prompts()
{
    if (Current())
        return *Current();
    return Default();
}

std::shared_ptr<PromptProvider> SetPromptProvider(std::shared_ptr<PromptProvider> provider)
{
    std::shared_ptr<PromptProvider> old = std::move(Current());
    Current() = std::move(provider);
    return old;
}

void SetPromptAppTitle(const QString &title) { g_appTitle = title; }

QString PromptAppTitle()
{
    if (!g_appTitle.isEmpty())
        return g_appTitle;
    return QCoreApplication::applicationName();
}

void SetPromptParent(QWidget *parent) { g_parent = parent; }

HelpHandler SetHelpHandler(HelpHandler handler)
{
    HelpHandler old = std::move(g_helpHandler);
    g_helpHandler = std::move(handler);
    return old;
}

int MsgBox(const QString &text, int style, const QString &title)
{
    return Prompts().messageBox(text, style, title.isEmpty() ? PromptAppTitle() : title);
}

QStringList SplitMultiSelection(const QString &fileName)
{
    const QStringList parts = fileName.split(QChar(0), Qt::SkipEmptyParts);
    if (parts.size() <= 1)
        return parts;
    QStringList paths;
    const QDir folder(parts.constFirst());
    for (qsizetype i = 1; i < parts.size(); ++i)
        paths << folder.filePath(parts.at(i));
    return paths;
}

// ---------------------------------------------------------------- CommonDialog

namespace {
FileDialogRequest MakeRequest(const CommonDialog &d, bool save)
{
    FileDialogRequest r;
    r.title = d.DialogTitle;
    r.filter = d.Filter;
    r.filterIndex = d.FilterIndex;
    r.defaultExt = d.DefaultExt;
    r.initDir = d.InitDir;
    r.fileName = d.FileName;
    r.flags = d.Flags;
    r.save = save;
    return r;
}

// The default extension goes on a name typed without one, whichever dialog
// gave it, so a scripted answer and a real one end alike.
QString WithDefaultExt(const QString &fileName, const QString &defaultExt, bool save)
{
    if (fileName.isEmpty() || defaultExt.isEmpty())
        return fileName;
    const QFileInfo fi(fileName);
    if (!fi.suffix().isEmpty())
        return fileName;
    if (!save && fi.exists())
        return fileName;
    QString ext = defaultExt;
    if (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    return fileName + QLatin1Char('.') + ext;
}

} // namespace

QString CompleteSaveName(const QString &fileName, const QString &filter, int filterIndex, const QString &defaultExt)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    const QStringList parts = filter.split(QLatin1Char('|'));
    const int patternAt = 2 * (filterIndex - 1) + 1;
    if (filterIndex >= 1 && patternAt < parts.size()) {
        const QString first = parts.at(patternAt).section(QLatin1Char(';'), 0, 0).trimmed();
        if (first.startsWith(QLatin1String("*.")) && first.size() > 2 && !first.mid(2).contains(QLatin1Char('*'))
            && !first.mid(2).contains(QLatin1Char('?')))
            return fileName + first.mid(1);
    }
    return WithDefaultExt(fileName, defaultExt, true);
}

namespace {

void RunFileDialog(CommonDialog &d, bool save)
{
    FileDialogRequest request = MakeRequest(d, save);
    std::optional<FileDialogResult> res;
    QString chosen;
    for (;;) {
        res = Prompts().fileDialog(request);
        if (!res) {
            if (d.CancelError)
                RaiseCancel();
            return;
        }
        chosen = WithDefaultExt(res->fileName, d.DefaultExt, save);
        // A name that does not exist, in a dialog that offers to create one:
        // the user confirms, or chooses again.
        if (save || !(d.Flags & 0x2000) || d.CreatePromptText.isEmpty() || QFileInfo::exists(chosen))
            break;
        QString question = d.CreatePromptText;
        question.replace(QLatin1String("%1"), chosen);
        if (MsgBox(question, Vb::YesNo + Vb::Question, request.title) == Vb::Yes)
            break;
        request.fileName = chosen;
    }
    d.FileName = save ? CompleteSaveName(res->fileName, d.Filter, res->filterIndex, d.DefaultExt) : chosen;
    d.FileTitle = QFileInfo(d.FileName).fileName();
    if (!save && (d.Flags & MultiSelectFlag) && res->fileNames.size() > 1) {
        // The folder, then the names, as the system dialog hands them over;
        // the names are taken from the folder of the first file.
        const QString folder = QFileInfo(res->fileNames.constFirst()).absolutePath();
        QStringList parts{folder};
        for (const QString &f : std::as_const(res->fileNames))
            parts << QFileInfo(f).fileName();
        d.FileName = parts.join(QChar(0));
        d.FileTitle.clear();
    }
    d.FilterIndex = res->filterIndex;
}
} // namespace

void CommonDialog::ShowOpen() { RunFileDialog(*this, false); }

void CommonDialog::ShowSave() { RunFileDialog(*this, true); }

void CommonDialog::ShowColor()
{
    const QColor initial(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
    const auto res = Prompts().colorDialog(initial);
    if (!res) {
        if (CancelError)
            RaiseCancel();
        return;
    }
    Color = res->red() | (res->green() << 8) | (res->blue() << 16);
}

void CommonDialog::ShowFont()
{
    QFont initial;
    if (!FontName.isEmpty())
        initial.setFamily(FontName);
    if (FontSize > 0)
        initial.setPointSizeF(FontSize);
    initial.setBold(FontBold);
    initial.setItalic(FontItalic);
    initial.setUnderline(FontUnderline);
    initial.setStrikeOut(FontStrikethru);
    FontDialogRequest request;
    request.font = initial;
    request.color = QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
    request.effects = request.colorOffered = (Flags & 0x100) != 0;
    request.scalableOnly = (Flags & 0x40000) != 0;
    const auto res = Prompts().fontDialog(request);
    if (!res) {
        if (CancelError)
            RaiseCancel();
        return;
    }
    // A face given by a name that is not installed comes back under that name.
    FontName = res->font.family();
    FontSize = res->font.pointSizeF();
    FontBold = res->font.bold();
    FontItalic = res->font.italic();
    if (request.effects) {
        FontUnderline = res->font.underline();
        FontStrikethru = res->font.strikeOut();
        if (res->color.isValid())
            Color = res->color.red() | (res->color.green() << 8) | (res->color.blue() << 16);
    }
}

void CommonDialog::ShowPrinter()
{
    if (!Printer)
        Printer = SharedPrinter();
    if (!Prompts().printerDialog(Printer) && CancelError)
        RaiseCancel();
}

void CommonDialog::ShowHelp() { Prompts().help(HelpFile, HelpCommand, HelpKey); }

// ------------------------------------------------------ ScriptedPromptProvider

namespace {
// The next scripted answer, or nullopt when the script has run out.
template <typename T>
std::optional<T> TakeNext(std::deque<T> &script)
{
    if (script.empty())
        return std::nullopt;
    T next = std::move(script.front());
    script.pop_front();
    return next;
}

ScriptedPromptProvider::Shown Record(const QString &kind, const QString &text = QString(), int style = 0,
                                     const QString &title = QString())
{
    ScriptedPromptProvider::Shown s;
    s.kind = kind;
    s.text = text;
    s.style = style;
    s.title = title;
    return s;
}
} // namespace

int ScriptedPromptProvider::messageBox(const QString &text, int style, const QString &title)
{
    shown.push_back(Record(QStringLiteral("msgbox"), text, style, title));
    if (const auto a = TakeNext(answers))
        return *a;
    switch (style & 0x7) {
    case Vb::AbortRetryIgnore: return Vb::Abort;
    case Vb::YesNoCancel:
    case Vb::YesNo: return Vb::Yes;
    case Vb::RetryCancel: return Vb::Retry;
    default: return Vb::OK;
    }
}

std::optional<FileDialogResult> ScriptedPromptProvider::fileDialog(const FileDialogRequest &request)
{
    Shown s = Record(request.save ? QStringLiteral("save") : QStringLiteral("open"), request.title, request.flags);
    s.request = request;
    shown.push_back(s);
    const std::optional<QString> f = TakeNext(files).value_or(std::nullopt);
    if (!f)
        return std::nullopt;
    FileDialogResult r;
    r.fileName = *f;
    if (!request.save && (request.flags & MultiSelectFlag) && f->contains(QChar(0))) {
        r.fileNames = f->split(QChar(0), Qt::SkipEmptyParts);
        r.fileName = r.fileNames.value(0);
    }
    r.filterIndex = request.filterIndex;
    if (!filterIndexes.empty()) {
        r.filterIndex = filterIndexes.front();
        filterIndexes.pop_front();
    }
    return r;
}

std::optional<QColor> ScriptedPromptProvider::colorDialog(const QColor &initial)
{
    shown.push_back(Record(QStringLiteral("color"), initial.name()));
    return TakeNext(colors).value_or(std::nullopt);
}

std::optional<FontDialogResult> ScriptedPromptProvider::fontDialog(const FontDialogRequest &request)
{
    Shown s = Record(QStringLiteral("font"), request.font.family());
    s.font = request;
    shown.push_back(s);
    return TakeNext(fonts).value_or(std::nullopt);
}

bool ScriptedPromptProvider::printerDialog(QPrinter *printer)
{
    shown.push_back(Record(QStringLiteral("printer")));
    const bool ok = TakeNext(printers).value_or(false);
    if (ok && printerChoice)
        printerChoice(printer);
    return ok;
}

void ScriptedPromptProvider::help(const QString &helpFile, int command, const QString &keyword)
{
    shown.push_back(Record(QStringLiteral("help"), keyword, command, helpFile));
}

QStringList ScriptedPromptProvider::messages() const
{
    QStringList out;
    for (const Shown &s : shown)
        if (s.kind == QLatin1String("msgbox"))
            out << s.text;
    return out;
}

// Turns "desc|*.ext|desc2|*.a;*.b" into Qt's "desc (*.ext)" filters. Most
// descriptions already end in their patterns ("Profile Files (*.txt)"); those
// are kept as they are instead of showing the patterns twice.
QStringList QtNameFilters(const QString &filter)
{
    const auto compact = [](QString t) {
        t.remove(QLatin1Char(' '));
        t.remove(QLatin1Char(';'));
        return t;
    };
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts.at(i).trimmed();
        const QString tail = QStringLiteral("(%1)").arg(
            QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' ')).simplified());
        if (compact(desc).endsWith(compact(tail), Qt::CaseInsensitive))
            out << desc;
        else
            out << desc + QLatin1Char(' ') + tail;
    }
    return out;
}

void UseSetupWording(QDialog &printDialog)
{
    for (QDialogButtonBox *box : printDialog.findChildren<QDialogButtonBox *>())
        if (QPushButton *ok = box->button(QDialogButtonBox::Ok))
            ok->setText(QCoreApplication::translate("QPlatformTheme", "OK"));
}
