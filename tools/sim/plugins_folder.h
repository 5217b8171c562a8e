// The messenger's plugins folder, made fresh for one simulation: a folder of its own
// under the system's temporary folder holding a copy of the module as "kwartlin.tpl"
// and, beside it, the "Kwartlin" data folder that the plugin reads and writes. Removed
// again when the object goes, unless it is to be kept for a look afterwards.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/sim/transcript.h"

namespace kwsim {

// A failure of the simulation itself (a file that cannot be copied or read, a module
// that does not load): ends the run with exit code 1.
class SimError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Paths come in as UTF-8 and go out as UTF-8, whatever the platform's own encoding.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

// A whole file's bytes; nullopt when it cannot be read.
std::optional<std::string> ReadBytes(const std::filesystem::path& path);

class PluginsFolder {
 public:
  // Copies the module in; throws SimError when that fails.
  PluginsFolder(const std::filesystem::path& module, bool keep);
  ~PluginsFolder();
  PluginsFolder(const PluginsFolder&) = delete;
  PluginsFolder& operator=(const PluginsFolder&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path ModulePath() const { return root_ / "kwartlin.tpl"; }
  std::filesystem::path DataPath(DataFile file) const;

  // Copies the data files found in dir (or in its "Kwartlin" subfolder, when it has
  // one) into the data folder, byte for byte, and says which it copied from where.
  // Throws SimError for a folder that is not there or a file that cannot be copied.
  std::vector<std::pair<DataFile, std::filesystem::path>> CopyDataFrom(const std::filesystem::path& dir);
  // Names of the data files that exist now, script, spam list, settings in that order.
  std::vector<std::string> PresentDataFiles() const;

  std::optional<std::string> Read(DataFile file) const;
  void Write(DataFile file, std::string_view bytes);  // throws SimError
  void Remove(DataFile file);                         // throws SimError

  // Removes the folder now (the module must be closed); idempotent.
  void Discard();

 private:
  std::filesystem::path root_;
  bool keep_;
};

}  // namespace kwsim
