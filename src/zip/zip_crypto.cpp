#include "zip/zip_crypto.h"

#include <zlib.h>

#include <algorithm>

namespace kestrune::zip {
namespace {

std::uint32_t Crc32Byte(std::uint32_t crc, std::uint8_t byte) {
  static const z_crc_t* const table = get_crc_table();
  return table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

}  // namespace

TPkwareCipher::TPkwareCipher(std::string_view password) : keys_{0x12345678, 0x23456789, 0x34567890} {
  for (const char c : password) {
    UpdateKeys(static_cast<std::uint8_t>(c));
  }
}

void TPkwareCipher::UpdateKeys(std::uint8_t plain) {
  keys_[0] = Crc32Byte(keys_[0], plain);
  keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
  keys_[2] = Crc32Byte(keys_[2], static_cast<std::uint8_t>(keys_[1] >> 24));
}

std::uint8_t TPkwareCipher::KeyStreamByte() const {
  const std::uint32_t temp = (keys_[2] & 0xFFFF) | 2;
  return static_cast<std::uint8_t>((temp * (temp ^ 1)) >> 8);
}

void TPkwareCipher::Decrypt(std::uint8_t* data, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const auto plain = static_cast<std::uint8_t>(data[i] ^ KeyStreamByte());
    UpdateKeys(plain);
    data[i] = plain;
  }
}

void TPkwareCipher::Encrypt(std::uint8_t* data, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t plain = data[i];
    data[i] = static_cast<std::uint8_t>(plain ^ KeyStreamByte());
    UpdateKeys(plain);
  }
}

bool PkwarePasswordFits(std::string_view password, const std::uint8_t (&header)[TPkwareDecrypter::kHeaderSize],
                        std::uint8_t checkByte, TPkwareDecrypter& decrypter) {
  TPkwareDecrypter trial(password);
  std::uint8_t plain[TPkwareDecrypter::kHeaderSize];
  std::copy(std::begin(header), std::end(header), plain);
  trial.Decrypt(plain, sizeof plain);
  if (plain[TPkwareDecrypter::kHeaderSize - 1] != checkByte) {
    return false;
  }
  decrypter = trial;
  return true;
}

}  // namespace kestrune::zip
