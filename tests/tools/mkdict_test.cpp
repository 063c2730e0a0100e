#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "config/constants.h"
#include "dictionary_files.h"
#include "game/dictionary.h"
#include "mkdict.h"
#include "support/temp_folder.h"
#include "word_list.h"

namespace lexfray {
namespace {

using mkdict::BuildDictionaryFiles;
using mkdict::ReadWordList;
using mkdict::RunMkdict;
using mkdict::WordListError;
using testing::TempFolder;

std::vector<std::string> WordsOf(std::string_view text) {
  auto read = ReadWordList(text);
  EXPECT_TRUE(std::holds_alternative<std::vector<std::string>>(read));
  return std::get<std::vector<std::string>>(read);
}

WordListError ErrorOf(std::string_view text) {
  auto read = ReadWordList(text);
  EXPECT_TRUE(std::holds_alternative<WordListError>(read));
  return std::get<WordListError>(read);
}

TEST(ReadWordList, UpperCasesSortsAndDropsDuplicates) {
  EXPECT_EQ(WordsOf("zoo\r\nCat\n\n  dog \nCAT\ncat"), (std::vector<std::string>{"CAT", "DOG", "ZOO"}));
}

TEST(ReadWordList, RefusesTheFirstBadLineByNumber) {
  WordListError bad = ErrorOf("CAT\nDO6\nAB\n");
  EXPECT_EQ(bad.line, 2);
  EXPECT_EQ(bad.problem, "\"DO6\" holds a character that is not a letter A to Z");
  bad = ErrorOf("CAT\r\n\r\nAB\r\n");
  EXPECT_EQ(bad.line, 3);
  EXPECT_EQ(bad.problem, "\"AB\" is shorter than 3 letters");
  bad = ErrorOf("ABCDEFGH");
  EXPECT_EQ(bad.line, 1);
  EXPECT_EQ(bad.problem, "\"ABCDEFGH\" is longer than 7 letters");
  EXPECT_EQ(ErrorOf("CAT\nCA T\n").line, 2);
  EXPECT_EQ(ErrorOf("CAT\nCAFÉ\n").line, 2);
}

std::vector<std::int64_t> IndexNumbers(const std::string& text) {
  DictionaryIndex index = ParseDictionaryIndex(text);
  EXPECT_TRUE(index.usable);
  return {index.dictIndex.begin(), index.dictIndex.end()};
}

TEST(BuildDictionaryFiles, WritesPaddedRecordsAndTheFirstRecordOfEachLetter) {
  mkdict::DictionaryFiles files = BuildDictionaryFiles({"ANT", "APE", "CAT", "CATS", "XYLOPHN"});
  EXPECT_EQ(files.words, "ANT    APE    CAT    CATS   XYLOPHN");
  std::vector<std::int64_t> numbers = IndexNumbers(files.index);
  EXPECT_EQ(numbers[0], 1);   // A
  EXPECT_EQ(numbers[1], 3);   // B, empty: where C starts
  EXPECT_EQ(numbers[2], 3);   // C
  EXPECT_EQ(numbers[3], 5);   // D to X: the X word
  EXPECT_EQ(numbers[23], 5);  // X
  EXPECT_EQ(numbers[24], 5);  // Y, Z: no later words, the last record
  EXPECT_EQ(numbers[25], 5);
  EXPECT_EQ(numbers[26], 5);
  EXPECT_EQ(files.index.substr(0, 6), "1\r\n3\r\n");
}

class RunMkdictTest : public ::testing::Test {
 protected:
  int Run(std::string_view list) {
    folder.Write("words.txt", list);
    return RunMkdict({folder.PathOf("words.txt"), folder.PathOf("out")}, out, err);
  }
  TempFolder folder;
  std::ostringstream out, err;
};

TEST_F(RunMkdictTest, WritesBothFilesIntoTheFolder) {
  EXPECT_EQ(Run("dog\ncat\n"), 0);
  EXPECT_EQ(folder.Read("out/quillon.dic"), "CAT    DOG    ");
  EXPECT_EQ(folder.Read("out/QUILLON.DIX").size(), 3u + 25 * 3 + 3);
  EXPECT_EQ(out.str(), "mkdict: 2 words\n");
}

TEST_F(RunMkdictTest, RefusesABadListNamingTheLineAndWritesNothing) {
  EXPECT_EQ(Run("CAT\nDOG\nNO\n"), 1);
  EXPECT_EQ(err.str(), "mkdict: " + folder.PathOf("words.txt") + ":3: \"NO\" is shorter than 3 letters\n");
  EXPECT_FALSE(folder.Exists("out/quillon.dic"));
  EXPECT_FALSE(folder.Exists("out/QUILLON.DIX"));
}

TEST_F(RunMkdictTest, RefusesAnEmptyListAMissingListAndWrongArguments) {
  EXPECT_EQ(Run("\n\n"), 1);
  EXPECT_NE(err.str().find("holds no words"), std::string::npos);
  EXPECT_EQ(RunMkdict({folder.PathOf("missing.txt"), folder.PathOf("out")}, out, err), 1);
  EXPECT_NE(err.str().find("cannot read"), std::string::npos);
  EXPECT_EQ(RunMkdict({"only-one"}, out, err), 2);
}

std::string ReadBuilt(std::string_view name) {
  std::ifstream in(std::string(LEXFRAY_PROGRAM_DIR) + "/" + std::string(name), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The dictionary the build put into the program folder, against the word list it came from.
TEST(BuiltDictionary, HoldsEveryWordOfTheListWithinTheSpanOfItsLetter) {
  std::string words = ReadBuilt(kWordFileName);
  std::string indexText = ReadBuilt(kIndexFileName);
  std::ifstream list(std::string(LEXFRAY_SOURCE_DIR) + "/data/words.txt");
  std::set<std::string> expected;
  for (std::string line; std::getline(list, line);) expected.insert(line);
  ASSERT_EQ(expected.size(), 28258u);
  ASSERT_EQ(words.size(), expected.size() * kWordRecordSize);

  std::vector<std::int64_t> numbers = IndexNumbers(indexText);
  ASSERT_EQ(numbers.size(), 27u);
  EXPECT_EQ(numbers[26], static_cast<std::int64_t>(expected.size()));
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = indexText.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
  EXPECT_EQ(lines, 27u);

  std::set<std::string> found;
  for (std::int64_t record = 1; record <= numbers[26]; ++record) {
    std::string bytes = words.substr(static_cast<std::size_t>(record - 1) * kWordRecordSize, kWordRecordSize);
    std::string word = bytes.substr(0, bytes.find(' '));
    ASSERT_EQ(RecordOf(word), bytes);
    std::size_t letter = static_cast<std::size_t>(word[0] - 'A');
    ASSERT_GE(record, numbers[letter]) << word;
    ASSERT_LE(record, numbers[letter + 1]) << word;
    found.insert(word);
  }
  EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace lexfray
