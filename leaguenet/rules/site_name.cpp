#include "rules/site_name.h"

#include <algorithm>

#include "platform/record_fields.h"

namespace lexfray::leaguenet {

std::string SiteKey(std::string_view name) {
  std::string key = ComparableName(name);
  return key.erase(0, std::min(key.size(), key.find_first_not_of(' ')));
}

}  // namespace lexfray::leaguenet
