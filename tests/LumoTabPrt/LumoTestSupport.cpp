#include "LumoTestSupport.h"

#include <QPainter>

namespace lumotest {

lumo::MemorySource Climbs(int n)
{
    using lumo::ColType;
    lumo::MemorySource s;
    s.columns = {{QStringLiteral("Nome Salita"), ColType::Text},
                 {QStringLiteral("Lunghezza"), ColType::Real},
                 {QStringLiteral("Quota Iniziale"), ColType::Integer},
                 {QStringLiteral("Quota Finale"), ColType::Integer},
                 {QStringLiteral("Regione"), ColType::Text}};
    for (int i = 0; i < n; ++i)
        s.rows.append({QStringLiteral("Salita %1").arg(i + 1), 5.0 + i * 0.25, 200 + i, 1200 + 3 * i,
                       i % 2 ? QStringLiteral("Piemonte") : QStringLiteral("Lombardia")});
    return s;
}

lumo::MemorySource Grid(int rows, int cols, lumo::ColType type)
{
    lumo::MemorySource s;
    for (int c = 0; c < cols; ++c)
        s.columns.append({QStringLiteral("C%1").arg(c), type});
    for (int r = 0; r < rows; ++r) {
        QVector<QVariant> row;
        for (int c = 0; c < cols; ++c)
            row.append(type == lumo::ColType::Text ? QVariant(QStringLiteral("r%1c%2").arg(r).arg(c))
                                                   : QVariant(r * 100 + c));
        s.rows.append(row);
    }
    return s;
}

QVector<PrintCmd> Commands(const clsStampante &list)
{
    QVector<PrintCmd> out;
    PrintCmd c;
    for (qint32 i = 0; list.GetCmd(i, c); ++i)
        out.append(c);
    return out;
}

QImage RenderPage(const clsStampante &list, int page, int widthPx)
{
    QVector<qint32> starts;
    list.GetNrPagine(starts);
    const int h = int(double(widthPx) * list.RealHeight() / qMax(1, list.RealWidth()));
    QImage img(widthPx, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    if (page < starts.size()) {
        QPainter p(&img);
        list.AttuaStampaPicture(p, starts.at(page));
    }
    return img;
}

}
