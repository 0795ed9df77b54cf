// The compaction, repair and conversion windows, the password prompt and the
// browser's address bar in the five languages: each caption fits its control
// and no two controls overlap. With VETTARO_SHOT_DIR set the windows are also
// saved there as pictures.
#include "TestSupport.h"
#include "LayoutChecks.h"

#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/LangClient.h"
#include "platform/com/ComRegistry.h"
#include "tools/frmBrowser.h"
#include "tools/frmCompact.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

using TestSupport::ExpectFits;
using TestSupport::Shot;

// A page view that shows nothing: the layout is the window's own.
class BlankPane : public WebPane {
public:
    using WebPane::WebPane;
    void navigate(const QUrl &) override {}
    void goBack() override {}
    void goForward() override {}
    void reload() override {}
    void stop() override {}
    bool busy() const override { return false; }
    QString locationName() const override { return QString(); }
    QString locationUrl() const override { return QString(); }
};

class ToolsLayout : public ::testing::TestWithParam<const char *> {
protected:
    static void SetUpTestSuite()
    {
        Com::SetMachineRegistryFile(QDir(TestSupport::BinDir()).filePath(QStringLiteral("com-registry.ini")));
        LoadLanguages(TestSupport::BinDir());
    }
    static void TearDownTestSuite()
    {
        ResetLanguages();
        Com::SetMachineRegistryFile(QString());
    }
    void SetUp() override
    {
        const QString lang = QLatin1String(GetParam());
        ASSERT_EQ(SelectLanguage(lang, QStringLiteral("1033")), lang);
        ASSERT_TRUE(m_dir.isValid());
        cmDlg1.FileName = QDir(m_dir.path()).filePath(QStringLiteral("Club ciclistico 2026.mdb"));
        QFile f(cmDlg1.FileName);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    void TearDown() override
    {
        cmDlg1.FileName.clear();
        SelectLanguage(QStringLiteral("1033"), QStringLiteral("1033"));
    }
    void Check(QWidget &w, const QString &tag)
    {
        w.show();
        QApplication::processEvents();
        const QString where = tag + QLatin1Char('-') + QLatin1String(GetParam());
        ExpectFits(&w, where);
        Shot(&w, where);
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST_P(ToolsLayout, MaintenanceWindowsFitReadyAndAtWork)
{
    frmCompact compact;
    frmRepair repair;
    frmConvert convert;
    const struct {
        MaintenanceForm *form;
        const char *tag;
        int workText;
    } forms[] = {{&compact, "compact", 4500}, {&repair, "repair", 22500}, {&convert, "convert", 5500}};
    for (const auto &f : forms) {
        Check(*f.form, QLatin1String(f.tag));
        f.form->Label1->setFrameStyle(QFrame::Box | QFrame::Plain);
        f.form->Label1->setText(GetLangString(f.workText));
        Check(*f.form, QLatin1String(f.tag) + QStringLiteral("-work"));
        f.form->hide();
    }
}

TEST_P(ToolsLayout, PasswordPromptFitsEvenALongFileName)
{
    for (const QString &title : {FileTitle(cmDlg1.FileName),
                                QStringLiteral("Archivio storico delle salite del gruppo sportivo dilettantistico "
                                               "Pedale Valtellinese dal 1998 al 2026 copia di sicurezza")}) {
        frmPassword prompt;
        prompt.setWindowTitle(GetLangString(4509));
        prompt.Label1->setText(GetLangString(4510) + QLatin1Char(' ') + title);
        prompt.Text1->setText(QStringLiteral("secret"));
        prompt.adjustSize();
        Check(prompt, title.size() > 40 ? QStringLiteral("password-long") : QStringLiteral("password"));
        EXPECT_LE(prompt.width(), 640) << "the prompt stays narrower than a small screen";
    }
}

TEST_P(ToolsLayout, BrowserAddressBarFits)
{
    const WebPaneFactory previous = frmBrowser::SetWebPaneFactory([](QWidget *parent) { return new BlankPane(parent); });
    {
        frmBrowser browser;
        browser.resize(browser.sizeHint());
        Check(browser, QStringLiteral("browser"));
        EXPECT_GE(browser.cboAddress->width(), browser.width() / 2);
    }
    frmBrowser::SetWebPaneFactory(previous);
}

INSTANTIATE_TEST_SUITE_P(Languages, ToolsLayout, ::testing::Values("1033", "1040", "3082", "1031", "1036"),
                         [](const auto &info) { return std::string(info.param); });
