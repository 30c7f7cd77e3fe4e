#pragma once
// Init.ini, the settings file beside the program.

#include <cstddef>
#include <string>

namespace tessaro {

inline constexpr const char* kIniFileName = "Init.ini";
inline constexpr const char* kIniSection = "フォルダPath";
inline constexpr const char* kIniDataKey = "DATA_Folda_Path";
inline constexpr size_t kIniReadLimit = 1 << 20;

// Profile read: the value of `key` in `section` of `file`; "" when the file,
// the section or the key is missing. Section and key compare without regard to
// ASCII letter case and to blanks around them; the first matching section and
// key count. The value loses surrounding blanks and one pair of enclosing
// quotes, ends at a zero byte and keeps at most 126 bytes of the file's
// encoding (cut at a character boundary). The file may be Shift-JIS or UTF-8
// (with or without a BOM; a file that is not valid UTF-8 throughout is
// Shift-JIS); names and result are UTF-8. Only the first kIniReadLimit bytes
// are read (a settings file is small), and nothing goes wrong beyond "".
std::string fncIni_get(const std::string& section, const std::string& key, const std::string& file);

// Profile write: sets `key` in `section` of `file` to `value` (names and value
// UTF-8, written in the file's encoding, Shift-JIS for a new file). The first
// matching key of the first matching section is replaced; a missing key is added
// at the end of its section, a missing section at the end of the file. Every
// other line keeps its bytes and the file is replaced whole (a failed write
// leaves it as it was). False when the file could not be written.
bool fncIni_put(const std::string& section, const std::string& key, const std::string& value,
                const std::string& file);

// G_sData_Path from G_sApp_Path + "Init.ini". A missing file shows
// "初期設定ファイル異常" through the message handler and returns false.
bool fncSetting_get();

// The Init.ini every setting is read from and written to: the one the last
// fncSetting_get read (an installed copy's is in the user's settings folder,
// though G_sApp_Path moves on to the log's), else G_sApp_Path + "Init.ini".
std::string settingsFile();

}  // namespace tessaro
