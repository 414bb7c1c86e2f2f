#pragma once
// Texts put into HTML and scripts. Everything that goes into a page or a
// script and is not meant as markup or code passes through one of these.
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace plat::ui {

// "<" ">" "&" '"' escaped for HTML text and attributes.
std::string EscapeHtml(std::string_view text);
// Undoes EscapeHtml (its four escapes only; anything else stays as it is).
std::string UnescapeHtml(std::string_view text);

// A value as a JSON literal that may stand inside a <script> element: "<",
// ">" and "&" are written as \u escapes, so no text can end the element or
// open a comment; text that is no valid UTF-8 is replaced.
std::string ScriptJson(const nlohmann::json& value);

// The text as the inside of a double-quoted script string: it shows as
// typed and can neither end the string nor the script element ("</script>",
// "<!--"). Line and paragraph separators are escaped for older engines,
// which take them as line breaks.
std::string ScriptStringText(std::string_view text);

// The text for an address: letters, digits, "-._~" and the bytes in `keep`
// stay, every other byte becomes "%" and two hex digits.
std::string PercentEncode(std::string_view text, std::string_view keep = {});

// CSS of the application inside a <style> element: only a closing tag
// could end the element, so "</" becomes "<\/".
std::string StyleElementText(std::string_view css);

}  // namespace plat::ui
