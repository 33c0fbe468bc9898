#include "pelsrv/server/jpegimage.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
};

[[noreturn]] void OnError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

void Quiet(j_common_ptr, int) {}

// The library's destination buffer, freed with free() whatever happens.
struct Output {
  unsigned char* data = nullptr;
  unsigned long size = 0;
  ~Output() { std::free(data); }
};

// Everything that must outlive a longjmp out of the encoder lives in the caller's frame.
bool Encode(const platform::Bitmap& bitmap, int quality, jpeg_compress_struct& cinfo,
            ErrorManager& errors, Output& out, std::vector<JSAMPLE>& row) {
  cinfo.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnError;
  errors.base.emit_message = Quiet;
  if (setjmp(errors.escape)) return false;
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &out.data, &out.size);
  cinfo.image_width = static_cast<JDIMENSION>(bitmap.Width());
  cinfo.image_height = static_cast<JDIMENSION>(bitmap.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const std::uint8_t* pixels = bitmap.Pixels();
  const int step = bitmap.BitsPerPixel() / 8;
  while (cinfo.next_scanline < cinfo.image_height) {
    // Screen line y is memory row height - 1 - y; each pixel is stored blue, green, red.
    const int y = static_cast<int>(cinfo.next_scanline);
    const std::uint8_t* src =
        pixels + static_cast<std::size_t>(bitmap.Height() - 1 - y) * bitmap.BytesPerRow();
    for (int x = 0; x < bitmap.Width(); ++x, src += step) {
      row[3 * x] = src[2];
      row[3 * x + 1] = src[1];
      row[3 * x + 2] = src[0];
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodeJpeg(const platform::Bitmap& bitmap, int quality) {
  if (bitmap.Width() <= 0 || bitmap.Height() <= 0 || bitmap.Pixels() == nullptr)
    return std::nullopt;
  jpeg_compress_struct cinfo{};
  ErrorManager errors{};
  Output out;
  std::vector<JSAMPLE> row(static_cast<std::size_t>(bitmap.Width()) * 3);
  const bool ok = Encode(bitmap, quality, cinfo, errors, out, row);
  jpeg_destroy_compress(&cinfo);
  if (!ok || out.data == nullptr) return std::nullopt;
  return std::vector<std::uint8_t>(out.data, out.data + out.size);
}
