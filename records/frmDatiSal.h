#pragma once
// The climbs window: cards of the table "Dati Salite" with their altitude
// samples, the climb figures and the climbing simulator.
#include "records/CardWindow.h"
#include "records/ClimbFigures.h"

class frmDatiSal : public CardWindow {
    Q_OBJECT
public:
    explicit frmDatiSal(QWidget *parent = nullptr);
    ~frmDatiSal() override;

    // The figure colours (red in the low byte; a value with the high bit set
    // names a system colour).
    qint64 GapColor() const { return m_gapColor; }
    qint64 SlopeColor() const { return m_slopeColor; }
    qint64 DiffColor() const { return m_diffColor; }

public slots:
    void UpdateDislivello();
    void UpdatePendenza();
    void UpdateDifficolta();
    void FigureColor_DblClick(int figure);   // 0 Label12, 1 Label6, 2 Label10

protected:
    void loadSteps() override;
    void afterCount() override;
    void saveSettings() override;
    void onReposition(bool onRow) override;
    void completeLegend(ProfileHandoff::Legend &legend) const override;
    void completePrint(CardPrint::CardData &card) const override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showFigure(QLabel *label, ClimbFigures::Figure (*compute)(const ClimbFigures::CardTexts &, const QLocale &));

    QLabel *m_figure[3] = {nullptr, nullptr, nullptr};   // Label12, Label6, Label10
    qint64 m_gapColor = 0, m_slopeColor = 0, m_diffColor = 0;
};
