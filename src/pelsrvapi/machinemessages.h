// Texts of the service's machine messages: the ids that a connection stores as its error and
// that cross IPelSrv (265 memory full, 266 rejected, 268 no response, 273 disconnected, and
// 278 + n for the machine's alarm code n).
#pragma once

#include <cstdint>
#include <string>

#include "pelsrvapi/messageids.h"

// The English text of a machine message id; "" for an id the table does not hold (alarm codes
// above 16 give such ids).
std::string MachineMessageText(std::int32_t id);
