#pragma once
// Registers the recording window with the main window's registry.
void RegisterRecordingsWindows();
