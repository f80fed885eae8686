#pragma once
// Files of a recovery folder, written so that a crash or a power cut at any moment
// leaves either the old file or the new one, complete: the bytes go to a temporary
// file beside it, reach the disk (fsync), and only then replace the old file by a
// rename, which the folder's own fsync makes lasting. Plain POSIX calls; failures raise
// ERecoveryIoError with the path and the system's reason.

#include <cstdint>
#include <string>
#include <vector>

namespace DurableFile {

// Replaces folder/name by size bytes from data.
void Write(const std::string& folder, const std::string& name, const uint8_t* data, size_t size);
// Makes the last renames and removals in folder lasting.
void SyncFolder(const std::string& folder);
std::vector<uint8_t> Read(const std::string& path);
// The names in folder (no "." and ".."), in no particular order.
std::vector<std::string> List(const std::string& folder);
// Removes a file; one that is already gone is no failure.
void Remove(const std::string& path);
// Removes the files of folder, then the folder itself (it holds no subfolders).
void RemoveFolder(const std::string& folder);
// Makes folder and the missing ones above it, readable by the user alone.
void MakeFolders(const std::string& folder);
// "path: reason" for the errno value.
std::string Reason(const std::string& path, int error);

} // namespace DurableFile
