#pragma once
// The per-user folder for files the program keeps for its user alone (the
// import log): the folder VettaroConfigFolderName below the XDG runtime
// folder, or below the XDG cache folder when there is no runtime folder.
// Never the shared temporary folder, where another local user could plant a
// link or a file at the name.
#include <QString>

// Creates the folder with mode 0700 when missing. An existing one must be a
// real folder (not a link) owned by the user; a looser mode is set back to
// 0700. Returns the folder, or an empty text with *error set to the reason.
// Files go there through the writer's private mode, which checks the folder
// again on the handle it writes through, so a folder swapped after this call
// (where others can write the base folder) gets nothing.
QString UserPrivateFolder(QString *error = nullptr);
