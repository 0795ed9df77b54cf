#pragma once
// Registers the climbs and routes windows with the main window's registry.
void RegisterRecordsWindows();
