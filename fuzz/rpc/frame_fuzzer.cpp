// Feeds arbitrary bytes to the frame decoder as a server or client would get them, and hands
// every frame it cuts to the method and event tables, which decode the values.
#include <cstddef>
#include <cstdint>

#include "fakepelsrv.h"
#include "rpc/dispatch.h"
#include "rpc/frame.h"

namespace {

class QuietSink : public IPelSrvEvents {
 public:
  void OnStatusChange(int32_t, uint8_t) override {}
  void OnSendProgress(int32_t, int32_t) override {}
  void OnSendStop(int32_t, int32_t) override {}
  void OnProgress(int32_t, uint8_t, int32_t, int32_t, int32_t, uint16_t, uint8_t) override {}
  void OnFilenameAck(int32_t, const std::string&, int32_t, int32_t& total) override { total = 1; }
  void OnComplete(int32_t, int32_t, int32_t) override {}
  void OnSyncSetup(int32_t, int32_t, int32_t) override {}
  void OnSendStart(int32_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rpc::FrameDecoder decoder;
  FakePelSrv object;
  QuietSink sink;
  // Uneven pieces, as a socket hands them over.
  size_t pos = 0;
  size_t piece = 1;
  while (pos < size && !decoder.failed()) {
    const size_t n = std::min(piece, size - pos);
    decoder.Feed(std::span(data + pos, n));
    pos += n;
    piece = piece * 3 + 1;
    while (auto frame = decoder.Next()) {
      rpc::FrameReader in(frame->payload);
      rpc::FrameWriter out;
      HRESULT hr = S_OK;
      if (frame->kind == rpc::FrameKind::kCall)
        rpc::InvokeMethod(object, frame->code, in, out, &hr);
      else if (frame->kind == rpc::FrameKind::kEvent && in.U32() == 1)
        rpc::InvokeEvent(sink, frame->code, in, out);
    }
  }
  return 0;
}
