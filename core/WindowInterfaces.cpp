#include "core/WindowInterfaces.h"

#include "core/WindowRegistry.h"

#include <QWidget>

void showPrintForm(const PrintJob &job)
{
    QWidget *window = WindowRegistry::Load(QStringLiteral("frmPrint"));
    if (!window)
        return;
    window->setWindowTitle(job.caption);
    if (auto *form = qobject_cast<PrintFormInterface *>(window))
        form->setPrintJob(job);
    WindowRegistry::Show(QStringLiteral("frmPrint"));
}
