#pragma once
// The program's version record as the window shows it.

#include <string>

namespace tessaro {

inline std::string programTitle() { return TESSARO_UI_TITLE; }
inline std::string programProduct() { return TESSARO_UI_PRODUCT; }
inline std::string programCopyright() { return TESSARO_UI_COPYRIGHT; }
// " Ver 1.0.0": begins with a blank.
inline std::string G_sVersion() { return std::string(" Ver ") + TESSARO_UI_VERSION; }

}  // namespace tessaro
