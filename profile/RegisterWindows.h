#pragma once
// Registers the profile windows (frmAltimetria, and the settings dialog once
// it is built) with the window registry.
void RegisterProfileWindows();
