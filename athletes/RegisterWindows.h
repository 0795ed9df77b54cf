#pragma once
// Registers the athlete card and the two time cards with the window registry.
void RegisterAthletesWindows();
