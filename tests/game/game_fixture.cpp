#include "game_fixture.h"

#include "config/constants.h"

namespace lexfray::testing {

std::vector<std::string> TwelveWordsOfLength(int length) {
  switch (length) {
    case 3: return {"ACE", "ACT", "ADO", "ADS", "AGE", "AGO", "AID", "AIL", "AIM", "AIR", "ALE", "ALP"};
    case 4: return {"ACED", "ACES", "ACHE", "ACID", "ACME", "ACNE", "ACRE", "ACTS", "AEON", "AGED",
                    "AGES", "AHEM"};
    case 5: return {"ACHED", "ACHES", "ACIDS", "ACING", "ACMES", "ACORN", "ACRES", "ACRID", "ACTED",
                    "ACTOR", "ADEPT", "ADMEN"};
    case 6: return {"ACHIER", "ACHING", "ACORNS", "ACTING", "ACTION", "ACTORS", "ADEPTS", "ADMIRE",
                    "ADMITS", "ADOPTS", "ADORES", "ADORNS"};
    default: return {"ACHIEST", "ACONITE", "ACTIONS", "ADIPOSE", "ADMIRES", "ADOPTER", "ADORING",
                     "AGONIES", "AGONISE", "AGONIST", "AILERON", "AILMENT"};
  }
}

std::vector<std::string> SixtyWords() {
  std::vector<std::string> words;
  for (int length = 3; length <= 7; ++length) {
    std::vector<std::string> some = TwelveWordsOfLength(length);
    words.insert(words.end(), some.begin(), some.end());
  }
  return words;
}

GameFixture::GameFixture(std::vector<std::string> words, bool competition) {
  settings.programFolder = folder.path();
  settings.competitionActive = competition ? 1 : 0;
  WriteDictionary(folder, std::move(words));
  index = LoadDictionaryIndex(folder.PathOf(kIndexFileName), folder.PathOf(kWordFileName));
}

GameEnd GameFixture::Play(std::string_view rack, bool followOnGame) {
  random.DealLetters(std::string(rack));
  return PlayGame(context, state, followOnGame);
}

std::string GameFixture::PaddedName(std::string name) {
  name.resize(30, ' ');
  return name;
}

}  // namespace lexfray::testing
