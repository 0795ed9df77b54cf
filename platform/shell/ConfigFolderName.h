#pragma once
// The one folder, below the per-user configuration folder (XDG config home),
// that holds everything the program keeps per user: the settings files of
// each application name and the per-user class registry.
inline constexpr char VettaroConfigFolderName[] = "Vettaro";
