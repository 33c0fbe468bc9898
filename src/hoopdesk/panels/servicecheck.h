// Checks the results of the panel manager's state queries to the machine server. The first
// failure shows one box naming the call, the result and the place in the code; no other box
// follows until a query succeeds again. A server that does not answer in time or has gone
// shows no box here: the server link reports that once.
#pragma once

#include <string>

#include "platform/hresult.h"

class TServiceCheck {
 public:
  // True when hr is a success. A failure marks the link down and, unless it was down
  // already, shows the box.
  // file and line name the caller's place in the code.
  bool Check(HRESULT hr, const char* call, const char* file = __builtin_FILE(),
             int line = __builtin_LINE());
  bool LinkDown() const { return down_; }
  // Forgets an earlier failure: a new server link starts as up.
  void Reset() { down_ = false; }

  // "HRCHECK: <call> failed: <text of hr> (<file>:<line>)".
  static std::string BoxText(HRESULT hr, const char* call, const char* file, int line);

 private:
  bool down_ = false;
};
