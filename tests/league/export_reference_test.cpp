// The indexed export against the plain search it stands for: on randomized files, both
// must leave the same score file and the same buffers, byte for byte. The indexed one runs
// in memory, as the score file's writers run it on the file they read.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "config/constants.h"
#include "console/primitives.h"
#include "league/league_files.h"
#include "league/site_export.h"
#include "platform/files.h"
#include "platform/record_fields.h"

namespace lexfray {
namespace {

using testing::TempFolder;

struct RawBuffers {
  CompetitionRecordBytes header{};
  CompetitionRecordBytes entry{};
  PlayerRecordBytes player{};
};

bool Matches(const PlayerRecordBytes& player, const CompetitionRecordBytes& entry,
             const std::string& siteName) {
  std::string name = fields::GetText(player, 2, 30).substr(0, 25);
  return ComparableName(name) == ComparableName(fields::GetText(entry, 35, 25)) &&
         ComparableName(std::string_view(siteName).substr(0, std::min<std::size_t>(siteName.size(), 35))) ==
             ComparableName(fields::GetText(entry, 0, 35));
}

// The whole records of a file, a partial one at the end left out.
template <std::size_t N>
std::vector<std::array<std::uint8_t, N>> RecordsOf(const std::string& bytes) {
  std::vector<std::array<std::uint8_t, N>> records(bytes.size() / N);
  for (std::size_t r = 0; r < records.size(); ++r)
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(r * N), N, records[r].begin());
  return records;
}

// Every player searched for record by record from entry 2, through the shared buffers.
void ReferenceExport(const Settings& settings, RawBuffers& b) {
  std::string path = settings.PathOf(kScoreFileName);
  std::vector<CompetitionRecordBytes> scores;
  if (!FileExists(path)) {
    fields::PutText(b.header, 22, 2, "00");
    fields::PutText(b.header, 24, 25, "No Score-To-Beat As Yet");
    fields::PutText(b.header, 76, 35, "");
    scores.push_back(b.header);
  } else {
    scores = RecordsOf<251>(*ReadFileBytes(path));
  }
  b.header = scores[0];
  fields::PutText(b.header, 49, 5, " 1.6");
  scores[0] = b.header;

  std::optional<std::string> playerBytes = ReadFileBytes(settings.PathOf(kPlayerFileName));
  for (const PlayerRecordBytes& player : RecordsOf<133>(playerBytes.value_or(""))) {
    b.player = player;
    if (ComparableName(fields::GetText(b.player, 2, 30)) == "COMPUTER PLAYER") continue;
    std::size_t found = 0;
    for (std::size_t j = 2; j <= scores.size() && !found; ++j) {
      b.entry = scores[j - 1];
      if (Matches(b.player, b.entry, settings.siteName)) found = j;
    }
    fields::PutText(b.entry, 0, 35, settings.siteName);
    double total = fields::GetDouble(b.player, 32);
    fields::PutDouble(b.entry, 60, std::isfinite(total) ? total : 0.0);
    fields::PutText(b.entry, 76, 5, fields::GetText(b.player, 42, 5));
    fields::PutText(b.entry, 81, 1, " ");
    if (!found) {
      fields::PutText(b.entry, 35, 25, fields::GetText(b.player, 2, 30));
      fields::PutText(b.entry, 68, 8, "LEXFRAY0");
      fields::PutText(b.entry, 82, 3, "   ");
      fields::PutText(b.entry, 90, 41, "");
      scores.emplace_back();
      found = scores.size();
    }
    fields::PutText(b.entry, 85, 5, RightAlignNumber(fields::GetInt16(b.player, 40), 5));
    scores[found - 1] = b.entry;
  }
  std::string bytes;
  for (const CompetitionRecordBytes& record : scores) bytes.append(record.begin(), record.end());
  WriteFileBytes(path, bytes);
}

class RandomFiles {
 public:
  explicit RandomFiles(unsigned seed) : random_(seed) {}

