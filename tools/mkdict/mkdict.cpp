#include "mkdict.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <variant>

#include "config/constants.h"
#include "dictionary_files.h"
#include "word_list.h"

namespace lexfray::mkdict {

namespace {

namespace fs = std::filesystem;

bool ReadWhole(const fs::path& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  text = bytes.str();
  return !in.bad();
}

// Through a temporary file and a rename, so that a failed build never leaves half a file
// that a later build would take as up to date.
bool WriteWhole(const fs::path& path, const std::string& bytes, std::ostream& err) {
  fs::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      err << "mkdict: cannot write " << temporary.string() << "\n";
      return false;
    }
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  if (!error) return true;
  err << "mkdict: cannot write " << path.string() << ": " << error.message() << "\n";
  fs::remove(temporary, error);
  return false;
}

}  // namespace

int RunMkdict(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  if (arguments.size() != 2) {
    err << "usage: mkdict WORD-LIST OUTPUT-FOLDER\n";
    return 2;
  }
  const fs::path list = arguments[0];
  const fs::path folder = arguments[1];
  std::string text;
  if (!ReadWhole(list, text)) {
    err << "mkdict: cannot read " << list.string() << "\n";
    return 1;
  }
  auto read = ReadWordList(text);
  if (const WordListError* bad = std::get_if<WordListError>(&read)) {
    err << "mkdict: " << list.string() << ":" << bad->line << ": " << bad->problem << "\n";
    return 1;
  }
  const auto& words = std::get<std::vector<std::string>>(read);
  if (words.empty()) {
    err << "mkdict: " << list.string() << " holds no words\n";
    return 1;
  }
  DictionaryFiles files = BuildDictionaryFiles(words);
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  if (!WriteWhole(folder / std::string(kWordFileName), files.words, err) ||
      !WriteWhole(folder / std::string(kIndexFileName), files.index, err))
    return 1;
  out << "mkdict: " << words.size() << " words\n";
  return 0;
}

}  // namespace lexfray::mkdict
