// Number conversion: integers and decimal numbers with a fraction in the
// invariant and the German form.
#include "platform/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using plat::FloatToStr;
using plat::kGermanDecimal;
using plat::kInvariantDecimal;
using plat::TryStrToFloat;

TEST(DecimalNumbers, ParseBothForms) {
  struct Case {
    const char* text;
    std::optional<double> invariant;
    std::optional<double> german;
  };
  const Case cases[] = {
      {"12.5", 12.5, std::nullopt},
      {"12,5", std::nullopt, 12.5},
      {"  -0,25 ", std::nullopt, -0.25},
      {"+3", 3, 3},
      {"7", 7, 7},
      {".5", 0.5, std::nullopt},
      {",5", std::nullopt, 0.5},
      {"5.", 5, std::nullopt},
      {"1.5e3", 1500, std::nullopt},
      {"1,5E-2", std::nullopt, 0.015},
      {"2E+2", 200, 200},
      {"1e400", std::nullopt, std::nullopt},     // beyond a double
      {"-1e400", std::nullopt, std::nullopt},
      {"1e-400", 0, 0},                          // too small: zero
      {"0.000e99999999999999", 0, std::nullopt},
      {"1.234,5", std::nullopt, std::nullopt},   // no thousands separators
      {"1,234.5", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
      {" ", std::nullopt, std::nullopt},
      {".", std::nullopt, std::nullopt},
      {"-", std::nullopt, std::nullopt},
      {"1e", std::nullopt, std::nullopt},
      {"e5", std::nullopt, std::nullopt},
      {"1e+", std::nullopt, std::nullopt},
      {"- 1", std::nullopt, std::nullopt},
      {"1 2", std::nullopt, std::nullopt},
      {"0x10", std::nullopt, std::nullopt},
      {"$10", std::nullopt, std::nullopt},
      {"INF", std::nullopt, std::nullopt},
      {"nan", std::nullopt, std::nullopt},
      {"12.5x", std::nullopt, std::nullopt},
      {"1.2.3", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TryStrToFloat(c.text, kInvariantDecimal), c.invariant);
    EXPECT_EQ(TryStrToFloat(c.text, kGermanDecimal), c.german);
  }
  EXPECT_EQ(TryStrToFloat("12.5"), 12.5);  // the invariant form is the default
  EXPECT_EQ(plat::StrToFloat("2,5", kGermanDecimal), 2.5);
  EXPECT_THROW(plat::StrToFloat("2,5"), plat::ConvertError);
}

TEST(DecimalNumbers, FormatWithFifteenSignificantDigits) {
  struct Case {
    double value;
    const char* invariant;
    const char* german;
  };
  const Case cases[] = {
      {12.5, "12.5", "12,5"},
      {-0.25, "-0.25", "-0,25"},
      {100, "100", "100"},
      {0, "0", "0"},
      {-0.0, "0", "0"},
      {0.1 + 0.2, "0.3", "0,3"},
      {1.0 / 3, "0.333333333333333", "0,333333333333333"},
      {123456789012345, "123456789012345", "123456789012345"},
      {1e15, "1E15", "1E15"},
      {1.5e20, "1.5E20", "1,5E20"},
      {0.00001, "0.00001", "0,00001"},
      {0.000001, "1E-6", "1E-6"},
      {-2.5e-7, "-2.5E-7", "-2,5E-7"},
      {std::numeric_limits<double>::infinity(), "INF", "INF"},
      {-std::numeric_limits<double>::infinity(), "-INF", "-INF"},
      {std::nan(""), "NAN", "NAN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.invariant);
    EXPECT_EQ(FloatToStr(c.value, kInvariantDecimal), c.invariant);
    EXPECT_EQ(FloatToStr(c.value, kGermanDecimal), c.german);
  }
}

TEST(DecimalNumbers, FormattedTextReadsBackInItsForm) {
  for (double v : {12.5, -0.001, 1e-300, 9.87654321e200, 42.0, 0.3}) {
    for (plat::DecimalFormat f : {kInvariantDecimal, kGermanDecimal}) {
      SCOPED_TRACE(FloatToStr(v, f));
      auto back = TryStrToFloat(FloatToStr(v, f), f);
      ASSERT_TRUE(back);
      EXPECT_NEAR(*back, v, std::abs(v) * 1e-14);
    }
  }
}