  std::string Site() {
    static const char* sites[] = {"North Side", "NORTH SIDE", "north side  ", "North Side ",
                                  "North Sid", "South", "",
                                  "A site name longer than thirty-five characters"};
    return Pick(sites);
  }
  std::string Name() {
    static const char* names[] = {"ANNA", "anna", "ANNA   ", " ANNA", "BOB", "Bob",
                                  "ABCDEFGHIJKLMNOPQRSTUVWXYZ12", "ABCDEFGHIJKLMNOPQRSTUVWXY99",
                                  "COMPUTER PLAYER", "computer player ", "LEXFRAY", ""};
    return Pick(names);
  }

  std::string Bytes(std::size_t count) {
    std::string bytes(count, '\0');
    for (char& c : bytes) c = static_cast<char>(random_());
    return bytes;
  }

  // A header and entries with random bytes wherever the names do not stand.
  std::string ScoreFile() {
    std::string file = Bytes(251);
    int entries = Below(3) == 0 ? 0 : static_cast<int>(Below(40));
    for (int n = 0; n < entries; ++n) {
      std::string entry = Bytes(251);
      entry.replace(0, 35, testing::Padded(Site(), 35));
      entry.replace(35, 25, testing::Padded(Name(), 25));
      file += entry;
    }
    if (Below(4) == 0) file += Bytes(Below(250) + 1);
    return file;
  }

  std::string PlayerFile() {
    std::string file;
    int players = static_cast<int>(Below(30));
    for (int n = 0; n < players; ++n) {
      std::string record = Bytes(133);
      record.replace(2, 30, testing::Padded(Name(), 30));
      file += record;
    }
    return file;
  }

  std::size_t Below(std::size_t limit) { return random_() % limit; }

 private:
  template <std::size_t N>
  std::string Pick(const char* (&from)[N]) {
    return from[Below(N)];
  }

  std::mt19937 random_;
};

template <std::size_t N>
std::array<std::uint8_t, N> ArrayOf(const std::string& bytes) {
  std::array<std::uint8_t, N> array{};
  std::copy_n(bytes.begin(), N, array.begin());
  return array;
}

TEST(ScoreExportReference, TheIndexedExportLeavesTheSameBytesAsThePlainSearch) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    RandomFiles random(seed);
    TempFolder plain;
    std::string siteName = random.Site();
    Settings plainSettings = testing::LeagueSettings(plain, siteName);
    bool withScoreFile = random.Below(6) != 0;
    std::string scoreFile = random.ScoreFile();
    std::string playerFile = random.PlayerFile();
    if (withScoreFile) plain.Write("LEXFRAY.ISC", scoreFile);
    plain.Write("LEXFRAY.USR", playerFile);
    std::vector<std::uint8_t> indexed;
    if (withScoreFile)
      indexed.assign(scoreFile.begin(), scoreFile.end() - static_cast<std::ptrdiff_t>(scoreFile.size() % 251));
    SiteExport export_{siteName, {}};
    for (std::size_t at = 0; at + 133 <= playerFile.size(); at += 133)
      export_.players.push_back(DecodePlayerRecord(ArrayOf<133>(playerFile.substr(at, 133))));
    RawBuffers raw{ArrayOf<251>(random.Bytes(251)), ArrayOf<251>(random.Bytes(251)),
                   ArrayOf<133>(random.Bytes(133))};
    CompetitionHeader header = DecodeCompetitionHeader(raw.header);
    CompetitionEntry entry = DecodeCompetitionEntry(raw.entry);

    for (int pass = 1; pass <= 2; ++pass) {
      ApplySiteExport(export_, indexed, header, entry);
      ReferenceExport(plainSettings, raw);
      ASSERT_EQ(std::string(indexed.begin(), indexed.end()), plain.Read("LEXFRAY.ISC")) << "pass " << pass;
      EXPECT_EQ(EncodeCompetitionHeader(header), raw.header);
      EXPECT_EQ(EncodeCompetitionEntry(entry), raw.entry);
    }
  }
}

}  // namespace
}  // namespace lexfray
