#pragma once

#include <functional>
#include <memory>

#include "pelsrvapi/pelservice_tlb.h"

namespace rpc {

// Keeps the one server object of the process, counted by references: one per client
// connection and one the program holds for itself when it was started by hand. The object is
// made on the first reference and destroyed on the last release, which then ends the program.
// Main thread only.
class ObjectHost {
 public:
  using Factory = std::function<std::unique_ptr<IPelSrvObject>()>;

  ObjectHost(Factory factory, std::function<void()> lastReleased);
  ObjectHost(const ObjectHost&) = delete;
  ObjectHost& operator=(const ObjectHost&) = delete;

  // Null when the factory could not make the object (no reference is then taken).
  IPelSrvObject* AddRef();
  void Release();

  IPelSrvObject* object() const { return object_.get(); }
  int references() const { return references_; }

 private:
  Factory factory_;
  std::function<void()> lastReleased_;
  std::unique_ptr<IPelSrvObject> object_;
  int references_ = 0;
};

}  // namespace rpc
