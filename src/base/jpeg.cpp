#include "base/jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "base/error.h"

namespace talven {
namespace {

constexpr std::size_t kMaxPixelBytes = 256u << 20;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::longjmp(err->jump, 1);
}

void Silence(j_common_ptr, int) {}

// The library reports errors by longjmp; the C parts below keep no C++
// objects alive across it, and the caller turns the code into an exception.
// Returns 0 on success, else the library's message code (or -1 when the
// picture is too large).
int DecodeInto(std::string_view bytes, RgbImage* out, bool headerOnly) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.emit_message = Silence;
  std::uint8_t* buffer = nullptr;
  if (setjmp(err.jump)) {
    int code = err.pub.msg_code;
    jpeg_destroy_decompress(&cinfo);
    return code == 0 ? 1 : code;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  out->width = static_cast<int>(cinfo.image_width);
  out->height = static_cast<int>(cinfo.image_height);
  if (headerOnly) {
    jpeg_destroy_decompress(&cinfo);
    return 0;
  }
  if (static_cast<std::size_t>(cinfo.image_width) * cinfo.image_height * 3 > kMaxPixelBytes) {
    jpeg_destroy_decompress(&cinfo);
    return -1;
  }
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  out->pixels.resize(static_cast<std::size_t>(cinfo.output_width) * cinfo.output_height * 3);
  buffer = out->pixels.data();
  const std::size_t stride = static_cast<std::size_t>(cinfo.output_width) * 3;
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = buffer + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return 0;
}

[[noreturn]] void Fail(int code) {
  if (code < 0) throw Error("JPEG image too large");
  throw Error("JPEG error #" + std::to_string(code));
}

}  // namespace

RgbImage DecodeJpeg(std::string_view bytes) {
  RgbImage image;
  // Size the pixel buffer before decoding so that the longjmp path never
  // has to free memory owned by a C++ object it skipped.
  int w = 0, h = 0;
  JpegSize(bytes, w, h);
  if (static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3 > kMaxPixelBytes) Fail(-1);
  image.pixels.reserve(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
  if (int code = DecodeInto(bytes, &image, false)) Fail(code);
  return image;
}

void JpegSize(std::string_view bytes, int& width, int& height) {
  RgbImage image;
  if (int code = DecodeInto(bytes, &image, true)) Fail(code);
  width = image.width;
  height = image.height;
}

std::string EncodeJpeg(const RgbImage& image, int quality, bool gray) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
    throw Error("JPEG image is empty");
  jpeg_compress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.emit_message = Silence;
  unsigned char* mem = nullptr;
  unsigned long memSize = 0;
  std::vector<std::uint8_t> grayRow(gray ? static_cast<std::size_t>(image.width) : 0);
  if (setjmp(err.jump)) {
    int code = err.pub.msg_code;
    jpeg_destroy_compress(&cinfo);
    std::free(mem);
    Fail(code == 0 ? 1 : code);
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &mem, &memSize);
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = gray ? 1 : 3;
  cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality < 1 ? 1 : (quality > 100 ? 100 : quality), TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    const std::uint8_t* src = image.pixels.data() + stride * cinfo.next_scanline;
    JSAMPROW row;
    if (gray) {
      for (int x = 0; x < image.width; ++x) {
        const std::uint8_t* p = src + 3 * x;
        grayRow[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>((p[0] * 299 + p[1] * 587 + p[2] * 114) / 1000);
      }
      row = grayRow.data();
    } else {
      row = const_cast<JSAMPROW>(src);
    }
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(mem), memSize);
  jpeg_destroy_compress(&cinfo);
  std::free(mem);
  return out;
}

}  // namespace talven
