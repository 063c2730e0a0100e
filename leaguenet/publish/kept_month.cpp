#include "publish/kept_month.h"

#include <nlohmann/json.hpp>

#include "publish/json_data.h"
#include "rules/safe_text.h"

namespace lexfray::leaguenet {

namespace {

using Json = nlohmann::json;

// The first format wrote the winners only as `leader`, one of them; its players, ranked
// alike, name every one who shares the first rank.
constexpr int kFirstFormat = 1;

KeptMonth Unreadable(std::string why) {
  return {KeptMonth::State::kUnreadable, {}, std::move(why)};
}

const Json* Field(const Json& object, const char* name) {
  auto found = object.find(name);
  return found == object.end() ? nullptr : &*found;
}

std::optional<Leader> WinnerFrom(const Json& object) {
  if (!object.is_object()) return std::nullopt;
  const Json* player = Field(object, "player");
  const Json* site = Field(object, "site");
  const Json* loc = Field(object, "loc");
  const Json* score = Field(object, "score");
  if (!player || !player->is_string() || !site || !site->is_string() || !loc || !loc->is_string() ||
      !score || !score->is_number())
    return std::nullopt;
  double value = score->get<double>();
  if (!IsSaneScore(value)) return std::nullopt;
  std::optional<PublicEntry> entry =
      PublicEntryFrom({site->get_ref<const std::string&>(), player->get_ref<const std::string&>(),
                       ShownNumber(value), std::string_view(), std::string_view()});
  if (!entry) return std::nullopt;
  return Leader{entry->player, entry->site,
                SiteFrom(entry->site, loc->get_ref<const std::string&>()).loc, entry->score};
}

// The winners of a format's list: every element one, or the data is not read.
bool Winners(const Json* list, bool firstRankOnly, std::vector<Leader>* winners) {
  if (!list || !list->is_array()) return false;
  for (const Json& element : *list) {
    if (firstRankOnly) {
      const Json* rank = element.is_object() ? Field(element, "rank") : nullptr;
      if (!rank || !rank->is_number_unsigned()) return false;
      if (rank->get<std::uint64_t>() != 1) break;
    }
    std::optional<Leader> winner = WinnerFrom(element);
    if (!winner) return false;
    winners->push_back(std::move(*winner));
  }
  return true;
}

}  // namespace

KeptMonth ReadKeptMonth(std::string_view data) {
  // A past month's data lists every site of the league, which is not read here.
  Json::parser_callback_t unread = [](int depth, Json::parse_event_t event, Json& parsed) {
    return !(depth == 1 && event == Json::parse_event_t::key && parsed == "sites");
  };
  Json json = Json::parse(data.begin(), data.end(), unread, false);
  if (json.is_discarded() || !json.is_object()) return Unreadable("it is not well-formed JSON");
  const Json* format = Field(json, "format");
  if (!format || !format->is_number_unsigned()) return Unreadable("it names no format");
  std::uint64_t number = format->get<std::uint64_t>();
  if (number < kFirstFormat || number > kDataFormat)
    return Unreadable("its format " + std::to_string(number) + " is not one from " +
                      std::to_string(kFirstFormat) + " to " + std::to_string(kDataFormat) +
                      ", which this leaguenet reads");
  const Json* final = Field(json, "final");
  if (!final || !final->is_boolean()) return Unreadable("it does not say whether it is final");
  if (!final->get<bool>()) return {KeptMonth::State::kOpen, {}, {}};
  KeptMonth kept{KeptMonth::State::kFinal, {}, {}};
  bool read = number == kFirstFormat ? Winners(Field(json, "players"), true, &kept.winners)
                                     : Winners(Field(json, "leaders"), false, &kept.winners);
  if (!read) return Unreadable("its winners cannot be read");
  return kept;
}

}  // namespace lexfray::leaguenet
