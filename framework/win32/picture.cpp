// Pictures stored in the program as JPEG, decoded with libjpeg when first shown.
#include <windows.h>

#include <csetjmp>
#include <cstdio>
#include <stdexcept>

#include <jpeglib.h>

#include "fw/backend.h"
#include "internal.h"

namespace fw::backend {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  jmp_buf jump;
};

void onJpegError(j_common_ptr info) {
  longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Only plain C data lives across the setjmp below: no destructor is skipped by the longjmp.
bool decode(const unsigned char* data, unsigned long size, Bitmap& out) {
  jpeg_decompress_struct info;
  ErrorManager err;
  info.err = jpeg_std_error(&err.base);
  err.base.error_exit = onJpegError;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, size);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGRX;  // straight into 32-bit DIB order
  jpeg_start_decompress(&info);
  out.width = static_cast<int>(info.output_width);
  out.height = static_cast<int>(info.output_height);
  out.pixels.resize(static_cast<size_t>(out.width) * out.height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(&out.pixels[static_cast<size_t>(info.output_scanline) * out.width]);
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

std::shared_ptr<const Bitmap> loadPicture(const std::string& name) {
  const std::wstring id = win32::wide(name);
  HRSRC res = FindResourceW(win32::instance(), id.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  HGLOBAL data = res ? LoadResource(win32::instance(), res) : nullptr;
  if (!data) throw std::runtime_error("the picture '" + name + "' is missing from the program");
  auto bitmap = std::make_shared<Bitmap>();
  if (!decode(static_cast<const unsigned char*>(LockResource(data)), SizeofResource(win32::instance(), res), *bitmap))
    throw std::runtime_error("the picture '" + name + "' could not be decoded");
  return bitmap;
}

}  // namespace fw::backend
