// A child window grows to fit texts that became longer (a change of language),
// also when the longer text sits several layouts deep.
#include "core/MDIfrmBike.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVBoxLayout>

TEST(GrowToFit, CountsTextsDeepInNestedLayouts)
{
    QMdiArea area;
    area.resize(1200, 800);
    auto *form = new QWidget;
    auto *outer = new QGroupBox(QStringLiteral("Simulator"), form);
    auto *inner = new QGroupBox(QStringLiteral("Performance"), outer);
    auto *label = new QLabel(QStringLiteral("Time:"), inner);
    (new QVBoxLayout(inner))->addWidget(label);
    (new QVBoxLayout(outer))->addWidget(inner);
    (new QVBoxLayout(form))->addWidget(outer);
    QMdiSubWindow *sub = area.addSubWindow(form);
    area.show();
    sub->show();
    QApplication::processEvents();
    sub->resize(sub->sizeHint());
    QApplication::processEvents();
    const int before = sub->width();

    label->setText(QStringLiteral("Geschätzte Leistung der Strecke mit allen Angaben:"));
    MDIfrmBike::GrowToFit(form);
    const int grown = sub->width();
    QApplication::processEvents();   // every layout settled
    EXPECT_GT(grown, before);
    EXPECT_GE(grown, sub->sizeHint().width());
    EXPECT_GE(label->width(), label->sizeHint().width());

    // Shorter texts leave the window as it is.
    label->setText(QStringLiteral("Zeit:"));
    MDIfrmBike::GrowToFit(form);
    EXPECT_EQ(sub->width(), grown);
    MDIfrmBike::GrowToFit(nullptr);   // nothing to do
}
