#include "platform/convert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace plat {

std::optional<std::int32_t> TryStrToInt(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == s.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    value = value * base + digit;
    // Hexadecimal numbers may use all 32 bits (as "$FFFFFFFF" = -1 does).
    if (value > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return std::nullopt;
  }
  if (base == 16) {
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    return static_cast<std::int32_t>(negative ? 0u - bits : bits);
  }
  if (negative) return static_cast<std::int32_t>(-value);
  if (value > 0x7FFFFFFFLL) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(std::string_view text) {
  if (auto v = TryStrToInt(text)) return *v;
  throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
}

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The power of ten of the first significant digit of a number written as
// "-ddd.ddde-dd" (one non-zero digit at least); a huge exponent saturates.
long DecimalExponent(std::string_view number) {
  if (number.starts_with('-')) number.remove_prefix(1);
  long exponent = 0;
  const std::size_t e = number.find('e');
  if (e != std::string_view::npos) {
    std::string_view ex = number.substr(e + 1);
    const bool negative = ex.starts_with('-');
    if (negative) ex.remove_prefix(1);
    for (char c : ex) exponent = std::min(exponent * 10 + (c - '0'), 1000000L);
    if (negative) exponent = -exponent;
    number = number.substr(0, e);
  }
  const std::size_t point = std::min(number.find('.'), number.size());
  std::string_view whole = number.substr(0, point);
  while (whole.starts_with('0')) whole.remove_prefix(1);
  if (!whole.empty()) return exponent + static_cast<long>(whole.size()) - 1;
  const std::string_view fraction = number.substr(std::min(point + 1, number.size()));
  return exponent - static_cast<long>(fraction.find_first_not_of('0')) - 1;
}

}  // namespace

std::optional<double> TryStrToFloat(std::string_view s, DecimalFormat format) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  // The number in the form std::from_chars reads: a point, no plus sign.
  std::string plain;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') plain += '-';
    ++i;
  }
  bool digits = false;
  for (; i < s.size() && IsDigit(s[i]); ++i) plain += s[i], digits = true;
  if (i < s.size() && s[i] == format.separator) {
    plain += '.';
    for (++i; i < s.size() && IsDigit(s[i]); ++i) plain += s[i], digits = true;
  }
  if (!digits) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      if (s[i] == '-') plain += '-';
      ++i;
    }
    if (i == s.size() || !IsDigit(s[i])) return std::nullopt;
    for (; i < s.size() && IsDigit(s[i]); ++i) plain += s[i];
  }
  if (i != s.size()) return std::nullopt;

  double value = 0;
  auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value, std::chars_format::general);
  // Too large is refused, too small is zero.
  if (ec == std::errc::result_out_of_range) {
    if (DecimalExponent(plain) >= 0) return std::nullopt;
    return plain.front() == '-' ? -0.0 : 0.0;
  }
  if (ec != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
  return value;
}

double StrToFloat(std::string_view text, DecimalFormat format) {
  if (auto v = TryStrToFloat(text, format)) return *v;
  throw ConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

std::string FloatToStr(double value, DecimalFormat format) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  // 15 significant digits in exponent notation: "d.dddddddddddddde+XX".
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  if (ec != std::errc()) return "0";
  std::string_view text(buf, static_cast<std::size_t>(end - buf));
  const bool negative = text.front() == '-';
  if (negative) text.remove_prefix(1);
  const std::size_t e = text.find('e');
  int exponent = 0;
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
  std::string digits;
  for (char c : text.substr(0, e))
    if (IsDigit(c)) digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= 15 || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) out += format.separator + digits.substr(1);
    out += 'E' + std::to_string(exponent);
  } else if (exponent < 0) {
    out += '0';
    out += format.separator;
    out += std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  } else {
    const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      out += digits + std::string(whole - digits.size(), '0');
    } else {
      out += digits.substr(0, whole);
      out += format.separator;
      out += digits.substr(whole);
    }
  }
  return out;
}

}  // namespace plat
