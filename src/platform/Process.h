// What the game needs of its own process: where its program file lives.
#pragma once

#include <string>

// Folder of the running program file, with symbolic links resolved (so a
// launcher link elsewhere still finds the game's own folder). Empty when the
// system does not say.
std::string ProgramFolder();

// Makes folder the current directory; false and the reason on failure.
bool ChangeFolder(const std::string& folder, std::string& error);
