#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The traditional PKWARE stream cipher of zip entries.
namespace kestrune::zip {

class TPkwareCipher {
 public:
  static constexpr std::size_t kHeaderSize = 12;

  explicit TPkwareCipher(std::string_view password);
  void Decrypt(std::uint8_t* data, std::size_t count);
  void Encrypt(std::uint8_t* data, std::size_t count);

 private:
  void UpdateKeys(std::uint8_t plain);
  std::uint8_t KeyStreamByte() const;

  std::uint32_t keys_[3];
};
using TPkwareDecrypter = TPkwareCipher;
using TPkwareEncrypter = TPkwareCipher;

// Whether the password opens the entry: the last byte of its decrypted 12-byte encryption header must
// equal checkByte. On success `decrypter` is left ready for the data that follows the header.
bool PkwarePasswordFits(std::string_view password, const std::uint8_t (&header)[TPkwareDecrypter::kHeaderSize],
                        std::uint8_t checkByte, TPkwareDecrypter& decrypter);

}  // namespace kestrune::zip
