// The administrator's commands for the player names of a shared installation.
#include "shell/name_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/fakes.h"
#include "support/temp_folder.h"

namespace lexfray {
namespace {

struct NameCommandCase {
  const char* name;
  std::vector<std::string> arguments;
  bool administrator;
  int status;
  const char* out;      // exactly
  const char* err;      // contained
  const char* owners;   // LEXFRAY.OWN afterwards
};

class NameCommands : public ::testing::TestWithParam<NameCommandCase> {};

TEST_P(NameCommands, ListAndFreeNamesForTheAdministratorAlone) {
  testing::TempFolder folder;
  folder.Write("LEXFRAY.OWN", "0 ANNA\n4242 BOB\n4242 50%25 %01Z\n");
  Installation installation{true, 1001, "ann", GetParam().administrator, "root"};
  testing::FakeClock clock;
  std::ostringstream out, err;
  EXPECT_EQ(RunNameCommand(GetParam().arguments, folder.path(), installation, clock, out, err),
            GetParam().status);
  EXPECT_EQ(out.str(), GetParam().out);
  EXPECT_NE(err.str().find(GetParam().err), std::string::npos) << err.str();
  EXPECT_EQ(folder.Read("LEXFRAY.OWN"), GetParam().owners);
}

constexpr const char* kAll = "0 ANNA\n4242 BOB\n4242 50%25 %01Z\n";

INSTANTIATE_TEST_SUITE_P(
    Commands, NameCommands,
    ::testing::Values(
        NameCommandCase{"ListsEveryNameWithItsAccount", {"--names"}, true, 0,
                        "root\tANNA\n4242\tBOB\n4242\t50%25 %01Z\n", "", kAll},
        NameCommandCase{"FreesANameInAnyCase", {"--free-name", "bob "}, true, 0, "freed BOB\n", "",
                        "0 ANNA\n4242 50%25 %01Z\n"},
        NameCommandCase{"FreesANameAsItIsShown", {"--free-name", "50%25 %01z"}, true, 0,
                        "freed 50%25 %01Z\n", "", "0 ANNA\n4242 BOB\n"},
        NameCommandCase{"SaysWhenNobodyHasTheName", {"--free-name", "carl"}, true, 1, "",
                        "nobody has the name CARL", kAll},
        NameCommandCase{"AreTheAdministratorsAlone", {"--free-name", "bob"}, false, 1, "",
                        "only the administrator (root)", kAll},
        NameCommandCase{"ShowHowTheyAreWritten", {"--name"}, true, 2, "", "usage: lexfray", kAll}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lexfray
