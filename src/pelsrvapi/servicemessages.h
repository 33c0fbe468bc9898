// The message table both programs show texts from: the texts of message ids 256 to 294 that
// IPelSrv::ErrMessage hands out, the server's log uses and the desktop program's boxes and
// trace frames show.
#pragma once

#include <cstdint>
#include <string>

#include "pelsrvapi/messageids.h"

// The English text of id; "" for an id the table does not hold.
std::string ServiceMessageText(std::int32_t id);
