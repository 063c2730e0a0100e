#include "publish/json_data.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

#include "rules/safe_text.h"

namespace lexfray::leaguenet {

namespace {

// Raised when a field is added in a way that a reader of the old fields would misread.
constexpr int kFormat = 1;

// The games count as a number, null when the league holds something else there.
std::string Games(const std::string& plays) {
  bool digits = !plays.empty() && plays.find_first_not_of("0123456789") == std::string::npos;
  return digits ? std::to_string(std::stoul(plays)) : "null";
}

std::string LeaderObject(const std::optional<Leader>& leader) {
  if (!leader) return "null";
  return "{\"player\":" + JsonString(leader->player) + ",\"site\":" + JsonString(leader->site) +
         ",\"loc\":" + JsonString(leader->loc) + ",\"score\":" + ShownNumber(leader->score) + "}";
}

std::string Players(const MonthTables& tables) {
  std::unordered_map<std::string_view, std::string_view> locs;
  for (const SiteTotals& site : tables.sites) locs.emplace(site.name, site.loc);
  std::vector<double> shown;
  for (const PublicEntry& entry : tables.top) shown.push_back(ShownScore(entry.score));
  std::vector<std::size_t> ranks = SharedRanks(shown);
  std::string text;
  for (std::size_t i = 0; i < tables.top.size(); ++i) {
    const PublicEntry& entry = tables.top[i];
    text += std::string(i ? ",\n" : "\n") + "{\"rank\":" + std::to_string(ranks[i]) +
            ",\"player\":" + JsonString(entry.player) + ",\"site\":" + JsonString(entry.site) +
            ",\"loc\":" + JsonString(locs[entry.site]) + ",\"score\":" + ShownNumber(entry.score) +
            ",\"games\":" + Games(entry.plays) + ",\"last_played\":" + JsonString(entry.lastDate) +
            "}";
  }
  return "[" + text + "]";
}

std::string Sites(const PageFrame& frame, const MonthTables& tables) {
  std::vector<double> totals;
  for (const SiteTotals& site : tables.sites) totals.push_back(ShownScore(site.total));
  std::vector<std::size_t> ranks = SharedRanks(totals);
  std::string text;
  for (std::size_t i = 0; i < tables.sites.size(); ++i) {
    const SiteTotals& site = tables.sites[i];
    text += std::string(i ? ",\n" : "\n") + "{\"rank\":" + std::to_string(ranks[i]) +
            ",\"site\":" + JsonString(site.name) + ",\"loc\":" + JsonString(site.loc) +
            ",\"page\":" + (frame.inPlay ? JsonString(SitePageName(site.name)) : "null") +
            ",\"players\":" + std::to_string(site.players) + ",\"best\":" + ShownNumber(site.best) +
            ",\"sum\":" + ShownNumber(site.total) +
            ",\"updated\":" + (site.latest ? JsonString(IsoTime(site.latest)) : "null") + "}";
  }
  return "[" + text + "]";
}

std::string Months(const std::vector<MonthSummary>& months) {
  std::string text;
  for (const MonthSummary& month : months)
    text += std::string(text.empty() ? "\n" : ",\n") + "{\"month\":" + JsonString(month.month) +
            ",\"page\":" + JsonString(MonthPageName(month.month)) +
            ",\"data\":" + JsonString(MonthDataName(month.month)) +
            ",\"winner\":" + LeaderObject(month.leader) + "}";
  return "[" + text + "]";
}

// Reads back the JSON that this file writes, and nothing more general.
class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : rest_(text) {}
  bool Take(std::string_view literal) {
    if (rest_.substr(0, literal.size()) != literal) return false;
    rest_.remove_prefix(literal.size());
    return true;
  }
  bool String(std::string* text) {
    if (!Take("\"")) return false;
    text->clear();
    while (!rest_.empty() && rest_.front() != '"') {
      char c = rest_.front();
      rest_.remove_prefix(1);
      if (c == '\\' && Take("u00")) {
        unsigned code = 0;
        const char* end = rest_.data() + std::min<std::size_t>(2, rest_.size());
        if (std::from_chars(rest_.data(), end, code, 16).ptr != end || end != rest_.data() + 2)
          return false;
        c = static_cast<char>(code);
        rest_.remove_prefix(2);
      } else if (c == '\\' && !rest_.empty()) {
        c = rest_.front();
        rest_.remove_prefix(1);
      }
      *text += c;
    }
    return Take("\"");
  }
  bool Number(double* value) {
    std::from_chars_result read =
        std::from_chars(rest_.data(), rest_.data() + rest_.size(), *value);
    if (read.ec != std::errc()) return false;
    rest_.remove_prefix(static_cast<std::size_t>(read.ptr - rest_.data()));
    return true;
  }

 private:
  std::string_view rest_;
};

}  // namespace

bool ReadFinalLeader(std::string_view monthData, std::optional<Leader>* leader) {
  if (monthData.find("\n\"final\":true,") == std::string_view::npos) return false;
  constexpr std::string_view kLine = "\n\"leader\":";
  std::size_t at = monthData.find(kLine);
  if (at == std::string_view::npos) return false;
  JsonReader json(monthData.substr(at + kLine.size()));
  if (json.Take("null")) {
    leader->reset();
    return true;
  }
  Leader read;
  if (!json.Take("{\"player\":") || !json.String(&read.player) || !json.Take(",\"site\":") ||
      !json.String(&read.site) || !json.Take(",\"loc\":") || !json.String(&read.loc) ||
      !json.Take(",\"score\":") || !json.Number(&read.score) || !json.Take("}"))
    return false;
  // The kept data is a file like any other: what it says is checked as the league's rows are.
  if (!IsSaneScore(read.score)) return false;
  std::optional<PublicEntry> entry = PublicEntryFrom(
      {read.site, read.player, ShownNumber(read.score), std::string_view(), std::string_view()});
  if (!entry) return false;
  *leader = Leader{entry->player, entry->site, SiteFrom(read.site, read.loc).loc, entry->score};
  return true;
}

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
      "{\"format\":" + std::to_string(kFormat) + ",\n\"league\":" + JsonString(frame.league) +
      ",\n\"month\":" + JsonString(frame.month) +
      ",\n\"final\":" + (frame.final ? "true" : "false") + ",\n\"made\":" + JsonString(frame.made) +
      ",\n\"leader\":" + LeaderObject(frame.leader) +
      ",\n\"player_count\":" + std::to_string(tables.players) +
      ",\n\"players\":" + Players(tables) + ",\n\"sites\":" + Sites(frame, tables);
  if (frame.inPlay) text += ",\n\"past_months\":" + Months(pastMonths);
  return text + "\n}\n";
}

}  // namespace lexfray::leaguenet
