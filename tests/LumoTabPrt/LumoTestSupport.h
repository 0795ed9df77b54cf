#pragma once
// Shared fixtures of the library's tests: row sources and command-list probes.
#include "LumoTabPrt/src/LumoTabPrt.h"
#include "LumoTabPrt/src/clsStampante.h"

#include <QImage>
#include <QLocale>
#include <QVector>

namespace lumotest {

// n climbs with a name, a length, two heights and a region.
lumo::MemorySource Climbs(int n);
// rows x cols of short texts.
lumo::MemorySource Grid(int rows, int cols, lumo::ColType type = lumo::ColType::Text);

// Records every event a job raises; may cancel at a chosen moment.
struct Recorder : lumo::JobHost {
    QVector<qint32> starts, ends;
    int cancelWorkCalls = 0;
    int cancelAtWork = -1;      // cancel on this CancelWork call (1-based)
    qint32 cancelAtPage = -1;   // cancel in NewPageStart of this page
    void NewPageStart(qint32 page, bool &cancel) override
    {
        starts << page;
        if (page == cancelAtPage)
            cancel = true;
    }
    void NewPageEnd(qint32 page, bool &) override { ends << page; }
    void CancelWork(bool &cancel) override
    {
        if (++cancelWorkCalls == cancelAtWork)
            cancel = true;
    }
};

// All records of a list.
QVector<PrintCmd> Commands(const clsStampante &list);
// Page p (0-based) drawn alone on a white image of the sheet's aspect.
QImage RenderPage(const clsStampante &list, int page, int widthPx = 600);

class LocaleScope {
public:
    explicit LocaleScope(const QLocale &l) : m_old(QLocale()) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(m_old); }

private:
    QLocale m_old;
};

}
