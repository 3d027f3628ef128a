// Shell services the program calls by their Windows names.
#pragma once

#include "platform/base/WinTypes.h"

#include <functional>
#include <string>
#include <vector>

// The folders searched for a data file, in order: the program's own folder,
// the current folder, the installed data folder (KESTRIX_DATA_DIR when set;
// otherwise share/kestrix beside the program's bin folder, then the folder
// the build installs to), then the folders of PATH.
std::vector<std::string> DataSearchFolders();

// Finds a file by the data-file search order, or in the folder given as
// lpPath (when not null). With the buffer too small (or null) it returns the
// length needed including the NUL; otherwise it copies the full path and
// returns its length without the NUL. 0 when the file is not found.
DWORD SearchPathA(const char* lpPath, const char* lpFileName, const char* lpExtension, DWORD nBufferLength,
                  char* lpBuffer, char** lpFilePart);

// The folder the running program lives in.
std::string ProgramFolder();

// Opens an address in the desktop's default browser, as ShellExecuteA with
// the verb "open" does; false when no browser could be started. Tests put
// an opener of their own in place (nullptr goes back to the desktop's).
bool ShellOpenUrl(const std::string& url);
void SetUrlOpener(std::function<bool(const std::string& url)> opener);
