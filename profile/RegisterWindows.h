#pragma once
// Registers the profile window (frmAltimetria), its settings dialog
// (frmGraphSettings) and the chart window (frmGrafico) with the window registry.
void RegisterProfileWindows();
