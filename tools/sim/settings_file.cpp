#include "tools/sim/settings_file.h"

#include "support/casing.h"
#include "support/file_encoding.h"

namespace kwsim {

bool IsSettingsFileName(std::string_view name) {
  return name.size() >= 4 && kw::UpperCase(name.substr(name.size() - 4)) == ".INI";
}

std::string SettingsEncodingNote(std::string_view bytes) {
  const kw::TFileEncoding encoding = kw::MarkedEncoding(bytes);
  if (encoding == kw::TFileEncoding::Ansi) return {};
  std::string note = "written in ";
  note += kw::EncodingName(encoding);
  note += " (as Notepad saves it): the plugin reads it and saves it in the same encoding";
  return note;
}

}  // namespace kwsim
