// The exception classes of the toolkit and the program. Each carries one message
// (UTF-8); the program shows it, the libraries never do.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

#define TOVRANE_EXCEPTION(Name, Base)                                   \
    class Name : public Base {                                          \
    public:                                                             \
        explicit Name(const std::string& message) : Base(message) {}    \
    };

TOVRANE_EXCEPTION(EAbort, Exception)
TOVRANE_EXCEPTION(EConvertError, Exception)
TOVRANE_EXCEPTION(EOutOfResources, Exception)
TOVRANE_EXCEPTION(EInvalidOperation, Exception)
TOVRANE_EXCEPTION(EInvalidGraphic, Exception)
TOVRANE_EXCEPTION(EInvalidGraphicOperation, Exception)
TOVRANE_EXCEPTION(EStreamError, Exception)
TOVRANE_EXCEPTION(EFCreateError, EStreamError)
TOVRANE_EXCEPTION(EFOpenError, EStreamError)
TOVRANE_EXCEPTION(EReadError, EStreamError)
TOVRANE_EXCEPTION(EWriteError, EStreamError)

#undef TOVRANE_EXCEPTION

// Fixed messages of the toolkit.
namespace toolkit_messages {
inline constexpr const char* AssignError = "無法指定 %s 到 %s";  // cannot assign %s to %s
inline constexpr const char* ReadError = "讀取資料流錯誤";        // stream read error
inline constexpr const char* WriteError = "寫入資料流錯誤";       // stream write error
inline constexpr const char* CreateError = "無法建立檔案 %s";     // cannot create file %s
inline constexpr const char* OpenError = "無法開啟檔案 %s";       // cannot open file %s
inline constexpr const char* InvalidBitmap = "Bitmap image is not valid";
inline constexpr const char* InvalidImage = "無效的影像格式";     // invalid image format
} // namespace toolkit_messages

// Fills the %s markers of a fixed message in order.
std::string FormatMessage(const char* pattern, std::initializer_list<std::string> args);
