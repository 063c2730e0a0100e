#include "players/login.h"

#include "players_fixture.h"
#include "support/snapshot.h"

namespace lexfray::testing {
namespace {

class LoginTest : public PlayersTest {
 protected:
  std::string Login() { return PlayerLogin(board.io, settings, buffer); }
  // Picks "New Player" (the last entry) and types name into the input box.
  void TypeNewName(std::string_view name) {
    board.terminal.Key(kKeyEnd).Key(kKeyEnter).Type(name).Key(kKeyEnter);
  }
  long long NoticeSeconds() const { return board.clock.sleptMs() / 1000; }
};

TEST_F(LoginTest, TheListHoldsTheFilesNamesTrimmedInUpperCaseThenNewPlayer) {
  WriteRecords({Player(" alice "), Player("COMPUTER PLAYER"), Player("Bob")});
  std::vector<std::string> list = LoginList(settings, buffer);
  EXPECT_EQ(list, (std::vector<std::string>{"ALICE", "BOB", "New Player"}));
  EXPECT_EQ(buffer.name.substr(0, 3), "Bob");  // every reader loads the one buffer

  board.terminal.Then([](const Screen& screen) {
    EXPECT_NE(RowOf(screen, "PLAYER NAME LOGIN"), 0);
    EXPECT_NE(RowOf(screen, " ALICE"), 0);
    EXPECT_EQ(RowOf(screen, "COMPUTER PLAYER"), 0);
  });
  board.terminal.Key(kKeyEnter);
  EXPECT_EQ(Login(), "ALICE");  // no filter and no two-letter rule for a returning name
}

TEST_F(LoginTest, AMissingFileIsCreatedAndListsOnlyNewPlayer) {
  EXPECT_EQ(LoginList(settings, buffer), std::vector<std::string>{"New Player"});
  EXPECT_TRUE(HasPlayerFile());
  EXPECT_EQ(FileBytes(), "");
}

TEST_F(LoginTest, CancellingTheListGivesNoName) {
  board.terminal.Key(kKeyEscape);
  EXPECT_EQ(Login(), "");
  EXPECT_EQ(NoticeSeconds(), 0);
}

TEST_F(LoginTest, ANewNameThatStartsWithTwoLettersIsTakenAsTyped) {
  TypeNewName("Jo");
  EXPECT_EQ(Login(), "Jo");
  TypeNewName("New Player");
  EXPECT_EQ(Login(), "New Player");
  EXPECT_EQ(VisitName("Jo"), "JO" + std::string(28, ' '));
}

TEST_F(LoginTest, NamesThatDoNotStartWithTwoLettersAreRefusedWithANotice) {
  for (std::string_view name : {"J2", "1Ann", " Ann", "J"}) {
    long long before = board.clock.sleptMs();
    TypeNewName(name);
    EXPECT_EQ(Login(), "") << name;
    EXPECT_EQ(board.clock.sleptMs() - before, 5000) << name;
  }
}

TEST_F(LoginTest, ACancelledInputBoxAlsoShowsTheTwoLetterNotice) {
  board.terminal.Key(kKeyEnd).Key(kKeyEnter).Key(kKeyEscape);
  EXPECT_EQ(Login(), "");
  EXPECT_EQ(NoticeSeconds(), 5);
}

TEST_F(LoginTest, NamesHoldingABlockedWordAreRefusedInAnyCase) {
  for (std::string_view name : {"Mishit", "scumbags4u"}) {
    long long before = board.clock.sleptMs();
    TypeNewName(name);
    ExpectBoxAndAccept("INVALID PLAYER NAME");
    EXPECT_EQ(Login(), "") << name;
    EXPECT_EQ(board.clock.sleptMs() - before, 5000) << "the two-letter notice follows";
  }
  EXPECT_TRUE(board.terminal.ScriptDone());
  EXPECT_FALSE(NameIsBlocked(board.io, "Ashley"));
}

TEST_F(LoginTest, ANameLongerThanARecordHoldsIsCutToThirty) {
  TypeNewName("Abcdefghijklmnopqrstuvwxyz0123456789");
  EXPECT_EQ(Login(), "Abcdefghijklmnopqrstuvwxyz0123");
}

TEST_F(LoginTest, NamesWithControlBytesAreListedAsStoredWithoutHarm) {
  WriteRecords({Player("\x1b[2J\x07zap"), Player(std::string("nul\0x", 5))});
  std::vector<std::string> list = LoginList(settings, buffer);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0], "\x1b[2J\x07ZAP");
  board.terminal.Key(kKeyEnter);
  EXPECT_EQ(Login(), "\x1b[2J\x07ZAP");
}

}  // namespace
}  // namespace lexfray::testing
