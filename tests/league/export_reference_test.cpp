// The indexed export against the plain search it stands for: on randomized files, both
// must leave the same score file and the same buffers, byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "config/constants.h"
#include "console/primitives.h"
#include "league/league_files.h"
#include "league/score_export.h"
#include "platform/files.h"
#include "platform/record_fields.h"
#include "platform/record_file.h"

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

// Every player searched for record by record from entry 2, through the shared buffers.
void ReferenceExport(const Settings& settings, RawBuffers& b) {
  std::string path = settings.PathOf(kScoreFileName);
  if (!FileExists(path)) {
    fields::PutText(b.header, 22, 2, "00");
    fields::PutText(b.header, 24, 25, "No Score-To-Beat As Yet");
    fields::PutText(b.header, 76, 35, "");
    RecordFile::Open(path, 251)->Write(1, b.header);
  }
  std::optional<RecordFile> scores = RecordFile::Open(path, 251);
  scores->Read(1, b.header);
  fields::PutText(b.header, 49, 5, " 1.6");
  scores->Write(1, b.header);
  std::int64_t e = scores->Count();

  std::optional<RecordFile> players = RecordFile::Open(settings.PathOf(kPlayerFileName), 133);
  for (std::int64_t i = 1; i <= players->Count(); ++i) {
    players->Read(i, b.player);
    if (ComparableName(fields::GetText(b.player, 2, 30)) == "COMPUTER PLAYER") continue;
    std::int64_t found = 0;
    for (std::int64_t j = 2; j <= e && !found; ++j) {
      scores->Read(j, b.entry);
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
      found = ++e;
    }
    fields::PutText(b.entry, 85, 5, RightAlignNumber(fields::GetInt16(b.player, 40), 5));
    scores->Write(found, b.entry);
  }
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
    TempFolder indexed, plain;
    std::string siteName = random.Site();
    Settings indexedSettings = testing::LeagueSettings(indexed, siteName);
    Settings plainSettings = testing::LeagueSettings(plain, siteName);
    bool withScoreFile = random.Below(6) != 0;
    std::string scoreFile = random.ScoreFile();
    std::string playerFile = random.PlayerFile();
    for (const TempFolder* folder : {&indexed, &plain}) {
      if (withScoreFile) folder->Write("LEXFRAY.ISC", scoreFile);
      folder->Write("LEXFRAY.USR", playerFile);
    }
    RawBuffers raw{ArrayOf<251>(random.Bytes(251)), ArrayOf<251>(random.Bytes(251)),
                   ArrayOf<133>(random.Bytes(133))};
    CompetitionState state;
    state.header = DecodeCompetitionHeader(raw.header);
    state.entry = DecodeCompetitionEntry(raw.entry);
    PlayerRecord player = DecodePlayerRecord(raw.player);

    for (int pass = 1; pass <= 2; ++pass) {
      ASSERT_FALSE(ExportIntoScoreFile(indexedSettings, state, player));
      ReferenceExport(plainSettings, raw);
      ASSERT_EQ(indexed.Read("LEXFRAY.ISC"), plain.Read("LEXFRAY.ISC")) << "pass " << pass;
      EXPECT_EQ(EncodeCompetitionHeader(state.header), raw.header);
      EXPECT_EQ(EncodeCompetitionEntry(state.entry), raw.entry);
      EXPECT_EQ(EncodePlayerRecord(player), raw.player);
    }
  }
}

}  // namespace
}  // namespace lexfray
