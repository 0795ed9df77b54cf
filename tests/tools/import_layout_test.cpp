// Every page of both import wizards in the five languages: each caption fits
// its control and no two controls of one page overlap. With VETTARO_SHOT_DIR
// set the pages are also saved there as pictures.
#include "TestSupport.h"
#include "LayoutChecks.h"

#include "core/LangClient.h"
#include "platform/com/ComRegistry.h"
#include "tools/frmImport.h"
#include "tools/frmTxtImport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>

namespace {

using TestSupport::ExpectFits;
using TestSupport::Shot;

class ImportLayout : public ::testing::TestWithParam<const char *> {
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
        ASSERT_FALSE(GetLangString(17000).startsWith(QStringLiteral("No")));
    }
    void TearDown() override { SelectLanguage(QStringLiteral("1033"), QStringLiteral("1033")); }

    // Shows each page as a user would see it, then checks and pictures it.
    template <class W, class Fill>
    void EveryPage(W &w, const QString &tag, Fill fill)
    {
        w.show();
        for (int p = 0; p < w.Pages->count(); ++p) {
            w.Pages->setCurrentIndex(p);
            fill(p);
            QApplication::processEvents();
            const QString where = tag + QStringLiteral("-%1-").arg(p) + QLatin1String(GetParam());
            EXPECT_LE(w.width(), 900) << where.toStdString();
            EXPECT_LE(w.height(), 650) << where.toStdString();
            ExpectFits(w.Pages->currentWidget(), where);
            Shot(&w, where);
        }
    }
};

} // namespace

TEST_P(ImportLayout, DatabaseWizardPagesFit)
{
    frmImport w;
    EveryPage(w, QStringLiteral("import"), [&](int page) {
        if (page == 0)
            w.txtSource->setText(QStringLiteral("/home/rider/Documents/Vettaro/climbs.mdb"));
        if (page == 2)
            w.Label1->setText(GetLangString(17513));
        if (page == 3) {
            w.List1[0]->addItems({QStringLiteral("Passo dello Stelvio"), QStringLiteral("Mortirolo")});
            w.List1[1]->addItems({QStringLiteral("Giro del lago")});
            w.Label2->setText(FormatLangString(GetLangString(17520), {QStringLiteral("2")}));
            w.Label3->setText(FormatLangString(GetLangString(17521), {QStringLiteral("1")}));
        }
    });
}

TEST_P(ImportLayout, TextWizardPagesFit)
{
    frmTxtImport w;
    EveryPage(w, QStringLiteral("txtimport"), [&](int page) {
        if (page == 0)
            w.List1->addItems({QStringLiteral("1 - stelvio.txt"), QStringLiteral("2 - gavia.txt")});
        if (page == 2)
            w.Label1->setText(GetLangString(12510));
        if (page == 3) {
            w.List2[0]->addItems({QStringLiteral("Passo dello Stelvio")});
            w.Label2->setText(FormatLangString(GetLangString(12512), {QStringLiteral("1")}));
            w.Label3->setText(FormatLangString(GetLangString(12513), {QStringLiteral("0")}));
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Languages, ImportLayout, ::testing::Values("1033", "1040", "3082", "1031", "1036"),
                         [](const auto &info) { return std::string(info.param); });
