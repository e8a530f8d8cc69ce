#include "MediaUrl.h"

#include <QUrl>

#include <cctype>

namespace flash {

namespace {

// Length of "scheme:" at the start, or 0. One letter is a drive, not a scheme.
size_t schemeLength(const std::string& s)
{
    const size_t colon = s.find(':');
    if (colon == std::string::npos || colon < 2)
        return 0;
    for (size_t i = 0; i < colon; ++i) {
        const char c = s[i];
        const bool ok = std::isalpha(static_cast<unsigned char>(c)) ||
                        (i > 0 && (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.'));
        if (!ok)
            return 0;
    }
    return colon + 1;
}

}  // namespace

std::string resolveMediaUrl(const std::string& base, const std::string& url)
{
    if (base.empty() || url.empty() || schemeLength(url) > 0)
        return url;
    const std::string trimmed = base.substr(0, base.find_first_of("?#"));
    if (url[0] == '/') {
        const size_t scheme = schemeLength(trimmed);
        if (scheme == 0 || trimmed.compare(scheme, 2, "//") != 0)
            return url;
        const size_t hostEnd = trimmed.find('/', scheme + 2);
        const std::string origin = trimmed.substr(0, hostEnd);
        return trimmed.compare(0, scheme, "file:") == 0 ? "file://" + url : origin + url;
    }
    const size_t slash = trimmed.rfind('/');
    return slash == std::string::npos ? url : trimmed.substr(0, slash + 1) + url;
}

std::optional<std::string> localPathOf(const std::string& url)
{
    const size_t scheme = schemeLength(url);
    if (scheme == 0)
        return url;
    if (url.compare(0, scheme, "file:") != 0)
        return std::nullopt;
    const QUrl parsed(QString::fromStdString(url));
    if (!parsed.isValid() || !parsed.isLocalFile())
        return std::nullopt;
    return parsed.toLocalFile().toStdString();
}

}  // namespace flash
