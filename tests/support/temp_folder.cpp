#include "support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace lexfray::testing {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lexfray-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!::mkdtemp(buffer.data())) throw std::runtime_error("cannot create a temporary folder");
  path_ = std::string(buffer.data()) + "/";
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void TempFolder::Write(std::string_view name, std::string_view bytes) const {
  std::ofstream out(PathOf(name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + PathOf(name));
}

std::string TempFolder::Read(std::string_view name) const {
  std::ifstream in(PathOf(name), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool TempFolder::Exists(std::string_view name) const {
  return std::filesystem::exists(PathOf(name));
}

void TempFolder::Remove(std::string_view name) const {
  std::error_code ignored;
  std::filesystem::remove(PathOf(name), ignored);
}

void TempFolder::CopyFromProgramFolder(std::string_view name) const {
  std::filesystem::copy_file(std::filesystem::path(LEXFRAY_PROGRAM_DIR) / name, PathOf(name),
                             std::filesystem::copy_options::overwrite_existing);
}

std::string ConfigText(std::string_view site, std::string_view gamesPerDay,
                       std::string_view monthlyReset, std::string_view competition) {
  std::string text;
  for (int line = 1; line <= 32; ++line) {
    std::string_view value;
    if (line == 1) value = site;
    if (line == 7) value = gamesPerDay;
    if (line == 9) value = monthlyReset;
    if (line == 32) value = competition;
    text += std::string(value) + "\r\n";
  }
  return text;
}

}  // namespace lexfray::testing
