#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

// Decodes JPEG bytes for checks in tests (top-down RGB).
struct Rgb {
  int r = 0, g = 0, b = 0;
};

struct DecodedJpeg {
  int width = 0;
  int height = 0;
  bool baseline = false;
  int lumaQuant0 = 0;  // first entry of the luminance quantisation table (3 at quality 90)
  std::vector<std::uint8_t> rgb;
  Rgb At(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

inline DecodedJpeg DecodeJpeg(const std::vector<std::uint8_t>& bytes) {
  DecodedJpeg out;
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK) {
    out.baseline = !cinfo.progressive_mode && !cinfo.arith_code && cinfo.data_precision == 8;
    if (cinfo.quant_tbl_ptrs[0]) out.lumaQuant0 = cinfo.quant_tbl_ptrs[0]->quantval[0];
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row =
          out.rgb.data() + static_cast<std::size_t>(cinfo.output_scanline) * out.width * 3;
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
  }
  jpeg_destroy_decompress(&cinfo);
  return out;
}
