#pragma once
// The program-wide state the main window sets up as it starts and clears as
// it ends: the program's folder and name, the user's folders, the language
// chosen, the program's own font. Each step stands alone, so start-up can
// skip one that fails and go on.

// AppPath (the program's folder, unless already set) and the user's special
// folders below it.
void InitProgramFolders();
// AppName (the program file's name, unless already set) and the title of the
// program's message boxes.
void InitProgramName();
// Selects the language stored under "Settings"/"Language" (English when none
// is stored or it is not installed) and stores the choice back.
void ChooseStoredLanguage();
// Adds the LCD font for this run, from memory: no font file is written where
// other users could put a file or a link of their own in its place. Returns
// its id, -1 when it could not be added.
int AddProgramFont();
void RemoveProgramFont(int id);
// Forgets the user's special folders (the program's end).
void ClearProgramFolders();
