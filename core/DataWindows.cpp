#include "core/DataWindows.h"

#include "core/DataGlobals.h"
#include "core/FormHelpers.h"
#include "core/LangClient.h"
#include "core/WindowInterfaces.h"
#include "core/WindowRegistry.h"
#include "platform/ui/Feedback.h"
#include "platform/ui/Prompt.h"

#include <QStringList>
#include <QWidget>

namespace {
// Windows closed by UnloadDataForms, in this order.
const QStringList DataForms = {
    QStringLiteral("frmDatiPers"), QStringLiteral("frmDatiPerc"), QStringLiteral("frmAltimetria"),
    QStringLiteral("frmDatiSal"), QStringLiteral("frmPrestAll"), QStringLiteral("frmRiepilogo"),
    QStringLiteral("frmAngolo"), QStringLiteral("frmTempiAll"), QStringLiteral("frmTempiSal"),
    QStringLiteral("frmHitGrimpeur"), QStringLiteral("frmBrowser"), QStringLiteral("frmStates"),
    QStringLiteral("frmHRate")};
}

void UnloadDataForms()
{
    for (const QString &name : DataForms)
        WindowRegistry::Unload(name);
}

bool OpenDataWindow(const DataWindowRegistration &row, const std::function<void()> &beforeShow)
{
    // The recordsets this call opened; a refusal or a failure closes them again.
    QList<dao::RecordsetPtr *> opened;
    auto closeOpened = [&opened]() {
        for (dao::RecordsetPtr *rs : opened)
            CloseRecordset(*rs);
        opened.clear();
    };
    try {
        SetStatus(GetLangString(row.statusText), true);
        bool empty = false;
        for (const DataWindowRegistration::SharedRecordset &shared : row.recordsets) {
            if (!shared.target)
                continue;
            CloseRecordset(*shared.target);
            if (!CurrentDb)
                throw VbError(91, QStringLiteral("Object variable or With block variable not set"));
            *shared.target = CurrentDb->OpenRecordset(shared.source);
            opened << shared.target;
        }
        for (const DataWindowRegistration::SharedRecordset &shared : row.recordsets)
            if (shared.target && shared.mustHaveRows && (*shared.target)->EOF_())
                empty = true;
        if (!row.keepRecordsets)
            closeOpened();
        if (empty) {
            closeOpened();
            MsgBox(GetLangString(row.refusal), Vb::Exclamation);
            return false;
        }
        // Loading runs the window's load while DataFormName still names the previous one.
        QWidget *w = WindowRegistry::Load(row.name);
        if (!w)
            return false;
        DataFormName = w->objectName();
        if (beforeShow)
            beforeShow();
        WindowRegistry::Show(row.name);
        return true;
    } catch (...) {
        closeOpened();
        ShowDataError();
        return false;
    }
}

void PrintActiveWindow(QWidget *w)
{
    if (!w)
        return;   // nothing to print
    // A card with its sample panel open prints the samples without asking.
    if (auto *card = qobject_cast<SamplePanelInterface *>(w); card && card->samplePanelShown()) {
        CallByName(w, byname::MyPrint2);
        return;
    }
    const DataWindowRegistration *data = WindowRegistry::DataWindow(w->objectName());
    if (!data || !data->printQuestion) {
        CallByName(w, byname::MyPrint);
        return;
    }
    switch (MsgBox(GetLangString(data->printQuestion), Vb::YesNoCancel + Vb::Question)) {
    case Vb::Yes:
        CallByName(w, byname::MyPrint);
        break;
    case Vb::No:
        CallByName(w, byname::MyPrint1);
        break;
    default:
        break;
    }
}

void ExportActiveWindow(QWidget *active, const char *method)
{
    const DataWindowRegistration *data = WindowRegistry::DataWindow(active ? active->objectName() : QString());
    if (data && data->exports)
        CallByName(active, method);
}
