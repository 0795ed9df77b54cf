#pragma once
// Registers the windows of the athletes, their times, lists, ranking and
// summary, and their tools, with the window registry.
void RegisterAthletesWindows();
