// Temporary folders are named after the process id and a counter, and made with
// create_directory, which fails rather than reuse a folder that is already there.
#include "tools/sim/plugins_folder.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "tools/sim/console.h"
#include "tools/sim/texts.h"

namespace kwsim {
namespace fs = std::filesystem;

fs::path PathFromUtf8(std::string_view utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathToUtf8(const fs::path& path) {
  const std::u8string u = path.u8string();
  return std::string(u.begin(), u.end());
}

std::optional<std::string> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return bytes.str();
}

PluginsFolder::PluginsFolder(const fs::path& module, bool keep) : keep_(keep) {
  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  if (ec) throw SimError(Say(TextId::NoTemporaryFolder, {{"reason", ec.message()}}));
  for (unsigned n = 0;; ++n) {
    const fs::path candidate =
        temp / ("kwartlin-sim-" + std::to_string(ProcessId()) + "-" + std::to_string(n));
    if (fs::create_directory(candidate, ec)) {
      root_ = candidate;
      break;
    }
    if (ec || n > 1000) throw SimError(Say(TextId::CannotMakeFolder, {{"path", PathToUtf8(temp)}}));
  }
  fs::create_directory(root_ / "Kwartlin", ec);
  // A constructor that throws runs no destructor: the folder goes here.
  const auto fail = [this](const std::string& why) {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    throw SimError(why);
  };
  if (!fs::is_regular_file(module, ec))
    fail(Say(TextId::NoModuleAt, {{"path", PathToUtf8(module)}}));
  if (!fs::copy_file(module, ModulePath(), ec))
    fail(Say(TextId::CannotCopy, {{"path", PathToUtf8(module)}, {"reason", ec.message()}}));
}

PluginsFolder::~PluginsFolder() { Discard(); }

void PluginsFolder::Discard() {
  if (keep_ || root_.empty()) return;
  std::error_code ec;
  fs::remove_all(root_, ec);
  root_.clear();
}

fs::path PluginsFolder::DataPath(DataFile file) const {
  return root_ / "Kwartlin" / std::string(DataFileOnDisk(file));
}

std::vector<std::pair<DataFile, fs::path>> PluginsFolder::CopyDataFrom(const fs::path& dir) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) throw SimError(Say(TextId::NoFolder, {{"path", PathToUtf8(dir)}}));
  const fs::path source = fs::is_directory(dir / "Kwartlin", ec) ? dir / "Kwartlin" : dir;
  std::vector<std::pair<DataFile, fs::path>> copied;
  for (DataFile file : {DataFile::Script, DataFile::Spam, DataFile::Settings}) {
    const fs::path from = source / std::string(DataFileOnDisk(file));
    if (!fs::exists(from, ec)) continue;
    const std::optional<std::string> bytes = ReadBytes(from);
    if (!bytes) throw SimError(Say(TextId::CannotRead, {{"path", PathToUtf8(from)}}));
    Write(file, *bytes);
    copied.emplace_back(file, from);
  }
  return copied;
}

std::vector<std::string> PluginsFolder::PresentDataFiles() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (DataFile file : {DataFile::Script, DataFile::Spam, DataFile::Settings})
    if (fs::exists(DataPath(file), ec)) names.emplace_back(DataFileOnDisk(file));
  return names;
}

std::optional<std::string> PluginsFolder::Read(DataFile file) const {
  std::error_code ec;
  if (!fs::exists(DataPath(file), ec)) return std::nullopt;
  return ReadBytes(DataPath(file));
}

void PluginsFolder::Write(DataFile file, std::string_view bytes) {
  std::error_code ec;
  fs::create_directories(DataPath(file).parent_path(), ec);
  std::ofstream out(DataPath(file), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw SimError(Say(TextId::CannotWrite, {{"path", PathToUtf8(DataPath(file))}}));
}

void PluginsFolder::Remove(DataFile file) {
  std::error_code ec;
  fs::remove(DataPath(file), ec);
  if (ec) throw SimError(Say(TextId::CannotDelete, {{"path", PathToUtf8(DataPath(file))}, {"reason", ec.message()}}));
}

}  // namespace kwsim
