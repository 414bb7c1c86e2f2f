#pragma once
// Text-to-number conversion with the rules the configuration files were
// written for: optional blanks before, an optional sign, decimal digits or a
// hexadecimal number after "$" or "0x"; nothing may follow. StrToInt raises
// ConvertError for anything else, including a value outside 32 bits.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace plat {

class ConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::optional<std::int32_t> TryStrToInt(std::string_view text);
std::int32_t StrToInt(std::string_view text);  // raises ConvertError
std::string IntToStr(std::int64_t value);

}  // namespace plat
