// The hand-over file "param.txt" in the data folder, through which a second start of Hoopdesk
// hands its command line to the running program. Layout: the argument count as decimal ASCII
// digits padded with 0x00 bytes to 4 bytes, then each argument's bytes followed by one 0x0A.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

class TParamFile {
 public:
  // The count field holds four digits, so at most this many arguments are handed over.
  static constexpr std::size_t kMaxArguments = 9999;
  // A larger file is not read: no command line comes near it.
  static constexpr std::size_t kMaxFileSize = 4u << 20;

  // "param.txt" in the data folder.
  static std::filesystem::path DefaultPath();

  // The file's bytes for these arguments (the first kMaxArguments of them).
  static std::vector<std::uint8_t> Encode(const std::vector<std::string>& args);
  // The arguments the bytes hold. Reading stops at the end of the data, so a count larger than
  // the lines present gives only those lines; a last line without its 0x0A still counts.
  static std::vector<std::string> Decode(std::span<const std::uint8_t> data);

  // Writes the file, replacing any old one whole (never a half-written file). False when it
  // could not be written.
  static bool Write(const std::filesystem::path& path, const std::vector<std::string>& args);

  // Reads the file, deletes it, then hands each argument in order to open. The file is gone
  // before the first argument is opened, so a waiting second start can go on while designs
  // load. A file that cannot be opened is left alone; one too large to read is deleted.
  // Returns the number of arguments handed on.
  static int Read(const std::filesystem::path& path,
                  const std::function<void(const std::string& arg)>& open);
};
