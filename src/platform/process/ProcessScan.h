// Whether a program is running, found the way the system lists its
// processes (/proc): a process runs the program when its executable is that
// file, or, for a script that an interpreter runs, when the script's path
// is one of its command line's arguments.
#pragma once

#include <string>

// The family 0 search compares paths without regard to case, the family 1
// search exactly; any other family finds nothing.
bool IsProcessRunning(int family, const std::string& path);
bool IsProcessRunningToolhelp(const std::string& path);
bool IsProcessRunningPsapi(const std::string& path);
