#pragma once
// Registers the windows of the athletes subsystem with the window registry:
// the athlete card, the two time cards, the athlete lists and their date
// filter, the ranking and the summary, and the tools that serve the data
// windows of the whole program (the find dialog, the states list and the
// icon picker of the sample grids).
void RegisterAthletesWindows();
