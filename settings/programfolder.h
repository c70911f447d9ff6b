// The program folder: where the settings files and the start-up URL list live.
//
// It is the folder of the executable when the program may write there (a portable copy keeps
// its settings beside itself); otherwise, as for a system-wide installation, the per-user folder
// $XDG_CONFIG_HOME/tarnwick (by default ~/.config/tarnwick), created on demand.
#pragma once

#include <filesystem>

// The program folder of this run, ending with "/". Chosen once, at the first call, so that the
// files read at start-up are written back to the same place.
std::filesystem::path ProgramFolder();

// The choice itself, for any executable folder and configuration home: `executableFolder` when
// a file can be created in it, else `configHome`/tarnwick, created when missing. Should that
// folder be impossible to create too, the executable's folder is kept, so that existing settings
// can still be read and a save reports why it failed. The result ends with "/".
std::filesystem::path ChooseProgramFolder(const std::filesystem::path& executableFolder,
                                          const std::filesystem::path& configHome);

// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config (the password database's home
// when HOME is unset).
std::filesystem::path UserConfigHome();

// Whether a file can be created in the folder, found out by creating and removing one: the
// permission bits alone do not tell (read-only mounts, or bits that do not bind the super-user).
bool IsWritableFolder(const std::filesystem::path& folder);
