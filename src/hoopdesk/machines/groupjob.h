// One job of the synchronised group: the copies of one design queued on the group's machines.
// They share the group id that queueing gave them and the file they came from; the native
// writer changes the record count of the copy it writes (long moves become jumps), so the
// records tell nothing about which queued designs are the same job.
#pragma once

#include <cstdint>
#include <string>

#include "shared/stitch.h"

struct TGroupJob {
  std::int32_t groupId = 0;
  std::string source;  // the copies' file path: the design's own, or their send file once sent

  static TGroupJob Of(const TStitchItem& design) { return {design.UniqueID, design.FileName}; }
  bool Holds(const TStitchItem& design) const {
    return design.UniqueID == groupId && design.FileName == source;
  }
};
