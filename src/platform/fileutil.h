#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// File and folder helpers. Each failure leaves its errno value in the last-error slot
// (platform/lasterror.h) and is reported by the result, never by an exception.

// True when anything (file, folder, link) exists at the path.
bool FileExists(const std::filesystem::path& path);
bool DirectoryExists(const std::filesystem::path& path);

// Creates one folder level; the folder above must exist. False when it already exists.
bool CreateFolder(const std::filesystem::path& path);

// Creates an empty file only when nothing exists at the path: of two processes asking for the
// same name, exactly one succeeds.
bool CreateNewFile(const std::filesystem::path& path);

bool RemoveFile(const std::filesystem::path& path);

// The whole file, or none when it cannot be read or is larger than maxSize (EFBIG).
std::optional<std::string> ReadFileText(const std::filesystem::path& path, std::size_t maxSize);
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path,
                                                       std::size_t maxSize);

// Replaces the file with `data` through a temporary file in the same folder and a rename, so
// that a reader sees the old or the new content and a failed write leaves the old file intact.
// An existing file keeps its permission bits; a link is followed to the file it names.
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> data);
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view data);

// Moves a log of more than `limit` bytes aside to the same name with the extension ".old",
// replacing an earlier one. A log that cannot be read is left alone.
void RotateLog(const std::filesystem::path& log, std::uintmax_t limit);

}  // namespace platform
