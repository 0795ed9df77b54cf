#pragma once
// Registers the windows of the database tools (the print form among them)
// with the main window's registry.
void RegisterToolsWindows();
