#include "capture/ChromiumBookmarks.h"

#include <nlohmann/json.hpp>

#include <vector>

namespace quillon::capture {

bool forEachChromiumBookmark(std::string_view text, const std::function<void(std::string_view)>& take)
{
    const nlohmann::json document = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (!document.is_object() || !document.contains("roots") || !document["roots"].is_object())
        return false;
    // Depth first with a stack of our own, in the file's order: however
    // deep the folders, the walk does not recurse.
    std::vector<const nlohmann::json*> pending;
    const auto& roots = document["roots"];
    for (auto it = roots.rbegin(); it != roots.rend(); ++it)
        pending.push_back(&*it);
    while (!pending.empty()) {
        const nlohmann::json& node = *pending.back();
        pending.pop_back();
        if (!node.is_object())
            continue;
        const auto type = node.find("type");
        const auto url = node.find("url");
        if (type != node.end() && *type == "url" && url != node.end() && url->is_string())
            take(url->get_ref<const std::string&>());
        const auto children = node.find("children");
        if (children != node.end() && children->is_array()) {
            for (auto it = children->rbegin(); it != children->rend(); ++it)
                pending.push_back(&*it);
        }
    }
    return true;
}

} // namespace quillon::capture
