#include "archive/conversion_state.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace dw {
namespace {

void Put16(uint8_t* out, uint16_t v) {
  out[0] = uint8_t(v);
  out[1] = uint8_t(v >> 8);
}

void Put32(uint8_t* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[i] = uint8_t(v >> (8 * i));
}

std::string CurrentFolder() {
  std::vector<char> buffer(256);
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) return std::string(buffer.data());
    if (errno != ERANGE || buffer.size() > (size_t{1} << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

void SerializeBmpHeader(const BmpHeader& h, uint8_t* out) {
  Put16(out + 0, h.bfType);
  Put32(out + 2, h.bfSize);
  Put16(out + 6, h.bfReserved1);
  Put16(out + 8, h.bfReserved2);
  Put32(out + 10, h.bfOffBits);
  Put32(out + 14, h.biSize);
  Put32(out + 18, uint32_t(h.biWidth));
  Put32(out + 22, uint32_t(h.biHeight));
  Put16(out + 26, h.biPlanes);
  Put16(out + 28, h.biBitCount);
  Put32(out + 30, h.biCompression);
  Put32(out + 34, h.biSizeImage);
  Put32(out + 38, uint32_t(h.biXPelsPerMeter));
  Put32(out + 42, uint32_t(h.biYPelsPerMeter));
  Put32(out + 46, h.biClrUsed);
  Put32(out + 50, h.biClrImportant);
}

void InitConversionState(ConversionState& state) {
  state.bmpHeader = BmpHeader{};
  // getcwd gives no trailing "/" except for the root itself, so the root's
  // save folder reads "//", as every folder + "/" + name join does.
  state.startFolder = CurrentFolder();
  state.saveFolder = state.startFolder + "/";
}

}  // namespace dw
