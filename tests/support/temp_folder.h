#pragma once

#include <string>
#include <string_view>

namespace lexfray::testing {

// A fresh folder under /tmp, removed with everything in it when the object goes.
class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  const std::string& path() const { return path_; }  // ends in '/'
  std::string PathOf(std::string_view name) const { return path_ + std::string(name); }
  void Write(std::string_view name, std::string_view bytes) const;
  std::string Read(std::string_view name) const;
  bool Exists(std::string_view name) const;
  void Remove(std::string_view name) const;
  // Copies a file of the built program folder (the dictionary, the documents) here.
  void CopyFromProgramFolder(std::string_view name) const;

 private:
  std::string path_;
};

// A configuration file of 32 lines with the given settings on lines 1, 7, 9 and 32.
std::string ConfigText(std::string_view site = "Test Site", std::string_view gamesPerDay = "5",
                       std::string_view monthlyReset = "Y", std::string_view competition = "0");

}  // namespace lexfray::testing
