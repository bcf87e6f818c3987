// Text helpers shared by the tool: the escaping of the state file, splitting, the checks on
// names that arrive from bundles and command lines, and the date texts the tool prints and
// reads (the ctime form, local time, which the provider's date parser accepts).
// Thread-safety: pure functions; the date functions use the reentrant C time functions.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace softinv
{

// Percent-escapes every character that separates fields or list items in the state file
// (% tab newline carriage-return , ; =) and every other control character.
std::string escapeAtom(const std::string& text);
std::string unescapeAtom(const std::string& text);

// Exact split: every separator ends a field, so empty fields survive.
std::vector<std::string> splitExact(const std::string& text, char separator);
// Joins escaped atoms with a separator; the inverse of splitExact + unescapeAtom. An empty
// list and a list of one empty atom cannot be told apart, which no caller needs.
std::string joinEscaped(const std::vector<std::string>& atoms, char separator);
std::vector<std::string> splitEscaped(const std::string& text, char separator);

std::string trim(const std::string& text);
// Splits on runs of blanks and tabs.
std::vector<std::string> splitWords(const std::string& text);

// A value that is printed as one field of a listing: non-empty, no control character (so no
// tab or newline), no blank at either end, at most maxChars characters.
bool isFieldText(const std::string& text, std::size_t maxChars);
// A package, component or file name or a version: letters, digits and ._+:~- only, not
// starting with '-' or '.', at most maxChars characters.
bool isPlainToken(const std::string& text, std::size_t maxChars);
constexpr std::size_t kMaxStatusTextChars = 300;   // progress texts of --status
constexpr std::size_t kMaxListingFieldChars = 400; // one field of a listing line
constexpr std::size_t kMaxQuotedInputChars = 120;  // outside input quoted in a message

// Removes control characters and cuts the text to maxChars, for texts the tool builds itself
// from outside input (locations, progress texts).
std::string toFieldText(const std::string& text, std::size_t maxChars);

// "Wed Jun 30 21:49:08 1993" in local time.
std::string formatDate(std::time_t when);
// Accepts the ctime form (local time, day of month padded or not) and the CIM form
// "yyyymmddhhmmss.uuuuuu+UUU"; blanks around the text are ignored.
std::optional<std::time_t> parseDate(const std::string& text);

// "312 B", "48 KB", "2.3 MB".
std::string humanSize(std::uint64_t bytes);

std::optional<long long> parseInteger(const std::string& text);

} // namespace softinv
