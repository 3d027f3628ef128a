// The per-user registry as the program's callers use it: Windows-shaped free
// functions over the one key HKEY_CURRENT_USER. The keys and values live in
// RegistryHive, which keeps them in a text file in the user's configuration
// folder.
//
// Key paths and value names are code page 932 byte strings; the names on a path are
// separated by "\" (a trail byte 0x5C of a double-byte character does not
// separate) and matched without regard to ASCII case. A key keeps the spelling
// it was first created with.
//
// Every call that fails also sets the thread's last error (SetLastError) to
// the code it returns; a call that succeeds leaves the last error alone, so a
// caller may still read GetLastError after closing the key it failed on.
// All functions may be called from any thread.
#pragma once

#include "platform/base/WinTypes.h"

#include <functional>
#include <string>

struct RegKeyObject;
using HKEY = RegKeyObject*;

// The root of the per-user hive. It is always open; closing it does nothing.
extern HKEY const HKEY_CURRENT_USER;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;

inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key below root (an empty or null subKey opens root again).
// A missing key gives ERROR_FILE_NOT_FOUND. The access mask is not checked:
// the hive belongs to the user. *result is null after a failure.
LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, REGSAM sam, HKEY* result);

// Opens a key below root, creating it and any missing keys on its path. A new
// key is written to the hive file before the call returns; when that fails the
// key is not created and the call fails. *disposition (if given) tells
// whether the key was created or opened.
LONG RegCreateKeyExA(HKEY root, const char* subKey, DWORD reserved, const char* cls, DWORD options,
                     REGSAM sam, void* security, HKEY* result, DWORD* disposition);

// Reads a value (a null or empty name is the key's default value).
// - data null: *cbData (if given) receives the size.
// - *cbData smaller than the value: nothing is copied, *cbData receives the
//   size and the call gives ERROR_MORE_DATA.
// - otherwise the stored bytes are copied exactly and *cbData is their size.
// *type (if given) receives the stored type whenever the value exists.
LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData);

// Stores exactly the given type and bytes and writes the hive file before
// returning. When the file cannot be written the call fails and the value
// keeps what it had before.
LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData);

// Closes and frees a handle from RegOpenKeyExA or RegCreateKeyExA.
LONG RegCloseKey(HKEY key);

// How the user is told that the hive file could not be read and was moved
// aside. The message is UTF-8 (it names file paths, which need not fit code
// page 932) and is delivered once per bad file, never while the registry is
// locked, so the handler may show a modal dialog and use the registry again.
// A null handler restores the default, which prints the message as one line
// on stderr.
void SetHiveProblemHandler(std::function<void(const std::string& message)> handler);

// The hive file in use: $XDG_CONFIG_HOME/kestrix/registry.reg, or
// $HOME/.config/kestrix/registry.reg when XDG_CONFIG_HOME is unset, empty or
// not an absolute path. The environment is read at each call.
std::string HivePath();
