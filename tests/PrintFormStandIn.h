#pragma once
// A stand-in for the print form in the window registry: it keeps the job a
// window hands it, so a test can look at what would have been printed.
#include "core/WindowInterfaces.h"

#include <QWidget>

class PrintFormStandIn : public QWidget, public PrintFormInterface {
    Q_OBJECT
    Q_INTERFACES(PrintFormInterface)
public:
    explicit PrintFormStandIn(QWidget *parent = nullptr);
    void setPrintJob(const PrintJob &j) override { job = j; }
    PrintJob job;
};
