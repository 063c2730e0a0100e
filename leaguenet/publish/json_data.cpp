#include "publish/json_data.h"

#include <unordered_map>

namespace lexfray::leaguenet {

namespace {

// The games count as a number, null when the league holds something else there.
std::string Games(const std::string& plays) {
  bool digits = !plays.empty() && plays.find_first_not_of("0123456789") == std::string::npos;
  return digits ? std::to_string(std::stoul(plays)) : "null";
}

std::string OrNull(const std::string& text) {
  return text.empty() ? "null" : JsonString(text);
}

std::string LeaderObject(const Leader& leader) {
  return "{\"player\":" + JsonString(leader.player) + ",\"site\":" + JsonString(leader.site) +
         ",\"loc\":" + JsonString(leader.loc) + ",\"score\":" + ShownNumber(leader.score) + "}";
}

// The first of the leaders under one name, as readers of the first format know it, and all of
// them under the other.
std::string LeaderFields(std::string_view one, std::string_view all,
                         const std::vector<Leader>& leaders) {
  std::string list;
  for (const Leader& leader : leaders) list += (list.empty() ? "" : ",") + LeaderObject(leader);
  return "\"" + std::string(one) + "\":" + (leaders.empty() ? "null" : LeaderObject(leaders[0])) +
         ",\"" + std::string(all) + "\":[" + list + "]";
}

std::string Players(const PageFrame& frame, const MonthTables& tables) {
  std::unordered_map<std::string_view, std::string_view> locs;
  for (const SiteTotals& site : tables.sites) locs.emplace(site.name, site.loc);
  std::string text;
  for (const PublicEntry& entry : tables.top)
    text += std::string(text.empty() ? "\n" : ",\n") + "{\"rank\":" + std::to_string(entry.rank) +
            ",\"player\":" + JsonString(entry.player) + ",\"site\":" + JsonString(entry.site) +
            ",\"loc\":" + JsonString(locs[entry.site]) + ",\"score\":" + ShownNumber(entry.score) +
            ",\"games\":" + Games(entry.plays) +
            ",\"last_played\":" + OrNull(IsoDay(frame.month, entry.lastDate)) + "}";
  return "[" + text + "]";
}

std::string Sites(const PageFrame& frame, const MonthTables& tables) {
  std::string text;
  for (const SiteTotals& site : tables.sites)
    text += std::string(text.empty() ? "\n" : ",\n") + "{\"rank\":" + std::to_string(site.rank) +
            ",\"site\":" + JsonString(site.name) + ",\"loc\":" + JsonString(site.loc) +
            ",\"page\":" + (frame.inPlay ? JsonString(SitePageName(site.name)) : "null") +
            ",\"players\":" + std::to_string(site.players) + ",\"best\":" + ShownNumber(site.best) +
            ",\"sum\":" + ShownNumber(site.total) +
            ",\"updated\":" + (site.latest ? JsonString(IsoTime(site.latest)) : "null") + "}";
  return "[" + text + "]";
}

std::string Months(const std::vector<MonthSummary>& months) {
  std::string text;
  for (const MonthSummary& month : months)
    text += std::string(text.empty() ? "\n" : ",\n") + "{\"month\":" + JsonString(month.month) +
            ",\"page\":" + JsonString(MonthPageName(month.month)) +
            ",\"data\":" + JsonString(MonthDataName(month.month)) + "," +
            LeaderFields("winner", "winners", month.leaders) + "}";
  return "[" + text + "]";
}

}  // namespace

std::string JsonString(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string json = "\"";
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += {'\\', c};
    } else if (byte < 0x20 || c == '<' || c == '>' || c == '&' || byte >= 0x7f) {
      json += "\\u00";
      json += {kHex[byte >> 4], kHex[byte & 15]};
    } else {
      json += c;
    }
  }
  return json + "\"";
}

std::string MonthData(const PageFrame& frame, const MonthTables& tables,
                      const std::vector<MonthSummary>& pastMonths) {
  std::string text =
      "{\"format\":" + std::to_string(kDataFormat) + ",\n\"league\":" + JsonString(frame.league) +
      ",\n\"month\":" + JsonString(frame.month) +
      ",\n\"final\":" + (frame.final ? "true" : "false") + ",\n\"made\":" + JsonString(frame.made) +
      ",\n" + LeaderFields("leader", "leaders", frame.leaders) +
      ",\n\"player_count\":" + std::to_string(tables.players) +
      ",\n\"players\":" + Players(frame, tables) + ",\n\"sites\":" + Sites(frame, tables);
  if (frame.inPlay) text += ",\n\"past_months\":" + Months(pastMonths);
  return text + "\n}\n";
}

}  // namespace lexfray::leaguenet
