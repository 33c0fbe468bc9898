#pragma once

#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

#include "pelsrvapi/pelservice_tlb.h"
#include "rpc/frame.h"

// Turns calls of IPelSrv and IPelSrvEvents into payloads and back, driven by the parameter
// types of the member functions themselves, so a method is marshalled the same way on both
// sides without a hand-written codec per method:
//   T, const T&     in value
//   const T*        in value that may be absent (a design stream)
//   T*              out value (methods)
//   T&              in and out value (the events' nTotal)
namespace rpc {

inline void Put(FrameWriter& w, std::int32_t v) { w.I32(v); }
inline void Put(FrameWriter& w, std::uint32_t v) { w.U32(v); }
inline void Put(FrameWriter& w, std::uint16_t v) { w.U16(v); }
inline void Put(FrameWriter& w, std::uint8_t v) { w.U8(v); }
inline void Put(FrameWriter& w, TSewingState v) { w.I32(v); }
inline void Put(FrameWriter& w, const std::string& v) { w.String(v); }
inline void Put(FrameWriter& w, const std::vector<std::uint8_t>& v) { w.Blob(v); }
inline void Put(FrameWriter& w, const platform::MemStream& v) { w.Blob(v.Bytes()); }
inline void Put(FrameWriter& w, const TConnInfo& v) {
  w.Bytes(std::span(reinterpret_cast<const std::uint8_t*>(&v), sizeof v));
}

inline void Get(FrameReader& r, std::int32_t& v) { v = r.I32(); }
inline void Get(FrameReader& r, std::uint32_t& v) { v = r.U32(); }
inline void Get(FrameReader& r, std::uint16_t& v) { v = r.U16(); }
inline void Get(FrameReader& r, std::uint8_t& v) { v = r.U8(); }
inline void Get(FrameReader& r, TSewingState& v) { v = static_cast<TSewingState>(r.I32()); }
inline void Get(FrameReader& r, std::string& v) { v = r.String(); }
inline void Get(FrameReader& r, std::vector<std::uint8_t>& v) { v = r.Blob(); }
inline void Get(FrameReader& r, platform::MemStream& v) { v = platform::MemStream(r.Blob()); }
inline void Get(FrameReader& r, TConnInfo& v) {
  std::uint8_t raw[sizeof(TConnInfo)] = {};
  r.Bytes(raw);
  std::memcpy(&v, raw, sizeof v);
}

// A value that may be absent on the wire: a presence byte, then the value.
template <class T>
struct Optional {
  bool present = false;
  T value{};
};

template <class P>
struct Param {
  using Value = std::remove_cvref_t<P>;
  static constexpr bool kIn = true;
  static constexpr bool kOut = false;
  static Value& Pass(Value& v) { return v; }
  static void Write(FrameWriter& w, const Value& v) { Put(w, v); }
  static void Read(FrameReader& r, Value& v) { Get(r, v); }
};

template <class T>
struct Param<T*> {
  using Value = T;
  static constexpr bool kIn = false;
  static constexpr bool kOut = true;
  static T* Pass(T& v) { return &v; }
};

template <class T>
struct Param<const T*> {
  using Value = Optional<T>;
  static constexpr bool kIn = true;
  static constexpr bool kOut = false;
  static const T* Pass(Value& v) { return v.present ? &v.value : nullptr; }
  static void Write(FrameWriter& w, const T* p) {
    w.U8(p ? 1 : 0);
    if (p) Put(w, *p);
  }
  static void Read(FrameReader& r, Value& v) {
    const std::uint8_t flag = r.U8();
    if (flag > 1) r.Fail();
    v.present = flag == 1;
    if (v.present) Get(r, v.value);
  }
};

// A design stream goes by its bytes and arrives as a stream of its own; it is an in value
// that may be absent, though the interface passes it without const.
template <>
struct Param<platform::MemStream*> : Param<const platform::MemStream*> {
  static platform::MemStream* Pass(Value& v) { return v.present ? &v.value : nullptr; }
};

template <class T>
struct Param<T&> {
  using Value = T;
  static constexpr bool kIn = true;
  static constexpr bool kOut = true;
  static T& Pass(T& v) { return v; }
  static void Write(FrameWriter& w, const T& v) { Put(w, v); }
  static void Read(FrameReader& r, T& v) { Get(r, v); }
};

template <class T>
struct Param<const T&> : Param<T> {};

// Writes the in values of a call from the caller's arguments.
template <class... P>
void WriteIns(FrameWriter& w, const std::type_identity_t<P>&... args) {
  (
      [&] {
        if constexpr (Param<P>::kIn) Param<P>::Write(w, args);
      }(),
      ...);
}

// Checks that every out pointer is given and resets what it points to, so each out value is
// defined also when the call fails before an answer comes.
template <class... P>
bool ResetOuts(const std::type_identity_t<P>&... args) {
  bool ok = true;
  (
      [&] {
        if constexpr (std::is_pointer_v<P> && Param<P>::kOut) {
          if (args == nullptr)
            ok = false;
          else
            *args = typename Param<P>::Value{};
        }
      }(),
      ...);
  return ok;
}

// Reads the out values of an answer into the caller's arguments.
template <class... P>
void ReadOuts(FrameReader& r, const std::type_identity_t<P>&... args) {
  (
      [&] {
        if constexpr (std::is_pointer_v<P> && Param<P>::kOut) {
          Get(r, *args);
        } else if constexpr (std::is_lvalue_reference_v<P> &&
                             !std::is_const_v<std::remove_reference_t<P>>) {
          Get(r, args);
        }
      }(),
      ...);
}

// Stores an in-and-out value read from an answer back into the caller's argument.
template <class P, class V>
void CommitOut(const std::type_identity_t<P>& arg, const V& value) {
  if constexpr (std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>>)
    arg = value;
}

// Runs one incoming call on a local object: reads the in values, calls, writes the out values
// (zero-initialised ones when the method left them alone). Returns false, without calling,
// when the payload does not hold exactly the method's in values.
template <class R, class Obj, class... P>
bool InvokeLocal(Obj& obj, R (Obj::*method)(P...), FrameReader& in, FrameWriter& out, R* result) {
  std::tuple<typename Param<P>::Value...> values{};
  std::apply(
      [&](auto&... v) {
        (
            [&] {
              if constexpr (Param<P>::kIn) Param<P>::Read(in, v);
            }(),
            ...);
      },
      values);
  if (!in.ok() || !in.AtEnd()) return false;
  std::apply(
      [&](auto&... v) {
        if constexpr (std::is_void_v<R>) {
          (obj.*method)(Param<P>::Pass(v)...);
        } else {
          *result = (obj.*method)(Param<P>::Pass(v)...);
        }
      },
      values);
  std::apply(
      [&](auto&... v) {
        (
            [&] {
              if constexpr (Param<P>::kOut) Put(out, v);
            }(),
            ...);
      },
      values);
  return true;
}

}  // namespace rpc
