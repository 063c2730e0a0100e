#include "game/dictionary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "config/constants.h"
#include "dialogs/io.h"
#include "game/dictionary_lookup.h"
#include "game_fixture.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::BgAt;
using testing::FgAt;
using testing::HasTextAt;
using testing::TempFolder;

// 27 index lines, as the builder writes them.
std::string IndexText(const std::vector<int>& numbers) {
  std::string text;
  for (int number : numbers) text += std::to_string(number) + "\r\n";
  return text;
}

class DictionaryTest : public ::testing::Test {
 protected:
  void Build(const std::vector<std::string>& words) {
    testing::WriteDictionary(folder, words);
    index = LoadDictionaryIndex(folder.PathOf(kIndexFileName), wordFile());
  }
  // A word file written byte for byte, with its own index numbers.
  void Handmade(const std::string& records, const std::vector<int>& numbers) {
    folder.Write(kWordFileName, records);
    index = ParseDictionaryIndex(IndexText(numbers));
  }
  bool Finds(std::string_view word) const { return SearchWordFile(wordFile(), index, word); }
  std::string wordFile() const { return folder.PathOf(kWordFileName); }

  TempFolder folder;
  DictionaryIndex index;
};

TEST_F(DictionaryTest, MatchesWholePaddedRecordsOnly) {
  Build({"CATS", "DOG", "ABANDON", "ZOO"});
  EXPECT_FALSE(Finds("CAT"));
  EXPECT_TRUE(Finds("CATS"));
  EXPECT_TRUE(Finds("ABANDON"));
  EXPECT_FALSE(Finds("ABANDO"));
  EXPECT_TRUE(Finds("ZOO"));
  EXPECT_TRUE(Finds("DOG"));
  Build({"CAT", "CATS"});
  EXPECT_TRUE(Finds("CAT"));
}

TEST_F(DictionaryTest, NeverMatchesAcrossTwoRecords) {
  // "CAT    " stands at byte 4, across the two records of C's span.
  Handmade("CCCCCAT    CCC", {1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2});
  ASSERT_TRUE(index.usable);
  EXPECT_FALSE(Finds("CAT"));
  EXPECT_TRUE(Finds("CCCCCAT"));
}

TEST_F(DictionaryTest, ALookupSearchesOnlyTheSpanOfTheFirstLetter) {
  // CAT is misfiled among the D words: C's span (record 3, DOG) does not hold it.
  Handmade("ANT    BEE    DOG    CAT    EEL    ",
           {1, 2, 3, 3, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5});
  ASSERT_TRUE(index.usable);
  EXPECT_FALSE(Finds("CAT"));
  EXPECT_TRUE(Finds("DOG"));
  EXPECT_TRUE(Finds("EEL"));
}

// Five thousand S words: a span of 35000 bytes, more than one piece.
std::vector<std::string> ManySWords() {
  std::vector<std::string> words;
  for (int n = 0; n < 5000; ++n) {
    std::string word = "S";
    for (int value = n, i = 0; i < 4; ++i, value /= 26) word.insert(1, 1, static_cast<char>('A' + value % 26));
    words.push_back(word);
  }
  return words;
}

TEST_F(DictionaryTest, SearchesASpanLongerThanOnePieceCompletely) {
  std::vector<std::string> words = ManySWords();
  Build(words);
  ASSERT_GT(words.size() * kWordRecordSize, kLookupPiece);
  const std::size_t straddling = kLookupPiece / kWordRecordSize;  // bytes 31997..32003
  EXPECT_TRUE(Finds(words[straddling - 1]));
  EXPECT_TRUE(Finds(words[straddling]));
  EXPECT_TRUE(Finds(words[straddling + 1]));
  EXPECT_TRUE(Finds(words[4800]));
  EXPECT_TRUE(Finds(words.back()));
  EXPECT_FALSE(Finds("SZZZZZZ"));
}

TEST_F(DictionaryTest, AMissingWordFileFindsNothing) {
  Build({"CAT"});
  folder.Remove(kWordFileName);
  EXPECT_FALSE(Finds("CAT"));
  EXPECT_FALSE(folder.Exists(kWordFileName));
}

TEST_F(DictionaryTest, WordsThatCannotBeRecordsFindNothing) {
  Build({"CAT"});
  EXPECT_FALSE(Finds(""));
  EXPECT_FALSE(Finds("CATCATCA"));
  EXPECT_FALSE(Finds("cat"));
  EXPECT_FALSE(Finds("[AT"));
}

struct BrokenIndex {
  const char* what;
  std::string text;
};

// Failures name the case, not the bytes of the object.
void PrintTo(const BrokenIndex& index, std::ostream* out) { *out << index.what; }

class BrokenIndexTest : public DictionaryTest, public ::testing::WithParamInterface<BrokenIndex> {};

TEST_P(BrokenIndexTest, RefusesEveryWordWithoutReadingOutsideTheFile) {
  Build({"ANT", "CAT", "ZOO"});
  folder.Write(kIndexFileName, GetParam().text);
  index = LoadDictionaryIndex(folder.PathOf(kIndexFileName), wordFile());
  EXPECT_FALSE(Finds("ANT"));
  EXPECT_FALSE(Finds("CAT"));
  EXPECT_FALSE(Finds("ZOO"));
}

