// The hand-over file "param.txt" in the data folder, through which a second start of Hoopdesk
// hands its command line to the running program. Layout: the argument count as decimal ASCII
// digits padded with 0x00 bytes to 4 bytes, then each argument's bytes followed by one 0x0A.
//
// A second start makes every argument absolute, so a line it writes starts with "/" or is empty.
// An argument holding a line feed (legal in a Linux file name) or the marker byte is written as
// the marker followed by its bytes in hexadecimal, so it stays one line; every other argument is
// written exactly as it is.
//
// The running program takes the file by renaming it to a name of its own before it reads it, and
// a second start that adds to an unread file claims it the same way (TParamFileClaim): of the
// two renames exactly one wins, and neither side waits for the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TParamFile {
 public:
  // The count field holds four digits, so at most this many arguments are handed over.
  static constexpr std::size_t kMaxArguments = 9999;
  // A larger file is not read: no command line comes near it.
  static constexpr std::size_t kMaxFileSize = 4u << 20;
  // Starts a line that holds an argument in hexadecimal.
  static constexpr std::uint8_t kEncodedMark = 0x01;

  // "param.txt" in the data folder.
  static std::filesystem::path DefaultPath();

  // The file's bytes for these arguments (the first kMaxArguments of them).
  static std::vector<std::uint8_t> Encode(const std::vector<std::string>& args);
  // The arguments the bytes hold. Reading stops at the end of the data, so a count larger than
  // the lines present gives only those lines; a last line without its 0x0A still counts. A
  // marked line whose hexadecimal is broken is given as it stands.
  static std::vector<std::string> Decode(std::span<const std::uint8_t> data);

  // Writes the file, replacing any old one whole (never a half-written file). False when it
  // could not be written, or would be too large for the running program to read (EFBIG); the
  // reason is in the last-error slot.
  static bool Write(const std::filesystem::path& path, const std::vector<std::string>& args);

  // Takes the file, deletes it, then hands each argument in order to open. The file is gone
  // before the first argument is opened, so a waiting second start can go on while designs
  // load. A file that cannot be read is put back; one too large to read is deleted. Returns the
  // number of arguments handed on.
  static int Read(const std::filesystem::path& path,
                  const std::function<void(const std::string& arg)>& open);

  // The name this process renames the file at `path` to while it holds it for `purpose`.
  static std::filesystem::path PrivateName(const std::filesystem::path& path,
                                           std::string_view purpose);
  // Renames `from` back to `to` unless something is at `to` already. False when it cannot.
  static bool PutBack(const std::filesystem::path& from, const std::filesystem::path& to);
};
