#include "commands/command_line.h"

#include <map>

namespace lexfray::leaguenet {

const char* const kUsageText =
    "Usage: leaguenet [--config FILE]            exchange this site's scores with the league\n"
    "       leaguenet check [--config FILE] [--root DIR]\n"
    "                                            say whether the exchange the game starts works\n"
    "       leaguenet standings [--config FILE]  print the month's league table\n"
    "       leaguenet init-league --db CONNINFO [--name NAME]\n"
    "                                            set up a league in a PostgreSQL database, or\n"
    "                                            bring it up to date; give it its name\n"
    "       leaguenet add-site --db CONNINFO --site NAME --loc XYZ [--site-ca PATH] [--out FILE]\n"
    "                                            register a site; writes its leaguenet.conf\n"
    "       leaguenet remove-site --db CONNINFO --site NAME\n"
    "                                            take a site out of the league for good\n"
    "       leaguenet suspend-site | resume-site --db CONNINFO --site NAME\n"
    "                                            shut a site out for a while, or let it back\n"
    "       leaguenet check-server --db CONNINFO [--repair]\n"
    "                                            say whether the server holds what no site may\n"
    "                                            override; --repair sets the sites' roles right\n"
    "       leaguenet publish --db CONNINFO | --config FILE  --out DIR\n"
    "                                            write the league's public pages into DIR\n"
    "       leaguenet add-publisher --db CONNINFO [--site-ca PATH] [--out FILE]\n"
    "                                            new credentials for publish; writes its settings\n"
    "       leaguenet enable | disable [--root DIR]\n"
    "                                            let the game start the exchange, or stop it\n"
    "       leaguenet --help | --version\n";

namespace {

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {{"init-league", Command::kInitLeague},
                                                          {"add-site", Command::kAddSite},
                                                          {"remove-site", Command::kRemoveSite},
                                                          {"suspend-site", Command::kSuspendSite},
                                                          {"resume-site", Command::kResumeSite},
                                                          {"check-server", Command::kCheckServer},
                                                          {"standings", Command::kStandings},
                                                          {"check", Command::kCheck},
                                                          {"publish", Command::kPublish},
                                                          {"add-publisher", Command::kAddPublisher},
                                                          {"enable", Command::kEnable},
                                                          {"disable", Command::kDisable},
                                                          {"--help", Command::kHelp},
                                                          {"--version", Command::kVersion}};
  return commands;
}

std::string* OptionField(Invocation& invocation, const std::string& option) {
  if (option == "--config") return &invocation.configFile;
  if (option == "--db") return &invocation.database;
  if (option == "--site") return &invocation.site;
  if (option == "--loc") return &invocation.loc;
  if (option == "--root") return &invocation.root;
  if (option == "--site-ca") return &invocation.siteCa;
  if (option == "--out") return &invocation.out;
  if (option == "--name") return &invocation.leagueName.emplace();
  return nullptr;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  line.invocation.invokedAs = arguments.empty() ? "" : arguments[0];
  std::size_t next = 1;
  if (next < arguments.size() && Commands().count(arguments[next]))
    line.command = Commands().at(arguments[next++]);
  for (; next < arguments.size(); ++next) {
    std::string option = arguments[next];
    std::string value;
    std::size_t equals = option.find('=');
    bool joined = option.rfind("--", 0) == 0 && equals != std::string::npos;
    if (joined) {
      value = option.substr(equals + 1);
      option.resize(equals);
    }
    std::string* field = OptionField(line.invocation, option);
    if (option == "--repair" && !joined) {
      line.invocation.repair = true;
      continue;
    }
    if (option == "--help" || option == "--version") {
      line.command = option == "--help" ? Command::kHelp : Command::kVersion;
      continue;
    }
    if (!field) {
      line.error = "unknown command or option '" + arguments[next] + "'";
      return line;
    }
    if (!joined) {
      if (next + 1 >= arguments.size()) {
        line.error = option + " needs a value";
        return line;
      }
      value = arguments[++next];
    }
    *field = value;
  }
  if (line.invocation.root.empty() || line.invocation.root.back() != '/')
    line.invocation.root += '/';
  return line;
}

}  // namespace lexfray::leaguenet