std::vector<int> GoodNumbers() {
  return {1, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
}
std::string Changed(int position, int value) {
  std::vector<int> numbers = GoodNumbers();
  numbers[static_cast<std::size_t>(position)] = value;
  return IndexText(numbers);
}

INSTANTIATE_TEST_SUITE_P(
    Index, BrokenIndexTest,
    ::testing::Values(BrokenIndex{"empty", ""},
                      BrokenIndex{"short", IndexText({1, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3})},
                      BrokenIndex{"zero", Changed(0, 0)}, BrokenIndex{"negative", Changed(2, -2)},
                      BrokenIndex{"decreasing", Changed(3, 1)}, BrokenIndex{"beyond", Changed(26, 4)},
                      BrokenIndex{"huge", Changed(26, 2000000000)},
                      BrokenIndex{"garbage", "1\r\n2\r\nX\r\n" + Changed(0, 1)}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(DictionaryTest, AMissingIndexIsNotUsable) {
  Build({"CAT"});
  folder.Remove(kIndexFileName);
  index = LoadDictionaryIndex(folder.PathOf(kIndexFileName), wordFile());
  EXPECT_FALSE(index.usable);
  EXPECT_FALSE(Finds("CAT"));
}

TEST_F(DictionaryTest, AHugeOrEndlessIndexIsNotUsableAndNotReadWhole) {
  Build({"CAT"});
  std::filesystem::resize_file(folder.PathOf(kIndexFileName), std::uintmax_t{40} << 30);
  EXPECT_FALSE(LoadDictionaryIndex(folder.PathOf(kIndexFileName), wordFile()).usable);
  folder.Remove(kIndexFileName);
  std::filesystem::create_symlink("/dev/zero", folder.PathOf(kIndexFileName));
  EXPECT_FALSE(LoadDictionaryIndex(folder.PathOf(kIndexFileName), wordFile()).usable);
}

TEST_F(DictionaryTest, AnIndexWithoutItsWordFileIsNotUsable) {
  Build({"CAT"});
  folder.Remove(kWordFileName);
  EXPECT_FALSE(LoadDictionaryIndex(folder.PathOf(kIndexFileName), wordFile()).usable);
}

TEST_F(DictionaryTest, AWordFileThatShrankIsSearchedOnlyAsFarAsItGoes) {
  std::vector<std::string> words = ManySWords();
  Build(words);
  folder.Write(kWordFileName, folder.Read(kWordFileName).substr(0, 100 * kWordRecordSize + 3));
  EXPECT_TRUE(Finds(words[99]));
  EXPECT_FALSE(Finds(words[100]));
  EXPECT_FALSE(Finds(words[4800]));
}

TEST(ParseDictionaryIndex, ReadsTwentySevenNumbersWhateverTheLineEnds) {
  std::string text;
  for (int k = 1; k <= 27; ++k) text += " " + std::to_string(k) + (k % 2 ? "\n" : "\r\n");
  DictionaryIndex index = ParseDictionaryIndex(text + "999\r\n");
  ASSERT_TRUE(index.usable);
  EXPECT_EQ(index.dictIndex[0], 1);
  EXPECT_EQ(index.dictIndex[26], 27);
}

class LookUpWordTest : public DictionaryTest {
 protected:
  void SetUp() override { Build({"CAT", "DOGS"}); }
  bool LookUp(std::string_view word) { return LookUpWord(board.io, wordFile(), index, word); }
  testing::BoardHarness board;
};

TEST_F(LookUpWordTest, AHitLeavesTheCheckingMessageWithoutAPause) {
  EXPECT_TRUE(LookUp("CAT"));
  EXPECT_TRUE(HasTextAt(board.screen, 21, 52, " Checking Dictionary.. "));
  EXPECT_EQ(FgAt(board.screen, 21, 52), kBrightWhite);
  EXPECT_EQ(BgAt(board.screen, 21, 52), kMagenta);
  EXPECT_TRUE(board.clock.sleeps().empty());
}

TEST_F(LookUpWordTest, AMissShowsThePaddedWordInRedForTwoSeconds) {
  EXPECT_FALSE(LookUp("COT"));
  EXPECT_TRUE(HasTextAt(board.screen, 21, 48, " COT      Not in Dictionary "));
  for (int column = 49; column <= 55; ++column) EXPECT_EQ(FgAt(board.screen, 21, column), kLightRed);
  for (int column = 56; column <= 75; ++column) EXPECT_EQ(FgAt(board.screen, 21, column), kLightCyan);
  EXPECT_EQ(BgAt(board.screen, 21, 60), kBlack);
  EXPECT_EQ(board.clock.sleeps(), std::vector<int>{2000});
  EXPECT_TRUE(HasTextAt(board.terminal.shown(), 21, 49, "COT    "));

  EXPECT_FALSE(LookUp("DOGE"));
  EXPECT_TRUE(HasTextAt(board.screen, 21, 48, " DOGE     Not in Dictionary "));
}

TEST_F(LookUpWordTest, AMissingWordFileRefusesWithTheSameMessage) {
  folder.Remove(kWordFileName);
  EXPECT_FALSE(LookUp("CAT"));
  EXPECT_TRUE(HasTextAt(board.screen, 21, 49, "CAT      Not in Dictionary "));
}

}  // namespace
}  // namespace lexfray
