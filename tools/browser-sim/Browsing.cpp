#include "Browsing.h"

#include <QUrl>

#include <algorithm>
#include <cctype>
#include <charconv>

namespace quillon::browsersim {

namespace {

std::string lowered(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The length of a leading "scheme:", or 0. "host:8080" has none: a scheme
// is never followed by a port number.
std::size_t schemeLength(std::string_view url)
{
    if (url.empty() || !std::isalpha(static_cast<unsigned char>(url[0])))
        return 0;
    std::size_t i = 1;
    while (i < url.size()
           && (std::isalnum(static_cast<unsigned char>(url[i])) || url[i] == '+' || url[i] == '-' || url[i] == '.'))
        ++i;
    if (i >= url.size() || url[i] != ':')
        return 0;
    if (i + 1 < url.size() && std::isdigit(static_cast<unsigned char>(url[i + 1])))
        return 0;
    return i + 1;
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string htmlEscaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

std::optional<Role> roleFromName(std::string_view name)
{
    if (const auto slash = name.rfind('/'); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    std::string base = lowered(name);
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".exe") == 0)
        base.resize(base.size() - 4);
    if (base == "iexplore")
        return Role::IExplore;
    if (base == "netscape")
        return Role::Netscape;
    return std::nullopt;
}

std::string serviceName(Role role)
{
    return role == Role::IExplore ? "iexplore" : "netscape";
}

std::string windowTitleFor(Role role, const std::string& pageTitle)
{
    return pageTitle + (role == Role::IExplore ? " - Microsoft Internet Explorer" : " - Netscape");
}

std::string normaliseUrl(std::string_view typed)
{
    while (!typed.empty() && std::isspace(static_cast<unsigned char>(typed.front())))
        typed.remove_prefix(1);
    while (!typed.empty() && std::isspace(static_cast<unsigned char>(typed.back())))
        typed.remove_suffix(1);
    if (typed.empty())
        return "about:blank";
    if (typed.front() == '/')
        return "file://" + std::string(typed);
    std::string url = schemeLength(typed) > 0 ? std::string(typed) : "http://" + std::string(typed);
    // A web address names its root page when it has no path: http://host/.
    const std::size_t authority = url.find("://");
    if (authority != std::string::npos && url.compare(0, 5, "file:") != 0
        && url.find_first_of("/?#", authority + 3) == std::string::npos)
        url += '/';
    return url;
}

std::string pageTitle(const std::string& url)
{
    const QString host = QUrl(QString::fromStdString(url)).host();
    return host.isEmpty() ? url : host.toStdString();
}

std::optional<std::uint32_t> parseWindowId(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string windowIdText(std::uint32_t id)
{
    char buffer[16];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, id, 16);
    std::string digits(buffer, end);
    std::transform(digits.begin(), digits.end(), digits.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return "0x" + digits;
}

std::vector<std::string> splitArguments(std::string_view item)
{
    std::vector<std::string> fields(1);
    bool inQuotes = false;
    for (std::size_t i = 0; i < item.size(); ++i) {
        const char c = item[i];
        if (inQuotes) {
            if (c == '\\' && i + 1 < item.size() && item[i + 1] == '"')
                fields.back() += item[++i];
            else if (c == '"')
                inQuotes = false;
            else
                fields.back() += c;
        } else if (c == '"' && fields.back().empty()) {
            inQuotes = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::string windowInfoReply(const std::string& url, const std::string& title)
{
    return quoted(url) + "," + quoted(title);
}

std::string cacheListing(const std::vector<std::string>& urls)
{
    std::string page = "<HTML>\n<HEAD>\n<TITLE>Information about the Netscape disk cache</TITLE>\n</HEAD>\n<BODY>\n"
                       "<H2>Disk Cache statistics</H2>\n<B>Number of documents in cache:</B> "
                       + std::to_string(urls.size()) + "\n<HR>\n";
    for (const std::string& url : urls) {
        // The address goes in as given, quotes made harmless, so that a
        // reader that cuts at the closing quote gets the whole URL.
        std::string href;
        for (const char c : url)
            href += c == '"' ? std::string("%22") : std::string(1, c);
        page += "<TT>URL:</TT> <A HREF=\"about:" + href + "\">" + htmlEscaped(url) + "</A><BR>\n";
    }
    return page + "</BODY>\n</HTML>\n";
}

std::string savedPage(const std::string& url)
{
    const std::string title = htmlEscaped(pageTitle(url));
    return "<HTML>\n<HEAD><TITLE>" + title + "</TITLE></HEAD>\n<BODY>\n<H1>" + title + "</H1>\n<P>"
           + htmlEscaped(url) + "</P>\n</BODY>\n</HTML>\n";
}

std::string logEscape(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace quillon::browsersim
