#pragma once
// File search by pattern, dynamic libraries and waits, called the way the plug-in code
// calls their Windows namesakes. The search lists entries in the file system's own
// order (readdir); a library given by bare name is looked for in the program folder,
// which Linux's loader would not search by itself.

#include <cstdint>
#include <string>

using HANDLE = void*;
using HMODULE = void*;
using FARPROC = void*;
using DWORD = uint32_t;

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~uintptr_t{0});

inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr int MAX_PATH = 260;

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes = 0;
    char cFileName[MAX_PATH] = {};  // name and extension, no folder
};

// pattern: a folder and a wildcard name ("/opt/sonovane/*.txf"); the name part is
// matched without regard to case, as the Windows search does. Returns
// INVALID_HANDLE_VALUE when the folder cannot be read or nothing matches.
HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);
bool FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data);
bool FindClose(HANDLE search);

// A name without a folder is loaded from the program folder. Null on failure.
HMODULE LoadLibraryA(const char* fileName);
FARPROC GetProcAddress(HMODULE module, const char* procName);
bool FreeLibrary(HMODULE module);

// Blocks the calling thread.
void Sleep(DWORD milliseconds);

// The folder LoadLibraryA resolves bare names against (default: the program folder,
// with a trailing separator). Tests may point it elsewhere; empty restores the default.
void SetLibraryFolder(const std::string& folder);
std::string LibraryFolder();
