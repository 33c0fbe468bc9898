// What the service's hidden window does with the messages that the serial driver and the
// TCP/IP readers post: each goes to the connection its cookie (wParam) names, on the main thread.
// A message whose cookie names no connection is dropped.
#pragma once

#include "platform/messagetarget.h"

class TPelMain;

class TPelDispatch {
 public:
  explicit TPelDispatch(TPelMain& main) : main_(main) {}

  // True when the message is one of the connections' (handled, or dropped for want of a
  // connection); false for any other message, which the caller handles itself.
  bool Dispatch(const platform::Message& message);

 private:
  TPelMain& main_;
};
