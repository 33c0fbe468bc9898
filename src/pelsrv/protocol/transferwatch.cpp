#include "pelsrv/protocol/transferwatch.h"

#include <algorithm>

void TTransferWatch::SetLimit(std::chrono::milliseconds limit) {
  limit_ = std::max(limit, std::chrono::milliseconds(1));
}

void TTransferWatch::Heard(Clock::time_point now) {
  running_ = true;
  last_ = now;
}
