// The settings file "Velmora.ini": the two log options, one line each,
// "[Log   ]<csv>" and "[LogTXT]<txt>", in code page 932 with CR LF.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Receives one loaded value: the option's index (0 CSV, 1 TXT) and its value. False
// when the option refuses the value, which ends the loading.
using ApplyLogOption = std::function<bool(int index, int16_t value)>;

// Reads the settings text line by line, in any order and number of lines, and applies
// each recognised value at once. Lines end with CR LF, CR or LF. A line's first eight
// characters are its key; its value is the leading number of the rest, rounded halves
// to even. Loading stops at a value that does not fit 16 bits or that the option
// refuses; the values applied before it stay.
void ParseSettings(std::string_view fileBytes, const ApplyLogOption& apply);

// The rules of the two log options (index 0 CSV, 1 TXT) over wherever their values
// live (the window's check boxes): a value is 0 off, 1 on or 2 the dimmed third state.
// The options exclude each other: one that becomes 1 turns the other off; both may be
// off.
class LogOptionRules {
 public:
  using Get = std::function<int(int index)>;
  using Put = std::function<void(int index, int value)>;
  LogOptionRules(Get get, Put put) : get_(std::move(get)), put_(std::move(put)) {}
  // Sets a value as a click or a loaded line does; when it changes, Clicked runs.
  // False (nothing changed) for a value outside 0 to 2.
  bool Set(int index, int value);
  // After option `index` changed: when it is now on, the other is set off.
  void Clicked(int index);

 private:
  Get get_;
  Put put_;
};

// The file content the program writes for the two option values.
std::string SettingsText(int16_t csv, int16_t txt);

// The file's bytes, or nothing when it cannot be opened (Windows only).
std::optional<std::string> ReadSettingsFile(const std::wstring& path);

// Replaces the file with `bytes` as a whole: the new content is written beside it and
// moved over the old file only when complete, so a failed write (read-only folder or
// file, full disk, file in use) leaves the old content as it was. False on failure
// (Windows only).
bool WriteSettingsFile(const std::wstring& path, std::string_view bytes);

}  // namespace velmora
