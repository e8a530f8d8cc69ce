#include "Bind.h"

#include <fstream>
#include <vector>

namespace {
bool startsWith(const std::string& s, const char* prefix)
{
    return s.rfind(prefix, 0) == 0;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "%41" escapes of a file URL; a malformed escape is kept as it stands.
std::string percentDecode(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
            out.push_back(char(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2])));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

bool hasScheme(const std::string& url)
{
    size_t colon = url.find("://");
    if (colon == std::string::npos || colon == 0)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        char c = url[i];
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok)
            return false;
    }
    return true;
}

bool readFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0 || uint64_t(size) > kMaxMemoryStreamSize)
        return false;
    in.seekg(0, std::ios::beg);
    bytes.resize(size_t(size));
    return size == 0 || bool(in.read(reinterpret_cast<char*>(bytes.data()), size));
}

void deliver(IBindStatusCallback* callback, const std::vector<uint8_t>& bytes)
{
    auto stream = SHCreateMemStream(bytes.data(), bytes.size());
    STGMEDIUM medium;
    medium.tymed = TYMED_ISTREAM;
    medium.pstm = stream.get();
    FORMATETC format;
    format.tymed = TYMED_ISTREAM;
    ULONG size = ULONG(bytes.size());
    callback->OnProgress(0, size, BINDSTATUS_BEGINDOWNLOADDATA, u"");
    callback->OnProgress(size, size, BINDSTATUS_ENDDOWNLOADDATA, u"");
    callback->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE, size,
        &format, &medium);
}
}

std::string LocalPathFromUrl(const std::string& url)
{
    if (startsWith(url, "file://")) {
        std::string rest = percentDecode(url.substr(7));
        // "file://localhost/x" and "file:///x" both name /x.
        if (startsWith(rest, "localhost/"))
            rest = rest.substr(9);
        size_t cut = rest.find_first_of("?#");
        if (cut != std::string::npos)
            rest = rest.substr(0, cut);
        return rest;
    }
    if (hasScheme(url))
        return {};
    return url;
}

HRESULT URLOpenPullStreamA(IUnknown*, const char* url, DWORD, IBindStatusCallback* callback)
{
    if (!url || !callback)
        return E_INVALIDARG;
    callback->OnStartBinding(0, nullptr);
    std::string path = LocalPathFromUrl(url);
    std::vector<uint8_t> bytes;
    if (path.empty() || !readFile(path, bytes)) {
        callback->OnStopBinding(INET_E_RESOURCE_NOT_FOUND, u"");
        return INET_E_RESOURCE_NOT_FOUND;
    }
    deliver(callback, bytes);
    callback->OnStopBinding(S_OK, u"");
    return S_OK;
}
