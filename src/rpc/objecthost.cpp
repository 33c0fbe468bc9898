#include "rpc/objecthost.h"

namespace rpc {

ObjectHost::ObjectHost(Factory factory, std::function<void()> lastReleased)
    : factory_(std::move(factory)), lastReleased_(std::move(lastReleased)) {}

IPelSrvObject* ObjectHost::AddRef() {
  if (!object_) {
    object_ = factory_();
    if (!object_) return nullptr;
  }
  ++references_;
  return object_.get();
}

void ObjectHost::Release() {
  if (references_ == 0) return;
  if (--references_ > 0) return;
  object_.reset();
  if (lastReleased_) lastReleased_();
}

}  // namespace rpc
