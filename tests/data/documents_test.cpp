// The four documents that ship in the program folder: that they read well in the game's
// viewer and that they agree with the program they describe.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "config/constants.h"
#include "dialogs/show_document.h"
#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::BoardHarness;

const std::vector<std::string_view> kDocuments = {kInstructionsFileName, kHistoryFileName,
                                                  kAdvertFileName, kLicenceFileName};

std::string Shipped(std::string_view name) {
  std::string path = std::string(LEXFRAY_PROGRAM_DIR) + "/" + std::string(name);
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "missing from the program folder: " << path;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string FromSource(std::string_view name) {
  std::ifstream in(std::string(LEXFRAY_SOURCE_DIR) + "/" + std::string(name), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

// Runs of blanks and line breaks as one blank, so that re-wrapped text compares equal.
std::string Words(const std::string& text) {
  std::istringstream in(text);
  std::string words;
  for (std::string word; in >> word;) words += (words.empty() ? "" : " ") + word;
  return words;
}

bool Mentions(const std::string& text, std::string_view what) {
  return text.find(what) != std::string::npos;
}

TEST(Documents, ArePlainAsciiTextWithoutWhatTheViewerWouldTakeForBreaksOrTabs) {
  for (std::string_view name : kDocuments) {
    SCOPED_TRACE(std::string(name));
    std::string text = Shipped(name);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    for (std::size_t i = 0; i < text.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << "byte " << int(c) << " at " << i;
    }
    // The viewer reads the two characters \n and \t as a line break and a tab.
    EXPECT_FALSE(Mentions(text, "\\n"));
    EXPECT_FALSE(Mentions(text, "\\t"));
  }
}

TEST(Documents, ShowInTheViewerLineForLineWithoutWrapping) {
  for (std::string_view name : kDocuments) {
    SCOPED_TRACE(std::string(name));
    std::string lines = std::to_string(Lines(Shipped(name)).size());
    BoardHarness board;
    std::string status;
    board.terminal.Then([&](const Screen& screen) { status = testing::TextAt(screen, 22, 1, 80); })
        .Key(kKeyEnter);
    ShowDocument(board.io, std::string(LEXFRAY_PROGRAM_DIR) + "/" + std::string(name), "TITLE");
    EXPECT_TRUE(Mentions(status, " of " + lines + " ")) << status;
  }
}

TEST(Documents, LicenceCarriesTheProgramsLicenceAndTheWordListNotices) {
  std::string licence = Words(Shipped(kLicenceFileName));
  EXPECT_TRUE(Mentions(licence, Words(FromSource("LICENSE"))));
  for (std::string_view notice :
       {"Copyright 2000-2018 by Kevin Atkinson Permission to use, copy, modify, distribute and "
        "sell these word lists",
        "WordNet 1.6 Copyright 1997 by Princeton University.",
        "Copyright 1993, Geoff Kuenning, Granada Hills, CA All rights reserved.",
        "Copyright 2016 by Benjamin Titze",
        "SOFTWARE, EVEN IF ADVISED OF THE POSSIBILITY OF SUCH DAMAGE."}) {
    EXPECT_TRUE(Mentions(licence, notice)) << notice;
  }
  // The word list's licence asks for a modified list to be marked as such.
  EXPECT_TRUE(Mentions(licence, "derived from SCOWL"));
  EXPECT_TRUE(Mentions(licence, "is a modified version of it"));
}

TEST(Documents, NameTheVersionTheMakerAndTheFilesOfThisProgram) {
  std::string instructions = Shipped(kInstructionsFileName);
  std::string advert = Shipped(kAdvertFileName);
  std::string version = "version " + std::string(kVersionText) + " of " + std::string(kVersionDate);
  EXPECT_TRUE(Mentions(Lines(instructions).at(1), version));
  for (const std::string* text : {&instructions, &advert}) {
    EXPECT_TRUE(Mentions(*text, kMakerName));
    EXPECT_TRUE(Mentions(*text, kSupportAddress));
    EXPECT_TRUE(Mentions(*text, kWebAddress));
  }
  for (std::string_view file :
       {kConfigFileName, kPlayerFileName, kBackupFileName, kScoreFileName, kWordFileName,
        kIndexFileName, kBackupHelpFileName, kInstructionsFileName, kHistoryFileName,
        kAdvertFileName, kLicenceFileName}) {
    EXPECT_TRUE(Mentions(instructions, file)) << file;
  }
  for (std::string_view name : {kCompetitionProgramName, kCompetitionMarkerName})
    EXPECT_TRUE(Mentions(advert, "/" + std::string(kCompetitionFolder) + std::string(name)));
}

TEST(Documents, HistoryRunsNewestFirstFromThisVersionBackTo2003) {
  struct Entry {
    std::string version, date;
    std::pair<int, int> number;
    std::string sortable;  // YYMMDD
  };
  const std::regex heading(R"(^Version ((\d+)\.(\d+)) +((\d\d)/(\d\d)/(\d\d))$)");
  std::vector<Entry> entries;
  for (const std::string& line : Lines(Shipped(kHistoryFileName))) {
    std::smatch m;
    if (!std::regex_match(line, m, heading)) continue;
    entries.push_back({m[1], m[4], {std::stoi(m[2]), std::stoi(m[3])},
                       m[7].str() + m[5].str() + m[6].str()});
  }
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.front().version, kVersionText);
  EXPECT_EQ(entries.front().date, kVersionDate);
  for (std::size_t i = 1; i < entries.size(); ++i) {
    EXPECT_GT(entries[i - 1].number, entries[i].number) << entries[i].version;
    EXPECT_GT(entries[i - 1].sortable, entries[i].sortable) << entries[i].version;
  }
  EXPECT_EQ(entries.back().sortable.substr(0, 2), "03");
}

}  // namespace
}  // namespace lexfray
