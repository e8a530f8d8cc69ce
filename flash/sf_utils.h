// Small helpers of the Flash host: wide strings, MulDiv, the URL text helpers of the
// bind service, and the host's error exception.
#pragma once

#include "Exceptions.h"
#include "Dispatch.h"
#include "HResult.h"

#include <cstdint>
#include <string>

// The host's COM calls raise this when a call fails; it carries the result code.
class EOleError : public Exception {
public:
    EOleError(HRESULT code, const std::string& message) : Exception(message), m_code(code) {}
    HRESULT ErrorCode() const { return m_code; }

private:
    HRESULT m_code;
};

// Raises EOleError for a failed result: the description when the caller has one,
// else "OLE 錯誤 %.8x".
void OleCheck(HRESULT hr, const std::string& description = {});
std::string OleErrorText(HRESULT hr);

// The product divided by the divisor, rounded to nearest, halves away from zero;
// -1 when the divisor is 0.
int MulDiv(int number, int numerator, int denominator);

// One pixel of a snapshot with alpha: the frame drawn over clear pixels (premultiplied
// 0xAARRGGBB, the alpha of what the movie painted) and drawn over the backdrop (the
// picture a person sees), and the backdrop itself. The result is a straight colour with
// that alpha which, laid over the backdrop, gives the picture a person sees again.
uint32_t CombineWithBackdrop(uint32_t overClear, uint32_t overBackdrop, uint32_t backdrop);

namespace sf_utils {

// An event argument at its declared position, converted; 0 or empty when absent or
// not convertible.
int DispArgInt(const DISPPARAMS& params, UINT index);
std::u16string DispArgString(const DISPPARAMS& params, UINT index);

// The folder of the program's executable, with its trailing separator.
std::string ExeFolder();
// Lower-cases the text and decodes the escapes %3f ? %3d = %26 & %20 space %2d - %2f /.
std::string UrlDecode(const std::string& s);
// The same decoding without changing letter case (file names on this system are case
// sensitive; only comparisons that ignore case may lower the text).
std::string UrlDecodeKeepCase(const std::string& s);
// True when the URL or path names an existing local file.
bool LocalFileExists(const std::string& s);
// The local path a URL or path names ("file://" and query parts removed).
std::string LocalFileName(const std::string& s);
// The last path element of the decoded URL, before any "&" or "?".
std::string UrlFileName(const std::string& s);
// The text before the last ".", or all of it.
std::string StripExtension(const std::string& s);
bool StartsWith(const std::string& s, const std::string& prefix);
bool Contains(const std::string& s, const std::string& part);
std::string ReplaceAll(std::string s, const std::string& from, const std::string& to);
std::string Lower(std::string s);

} // namespace sf_utils
