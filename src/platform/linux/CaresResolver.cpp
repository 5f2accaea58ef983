#include "platform/linux/CaresResolver.h"

#include "platform/linux/CaresQuestions.h"
#include "platform/linux/GlibcResolver.h"

#include <system_error>
#include <thread>

namespace quillon::platform {

namespace {

bool endsWithIgnoreCase(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size())
        return false;
    text.remove_prefix(text.size() - suffix.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

} // namespace

bool sentElsewhere(std::string_view name)
{
    if (name.size() > 1 && name.ends_with('.'))
        name.remove_suffix(1);
    if (name.find('.') == std::string_view::npos)
        return true;
    return endsWithIgnoreCase(name, ".local") || endsWithIgnoreCase(name, ".localhost");
}

CaresResolver::CaresResolver(CaresSettings settings)
    : m_elsewhere(settings.source != CaresSettings::Source::System ? nullptr
                      : settings.elsewhere                         ? settings.elsewhere
                                                                   : std::make_shared<GlibcResolver>())
    , m_loop(std::make_unique<CaresQuestions>(std::move(settings)))
{
}

void CaresResolver::ask(const std::string& name, Answered answered)
{
    if (m_elsewhere && sentElsewhere(name)) {
        // The C library may wait many seconds (mDNS): on a thread of its own.
        try {
            std::thread([resolver = m_elsewhere, name, answered] { answered(resolver->lookupName(name)); }).detach();
        } catch (const std::system_error&) {
            answered({ {}, ErrorTryAgain });
        }
        return;
    }
    m_loop.post({ name, std::move(answered) });
}

} // namespace quillon::platform
