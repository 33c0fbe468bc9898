#pragma once

#include <functional>
#include <string>
#include <string_view>

// Unique names for the files sent to machines: yy dd m nnn followed by the extension, e.g.
// "2609c008.10o" for the eighth name made on 9 December 2026.

struct TLocalDate {
  int Year = 0;   // e.g. 2026
  int Month = 0;  // 1 to 12
  int Day = 0;    // 1 to 31
};

// Today's local date; replaceable so tests can choose the day.
using SerialClock = std::function<TLocalDate()>;
TLocalDate LocalToday();

// The name pattern for one date and sequence number, without the extension.
std::string SerialBaseName(const TLocalDate& date, int sequence);

// The counter that makes the names. Each name is claimed by creating an empty file there
// exclusively, so two programs making names in one folder never hand out the same name; the
// caller replaces that file with the real one.
class TSerialNamer {
 public:
  explicit TSerialNamer(SerialClock clock = LocalToday);

  // The folder in which names are made; a missing trailing "/" is added.
  void SetFolder(std::string folder);
  const std::string& GetFolder() const { return folder_; }
  int GetCounter() const { return counter_; }

  // Creates the folder when it is missing (one level), then claims the next free name of the
  // day. True with folder and name set; false when the folder can neither be found nor made
  // (folder and name untouched), when all 999 names of the day are taken, or when the folder
  // refuses new files (the last-error slot says why).
  bool MakeName(std::string_view extension, std::string& folder, std::string& name);

 private:
  SerialClock clock_;
  std::string folder_;
  int counter_ = 1;
  unsigned counterDay_ = 0;
};

// The process-wide namer used by both programs.
void SetSerialFolder(std::string folder);
void SetSerialClock(SerialClock clock);
bool MakeSerialName(std::string_view extension, std::string& folder, std::string& name);
// Gives back a name MakeSerialName claimed when writing the design there failed: removes the
// claimed file and the control file (".00o") of the same stem, leaving the folder as it was.
void ReleaseSerialName(const std::string& folder, const std::string& name);
