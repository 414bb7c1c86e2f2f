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

// Decimal numbers with a fraction, in the two forms the venues use: the
// invariant one with a decimal point ("12.5") and the German one of
// Windows with a decimal comma ("12,5").
struct DecimalFormat {
  char separator;
};
inline constexpr DecimalFormat kInvariantDecimal{'.'};
inline constexpr DecimalFormat kGermanDecimal{','};

// Optional blanks before and after, an optional sign, digits with at most
// one decimal separator of the given form (digits before or after it), an
// optional exponent ("E" or "e", an optional sign, digits). Nothing else:
// no thousands separators, no other separator, no "INF" or "NAN". A value
// beyond the range of a double is refused; one too close to 0 for it is 0.
std::optional<double> TryStrToFloat(std::string_view text, DecimalFormat format = kInvariantDecimal);
double StrToFloat(std::string_view text, DecimalFormat format = kInvariantDecimal);  // raises ConvertError
// The shortest text of at most 15 significant digits: fixed notation from
// 0.00001 to below 1E15 ("-12,5", "0,1", "100"), exponent notation outside
// ("1,5E20", "1E-6"); negative zero shows as "0", infinities as "INF" and
// "-INF", not-a-number as "NAN".
std::string FloatToStr(double value, DecimalFormat format = kInvariantDecimal);

}  // namespace plat
