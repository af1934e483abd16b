#include "shell/transfer/transfer_names.h"

#include <map>
#include <set>

namespace census {
namespace {

constexpr std::size_t kFree = std::wstring::npos;

}  // namespace

std::vector<std::size_t> NameClashes(const std::vector<std::wstring>& names, const std::vector<std::wstring>& taken) {
    std::map<std::wstring, std::size_t, NameOrder> first;  // name -> first item holding it
    std::vector<std::size_t> clash(names.size(), kFree);
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto [at, fresh] = first.emplace(names[i], i);
        if (fresh) continue;
        clash[i] = at->second;
        if (clash[at->second] == kFree || clash[at->second] == names.size()) clash[at->second] = i;
    }
    const std::set<std::wstring, NameOrder> present(taken.begin(), taken.end());
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (clash[i] == kFree && present.count(names[i])) clash[i] = names.size();
    }
    return clash;
}

}  // namespace census
